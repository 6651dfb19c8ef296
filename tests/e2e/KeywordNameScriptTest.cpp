// A user's script whose tables and columns bear keywords the server does not
// reserve (LOG, KEY, VALUE, TYPE, STATUS, DATA), a report over a join on
// USING limited by ROWNUM, and a function-based index read back from the
// dictionary, through the batch runner.
#include <gtest/gtest.h>

#include <string>

#include "e2e/ScriptRun.h"

namespace {

class KeywordNameScript : public ScriptRun, public ::testing::WithParamInterface<Road> {
protected:
    KeywordNameScript() { m_road = GetParam(); }
};

TEST_P(KeywordNameScript, KeywordNamesJoinsAndIndexKeysAnswerAsTheServer) {
    RunResult r = RunScripts(
        {"CONNECT scott/tiger@" + Named("KEYWORDS") +
         "\n"
         "CREATE TABLE log (key NUMBER PRIMARY KEY, type VARCHAR2(10), value VARCHAR2(20), status CHAR(1));\n"
         "CREATE TABLE data (key NUMBER, name VARCHAR2(10));\n"
         "INSERT INTO log VALUES (1, 'INFO', 'start', 'A');\n"
         "INSERT INTO log VALUES (2, 'WARN', 'disk', 'A');\n"
         "INSERT INTO log VALUES (3, 'INFO', 'stop', 'I');\n"
         "INSERT INTO data VALUES (1, 'one');\n"
         "INSERT INTO data VALUES (2, 'two');\n"
         "INSERT INTO data VALUES (3, 'three');\n"
         "UPDATE log SET status = 'X' WHERE type = 'WARN';\n"
         "SELECT type, COUNT(*) cnt FROM log GROUP BY type ORDER BY type;\n"
         "SELECT COUNT(*) FROM (SELECT value, name FROM log JOIN data USING (key) WHERE ROWNUM <= 2);\n"
         "SELECT COUNT(*) FROM (SELECT * FROM log NATURAL JOIN data WHERE ROWNUM <= 2);\n"
         "CREATE INDEX log_upper_ix ON log (UPPER(value));\n"
         "SELECT column_expression FROM user_ind_expressions WHERE index_name = 'LOG_UPPER_IX';\n"
         "CREATE TABLE t_level (level NUMBER);\n"});
    auto answer = [&r](const std::string& query) {
        std::size_t at = r.out.find("SQL> " + query);
        if (at == std::string::npos) return std::string();
        at += 5 + query.size();
        return r.out.substr(at, r.out.find("SQL> ", at) - at);
    };
    EXPECT_NE(answer("CREATE TABLE log").find("表が作成されました。"), std::string::npos) << r.out;
    EXPECT_NE(answer("UPDATE log").find("1行が更新されました。"), std::string::npos) << r.out;
    std::string types = answer("SELECT type, COUNT(*)");
    EXPECT_NE(types.find("INFO       2"), std::string::npos) << r.out;
    EXPECT_NE(types.find("WARN       1"), std::string::npos) << r.out;
    EXPECT_NE(answer("SELECT COUNT(*) FROM (SELECT value").find("\n2 "), std::string::npos) << r.out;
    EXPECT_NE(answer("SELECT COUNT(*) FROM (SELECT * FROM log NATURAL").find("\n2 "), std::string::npos)
        << r.out;
    EXPECT_NE(answer("SELECT column_expression").find("UPPER(\"VALUE\")"), std::string::npos) << r.out;
    EXPECT_NE(answer("CREATE TABLE t_level").find("ORA-00904"), std::string::npos) << r.out;
}

INSTANTIATE_TEST_SUITE_P(Roads, KeywordNameScript, ::testing::Values(Road::Embedded, Road::Server),
                         [](const ::testing::TestParamInfo<Road>& info) {
                             return info.param == Road::Embedded ? "Embedded" : "Server";
                         });

}  // namespace
