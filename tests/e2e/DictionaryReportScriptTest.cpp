// A report of what each object uses, of index statistics before and after
// a gathering, and of the parameters in force, as report scripts read the
// dictionary, through the batch runner on a fresh database.
#include <gtest/gtest.h>

#include <string>

#include "e2e/ScriptRun.h"

namespace {

class DictionaryReportScript : public ScriptRun, public ::testing::WithParamInterface<Road> {
protected:
    DictionaryReportScript() { m_road = GetParam(); }

    static constexpr char kSchema[] =
        "CONNECT scott/tiger\n"
        "CREATE TABLE dept (deptno NUMBER(2) CONSTRAINT pk_dept PRIMARY KEY, dname VARCHAR2(14));\n"
        "CREATE TABLE emp (empno NUMBER(4) CONSTRAINT pk_emp PRIMARY KEY, ename VARCHAR2(10), deptno "
        "NUMBER(2));\n"
        "CREATE INDEX emp_dept_ix ON emp (deptno);\n"
        "CREATE SEQUENCE emp_seq;\n"
        "INSERT INTO dept VALUES (10, 'ACCOUNTING');\n"
        "INSERT INTO dept VALUES (20, 'RESEARCH');\n"
        "INSERT INTO emp SELECT LEVEL, 'E' || LEVEL, 10 * MOD(LEVEL, 2) + 10 FROM dual CONNECT BY LEVEL <= "
        "6;\n"
        "INSERT INTO emp VALUES (7, 'NOBODY', NULL);\n"
        "COMMIT;\n"
        "CREATE VIEW emp_v AS SELECT e.ename, d.dname FROM emp e, dept d WHERE e.deptno = d.deptno;\n"
        "CREATE PROCEDURE hire (p_name VARCHAR2) IS BEGIN INSERT INTO emp (empno, ename) VALUES "
        "(emp_seq.NEXTVAL, p_name); END;\n"
        "/\n";
};

// The view uses both tables of its FROM list, the procedure the table it
// inserts into and the sequence it numbers with; an index counts the rows
// whose key is not NULL (6 of 7) once gathered, and nothing before.
TEST_P(DictionaryReportScript, DependenciesIndexStatisticsAndParameters) {
    ExpectRun(
        "SQL> SET PAGESIZE 40 LINESIZE 80 FEEDBACK OFF|SQL> COLUMN name FORMAT A8|"
        "SQL> COLUMN type FORMAT A9|SQL> COLUMN referenced_name FORMAT A10 HEADING 'Uses'|"
        "SQL> COLUMN referenced_type FORMAT A9 HEADING 'Kind'|SQL> BREAK ON name ON type|"
        "SQL> SELECT name, type, referenced_name, referenced_type FROM user_dependencies WHERE "
        "referenced_owner = USER ORDER BY 1, 3;|"
        "|NAME     TYPE      Uses       Kind      |-------- --------- ---------- --------- |"
        "EMP_V    VIEW      DEPT       TABLE     |                   EMP        TABLE     |"
        "HIRE     PROCEDURE EMP        TABLE     |                   EMP_SEQ    SEQUENCE  ||"
        "SQL> CLEAR BREAKS|SQL> COLUMN index_name FORMAT A12|"
        "SQL> COLUMN last_analyzed FORMAT A3 HEADING 'An?'|"
        "SQL> SELECT index_name, num_rows, distinct_keys, blevel, leaf_blocks, NVL2(last_analyzed, 'yes', "
        "'no') last_analyzed FROM user_indexes WHERE table_name = 'EMP' ORDER BY 1;|"
        "|INDEX_NAME   NUM_ROWS   DISTINCT_K BLEVEL     LEAF_BLOCK An? |"
        "------------ ---------- ---------- ---------- ---------- --- |"
        "EMP_DEPT_IX                                              no  |"
        "PK_EMP                                                   no  ||"
        "SQL> EXEC DBMS_STATS.GATHER_TABLE_STATS(USER, 'EMP')|"
        "SQL> SELECT index_name, num_rows, distinct_keys, blevel, leaf_blocks, NVL2(last_analyzed, 'yes', "
        "'no') last_analyzed FROM user_indexes WHERE table_name = 'EMP' ORDER BY 1;|"
        "|INDEX_NAME   NUM_ROWS   DISTINCT_K BLEVEL     LEAF_BLOCK An? |"
        "------------ ---------- ---------- ---------- ---------- --- |"
        "EMP_DEPT_IX  6          2          0          1          yes |"
        "PK_EMP       7          7          0          1          yes ||SQL> COLUMN name FORMAT A14|"
        "SQL> COLUMN value FORMAT A10|"
        "SQL> SELECT name, value, isdefault FROM v$parameter WHERE name IN ('open_cursors', 'processes', "
        "'sessions', 'compatible', 'optimizer_mode', 'undo_retention') ORDER BY name;|"
        "|NAME           VALUE      ISDEFAULT |-------------- ---------- --------- |"
        "compatible     19.0.0     TRUE      |open_cursors   50         TRUE      |"
        "optimizer_mode ALL_ROWS   TRUE      |processes      100        TRUE      |"
        "sessions       172        TRUE      |undo_retention 900        TRUE      ||SQL> ",
        kSchema);
}

INSTANTIATE_TEST_SUITE_P(Roads, DictionaryReportScript, ::testing::Values(Road::Embedded, Road::Server),
                         [](const auto& info) { return info.param == Road::Server ? "Server" : "Embedded"; });

}  // namespace
