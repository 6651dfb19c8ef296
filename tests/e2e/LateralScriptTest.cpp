// A report script's lateral queries, analytic medians and samples through
// the batch runner.
#include <gtest/gtest.h>

#include <string>

#include "e2e/ScriptRun.h"

namespace {

class LateralScript : public ScriptRun, public ::testing::WithParamInterface<Road> {
protected:
    LateralScript() { m_road = GetParam(); }
};

TEST_P(LateralScript, AppliedQueriesMediansAndSamplesAnswerAsTheServer) {
    RunResult r = RunScripts(
        {"CONNECT scott/tiger@" + Named("LATERAL") +
         "\n"
         "CREATE TABLE dept (deptno NUMBER(2), dname VARCHAR2(14));\n"
         "CREATE TABLE emp (ename VARCHAR2(10), sal NUMBER(7,2), deptno NUMBER(2));\n"
         "INSERT INTO dept VALUES (10, 'ACCOUNTING');\n"
         "INSERT INTO dept VALUES (40, 'OPERATIONS');\n"
         "INSERT INTO emp VALUES ('KING', 5000, 10);\n"
         "INSERT INTO emp VALUES ('CLARK', 2450, 10);\n"
         "INSERT INTO emp VALUES ('MILLER', 1300, 10);\n"
         "SELECT d.dname, v.ename FROM dept d OUTER APPLY (SELECT ename FROM emp e WHERE e.deptno = d.deptno "
         "ORDER BY sal DESC FETCH FIRST 1 ROW ONLY) v ORDER BY d.dname;\n"
         "SELECT ename, MEDIAN(sal) OVER (PARTITION BY deptno) med FROM emp ORDER BY ename;\n"
         "SELECT COUNT(*) FROM emp SAMPLE (99.999999) WHERE deptno = 40;\n"
         "SELECT * FROM emp SAMPLE (100);\n"});
    auto answer = [&r](const std::string& query) {
        std::size_t at = r.out.find("SQL> " + query);
        if (at == std::string::npos) return std::string();
        at += 5 + query.size();
        return r.out.substr(at, r.out.find("SQL> ", at) - at);
    };
    const std::string applied = answer("SELECT d.dname, v.ename");
    EXPECT_NE(applied.find("ACCOUNTING     KING"), std::string::npos) << r.out;
    EXPECT_NE(applied.find("OPERATIONS                \n"), std::string::npos) << r.out;
    EXPECT_NE(applied.find("2行が選択されました。"), std::string::npos) << r.out;
    const std::string medians = answer("SELECT ename, MEDIAN(sal)");
    EXPECT_NE(medians.find("CLARK      2450"), std::string::npos) << r.out;
    EXPECT_NE(medians.find("MILLER     2450"), std::string::npos) << r.out;
    EXPECT_NE(answer("SELECT COUNT(*) FROM emp SAMPLE").find("\n0 "), std::string::npos) << r.out;
    EXPECT_NE(answer("SELECT * FROM emp SAMPLE (100)").find("ORA-30562"), std::string::npos) << r.out;
}

INSTANTIATE_TEST_SUITE_P(Roads, LateralScript, ::testing::Values(Road::Embedded, Road::Server),
                         [](const ::testing::TestParamInfo<Road>& info) {
                             return info.param == Road::Embedded ? "Embedded" : "Server";
                         });

}  // namespace
