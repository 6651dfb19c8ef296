// A schema script of the kind every shop has, run statement by statement on
// the embedded engine, then queried: the answers are the server's.
#include <gtest/gtest.h>

#include "engine/sqlite/CSqliteConnection.h"
#include "tests/engine/EngineFixture.h"
#include "text/Encoding.h"

namespace {

const char* const kScript[] = {
    "CREATE TABLE dept (\n  deptno NUMBER(2) CONSTRAINT dept_pk PRIMARY KEY USING INDEX TABLESPACE idx,\n"
    "  dname VARCHAR2(14 CHAR) CONSTRAINT dept_dname_nn NOT NULL,\n  loc VARCHAR2(13)\n)\nTABLESPACE users "
    "PCTFREE 10 STORAGE (INITIAL 64K NEXT 64K) LOGGING",
    "CREATE TABLE emp (\n  empno NUMBER(4) NOT NULL,\n  ename VARCHAR2(10),\n  job VARCHAR2(9),\n"
    "  mgr NUMBER(4),\n  hiredate DATE,\n  sal NUMBER(7,2),\n  comm NUMBER(7,2),\n  deptno NUMBER(2),\n"
    "  CONSTRAINT emp_pk PRIMARY KEY (empno),\n  CONSTRAINT emp_sal_ck CHECK (sal > 0)\n) NOCOMPRESS",
    "ALTER TABLE emp ADD (CONSTRAINT emp_dept_fk FOREIGN KEY (deptno) REFERENCES dept (deptno))",
    "CREATE UNIQUE INDEX emp_ename_uk ON emp (ename)",
    "CREATE INDEX emp_deptno_ix ON emp (deptno) TABLESPACE idx",
    "CREATE SEQUENCE emp_seq START WITH 7369 INCREMENT BY 1 NOCACHE",
    "CREATE OR REPLACE VIEW emp_dept_v AS\n  SELECT e.empno, e.ename, e.sal, NVL(e.comm, 0) AS comm, "
    "d.dname, e.hiredate\n  FROM emp e, dept d\n  WHERE e.deptno = d.deptno(+)",
    "COMMENT ON TABLE emp IS '従業員'",
    "COMMENT ON COLUMN emp.sal IS 'Monthly salary'",
    "ALTER SESSION SET NLS_DATE_FORMAT = 'YYYY-MM-DD'",
    "BEGIN\n  INSERT INTO dept VALUES (10, 'Accounting', 'New York');\n"
    "  INSERT INTO dept VALUES (20, 'Research', 'Dallas');\n  INSERT INTO dept VALUES (30, '営業部', "
    "'Chicago');\n"
    "  INSERT INTO dept (deptno, dname) VALUES (40, 'Operations');\nEND;",
    "BEGIN\n  INSERT INTO emp VALUES (emp_seq.NEXTVAL, 'Smith', 'Clerk', 7902, TO_DATE('17-12-1980', "
    "'DD-MM-YYYY'), 800, NULL, 20);\n  INSERT INTO emp VALUES (emp_seq.NEXTVAL, 'Allen', 'Salesman', 7698, "
    "TO_DATE('1981-02-20', 'YYYY-MM-DD'), 1600, 300, 30);\n  INSERT INTO emp VALUES (emp_seq.NEXTVAL, "
    "'Ward', 'Salesman', 7698, TO_DATE('1981-02-22', 'YYYY-MM-DD'), 1250.555, 500, 30);\n"
    "  INSERT INTO emp VALUES (emp_seq.NEXTVAL, 'Jones', 'Manager', 7839, '1981-04-02', 2975, NULL, 20);\n"
    "  INSERT INTO emp VALUES (emp_seq.NEXTVAL, 'King', 'President', NULL, DATE '1981-11-17', 5000, NULL, "
    "NULL);\nEND;",
    "COMMIT",
};

class CRealScriptTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        for (const char* statement : kScript) ASSERT_EQ(Failure(statement), "OK") << statement;
    }
};

}  // namespace

TEST_F(CRealScriptTest, QueriesOverTheScriptsDataGiveTheServersAnswers) {
    const struct {
        const char* sql;
        const char* rows;
    } cases[] = {
        {"SELECT ename, dname FROM emp_dept_v ORDER BY empno",
         "Smith,Research|Allen,営業部|Ward,営業部|Jones,Research|King,-"},
        {"SELECT dname, SUM(sal), COUNT(*) FROM emp_dept_v WHERE dname IS NOT NULL GROUP BY dname ORDER BY 2 "
         "DESC",
         "Research,3775,2|営業部,2850.56,2"},
        {"SELECT d.dname, COUNT(e.empno) FROM dept d, emp e WHERE d.deptno = e.deptno(+) GROUP BY d.dname "
         "ORDER BY d.dname",
         "Accounting,0|Operations,0|Research,2|営業部,2"},
        {"SELECT ename, hiredate + 30, TO_CHAR(hiredate, 'YYYY/MM/DD') FROM emp WHERE ename = 'Smith'",
         "Smith,1981-01-16,1980/12/17"},
        {"SELECT ename FROM emp WHERE hiredate BETWEEN DATE '1981-01-01' AND DATE '1981-06-30' ORDER BY "
         "hiredate",
         "Allen|Ward|Jones"},
        {"SELECT ename, sal + comm FROM emp_dept_v WHERE comm > 0 ORDER BY 2", "Ward,1750.56|Allen,1900"},
        {"SELECT MAX(hiredate) - MIN(hiredate) FROM emp", "335"},
        {"SELECT COUNT(*) FROM emp WHERE UPPER(ename) = 'KING' AND ename = 'King'", "1"},
        {"SELECT job, LISTAGG(ename, ',') WITHIN GROUP (ORDER BY ename) FROM emp GROUP BY job ORDER BY job",
         "Clerk,Smith|Manager,Jones|President,King|Salesman,Allen,Ward"},
        {"SELECT ename, RANK() OVER (ORDER BY sal DESC) FROM emp WHERE ROWNUM <= 3 ORDER BY 2",
         "Allen,1|Ward,2|Smith,3"},
        {"SELECT ename FROM emp ORDER BY sal DESC FETCH FIRST 2 ROWS ONLY", "King|Jones"},
        {"SELECT empno FROM emp MINUS SELECT empno FROM emp WHERE deptno = 20 ORDER BY 1", "7370|7371|7373"},
        {"SELECT DECODE(deptno, 20, 'R', 30, 'S', 'X'), CASE WHEN sal >= 2000 THEN 'high' ELSE 'low' END "
         "FROM emp ORDER BY empno",
         "R,low|S,low|S,low|R,high|X,high"},
        {"SELECT TABLE_NAME FROM USER_TABLES ORDER BY 1", "DEPT|EMP"},
        {"SELECT COMMENTS FROM USER_TAB_COMMENTS WHERE TABLE_NAME = 'EMP'", "従業員"},
        // The key written with the table is enforced by an index of its name.
        {"SELECT INDEX_NAME, UNIQUENESS FROM USER_INDEXES WHERE TABLE_NAME = 'EMP' ORDER BY 1",
         "EMP_DEPTNO_IX,NONUNIQUE|EMP_ENAME_UK,UNIQUE|EMP_PK,UNIQUE"},
        {"SELECT CONSTRAINT_NAME, CONSTRAINT_TYPE FROM USER_CONSTRAINTS WHERE TABLE_NAME = 'DEPT' ORDER BY 1",
         "DEPT_DNAME_NN,C|DEPT_PK,P"},
        {"SELECT OBJECT_NAME FROM USER_OBJECTS WHERE OBJECT_TYPE IN ('VIEW', 'SEQUENCE') ORDER BY 1",
         "EMP_DEPT_V|EMP_SEQ"},
    };
    for (const auto& c : cases) EXPECT_EQ(Rows(c.sql), c.rows) << c.sql;
}
