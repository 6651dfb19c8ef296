// A schema script that makes its views before their tables: FORCE makes
// each view with the server's warning, the view answers ORA-04063 until its
// table is there, and the script's queries read it once the table is made.
#include <gtest/gtest.h>

#include <string>

#include "e2e/ScriptRun.h"

namespace {

class ForcedViewScript : public ScriptRun {};

TEST_F(ForcedViewScript, ViewsMadeBeforeTheirTablesAnswerOnceTheTablesAreThere) {
    RunResult r = RunScripts(
        {std::string("CONNECT scott/tiger\n"
                     "CREATE OR REPLACE FORCE VIEW pay_v AS SELECT * FROM pay;\n"
                     "column status format a8\n"
                     "column object_name format a8\n"
                     "SELECT object_name, status FROM user_objects WHERE object_type = 'VIEW';\n"
                     "SELECT * FROM pay_v;\n"
                     "CREATE TABLE pay (id NUMBER(3), amount NUMBER(6));\n"
                     "INSERT INTO pay VALUES (1, 700);\n"
                     "SELECT * FROM pay_v;\n"
                     "SELECT object_name, status FROM user_objects WHERE object_type = 'VIEW';\n")});
    const char* expected[] = {
        "警告: コンパイル・エラーがあります。",
        "OBJECT_N STATUS   |-------- -------- |PAY_V    INVALID  |",
        "ORA-04063: view PAY_V にエラーがあります。",
        "ID         AMOUNT     |---------- ---------- |1          700        |",
        "OBJECT_N STATUS   |-------- -------- |PAY_V    VALID    |",
    };
    for (const std::string lines : expected)
        EXPECT_NE(r.out.find(Console(lines)), std::string::npos) << lines << r.out;
}

}  // namespace
