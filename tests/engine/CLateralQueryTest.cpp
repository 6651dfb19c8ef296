// CROSS APPLY, OUTER APPLY and LATERAL inline views: queries in FROM that
// read the tables before them, as the SQL Language Reference's examples.
#include "tests/engine/EngineFixture.h"

namespace {

class CLateralQueryTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        Exec("CREATE TABLE departments (department_id NUMBER(4), department_name VARCHAR2(30))");
        Exec("INSERT INTO departments VALUES (20, 'Marketing')");
        Exec("INSERT INTO departments VALUES (200, 'Operations')");
        Exec("INSERT INTO departments VALUES (70, 'Public Relations')");
        Exec(
            "CREATE TABLE employees (employee_id NUMBER(6), last_name VARCHAR2(25), salary NUMBER(8,2), "
            "department_id NUMBER(4), hired DATE)");
        Exec("INSERT INTO employees VALUES (201, 'Hartstein', 13000, 20, DATE '2004-02-17')");
        Exec("INSERT INTO employees VALUES (202, 'Fay', 6000.1, 20, DATE '2005-08-17')");
        Exec("INSERT INTO employees VALUES (204, 'Baer', 10000, 70, DATE '2002-06-07')");
    }
};

TEST_F(CLateralQueryTest, ApplyJoinsEachRowToTheRowsItsQueryFinds) {
    const SqlCase cases[] = {
        // CROSS APPLY: a department without employees has no row.
        {"SELECT d.department_name, v.employee_id, v.last_name FROM departments d CROSS APPLY (SELECT * FROM "
         "employees e WHERE e.department_id = d.department_id) v WHERE d.department_name IN ('Marketing', "
         "'Operations', 'Public Relations') ORDER BY d.department_name, v.employee_id",
         "Marketing,201,Hartstein|Marketing,202,Fay|Public Relations,204,Baer"},
        // OUTER APPLY keeps it, its columns NULL.
        {"SELECT d.department_name, v.employee_id, v.last_name FROM departments d OUTER APPLY (SELECT * FROM "
         "employees e WHERE e.department_id = d.department_id) v ORDER BY d.department_name, v.employee_id",
         "Marketing,201,Hartstein|Marketing,202,Fay|Operations,-,-|Public Relations,204,Baer"},
        // LATERAL after a comma; "*" lists both sides' columns.
        {"SELECT * FROM employees e, LATERAL (SELECT * FROM departments d WHERE e.department_id = "
         "d.department_id) ORDER BY employee_id",
         "201,Hartstein,13000,20,04-02-17,20,Marketing|202,Fay,6000.1,20,05-08-17,20,Marketing|204,Baer,"
         "10000,"
         "70,02-06-07,70,Public Relations"},
        // An aggregate has one row for every row before it, 0 where none match.
        {"SELECT d.department_name, v.n, v.total FROM departments d CROSS APPLY (SELECT COUNT(*) n, "
         "SUM(salary) total FROM employees e WHERE e.department_id = d.department_id) v ORDER BY 1",
         "Marketing,2,19000.1|Operations,0,-|Public Relations,1,10000"},
        // The best paid of each department: the query's order and row limit hold per row.
        {"SELECT d.department_name, v.last_name FROM departments d CROSS APPLY (SELECT last_name FROM "
         "employees "
         "e WHERE e.department_id = d.department_id ORDER BY salary FETCH FIRST 1 ROWS ONLY) v ORDER BY 1",
         "Marketing,Fay|Public Relations,Baer"},
        // The rows come in the query's own order.
        {"SELECT v.last_name FROM departments d CROSS APPLY (SELECT last_name FROM employees e WHERE "
         "e.department_id = d.department_id ORDER BY last_name DESC) v WHERE d.department_id = 20",
         "Hartstein|Fay"},
        // A value comes back exact, a date as a date.
        {"SELECT v.s + 0.2, TO_CHAR(v.h, 'YYYY/MM/DD') FROM departments d CROSS APPLY (SELECT salary s, "
         "hired h "
         "FROM employees e WHERE e.department_id = d.department_id AND e.employee_id = 202) v",
         "6000.3,2005/08/17"},
        // LEFT JOIN LATERAL with a condition of its own.
        {"SELECT d.department_id, v.last_name FROM departments d LEFT JOIN LATERAL (SELECT last_name, salary "
         "FROM employees e WHERE e.department_id = d.department_id) v ON v.salary > 7000 ORDER BY 1",
         "20,Hartstein|70,Baer|200,-"},
        // A WHERE on the applied columns filters the joined rows.
        {"SELECT v.employee_id FROM departments d CROSS APPLY (SELECT employee_id, salary FROM employees e "
         "WHERE e.department_id = d.department_id) v WHERE v.salary < 11000 ORDER BY 1",
         "202|204"},
    };
    for (const SqlCase& c : cases) EXPECT_EQ(Rows(c.sql), c.answer) << c.sql;
}

TEST_F(CLateralQueryTest, AnInlineViewWithoutLateralDoesNotSeeTheTablesBeforeIt) {
    EXPECT_EQ(Rows("SELECT * FROM employees e, (SELECT * FROM departments d WHERE e.department_id = "
                   "d.department_id)")
                  .substr(0, 15),
              "ERROR ORA-00904");
    // Its columns are read by name: two of one name are ambiguous.
    EXPECT_EQ(Rows("SELECT * FROM departments d CROSS APPLY (SELECT 5 id, 7 id FROM dual) v"),
              "ERROR ORA-00918: 列 ID の定義があいまいです。");
    // A lateral query naming a column nobody has is refused at once.
    EXPECT_EQ(Rows("SELECT * FROM departments d CROSS APPLY (SELECT nosuch FROM employees e)").substr(0, 15),
              "ERROR ORA-00904");
}

TEST_F(CLateralQueryTest, AQueryThatWouldNotRepeatItsRowsIsRefused) {
    // ROWNUM counts each row once; a sequence or a random value is drawn once.
    const char* const queries[] = {
        "SELECT v.r FROM departments d CROSS APPLY (SELECT ROWNUM r FROM employees e WHERE e.department_id = "
        "d.department_id) v",
        "SELECT v.last_name FROM departments d OUTER APPLY (SELECT last_name FROM employees e WHERE "
        "e.department_id = d.department_id AND ROWNUM = 1) v",
        "SELECT v.x FROM departments d CROSS APPLY (SELECT DBMS_RANDOM.VALUE x FROM dual) v",
        "SELECT v.n FROM departments d, LATERAL (SELECT employee_id n FROM employees SAMPLE (50) e WHERE "
        "e.department_id = d.department_id) v",
    };
    for (const char* sql : queries)
        EXPECT_EQ(Rows(sql),
                  "ERROR ORA-03001: 未実装の機能です: ROWNUM・乱数・順序を読む LATERAL 副問合せ "
                  "は組込みデータベースでは使えません。")
            << sql;
    // ROWNUM outside the applied query counts the joined rows.
    EXPECT_EQ(
        Rows("SELECT ROWNUM, v.last_name FROM departments d CROSS APPLY (SELECT last_name FROM employees e "
             "WHERE e.department_id = d.department_id ORDER BY last_name) v WHERE d.department_id = 20"),
        "1,Fay|2,Hartstein");
}

TEST_F(CLateralQueryTest, AppliedColumnsAreDescribedByTheirOwnTypes) {
    // VARCHAR2 (1), NUMBER (2), DATE (12).
    EXPECT_EQ(
        TypesOf("SELECT v.last_name, v.salary, v.hired FROM departments d CROSS APPLY (SELECT last_name, "
                "salary, hired FROM employees e WHERE e.department_id = d.department_id) v"),
        "1,2,12");
}

}  // namespace
