// IS JSON (in queries and in CHECK constraints) and the JSON functions,
// with NULL for a document that is no JSON, as the server's defaults give.
#include "engine/sqlite/CSqliteSchema.h"
#include "tests/engine/EngineFixture.h"

namespace {

TEST(CJsonConditionsTest, WritesIsJsonWithJsonValid) {
    struct Case {
        const char* written;
        const char* rewritten;
    } cases[] = {
        {"CHECK (doc IS JSON)", "CHECK ((CASE WHEN doc IS NOT NULL THEN json_valid(doc) END))"},
        {"CHECK (t.doc IS NOT JSON STRICT)",
         "CHECK ((CASE WHEN t.doc IS NOT NULL THEN NOT json_valid(t.doc) END))"},
        {"CHECK (TRIM(d) IS JSON WITH UNIQUE KEYS)",
         "CHECK ((CASE WHEN TRIM(d) IS NOT NULL THEN json_valid(TRIM(d)) END))"},
        {"CHECK (d = 'IS JSON')", "CHECK (d = 'IS JSON')"},
        {"CHECK (1 IS JSON)", "CHECK (1 IS JSON)"},
    };
    for (const Case& c : cases) EXPECT_EQ(CSqliteSchema::JsonConditions(c.written), c.rewritten) << c.written;
}

class CJsonTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        Exec("CREATE TABLE P (ID NUMBER, DOC VARCHAR2(400) CONSTRAINT P_JSON CHECK (DOC IS JSON))");
        Exec("INSERT INTO P VALUES (1, '{\"name\":\"pen\",\"price\":1.5,\"tags\":[\"a\",\"b\"]}')");
        Exec("INSERT INTO P VALUES (2, NULL)");
        Exec("INSERT INTO P VALUES (3, '[4, 5]')");
    }
};

TEST_F(CJsonTest, CheckConstraintTakesJsonAndNullOnly) {
    EXPECT_EQ(Failure("INSERT INTO P VALUES (4, 'pen')").substr(0, 9), "ORA-02290");
    EXPECT_EQ(Rows("SELECT ID FROM P WHERE DOC IS JSON ORDER BY ID"), "1|3");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM P WHERE DOC IS NOT JSON"), "0");
}

TEST_F(CJsonTest, FunctionsReadScalarsObjectsAndPaths) {
    EXPECT_EQ(Rows("SELECT JSON_VALUE(DOC, '$.name'), JSON_VALUE(DOC, '$.tags'), JSON_QUERY(DOC, '$.tags'), "
                   "JSON_QUERY(DOC, '$.name') FROM P WHERE ID = 1"),
              "pen,-,[\"a\",\"b\"],-");
    EXPECT_EQ(
        Rows("SELECT ID FROM P WHERE JSON_EXISTS(DOC, '$.price') OR JSON_EXISTS(DOC, '$[1]') ORDER BY ID"),
        "1|3");
    EXPECT_EQ(Rows("SELECT JSON_VALUE('not json', '$.a') FROM DUAL"), "-");
    EXPECT_EQ(Rows("SELECT JSON_ARRAYAGG(DOC) FROM (SELECT JSON_VALUE(DOC, '$.name') DOC FROM P)"),
              "[\"pen\"]");
    EXPECT_EQ(
        Rows("SELECT JSON_ARRAYAGG(JSON_OBJECT('id' VALUE ID, KEY 'doc' VALUE JSON_VALUE(DOC, '$.name'))) "
             "FROM P WHERE ID < 3"),
        "[{\"id\":1,\"doc\":\"pen\"},{\"id\":2,\"doc\":null}]");
    EXPECT_EQ(Failure("SELECT JSON_OBJECT('id' ID) FROM P").substr(0, 9), "ORA-00900");
    EXPECT_EQ(Failure("SELECT JSON_VALUE(DOC) FROM P").substr(0, 9), "ORA-00938");
    EXPECT_EQ(Failure("SELECT * FROM JSON_TABLE(NODOC, '$' COLUMNS (A NUMBER PATH '$.a'))").substr(0, 9),
              "ORA-00904");
}

}  // namespace
