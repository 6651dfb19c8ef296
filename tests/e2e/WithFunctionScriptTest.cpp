// A script of the kind Oracle users run, through the batch runner: a query
// that declares its own PL/SQL functions in its WITH clause (ended by "/"),
// one of them hiding a stored function for that query only, and a
// declaration that does not compile; each answer as the SQL Language
// Reference gives it.
#include <gtest/gtest.h>

#include <string>

#include "e2e/ScriptRun.h"

namespace {

class WithFunctionScript : public ScriptRun, public ::testing::WithParamInterface<Road> {
protected:
    WithFunctionScript() { m_road = GetParam(); }
};

}  // namespace

TEST_P(WithFunctionScript, DeclaredFunctionsRunForTheirQueryOnly) {
    RunResult r = RunScripts({"CONNECT u/u@" + Named("WITHFN") +
                              "\n"
                              "CREATE TABLE wf_items (id NUMBER, price NUMBER);\n"
                              "INSERT INTO wf_items VALUES (1, 100);\n"
                              "INSERT INTO wf_items VALUES (2, 250);\n"
                              "CREATE OR REPLACE FUNCTION wf_tax(p NUMBER) RETURN NUMBER IS\n"
                              "BEGIN\n"
                              "  RETURN p;\n"
                              "END;\n"
                              "/\n"
                              "WITH\n"
                              "  FUNCTION wf_tax(p NUMBER) RETURN NUMBER IS\n"
                              "  BEGIN\n"
                              "    RETURN ROUND(p * 1.1);\n"
                              "  END;\n"
                              "SELECT id, wf_tax(price) AS taxed FROM wf_items ORDER BY id;\n"
                              "/\n"
                              "SELECT wf_tax(price) AS plain FROM wf_items WHERE id = 2;\n"
                              "WITH FUNCTION wf_bad RETURN NUMBER IS BEGIN RETURN nothing_here; END;\n"
                              "SELECT wf_bad FROM dual\n"
                              "/\n"
                              "SELECT COUNT(*) AS n FROM user_objects WHERE object_name LIKE 'WF_%';\n"
                              "DROP TABLE wf_items PURGE;\n"
                              "DROP FUNCTION wf_tax;\n"});
    EXPECT_NE(r.out.find(Console("1          110        |2          275        ")), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find(Console("PLAIN      |---------- |250        ")), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("ORA-06553: PLS-201"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(Console("N          |---------- |2          ")), std::string::npos) << r.out;
}

INSTANTIATE_TEST_SUITE_P(Roads, WithFunctionScript, ::testing::Values(Road::Embedded, Road::Server),
                         [](const ::testing::TestParamInfo<Road>& info) {
                             return info.param == Road::Embedded ? "Embedded" : "Server";
                         });
