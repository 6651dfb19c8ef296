// CREATE FORCE VIEW: a view whose query does not compile is made anyway,
// invalid, with the server's warning; it answers once its tables are there,
// with the columns they have then. Without FORCE nothing is made.
#include "tests/engine/EngineFixture.h"

namespace {

constexpr const char* kWarning = "ERROR 警告: コンパイル・エラーがあります。";

class CForcedViewTest : public EngineFixture {
protected:
    // A statement that answers the warning changes the file: it is checked
    // as any schema statement that completes.
    std::string Forced(const std::string& sql) {
        std::string outcome = OutputOf(sql);
        CheckFile(sql);
        return outcome;
    }
    std::string Status(const std::string& view) {
        return Rows("SELECT STATUS FROM USER_OBJECTS WHERE OBJECT_NAME = '" + view + "'");
    }
};

TEST_F(CForcedViewTest, AForcedViewOverAMissingTableWaitsForIt) {
    EXPECT_EQ(Forced("CREATE FORCE VIEW later_v AS SELECT * FROM later_t"), kWarning);
    EXPECT_EQ(Status("LATER_V"), "INVALID");
    EXPECT_EQ(Rows("SELECT TEXT FROM USER_VIEWS WHERE VIEW_NAME = 'LATER_V'"), "SELECT * FROM later_t");
    EXPECT_EQ(Rows("SELECT * FROM later_v"), "ERROR ORA-04063: view LATER_V にエラーがあります。");
    EXPECT_EQ(Failure("ALTER VIEW later_v COMPILE"), "警告: コンパイル・エラーがあります。");
    // A table renamed while the view waits is no concern of the view's.
    Exec("CREATE TABLE other_t (x NUMBER)");
    Exec("RENAME other_t TO other_u");
    Exec("CREATE TABLE later_t (a NUMBER, b VARCHAR2(5))");
    Exec("INSERT INTO later_t VALUES (1, 'one')");
    EXPECT_EQ(Rows("SELECT * FROM later_v"), "1,one");
    EXPECT_EQ(Status("LATER_V"), "VALID");
    EXPECT_EQ(
        Rows("SELECT COLUMN_NAME FROM USER_TAB_COLUMNS WHERE TABLE_NAME = 'LATER_V' ORDER BY COLUMN_ID"),
        "A|B");
    EXPECT_EQ(Failure("ALTER VIEW later_v COMPILE"), "OK");
}

// A forced view over another forced view answers once the table under both is there.
TEST_F(CForcedViewTest, AViewOverAWaitingViewWaitsWithIt) {
    EXPECT_EQ(Forced("CREATE FORCE VIEW top_v AS SELECT n + 1 AS m FROM low_v"), kWarning);
    EXPECT_EQ(Forced("CREATE FORCE VIEW low_v AS SELECT n FROM base_t"), kWarning);
    Exec("CREATE TABLE base_t (n NUMBER)");
    Exec("INSERT INTO base_t VALUES (1)");
    EXPECT_EQ(Rows("SELECT m FROM top_v"), "2");
    EXPECT_EQ(Rows("SELECT STATUS FROM USER_OBJECTS WHERE OBJECT_TYPE = 'VIEW' ORDER BY OBJECT_NAME"),
              "VALID|VALID");
}

TEST_F(CForcedViewTest, WithoutForceAMissingTableMakesNoView) {
    EXPECT_EQ(Failure("CREATE VIEW v AS SELECT * FROM nowhere"),
              "ORA-00942: 表またはビュー NOWHERE は存在しません。");
    EXPECT_EQ(Failure("CREATE NOFORCE VIEW v AS SELECT * FROM nowhere").substr(0, 9), "ORA-00942");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM USER_OBJECTS WHERE OBJECT_NAME = 'V'"), "0");
    // A query FORCE cannot keep for later (its words are wrong) makes no view either.
    EXPECT_NE(Failure("CREATE FORCE VIEW v AS SELECT FROM nowhere"), "OK");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM USER_VIEWS"), "0");
}

TEST_F(CForcedViewTest, AForcedViewOverTablesThatAreThereIsAnOrdinaryView) {
    Exec("CREATE TABLE t (a NUMBER)");
    Exec("INSERT INTO t VALUES (3)");
    Exec("CREATE FORCE VIEW v AS SELECT a * 2 AS d FROM t");
    EXPECT_EQ(Rows("SELECT d FROM v"), "6");
    EXPECT_EQ(Status("V"), "VALID");
}

// The column names and options of a forced view hold once it compiles, and
// a valid view replaced by a forced one that does not compile is invalid.
TEST_F(CForcedViewTest, NamesAndOptionsHoldWhenTheQueryCompiles) {
    Exec("CREATE TABLE t (a NUMBER)");
    Exec("INSERT INTO t VALUES (4)");
    Exec("CREATE VIEW v AS SELECT a FROM t");
    EXPECT_EQ(Forced("CREATE OR REPLACE FORCE VIEW v (x, y) AS SELECT a, b FROM t WITH READ ONLY"), kWarning);
    EXPECT_EQ(Status("V"), "INVALID");
    Exec("ALTER TABLE t ADD (b NUMBER)");
    EXPECT_EQ(Rows("SELECT x, y FROM v"), "4,-");
    EXPECT_EQ(Rows("SELECT READ_ONLY FROM USER_VIEWS WHERE VIEW_NAME = 'V'"), "Y");
    EXPECT_EQ(Failure("DELETE FROM v").substr(0, 9), "ORA-42399");
    Exec("DROP VIEW v");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM USER_VIEWS"), "0");
}

}  // namespace
