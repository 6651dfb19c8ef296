// A sample schema script's keys through the batch runner: an UPDATE names
// the foreign key it broke, as parent or as child, a CHECK takes its
// deferral words, a join USING a column whose name holds "#", and a
// READ ONLY transaction refuses changes until it ends.
#include <gtest/gtest.h>

#include <string>

#include "e2e/ScriptRun.h"

namespace {

class SampleSchemaScript : public ScriptRun, public ::testing::WithParamInterface<Road> {
protected:
    SampleSchemaScript() { m_road = GetParam(); }
};

TEST_P(SampleSchemaScript, KeysChecksAndJoinsAnswerAsTheServer) {
    ExpectConsole(
        "SQL> CONNECT hr/hr|接続に成功しました。|"
        "SQL> CREATE TABLE jobs (job_id VARCHAR2(10) CONSTRAINT job_id_pk PRIMARY KEY);|表が作成されました。|"
        "SQL> CREATE TABLE departments (department_id NUMBER(4) CONSTRAINT dept_id_pk PRIMARY KEY);|"
        "表が作成されました。|"
        "SQL> CREATE TABLE employees (employee_id NUMBER(6) CONSTRAINT emp_id_pk PRIMARY KEY,|"
        "SQL>   job_id VARCHAR2(10), salary NUMBER(8,2), department_id NUMBER(4), manager_id NUMBER(6),|"
        "SQL>   CONSTRAINT emp_salary_min CHECK (salary > 0) DEFERRABLE,|"
        "SQL>   CONSTRAINT emp_job_fk FOREIGN KEY (job_id) REFERENCES jobs,|"
        "SQL>   CONSTRAINT emp_dept_fk FOREIGN KEY (department_id) REFERENCES departments,|"
        "SQL>   CONSTRAINT emp_manager_fk FOREIGN KEY (manager_id) REFERENCES "
        "employees);|表が作成されました。|"
        "SQL> INSERT INTO jobs VALUES ('AD_PRES');|1行が作成されました。|"
        "SQL> INSERT INTO departments VALUES (90);|1行が作成されました。|"
        "SQL> INSERT INTO employees VALUES (100, 'AD_PRES', 24000, 90, NULL);|1行が作成されました。|"
        "SQL> UPDATE jobs SET job_id = 'PRES';|UPDATE jobs SET job_id = 'PRES';|*|エラー行: 0: "
        "エラーが発生しました。|"
        "ORA-02292: 整合性制約 EMP_JOB_FK に違反しました - 子レコードがあります。|"
        "SQL> UPDATE employees SET department_id = 10;|UPDATE employees SET department_id = 10;|*|"
        "エラー行: 0: エラーが発生しました。|ORA-02291: 整合性制約 EMP_DEPT_FK に違反しました - "
        "親キーがありません。|"
        "SQL> UPDATE employees SET salary = 0;|UPDATE employees SET salary = 0;|*|エラー行: 0: "
        "エラーが発生しました。|"
        "ORA-02290: チェック制約 EMP_SALARY_MIN に違反しました。|SQL> COLUMN constraint_name FORMAT A15|"
        "SQL> SELECT constraint_name, deferrable FROM user_constraints WHERE constraint_type = 'C';||"
        "CONSTRAINT_NAME DEFERRABLE     |--------------- -------------- |"
        "EMP_SALARY_MIN  DEFERRABLE     ||1行が選択されました。||"
        "SQL> CREATE TABLE grades (grade# NUMBER, lo NUMBER);|表が作成されました。|"
        "SQL> CREATE TABLE bands (grade# NUMBER, band VARCHAR2(4));|表が作成されました。|"
        "SQL> INSERT INTO grades VALUES (1, 700);|1行が作成されました。|SQL> INSERT INTO bands VALUES (1, "
        "'LOW');|"
        "1行が作成されました。|SQL> SELECT grade#, lo, band FROM grades JOIN bands USING (grade#);||"
        "GRADE#     LO         BAND |---------- ---------- ---- |1          700        LOW  ||"
        "1行が選択されました。||SQL> COMMIT;|コミットが完了しました。|SQL> SET TRANSACTION READ "
        "ONLY;|トランザクションが設定されました。|"
        "SQL> UPDATE employees SET salary = 1;|UPDATE employees SET salary = 1;|*|エラー行: 0: "
        "エラーが発生しました。|"
        "ORA-01456: READ ONLY トランザクションでは挿入、削除、更新の操作は実行できません。|SQL> "
        "ROLLBACK;|ロールバックが完了しました。|"
        "SQL> UPDATE employees SET salary = 1;|1行が更新されました。|SQL> ");
}

INSTANTIATE_TEST_SUITE_P(Roads, SampleSchemaScript, ::testing::Values(Road::Embedded, Road::Server),
                         [](const ::testing::TestParamInfo<Road>& info) {
                             return info.param == Road::Embedded ? "Embedded" : "Server";
                         });

}  // namespace
