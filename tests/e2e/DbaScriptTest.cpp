// Scripts the way database administrators and developers keep them: a
// dictionary report driven by a parameter, with titles, breaks, computes and
// a spool file; and a tree of scripts that asks, echoes, hides its output
// and edits the statement buffer. Both run on both engines with the same
// expected console.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "e2e/ScriptRun.h"

namespace {

class DbaScript : public ScriptRun, public ::testing::WithParamInterface<Road> {
protected:
    DbaScript() { m_road = GetParam(); }
};

// The console from the line `from` on.
std::string From(const std::string& out, const std::string& from) {
    const std::size_t at = out.find(Sj(from));
    return at == std::string::npos ? out : out.substr(at);
}

const char kSchema[] =
    "CONNECT scott/tiger\n"
    "CREATE TABLE dept (deptno NUMBER(2) CONSTRAINT pk_dept PRIMARY KEY, dname VARCHAR2(14));\n"
    "CREATE TABLE emp (empno NUMBER(4) CONSTRAINT pk_emp PRIMARY KEY, ename VARCHAR2(10),\n"
    "  sal NUMBER(7,2), deptno NUMBER(2) CONSTRAINT fk_deptno REFERENCES dept);\n"
    "CREATE TABLE bonus (ename VARCHAR2(10), sal NUMBER);\n"
    "INSERT INTO dept VALUES (10, 'ACCOUNTING');\n"
    "INSERT INTO dept VALUES (20, 'RESEARCH');\n"
    "INSERT INTO emp VALUES (7839, 'KING', 5000, 10);\n"
    "INSERT INTO emp VALUES (7782, 'CLARK', 2450, 10);\n"
    "INSERT INTO emp VALUES (7566, 'JONES', 2975, 20);\n"
    "COMMIT;\n";

// A dictionary report: the tables whose names begin with &1, their columns
// and the constraints between them.
const char kTableReport[] =
    "SET PAGESIZE 20\n"
    "SET LINESIZE 50\n"
    "SET FEEDBACK OFF\n"
    "TTITLE LEFT 'Tables of ' _USER RIGHT 'Page ' SQL.PNO SKIP 1\n"
    "COLUMN table_name FORMAT A10 HEADING 'Table'\n"
    "COLUMN column_name FORMAT A8 HEADING 'Column'\n"
    "COLUMN data_type FORMAT A8 HEADING 'Type'\n"
    "COLUMN data_length FORMAT 999 HEADING 'Len'\n"
    "BREAK ON table_name SKIP 1 ON REPORT\n"
    "COMPUTE NUMBER LABEL 'cols' OF column_name ON table_name\n"
    "COMPUTE SUM LABEL 'bytes' OF data_length ON REPORT\n"
    "SPOOL tables\n"
    "SELECT table_name, column_name, data_type, data_length\n"
    "  FROM user_tab_columns\n"
    " WHERE table_name LIKE UPPER('&1%')\n"
    " ORDER BY table_name, column_id;\n"
    "SPOOL OFF\n"
    "CLEAR BREAKS COMPUTES COLUMNS\n"
    "TTITLE OFF\n"
    "SET PAGESIZE 100\n"
    "COLUMN constraint_name FORMAT A10 HEADING 'Constraint'\n"
    "COLUMN constraint_type FORMAT A4 HEADING 'Type'\n"
    "COLUMN r_constraint_name FORMAT A10 HEADING 'Refers to'\n"
    "COLUMN table_name FORMAT A6 HEADING 'Table'\n"
    "SELECT constraint_name, constraint_type, table_name, r_constraint_name\n"
    "  FROM user_constraints\n"
    " WHERE constraint_type IN ('P', 'R')\n"
    " ORDER BY constraint_name;\n"
    "SET FEEDBACK ON\n";

// The report as the spool file holds it too ('|' between lines).
const char kTablesReport[] =
    "|Tables of SCOTT                             Page 1|"
    "Table      Column   Type      Len |"
    "---------- -------- -------- ---- |"
    "EMP        EMPNO    NUMBER     22 |"
    "           ENAME    VARCHAR2   10 |"
    "           SAL      NUMBER     22 |"
    "           DEPTNO   NUMBER     22 |"
    "********** --------               |"
    "cols              4               |"
    "                             ---- |"
    "bytes                          76 |";

TEST_P(DbaScript, DictionaryReportWithTitlesBreaksComputesAndSpool) {
    m_dir.Write("tabrep.sql", kTableReport);
    const RunResult r = RunScripts(
        {std::string(kSchema) + "@tabrep e\nSHOW SPOOL\nSELECT table_name FROM user_tables ORDER BY 1;\n"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(From(r.out, "SQL> @tabrep"),
              Console("SQL> @tabrep e|" + std::string(kTablesReport) +
                      "||Constraint Type Table  Refers to  |---------- ---- ------ ---------- |"
                      "FK_DEPTNO  R    EMP    PK_DEPT    |PK_DEPT    P    DEPT              |"
                      "PK_EMP     P    EMP               ||SQL> SHOW SPOOL|現在スプールしていません。|"
                      "SQL> SELECT table_name FROM user_tables ORDER BY 1;||Table  |------ |BONUS  |DEPT   |"
                      "EMP    ||3行が選択されました。||SQL> "));
    EXPECT_EQ(testfiles::Read("tables.lst"), SpoolText(kTablesReport));
}

const char kEmp[] =
    "CONNECT scott/tiger\n"
    "CREATE TABLE emp (ename VARCHAR2(10), sal NUMBER(7,2), deptno NUMBER(2));\n"
    "INSERT INTO emp VALUES ('KING', 5000, 10);\n"
    "INSERT INTO emp VALUES ('CLARK', 2450, 10);\n"
    "INSERT INTO emp VALUES ('JONES', 2975, 20);\n"
    "INSERT INTO emp VALUES ('SMITH', 800, 20);\n";

// A tree of scripts: a quiet one under TERMOUT OFF, a reply checked until
// it fits, a parameter and an echoed, verified query; then the statement
// buffer edited with INPUT, CHANGE and RUN, saved and read back, and a
// report whose titles name the department beginning and ending a page.
TEST_P(DbaScript, ScriptTreeRepliesBufferEditingAndPageTitles) {
    std::filesystem::create_directory(m_dir.Path("tools"));
    m_dir.Write("tools/run.sql",
                "SET TERMOUT OFF\n@@quiet\nSET TERMOUT ON\n"
                "ACCEPT minsal NUMBER FORMAT 9999 PROMPT 'Minimum salary: '\n"
                "SET ECHO ON VERIFY ON\n"
                "SELECT ename FROM emp WHERE deptno = &1 AND sal >= &minsal ORDER BY ename;\n"
                "SET ECHO OFF VERIFY OFF\nUNDEFINE minsal\n");
    m_dir.Write("tools/quiet.sql", "SELECT COUNT(*) FROM emp;\nDEFINE done = quietly\n");
    const std::string console = Console(
        "SQL> @tools/run 10|Minimum salary: abc|\"abc\"は有効な数値ではありません。|Minimum salary: "
        "12345|"
        "\"12345\"は入力書式\"9999\"に一致しません。|Minimum salary: 2000|"
        "     SELECT ename FROM emp WHERE deptno = &1 AND sal >= &minsal ORDER BY ename;|"
        "旧   1: SELECT ename FROM emp WHERE deptno = &1 AND sal >= &minsal ORDER BY ename;|"
        "新   1: SELECT ename FROM emp WHERE deptno = 10 AND sal >= 2000 ORDER BY ename;||"
        "ENAME      |---------- |CLARK      |KING       ||2行が選択されました。||"
        "     SET ECHO OFF VERIFY OFF|SQL> PROMPT &done|QUIETLY|SQL> DEFINE minsal|"
        "シンボルMINSALは定義されていません。|SQL> SELECT ename, sal|SQL>   FROM emp;||"
        "ENAME      SAL        |---------- ---------- |KING       5000       |CLARK      2450       |"
        "JONES      2975       |SMITH      800        ||4行が選択されました。||"
        "SQL> INPUT|SQL>  WHERE deptno = 10|SQL>  ORDER BY sal DESC|SQL> .|SQL> LIST|"
        "  1  SELECT ename, sal|  2    FROM emp|  3   WHERE deptno = 10|  4*  ORDER BY sal DESC|"
        "SQL> 3|  3*  WHERE deptno = 10|SQL> C /10/20/|  3*  WHERE deptno = 20|SQL> RUN|"
        "  1  SELECT ename, sal|  2    FROM emp|  3   WHERE deptno = 20|  4*  ORDER BY sal DESC||"
        "ENAME      SAL        |---------- ---------- |JONES      2975       |SMITH      800        ||"
        "2行が選択されました。||SQL> SAVE by_dept|ファイルby_dept.sqlを作成しました。|"
        "SQL> CLEAR BUFFER|SQL> GET by_dept|"
        "  1  SELECT ename, sal|  2    FROM emp|  3   WHERE deptno = 20|  4*  ORDER BY sal DESC|"
        "SQL> SET PAGESIZE 8|SQL> COLUMN deptno NEW_VALUE dnow OLD_VALUE dwas NOPRINT|"
        "SQL> BREAK ON deptno SKIP PAGE|SQL> TTITLE LEFT 'Department ' dnow|"
        "SQL> BTITLE LEFT 'End of ' dwas|SQL> SELECT deptno, ename FROM emp ORDER BY deptno, ename;|"
        "|Department 10|ENAME      |---------- |CLARK      |KING       ||End of 10|"
        "|Department 20|ENAME      |---------- |JONES      |SMITH      ||End of 20||"
        "4行が選択されました。||SQL> SPOOL last|SQL> PROMPT &dnow &dwas|20 20|SQL> SHOW SPOOL|"
        "現在last.lstにスプールしています。|SQL> SPOOL OFF|SQL> ");
    const RunResult r = RunScripts({kEmp + Typed(console)}, "abc\n12345\n2000\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(From(r.out, "SQL> @tools/run"), console);
    EXPECT_EQ(testfiles::Read("by_dept.sql"),
              "SELECT ename, sal\n  FROM emp\n WHERE deptno = 20\n ORDER BY sal DESC\n/\n");
}

// The administrator's habit of writing a script with a query and running
// it: the query is hidden by TERMOUT OFF, yet the spool file gets every
// line, and with ECHO ON the commands too.
TEST_P(DbaScript, AScriptWrittenSilentlyBySpoolRunsAfterwards) {
    m_dir.Write("gen.sql",
                "SET TERMOUT OFF\n"
                "SET PAGESIZE 0 FEEDBACK OFF HEADING OFF TRIMSPOOL ON\n"
                "SPOOL drop_all.sql\n"
                "SELECT 'DROP TABLE ' || table_name || ';' FROM user_tables ORDER BY 1 DESC;\n"
                "SPOOL OFF\n"
                "SET TERMOUT ON PAGESIZE 14 FEEDBACK ON HEADING ON\n");
    m_dir.Write("logged.sql",
                "SET TERMOUT OFF ECHO ON\nSPOOL logged\nPROMPT kept\nSPOOL OFF\nSET ECHO OFF\n");
    const RunResult r = RunScripts(
        {std::string(kSchema) + "@gen\n@drop_all\nSELECT COUNT(*) AS n FROM user_tables;\n@logged\n"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(testfiles::Read("drop_all.sql"),
              "DROP TABLE EMP;\r\nDROP TABLE DEPT;\r\nDROP TABLE BONUS;\r\n\r\n");
    EXPECT_EQ(
        From(r.out, "SQL> @gen"),
        Console("SQL> @gen|SQL> @drop_all|表が削除されました。|表が削除されました。|表が削除されました。|"
                "SQL> SELECT COUNT(*) AS n FROM user_tables;||N          |---------- |0          ||"
                "1行が選択されました。||SQL> @logged|SQL> "));
    EXPECT_EQ(testfiles::Read("logged.lst"), "     PROMPT kept\r\nkept\r\n     SPOOL OFF\r\n");
}

// Scripts set their own date format first; a date is then shown whole, and
// a date asked for is read by it.
TEST_P(DbaScript, DatesFollowTheSessionsDateFormatWhole) {
    ExpectTail(RunScripts({"CONNECT scott/tiger\n"
                           "ALTER SESSION SET NLS_DATE_FORMAT = 'YYYY-MM-DD HH24:MI:SS';\n"
                           "SELECT TO_DATE('2024-01-05 10:30', 'YYYY-MM-DD HH24:MI') AS d FROM dual;\n"
                           "ACCEPT since DATE PROMPT 'Since: '\n"},
                          "2024-13-01 00:00:00\n2024-01-05 10:30:00\n"),
               "SQL> SELECT TO_DATE('2024-01-05 10:30', 'YYYY-MM-DD HH24:MI') AS d FROM dual;||"
               "D                   |------------------- |2024-01-05 10:30:00 ||1行が選択されました。||"
               "SQL> ACCEPT since DATE PROMPT 'Since: '|Since: 2024-13-01 00:00:00|"
               "日付\"2024-13-01 00:00:00\"が無効か、セッションの日付書式に一致しません。|"
               "Since: 2024-01-05 10:30:00|SQL> ");
}

INSTANTIATE_TEST_SUITE_P(Roads, DbaScript, ::testing::Values(Road::Embedded, Road::Server),
                         [](const auto& info) { return info.param == Road::Server ? "Server" : "Embedded"; });

}  // namespace
