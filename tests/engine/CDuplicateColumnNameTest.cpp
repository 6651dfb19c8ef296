// A query whose columns share a name can be shown, but a query that reads
// it as a source (an inline view, a view, a WITH query) cannot tell the
// columns apart: "*" and the shared name are ambiguous (ORA-00918), and a
// view or table cannot be made of it (ORA-00957).
#include "tests/engine/EngineFixture.h"

namespace {

class CDuplicateColumnNameTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        Exec("CREATE TABLE D (ID NUMBER, NAME VARCHAR2(10))");
        Exec("CREATE TABLE E (ID NUMBER, D_ID NUMBER)");
        Exec("INSERT INTO D VALUES (1, 'one')");
        Exec("INSERT INTO E VALUES (7, 1)");
    }
    // The ORA- code a statement fails with, "OK" when it does not.
    std::string CodeOf(const std::string& sql) {
        std::string rows = Rows(sql);
        if (rows.rfind("ERROR ", 0) != 0) return "OK";
        std::size_t at = rows.find("ORA-");
        return at == std::string::npos ? rows : rows.substr(at, 9);
    }
};

TEST_F(CDuplicateColumnNameTest, ASharedNameOfASourceIsAmbiguous) {
    struct Case {
        const char* query;
        const char* code;
    } cases[] = {
        // The top query shows both columns, each under its own heading.
        {"SELECT e.id, d.id FROM d, e", "OK"},
        {"SELECT * FROM (SELECT e.id, d.id FROM d, e)", "ORA-00918"},
        {"SELECT x.* FROM (SELECT e.id, d.id FROM d, e) x", "ORA-00918"},
        {"SELECT id FROM (SELECT e.id, d.id FROM d, e)", "ORA-00918"},
        {"SELECT x.id FROM (SELECT e.id, d.id FROM d, e) x", "ORA-00918"},
        {"SELECT a FROM (SELECT 1 a, 2 a, 3 b FROM dual)", "ORA-00918"},
        {"WITH q AS (SELECT e.id, d.id FROM d, e) SELECT * FROM q", "ORA-00918"},
        // A column of its own name stays readable; so do aliased ones.
        {"SELECT name FROM (SELECT e.id, d.id, d.name FROM d, e)", "OK"},
        {"SELECT * FROM (SELECT e.id, d.id did FROM d, e)", "OK"},
        // Only the source "x." names is expanded.
        {"SELECT y.* FROM (SELECT e.id, d.id FROM d, e) x, d y", "OK"},
    };
    for (const Case& c : cases) EXPECT_EQ(CodeOf(c.query), c.code) << c.query;
}

TEST_F(CDuplicateColumnNameTest, NoHeadingIsMadeUp) {
    EXPECT_EQ(Rows("SELECT name FROM (SELECT e.id, d.id, d.name FROM d, e)"), "one");
    EXPECT_EQ(Rows("SELECT * FROM (SELECT e.id, d.id did FROM d, e)"), "7,1");
    CEngineResult result;
    ASSERT_TRUE(m_connection->Query("SELECT e.id, d.id FROM d, e", m_binds, result));
    ASSERT_EQ(result.Columns().size(), 2u);
    EXPECT_EQ(result.Columns()[0].name, "ID");
    EXPECT_EQ(result.Columns()[1].name, "ID");
}

TEST_F(CDuplicateColumnNameTest, AViewOrTableOfSharedNamesIsRefused) {
    const char* statements[] = {
        "CREATE VIEW V AS SELECT e.id, d.id FROM d, e",
        "CREATE OR REPLACE VIEW V AS SELECT 1 a, 2 a FROM dual",
        "CREATE TABLE C AS SELECT e.id, d.id FROM d, e",
    };
    for (const char* sql : statements) {
        std::string failure = Failure(sql);
        EXPECT_NE(failure.find("ORA-00957"), std::string::npos) << sql << ": " << failure;
    }
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM USER_OBJECTS WHERE OBJECT_NAME IN ('V', 'C')"), "0");
}

}  // namespace
