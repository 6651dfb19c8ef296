// A schema script of the kind sample schemas are: named and unnamed keys,
// foreign keys with ON DELETE CASCADE, checks, constraints added after the
// tables, and constraints dropped by the names the system gave them, read
// from USER_CONSTRAINTS.
#include <gtest/gtest.h>

#include <string>

#include "e2e/ScriptRun.h"

namespace {

class ConstraintNameScript : public ScriptRun {};

TEST_F(ConstraintNameScript, SystemNamedConstraintsAreDroppedByTheNamesShown) {
    RunResult r = RunScripts({std::string(
        "CONNECT hr/hr\n"
        "SET VERIFY OFF\n"
        "CREATE TABLE departments (\n"
        "  department_id   NUMBER(4) PRIMARY KEY,\n"
        "  department_name VARCHAR2(30) NOT NULL,\n"
        "  location        VARCHAR2(20) CONSTRAINT dept_loc_ck CHECK (location IN ('TOKYO', 'OSAKA')));\n"
        "CREATE TABLE employees (\n"
        "  employee_id   NUMBER(6),\n"
        "  last_name     VARCHAR2(25) CONSTRAINT emp_last_name_nn NOT NULL,\n"
        "  email         VARCHAR2(25) NOT NULL UNIQUE,\n"
        "  salary        NUMBER(8,2) CHECK (salary > 0),\n"
        "  department_id NUMBER(4),\n"
        "  CONSTRAINT emp_emp_id_pk PRIMARY KEY (employee_id),\n"
        "  CONSTRAINT emp_dept_fk FOREIGN KEY (department_id)\n"
        "    REFERENCES departments ON DELETE CASCADE);\n"
        "INSERT INTO departments VALUES (10, 'Administration', 'TOKYO');\n"
        "INSERT INTO departments VALUES (20, 'Marketing', 'OSAKA');\n"
        "INSERT INTO employees VALUES (100, 'King', 'SKING', 24000, 10);\n"
        "INSERT INTO employees VALUES (201, 'Hartstein', 'MHARTSTE', 13000, 20);\n"
        "COMMIT;\n"
        "ALTER TABLE employees ADD (manager_id NUMBER(6));\n"
        "ALTER TABLE employees ADD CONSTRAINT emp_manager_fk\n"
        "  FOREIGN KEY (manager_id) REFERENCES employees (employee_id);\n"
        "ALTER TABLE employees ADD CONSTRAINT emp_salary_min CHECK (salary >= 1000);\n"
        "ALTER TABLE departments ADD UNIQUE (department_name);\n"
        "INSERT INTO employees VALUES (101, 'Kochhar', 'SKING', 17000, 10, 100);\n"
        "INSERT INTO employees VALUES (102, 'De Haan', 'LDEHAAN', 500, 10, 100);\n"
        "COLUMN cname FORMAT A15\n"
        "COLUMN search_condition FORMAT A45\n"
        "SELECT CASE generated WHEN 'GENERATED NAME' THEN 'SYS_C' ELSE constraint_name END cname,\n"
        "       constraint_type t, search_condition, delete_rule\n"
        "FROM user_constraints WHERE table_name = 'EMPLOYEES' ORDER BY t, search_condition, cname;\n"
        "COLUMN constraint_name NEW_VALUE email_key NOPRINT\n"
        "SELECT constraint_name FROM user_constraints\n"
        "WHERE table_name = 'EMPLOYEES' AND constraint_type = 'U';\n"
        "ALTER TABLE employees DROP CONSTRAINT &email_key;\n"
        "INSERT INTO employees VALUES (101, 'Kochhar', 'SKING', 17000, 10, 100);\n"
        "COLUMN constraint_name NEW_VALUE dept_key NOPRINT\n"
        "SELECT constraint_name FROM user_constraints\n"
        "WHERE table_name = 'DEPARTMENTS' AND constraint_type = 'C' AND search_condition LIKE '%NAME%';\n"
        "ALTER TABLE departments DROP CONSTRAINT &dept_key;\n"
        "INSERT INTO departments VALUES (30, NULL, 'TOKYO');\n"
        "DELETE FROM departments WHERE department_id = 20;\n"
        "SELECT employee_id, last_name, email FROM employees ORDER BY 1;\n"
        "SELECT COUNT(*) FROM user_constraints WHERE table_name IN ('EMPLOYEES', 'DEPARTMENTS');\n")});
    const char* expected[] = {
        // Unnamed constraints are listed under the system's names.
        "CNAME           T SEARCH_CONDITION                              DELETE_RU |"
        "--------------- - --------------------------------------------- --------- |"
        "SYS_C           C \"EMAIL\" IS NOT NULL                                     |"
        "EMP_LAST_NAME_N C \"LAST_NAME\" IS NOT NULL                                 |"
        "SYS_C           C salary > 0                                              |"
        "EMP_SALARY_MIN  C salary >= 1000                                          |"
        "EMP_EMP_ID_PK   P                                                         |"
        "EMP_DEPT_FK     R                                               CASCADE   |"
        "EMP_MANAGER_FK  R                                               NO ACTION |"
        "SYS_C           U                                                         |"
        "|8行が選択されました。|",
        "ORA-02290: チェック制約 EMP_SALARY_MIN に違反しました。",
        // The key dropped by its system name lets the address in twice; the
        // NOT NULL dropped so takes a NULL; the cascade takes Marketing's people.
        "SQL> ALTER TABLE employees DROP CONSTRAINT &email_key;|表が更新されました。|"
        "SQL> INSERT INTO employees VALUES (101, 'Kochhar', 'SKING', 17000, 10, 100);|1行が作成されました。",
        "SQL> ALTER TABLE departments DROP CONSTRAINT &dept_key;|表が更新されました。|"
        "SQL> INSERT INTO departments VALUES (30, NULL, 'TOKYO');|1行が作成されました。|"
        "SQL> DELETE FROM departments WHERE department_id = 20;|1行が削除されました。",
        "100        King                      SKING                     |"
        "101        Kochhar                   SKING                     ||2行が選択されました。|",
        "---------- |10         ||1行が選択されました。|",
    };
    for (const char* lines : expected)
        EXPECT_NE(r.out.find(Console(lines)), std::string::npos) << lines << r.out;
    EXPECT_EQ(r.out.find("ORA-03001"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("ORA-02443"), std::string::npos) << r.out;
}

}  // namespace
