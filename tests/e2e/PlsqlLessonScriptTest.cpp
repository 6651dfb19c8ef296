// A PL/SQL lesson script of the kind teaching sites give: triggers that
// keep an audit trail and a derived column, a package whose state starts in
// its initialisation section, an exception raised in a procedure caught two
// blocks out by its number and one left unhandled, cursor FOR loops with
// parameters and defaults, dynamic SQL with USING and RETURNING INTO, a CASE
// without ELSE, string functions on Japanese text, date arithmetic in a loop
// and a GOTO; each answer as the PL/SQL Language Reference gives it.
#include <gtest/gtest.h>

#include <string>

#include "e2e/ScriptRun.h"

namespace {

class PlsqlLesson : public ScriptRun, public ::testing::WithParamInterface<Road> {
protected:
    PlsqlLesson() { m_road = GetParam(); }
};

// The console of the lesson; the script is its echoed lines.
const char kConsole[] = R"OUT(SQL> SET SERVEROUTPUT ON
SQL> CREATE TABLE dept_t (deptno NUMBER(2) PRIMARY KEY, dname VARCHAR2(14));
表が作成されました。
SQL> CREATE TABLE emp_t (empno NUMBER(4) PRIMARY KEY, ename VARCHAR2(20), sal NUMBER(7,2), deptno NUMBER(2) REFERENCES dept_t, annual NUMBER(9,2));
表が作成されました。
SQL> CREATE TABLE emp_audit (who VARCHAR2(10), action VARCHAR2(10), empno NUMBER(4), old_sal NUMBER(7,2), new_sal NUMBER(7,2));
表が作成されました。
SQL> INSERT INTO dept_t VALUES (10, 'ACCOUNTING');
1行が作成されました。
SQL> INSERT INTO dept_t VALUES (20, 'RESEARCH');
1行が作成されました。
SQL> CREATE OR REPLACE TRIGGER emp_t_annual BEFORE INSERT OR UPDATE OF sal ON emp_t FOR EACH ROW
SQL> BEGIN
SQL>   :NEW.annual := :NEW.sal * 12;
SQL> END;
SQL> /
トリガが作成されました。
SQL> CREATE OR REPLACE TRIGGER emp_t_audit AFTER INSERT OR UPDATE OR DELETE ON emp_t FOR EACH ROW
SQL> DECLARE
SQL>   v_action VARCHAR2(10);
SQL> BEGIN
SQL>   v_action := CASE WHEN INSERTING THEN 'INSERT' WHEN UPDATING THEN 'UPDATE' ELSE 'DELETE' END;
SQL>   INSERT INTO emp_audit VALUES ('U', v_action, NVL(:NEW.empno, :OLD.empno), :OLD.sal, :NEW.sal);
SQL> END;
SQL> /
トリガが作成されました。
SQL> INSERT INTO emp_t (empno, ename, sal, deptno) VALUES (7782, 'CLARK', 2450, 10);
1行が作成されました。
SQL> INSERT INTO emp_t (empno, ename, sal, deptno) VALUES (7369, 'SMITH', 800, 20);
1行が作成されました。
SQL> INSERT INTO emp_t (empno, ename, sal, deptno) VALUES (7566, 'JONES', 2975, 20);
1行が作成されました。
SQL> UPDATE emp_t SET sal = sal + 100 WHERE deptno = 20;
2行が更新されました。
SQL> DELETE FROM emp_t WHERE empno = 7782;
1行が削除されました。
SQL> SELECT empno, sal, annual FROM emp_t ORDER BY empno;

EMPNO      SAL        ANNUAL     
---------- ---------- ---------- 
7369       900        10800      
7566       3075       36900      

2行が選択されました。

SQL> SELECT action, empno, old_sal, new_sal FROM emp_audit ORDER BY action, empno;

ACTION     EMPNO      OLD_SAL    NEW_SAL    
---------- ---------- ---------- ---------- 
DELETE     7782       2450                  
INSERT     7369                  800        
INSERT     7566                  2975       
INSERT     7782                  2450       
UPDATE     7369       800        900        
UPDATE     7566       2975       3075       

6行が選択されました。

SQL> CREATE OR REPLACE PACKAGE counter_pkg IS
SQL>   g_calls NUMBER;
SQL>   PROCEDURE bump;
SQL>   FUNCTION calls RETURN NUMBER;
SQL> END counter_pkg;
SQL> /
パッケージが作成されました。
SQL> CREATE OR REPLACE PACKAGE BODY counter_pkg IS
SQL>   PROCEDURE bump IS
SQL>   BEGIN
SQL>     g_calls := g_calls + 1;
SQL>   END bump;
SQL>   FUNCTION calls RETURN NUMBER IS
SQL>   BEGIN
SQL>     RETURN g_calls;
SQL>   END calls;
SQL> BEGIN
SQL>   g_calls := 100;
SQL>   dbms_output.put_line('counter_pkg initialised');
SQL> END counter_pkg;
SQL> /
パッケージ本体が作成されました。
SQL> BEGIN
SQL>   counter_pkg.bump;
SQL>   counter_pkg.bump;
SQL>   dbms_output.put_line('calls: ' || counter_pkg.calls);
SQL> END;
SQL> /
PL/SQLプロシージャが正常に完了しました。
counter_pkg initialised
calls: 102
SQL> EXEC counter_pkg.bump

PL/SQLプロシージャが正常に完了しました。

SQL> EXEC dbms_output.put_line('now ' || counter_pkg.g_calls)

PL/SQLプロシージャが正常に完了しました。

now 103
SQL> CREATE OR REPLACE PROCEDURE check_sal(p_sal NUMBER) IS
SQL>   too_low EXCEPTION;
SQL> BEGIN
SQL>   IF p_sal < 1000 THEN
SQL>     RAISE too_low;
SQL>   END IF;
SQL>   dbms_output.put_line('ok ' || p_sal);
SQL> EXCEPTION
SQL>   WHEN too_low THEN
SQL>     RAISE_APPLICATION_ERROR(-20001, 'salary too low: ' || p_sal);
SQL> END;
SQL> /
プロシージャが作成されました。
SQL> DECLARE
SQL>   e_low EXCEPTION;
SQL>   PRAGMA EXCEPTION_INIT(e_low, -20001);
SQL> BEGIN
SQL>   BEGIN
SQL>     check_sal(2000);
SQL>     check_sal(500);
SQL>     dbms_output.put_line('not reached');
SQL>   EXCEPTION
SQL>     WHEN NO_DATA_FOUND THEN
SQL>       dbms_output.put_line('wrong handler');
SQL>   END;
SQL> EXCEPTION
SQL>   WHEN e_low THEN
SQL>     dbms_output.put_line('caught ' || SQLCODE || ': ' || SQLERRM);
SQL> END;
SQL> /
PL/SQLプロシージャが正常に完了しました。
ok 2000
caught -20001: ORA-20001: salary too low: 500
SQL> BEGIN
SQL>   check_sal(10);
SQL> END;
SQL> /
BEGIN
*
エラー行: 0: エラーが発生しました。
ORA-20001: salary too low: 10
ORA-06512: "U.CHECK_SAL", 行10
ORA-06512: 行2
SQL> DECLARE
SQL>   CURSOR c_emp(p_dept NUMBER, p_min NUMBER DEFAULT 0) IS
SQL>     SELECT ename, sal FROM emp_t WHERE deptno = p_dept AND sal >= p_min ORDER BY ename;
SQL> BEGIN
SQL>   FOR r IN c_emp(20) LOOP
SQL>     dbms_output.put_line(r.ename || ' ' || r.sal);
SQL>   END LOOP;
SQL>   FOR r IN c_emp(20, 1000) LOOP
SQL>     dbms_output.put_line('rich ' || r.ename);
SQL>   END LOOP;
SQL> END;
SQL> /
PL/SQLプロシージャが正常に完了しました。
JONES 3075
SMITH 900
rich JONES
SQL> DECLARE
SQL>   v_name emp_t.ename%TYPE;
SQL>   v_new NUMBER;
SQL>   v_count NUMBER;
SQL> BEGIN
SQL>   EXECUTE IMMEDIATE 'UPDATE emp_t SET sal = sal * :pct WHERE empno = :id RETURNING ename, sal INTO :n, :s'
SQL>     USING 2, 7369 RETURNING INTO v_name, v_new;
SQL>   dbms_output.put_line(v_name || ' now ' || v_new);
SQL>   EXECUTE IMMEDIATE 'SELECT COUNT(*) FROM emp_t WHERE deptno = :d' INTO v_count USING 20;
SQL>   dbms_output.put_line('dept 20: ' || v_count);
SQL> END;
SQL> /
PL/SQLプロシージャが正常に完了しました。
SMITH now 1800
dept 20: 2
SQL> DECLARE
SQL>   grade CHAR(1) := 'X';
SQL> BEGIN
SQL>   CASE grade
SQL>     WHEN 'A' THEN dbms_output.put_line('excellent');
SQL>     WHEN 'B' THEN dbms_output.put_line('good');
SQL>   END CASE;
SQL> EXCEPTION
SQL>   WHEN CASE_NOT_FOUND THEN
SQL>     dbms_output.put_line('no case for ' || grade);
SQL> END;
SQL> /
PL/SQLプロシージャが正常に完了しました。
no case for X
SQL> DECLARE
SQL>   grade CHAR(1) := 'X';
SQL> BEGIN
SQL>   CASE grade
SQL>     WHEN 'A' THEN dbms_output.put_line('excellent');
SQL>   END CASE;
SQL> END;
SQL> /
DECLARE
*
エラー行: 0: エラーが発生しました。
ORA-06592: PL/SQL: CASE文の実行時にCASEが見つかりません。
ORA-06512: 行4
SQL> DECLARE
SQL>   s VARCHAR2(60) := '東京都千代田区丸の内';
SQL> BEGIN
SQL>   dbms_output.put_line(LENGTH(s) || ' ' || LENGTH(SUBSTR(s, 8)));
SQL>   dbms_output.put_line(SUBSTR(s, 1, 3) || '/' || SUBSTR(s, 4));
SQL>   dbms_output.put_line(INSTR(s, '区') || ' ' || REPLACE(s, '丸の内', '大手町'));
SQL>   dbms_output.put_line(LPAD('円', 5, '*') || RPAD('ｱｲｳ', 5, '-') || '|');
SQL>   dbms_output.put_line(UPPER('abc日本xyz'));
SQL> END;
SQL> /
PL/SQLプロシージャが正常に完了しました。
10 3
東京都/千代田区丸の内
7 東京都千代田区大手町
***円ｱｲｳ--|
ABC日本XYZ
SQL> DECLARE
SQL>   d DATE := DATE '2024-01-31';
SQL> BEGIN
SQL>   FOR i IN 0 .. 3 LOOP
SQL>     dbms_output.put_line(TO_CHAR(ADD_MONTHS(d, i), 'YYYY-MM-DD') || ' ' || TO_CHAR(d + i * 7, 'YYYY-MM-DD DY', 'NLS_DATE_LANGUAGE=AMERICAN'));
SQL>   END LOOP;
SQL>   dbms_output.put_line(MONTHS_BETWEEN(DATE '2024-03-31', d) || ' ' || (DATE '2024-03-01' - DATE '2024-02-01'));
SQL>   dbms_output.put_line(TO_CHAR(LAST_DAY(DATE '2024-02-10'), 'YYYY-MM-DD') || ' ' || TO_CHAR(TRUNC(DATE '2024-05-17', 'MM'), 'YYYY-MM-DD'));
SQL> END;
SQL> /
PL/SQLプロシージャが正常に完了しました。
2024-01-31 2024-01-31 WED
2024-02-29 2024-02-07 WED
2024-03-31 2024-02-14 WED
2024-04-30 2024-02-21 WED
2 29
2024-02-29 2024-05-01
SQL> DECLARE
SQL>   p VARCHAR2(30);
SQL>   n PLS_INTEGER := 37;
SQL> BEGIN
SQL>   FOR j IN 2 .. ROUND(SQRT(n)) LOOP
SQL>     IF n MOD j = 0 THEN
SQL>       p := ' is not a prime number';
SQL>       GOTO print_now;
SQL>     END IF;
SQL>   END LOOP;
SQL>   p := ' is a prime number';
SQL>   <<print_now>>
SQL>   dbms_output.put_line(TO_CHAR(n) || p);
SQL> END;
SQL> /
PL/SQLプロシージャが正常に完了しました。
37 is a prime number
SQL> 
)OUT";

TEST_P(PlsqlLesson, EveryAnswerIsTheReferences) {
    RunResult r = RunScripts({"CONNECT u/u@" + Named("lessons") + "\n" + Typed(kConsole)});
    EXPECT_EQ(r.status, 0) << r.err;
    std::size_t connected = r.out.find('\n', r.out.find('\n') + 1);
    ASSERT_NE(connected, std::string::npos) << r.out;
    EXPECT_EQ(r.out.substr(connected + 1), kConsole);
}

INSTANTIATE_TEST_SUITE_P(Roads, PlsqlLesson, ::testing::Values(Road::Embedded, Road::Server),
                         [](const ::testing::TestParamInfo<Road>& info) {
                             return info.param == Road::Embedded ? "Embedded" : "Server";
                         });

}  // namespace
