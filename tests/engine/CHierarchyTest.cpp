// Hierarchical queries whose FROM is more than one table: a join (ANSI or
// in WHERE), a subquery, a view; the join is made first, the hierarchy
// walks the joined rows, and the rest of WHERE filters the rows it gives.
#include "tests/engine/EngineFixture.h"

namespace {

class CHierarchyTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        Exec("CREATE TABLE DEPARTMENTS (DEPARTMENT_ID NUMBER(4), DEPARTMENT_NAME VARCHAR2(30))");
        Exec(
            "CREATE TABLE EMPLOYEES (EMPLOYEE_ID NUMBER(6), LAST_NAME VARCHAR2(25), MANAGER_ID NUMBER(6), "
            "DEPARTMENT_ID NUMBER(4))");
        for (const char* row : {"10, 'Administration'", "20, 'Marketing'", "90, 'Executive'"})
            Exec(std::string("INSERT INTO DEPARTMENTS VALUES (") + row + ")");
        for (const char* row :
             {"100, 'King', NULL, 90", "101, 'Kochhar', 100, 90", "200, 'Whalen', 101, 10",
              "201, 'Hartstein', 100, 20", "202, 'Fay', 201, 20", "203, 'Mavris', 101, NULL"})
            Exec(std::string("INSERT INTO EMPLOYEES VALUES (") + row + ")");
    }
};

// Mavris has no department: the join drops her before the walk.
TEST_F(CHierarchyTest, TheClassicReportOverAnAnsiJoin) {
    EXPECT_EQ(Rows("SELECT LPAD(' ', 2 * (LEVEL - 1)) || E.LAST_NAME, D.DEPARTMENT_NAME FROM EMPLOYEES E "
                   "JOIN DEPARTMENTS D ON E.DEPARTMENT_ID = D.DEPARTMENT_ID "
                   "START WITH E.MANAGER_ID IS NULL CONNECT BY PRIOR E.EMPLOYEE_ID = E.MANAGER_ID"),
              "King,Executive|  Kochhar,Executive|    Whalen,Administration|  Hartstein,Marketing|"
              "    Fay,Marketing");
}

// A join written in WHERE joins before the walk; a condition on one table
// filters afterwards (the rows below a filtered row stay).
TEST_F(CHierarchyTest, WhereJoinsFirstAndFiltersLast) {
    EXPECT_EQ(Rows("SELECT E.LAST_NAME, LEVEL, CONNECT_BY_ISLEAF, SYS_CONNECT_BY_PATH(E.LAST_NAME, '/') "
                   "FROM EMPLOYEES E, DEPARTMENTS D WHERE E.DEPARTMENT_ID = D.DEPARTMENT_ID "
                   "AND D.DEPARTMENT_NAME <> 'Executive' START WITH E.MANAGER_ID IS NULL "
                   "CONNECT BY PRIOR E.EMPLOYEE_ID = E.MANAGER_ID ORDER SIBLINGS BY E.LAST_NAME DESC"),
              "Whalen,3,1,/King/Kochhar/Whalen|Hartstein,2,0,/King/Hartstein|Fay,3,1,/King/Hartstein/Fay");
    EXPECT_EQ(Rows("SELECT E.*, CONNECT_BY_ROOT D.DEPARTMENT_NAME FROM EMPLOYEES E JOIN DEPARTMENTS D "
                   "USING (DEPARTMENT_ID) START WITH E.EMPLOYEE_ID = 201 CONNECT BY E.MANAGER_ID = PRIOR "
                   "E.EMPLOYEE_ID"),
              "201,Hartstein,100,20,Marketing|202,Fay,201,20,Marketing");
}

// PRIOR in the select list and WHERE reads the parent row (NULL for a root).
TEST_F(CHierarchyTest, PriorReadsTheParentRow) {
    EXPECT_EQ(Rows("SELECT E.LAST_NAME, PRIOR E.LAST_NAME, PRIOR D.DEPARTMENT_NAME FROM EMPLOYEES E "
                   "JOIN DEPARTMENTS D ON E.DEPARTMENT_ID = D.DEPARTMENT_ID WHERE PRIOR E.EMPLOYEE_ID <> 100 "
                   "START WITH E.MANAGER_ID IS NULL CONNECT BY PRIOR E.EMPLOYEE_ID = E.MANAGER_ID"),
              "Whalen,Kochhar,Executive|Fay,Hartstein,Marketing");
    EXPECT_EQ(Rows("SELECT LAST_NAME, PRIOR LAST_NAME FROM EMPLOYEES START WITH EMPLOYEE_ID = 101 "
                   "CONNECT BY PRIOR EMPLOYEE_ID = MANAGER_ID"),
              "Kochhar,-|Whalen,Kochhar|Mavris,Kochhar");
}

TEST_F(CHierarchyTest, SubqueriesAndViewsInFrom) {
    EXPECT_EQ(Rows("SELECT LAST_NAME, LEVEL FROM (SELECT * FROM EMPLOYEES WHERE EMPLOYEE_ID <> 101) "
                   "START WITH MANAGER_ID IS NULL CONNECT BY PRIOR EMPLOYEE_ID = MANAGER_ID"),
              "King,1|Hartstein,2|Fay,3");
    Exec("CREATE VIEW EMP_V AS SELECT EMPLOYEE_ID, LAST_NAME, MANAGER_ID FROM EMPLOYEES");
    EXPECT_EQ(Rows("SELECT LAST_NAME, CONNECT_BY_ROOT LAST_NAME FROM EMP_V START WITH EMPLOYEE_ID = 101 "
                   "CONNECT BY PRIOR EMPLOYEE_ID = MANAGER_ID"),
              "Kochhar,Kochhar|Whalen,Kochhar|Mavris,Kochhar");
    // A view whose query is a hierarchy, read like any other.
    Exec(
        "CREATE VIEW CHAIN AS SELECT LAST_NAME, LEVEL LV FROM EMPLOYEES START WITH EMPLOYEE_ID = 202 "
        "CONNECT BY EMPLOYEE_ID = PRIOR MANAGER_ID");
    EXPECT_EQ(Rows("SELECT LAST_NAME || LV FROM CHAIN"), "Fay1|Hartstein2|King3");
}

// CONNECT BY LEVEL <= n makes n rows of its one row, to be joined with
// tables; over several rows it walks every row below every other.
TEST_F(CHierarchyTest, RowGeneratorsWithOtherTables) {
    EXPECT_EQ(Rows("SELECT D.DEPARTMENT_ID, G.N FROM DEPARTMENTS D, (SELECT LEVEL N FROM DUAL CONNECT BY "
                   "LEVEL <= 2) G WHERE D.DEPARTMENT_ID < 90 ORDER BY 1, 2"),
              "10,1|10,2|20,1|20,2");
    Exec("CREATE VIEW DAYS AS SELECT DATE '2024-02-27' + LEVEL - 1 D FROM DUAL CONNECT BY LEVEL <= 4");
    EXPECT_EQ(Rows("SELECT TO_CHAR(D, 'MM-DD') FROM DAYS ORDER BY D"), "02-27|02-28|02-29|03-01");
    // 3 rows at the first level, 9 at the second: 4 of them department 10's.
    EXPECT_EQ(
        Rows("SELECT COUNT(*), MAX(LEVEL) FROM DEPARTMENTS WHERE DEPARTMENT_ID = 10 CONNECT BY LEVEL <= 2"),
        "4,2");
    EXPECT_EQ(Rows("SELECT LEVEL, CONNECT_BY_ISLEAF FROM DUAL CONNECT BY LEVEL <= 3"), "1,0|2,0|3,1");
    // A long chain comes in the order of its levels, paths and all.
    EXPECT_EQ(Rows("SELECT COUNT(*), SUM(N), MIN(R), MAX(R) FROM (SELECT LEVEL N, ROWNUM - LEVEL R FROM DUAL "
                   "CONNECT BY LEVEL <= 50000)"),
              "50000,1250025000,0,0");
    EXPECT_EQ(Rows("SELECT SYS_CONNECT_BY_PATH(LEVEL, '/') FROM DUAL WHERE LEVEL = 4 CONNECT BY LEVEL <= 5"),
              "/1/2/3/4");
}

// With NOCYCLE a row whose child is above it already is marked, and the
// walk stops there; without NOCYCLE the pseudo-column is refused.
TEST_F(CHierarchyTest, CycleMarksTheRowWhoseChildIsItsAncestor) {
    Exec("UPDATE EMPLOYEES SET MANAGER_ID = 202 WHERE EMPLOYEE_ID = 100");
    EXPECT_EQ(Rows("SELECT LAST_NAME, LEVEL, CONNECT_BY_ISCYCLE FROM EMPLOYEES START WITH EMPLOYEE_ID = 100 "
                   "CONNECT BY NOCYCLE PRIOR EMPLOYEE_ID = MANAGER_ID ORDER SIBLINGS BY LAST_NAME"),
              "King,1,0|Hartstein,2,0|Fay,3,1|Kochhar,2,0|Mavris,3,0|Whalen,3,0");
    EXPECT_EQ(Rows("SELECT E.LAST_NAME FROM EMPLOYEES E JOIN DEPARTMENTS D ON E.DEPARTMENT_ID = "
                   "D.DEPARTMENT_ID WHERE CONNECT_BY_ISCYCLE = 1 START WITH E.EMPLOYEE_ID = 201 "
                   "CONNECT BY NOCYCLE PRIOR E.EMPLOYEE_ID = E.MANAGER_ID"),
              "King");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM EMPLOYEES WHERE CONNECT_BY_ISCYCLE = 1 START WITH EMPLOYEE_ID = 100 "
                   "CONNECT BY NOCYCLE PRIOR EMPLOYEE_ID = MANAGER_ID AND LEVEL <= 2"),
              "0");
    EXPECT_EQ(Failure("SELECT CONNECT_BY_ISCYCLE FROM EMPLOYEES START WITH EMPLOYEE_ID = 100 "
                      "CONNECT BY PRIOR EMPLOYEE_ID = MANAGER_ID")
                  .substr(0, 10),
              "ORA-30930:");
}

}  // namespace
