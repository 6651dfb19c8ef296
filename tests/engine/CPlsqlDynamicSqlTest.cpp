// EXECUTE IMMEDIATE beyond queries and DML with IN values: dynamic blocks
// with IN, OUT and IN OUT arguments, DML ... RETURNING INTO, and the DDL of
// install scripts, as the PL/SQL Language Reference describes them.
#include <gtest/gtest.h>

#include "tests/engine/EngineFixture.h"

namespace {

class DynamicSqlTest : public OutputFixture {};

constexpr const char* kDropIfThere =
    "BEGIN EXECUTE IMMEDIATE 'DROP TABLE t'; EXCEPTION WHEN OTHERS THEN IF SQLCODE != -942 THEN RAISE; "
    "END IF; dbms_output.put_line('none'); END;";

}  // namespace

TEST_F(DynamicSqlTest, InstallScriptsDropAndCreateTablesInBlocks) {
    EXPECT_EQ(OutputOf(kDropIfThere), "none");
    EXPECT_EQ(
        OutputOf("BEGIN EXECUTE IMMEDIATE 'CREATE TABLE t (n NUMBER PRIMARY KEY, s VARCHAR2(10), d DATE)'; "
                 "EXECUTE IMMEDIATE 'INSERT INTO t VALUES (:1, :2, NULL)' USING 1, 'one'; END;"),
        "");
    EXPECT_EQ(Rows("SELECT n, s FROM t"), "1,one");
    // The DDL commits what came before it, as on the server.
    EXPECT_EQ(OutputOf("BEGIN INSERT INTO t VALUES (2, 'two', NULL); EXECUTE IMMEDIATE 'CREATE TABLE u (x "
                       "NUMBER)'; EXECUTE IMMEDIATE 'CREATE TABLE u (x NUMBER)'; END;")
                  .substr(0, 15),
              "ERROR ORA-00955");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM t"), "2");
    EXPECT_EQ(OutputOf(kDropIfThere), "");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM user_tables WHERE table_name = 'T'"), "0");
}

TEST_F(DynamicSqlTest, BlocksTakeInOutAndInOutArguments) {
    Exec(
        "CREATE OR REPLACE PROCEDURE p(a IN NUMBER, b OUT VARCHAR2, c IN OUT NUMBER) IS BEGIN b := 'got ' || "
        "a; c := c * 2; END;");
    const struct {
        const char* block;
        const char* answer;
    } cases[] = {
        {"DECLARE x NUMBER := 5; y VARCHAR2(20) := 'old'; z NUMBER := 21; BEGIN "
         "EXECUTE IMMEDIATE 'BEGIN p(:a, :b, :c); END;' USING IN x, OUT y, IN OUT z; "
         "dbms_output.put_line(y || ' ' || z || ' ' || x); END;",
         "got 5 42 5"},
        // A placeholder named twice in a block is one argument.
        {"DECLARE n NUMBER := 3; BEGIN EXECUTE IMMEDIATE 'BEGIN :v := :v * :v; END;' USING IN OUT n; "
         "dbms_output.put_line(n); END;",
         "9"},
        {"DECLARE d DATE := DATE '2024-02-28'; BEGIN EXECUTE IMMEDIATE 'BEGIN :d := :d + 1; END;' USING IN "
         "OUT d; dbms_output.put_line(TO_CHAR(d, 'YYYY-MM-DD')); END;",
         "2024-02-29"},
        // An OUT argument's variable gets NULL when the block sets nothing.
        {"DECLARE s VARCHAR2(5) := 'x'; BEGIN EXECUTE IMMEDIATE 'BEGIN IF 1 = 0 THEN :s := ''y''; END IF; "
         "END;' USING OUT s; dbms_output.put_line(NVL(s, 'null')); END;",
         "null"},
        {"DECLARE y VARCHAR2(20); BEGIN EXECUTE IMMEDIATE 'BEGIN p(1, :b, :c); END;' USING OUT y; END;",
         "ERROR ORA-01008: バインド変数 C が宣言されていません。|ORA-06512: 行1"},
        {"BEGIN EXECUTE IMMEDIATE 'BEGIN RAISE_APPLICATION_ERROR(-20001, ''inner''); END;'; EXCEPTION WHEN "
         "OTHERS THEN dbms_output.put_line(SQLCODE); END;",
         "-20001"},
    };
    for (const auto& c : cases) EXPECT_EQ(OutputOf(c.block), c.answer) << c.block;
}

TEST_F(DynamicSqlTest, DmlReturningIntoGivesTheStatementsValues) {
    Exec("CREATE TABLE t (n NUMBER PRIMARY KEY, s VARCHAR2(10), d DATE)");
    EXPECT_EQ(
        OutputOf(
            "DECLARE s VARCHAR2(10); d DATE; BEGIN EXECUTE IMMEDIATE 'INSERT INTO t VALUES (:1, :2, :3) "
            "RETURNING s INTO :4' USING 1, 'one', DATE '2024-05-06', OUT s; dbms_output.put_line(s); "
            "EXECUTE IMMEDIATE 'UPDATE t SET s = UPPER(s) WHERE n = :n RETURNING s, d INTO :x, :y' USING 1 "
            "RETURNING INTO s, d; "
            "dbms_output.put_line(s || ' ' || TO_CHAR(d, 'YYYY/MM/DD') || ' ' || SQL%ROWCOUNT); "
            "EXECUTE IMMEDIATE 'DELETE FROM t WHERE n = :n RETURNING n INTO :x' USING 2 RETURNING INTO s; "
            "dbms_output.put_line(NVL(s, 'untouched') || ' ' || SQL%ROWCOUNT); END;"),
        "one|ONE 2024/05/06 1|ONE 0");
    EXPECT_EQ(Rows("SELECT s FROM t"), "ONE");
}

TEST_F(DynamicSqlTest, BulkCollectTakesEveryRowOfAQueryOrOfReturning) {
    Exec("CREATE TABLE t (n NUMBER, s VARCHAR2(5))");
    Exec("INSERT INTO t VALUES (1, 'a')");
    Exec("INSERT INTO t VALUES (2, 'b')");
    Exec("INSERT INTO t VALUES (3, 'c')");
    EXPECT_EQ(
        OutputOf(
            "DECLARE TYPE nums IS TABLE OF NUMBER; TYPE strs IS TABLE OF VARCHAR2(5); n nums; s strs; "
            "BEGIN EXECUTE IMMEDIATE 'SELECT n, s FROM t WHERE n >= :lo ORDER BY n' "
            "BULK COLLECT INTO n, s USING 2; dbms_output.put_line(n.COUNT || s(1) || s(2)); "
            "EXECUTE IMMEDIATE 'SELECT n, s FROM t WHERE n > 5' BULK COLLECT INTO n, s; "
            "dbms_output.put_line(n.COUNT || ' ' || SQL%ROWCOUNT); "
            "EXECUTE IMMEDIATE 'DELETE FROM t WHERE n < :x RETURNING s INTO :y' USING 3 "
            "RETURNING BULK COLLECT INTO s; dbms_output.put_line(s.COUNT || s(2) || SQL%ROWCOUNT); END;"),
        "2bc|0 0|2b2");
    EXPECT_EQ(Rows("SELECT s FROM t"), "c");
}
