// Cursor variables (SYS_REFCURSOR and REF CURSOR types): OPEN ... FOR a
// query or a text with USING values, FETCH, CLOSE and their attributes,
// passed between subprograms and given to the console's REFCURSOR
// variable, as the PL/SQL Language Reference describes them.
#include <gtest/gtest.h>

#include "tests/engine/EngineFixture.h"

namespace {

class CursorVariableTest : public OutputFixture {
protected:
    void SetUp() override {
        OutputFixture::SetUp();
        Exec("CREATE TABLE emp (empno NUMBER(4), ename VARCHAR2(10), sal NUMBER(7,2), deptno NUMBER(2))");
        Exec("INSERT INTO emp VALUES (7369, 'SMITH', 800, 20)");
        Exec("INSERT INTO emp VALUES (7499, 'ALLEN', 1600, 30)");
        Exec("INSERT INTO emp VALUES (7521, 'WARD', 1250, 30)");
        Exec("INSERT INTO emp VALUES (7566, 'JONES', 2975, 20)");
        Exec("COMMIT");
    }
    // The rows the console's cursor variable RC was given, as "a,b|c,d".
    std::string ConsoleRows() {
        CEngineError error;
        auto cursor = m_connection->TakeCursorVariable("RC", error);
        if (!cursor) return "ERROR " + encoding::Cp932ToUtf8(error.message);
        CEngineResult rows;
        if (!cursor->Fetch(100, rows)) return "ERROR fetch";
        std::string out;
        for (std::size_t row = 0; row < rows.RowCount(); ++row) {
            out += row > 0 ? "|" : "";
            for (std::size_t column = 0; column < rows.Columns().size(); ++column)
                out += (column > 0 ? "," : "") + std::string(rows.Value(row, column));
        }
        return out;
    }
};

using Case = BlockCase;

}  // namespace

TEST_F(CursorVariableTest, OpenFetchCloseAndAttributes) {
    const Case cases[] = {
        {"DECLARE TYPE emp_cur IS REF CURSOR RETURN emp%ROWTYPE; c emp_cur; r emp%ROWTYPE; BEGIN "
         "OPEN c FOR SELECT * FROM emp WHERE deptno = 30 ORDER BY empno; "
         "LOOP FETCH c INTO r; EXIT WHEN c%NOTFOUND; dbms_output.put_line(c%ROWCOUNT || ' ' || r.ename); "
         "END LOOP; dbms_output.put_line(c%ROWCOUNT); CLOSE c; END;",
         "1 ALLEN|2 WARD|2"},
        // Before the first FETCH %FOUND is NULL; closed, %ISOPEN is FALSE.
        {"DECLARE c SYS_REFCURSOR; BEGIN IF NOT c%ISOPEN THEN dbms_output.put_line('not open'); END IF; "
         "OPEN c FOR SELECT 1 FROM dual; IF c%FOUND IS NULL AND c%ISOPEN THEN dbms_output.put_line('null'); "
         "END IF; CLOSE c; IF NOT c%ISOPEN THEN dbms_output.put_line('closed'); END IF; END;",
         "not open|null|closed"},
        // A text and its USING values, bound by place.
        {"DECLARE rc SYS_REFCURSOR; n VARCHAR2(10); s NUMBER; q VARCHAR2(100) := 'SELECT ename, sal FROM emp "
         "WHERE sal > :low AND deptno = :d ORDER BY sal'; BEGIN OPEN rc FOR q USING 1000, 30; "
         "LOOP FETCH rc INTO n, s; EXIT WHEN rc%NOTFOUND; dbms_output.put_line(n || ' ' || s); END LOOP; "
         "CLOSE rc; END;",
         "WARD 1250|ALLEN 1600"},
        // OPEN on an open cursor variable opens it again with the new query.
        {"DECLARE rc SYS_REFCURSOR; n NUMBER; BEGIN OPEN rc FOR SELECT 1 FROM dual; OPEN rc FOR SELECT 2 "
         "FROM dual; FETCH rc INTO n; dbms_output.put_line(n); END;",
         "2"},
        // Two variables assigned one from the other share the cursor.
        {"DECLARE a SYS_REFCURSOR; b SYS_REFCURSOR; n NUMBER; BEGIN OPEN a FOR SELECT empno FROM emp ORDER "
         "BY empno; b := a; FETCH a INTO n; FETCH b INTO n; dbms_output.put_line(n || ' ' || a%ROWCOUNT); "
         "CLOSE b; IF NOT a%ISOPEN THEN dbms_output.put_line('both closed'); END IF; END;",
         "7499 2|both closed"},
        // The rows are those at OPEN: a later change does not show.
        {"DECLARE rc SYS_REFCURSOR; n NUMBER; BEGIN OPEN rc FOR SELECT COUNT(*) FROM emp; DELETE FROM emp; "
         "FETCH rc INTO n; dbms_output.put_line(n); ROLLBACK; END;",
         "4"},
        {"DECLARE rc SYS_REFCURSOR; TYPE names IS TABLE OF VARCHAR2(10); t names; BEGIN "
         "OPEN rc FOR SELECT ename FROM emp ORDER BY ename; FETCH rc BULK COLLECT INTO t LIMIT 3; "
         "dbms_output.put_line(t.COUNT || t(3)); FETCH rc BULK COLLECT INTO t LIMIT 3; "
         "dbms_output.put_line(t.COUNT || t(1)); FETCH rc BULK COLLECT INTO t LIMIT 3; "
         "dbms_output.put_line(t.COUNT); END;",
         "3SMITH|1WARD|0"},
        {"DECLARE rc SYS_REFCURSOR; n NUMBER; BEGIN OPEN rc FOR SELECT 1 FROM dual; CLOSE rc; FETCH rc INTO "
         "n; "
         "EXCEPTION WHEN INVALID_CURSOR THEN dbms_output.put_line(SQLERRM); END;",
         "ORA-01001: カーソルが無効です。"},
        {"DECLARE\n  rc SYS_REFCURSOR;\n  n NUMBER;\nBEGIN\n  FETCH rc INTO n;\nEND;",
         "ERROR ORA-01001: カーソルが無効です。|ORA-06512: 行5"},
        {"DECLARE rc SYS_REFCURSOR; BEGIN OPEN rc FOR 'SELECT * FROM nowhere'; END;",
         "ERROR ORA-00942: 表またはビュー NOWHERE は存在しません。|ORA-06512: 行1"},
    };
    for (const Case& c : cases) EXPECT_EQ(OutputOf(c.block), c.answer) << c.block;
}

TEST_F(CursorVariableTest, SubprogramsPassAndReturnCursors) {
    Exec(
        "CREATE OR REPLACE FUNCTION emps(p_dept NUMBER) RETURN SYS_REFCURSOR IS rc SYS_REFCURSOR; "
        "BEGIN OPEN rc FOR SELECT empno, ename FROM emp WHERE deptno = p_dept ORDER BY empno; "
        "RETURN rc; END;");
    Exec(
        "CREATE OR REPLACE PROCEDURE get_emps(p_dept IN NUMBER, p_rc OUT SYS_REFCURSOR) IS BEGIN "
        "OPEN p_rc FOR SELECT ename FROM emp WHERE deptno = p_dept ORDER BY ename; END;");
    Exec(
        "CREATE OR REPLACE FUNCTION first_name(p_rc SYS_REFCURSOR) RETURN VARCHAR2 IS "
        "n VARCHAR2(10); BEGIN FETCH p_rc INTO n; RETURN n; END;");
    const Case cases[] = {
        {"DECLARE c SYS_REFCURSOR; no NUMBER; nm VARCHAR2(10); BEGIN c := emps(30); "
         "LOOP FETCH c INTO no, nm; EXIT WHEN c%NOTFOUND; dbms_output.put_line(no || nm); END LOOP; END;",
         "7499ALLEN|7521WARD"},
        // An IN cursor is the caller's: what the callee fetched is gone for it.
        {"DECLARE c SYS_REFCURSOR; BEGIN get_emps(20, c); dbms_output.put_line(first_name(c) || ' ' || "
         "first_name(c) || ' ' || c%ROWCOUNT); END;",
         "JONES SMITH 2"},
        {"DECLARE PROCEDURE show(c IN OUT SYS_REFCURSOR) IS n VARCHAR2(10); BEGIN FETCH c INTO n; "
         "dbms_output.put_line(n); OPEN c FOR SELECT 'again' FROM dual; END; c SYS_REFCURSOR; "
         "n VARCHAR2(10); BEGIN get_emps(30, c); show(c); FETCH c INTO n; dbms_output.put_line(n); END;",
         "ALLEN|again"},
    };
    for (const Case& c : cases) EXPECT_EQ(OutputOf(c.block), c.answer) << c.block;
    EXPECT_EQ(OutputOf("BEGIN :rc := emps(20); END;").substr(0, 15), "ERROR ORA-01008");
    m_binds = {CEngineBind{"RC", "", true, servertype::kCursor}};
    EXPECT_EQ(OutputOf("BEGIN :rc := emps(20); END;"), "");
    EXPECT_EQ(ConsoleRows(), "7369,SMITH|7566,JONES");
    EXPECT_EQ(OutputOf("BEGIN get_emps(30, :rc); END;"), "");
    EXPECT_EQ(ConsoleRows(), "ALLEN|WARD");
    // The console is given the rows not fetched yet, as they were at OPEN.
    EXPECT_EQ(OutputOf("DECLARE c SYS_REFCURSOR; n VARCHAR2(10); BEGIN OPEN c FOR SELECT ename, sal FROM emp "
                       "ORDER BY sal; FETCH c INTO n, n; UPDATE emp SET sal = 0; :rc := c; ROLLBACK; END;"),
              "");
    EXPECT_EQ(ConsoleRows(), "WARD,1250|ALLEN,1600|JONES,2975");
}

// A package's cursor keeps its state for the session between calls: opened
// by one call, fetched by the next; a second OPEN is CURSOR_ALREADY_OPEN.
TEST_F(CursorVariableTest, PackageCursorsKeepTheirStateForTheSession) {
    Exec(
        "CREATE OR REPLACE PACKAGE emp_pkg IS\n"
        "  CURSOR all_emps RETURN emp%ROWTYPE;\n"
        "  CURSOR names IS SELECT ename FROM emp WHERE sal > 1000 ORDER BY ename;\n"
        "  PROCEDURE next_emp;\n"
        "  PROCEDURE list;\n"
        "END;");
    Exec(
        "CREATE OR REPLACE PACKAGE BODY emp_pkg IS\n"
        "  CURSOR all_emps RETURN emp%ROWTYPE IS SELECT * FROM emp ORDER BY empno;\n"
        "  PROCEDURE next_emp IS\n"
        "    r emp%ROWTYPE;\n"
        "  BEGIN\n"
        "    IF NOT all_emps%ISOPEN THEN OPEN all_emps; END IF;\n"
        "    FETCH all_emps INTO r;\n"
        "    IF all_emps%NOTFOUND THEN\n"
        "      CLOSE all_emps;\n"
        "      dbms_output.put_line('done');\n"
        "    ELSE\n"
        "      dbms_output.put_line(all_emps%ROWCOUNT || ' ' || r.ename);\n"
        "    END IF;\n"
        "  END;\n"
        "  PROCEDURE list IS\n"
        "  BEGIN\n"
        "    FOR r IN names LOOP dbms_output.put_line(r.ename); END LOOP;\n"
        "  END;\n"
        "END;");
    EXPECT_EQ(OutputOf("BEGIN emp_pkg.next_emp; END;"), "1 SMITH");
    EXPECT_EQ(OutputOf("BEGIN emp_pkg.next_emp; emp_pkg.list; END;"), "2 ALLEN|ALLEN|JONES|WARD");
    EXPECT_EQ(OutputOf("DECLARE n VARCHAR2(10); BEGIN OPEN emp_pkg.names; FETCH emp_pkg.names INTO n; "
                       "dbms_output.put_line(n || ' ' || emp_pkg.names%ROWCOUNT); END;"),
              "ALLEN 1");
    // Still open from the block before, in the same session.
    EXPECT_EQ(OutputOf("BEGIN IF emp_pkg.names%ISOPEN THEN dbms_output.put_line('open'); END IF; END;"),
              "open");
    EXPECT_EQ(OutputOf("BEGIN OPEN emp_pkg.names; END;"),
              "ERROR ORA-06511: PL/SQL: カーソルはすでにオープンしています。|ORA-06512: 行1");
    EXPECT_EQ(OutputOf("BEGIN emp_pkg.next_emp; emp_pkg.next_emp; emp_pkg.next_emp; emp_pkg.next_emp; END;"),
              "3 WARD|4 JONES|done|1 SMITH");
    // A loop over another package's cursor opens and closes it.
    EXPECT_EQ(
        OutputOf("BEGIN CLOSE emp_pkg.names; FOR r IN emp_pkg.names LOOP dbms_output.put_line(r.ename); "
                 "END LOOP; IF NOT emp_pkg.names%ISOPEN THEN dbms_output.put_line('closed'); END IF; END;"),
        "ALLEN|JONES|WARD|closed");
}

// A package's cursor with parameters: OPEN and FOR give their values, a
// missing one takes its default.
TEST_F(CursorVariableTest, PackageCursorsTakeArguments) {
    Exec(
        "CREATE OR REPLACE PACKAGE rpt IS\n"
        "  CURSOR by_dept(p_dept NUMBER, p_min NUMBER DEFAULT 0) RETURN emp%ROWTYPE;\n"
        "END;");
    Exec(
        "CREATE OR REPLACE PACKAGE BODY rpt IS\n"
        "  CURSOR by_dept(p_dept NUMBER, p_min NUMBER DEFAULT 0) RETURN emp%ROWTYPE IS\n"
        "    SELECT * FROM emp WHERE deptno = p_dept AND sal >= p_min ORDER BY sal;\n"
        "END;");
    EXPECT_EQ(
        OutputOf("DECLARE r emp%ROWTYPE; BEGIN FOR e IN rpt.by_dept(30) LOOP dbms_output.put_line(e.ename); "
                 "END LOOP; OPEN rpt.by_dept(20, 1000); FETCH rpt.by_dept INTO r; "
                 "dbms_output.put_line(r.ename || ' ' || rpt.by_dept%ROWCOUNT); CLOSE rpt.by_dept; END;"),
        "WARD|ALLEN|JONES 1");
    EXPECT_EQ(OutputOf("BEGIN OPEN rpt.by_dept(10, 1, 2); END;").substr(0, 21), "ERROR ORA-06550: 行1");
}

// Types a package's heading declares (a REF CURSOR, a collection) declare
// variables outside it as pkg.type.
TEST_F(CursorVariableTest, PackageTypesDeclareVariablesOutside) {
    Exec(
        "CREATE OR REPLACE PACKAGE emp_types IS\n"
        "  TYPE emp_cur IS REF CURSOR RETURN emp%ROWTYPE;\n"
        "  TYPE names_t IS TABLE OF VARCHAR2(10);\n"
        "  FUNCTION all_of(p_dept NUMBER) RETURN emp_cur;\n"
        "END;");
    Exec(
        "CREATE OR REPLACE PACKAGE BODY emp_types IS\n"
        "  FUNCTION all_of(p_dept NUMBER) RETURN emp_cur IS c emp_cur;\n"
        "  BEGIN OPEN c FOR SELECT * FROM emp WHERE deptno = p_dept ORDER BY empno; RETURN c; END;\n"
        "END;");
    EXPECT_EQ(
        OutputOf("DECLARE c emp_types.emp_cur; r emp%ROWTYPE; n emp_types.names_t := emp_types.names_t(); "
                 "BEGIN c := emp_types.all_of(20); LOOP FETCH c INTO r; EXIT WHEN c%NOTFOUND; n.EXTEND; "
                 "n(n.LAST) := r.ename; END LOOP; dbms_output.put_line(n.COUNT || n(2)); END;"),
        "2JONES");
    EXPECT_EQ(OutputOf("DECLARE x emp_types.nothing; BEGIN NULL; END;").substr(0, 21),
              "ERROR ORA-06550: 行1");
}
