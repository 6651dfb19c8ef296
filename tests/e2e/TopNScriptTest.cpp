// A teaching script's top-N queries and defaults through the batch runner:
// the rows tied with the last, a share of the rows, DEFAULT in UPDATE.
#include <gtest/gtest.h>

#include <string>

#include "e2e/ScriptRun.h"

namespace {

class TopNScript : public ScriptRun, public ::testing::WithParamInterface<Road> {
protected:
    TopNScript() { m_road = GetParam(); }
};

TEST_P(TopNScript, TiesSharesAndDefaultsAnswerAsTheServer) {
    RunResult r = RunScripts(
        {"CONNECT scott/tiger@" + Named("TOPN") +
         "\n"
         "CREATE TABLE emp (ename VARCHAR2(10), sal NUMBER(7,2), bonus NUMBER DEFAULT 100);\n"
         "INSERT INTO emp (ename, sal) SELECT 'E' || LEVEL, 1000 + 250 * TRUNC(LEVEL / 2) FROM dual "
         "CONNECT BY LEVEL <= 8;\n"
         "SELECT ename, sal FROM emp ORDER BY sal DESC FETCH FIRST 2 ROWS WITH TIES;\n"
         "SELECT COUNT(*) FROM (SELECT sal FROM emp ORDER BY sal FETCH FIRST 30 PERCENT ROWS ONLY);\n"
         "UPDATE emp SET bonus = 5;\n"
         "UPDATE emp SET bonus = DEFAULT WHERE sal > 1500;\n"
         "SELECT SUM(bonus) FROM emp;\n"});
    // What the console wrote for the statement starting `query`, up to the next prompt.
    auto answer = [&r](const std::string& query) {
        std::size_t at = r.out.find("SQL> " + query);
        if (at == std::string::npos) return std::string();
        at += 5 + query.size();
        return r.out.substr(at, r.out.find("SQL> ", at) - at);
    };
    // Salaries 1000, 1250 x2, 1500 x2, 1750 x2, 2000 (E1..E8): the second
    // row ties with the third.
    std::string top = answer("SELECT ename, sal FROM emp ORDER BY sal DESC");
    EXPECT_NE(top.find("E8         2000"), std::string::npos) << r.out;
    EXPECT_NE(top.find("E6         1750"), std::string::npos) << r.out;
    EXPECT_NE(top.find("E7         1750"), std::string::npos) << r.out;
    EXPECT_NE(top.find("3行が選択されました。"), std::string::npos) << r.out;
    // 30% of 8 rows is 2.4, three rows.
    EXPECT_NE(answer("SELECT COUNT(*)").find("\n3 "), std::string::npos) << r.out;
    EXPECT_NE(answer("UPDATE emp SET bonus = DEFAULT").find("3行が更新されました。"), std::string::npos)
        << r.out;
    EXPECT_NE(answer("SELECT SUM(bonus)").find("\n325 "), std::string::npos) << r.out;
}

INSTANTIATE_TEST_SUITE_P(Roads, TopNScript, ::testing::Values(Road::Embedded, Road::Server),
                         [](const ::testing::TestParamInfo<Road>& info) {
                             return info.param == Road::Embedded ? "Embedded" : "Server";
                         });

}  // namespace
