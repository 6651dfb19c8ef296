// A script that quotes names in their own case beside the same names
// unquoted: each is an object of its own, DESCRIBE and the dictionary show
// each name as written, and the script's rows stay with their table.
#include <gtest/gtest.h>

#include <string>

#include "e2e/ScriptRun.h"

namespace {

class MixedCaseNameScript : public ScriptRun {};

TEST_F(MixedCaseNameScript, NamesThatDifferInCaseAreDifferentObjects) {
    RunResult r = RunScripts({std::string(
        "CONNECT u/u\n"
        "create table \"Mixed\" (\"id\" number primary key, \"Name\" varchar2(10), name varchar2(10));\n"
        "create table mixed (id number);\n"
        "insert into \"Mixed\" values (1, 'typed', 'upper');\n"
        "insert into mixed values (2);\n"
        "commit;\n"
        "column Name format a6\n"
        "column NAME format a6\n"
        "select \"id\", \"Name\", name from \"Mixed\";\n"
        "select id from mixed;\n"
        "desc \"Mixed\"\n"
        "column table_name format a10\n"
        "select table_name from user_tables order by 1;\n"
        "drop table mixed;\n"
        "select * from mixed;\n"
        "select count(*) from \"Mixed\";\n")});
    const char* expected[] = {
        "id         Name   NAME   |---------- ------ ------ |1          typed  upper  |",
        "ID         |---------- |2          |",
        ("id                   NOT NULL NUMBER|Name                          VARCHAR2(10)|"
         "NAME                          VARCHAR2(10)|"),
        "TABLE_NAME |---------- |MIXED      |Mixed      |",
        "ORA-00942: 表またはビュー MIXED は存在しません。",
        "COUNT(*)   |---------- |1          |",
    };
    for (const std::string lines : expected)
        EXPECT_NE(r.out.find(Console(lines)), std::string::npos) << lines << r.out;
    EXPECT_EQ(r.out.find("ORA-00955"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find('^'), std::string::npos) << r.out;
}

}  // namespace
