// Clauses of table statements that scripts write: LOB storage before AS,
// columns set unused (gone at once, as they are for every purpose on the
// server) and the space of unused columns reclaimed; external tables, whose
// rows are a file's, are refused by name.
#include "tests/engine/EngineFixture.h"

namespace {

class CTableClauseTest : public EngineFixture {
protected:
    std::string Columns(const std::string& table) {
        return Rows("SELECT COLUMN_NAME FROM USER_TAB_COLUMNS WHERE TABLE_NAME = '" + table +
                    "' ORDER BY COLUMN_ID");
    }
};

TEST_F(CTableClauseTest, LobStorageIsTakenBeforeTheQuery) {
    Exec("CREATE TABLE t1 (id NUMBER, c CLOB)");
    Exec("INSERT INTO t1 VALUES (1, 'text')");
    Exec("COMMIT");
    const char* statements[] = {
        "CREATE TABLE t2 LOB (c) STORE AS (CACHE) AS SELECT * FROM t1",
        // Note: two literals joined on purpose.
        ("CREATE TABLE t3 LOB (c) STORE AS SECUREFILE t3_seg (ENABLE STORAGE IN ROW) NOLOGGING AS SELECT * "
         "FROM t1"),
        "CREATE TABLE t4 NOLOGGING LOB (c) STORE AS BASICFILE AS SELECT * FROM t1",
        "CREATE TABLE t5 (i, c) LOB (c) STORE AS t5_seg AS SELECT * FROM t1",
    };
    for (const char* sql : statements) Exec(sql);
    for (const char* table : {"T2", "T3", "T4"})
        EXPECT_EQ(Rows(std::string("SELECT * FROM ") + table), "1,text");
    EXPECT_EQ(Rows("SELECT i, c FROM t5"), "1,text");
}

TEST_F(CTableClauseTest, AnUnusedColumnIsGone) {
    Exec("CREATE TABLE t (a NUMBER, b VARCHAR2(5), c NUMBER, d DATE)");
    Exec("INSERT INTO t VALUES (1, 'x', 2, NULL)");
    Exec("ALTER TABLE t SET UNUSED COLUMN b");
    EXPECT_EQ(Rows("SELECT * FROM t"), "1,2,-");
    EXPECT_EQ(Columns("T"), "A|C|D");
    // Its name is free for a new column.
    Exec("ALTER TABLE t ADD (b NUMBER)");
    EXPECT_EQ(Columns("T"), "A|C|D|B");
    Exec("ALTER TABLE t SET UNUSED (c, d) ONLINE");
    EXPECT_EQ(Rows("SELECT * FROM t"), "1,-");
    Exec("ALTER TABLE t DROP UNUSED COLUMNS");
    Exec("ALTER TABLE t DROP UNUSED COLUMNS CHECKPOINT 250");
    Exec("ALTER TABLE t DROP COLUMNS CONTINUE");
    EXPECT_EQ(Columns("T"), "A|B");
    EXPECT_EQ(Failure("ALTER TABLE t SET UNUSED COLUMN zz").substr(0, 9), "ORA-00904");
    EXPECT_EQ(Failure("ALTER TABLE nosuch DROP UNUSED COLUMNS"),
              "ORA-00942: 表またはビュー NOSUCH は存在しません。");
    Exec("ALTER TABLE t SET UNUSED COLUMN b");
    // The last column cannot go.
    EXPECT_EQ(Failure("ALTER TABLE t SET UNUSED COLUMN a"), "ORA-12983: 表のすべての列は削除できません。");
    EXPECT_EQ(Rows("SELECT * FROM t"), "1");
}

TEST_F(CTableClauseTest, AnExternalTableIsRefusedAndNothingIsMade) {
    std::string answer = Failure(
        "CREATE TABLE ext (a NUMBER) ORGANIZATION EXTERNAL (TYPE oracle_loader DEFAULT DIRECTORY d LOCATION "
        "('f.csv'))");
    EXPECT_EQ(
        answer,
        "ORA-03001: 未実装の機能です: 外部表 (ORGANIZATION EXTERNAL) は組込みデータベースでは使えません。");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM USER_OBJECTS WHERE OBJECT_NAME = 'EXT'"), "0");
}

}  // namespace
