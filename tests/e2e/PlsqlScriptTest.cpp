// PL/SQL scripts of the kind Oracle users run (an HR-style schema with its
// procedures and triggers, a teaching block, a cancelled endless loop),
// through the batch runner on both roads with the same console text.
#include <gtest/gtest.h>

#include <string>

#include "e2e/ScriptRun.h"

namespace {

class PlsqlScript : public ScriptRun, public ::testing::WithParamInterface<Road> {
protected:
    PlsqlScript() { m_road = GetParam(); }
};

const char kSchema[] =
    "CONNECT hr/hr\n"
    "SET SERVEROUTPUT ON\n"
    "CREATE TABLE employees (employee_id NUMBER(6) PRIMARY KEY, last_name VARCHAR2(25), hire_date DATE,\n"
    "  job_id VARCHAR2(10), salary NUMBER(8,2), department_id NUMBER(4));\n"
    "CREATE TABLE job_history (employee_id NUMBER(6), start_date DATE, end_date DATE,\n"
    "  job_id VARCHAR2(10), department_id NUMBER(4));\n"
    "INSERT INTO employees VALUES (100, 'King', DATE '2003-06-17', 'AD_PRES', 24000, 90);\n"
    "INSERT INTO employees VALUES (101, 'Kochhar', DATE '2005-09-21', 'AD_VP', 17000, 90);\n"
    "COMMIT;\n"
    "CREATE OR REPLACE PROCEDURE secure_dml\n"
    "IS\n"
    "BEGIN\n"
    "  IF TO_CHAR (SYSDATE, 'HH24:MI') NOT BETWEEN '08:00' AND '18:00'\n"
    "        OR TO_CHAR (SYSDATE, 'DY') IN ('SAT', 'SUN') THEN\n"
    "    RAISE_APPLICATION_ERROR (-20205, 'You may only make changes during normal office hours');\n"
    "  END IF;\n"
    "END secure_dml;\n"
    "/\n"
    "CREATE OR REPLACE TRIGGER secure_employees\n"
    "  BEFORE INSERT OR UPDATE OR DELETE ON employees\n"
    "BEGIN\n"
    "  secure_dml;\n"
    "END secure_employees;\n"
    "/\n"
    "CREATE OR REPLACE PROCEDURE add_job_history\n"
    "  (  p_emp_id          job_history.employee_id%type\n"
    "   , p_start_date      job_history.start_date%type\n"
    "   , p_end_date        job_history.end_date%type\n"
    "   , p_job_id          job_history.job_id%type\n"
    "   , p_department_id   job_history.department_id%type\n"
    "   )\n"
    "IS\n"
    "BEGIN\n"
    "  INSERT INTO job_history (employee_id, start_date, end_date, job_id, department_id)\n"
    "    VALUES(p_emp_id, p_start_date, p_end_date, p_job_id, p_department_id);\n"
    "END add_job_history;\n"
    "/\n"
    "CREATE OR REPLACE TRIGGER update_job_history\n"
    "  AFTER UPDATE OF job_id, department_id ON employees\n"
    "  FOR EACH ROW\n"
    "BEGIN\n"
    "  add_job_history(:old.employee_id, :old.hire_date, sysdate, :old.job_id, :old.department_id);\n"
    "END;\n"
    "/\n";

TEST_P(PlsqlScript, HrCodeInstallsAndItsTriggersAct) {
    m_environment = "TARVEX_CLOCK='2024-01-10 03:00:00'";
    const RunResult r = ExpectRun(
        "SQL> UPDATE employees SET job_id = 'IT_PROG' WHERE employee_id = 101;|"
        "UPDATE employees SET job_id = 'IT_PROG' WHERE employee_id = 101;|*|エラー行: 0: "
        "エラーが発生しました。|"
        "ORA-20205: You may only make changes during normal office hours|"
        "ORA-06512: \"HR.SECURE_DML\", 行6|ORA-06512: \"HR.SECURE_EMPLOYEES\", 行2|"
        "ORA-04088: トリガー'HR.SECURE_EMPLOYEES'の実行中にエラーが発生しました|"
        "SQL> SELECT COUNT(*) FROM job_history;||COUNT(*)   |---------- |0          ||"
        "1行が選択されました。||SQL> ",
        kSchema);
    // Every unit installs without a warning.
    EXPECT_EQ(r.out.find("警告"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("プロシージャが作成されました。"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("トリガが作成されました。"), std::string::npos) << r.out;
}

TEST_P(PlsqlScript, InOfficeHoursTheJobHistoryIsWritten) {
    m_environment = "TARVEX_CLOCK='2024-01-10 10:00:00'";
    ExpectRun(
        "SQL> UPDATE employees SET job_id = 'IT_PROG' WHERE employee_id = 101;|1行が更新されました。|"
        "SQL> SELECT employee_id, job_id FROM job_history;||EMPLOYEE_I JOB_ID     |"
        "---------- ---------- |101        AD_VP      ||1行が選択されました。||SQL> ",
        kSchema);
}

TEST_P(PlsqlScript, TeachingBlockWithCursorAndExceptions) {
    ExpectRun(
        "SQL> /|PL/SQLプロシージャが正常に完了しました。|10 ACCOUNTING|20 RESEARCH|"
        "none: ORA-01403: データが見つかりません。|SQL> BEGIN|SQL>   UPDATE dept SET dname = 'X';|"
        "SQL>   RAISE_APPLICATION_ERROR(-20001, 'stop');|SQL> END;|SQL> /|BEGIN|*|エラー行: 0: "
        "エラーが発生しました。|"
        "ORA-20001: stop|ORA-06512: 行3|"
        "SQL> SELECT dname FROM dept WHERE deptno = 10;||DNAME          |-------------- |ACCOUNTING     ||"
        "1行が選択されました。||SQL> ",
        "CONNECT scott/tiger\nSET SERVEROUTPUT ON\n"
        "CREATE TABLE dept (deptno NUMBER(2), dname VARCHAR2(14));\n"
        "INSERT INTO dept VALUES (10, 'ACCOUNTING');\nINSERT INTO dept VALUES (20, 'RESEARCH');\n"
        "DECLARE\n  CURSOR c IS SELECT deptno, dname FROM dept ORDER BY deptno;\n"
        "  v_name dept.dname%TYPE;\nBEGIN\n  FOR r IN c LOOP\n"
        "    dbms_output.put_line(r.deptno || ' ' || r.dname);\n  END LOOP;\n"
        "  SELECT dname INTO v_name FROM dept WHERE deptno = 99;\nEXCEPTION\n  WHEN NO_DATA_FOUND THEN\n"
        "    dbms_output.put_line('none: ' || SQLERRM);\nEND;\n");
}

TEST_P(PlsqlScript, UnitsWithErrorsWarnAndFunctionsAnswerInQueries) {
    RunResult r = RunScripts(
        {"CONNECT scott/tiger\n"
         "CREATE OR REPLACE PROCEDURE broken IS\nBEGIN\n  no_such_thing;\nEND;\n/\n"
         "SHOW ERRORS\n"
         "CREATE OR REPLACE FUNCTION net(p_gross NUMBER, p_rate NUMBER DEFAULT 0.2) RETURN NUMBER IS\n"
         "BEGIN\n  RETURN p_gross * (1 - p_rate);\nEND;\n/\n"
         "SELECT net(1000) a, net(1000, 0.5) b FROM dual;\n"
         "VARIABLE r NUMBER\nEXECUTE :r := net(250)\nPRINT r\n"});
    ExpectTail(
        r,
        // Note: the warning comes as the server road reports it, at the statement's start.
        "SQL> /|CREATE OR REPLACE PROCEDURE broken IS|*|エラー行: 0: エラーが発生しました。|"
        "警告: コンパイル・エラーがあります。|SQL> SHOW ERRORS|PROCEDURE BROKENのエラーです。||"
        "LINE/COL ERROR|-------- -----------------------------------------------------------------|"
        "3/3      PL/SQL: Statement ignored|3/3      PLS-00201: 識別子'NO_SUCH_THING'を宣言してください。|"
        "SQL> CREATE OR REPLACE FUNCTION net(p_gross NUMBER, p_rate NUMBER DEFAULT 0.2) RETURN NUMBER IS|"
        "SQL> BEGIN|SQL>   RETURN p_gross * (1 - p_rate);|SQL> END;|SQL> /|関数が作成されました。|"
        "SQL> SELECT net(1000) a, net(1000, 0.5) b FROM dual;||A          B          |"
        "---------- ---------- |800        500        ||1行が選択されました。||SQL> VARIABLE r NUMBER|"
        "SQL> EXECUTE :r := net(250)||PL/SQLプロシージャが正常に完了しました。||SQL> PRINT r||R|"
        "--------------------|200||SQL> ");
}

// A timesheet block: a local procedure loops over the block's cursor, sums
// the INTERVAL each shift lasted into the block's variable and reads its
// hours; a date moves by intervals.
TEST_P(PlsqlScript, IntervalsSumShiftsInALocalProcedure) {
    ExpectRun(
        "SQL> /|PL/SQLプロシージャが正常に完了しました。|ann  +00 08:30:00.000000 8h|"
        "bob  +00 08:15:30.000000 8h|total +00 16:45:30.000000|due 2024-02-14|SQL> ",
        "CONNECT scott/tiger\nSET SERVEROUTPUT ON\n"
        "CREATE TABLE shifts (who VARCHAR2(10), started TIMESTAMP, ended TIMESTAMP);\n"
        "INSERT INTO shifts VALUES ('ann', TIMESTAMP '2024-03-01 08:00:00', TIMESTAMP '2024-03-01 "
        "16:30:00');\n"
        "INSERT INTO shifts VALUES ('bob', TIMESTAMP '2024-03-01 22:00:00', TIMESTAMP '2024-03-02 "
        "06:15:30');\n"
        "DECLARE\n  total INTERVAL DAY TO SECOND := INTERVAL '0' SECOND;\n"
        "  CURSOR c IS SELECT who, started, ended FROM shifts ORDER BY who;\n  PROCEDURE report IS\n"
        "    worked INTERVAL DAY TO SECOND;\n  BEGIN\n    FOR r IN c LOOP\n"
        "      worked := r.ended - r.started;\n      total := total + worked;\n"
        "      dbms_output.put_line(RPAD(r.who, 5) || worked || ' ' || EXTRACT(HOUR FROM worked) || 'h');\n"
        "    END LOOP;\n  END;\nBEGIN\n  report;\n  dbms_output.put_line('total ' || total);\n"
        "  dbms_output.put_line('due ' || TO_CHAR(DATE '2024-01-15' + INTERVAL '1' MONTH - INTERVAL '1' DAY, "
        "'YYYY-MM-DD'));\n"
        "END;\n");
}

INSTANTIATE_TEST_SUITE_P(Roads, PlsqlScript, ::testing::Values(Road::Embedded, Road::Server),
                         [](const ::testing::TestParamInfo<Road>& info) {
                             return info.param == Road::Embedded ? "Embedded" : "Server";
                         });

}  // namespace
