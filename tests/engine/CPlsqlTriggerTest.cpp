// Triggers with PL/SQL bodies on the embedded engine, in the shapes of the
// vendor's HR schema: a statement trigger that refuses DML outside office
// hours (the clock fixed by TARVEX_CLOCK) and a row trigger that calls a
// stored procedure with the :OLD row.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "engine/sqlite/plsql/CTriggerFiring.h"
#include "tests/engine/EngineFixture.h"

namespace {

class PlsqlTriggerTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        Exec("CREATE TABLE jobs (job_id VARCHAR2(10) PRIMARY KEY, job_title VARCHAR2(35))");
        Exec(
            "CREATE TABLE employees (employee_id NUMBER(6) PRIMARY KEY, last_name VARCHAR2(25), hire_date "
            "DATE, job_id VARCHAR2(10), salary NUMBER(8,2), department_id NUMBER(4))");
        Exec(
            "CREATE TABLE job_history (employee_id NUMBER(6), start_date DATE, end_date DATE, job_id "
            "VARCHAR2(10), department_id NUMBER(4))");
        Exec("INSERT INTO employees VALUES (100, 'King', DATE '2003-06-17', 'AD_PRES', 24000, 90)");
        Exec("INSERT INTO employees VALUES (101, 'Kochhar', DATE '2005-09-21', 'AD_VP', 17000, 90)");
        Exec("COMMIT");
    }
    void TearDown() override { unsetenv("TARVEX_CLOCK"); }
    std::string Run(const std::string& text) {
        long rows = 0;
        if (m_connection->Execute(encoding::Utf8ToCp932(text), m_binds, rows))
            return "OK " + std::to_string(rows);
        std::string message = Error();
        for (char& c : message)
            if (c == '\n') c = '|';
        return message;
    }
};

}  // namespace

TEST_F(PlsqlTriggerTest, SecureDmlRefusesChangesOutsideOfficeHoursOnly) {
    Exec(
        "CREATE OR REPLACE PROCEDURE secure_dml IS\nBEGIN\n  IF TO_CHAR (SYSDATE, 'HH24:MI') NOT BETWEEN "
        "'08:00' AND '18:00'\n        OR TO_CHAR (SYSDATE, 'DY') IN ('SAT', 'SUN') THEN\n"
        "    RAISE_APPLICATION_ERROR (-20205,\n      'You may only make changes during normal office "
        "hours');\n  END IF;\nEND secure_dml;");
    Exec(
        "CREATE OR REPLACE TRIGGER secure_employees\n  BEFORE INSERT OR UPDATE OR DELETE ON employees\n"
        "BEGIN\n  secure_dml;\nEND secure_employees;");
    setenv("TARVEX_CLOCK", "2024-01-10 03:00:00", 1);
    EXPECT_EQ(
        Run("UPDATE employees SET salary = salary + 1"),
        "ORA-20205: You may only make changes during normal office hours|ORA-06512: \"SECURE_DML\", 行5|"
        "ORA-06512: \"SECURE_EMPLOYEES\", 行2|ORA-04088: "
        "トリガー'SECURE_EMPLOYEES'の実行中にエラーが発生しました");
    EXPECT_EQ(Rows("SELECT SUM(salary) FROM employees"), "41000");
    setenv("TARVEX_CLOCK", "2024-01-10 10:30:00", 1);
    EXPECT_EQ(Run("UPDATE employees SET salary = salary + 1"), "OK 2");
    Exec("ALTER TRIGGER secure_employees DISABLE");
    setenv("TARVEX_CLOCK", "2024-01-10 23:00:00", 1);
    EXPECT_EQ(Run("DELETE FROM employees WHERE employee_id = 101"), "OK 1");
    EXPECT_EQ(Rows("SELECT TRIGGER_TYPE, TRIGGERING_EVENT, TABLE_NAME, STATUS FROM USER_TRIGGERS WHERE "
                   "TRIGGER_NAME = 'SECURE_EMPLOYEES'"),
              "BEFORE STATEMENT,INSERT OR UPDATE OR DELETE,EMPLOYEES,DISABLED");
    Exec("ALTER TRIGGER secure_employees ENABLE");
    // A statement trigger fires even when the statement changes no row.
    EXPECT_EQ(Run("DELETE FROM employees WHERE 1 = 0").substr(0, 9), "ORA-20205");
    EXPECT_EQ(Run("BEGIN DELETE FROM employees WHERE 1 = 0; EXCEPTION WHEN OTHERS THEN "
                  "RAISE_APPLICATION_ERROR(-20999, 'caught ' || SQLCODE); END;")
                  .substr(0, 24),
              "ORA-20999: caught -20205");
    EXPECT_EQ(Run("INSERT INTO employees (employee_id) VALUES (7)").substr(0, 9), "ORA-20205");
}

TEST_F(PlsqlTriggerTest, JobHistoryRowTriggerCallsAProcedureWithTheOldRow) {
    Exec(
        "CREATE OR REPLACE PROCEDURE add_job_history\n  (  p_emp_id          job_history.employee_id%type\n"
        "   , p_start_date      job_history.start_date%type\n   , p_end_date        "
        "job_history.end_date%type\n   , p_job_id          job_history.job_id%type\n   , p_department_id   "
        "job_history.department_id%type\n   )\nIS\nBEGIN\n  INSERT INTO job_history (employee_id, "
        "start_date, end_date,\n                           job_id, department_id)\n    VALUES(p_emp_id, "
        "p_start_date, p_end_date, p_job_id, p_department_id);\nEND add_job_history;");
    Exec(
        "CREATE OR REPLACE TRIGGER update_job_history\n  AFTER UPDATE OF job_id, department_id ON "
        "employees\n  FOR EACH ROW\nBEGIN\n  add_job_history(:old.employee_id, :old.hire_date, sysdate,\n"
        "                  :old.job_id, :old.department_id);\nEND;");
    EXPECT_EQ(Run("UPDATE employees SET salary = 1 WHERE employee_id = 100"), "OK 1");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM job_history"), "0");
    EXPECT_EQ(Run("UPDATE employees SET job_id = 'IT_PROG', department_id = 60 WHERE employee_id = 101"),
              "OK 1");
    EXPECT_EQ(
        Rows("SELECT employee_id, TO_CHAR(start_date, 'YYYY-MM-DD'), job_id, department_id FROM job_history"),
        "101,2005-09-21,AD_VP,90");
    EXPECT_EQ(Run("ROLLBACK"), "OK 0");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM job_history"), "0");
}

TEST_F(PlsqlTriggerTest, RowTriggersSeeTheEventSetNewAndStopTheStatement) {
    Exec("CREATE TABLE audit_log (what VARCHAR2(40))");
    Exec("CREATE SEQUENCE emp_seq START WITH 500");
    Exec(
        "CREATE TRIGGER emp_audit AFTER INSERT OR UPDATE OR DELETE ON employees FOR EACH ROW\nBEGIN\n"
        "  IF INSERTING THEN INSERT INTO audit_log VALUES ('I ' || :NEW.employee_id);\n"
        "  ELSIF UPDATING THEN INSERT INTO audit_log VALUES ('U ' || :OLD.salary || '>' || :NEW.salary);\n"
        "  ELSIF DELETING THEN INSERT INTO audit_log VALUES ('D ' || :OLD.last_name);\n  END IF;\nEND;");
    Exec("CREATE TABLE staff (staff_id NUMBER PRIMARY KEY, name VARCHAR2(10))");
    Exec(
        "CREATE TRIGGER staff_ids BEFORE INSERT ON staff FOR EACH ROW\nWHEN (new.staff_id IS NULL)\n"
        "BEGIN\n  SELECT emp_seq.NEXTVAL INTO :NEW.staff_id FROM dual;\n  :NEW.name := "
        "UPPER(:NEW.name);\nEND;");
    Exec(
        "CREATE TRIGGER emp_salary BEFORE UPDATE OF salary ON employees FOR EACH ROW\nBEGIN\n"
        "  IF :NEW.salary < :OLD.salary THEN\n    RAISE_APPLICATION_ERROR(-20001, 'no cuts for ' || "
        ":OLD.last_name);\n  END IF;\nEND;");
    EXPECT_EQ(Run("INSERT INTO staff (name) VALUES ('smith')"), "OK 1");
    EXPECT_EQ(Run("INSERT INTO staff VALUES (3, 'jones')"), "OK 1");
    EXPECT_EQ(Rows("SELECT staff_id, name FROM staff ORDER BY 1"), "3,jones|500,SMITH");
    EXPECT_EQ(Run("INSERT INTO employees (employee_id, last_name) VALUES (7, 'jones')"), "OK 1");
    EXPECT_EQ(Rows("SELECT last_name FROM employees WHERE employee_id = 7"), "jones");
    EXPECT_EQ(Run("UPDATE employees SET salary = salary + 100 WHERE employee_id = 100"), "OK 1");
    EXPECT_EQ(Run("UPDATE employees SET salary = 0 WHERE employee_id IN (100, 101)"),
              "ORA-20001: no cuts for King|ORA-06512: \"EMP_SALARY\", 行3|ORA-04088: "
              "トリガー'EMP_SALARY'の実行中にエラーが発生しました");
    EXPECT_EQ(Run("DELETE FROM employees WHERE employee_id = 7"), "OK 1");
    EXPECT_EQ(Rows("SELECT what FROM audit_log ORDER BY what"), "D jones|I 7|U 24000>24100");
    EXPECT_EQ(
        Run("CREATE TRIGGER bad_after AFTER INSERT ON employees FOR EACH ROW BEGIN :NEW.salary := 1; END;"),
        "警告: コンパイル・エラーがあります。");
    Exec("DROP TRIGGER bad_after");
    Exec("DROP TRIGGER emp_audit");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM USER_TRIGGERS"), "2");
    Exec("DROP TABLE staff");
    EXPECT_EQ(Rows("SELECT TRIGGER_NAME FROM USER_TRIGGERS"), "EMP_SALARY");
}

TEST_F(PlsqlTriggerTest, ReferencingWhenAndUpdateOfDecideWhatFires) {
    Exec("CREATE TABLE raises (employee_id NUMBER, old_salary NUMBER, new_salary NUMBER)");
    Exec(
        "CREATE TRIGGER salary_raise AFTER UPDATE OF salary ON employees\n"
        "  REFERENCING NEW AS n OLD AS o FOR EACH ROW\n  WHEN (n.salary > o.salary)\nBEGIN\n"
        "  INSERT INTO raises VALUES (:o.employee_id, :o.salary, :n.salary);\nEND;");
    EXPECT_EQ(Run("UPDATE employees SET last_name = 'KING' WHERE employee_id = 100"), "OK 1");
    EXPECT_EQ(Run("UPDATE employees SET salary = salary - 1 WHERE employee_id = 100"), "OK 1");
    EXPECT_EQ(Run("UPDATE employees SET salary = salary + 1000"), "OK 2");
    EXPECT_EQ(Rows("SELECT employee_id, old_salary, new_salary FROM raises ORDER BY 1"),
              "100,23999,24999|101,17000,18000");
    EXPECT_EQ(Rows("SELECT TRIGGER_TYPE, TRIGGERING_EVENT, WHEN_CLAUSE FROM USER_TRIGGERS"),
              "AFTER EACH ROW,UPDATE,n.salary > o.salary");
}

// The two ways scripts number rows from a sequence: SELECT ... INTO :NEW
// alone, and an assignment of the sequence's NEXTVAL.
TEST_F(PlsqlTriggerTest, ABeforeRowTriggerNumbersRowsFromASequence) {
    Exec("CREATE SEQUENCE ids START WITH 10 INCREMENT BY 10");
    Exec("CREATE TABLE a (id NUMBER PRIMARY KEY, name VARCHAR2(10))");
    Exec("CREATE TABLE b (id NUMBER PRIMARY KEY, name VARCHAR2(10))");
    Exec(
        "CREATE TRIGGER a_ids BEFORE INSERT ON a FOR EACH ROW\nBEGIN\n"
        "  SELECT ids.NEXTVAL INTO :NEW.id FROM dual;\nEND;");
    Exec(
        "CREATE TRIGGER b_ids BEFORE INSERT ON b FOR EACH ROW\nBEGIN\n"
        "  IF :NEW.id IS NULL THEN :NEW.id := ids.NEXTVAL; END IF;\nEND;");
    EXPECT_EQ(Run("INSERT INTO a (name) VALUES ('x')"), "OK 1");
    EXPECT_EQ(Run("INSERT INTO b (name) VALUES ('y')"), "OK 1");
    EXPECT_EQ(Run("INSERT INTO b VALUES (5, 'z')"), "OK 1");
    EXPECT_EQ(Rows("SELECT id, name FROM a"), "10,x");
    EXPECT_EQ(Rows("SELECT id, name FROM b ORDER BY id"), "5,z|20,y");
}

// INSERT ... RETURNING INTO in a block gives the row as stored, with the
// values a BEFORE ROW trigger wrote into :NEW.
TEST_F(PlsqlTriggerTest, ReturningIntoInABlockGivesTheRowABeforeRowTriggerWrote) {
    Exec("CREATE SEQUENCE ids START WITH 10");
    Exec("CREATE TABLE c (id NUMBER, name VARCHAR2(10))");
    Exec("INSERT INTO c VALUES (1, 'old')");
    Exec(
        "CREATE TRIGGER c_bi BEFORE INSERT ON c FOR EACH ROW BEGIN "
        "IF :NEW.id IS NULL THEN :NEW.id := ids.NEXTVAL; END IF; :NEW.name := UPPER(:NEW.name); END;");
    m_binds = {CEngineBind{"S", "", true, servertype::kVarchar2, false, 40}};
    const struct {
        const char* insert;
        const char* returned;
    } cases[] = {
        {"INSERT INTO c (name) VALUES ('x') RETURNING id, name INTO v, w", "1:10X"},
        {"INSERT INTO c VALUES (5, 'y') RETURNING id + 1, name INTO v, w", "1:6Y"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Run(std::string("DECLARE v NUMBER; w VARCHAR2(10); BEGIN ") + c.insert +
                      "; :s := SQL%ROWCOUNT || ':' || v || w; END;"),
                  "OK 1")
            << c.insert;
        EXPECT_EQ(m_binds[0].value, c.returned) << c.insert;
    }
    EXPECT_EQ(Rows("SELECT id, name FROM c ORDER BY id"), "1,old|5,Y|10,X");
}

// UPDATE ... RETURNING INTO gives the row as stored, with the :NEW values
// a BEFORE ROW trigger set: typed at the console, in a block, and with
// BULK COLLECT for every row touched, in the order touched.
TEST_F(PlsqlTriggerTest, UpdateReturningGivesTheRowABeforeRowTriggerWrote) {
    Exec("CREATE TABLE r (id NUMBER PRIMARY KEY, a NUMBER, b VARCHAR2(10))");
    Exec("INSERT INTO r VALUES (1, 0, 'x')");
    Exec("INSERT INTO r VALUES (2, 0, 'y')");
    Exec("CREATE TRIGGER r_bu BEFORE UPDATE ON r FOR EACH ROW BEGIN :NEW.b := :NEW.b || :NEW.a * 10; END;");
    m_binds = {CEngineBind{"S", "", true, servertype::kVarchar2, false, 40}};
    const struct {
        const char* statement;
        const char* answer;
        const char* s;
    } cases[] = {
        {"UPDATE r SET a = 1 WHERE id = 1 RETURNING b INTO :s", "OK 1", "x10"},
        {"UPDATE r SET a = 7 WHERE id = 9 RETURNING b INTO :s", "OK 0", ""},
        {"DECLARE v VARCHAR2(10); BEGIN UPDATE r SET a = 2 WHERE id = 2 RETURNING b || id INTO v; "
         ":s := v; END;",
         "OK 1", "y202"},
        {"DECLARE TYPE t IS TABLE OF VARCHAR2(20); v t; BEGIN UPDATE r SET a = 3 RETURNING id || b BULK "
         "COLLECT INTO v; :s := v.COUNT || ':' || v(1) || ',' || v(2); END;",
         "OK 2", "2:1x1030,2y2030"},
    };
    for (const auto& c : cases) {
        m_binds[0].value.clear();
        EXPECT_EQ(Run(c.statement), c.answer) << c.statement;
        EXPECT_EQ(m_binds[0].value, c.s) << c.statement;
    }
    // Several rows into one bind: ORA-01422, and no row changed.
    EXPECT_NE(Run("UPDATE r SET a = 4 RETURNING b INTO :s").find("ORA-01422"), std::string::npos);
    EXPECT_EQ(Rows("SELECT id, a, b FROM r ORDER BY id"), "1,3,x1030|2,3,y2030");
    // DELETE returns the row as it stood.
    EXPECT_EQ(Run("DELETE FROM r WHERE id = 1 RETURNING b INTO :s"), "OK 1");
    EXPECT_EQ(m_binds[0].value, "x1030");
}

// DML ... RETURNING BULK COLLECT fires its statement triggers around the
// rows, and a row that fails undoes the whole statement.
TEST_F(PlsqlTriggerTest, ReturningBulkCollectFiresStatementTriggers) {
    Exec("CREATE TABLE q (id NUMBER, a NUMBER CHECK (a < 3))");
    Exec("CREATE TABLE qlog (what VARCHAR2(20))");
    Exec("INSERT INTO q VALUES (1, 0)");
    Exec("INSERT INTO q VALUES (2, 1)");
    Exec("CREATE TRIGGER q_bs BEFORE UPDATE ON q BEGIN INSERT INTO qlog VALUES ('before'); END;");
    Exec("CREATE TRIGGER q_as AFTER UPDATE ON q BEGIN INSERT INTO qlog VALUES ('after'); END;");
    const char* block =
        "DECLARE TYPE t IS TABLE OF NUMBER; v t; BEGIN UPDATE q SET a = a + %d RETURNING a BULK COLLECT INTO "
        "v; END;";
    char text[200];
    std::snprintf(text, sizeof text, block, 1);
    EXPECT_EQ(Run(text), "OK 2");
    EXPECT_EQ(Rows("SELECT what FROM qlog ORDER BY ROWID"), "before|after");
    std::snprintf(text, sizeof text, block, 2);
    EXPECT_NE(Run(text).find("ORA-02290"), std::string::npos);
    EXPECT_EQ(Rows("SELECT id, a FROM q ORDER BY id"), "1,1|2,2");
}

// RETURNING through a view's INSTEAD OF triggers is refused (ORA-22816),
// and the view's rows stay as they were.
TEST_F(PlsqlTriggerTest, ReturningOnAViewWithInsteadOfTriggersIsRefused) {
    Exec("CREATE TABLE base (id NUMBER, a NUMBER)");
    Exec("INSERT INTO base VALUES (1, 0)");
    Exec("CREATE VIEW w AS SELECT id, a FROM base");
    Exec("CREATE TRIGGER w_iu INSTEAD OF UPDATE ON w FOR EACH ROW BEGIN UPDATE base SET a = :NEW.a; END;");
    Exec(
        "CREATE TRIGGER w_ii INSTEAD OF INSERT ON w FOR EACH ROW BEGIN INSERT INTO base VALUES (:NEW.id, 0); "
        "END;");
    m_binds = {CEngineBind{"S", "", true, servertype::kVarchar2, false, 40}};
    const char* statements[] = {
        "UPDATE w SET a = 5 RETURNING a INTO :s",
        "INSERT INTO w VALUES (2, 2) RETURNING id INTO :s",
        "DECLARE n NUMBER; BEGIN UPDATE w SET a = 5 RETURNING a INTO n; END;",
        "DECLARE n NUMBER; BEGIN INSERT INTO w VALUES (2, 2) RETURNING id INTO n; END;",
    };
    for (const char* statement : statements)
        EXPECT_NE(Run(statement).find("ORA-22816"), std::string::npos) << statement;
    EXPECT_EQ(Rows("SELECT id, a FROM base"), "1,0");
    EXPECT_EQ(Run("UPDATE w SET a = 5"), "OK 1");
}

// A NOT NULL column that a BEFORE ROW trigger fills is checked with the
// trigger's value; the rows are counted as inserted, and the table's other
// triggers fire once a row.
TEST_F(PlsqlTriggerTest, ABeforeRowTriggerFillsNotNullColumnsAndRowsCountOnce) {
    Exec("CREATE SEQUENCE ids");
    Exec("CREATE TABLE log (what VARCHAR2(20))");
    Exec("CREATE TABLE d (id NUMBER NOT NULL, name VARCHAR2(10) NOT NULL, made DATE NOT NULL)");
    Exec(
        "CREATE TRIGGER d_before BEFORE INSERT ON d FOR EACH ROW\nBEGIN\n"
        "  INSERT INTO log VALUES ('before ' || :NEW.name);\nEND;");
    Exec(
        "CREATE TRIGGER d_fill BEFORE INSERT ON d FOR EACH ROW\nBEGIN\n"
        "  :NEW.id := NVL(:NEW.id, ids.NEXTVAL);\n  :NEW.made := SYSDATE;\nEND;");
    Exec(
        "CREATE TRIGGER d_after AFTER INSERT ON d FOR EACH ROW\nBEGIN\n"
        "  INSERT INTO log VALUES ('after ' || :NEW.id);\nEND;");
    EXPECT_EQ(Run("INSERT INTO d (name) VALUES ('a')"), "OK 1");
    EXPECT_EQ(Run("INSERT INTO d (name) SELECT 'b' FROM dual UNION ALL SELECT 'c' FROM dual"), "OK 2");
    EXPECT_EQ(Run("INSERT INTO d (id) VALUES (9)").substr(0, 9), "ORA-01400");
    m_binds = {CEngineBind{"N", "", true, 2}};
    EXPECT_EQ(Run("BEGIN INSERT INTO d (id, name) VALUES (7, 'e'); :N := SQL%ROWCOUNT; END;"), "OK 1");
    EXPECT_EQ(m_binds[0].value, "1");
    EXPECT_EQ(Rows("SELECT id, name, CASE WHEN made IS NULL THEN 'no' ELSE 'yes' END FROM d ORDER BY id"),
              "1,a,yes|2,b,yes|3,c,yes|7,e,yes");
    EXPECT_EQ(Rows("SELECT what FROM log WHERE what LIKE 'before%' ORDER BY what"),
              "before a|before b|before c|before e");
    EXPECT_EQ(Rows("SELECT what FROM log WHERE what LIKE 'after%' ORDER BY what"),
              "after 1|after 2|after 3|after 7");
    EXPECT_EQ(Run("UPDATE d SET name = 'z' WHERE id = 1"), "OK 1");
}

// The order of the server: BEFORE STATEMENT, then for each row its BEFORE
// ROW triggers (in the order they were created, each seeing the :NEW values
// of the one before), the row and its AFTER ROW triggers, and AFTER
// STATEMENT once the whole statement is done.
TEST_F(PlsqlTriggerTest, TriggersFireInTheServersOrderAndBeforeRowValuesAreStored) {
    Exec("CREATE TABLE src (n NUMBER)");
    Exec("INSERT INTO src SELECT employee_id - 99 FROM employees UNION ALL SELECT 3 FROM dual");
    Exec("CREATE TABLE t (id NUMBER, name VARCHAR2(20), updated_at DATE, note VARCHAR2(10))");
    Exec("CREATE TABLE log (seq NUMBER, what VARCHAR2(40))");
    Exec("CREATE SEQUENCE s");
    const char* triggers[] = {
        "CREATE TRIGGER t_as AFTER INSERT OR UPDATE ON t DECLARE n NUMBER; BEGIN SELECT COUNT(*) INTO n "
        "FROM t; INSERT INTO log VALUES (s.NEXTVAL, 'AS ' || n); END;",
        "CREATE TRIGGER t_br1 BEFORE INSERT OR UPDATE ON t FOR EACH ROW BEGIN :NEW.note := :NEW.note || "
        "'a'; INSERT INTO log VALUES (s.NEXTVAL, 'BR1 ' || :NEW.id); END;",
        "CREATE TRIGGER t_ar AFTER INSERT OR UPDATE ON t FOR EACH ROW BEGIN INSERT INTO log VALUES "
        "(s.NEXTVAL, 'AR ' || :NEW.id || ' ' || :NEW.note || ' ' || :NEW.name); END;",
        "CREATE TRIGGER t_br2 BEFORE INSERT OR UPDATE ON t FOR EACH ROW BEGIN :NEW.note := :NEW.note || "
        "'b'; :NEW.updated_at := SYSDATE; :NEW.name := UPPER(:NEW.name); END;",
        "CREATE TRIGGER t_bs BEFORE INSERT OR UPDATE ON t DECLARE n NUMBER; BEGIN SELECT COUNT(*) INTO n "
        "FROM t; INSERT INTO log VALUES (s.NEXTVAL, 'BS ' || n); END;",
    };
    for (const char* trigger : triggers) EXPECT_EQ(Run(trigger), "OK 0") << trigger;
    EXPECT_EQ(Run("INSERT INTO t (id, name) SELECT n, 'x' || n FROM src"), "OK 3");
    EXPECT_EQ(Rows("SELECT what FROM log ORDER BY seq"),
              "BS 0|BR1 1|AR 1 ab X1|BR1 2|AR 2 ab X2|BR1 3|AR 3 ab X3|AS 3");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM t WHERE note = 'ab' AND updated_at IS NOT NULL"), "3");
    Exec("DELETE FROM log");
    EXPECT_EQ(Run("UPDATE t SET name = 'abc', note = NULL, updated_at = NULL WHERE id = 2"), "OK 1");
    EXPECT_EQ(Rows("SELECT what FROM log ORDER BY seq"), "BS 3|BR1 2|AR 2 ab ABC|AS 3");
    EXPECT_EQ(Rows("SELECT name, note, NVL2(updated_at, 'set', 'null') FROM t WHERE id = 2"), "ABC,ab,set");
    // Disabled and enabled again, a trigger keeps its place.
    Exec("ALTER TRIGGER t_br1 DISABLE");
    EXPECT_EQ(Run("UPDATE t SET note = 'z' WHERE id = 3"), "OK 1");
    Exec("ALTER TRIGGER t_br1 ENABLE");
    EXPECT_EQ(Run("UPDATE t SET note = 'y' WHERE id = 1"), "OK 1");
    EXPECT_EQ(Rows("SELECT id, note FROM t ORDER BY id"), "1,yab|2,ab|3,zb");
    // In a block, the rows and SQL%ROWCOUNT are those of the statement.
    m_binds = {CEngineBind{"N", "", true, 2}};
    EXPECT_EQ(Run("BEGIN UPDATE t SET note = NULL; :N := SQL%ROWCOUNT; END;"), "OK 3");
    EXPECT_EQ(m_binds[0].value, "3");
    EXPECT_EQ(Rows("SELECT what FROM log ORDER BY seq DESC FETCH FIRST 2 ROWS ONLY"), "AS 3|AR 3 ab X3");
}

// A statement trigger that fails undoes the statement with what the
// statement's triggers did; a block that handles the error keeps its own
// work before it.
TEST_F(PlsqlTriggerTest, AFailingStatementTriggerUndoesTheWholeStatement) {
    Exec("CREATE TABLE log (what VARCHAR2(40))");
    Exec(
        "CREATE TRIGGER emp_log BEFORE DELETE ON employees BEGIN INSERT INTO log VALUES "
        "('before delete'); END;");
    Exec(
        "CREATE TRIGGER emp_keep AFTER DELETE ON employees DECLARE n NUMBER; BEGIN SELECT COUNT(*) INTO n "
        "FROM employees; IF n = 0 THEN RAISE_APPLICATION_ERROR(-20010, 'keep one row'); END IF; END;");
    EXPECT_EQ(Run("DELETE FROM employees"),
              "ORA-20010: keep one row|ORA-06512: \"EMP_KEEP\", 行1|ORA-04088: "
              "トリガー'EMP_KEEP'の実行中にエラーが発生しました");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM employees"), "2");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM log"), "0");
    EXPECT_EQ(Run("DECLARE code NUMBER; BEGIN INSERT INTO log VALUES ('kept'); DELETE FROM employees; "
                  "EXCEPTION WHEN OTHERS THEN code := SQLCODE; INSERT INTO log VALUES (code); END;")
                  .substr(0, 2),
              "OK");
    EXPECT_EQ(Rows("SELECT what FROM log ORDER BY what"), "-20010|kept");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM employees"), "2");
    EXPECT_EQ(Run("DELETE FROM employees WHERE employee_id = 101"), "OK 1");
    EXPECT_EQ(Rows("SELECT what FROM log ORDER BY what"), "-20010|before delete|kept");
}

// UPDATE OF: a statement trigger fires when the statement's SET list names
// one of its columns, whatever the rows.
TEST_F(PlsqlTriggerTest, UpdateOfStatementTriggersLookAtTheSetList) {
    Exec("CREATE TABLE log (what VARCHAR2(40))");
    Exec(
        "CREATE TRIGGER pay AFTER UPDATE OF salary, job_id ON employees BEGIN INSERT INTO log "
        "VALUES ('pay'); END;");
    EXPECT_EQ(Run("UPDATE employees SET last_name = last_name"), "OK 2");
    EXPECT_EQ(Run("UPDATE employees e SET e.salary = e.salary WHERE 1 = 0"), "OK 0");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM log"), "1");
    // UPDATING('column'): true when the UPDATE sets that column, whatever the
    // case it is written in; false for the other events.
    Exec(
        "CREATE TRIGGER which AFTER INSERT OR UPDATE ON employees FOR EACH ROW DECLARE w "
        "VARCHAR2(20) := CASE WHEN UPDATING('salary') THEN 'sal' WHEN UPDATING THEN 'other' ELSE 'ins' "
        "END; BEGIN IF UPDATING('JOB_ID') AND NOT UPDATING('salary') THEN w := w || '+job'; END IF; "
        "INSERT INTO log VALUES (w); END;");
    Exec("DELETE FROM log");
    EXPECT_EQ(Run("UPDATE employees SET job_id = job_id WHERE employee_id = 100"), "OK 1");
    EXPECT_EQ(Run("UPDATE employees SET last_name = last_name WHERE employee_id = 100"), "OK 1");
    EXPECT_EQ(Run("UPDATE employees SET Salary = salary, job_id = job_id WHERE employee_id = 100"), "OK 1");
    EXPECT_EQ(Run("INSERT INTO employees (employee_id, last_name) VALUES (7, 'x')"), "OK 1");
    EXPECT_EQ(Rows("SELECT what FROM log ORDER BY ROWID"), "other+job|pay|other|sal|pay|ins");
    const struct {
        const char* sql;
        const char* columns;
    } cases[] = {
        {"UPDATE t SET a = 1, b = f(x, y) WHERE c = 2", "A,B"},
        {"UPDATE s.t x SET x.a = (SELECT b FROM u WHERE u.c = x.c), (d, \"e\") = (SELECT 1, 2 FROM dual)",
         "A,D,e"},
        {"UPDATE t SET a = CASE WHEN b = 1 THEN 2 END RETURNING a INTO :v", "A"},
    };
    for (const auto& c : cases) {
        std::string got;
        for (const std::string& column : CTriggerFiring::UpdatedColumns(c.sql))
            got += (got.empty() ? "" : ",") + column;
        EXPECT_EQ(got, c.columns) << c.sql;
    }
}

// A trigger whose DML fires itself again stops at the server's limit of
// recursive SQL levels, and the statement is undone.
TEST_F(PlsqlTriggerTest, ATriggerThatFiresItselfStopsAtTheRecursionLimit) {
    Exec("CREATE TABLE chain (n NUMBER)");
    Exec(
        "CREATE TRIGGER chain_next AFTER INSERT ON chain FOR EACH ROW BEGIN INSERT INTO chain "
        "VALUES (:NEW.n + 1); END;");
    std::string chained = Run("INSERT INTO chain VALUES (1)");
    EXPECT_EQ(chained.substr(0, 10), "ORA-00036:") << chained.substr(0, 300);
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM chain"), "0");
}

// A table whose definition changes keeps its triggers, over its new columns.
TEST_F(PlsqlTriggerTest, RowTriggersFollowTheTablesColumns) {
    Exec("CREATE TABLE notes (id NUMBER, body VARCHAR2(20), extra VARCHAR2(5))");
    Exec(
        "CREATE TRIGGER notes_upper BEFORE INSERT OR UPDATE ON notes FOR EACH ROW BEGIN :NEW.body := "
        "UPPER(:NEW.body); END;");
    Exec("ALTER TABLE notes ADD (score NUMBER)");
    EXPECT_EQ(Run("INSERT INTO notes (id, body, score) VALUES (1, 'one', 7)"), "OK 1");
    EXPECT_EQ(Run("UPDATE notes SET body = 'uno', score = score + 1"), "OK 1");
    EXPECT_EQ(Rows("SELECT id, body, score FROM notes"), "1,UNO,8");
    Exec("ALTER TABLE notes DROP COLUMN extra");
    EXPECT_EQ(Run("INSERT INTO notes VALUES (2, 'two', 3)"), "OK 1");
    EXPECT_EQ(Rows("SELECT id, body, score FROM notes ORDER BY id"), "1,UNO,8|2,TWO,3");
}

// An AFTER ROW trigger may read :NEW anywhere; only writing it is refused.
TEST_F(PlsqlTriggerTest, AfterRowTriggersReadNewInExpressions) {
    Exec("CREATE TABLE log (what VARCHAR2(40))");
    Exec(
        "CREATE TRIGGER emp_read AFTER UPDATE ON employees FOR EACH ROW DECLARE s VARCHAR2(40); "
        "BEGIN s := :OLD.salary || '>' || :NEW.salary; IF :NEW.salary > :OLD.salary THEN INSERT INTO "
        "log VALUES (s); END IF; END;");
    EXPECT_EQ(Run("UPDATE employees SET salary = salary + 1 WHERE employee_id = 101"), "OK 1");
    EXPECT_EQ(Rows("SELECT what FROM log"), "17000>17001");
    EXPECT_EQ(Run("CREATE OR REPLACE TRIGGER emp_read AFTER UPDATE ON employees FOR EACH ROW BEGIN SELECT 1 "
                  "INTO :NEW.salary FROM dual; END;"),
              "警告: コンパイル・エラーがあります。");
}

// Every road a DML statement takes fires the table's statement triggers: a
// MERGE fires those of each event its clauses name (whether or not a row
// takes that road), AFTER in the reverse order; each execution of FORALL
// and each dynamic statement is a statement of its own.
TEST_F(PlsqlTriggerTest, MergeForallAndDynamicDmlFireStatementTriggers) {
    Exec("CREATE TABLE log (seq NUMBER, what VARCHAR2(40))");
    Exec("CREATE SEQUENCE s");
    Exec("CREATE TABLE src (employee_id NUMBER, salary NUMBER)");
    Exec("INSERT INTO src VALUES (101, 5)");
    Exec("INSERT INTO src VALUES (300, 6)");
    const char* triggers[] = {
        "CREATE TRIGGER emp_bs BEFORE INSERT OR UPDATE OR DELETE ON employees DECLARE e CHAR(1) := "
        "CASE WHEN INSERTING THEN 'I' WHEN UPDATING THEN 'U' ELSE 'D' END; BEGIN INSERT INTO log "
        "VALUES (s.NEXTVAL, 'BS ' || e); END;",
        "CREATE TRIGGER emp_as AFTER INSERT OR UPDATE OR DELETE ON employees DECLARE e CHAR(1) := "
        "CASE WHEN INSERTING THEN 'I' WHEN UPDATING THEN 'U' ELSE 'D' END; BEGIN INSERT INTO log "
        "VALUES (s.NEXTVAL, 'AS ' || e); END;",
        "CREATE TRIGGER emp_pay AFTER UPDATE OF salary ON employees BEGIN INSERT INTO log VALUES "
        "(s.NEXTVAL, 'PAY'); END;",
        "CREATE TRIGGER emp_ar AFTER INSERT OR UPDATE OR DELETE ON employees FOR EACH ROW BEGIN INSERT INTO "
        "log VALUES (s.NEXTVAL, 'AR ' || NVL(:NEW.employee_id, :OLD.employee_id)); END;",
    };
    for (const char* trigger : triggers) EXPECT_EQ(Run(trigger), "OK 0") << trigger;
    EXPECT_EQ(Run("MERGE INTO employees e USING src ON (e.employee_id = src.employee_id) "
                  "WHEN MATCHED THEN UPDATE SET e.salary = src.salary "
                  "WHEN NOT MATCHED THEN INSERT (employee_id, salary) VALUES (src.employee_id, src.salary)"),
              "OK 2");
    EXPECT_EQ(Rows("SELECT what FROM log ORDER BY seq"), "BS I|BS U|AR 101|AR 300|AS U|PAY|AS I");
    Exec("DELETE FROM log");
    EXPECT_EQ(Run("MERGE INTO employees e USING src ON (e.employee_id = src.employee_id) "
                  "WHEN MATCHED THEN UPDATE SET e.last_name = 'x' DELETE WHERE e.employee_id = 300"),
              "OK 2");
    EXPECT_EQ(Rows("SELECT what FROM log ORDER BY seq"), "BS U|BS D|AR 101|AR 300|AR 300|AS D|AS U");
    Exec("DELETE FROM log");
    // A MERGE in a block, with the block's values, fires them as well.
    m_binds = {CEngineBind{"N", "", true, 2}};
    EXPECT_EQ(
        Run("DECLARE id NUMBER := 102; pay NUMBER := 9; BEGIN MERGE INTO employees e USING dual ON "
            "(e.employee_id = id) WHEN MATCHED THEN UPDATE SET e.salary = pay WHEN NOT MATCHED THEN INSERT "
            "(employee_id, salary) VALUES (id, pay); :N := SQL%ROWCOUNT; END;"),
        "OK 1");
    EXPECT_EQ(m_binds[0].value, "1");
    EXPECT_EQ(Rows("SELECT what FROM log ORDER BY seq"), "BS I|BS U|AR 102|AS U|PAY|AS I");
    EXPECT_EQ(Rows("SELECT salary FROM employees WHERE employee_id = 102"), "9");
    Exec("DELETE FROM log");
    EXPECT_EQ(Run("DECLARE TYPE ids IS TABLE OF NUMBER; l ids := ids(100, 101, 999); BEGIN "
                  "FORALL i IN 1..l.COUNT UPDATE employees SET salary = salary + 1 WHERE employee_id = l(i); "
                  "EXECUTE IMMEDIATE 'DELETE FROM employees WHERE employee_id = :1' USING 100; END;"),
              "OK 2");
    EXPECT_EQ(Rows("SELECT what FROM log ORDER BY seq"),
              "BS U|AR 100|AS U|PAY|BS U|AR 101|AS U|PAY|BS U|AS U|PAY|BS D|AR 100|AS D");
}

// A statement trigger that fails stops the dynamic statement or the FORALL
// execution it fired for, with the trigger's error; the executions before it
// keep their rows.
TEST_F(PlsqlTriggerTest, AFailingStatementTriggerStopsDynamicAndBulkDml) {
    Exec("CREATE TABLE log (what VARCHAR2(40))");
    Exec(
        "CREATE TRIGGER emp_cap AFTER UPDATE ON employees DECLARE n NUMBER; BEGIN SELECT MAX(salary) "
        "INTO n FROM employees; IF n > 30000 THEN RAISE_APPLICATION_ERROR(-20001, 'cap'); END IF; END;");
    m_binds = {CEngineBind{"N", "", true, 2}};
    EXPECT_EQ(Run("BEGIN EXECUTE IMMEDIATE 'UPDATE employees SET salary = 40000'; EXCEPTION WHEN OTHERS THEN "
                  ":N := SQLCODE; END;"),
              "OK 0");
    EXPECT_EQ(m_binds[0].value, "-20001");
    EXPECT_EQ(Rows("SELECT SUM(salary) FROM employees"), "41000");
    EXPECT_EQ(
        Run("DECLARE TYPE pays IS TABLE OF NUMBER; p pays := pays(1000, 20000, 2000); BEGIN "
            "FORALL i IN 1..p.COUNT SAVE EXCEPTIONS UPDATE employees SET salary = salary + p(i) "
            "WHERE employee_id = 100; EXCEPTION WHEN OTHERS THEN :N := SQL%BULK_EXCEPTIONS.COUNT * 1000000 + "
            "SQL%BULK_EXCEPTIONS(1).ERROR_INDEX * 100000 + SQL%BULK_EXCEPTIONS(1).ERROR_CODE; END;"),
        "OK 2");
    EXPECT_EQ(m_binds[0].value, "1220001");
    EXPECT_EQ(Rows("SELECT salary FROM employees WHERE employee_id = 100"), "27000");
}

// A row trigger may neither read nor change the table its statement is
// changing (ORA-04091), through static or dynamic SQL or a function it
// calls, and neither may the row triggers its own DML fires; the statement
// is undone. A single-row INSERT ... VALUES leaves its table readable, and
// statement triggers read it freely.
TEST_F(PlsqlTriggerTest, RowTriggersCannotReachTheirMutatingTable) {
    Exec("CREATE TABLE log (what VARCHAR2(60))");
    Exec(
        "CREATE FUNCTION payroll RETURN NUMBER IS\n  n NUMBER;\nBEGIN\n"
        "  SELECT SUM(salary) INTO n FROM employees;\n  RETURN n;\nEND;");
    Exec(
        "CREATE TRIGGER emp_total AFTER INSERT OR UPDATE ON employees FOR EACH ROW\nDECLARE\n"
        "  n NUMBER;\nBEGIN\n  n := payroll;\n  INSERT INTO log VALUES ('total ' || n);\nEND;");
    const char* mutating =
        "ORA-04091: 表EMPLOYEESは変更中です。トリガー/ファンクションで参照できない可能性があります。|"
        "ORA-06512: \"PAYROLL\", 行4|ORA-06512: \"EMP_TOTAL\", 行4|"
        "ORA-04088: トリガー'EMP_TOTAL'の実行中にエラーが発生しました";
    EXPECT_EQ(Run("UPDATE employees SET salary = salary + 1"), mutating);
    EXPECT_EQ(Run("INSERT INTO employees (employee_id, salary) SELECT 7, 10 FROM dual"), mutating);
    EXPECT_EQ(Rows("SELECT COUNT(*), SUM(salary) FROM employees"), "2,41000");
    EXPECT_EQ(Run("INSERT INTO employees (employee_id, salary) VALUES (8, 10)"), "OK 1");
    EXPECT_EQ(Rows("SELECT what FROM log"), "total 41010");
    // FORALL's INSERT ... VALUES inserts many rows: its table is mutating.
    EXPECT_EQ(
        Run("BEGIN FORALL i IN 1..2 INSERT INTO employees (employee_id, salary) VALUES (20 + i, 1); END;")
            .substr(0, 9),
        "ORA-04091");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM employees"), "3");
    Exec("DROP TRIGGER emp_total");
    // A row trigger of another table that the first one's DML fires.
    Exec(
        "CREATE TRIGGER log_check BEFORE INSERT ON log FOR EACH ROW BEGIN EXECUTE IMMEDIATE "
        "'DELETE FROM employees WHERE salary < 0'; END;");
    Exec(
        "CREATE TRIGGER emp_note AFTER DELETE ON employees FOR EACH ROW BEGIN INSERT INTO log "
        "VALUES (:OLD.last_name); END;");
    // The error keeps the lines of both triggers, the inner one's first.
    EXPECT_EQ(Run("DELETE FROM employees WHERE employee_id = 8"),
              "ORA-04091: 表EMPLOYEESは変更中です。トリガー/ファンクションで参照できない可能性があります。|"
              "ORA-06512: \"LOG_CHECK\", 行1|ORA-04088: トリガー'LOG_CHECK'の実行中にエラーが発生しました|"
              "ORA-06512: \"EMP_NOTE\", 行1|ORA-04088: トリガー'EMP_NOTE'の実行中にエラーが発生しました");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM employees"), "3");
    // A trigger that handles the error lets its statement go on.
    Exec(
        "CREATE OR REPLACE TRIGGER log_check BEFORE INSERT ON log FOR EACH ROW DECLARE n NUMBER; "
        "BEGIN SELECT COUNT(*) INTO n FROM employees; EXCEPTION WHEN OTHERS THEN :NEW.what := "
        ":NEW.what || ' ' || SQLCODE; END;");
    EXPECT_EQ(Run("DELETE FROM employees WHERE employee_id = 8"), "OK 1");
    EXPECT_EQ(Rows("SELECT what FROM log ORDER BY what"), " -4091|total 41010");
}

// FOLLOWS and PRECEDES order triggers of one timing point whatever the order
// they were created in; the triggers named must exist on the same table.
TEST_F(PlsqlTriggerTest, FollowsAndPrecedesOrderTriggersOfOneTimingPoint) {
    Exec("CREATE TABLE log (seq NUMBER, what VARCHAR2(10))");
    Exec("CREATE SEQUENCE s");
    Exec("CREATE TABLE other (n NUMBER)");
    auto trigger = [](const std::string& name, const std::string& order) {
        return "CREATE OR REPLACE TRIGGER " + name + " BEFORE UPDATE ON employees FOR EACH ROW " + order +
               " BEGIN INSERT INTO log VALUES (s.NEXTVAL, '" + name + "'); END;";
    };
    EXPECT_EQ(Run(trigger("c", "FOLLOWS b")).substr(0, 9), "ORA-04080");
    Exec("CREATE TRIGGER o BEFORE INSERT ON other FOR EACH ROW BEGIN NULL; END;");
    EXPECT_EQ(Run(trigger("c", "FOLLOWS o")).substr(0, 9), "ORA-25021");
    EXPECT_EQ(Run(trigger("c", "")), "OK 0");
    EXPECT_EQ(Run(trigger("b", "")), "OK 0");
    EXPECT_EQ(Run(trigger("a", "PRECEDES c")), "OK 0");
    EXPECT_EQ(Run(trigger("d", "FOLLOWS a, scott.b")), "OK 0");
    EXPECT_EQ(Run("UPDATE employees SET salary = salary WHERE employee_id = 100"), "OK 1");
    EXPECT_EQ(Rows("SELECT what FROM log ORDER BY seq"), "b|a|c|d");
    Exec("DELETE FROM log");
    EXPECT_EQ(Run(trigger("c", "FOLLOWS d")), "OK 0");
    EXPECT_EQ(Run("UPDATE employees SET salary = salary WHERE employee_id = 100"), "OK 1");
    EXPECT_EQ(Rows("SELECT what FROM log ORDER BY seq"), "b|a|d|c");
    // The relations as the dictionary lists them; a trigger dropped takes its own away.
    EXPECT_EQ(Rows("SELECT trigger_name, ordering_type, referenced_trigger_name FROM user_trigger_ordering "
                   "ORDER BY 1, 3"),
              "A,PRECEDES,C|C,FOLLOWS,D|D,FOLLOWS,A|D,FOLLOWS,B");
    Exec("DROP TRIGGER d");
    Exec("CREATE OR REPLACE TRIGGER c BEFORE UPDATE ON employees FOR EACH ROW BEGIN NULL; END;");
    EXPECT_EQ(Rows("SELECT trigger_name || ' ' || ordering_type || ' ' || referenced_trigger_name FROM "
                   "dba_trigger_ordering"),
              "A PRECEDES C");
}

// The row a BEFORE ROW trigger leaves is checked as it is written: a NOT NULL
// column it fills lets the statement through and one it empties stops it,
// a CHECK sees its value, and a value longer than the column fails in the
// trigger, whose :NEW fields have the columns' types. The value typed is
// checked against the column before the trigger fires.
TEST_F(PlsqlTriggerTest, TheValuesABeforeRowTriggerSetsAreCheckedAsWritten) {
    Exec("CREATE SEQUENCE ids");
    Exec("CREATE TABLE t (id NUMBER NOT NULL, code VARCHAR2(3), amt NUMBER(4,1) CHECK (amt < 100))");
    Exec(
        "CREATE TRIGGER t_fill BEFORE INSERT OR UPDATE ON t FOR EACH ROW BEGIN\n"
        "  IF :NEW.id IS NULL THEN :NEW.id := ids.NEXTVAL; END IF;\n"
        "  IF :NEW.code = 'N' THEN :NEW.id := NULL; END IF;\n"
        "  IF :NEW.code = 'L' THEN :NEW.code := 'abcdefghij'; END IF;\n"
        "  IF :NEW.amt = 1 THEN :NEW.amt := 500; END IF;\n"
        "  IF :NEW.amt = 2 THEN :NEW.amt := 3.14159; END IF;\nEND;");
    const char* cases[][2] = {
        {"INSERT INTO t (code) VALUES ('x')", "OK 1"},
        {"INSERT INTO t (code, amt) VALUES ('y', 2)", "OK 1"},
        {"INSERT INTO t (id, code) VALUES (5, 'N')", "ORA-01400: T.ID には NULL を入れられません。"},
        {"UPDATE t SET code = 'N'", "ORA-01400: T.ID には NULL を入れられません。"},
        {"INSERT INTO t (code, amt) VALUES ('z', 1)",
         "ORA-02290: チェック制約 SYS_C8000003 に違反しました。"},
        {"UPDATE t SET amt = 1", "ORA-02290: チェック制約 SYS_C8000003 に違反しました。"},
        {"INSERT INTO t (code) VALUES ('L')",
         "ORA-06502: PL/SQL: 数値または値のエラーです: 文字列バッファが小さすぎます。|ORA-06512: \"T_FILL\", "
         "行4|ORA-04088: トリガー'T_FILL'の実行中にエラーが発生しました"},
        {"INSERT INTO t (code) VALUES ('long')",
         "ORA-12899: T.CODE の値が長すぎます (4 バイト、最大 3 バイト)。"},
    };
    for (const auto& c : cases) EXPECT_EQ(Run(c[0]), c[1]) << c[0];
    EXPECT_EQ(Rows("SELECT id, code, amt FROM t ORDER BY id"), "1,x,-|2,y,3.1");
}

// ALTER TABLE ... DISABLE ALL TRIGGERS sets each of the table's triggers
// aside, ENABLE ALL TRIGGERS brings them back.
TEST_F(PlsqlTriggerTest, AllTriggersOfATableAreDisabledAndEnabledTogether) {
    Exec("CREATE TABLE notes (id NUMBER, note VARCHAR2(20))");
    Exec("CREATE TRIGGER notes_a BEFORE INSERT ON notes FOR EACH ROW BEGIN :NEW.note := 'a'; END;");
    Exec("CREATE TRIGGER notes_b AFTER INSERT ON notes BEGIN NULL; END;");
    Exec("ALTER TABLE notes DISABLE ALL TRIGGERS");
    EXPECT_EQ(Rows("SELECT trigger_name, status FROM user_triggers WHERE table_name = 'NOTES' ORDER BY 1"),
              "NOTES_A,DISABLED|NOTES_B,DISABLED");
    Exec("INSERT INTO notes (id) VALUES (1)");
    Exec("ALTER TABLE notes ENABLE ALL TRIGGERS");
    Exec("INSERT INTO notes (id) VALUES (2)");
    EXPECT_EQ(Rows("SELECT id, note FROM notes ORDER BY id"), "1,-|2,a");
}

// INSTEAD OF triggers run in place of DML on a view, once for each of its
// rows, with :NEW and :OLD the view's rows; the statement counts those rows.
// They are made on views only, and BEFORE and AFTER ones on tables only.
TEST_F(PlsqlTriggerTest, InsteadOfTriggersRunInPlaceOfDmlOnAView) {
    Exec("CREATE TABLE dept2 (deptno NUMBER PRIMARY KEY, dname VARCHAR2(20))");
    Exec("CREATE TABLE emp2 (empno NUMBER PRIMARY KEY, ename VARCHAR2(20), deptno NUMBER)");
    Exec(
        "CREATE VIEW emp_dept AS SELECT e.empno, e.ename, d.deptno, d.dname FROM emp2 e JOIN dept2 d ON "
        "e.deptno = d.deptno");
    Exec(
        "CREATE TRIGGER emp_dept_ins INSTEAD OF INSERT ON emp_dept FOR EACH ROW BEGIN "
        "INSERT INTO dept2 VALUES (:NEW.deptno, :NEW.dname); "
        "INSERT INTO emp2 VALUES (:NEW.empno, :NEW.ename, :NEW.deptno); END;");
    Exec(
        "CREATE TRIGGER emp_dept_upd INSTEAD OF UPDATE ON emp_dept BEGIN "
        "UPDATE emp2 SET ename = :NEW.ename WHERE empno = :OLD.empno; END;");
    Exec(
        "CREATE TRIGGER emp_dept_del INSTEAD OF DELETE ON emp_dept BEGIN "
        "DELETE FROM emp2 WHERE empno = :OLD.empno; END;");
    EXPECT_EQ(Run("INSERT INTO emp_dept VALUES (1, 'KING', 10, 'ACCOUNTING')"), "OK 1");
    EXPECT_EQ(Run("INSERT INTO emp_dept VALUES (2, 'FORD', 20, 'RESEARCH')"), "OK 1");
    EXPECT_EQ(Rows("SELECT empno, ename, dname FROM emp_dept ORDER BY empno"),
              "1,KING,ACCOUNTING|2,FORD,RESEARCH");
    EXPECT_EQ(Run("UPDATE emp_dept SET ename = LOWER(ename)"), "OK 2");
    EXPECT_EQ(Rows("SELECT ename FROM emp2 ORDER BY empno"), "king|ford");
    EXPECT_EQ(Run("DELETE FROM emp_dept WHERE deptno = 20"), "OK 1");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM emp2"), "1");
    EXPECT_EQ(
        Rows("SELECT trigger_type, base_object_type FROM user_triggers WHERE trigger_name = 'EMP_DEPT_INS'"),
        "INSTEAD OF,VIEW");
    EXPECT_EQ(Run("CREATE TRIGGER bad INSTEAD OF INSERT ON emp2 BEGIN NULL; END;"),
              "ORA-25002: 表にはINSTEAD OFトリガーを作成できません。");
    EXPECT_EQ(Run("CREATE TRIGGER bad BEFORE INSERT ON emp_dept FOR EACH ROW BEGIN NULL; END;"),
              "ORA-25001: このタイプのトリガーはビューには作成できません。");
}

// An INSTEAD OF trigger stands in for its own events only, and only while
// enabled: DML of another event goes through the view to its table when the
// view allows it, and is refused (ORA-01732) when it does not.
TEST_F(PlsqlTriggerTest, InsteadOfTriggersStandInForTheirOwnEnabledEvents) {
    Exec("CREATE TABLE items (id NUMBER PRIMARY KEY, name VARCHAR2(10))");
    Exec("CREATE TABLE item_log (what VARCHAR2(30))");
    Exec("INSERT INTO items VALUES (1, 'a')");
    Exec("INSERT INTO items VALUES (2, 'b')");
    Exec("CREATE VIEW items_v AS SELECT id, name FROM items");
    Exec("CREATE VIEW item_counts AS SELECT name, COUNT(*) n FROM items GROUP BY name");
    Exec(
        "CREATE TRIGGER items_v_ins INSTEAD OF INSERT ON items_v FOR EACH ROW BEGIN "
        "INSERT INTO item_log VALUES ('ins ' || :NEW.name); END;");
    Exec(
        "CREATE TRIGGER items_v_del INSTEAD OF DELETE ON items_v FOR EACH ROW BEGIN "
        "INSERT INTO item_log VALUES ('del ' || :OLD.name); END;");
    Exec(
        "CREATE TRIGGER counts_ins INSTEAD OF INSERT ON item_counts FOR EACH ROW BEGIN "
        "INSERT INTO item_log VALUES ('count ' || :NEW.name); END;");
    Exec("ALTER TRIGGER items_v_del DISABLE");
    const char* cases[][2] = {
        {"INSERT INTO items_v VALUES (3, 'c')", "OK 1"},
        {"DELETE FROM items_v WHERE id = 1", "OK 1"},
        {"UPDATE items_v SET name = 'B' WHERE id = 2", "OK 1"},
        {"ALTER TRIGGER items_v_del ENABLE", "OK 0"},
        {"DELETE FROM items_v WHERE id = 2", "OK 1"},
        {"INSERT INTO item_counts VALUES ('z', 1)", "OK 1"},
        {"DELETE FROM item_counts", "ORA-01732: このビューではデータ操作はできません。"},
        {"UPDATE item_counts SET n = 0", "ORA-01732: このビューではデータ操作はできません。"},
    };
    for (const auto& c : cases) EXPECT_EQ(Run(c[0]), c[1]) << c[0];
    EXPECT_EQ(Rows("SELECT id, name FROM items ORDER BY id"), "2,B");
    EXPECT_EQ(Rows("SELECT what FROM item_log ORDER BY what"), "count z|del B|ins c");
}

namespace {

// What commits (DDL, COMMIT, ROLLBACK, through EXECUTE IMMEDIATE) cannot run
// in a trigger (ORA-04092) nor in a function SQL calls (ORA-14552); the
// statement is undone and the session goes on.
TEST_F(PlsqlTriggerTest, NothingThatCommitsRunsInATriggerOrAFunctionOfAQuery) {
    Exec("CREATE TABLE log (what VARCHAR2(60))");
    Exec(
        "CREATE TRIGGER self_drop BEFORE INSERT ON log FOR EACH ROW BEGIN EXECUTE IMMEDIATE "
        "'DROP TRIGGER self_drop'; END;");
    EXPECT_EQ(Run("INSERT INTO log VALUES ('x')").substr(0, 9), "ORA-04092");
    Exec("DROP TRIGGER self_drop");
    Exec("CREATE TRIGGER log_commit AFTER INSERT ON log BEGIN EXECUTE IMMEDIATE 'COMMIT'; END;");
    EXPECT_EQ(Run("INSERT INTO log VALUES ('y')").substr(0, 9), "ORA-04092");
    Exec("DROP TRIGGER log_commit");
    Exec(
        "CREATE FUNCTION make_table RETURN NUMBER IS BEGIN EXECUTE IMMEDIATE 'CREATE TABLE zz (a "
        "NUMBER)'; RETURN 1; END;");
    EXPECT_EQ(Rows("SELECT make_table FROM dual").substr(0, 15), "ERROR ORA-14552");
    EXPECT_EQ(Run("INSERT INTO log VALUES ('z')"), "OK 1");
    EXPECT_EQ(Rows("SELECT what FROM log"), "z");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM user_tables WHERE table_name = 'ZZ'"), "0");
}

}  // namespace

// DML through a view fires the statement triggers of the table the view
// passes it to, once a statement, and UPDATE OF reads the table's columns
// behind the view's; a view with INSTEAD OF triggers runs those instead.
TEST_F(PlsqlTriggerTest, StatementTriggersFireForDmlThroughAView) {
    Exec("CREATE TABLE log (what VARCHAR2(40))");
    Exec("CREATE TABLE depts (department_id NUMBER(4) PRIMARY KEY, name VARCHAR2(20))");
    Exec("INSERT INTO depts VALUES (90, 'Executive')");
    Exec("CREATE VIEW earners AS SELECT employee_id id, salary pay FROM employees WHERE salary > 0");
    Exec(
        "CREATE VIEW staff AS SELECT e.employee_id, e.salary, d.name FROM employees e JOIN depts d ON "
        "d.department_id = e.department_id");
    Exec(
        "CREATE TRIGGER emp_before BEFORE INSERT OR UPDATE OR DELETE ON employees BEGIN INSERT INTO "
        "log VALUES ('before'); END;");
    Exec(
        "CREATE TRIGGER emp_pay AFTER UPDATE OF salary ON employees BEGIN INSERT INTO log VALUES "
        "('pay'); END;");
    Exec("CREATE TRIGGER dept_any BEFORE UPDATE ON depts BEGIN INSERT INTO log VALUES ('dept'); END;");
    EXPECT_EQ(Run("UPDATE earners SET pay = pay + 1"), "OK 2");
    EXPECT_EQ(Run("UPDATE staff SET salary = salary + 1 WHERE name = 'Executive'"), "OK 2");
    EXPECT_EQ(Run("UPDATE earners SET id = id WHERE 1 = 0"), "OK 0");
    EXPECT_EQ(Run("DELETE FROM staff WHERE employee_id = 101"), "OK 1");
    EXPECT_EQ(Run("INSERT INTO earners (id, pay) VALUES (102, 5)"), "OK 1");
    EXPECT_EQ(Rows("SELECT what FROM log ORDER BY rowid"), "before|pay|before|pay|before|before|before");
}

TEST_F(PlsqlTriggerTest, ATablesTriggersGoWhenItIsDropped) {
    Exec("CREATE TABLE tt (a NUMBER)");
    Exec("CREATE TRIGGER tt_bi BEFORE INSERT ON tt FOR EACH ROW BEGIN :NEW.a := 1; END;");
    Exec("DROP TABLE tt");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM USER_OBJECTS WHERE OBJECT_NAME = 'TT_BI'"), "0");
    Exec("CREATE TABLE tt (a NUMBER)");
    Exec("INSERT INTO tt VALUES (5)");
    Exec("CREATE TRIGGER tt_bi BEFORE INSERT ON tt FOR EACH ROW BEGIN :NEW.a := 2; END;");
    Exec("INSERT INTO tt VALUES (5)");
    EXPECT_EQ(Rows("SELECT a FROM tt ORDER BY a"), "2|5");
}
