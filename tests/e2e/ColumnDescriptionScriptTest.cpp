// A report script over an inline view of shared column names and a table
// made from a package's function, through the batch runner.
#include <gtest/gtest.h>

#include <string>

#include "e2e/ScriptRun.h"

namespace {

class ColumnDescriptionScript : public ScriptRun, public ::testing::WithParamInterface<Road> {
protected:
    ColumnDescriptionScript() { m_road = GetParam(); }
};

TEST_P(ColumnDescriptionScript, SharedNamesAreRefusedAndFunctionsDescribedByTheirResult) {
    RunResult r = RunScripts(
        {"CONNECT scott/tiger@" + Named("COLDESC") +
         "\n"
         "CREATE TABLE d (id NUMBER, name VARCHAR2(10));\n"
         "CREATE TABLE e (id NUMBER, d_id NUMBER);\n"
         "INSERT INTO d VALUES (1, 'one');\n"
         "INSERT INTO e VALUES (7, 1);\n"
         "SELECT * FROM (SELECT e.id, d.id FROM d, e);\n"
         "CREATE VIEW v AS SELECT e.id, d.id FROM d, e;\n"
         "CREATE PACKAGE pk AS FUNCTION f(s VARCHAR2) RETURN VARCHAR2; END;\n"
         "/\n"
         "CREATE PACKAGE BODY pk AS FUNCTION f(s VARCHAR2) RETURN VARCHAR2 IS BEGIN RETURN s || s; END; "
         "END;\n"
         "/\n"
         "CREATE TABLE x AS SELECT pk.f(name) c, REPLACE(name, 'o', 'oo') r FROM d;\n"
         "SELECT column_name, data_length FROM user_tab_columns WHERE table_name = 'X' ORDER BY column_id;\n"
         "SELECT c, r FROM x;\n"});
    auto answer = [&r](const std::string& query) {
        std::size_t at = r.out.find("SQL> " + query);
        if (at == std::string::npos) return std::string();
        at += 5 + query.size();
        return r.out.substr(at, r.out.find("SQL> ", at) - at);
    };
    const std::string star = answer("SELECT * FROM (SELECT e.id");
    EXPECT_NE(star.find("ORA-00918"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("ID:1"), std::string::npos) << r.out;
    EXPECT_NE(answer("CREATE VIEW v").find("ORA-00957"), std::string::npos) << r.out;
    const std::string lengths = answer("SELECT column_name, data_length");
    EXPECT_NE(lengths.find(" 4000 "), std::string::npos) << r.out;
    EXPECT_NE(lengths.find(" 20 "), std::string::npos) << r.out;
    EXPECT_NE(answer("SELECT c, r FROM x").find("oneone"), std::string::npos) << r.out;
}

INSTANTIATE_TEST_SUITE_P(Roads, ColumnDescriptionScript, ::testing::Values(Road::Embedded),
                         [](const ::testing::TestParamInfo<Road>&) { return std::string("Embedded"); });

}  // namespace
