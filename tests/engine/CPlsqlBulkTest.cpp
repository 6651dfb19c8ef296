// FORALL over sparse collections (INDICES OF, VALUES OF), SAVE EXCEPTIONS
// with ORA-24381 and SQL%BULK_EXCEPTIONS, and SQL%BULK_ROWCOUNT, as the
// PL/SQL Language Reference describes them.
#include <gtest/gtest.h>

#include "tests/engine/EngineFixture.h"

namespace {

class BulkTest : public OutputFixture {
protected:
    void SetUp() override {
        OutputFixture::SetUp();
        Exec("CREATE TABLE t (n NUMBER PRIMARY KEY, s VARCHAR2(5))");
    }
};

constexpr const char* kSparse =
    "DECLARE TYPE nums IS TABLE OF NUMBER INDEX BY PLS_INTEGER; a nums; "
    "bulk_errors EXCEPTION; PRAGMA EXCEPTION_INIT(bulk_errors, -24381); "
    "BEGIN a(10) := 1; a(20) := 2; a(30) := 1; a(40) := 4; a(50) := 4; ";

}  // namespace

TEST_F(BulkTest, IndicesOfSkipsTheGapsAndCountsRowsByIndex) {
    EXPECT_EQ(
        OutputOf("DECLARE TYPE nums IS TABLE OF NUMBER INDEX BY PLS_INTEGER; a nums; BEGIN "
                 "a(-5) := 1; a(7) := 2; a(1000) := 3; "
                 "FORALL i IN INDICES OF a INSERT INTO t VALUES (a(i), 'i' || i); "
                 "dbms_output.put_line(SQL%ROWCOUNT || ' ' || SQL%BULK_ROWCOUNT(7) || ' ' || "
                 "NVL(TO_CHAR(SQL%BULK_ROWCOUNT(8)), 'none')); "
                 "FORALL i IN INDICES OF a BETWEEN 0 AND 1000 UPDATE t SET s = 'u' WHERE n >= a(i); "
                 "dbms_output.put_line(SQL%BULK_ROWCOUNT(7) || SQL%BULK_ROWCOUNT(1000) || SQL%ROWCOUNT); "
                 "END;"),
        "3 1 none|213");
    EXPECT_EQ(Rows("SELECT n, s FROM t ORDER BY n"), "1,i-5|2,u|3,u");
    // VALUES OF: the elements are the indexes, in the order of their subscripts.
    EXPECT_EQ(
        OutputOf("DECLARE TYPE idx IS TABLE OF PLS_INTEGER; v idx := idx(3, 1); TYPE names IS TABLE OF "
                 "VARCHAR2(5); nm names := names('a', 'b', 'c'); BEGIN "
                 "FORALL i IN VALUES OF v UPDATE t SET s = nm(i) WHERE n = i; "
                 "dbms_output.put_line(SQL%BULK_ROWCOUNT(3) || SQL%BULK_ROWCOUNT(1) || SQL%ROWCOUNT); END;"),
        "112");
    EXPECT_EQ(Rows("SELECT s FROM t ORDER BY n"), "a|u|c");
    EXPECT_EQ(OutputOf("DECLARE TYPE nums IS TABLE OF NUMBER; a nums; BEGIN FORALL i IN INDICES OF a DELETE "
                       "FROM t; END;"),
              "ERROR ORA-06531: 初期化されていないコレクションを参照しています。|ORA-06512: 行1");
}

TEST_F(BulkTest, WithoutSaveExceptionsTheFirstFailureStopsAndEarlierRowsStay) {
    EXPECT_EQ(
        OutputOf(std::string(kSparse) +
                 "FORALL i IN INDICES OF a INSERT INTO t VALUES (a(i), 'x' || i); "
                 "EXCEPTION WHEN DUP_VAL_ON_INDEX THEN dbms_output.put_line('dup ' || SQL%ROWCOUNT); END;"),
        "dup 2");
    EXPECT_EQ(Rows("SELECT n, s FROM t ORDER BY n"), "1,x10|2,x20");
}

TEST_F(BulkTest, SaveExceptionsGoesOnAndRaisesOnceAtTheEnd) {
    EXPECT_EQ(
        OutputOf(std::string(kSparse) +
                 "FORALL i IN INDICES OF a SAVE EXCEPTIONS INSERT INTO t VALUES (a(i), 'y' || i); "
                 "EXCEPTION WHEN bulk_errors THEN "
                 "dbms_output.put_line(SQLCODE || ' ' || SQL%BULK_EXCEPTIONS.COUNT || ' ' || SQL%ROWCOUNT); "
                 "FOR j IN 1 .. SQL%BULK_EXCEPTIONS.COUNT LOOP "
                 "dbms_output.put_line(SQL%BULK_EXCEPTIONS(j).ERROR_INDEX || ':' || "
                 "SQL%BULK_EXCEPTIONS(j).ERROR_CODE); END LOOP; "
                 "dbms_output.put_line(SQL%BULK_ROWCOUNT(20) || SQL%BULK_ROWCOUNT(30)); END;"),
        "-24381 2 3|3:1|5:1|10");
    EXPECT_EQ(Rows("SELECT n, s FROM t ORDER BY n"), "1,y10|2,y20|4,y40");
    // Unhandled, the block's changes are undone with the error.
    EXPECT_EQ(
        OutputOf("DECLARE TYPE nums IS TABLE OF NUMBER; a nums := nums(7, 1, 0, 8); BEGIN "
                 "FORALL i IN 1 .. a.COUNT SAVE EXCEPTIONS INSERT INTO t VALUES (10 / a(i), 'z'); END;"),
        "ERROR ORA-24381: 配列DMLでエラーが発生しました。|ORA-06512: 行1");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM t"), "3");
    EXPECT_EQ(OutputOf("BEGIN dbms_output.put_line(SQL%BULK_EXCEPTIONS(1).ERROR_CODE); END;"),
              "ERROR ORA-06533: 添字がカウントを超えています。|ORA-06512: 行1");
}
