REM Tarvex のデモ: 接続、表の作成、挿入、問合せ、DESCRIBE、SET/SHOW、DEFINE、エラー
CONNECT scott/tiger@demo
CREATE TABLE emp (
  empno    NUMBER(4) NOT NULL,
  ename    VARCHAR2(10),
  sal      NUMBER(7, 2),
  hiredate DATE);
INSERT INTO emp VALUES (7369, 'smith', 800, TO_DATE('1980-12-17', 'YYYY-MM-DD'));
INSERT INTO emp VALUES (7499, 'allen', 1600.5, TO_DATE('1981-02-20', 'YYYY-MM-DD'));
INSERT INTO emp VALUES (7521, '山田', 1250, TO_DATE('1981-02-22', 'YYYY-MM-DD'));
COMMIT;
SELECT * FROM emp;
DESC emp
-- 列の幅を変えて、見出しを消す
COLUMN ename FORMAT A6
SET HEADING OFF
SHOW HEADING
SELECT ename, sal FROM emp WHERE sal > 1000;
SET HEADING ON
DEFINE t=emp
UPDATE &t SET sal = sal * 2 WHERE empno = 7369;
SELECT empno, ename, sal
  FROM emp
 WHERE salary > 1000;
VARIABLE n NUMBER
EXECUTE :n := 6 * 7
PRINT n
ROLLBACK;
DROP TABLE emp;
DISCONNECT
