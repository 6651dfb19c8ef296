// Which of several subprograms of one name a call means, chosen when the
// calling block or unit is compiled, by the declared types of the actual
// arguments, the names in named notation and the defaults, as the PL/SQL
// Language Reference resolves overloads; an ambiguous call is PLS-00307 and
// a call no overload takes PLS-00306.
#include <gtest/gtest.h>

#include <string>

#include "tests/engine/EngineFixture.h"

namespace {

class OverloadResolutionTest : public OutputFixture {};

struct Resolution {
    const char* declarations;  // the block's declare section
    const char* calls;         // its body
    const char* answer;        // the lines printed, or the PLS error of the first call
};

const char* const kShow = "IS BEGIN dbms_output.put_line('";

std::string Overload(const std::string& heading, const std::string& says) {
    return "PROCEDURE " + heading + " " + kShow + says + "'); END; ";
}

}  // namespace

TEST_F(OverloadResolutionTest, TheCallersDeclaredTypesChooseTheOverload) {
    const std::string numeric = Overload("p(a NUMBER)", "number") + Overload("p(a BINARY_FLOAT)", "float") +
                                Overload("p(a BINARY_DOUBLE)", "double");
    const std::string ranked = Overload("r(a PLS_INTEGER)", "pls") + Overload("r(a NUMBER)", "number") +
                               Overload("r(a BINARY_FLOAT)", "float");
    const std::string texts = Overload("c(a VARCHAR2)", "varchar2") + Overload("c(a CLOB)", "clob");
    const std::string times = Overload("t(a DATE)", "date") + Overload("t(a TIMESTAMP)", "timestamp");
    const std::string variables =
        "i PLS_INTEGER := 1; n NUMBER := 1; f BINARY_FLOAT := 1; d BINARY_DOUBLE := 1; "
        "v VARCHAR2(5) := 'a'; l CLOB := 'a'; dt DATE := SYSDATE; ts TIMESTAMP := SYSTIMESTAMP; ";
    const std::string mixed = numeric + times + texts;
    const Resolution cases[] = {
        // A PLS_INTEGER goes to the nearest wider number type there is.
        {numeric.c_str(), "p(i); p(n); p(f); p(d);", "number|number|float|double"},
        // Each number type to its own; a text to the first number type.
        {ranked.c_str(), "r(i); r(n); r(f); r('2');", "pls|number|float|pls"},
        {texts.c_str(), "c(v); c(l); c('x');", "varchar2|clob|varchar2"},
        {times.c_str(), "t(dt); t(ts);", "date|timestamp"},
        // SQL functions whose result is of an argument's type.
        {mixed.c_str(),
         "t(TRUNC(dt)); p(ROUND(n)); t(NVL(dt, dt)); p(TRUNC(n, 1)); c(NVL2(n, v, v)); "
         "t(DECODE(n, 1, dt, dt)); c(GREATEST(v, 'b')); p(COALESCE(d, d));",
         "date|number|date|number|varchar2|date|varchar2|double"},
    };
    for (const Resolution& c : cases) {
        std::string block = "DECLARE " + variables + c.declarations + "BEGIN " + c.calls + " END;";
        EXPECT_EQ(OutputOf(block), c.answer) << c.declarations << " with " << c.calls;
    }
}

TEST_F(OverloadResolutionTest, NamesDefaultsAndAmbiguousCalls) {
    const Resolution cases[] = {
        // Named notation tells apart parameters of one type by their names.
        {"PROCEDURE s(p1 VARCHAR2) IS BEGIN dbms_output.put_line('p1'); END; "
         "PROCEDURE s(p2 VARCHAR2) IS BEGIN dbms_output.put_line('p2'); END;",
         "s(p2 => 'a'); s(p1 => 'a');", "p2|p1"},
        {"PROCEDURE s(p1 VARCHAR2) IS BEGIN NULL; END; PROCEDURE s(p2 VARCHAR2) IS BEGIN NULL; END;",
         "s('a');", "PLS-00307"},
        // A default makes the shorter call fit both.
        {"PROCEDURE d(p1 VARCHAR2) IS BEGIN dbms_output.put_line('one'); END; "
         "PROCEDURE d(p1 VARCHAR2, p2 VARCHAR2 := 'x') IS BEGIN dbms_output.put_line('two'); END;",
         "d('a', 'b');", "two"},
        {"PROCEDURE d(p1 VARCHAR2) IS BEGIN NULL; END; PROCEDURE d(p1 VARCHAR2, p2 VARCHAR2 := 'x') IS BEGIN "
         "NULL; END;",
         "d('a');", "PLS-00307"},
        // Modes alone tell no call apart, whatever the argument.
        {"PROCEDURE q(a IN NUMBER) IS BEGIN NULL; END; PROCEDURE q(a OUT NUMBER) IS BEGIN a := 1; END; "
         "v NUMBER;",
         "q(1);", "PLS-00307"},
        {"PROCEDURE q(a IN NUMBER) IS BEGIN NULL; END; PROCEDURE q(a IN OUT NUMBER) IS BEGIN NULL; END; "
         "v NUMBER;",
         "q(v);", "PLS-00307"},
        // Subtypes of one family are one type to the call.
        {"PROCEDURE n(a INTEGER) IS BEGIN NULL; END; PROCEDURE n(a REAL) IS BEGIN NULL; END;", "n(1);",
         "PLS-00307"},
        {"PROCEDURE n(a PLS_INTEGER) IS BEGIN NULL; END; PROCEDURE n(a NATURAL) IS BEGIN NULL; END; "
         "x PLS_INTEGER := 1;",
         "n(x);", "PLS-00307"},
        {"SUBTYPE t1 IS VARCHAR2(10); SUBTYPE t2 IS VARCHAR2(10); PROCEDURE s(p t1) IS BEGIN NULL; END; "
         "PROCEDURE s(p t2) IS BEGIN NULL; END;",
         "s('a');", "PLS-00307"},
        // NULL has no type to choose by.
        {"PROCEDURE p(a NUMBER) IS BEGIN NULL; END; PROCEDURE p(a VARCHAR2) IS BEGIN NULL; END;", "p(NULL);",
         "PLS-00307"},
        // Each overload fits one argument better: neither is chosen.
        {"PROCEDURE m(a NUMBER, b VARCHAR2) IS BEGIN dbms_output.put_line('nv'); END; "
         "PROCEDURE m(a VARCHAR2, b NUMBER) IS BEGIN dbms_output.put_line('vn'); END;",
         "m(1, 'a'); m('a', 1);", "nv|vn"},
        {"PROCEDURE m(a NUMBER, b VARCHAR2) IS BEGIN NULL; END; PROCEDURE m(a VARCHAR2, b NUMBER) IS BEGIN "
         "NULL; END;",
         "m(1, 1);", "PLS-00307"},
        {"PROCEDURE p(a NUMBER) IS BEGIN NULL; END; PROCEDURE p(a VARCHAR2) IS BEGIN NULL; END;", "p(TRUE);",
         "PLS-00306"},
        // An inner scope's overloads hide the outer one of the name.
        {"PROCEDURE swap(n1 NUMBER, n2 NUMBER) IS BEGIN NULL; END; "
         "PROCEDURE balance(bal NUMBER) IS x NUMBER := 10; "
         "PROCEDURE swap(d1 DATE, d2 DATE) IS BEGIN NULL; END; "
         "PROCEDURE swap(b1 BOOLEAN, b2 BOOLEAN) IS BEGIN NULL; END; BEGIN swap(bal, x); END;",
         "balance(1);", "PLS-00306"},
    };
    for (const Resolution& c : cases) {
        std::string block = std::string("DECLARE ") + c.declarations + " BEGIN " + c.calls + " END;";
        std::string answer = OutputOf(block);
        if (std::string(c.answer).starts_with("PLS-")) {
            EXPECT_TRUE(answer.starts_with("ERROR ORA-06550")) << c.calls << " -> " << answer;
            EXPECT_NE(answer.find(c.answer), std::string::npos) << c.calls << " -> " << answer;
        } else {
            EXPECT_EQ(answer, c.answer) << c.declarations << " with " << c.calls;
        }
    }
}

// Functions that differ in their return type only are declared and
// defined apart; a call of them is ambiguous when its unit is compiled,
// with the call's line and column.
TEST_F(OverloadResolutionTest, FunctionsDifferingInTheirReturnTypeOnly) {
    Exec(
        "CREATE OR REPLACE PACKAGE rt IS FUNCTION f(a NUMBER) RETURN NUMBER; "
        "FUNCTION f(a NUMBER) RETURN VARCHAR2; END;");
    Exec(
        "CREATE OR REPLACE PACKAGE BODY rt IS FUNCTION f(a NUMBER) RETURN NUMBER IS BEGIN RETURN 1; END; "
        "FUNCTION f(a NUMBER) RETURN VARCHAR2 IS BEGIN RETURN 'x'; END; END;");
    OutputOf("CREATE OR REPLACE PROCEDURE uses_f IS v NUMBER;\nBEGIN\n  v := rt.f(1);\nEND;");
    EXPECT_EQ(Rows("SELECT line, position, text FROM user_errors WHERE name = 'USES_F' AND text LIKE 'PLS%'"),
              "3,8,PLS-00307: この呼出しと一致する'F'の宣言が多すぎます。");
    EXPECT_EQ(Rows("SELECT status FROM user_objects WHERE object_name = 'USES_F'"), "INVALID");
}

// Inside a package its own member hides a stored procedure of the name;
// outside, the name alone is the stored one.
TEST_F(OverloadResolutionTest, PackageMembersHideAStandaloneName) {
    Exec("CREATE OR REPLACE PROCEDURE show(a NUMBER) IS BEGIN dbms_output.put_line('standalone'); END;");
    Exec(
        "CREATE OR REPLACE PACKAGE pk IS PROCEDURE show(a NUMBER); PROCEDURE show(a VARCHAR2); "
        "PROCEDURE run; END;");
    Exec(
        "CREATE OR REPLACE PACKAGE BODY pk IS "
        "PROCEDURE show(a NUMBER) IS BEGIN dbms_output.put_line('member number'); END; "
        "PROCEDURE show(a VARCHAR2) IS BEGIN dbms_output.put_line('member varchar2'); END; "
        "PROCEDURE run IS BEGIN show(1); show('a'); END; END;");
    EXPECT_EQ(OutputOf("BEGIN pk.run; show(1); pk.show(2); END;"),
              "member number|member varchar2|standalone|member number");
}
