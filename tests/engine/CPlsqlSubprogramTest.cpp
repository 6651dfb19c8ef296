// Local subprograms and overloading: procedures and functions declared in a
// block (forward declarations, recursion, the block's variables seen from
// inside), and package members of one name told apart by their arguments,
// as the PL/SQL Language Reference describes them.
#include <gtest/gtest.h>

#include "tests/engine/EngineFixture.h"

namespace {

class SubprogramTest : public OutputFixture {};

using Case = BlockCase;

}  // namespace

TEST_F(SubprogramTest, LocalSubprogramsSeeTheBlockAndCallThemselves) {
    const Case cases[] = {
        // Recursion: each call has its own parameter.
        {"DECLARE FUNCTION fact(n PLS_INTEGER) RETURN NUMBER IS BEGIN IF n <= 1 THEN RETURN 1; END IF; "
         "RETURN n * fact(n - 1); END; BEGIN dbms_output.put_line(fact(20)); END;",
         "2432902008176640000"},
        // The block's variable is the one the subprogram changes.
        {"DECLARE total NUMBER := 0; PROCEDURE add(n NUMBER) IS BEGIN total := total + n; END add; "
         "BEGIN add(2); add(3); dbms_output.put_line(total); END;",
         "5"},
        // A forward declaration lets two subprograms call each other.
        {"DECLARE FUNCTION odd(n NATURAL) RETURN BOOLEAN; "
         "FUNCTION even(n NATURAL) RETURN BOOLEAN IS BEGIN IF n = 0 THEN RETURN TRUE; END IF; "
         "RETURN odd(n - 1); END; "
         "FUNCTION odd(n NATURAL) RETURN BOOLEAN IS BEGIN IF n = 0 THEN RETURN FALSE; END IF; "
         "RETURN even(n - 1); END; "
         "BEGIN IF even(10) AND odd(7) AND NOT odd(4) THEN dbms_output.put_line('ok'); END IF; END;",
         "ok"},
        // A local's own variables hide the block's; each run starts afresh.
        {"DECLARE x NUMBER := 1; PROCEDURE p IS x NUMBER := 10; BEGIN x := x + 1; "
         "dbms_output.put_line(x); END; BEGIN p; p; dbms_output.put_line(x); END;",
         "11|11|1"},
        // A subprogram nested in another sees both enclosing units.
        {"DECLARE a NUMBER := 1; PROCEDURE outer_p(b NUMBER) IS PROCEDURE inner_p IS BEGIN a := a + b; END; "
         "BEGIN inner_p; inner_p; END; BEGIN outer_p(5); dbms_output.put_line(a); END;",
         "11"},
        // Recursion down to a level whose parameter the outer frames keep.
        {"DECLARE s VARCHAR2(50); PROCEDURE walk(n NUMBER) IS BEGIN IF n > 0 THEN walk(n - 1); END IF; "
         "s := s || n; END; BEGIN walk(4); dbms_output.put_line(s); END;",
         "01234"},
        // OUT parameters, named notation and defaults as for stored units.
        {"DECLARE r NUMBER; PROCEDURE split(v NUMBER, whole OUT NUMBER, scale NUMBER DEFAULT 1) IS BEGIN "
         "whole := TRUNC(v) * scale; END; BEGIN split(whole => r, v => 7.5); dbms_output.put_line(r); "
         "split(2.9, r, 10); dbms_output.put_line(r); END;",
         "7|20"},
        // An exception raised inside goes through the caller's handlers.
        {"DECLARE PROCEDURE fail IS BEGIN RAISE NO_DATA_FOUND; END; BEGIN fail; EXCEPTION WHEN NO_DATA_FOUND "
         "THEN dbms_output.put_line('caught'); END;",
         "caught"},
        {"DECLARE\n  PROCEDURE fail IS\n  BEGIN\n    RAISE ZERO_DIVIDE;\n  END;\nBEGIN\n  fail;\nEND;",
         "ERROR ORA-01476: 除数がゼロです。|ORA-06512: 行4|ORA-06512: 行7"},
        {"DECLARE PROCEDURE p(x NUMBER); BEGIN p(1); END;",
         "ERROR ORA-06550: 行1、列32:|PLS-00328: "
         "サブプログラムの本体は、前方宣言Pに対して定義される必要があります。"},
        {"DECLARE FUNCTION f RETURN NUMBER IS BEGIN RETURN 1; END; BEGIN f; END;",
         "ERROR ORA-06550: 行1、列64:|PLS-00221: 'F'はプロシージャではないか、または定義されていません。|"
         "ORA-06550: 行1、列64:|PL/SQL: Statement ignored"},
    };
    for (const Case& c : cases) EXPECT_EQ(OutputOf(c.block), c.answer) << c.block;
}

// A local subprogram reaches the cursors of the units that enclose it by
// normal scoping: it opens, fetches from and closes the block's cursor (whose
// state is the block's: %ISOPEN and %ROWCOUNT tell it outside), with the
// cursor's own defaults, and updates WHERE CURRENT OF it.
TEST_F(SubprogramTest, LocalSubprogramsUseTheEnclosingBlocksCursors) {
    Exec("CREATE TABLE emp (id NUMBER, name VARCHAR2(10), sal NUMBER)");
    Exec("INSERT INTO emp VALUES (1, 'a', 10)");
    Exec("INSERT INTO emp VALUES (2, 'b', 20)");
    Exec("INSERT INTO emp VALUES (3, 'c', 30)");
    const char* declarations =
        "DECLARE CURSOR c(minimum NUMBER DEFAULT 15) IS SELECT id, name FROM emp WHERE sal >= minimum ORDER "
        "BY id FOR UPDATE; r c%ROWTYPE; "
        "FUNCTION names RETURN VARCHAR2 IS s VARCHAR2(20); BEGIN FOR x IN c LOOP s := s || x.name; END LOOP; "
        "FOR x IN c(0) LOOP s := s || x.name; END LOOP; RETURN s; END; "
        "PROCEDURE next_one IS BEGIN IF NOT c%ISOPEN THEN OPEN c(0); END IF; FETCH c INTO r; "
        "UPDATE emp SET sal = sal + 100 WHERE CURRENT OF c; END; PROCEDURE again IS BEGIN OPEN c; END; ";
    const Case cases[] = {
        {"BEGIN dbms_output.put_line(names); END;", "bcabc"},
        {"BEGIN next_one; next_one; dbms_output.put_line(r.name || c%ROWCOUNT); FETCH c INTO r; "
         "dbms_output.put_line(r.name || c%ROWCOUNT); CLOSE c; next_one; dbms_output.put_line(r.name || "
         "c%ROWCOUNT); CLOSE c; END;",
         "b2|c3|a1"},
        {"BEGIN OPEN c; again; END;",
         "ERROR ORA-06511: PL/SQL: カーソルはすでにオープンしています。|ORA-06512: 行1|ORA-06512: 行1"},
    };
    for (const Case& c : cases) EXPECT_EQ(OutputOf(declarations + std::string(c.block)), c.answer) << c.block;
    EXPECT_EQ(Rows("SELECT id, sal FROM emp ORDER BY id"), "1,210|2,120|3,30");
}

TEST_F(SubprogramTest, LocalOverloadsAreChosenByTheirArguments) {
    const char* declarations =
        "DECLARE n NUMBER := 3; p PLS_INTEGER := 4; d DATE := DATE '2024-02-29'; "
        "PROCEDURE show(v VARCHAR2) IS BEGIN dbms_output.put_line('text ' || v); END; "
        "PROCEDURE show(v NUMBER) IS BEGIN dbms_output.put_line('number ' || v); END; "
        "PROCEDURE show(v DATE) IS BEGIN dbms_output.put_line('date ' || TO_CHAR(v, 'YYYY-MM-DD')); END; "
        "PROCEDURE show(v BOOLEAN) IS BEGIN dbms_output.put_line('boolean'); END; "
        "PROCEDURE show(a NUMBER, b NUMBER) IS BEGIN dbms_output.put_line('two ' || (a + b)); END; "
        "PROCEDURE pick(v PLS_INTEGER) IS BEGIN dbms_output.put_line('pls_integer'); END; "
        "PROCEDURE pick(v NUMBER) IS BEGIN dbms_output.put_line('number'); END; "
        "BEGIN ";
    const Case cases[] = {
        {"show('a'); show(n); show(n * 2); show(d); show(d + 1); show(n > 1); show(1, 2);",
         "text a|number 3|number 6|date 2024-02-29|date 2024-03-01|boolean|two 3"},
        {"show('x' || n); show(UPPER('b')); show(LENGTH('abc')); show(SYSDATE - SYSDATE);",
         "text x3|text B|number 3|number 0"},
        {"show(a => 1, b => 5);", "two 6"},
        // PLS_INTEGER and NUMBER: each value goes to its own type.
        {"pick(p); pick(n);", "pls_integer|number"},
        {"show(NULL);",
         "ERROR ORA-06550: 行1、列644:|PLS-00307: この呼出しと一致する'SHOW'の宣言が多すぎます。|"
         "ORA-06550: 行1、列644:|PL/SQL: Statement ignored"},
        {"show(1, 2, 3);",
         "ERROR ORA-06550: 行1、列644:|PLS-00306: 'SHOW'の呼出しで、引数の数または型が正しくありません。|"
         "ORA-06550: 行1、列644:|PL/SQL: Statement ignored"},
    };
    for (const Case& c : cases) {
        std::string block = std::string(declarations) + c.block + " END;";
        EXPECT_EQ(OutputOf(block), c.answer) << c.block;
    }
}

// A DATE converts to VARCHAR2 but not to NUMBER, nor a NUMBER to DATE: the
// overload it can reach is the one called, in PL/SQL and from SQL.
TEST_F(SubprogramTest, ADateOrNumberReachesOnlyTheOverloadItConvertsTo) {
    Exec(
        "CREATE OR REPLACE PACKAGE conv IS FUNCTION f(x NUMBER) RETURN VARCHAR2; FUNCTION f(x VARCHAR2) "
        "RETURN VARCHAR2; FUNCTION g(x DATE) RETURN VARCHAR2; FUNCTION g(x VARCHAR2) RETURN VARCHAR2; END;");
    Exec(
        "CREATE OR REPLACE PACKAGE BODY conv IS FUNCTION f(x NUMBER) RETURN VARCHAR2 IS BEGIN RETURN "
        "'number'; "
        "END; FUNCTION f(x VARCHAR2) RETURN VARCHAR2 IS BEGIN RETURN 'text'; END; FUNCTION g(x DATE) RETURN "
        "VARCHAR2 IS BEGIN RETURN 'date'; END; FUNCTION g(x VARCHAR2) RETURN VARCHAR2 IS BEGIN RETURN "
        "'text'; "
        "END; END;");
    EXPECT_EQ(OutputOf("BEGIN dbms_output.put_line(conv.f(DATE '2020-01-01') || ',' || conv.g(5)); END;"),
              "text,text");
    EXPECT_EQ(Rows("SELECT conv.f(DATE '2020-01-01'), conv.g(5), conv.f(5), conv.g(SYSDATE) FROM dual"),
              "text,text,number,date");
}

TEST_F(SubprogramTest, PackageOverloadsAreChosenByNumberTypesAndNames) {
    Exec("CREATE TABLE emp (empno NUMBER PRIMARY KEY, ename VARCHAR2(10))");
    Exec(
        "CREATE OR REPLACE PACKAGE emp_api IS\n"
        "  PROCEDURE hire(p_name VARCHAR2);\n"
        "  PROCEDURE hire(p_no NUMBER, p_name VARCHAR2);\n"
        "  FUNCTION describe(p_no NUMBER) RETURN VARCHAR2;\n"
        "  FUNCTION describe(p_name VARCHAR2) RETURN VARCHAR2;\n"
        "  PROCEDURE s(p INTEGER);\n"
        "  PROCEDURE s(p REAL);\n"
        "END;");
    Exec(
        "CREATE OR REPLACE PACKAGE BODY emp_api IS\n"
        "  next_no NUMBER := 100;\n"
        "  PROCEDURE hire(p_no NUMBER, p_name VARCHAR2) IS\n"
        "  BEGIN\n"
        "    INSERT INTO emp VALUES (p_no, p_name);\n"
        "  END;\n"
        "  PROCEDURE hire(p_name VARCHAR2) IS\n"
        "  BEGIN\n"
        "    next_no := next_no + 1;\n"
        "    hire(next_no, p_name);\n"
        "  END;\n"
        "  FUNCTION describe(p_no NUMBER) RETURN VARCHAR2 IS\n"
        "    v emp.ename%TYPE;\n"
        "  BEGIN\n"
        "    SELECT ename INTO v FROM emp WHERE empno = p_no;\n"
        "    RETURN v;\n"
        "  END;\n"
        "  FUNCTION describe(p_name VARCHAR2) RETURN VARCHAR2 IS\n"
        "    v NUMBER;\n"
        "  BEGIN\n"
        "    SELECT empno INTO v FROM emp WHERE ename = p_name;\n"
        "    RETURN 'no ' || v;\n"
        "  END;\n"
        "  PROCEDURE s(p INTEGER) IS BEGIN NULL; END;\n"
        "  PROCEDURE s(p REAL) IS BEGIN NULL; END;\n"
        "END;");
    EXPECT_EQ(
        OutputOf("BEGIN emp_api.hire('KING'); emp_api.hire(7, 'FORD'); emp_api.hire(p_name => 'ADAMS'); "
                 "dbms_output.put_line(emp_api.describe(101) || ',' || emp_api.describe('FORD') || ',' || "
                 "emp_api.describe(p_name => 'ADAMS')); END;"),
        "KING,no 7,no 102");
    // Subtypes of one family (INTEGER and REAL are both NUMBER) cannot be told apart.
    EXPECT_EQ(OutputOf("BEGIN emp_api.s(1); END;"),
              "ERROR ORA-06550: 行1、列7:|PLS-00307: この呼出しと一致する'S'の宣言が多すぎます。|"
              "ORA-06550: 行1、列7:|PL/SQL: Statement ignored");
    // From SQL the values' kinds choose the overload too.
    EXPECT_EQ(Rows("SELECT emp_api.describe(7), emp_api.describe('KING') FROM dual"), "FORD,no 101");
}

// A name hidden by an inner declaration is reached through the label of
// the block (or loop) that declares it, or the name of the subprogram whose
// parameter or declaration it is; a record's fields keep their own dots.
TEST_F(SubprogramTest, AQualifierReachesAHiddenDeclaration) {
    const Case cases[] = {
        {"DECLARE x NUMBER := 5; BEGIN <<b>> DECLARE x NUMBER := 10; BEGIN <<c>> DECLARE x NUMBER := 20; "
         "BEGIN dbms_output.put_line(x || ' ' || b.x || ' ' || c.x); b.x := b.x + 1; "
         "dbms_output.put_line(b.x); END; END; dbms_output.put_line(x); END;",
         "20 10 20|11|5"},
        {"DECLARE PROCEDURE p(x NUMBER) IS y NUMBER := 1; BEGIN DECLARE x NUMBER := 2; y NUMBER := 3; "
         "BEGIN dbms_output.put_line(p.x || ' ' || x || ' ' || p.y || ' ' || y); p.y := 7; END; "
         "dbms_output.put_line(y); END; BEGIN p(9); END;",
         "9 2 1 3|7"},
        {"BEGIN <<lp>> FOR i IN 1..2 LOOP FOR i IN 5..5 LOOP dbms_output.put_line(lp.i || i); END LOOP; "
         "END LOOP lp; END;",
         "15|25"},
        {"DECLARE TYPE r_t IS RECORD (x NUMBER); b r_t; BEGIN <<b2>> DECLARE x NUMBER := 1; BEGIN b.x := 4; "
         "dbms_output.put_line(b.x || b2.x); END; END;",
         "41"},
    };
    for (const Case& c : cases) EXPECT_EQ(OutputOf(c.block), c.answer) << c.block;
    EXPECT_EQ(OutputOf("BEGIN <<b>> DECLARE x NUMBER; BEGIN NULL; END; dbms_output.put_line(b.x); END;")
                  .substr(0, 15),
              "ERROR ORA-06550");
    Exec(
        "CREATE PROCEDURE pq(x NUMBER) IS BEGIN DECLARE x NUMBER := 2; BEGIN "
        "dbms_output.put_line(pq.x || ' ' || x); END; END;");
    EXPECT_EQ(OutputOf("BEGIN pq(9); END;"), "9 2");
}
