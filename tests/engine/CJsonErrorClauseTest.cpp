// JSON_QUERY's and JSON_EXISTS's error and empty clauses: what each answers
// for text that is no JSON, for nothing found, for a scalar found without a
// wrapper and for a result longer than its type.
#include "tests/engine/EngineFixture.h"

namespace {

class CJsonErrorClauseTest : public EngineFixture {
protected:
    // The value, "-" for NULL, or the error's code.
    std::string Answer(const std::string& expression) {
        std::string rows = Rows("SELECT " + expression + " FROM DUAL");
        return rows.starts_with("ERROR ") ? rows.substr(6, 9) : rows;
    }
};

TEST_F(CJsonErrorClauseTest, JsonQueryAnswersItsClauses) {
    const struct {
        const char* call;
        const char* answer;
    } cases[] = {
        {"JSON_QUERY('{\"a\":[1,2]}', '$.a' ERROR ON ERROR)", "[1,2]"},
        {"JSON_QUERY('{\"a\":{\"b\":1}}', '$.a' ERROR ON ERROR)", "{\"b\":1}"},
        // A scalar is returned only within a wrapper.
        {"JSON_QUERY('{\"a\":1}', '$.a')", "-"},
        {"JSON_QUERY('{\"a\":1}', '$.a' ERROR ON ERROR)", "ORA-40480"},
        {"JSON_QUERY('{\"a\":1}', '$.a' NULL ON ERROR)", "-"},
        {"JSON_QUERY('{\"a\":1}', '$.a' EMPTY ARRAY ON ERROR)", "[]"},
        {"JSON_QUERY('{\"a\":1}', '$.a' EMPTY ON ERROR)", "[]"},
        {"JSON_QUERY('{\"a\":1}', '$.a' EMPTY OBJECT ON ERROR)", "{}"},
        {"JSON_QUERY('{\"a\":1}', '$.a' WITH WRAPPER ERROR ON ERROR)", "[1]"},
        // Nothing found: ON EMPTY's answer, ON ERROR's when it is not given.
        {"JSON_QUERY('{\"a\":1}', '$.b' ERROR ON ERROR)", "ORA-40462"},
        {"JSON_QUERY('{\"a\":1}', '$.b' ERROR ON ERROR NULL ON EMPTY)", "-"},
        {"JSON_QUERY('{\"a\":1}', '$.b' ERROR ON EMPTY)", "ORA-40462"},
        {"JSON_QUERY('{\"a\":1}', '$.b' EMPTY ARRAY ON EMPTY)", "[]"},
        {"JSON_QUERY('{\"a\":1}', '$.b' EMPTY OBJECT ON EMPTY)", "{}"},
        {"JSON_QUERY('{\"a\":1}', '$.b' EMPTY OBJECT ON ERROR)", "{}"},
        {"JSON_QUERY('{\"a\":1}', '$.b' WITH WRAPPER ERROR ON ERROR)", "ORA-40462"},
        {"JSON_QUERY('{\"a\":1}', '$.b' NULL ON ERROR ERROR ON EMPTY)", "ORA-40462"},
        // Text that is no JSON; no text at all is NULL.
        {"JSON_QUERY('oops', '$.a' ERROR ON ERROR)", "ORA-40441"},
        {"JSON_QUERY('oops', '$.a' EMPTY ARRAY ON ERROR)", "[]"},
        {"JSON_QUERY('oops', '$.a' ERROR ON EMPTY)", "-"},
        {"JSON_QUERY(NULL, '$.a' ERROR ON ERROR)", "-"},
        // A result longer than its type.
        {"JSON_QUERY('{\"a\":[1,2]}', '$.a' RETURNING VARCHAR2(3) ERROR ON ERROR)", "ORA-40478"},
        {"JSON_QUERY('{\"a\":[1,2]}', '$.a' RETURNING VARCHAR2(3) EMPTY ON ERROR)", "[]"},
        {"JSON_QUERY('{\"a\":[1,2]}', '$.a' RETURNING VARCHAR2(5) ERROR ON ERROR)", "[1,2]"},
    };
    for (const auto& c : cases) EXPECT_EQ(Answer(c.call), c.answer) << c.call;
}

TEST_F(CJsonErrorClauseTest, JsonExistsAnswersItsClause) {
    const struct {
        const char* condition;
        const char* answer;  // "T" when it holds, else "F"; or the error's code
    } cases[] = {
        {"JSON_EXISTS('oops', '$.a')", "F"},
        {"JSON_EXISTS('oops', '$.a' FALSE ON ERROR)", "F"},
        {"JSON_EXISTS('oops', '$.a' TRUE ON ERROR)", "T"},
        {"JSON_EXISTS('oops', '$.a' ERROR ON ERROR)", "ORA-40441"},
        {"JSON_EXISTS('{\"a\":1}', '$.a' TRUE ON ERROR)", "T"},
        {"JSON_EXISTS('{\"a\":1}', '$.b' TRUE ON ERROR)", "F"},
        {"JSON_EXISTS('{\"a\":1}', '$.a' ERROR ON ERROR)", "T"},
        {"JSON_EXISTS('{\"a\":1}', '$.b' ERROR ON ERROR)", "F"},
        {"JSON_EXISTS(NULL, '$.a' TRUE ON ERROR)", "F"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Answer(std::string("CASE WHEN ") + c.condition + " THEN 'T' ELSE 'F' END"), c.answer)
            << c.condition;
}

TEST_F(CJsonErrorClauseTest, ClausesApplyToEachRow) {
    Exec("CREATE TABLE D (ID NUMBER, J VARCHAR2(100))");
    Exec("INSERT INTO D VALUES (1, '{\"t\":[1]}')");
    Exec("INSERT INTO D VALUES (2, '{\"t\":\"x\"}')");
    Exec("INSERT INTO D VALUES (3, 'not json')");
    EXPECT_EQ(Rows("SELECT ID, JSON_QUERY(J, '$.t' EMPTY ARRAY ON ERROR) FROM D ORDER BY ID"),
              "1,[1]|2,[]|3,[]");
    EXPECT_EQ(Rows("SELECT ID FROM D WHERE JSON_EXISTS(J, '$.t' TRUE ON ERROR) ORDER BY ID"), "1|2|3");
    EXPECT_EQ(Rows("SELECT ID FROM D WHERE JSON_EXISTS(J, '$.t') ORDER BY ID"), "1|2");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM D WHERE ID = 1 AND JSON_QUERY(J, '$.t' ERROR ON ERROR) IS NOT NULL"),
              "1");
    EXPECT_EQ(Rows("SELECT JSON_QUERY(J, '$.t' ERROR ON ERROR) FROM D WHERE ID = 2").substr(0, 15),
              "ERROR ORA-40480");
    // DEFAULT is JSON_VALUE's only.
    EXPECT_EQ(Answer("JSON_QUERY('{}', '$.a' DEFAULT '[]' ON ERROR)"), "ORA-03001");
}

// A FORMAT JSON column of JSON_TABLE answers as JSON_QUERY: a scalar is an
// error, nothing found is ON EMPTY's (ON ERROR's when it is not given).
TEST_F(CJsonErrorClauseTest, JsonTableFormatJsonColumnsAnswerTheirClauses) {
    const std::string table =
        "SELECT A FROM JSON_TABLE('[{\"a\":[1]},{\"a\":2},{\"b\":1}]', '$[*]' COLUMNS (A VARCHAR2(20) FORMAT "
        "JSON PATH '$.a'";
    const struct {
        const char* clauses;
        const char* answer;
    } cases[] = {
        {"", "[1]|-|-"},
        {" EMPTY ARRAY ON ERROR", "[1]|[]|[]"},
        {" EMPTY ON ERROR NULL ON EMPTY", "[1]|[]|-"},
        {" EMPTY OBJECT ON ERROR NULL ON EMPTY", "[1]|{}|-"},
        {" NULL ON ERROR EMPTY OBJECT ON EMPTY", "[1]|-|{}"},
        {" ERROR ON ERROR", "ERROR ORA-40480"},
        {" NULL ON ERROR ERROR ON EMPTY", "ERROR ORA-40462"},
    };
    for (const auto& c : cases) {
        std::string rows = Rows(table + c.clauses + "))");
        EXPECT_EQ(rows.starts_with("ERROR ") ? rows.substr(0, 15) : rows, c.answer) << c.clauses;
    }
}

}  // namespace
