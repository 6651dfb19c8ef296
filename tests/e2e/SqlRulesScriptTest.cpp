// A script of everyday cleanup work: a violation of one of several foreign
// keys names the key broken, duplicates go by ROWID keeping one row of
// each, a number's text is shown whole, and an index-organized table is
// listed as one.
#include <gtest/gtest.h>

#include <string>

#include "e2e/ScriptRun.h"

namespace {

class SqlRulesScript : public ScriptRun {};

TEST_F(SqlRulesScript, KeysDuplicatesNumberTextAndOrganization) {
    RunResult r = RunScripts({std::string(
        "CONNECT u/u\n"
        "CREATE TABLE p1 (id NUMBER PRIMARY KEY);\n"
        "CREATE TABLE p2 (id NUMBER PRIMARY KEY);\n"
        "CREATE TABLE c (a NUMBER CONSTRAINT c_fk1 REFERENCES p1, b NUMBER CONSTRAINT c_fk2 REFERENCES p2);\n"
        "INSERT INTO p1 VALUES (1);\n"
        "INSERT INTO p2 VALUES (5);\n"
        "INSERT INTO c VALUES (1, 5);\n"
        "INSERT INTO c VALUES (1, 6);\n"
        "DELETE FROM p2;\n"
        "CREATE TABLE dup (k NUMBER, v VARCHAR2(10));\n"
        "INSERT INTO dup VALUES (1, 'a');\n"
        "INSERT INTO dup VALUES (1, 'a');\n"
        "INSERT INTO dup VALUES (2, 'b');\n"
        "INSERT INTO dup VALUES (2, 'b');\n"
        "INSERT INTO dup VALUES (2, 'b');\n"
        "INSERT INTO dup VALUES (3, 'c');\n"
        "DELETE FROM dup WHERE ROWID NOT IN (SELECT MIN(ROWID) FROM dup GROUP BY k, v);\n"
        "SELECT k, v FROM dup ORDER BY k;\n"
        "SELECT TO_CHAR(-1/3) x FROM dual;\n"
        "CREATE TABLE iot (k NUMBER PRIMARY KEY, v VARCHAR2(10)) ORGANIZATION INDEX;\n"
        "COLUMN table_name FORMAT A10\n"
        "SELECT table_name, iot_type FROM user_tables WHERE table_name = 'IOT';\n")});
    const char* expected[] = {
        "SQL> INSERT INTO c VALUES (1, 6);|INSERT INTO c VALUES (1, 6);",
        "ORA-02291: 整合性制約 C_FK2 に違反しました - 親キーがありません。",
        "ORA-02292: 整合性制約 C_FK2 に違反しました - 子レコードがあります。",
        "GROUP BY k, v);|3行が削除されました。",
        "1          a          |2          b          |3          c          ||3行が選択されました。",
        "------------------------------------------ |-.3333333333333333333333333333333333333333 |",
        "TABLE_NAME IOT_TYPE     |---------- ------------ |IOT        IOT          |",
    };
    for (const char* lines : expected)
        EXPECT_NE(r.out.find(Console(lines)), std::string::npos) << lines << r.out;
}

}  // namespace
