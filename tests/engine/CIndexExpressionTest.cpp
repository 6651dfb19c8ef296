// The keys of a function-based index show in the dictionary as the server
// shows them: the user's expression with its words in upper case and its
// columns in double quotes, whatever the engine compiled it to.
#include "tests/engine/EngineFixture.h"

namespace {

class CIndexExpressionTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        Exec("CREATE TABLE emp (ename VARCHAR2(10), hiredate DATE, sal NUMBER, note VARCHAR2(20))");
        Exec("INSERT INTO emp VALUES ('Smith', DATE '2020-05-06', 800, 'a*/b')");
    }
};

TEST_F(CIndexExpressionTest, KeysShowInTheServersForm) {
    // Note: a raw reader of the file knows no engine function (ORA_TRUNC,
    // ORA_MUL), so these keys are not checked as other schema statements are.
    long rows = 0;
    for (const char* sql : {"CREATE INDEX ix1 ON emp (TRUNC(hiredate))",
                            "CREATE INDEX ix2 ON emp (upper(ename), sal DESC, sal * 12)",
                            "CREATE INDEX ix3 ON emp (NVL(note, 'x*/y, z'))",
                            "CREATE INDEX ix4 ON emp (SUBSTR(ename, 1, 3) || '表')"})
        EXPECT_TRUE(m_connection->Execute(encoding::Utf8ToCp932(sql), m_binds, rows)) << sql;
    EXPECT_EQ(Rows("SELECT INDEX_NAME, COLUMN_POSITION, COLUMN_EXPRESSION FROM USER_IND_EXPRESSIONS ORDER BY "
                   "INDEX_NAME, COLUMN_POSITION"),
              "IX1,1,TRUNC(\"HIREDATE\")|IX2,1,UPPER(\"ENAME\")|IX2,3,\"SAL\"*12|"
              "IX3,1,NVL(\"NOTE\",'x*/y, z')|IX4,1,SUBSTR(\"ENAME\",1,3)||'表'");
    // The keys are the engine's own still: a query reads through them.
    EXPECT_EQ(
        Rows("SELECT ename FROM emp WHERE UPPER(ename) = 'SMITH' AND TRUNC(hiredate) = DATE '2020-05-06'"),
        "Smith");
    EXPECT_EQ(
        Rows("SELECT COLUMN_NAME FROM USER_IND_COLUMNS WHERE INDEX_NAME = 'IX2' AND COLUMN_POSITION = 2"),
        "SAL");
}

}  // namespace
