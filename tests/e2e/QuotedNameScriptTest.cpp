// Names as the two kinds of script write them: a schema export quotes every
// name in upper case and puts the schema before it, so its objects are the
// ones unquoted lower-case statements reach; a hand-written script quotes
// names in mixed case, with blanks, which only the same quoted spelling
// reaches. Headings, DESCRIBE and the dictionary show each name as kept.
#include <gtest/gtest.h>

#include <string>

#include "e2e/ScriptRun.h"

namespace {

class QuotedNameScript : public ScriptRun {};

TEST_F(QuotedNameScript, ExportedAndMixedCaseNamesMeanWhatTheyQuote) {
    RunResult r = RunScripts({std::string(
        "CONNECT hr/hr\n"
        "CREATE TABLE \"HR\".\"DEPARTMENTS\" (\"DEPARTMENT_ID\" NUMBER(4,0), \"DEPARTMENT_NAME\" "
        "VARCHAR2(30) CONSTRAINT \"DEPT_NAME_NN\" NOT NULL ENABLE, CONSTRAINT \"DEPT_ID_PK\" PRIMARY KEY "
        "(\"DEPARTMENT_ID\") ENABLE);\n"
        "CREATE TABLE \"HR\".\"EMPLOYEES\" (\"EMPLOYEE_ID\" NUMBER(6,0), \"LAST_NAME\" VARCHAR2(25) "
        "CONSTRAINT \"EMP_LAST_NAME_NN\" NOT NULL ENABLE, \"SALARY\" NUMBER(8,2), \"DEPARTMENT_ID\" "
        "NUMBER(4,0), CONSTRAINT \"EMP_EMP_ID_PK\" PRIMARY KEY (\"EMPLOYEE_ID\") ENABLE, CONSTRAINT "
        "\"EMP_DEPT_FK\" FOREIGN KEY (\"DEPARTMENT_ID\") REFERENCES \"HR\".\"DEPARTMENTS\" "
        "(\"DEPARTMENT_ID\") ENABLE);\n"
        "CREATE INDEX \"HR\".\"EMP_DEPARTMENT_IX\" ON \"HR\".\"EMPLOYEES\" (\"DEPARTMENT_ID\");\n"
        "CREATE SEQUENCE \"HR\".\"EMPLOYEES_SEQ\" MINVALUE 1 MAXVALUE 9999999999999999999999999999 INCREMENT "
        "BY 1 START WITH 207 NOCACHE NOORDER NOCYCLE;\n"
        "COMMENT ON COLUMN \"HR\".\"EMPLOYEES\".\"SALARY\" IS 'Monthly salary';\n"
        "insert into departments values (10, 'Administration');\n"
        "insert into employees (employee_id, last_name, salary, department_id) values "
        "(employees_seq.nextval, 'Whalen', 4400, 10);\n"
        "column last_name format a10\n"
        "column department_name format a15\n"
        "column comments format a15\n"
        "column index_name format a20\n"
        "column table_name format a12\n"
        "column column_name format a12\n"
        "select e.employee_id, e.\"LAST_NAME\", d.department_name from hr.employees e join \"DEPARTMENTS\" d "
        "on e.department_id = d.department_id;\n"
        "select comments from user_col_comments where table_name = 'EMPLOYEES' and column_name = 'SALARY';\n"
        "create table \"Order Lines\" (\"Line\" number primary key, \"Item\" varchar2(10), qty number);\n"
        "create index \"ix_Item\" on \"Order Lines\" (\"Item\");\n"
        "insert into \"Order Lines\" values (1, 'pen', 2);\n"
        "update \"Order Lines\" set \"Item\" = 'ink' where \"Line\" = 1;\n"
        "select \"Line\", \"Item\", qty \"Qty\", \"QTY\" from \"Order Lines\";\n"
        "select item from \"Order Lines\";\n"
        "select * from order_lines;\n"
        "desc \"Order Lines\"\n"
        "select table_name, column_name from user_tab_columns where table_name = 'Order Lines' order by "
        "column_id;\n"
        "select index_name, column_name from user_ind_columns where table_name = 'Order Lines' order by "
        "1;\n")});
    const char* expected[] = {
        "EMPLOYEE_I LAST_NAME  DEPARTMENT_NAME |---------- ---------- --------------- |"
        "207        Whalen     Administration  |",
        "COMMENTS        |--------------- |Monthly salary  |",
        "Line       Item       Qty        QTY        |---------- ---------- ---------- ---------- |"
        "1          ink        2          2          |",
        "ORA-00904: 列 ITEM は存在しません。",
        "Line                 NOT NULL NUMBER|Item                          VARCHAR2(10)|"
        "QTY                           NUMBER|",
        "Order Lines  Line         |Order Lines  Item         |Order Lines  QTY          |",
        "SYS_C8000001         Line         |ix_Item              Item         |",
    };
    for (const std::string lines : expected)
        EXPECT_NE(r.out.find(Console(lines)), std::string::npos) << lines << r.out;
    EXPECT_NE(r.out.find("ORA-00942: 表またはビュー ORDER_LINES は存在しません。"), std::string::npos)
        << r.out;
    EXPECT_EQ(r.out.find("ORA-00933"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("ORA-02289"), std::string::npos) << r.out;
}

}  // namespace
