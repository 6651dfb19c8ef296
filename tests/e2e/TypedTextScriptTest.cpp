// A script written in lower case, as most are: names are the server's upper
// case in headings, DESCRIBE and the dictionary, while what the dictionary
// keeps of the user's text (a unit's source, a view's query, a CHECK
// condition, a trigger's WHEN clause and a default) reads as it was typed.
#include <gtest/gtest.h>

#include <string>

#include "e2e/ScriptRun.h"

namespace {

class TypedTextScript : public ScriptRun {};

TEST_F(TypedTextScript, NamesAreUpperCaseAndKeptTextReadsAsTyped) {
    RunResult r = RunScripts({std::string(
        "CONNECT scott/tiger\n"
        "create table emp (empno number(4) primary key, ename varchar2(10) check (ename = initcap(ename)),\n"
        "  hired date default trunc(sysdate), note varchar2(5));\n"
        "create view emp_v as select empno, lower(ename) lname from emp where empno > 0;\n"
        "create or replace function Twice(p_n in number) return number is\n"
        "begin\n"
        "  return p_n * 2;\n"
        "end;\n"
        "/\n"
        "create trigger emp_bi before insert on emp for each row when (new.empno < 10)\n"
        "begin :new.ename := 'Low'; end;\n"
        "/\n"
        "insert into emp (empno, ename, note) values (7, 'King', 'x');\n"
        "select empno, ename, twice(empno) dbl, note \"Note\" from emp;\n"
        "select lname from emp_v;\n"
        "desc emp\n"
        "begin execute immediate 'create table made (id number)'; end;\n"
        "/\n"
        "select column_name from user_tab_columns where table_name = 'MADE';\n"
        "column text format a60\ncolumn when_clause format a20\n"
        "select text from user_source where name = 'TWICE' order by line;\n"
        "select text from user_views where view_name = 'EMP_V';\n"
        "select search_condition from user_constraints where table_name = 'EMP' and constraint_type = 'C';\n"
        "select when_clause from user_triggers;\n"
        "select data_default from user_tab_columns where table_name = 'EMP' and column_name = 'HIRED';\n")});
    const char* expected[] = {
        "EMPNO      ENAME      DBL        Note  |---------- ---------- ---------- ----- |"
        "7          Low        14         x     |",
        "low",
        "EMPNO                NOT NULL NUMBER(4)|ENAME                         VARCHAR2(10)|"
        "HIRED                         DATE|NOTE                          VARCHAR2(5)",
        "COLUMN_NAME",
        "ID ",
        "function Twice(p_n in number) return number is",
        "  return p_n * 2;",
        "select empno, lower(ename) lname from emp where empno > 0",
        "ename = initcap(ename)",
        "new.empno < 10",
        "trunc(sysdate)",
    };
    // Whole lines between bars; a piece alone is the start of a value.
    for (const std::string lines : expected) {
        const std::string text = lines.find('|') != std::string::npos ? Console(lines) : "\n" + lines;
        EXPECT_NE(r.out.find(text), std::string::npos) << lines << r.out;
    }
    EXPECT_EQ(r.out.find("ORA-"), std::string::npos) << r.out;
}

}  // namespace
