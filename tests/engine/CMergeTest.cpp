// MERGE: matched rows updated (and some deleted), unmatched source rows
// inserted, all or nothing, counted as the server counts them.
#include "tests/engine/EngineFixture.h"

namespace {

class CMergeTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        Exec("CREATE TABLE EMP (ID NUMBER(4) PRIMARY KEY, NAME VARCHAR2(6), SAL NUMBER(7,2))");
        Exec("CREATE TABLE CHG (ID NUMBER(4), NAME VARCHAR2(10), SAL NUMBER(7,2))");
        for (const char* row : {"1, 'a', 100", "2, 'b', 200", "3, 'c', 300"})
            Exec(std::string("INSERT INTO EMP VALUES (") + row + ")");
        for (const char* row : {"2, 'bb', 50", "3, 'cc', 0", "4, 'dd', 400", "5, 'ee', 0"})
            Exec(std::string("INSERT INTO CHG VALUES (") + row + ")");
    }
    // "OK n" with the rows merged, or the failure.
    std::string Merge(const std::string& sql) {
        long rows = 0;
        if (!m_connection->Execute(encoding::Utf8ToCp932(sql), m_binds, rows)) return Error();
        return "OK " + std::to_string(rows);
    }
};

TEST_F(CMergeTest, UpdatesMatchedRowsAndInsertsTheOthers) {
    EXPECT_EQ(Merge("MERGE INTO emp e USING chg c ON (e.id = c.id) "
                    "WHEN MATCHED THEN UPDATE SET e.name = c.name, e.sal = e.sal + c.sal "
                    "WHEN NOT MATCHED THEN INSERT (e.id, e.name, e.sal) VALUES (c.id, c.name, c.sal)"),
              "OK 4");
    EXPECT_EQ(Rows("SELECT * FROM EMP ORDER BY ID"), "1,a,100|2,bb,250|3,cc,300|4,dd,400|5,ee,0");
}

// DELETE WHERE removes updated rows only, never a row the INSERT added nor
// one the UPDATE's own WHERE left alone; the deleted rows count as updated.
TEST_F(CMergeTest, DeleteWhereRemovesOnlyUpdatedRows) {
    EXPECT_EQ(Merge("MERGE INTO emp e USING chg c ON (e.id = c.id) "
                    "WHEN MATCHED THEN UPDATE SET e.name = c.name WHERE c.id > 2 DELETE WHERE c.sal = 0 "
                    "WHEN NOT MATCHED THEN INSERT VALUES (c.id, c.name, c.sal)"),
              "OK 3");
    EXPECT_EQ(Rows("SELECT * FROM EMP ORDER BY ID"), "1,a,100|2,b,200|4,dd,400|5,ee,0");
}

TEST_F(CMergeTest, EitherClauseAloneAndASubqueryAsTheSource) {
    EXPECT_EQ(Merge("MERGE INTO emp USING (SELECT 1 id, 9 bonus FROM dual) s ON (emp.id = s.id) "
                    "WHEN MATCHED THEN UPDATE SET sal = sal + s.bonus"),
              "OK 1");
    EXPECT_EQ(Merge("MERGE INTO emp USING dual ON (emp.id = 7) "
                    "WHEN NOT MATCHED THEN INSERT (id, name) VALUES (7, 'seven') WHERE 1 = 1"),
              "OK 1");
    EXPECT_EQ(Merge("MERGE INTO emp USING dual ON (emp.id = 7) "
                    "WHEN NOT MATCHED THEN INSERT (id, name) VALUES (7, 'again')"),
              "OK 0");
    EXPECT_EQ(Rows("SELECT ID, SAL, NAME FROM EMP WHERE ID IN (1, 7) ORDER BY ID"), "1,109,a|7,-,seven");
}

// A value the column refuses undoes the whole MERGE; so does a target row
// that two source rows match (the server cannot tell which one updates it).
TEST_F(CMergeTest, AFailureChangesNothing) {
    std::string before = Rows("SELECT * FROM EMP ORDER BY ID");
    EXPECT_EQ(Merge("MERGE INTO emp e USING chg c ON (e.id = c.id) "
                    "WHEN NOT MATCHED THEN INSERT VALUES (c.id, c.name || 'xxxxxx', 1) "
                    "WHEN MATCHED THEN UPDATE SET e.sal = 1")
                  .substr(0, 9),
              "ORA-12899");
    EXPECT_EQ(Rows("SELECT * FROM EMP ORDER BY ID"), before);
    Exec("INSERT INTO CHG VALUES (1, 'again', 5)");
    Exec("INSERT INTO CHG VALUES (1, 'twice', 6)");
    EXPECT_EQ(
        Merge("MERGE INTO emp e USING chg c ON (e.id = c.id) WHEN MATCHED THEN UPDATE SET e.sal = c.sal")
            .substr(0, 9),
        "ORA-30926");
    EXPECT_EQ(Rows("SELECT * FROM EMP ORDER BY ID"), before);
    EXPECT_EQ(
        Merge("MERGE INTO emp e USING chg c ON (e.id = c.id) WHEN MATCHED THEN UPDATE SET e.id = c.id + 9"),
        "ORA-38104: ON 句で参照される列は更新できません: E.ID");
    EXPECT_EQ(Merge("MERGE INTO emp e USING chg c ON (e.id = c.id) WHEN").substr(0, 9), "ORA-00900");
    EXPECT_EQ(m_connection->LastError().position, 50);  // after WHEN
}

}  // namespace
