// INSERT ALL and INSERT FIRST: every INTO of every row, or the first WHEN a
// row passes, in one statement that completes or changes nothing.
#include "engine/sqlite/CMultiTableInsert.h"
#include "tests/engine/EngineFixture.h"

namespace {

class CMultiTableInsertTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        Exec("CREATE TABLE SRC (ID NUMBER, AMT NUMBER)");
        Exec("INSERT INTO SRC VALUES (1, 10)");
        Exec("INSERT INTO SRC VALUES (2, 20)");
        Exec("INSERT INTO SRC VALUES (3, NULL)");
        Exec("CREATE TABLE T (ID NUMBER, TAG VARCHAR2(10))");
        Exec("COMMIT");
    }
    std::string Inserted(const std::string& sql) {
        long rows = 0;
        if (!m_connection->Execute(encoding::Utf8ToCp932(sql), m_binds, rows)) return "ERROR " + Error();
        return std::to_string(rows) + ":" + Rows("SELECT ID, TAG FROM T ORDER BY ID, TAG");
    }
};

TEST_F(CMultiTableInsertTest, RowsGoWhereTheirClausesSay) {
    struct Case {
        const char* sql;
        const char* outcome;
    } cases[] = {
        // The idiom for several rows at once.
        {"INSERT ALL INTO T VALUES (1, 'a') INTO T (TAG, ID) VALUES ('b', 2) SELECT * FROM DUAL",
         "2:1,a|2,b"},
        {"INSERT ALL INTO T (ID) VALUES (ID) INTO T VALUES (ID + 10, 'x') SELECT ID FROM SRC WHERE ID < 3",
         "4:1,-|2,-|11,x|12,x"},
        // ALL: every WHEN a row passes; a NULL passes none.
        {"INSERT ALL WHEN AMT > 5 THEN INTO T VALUES (ID, 'gt5') WHEN AMT > 15 THEN INTO T VALUES (ID, "
         "'gt15') "
         "SELECT ID, AMT FROM SRC",
         "3:1,gt5|2,gt15|2,gt5"},
        // FIRST: the first WHEN only; ELSE takes the rows no WHEN took.
        {"INSERT FIRST WHEN AMT > 15 THEN INTO T VALUES (ID, 'big') WHEN AMT > 5 THEN INTO T VALUES (ID, "
         "'mid') ELSE INTO T VALUES (ID, 'none') SELECT ID, AMT FROM SRC",
         "3:1,mid|2,big|3,none"},
        // One INTO failing undoes the others.
        {"INSERT ALL INTO T VALUES (9, 'x') INTO NOPE VALUES (1) SELECT * FROM DUAL", "ERROR ORA-00942"},
        {"INSERT ALL INTO T VALUES (9, 'x')", "ERROR ORA-00900"},
    };
    for (const Case& c : cases) {
        std::string outcome = Inserted(c.sql);
        EXPECT_EQ(outcome.substr(0, std::string(c.outcome).size()), c.outcome) << c.sql;
        Exec("ROLLBACK");
    }
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM T"), "0");
}

TEST_F(CMultiTableInsertTest, AnErrorIsShownWhereItWasTyped) {
    struct Case {
        const char* sql;
        const char* marked;  // the text at the error's place
    } cases[] = {
        {"INSERT ALL INTO T VALUES (9, 'x') INTO NOPE VALUES (1) SELECT * FROM DUAL", "NOPE VALUES"},
        {"INSERT ALL INTO T VALUES (1, 'a')\n  INTO T VALUES (2, BADCOL) SELECT * FROM DUAL", "BADCOL)"},
        {"INSERT ALL INTO T (ID, NOCOL) VALUES (1, 'a') SELECT * FROM DUAL", "NOCOL)"},
        {"INSERT FIRST WHEN ZZ > 1 THEN INTO T VALUES (1, 'a') SELECT * FROM DUAL", "ZZ > 1"},
        {"INSERT ALL INTO T VALUES (ID, 'a') SELECT ID, QQ FROM SRC", "QQ FROM"},
        // A value too long for its column: the INTO clause it goes by.
        {"INSERT ALL INTO T VALUES (1, 'a') INTO T VALUES (2, 'abcdefghijklmn') SELECT * FROM DUAL",
         "INTO T VALUES (2"},
        // A division by zero is shown at its operator, as in a single INSERT.
        {"INSERT ALL INTO T VALUES (1, 'a') INTO T VALUES (1 / 0, 'b') SELECT * FROM DUAL", "/ 0"},
    };
    for (const Case& c : cases) {
        long rows = 0;
        std::string sql = encoding::Utf8ToCp932(c.sql);
        ASSERT_FALSE(m_connection->Execute(sql, m_binds, rows)) << c.sql;
        int at = m_connection->LastError().position;
        ASSERT_GE(at, 0) << c.sql;
        EXPECT_EQ(sql.substr(static_cast<std::size_t>(at), std::string(c.marked).size()), c.marked)
            << c.sql << ": " << Error();
    }
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM T"), "0");
}

TEST(CMultiTableInsertSplit, EachIntoBecomesAnInsertOverTheQuery) {
    auto split = CMultiTableInsert::Read(
        "INSERT FIRST WHEN (a) > 1 THEN INTO t (x) VALUES (f(a, 2)) ELSE "
        "INTO u SELECT a FROM s;");
    ASSERT_EQ(split.made.size(), 2u);
    EXPECT_EQ(split.made[0].text,
              "INSERT INTO t (x) SELECT f(a, 2) FROM (SELECT a FROM s) WHERE CASE WHEN ((a) > 1) THEN 1 ELSE "
              "0 END = 1");
    EXPECT_EQ(
        split.made[1].text,
        "INSERT INTO u SELECT * FROM (SELECT a FROM s) WHERE CASE WHEN ((a) > 1) THEN 1 ELSE 0 END = 0");
    EXPECT_NE(CMultiTableInsert::Read("INSERT ALL INTO t VALUES (1 SELECT 1 FROM dual").failedAt,
              std::string::npos);
    EXPECT_FALSE(CMultiTableInsert::Takes("INSERT INTO ALL_T VALUES (1)"));
    for (const char* taken :
         {"  insert all into t values (1) select 1 from dual", "-- c\nINSERT FIRST INTO t",
          "insert\nall into t", "/* c */ INSERT ALL INTO t", "INSERT /* c */ ALL INTO t"})
        EXPECT_TRUE(CMultiTableInsert::Takes(taken)) << taken;
    for (const char* other : {"INSERT\tINTO t VALUES (1)", "INSERT INTO_ALL VALUES (1)", "INSERTALL",
                              "update t set a = 1", "DELETE all_t", "insert into all"})
        EXPECT_FALSE(CMultiTableInsert::Takes(other)) << other;
}

}  // namespace
