// Functions and procedures a query declares in its WITH clause: compiled
// for that query alone, hiding stored functions of their names, never
// kept in the schema, their compile errors answered ORA-06553 with the PLS-
// error, as the SQL Language Reference (SELECT, plsql_declarations) and
// the PL/SQL Language Reference describe them.
#include <gtest/gtest.h>

#include <string>

#include "engine/sqlite/plsql/CWithDeclarations.h"
#include "tests/engine/EngineFixture.h"

namespace {

class WithFunctionTest : public EngineFixture {};

struct Case {
    const char* sql;
    const char* rows;
};

}  // namespace

TEST_F(WithFunctionTest, DeclaredFunctionsAnswerTheQuery) {
    Exec("CREATE TABLE t (a NUMBER, s VARCHAR2(10))");
    Exec("INSERT INTO t VALUES (1, 'x')");
    Exec("INSERT INTO t VALUES (2, 'yy')");
    const Case cases[] = {
        {"WITH FUNCTION f(x NUMBER) RETURN NUMBER IS BEGIN RETURN x*2; END; SELECT f(2) FROM dual", "4"},
        // The query runs the function on each row.
        {"WITH FUNCTION f(x NUMBER) RETURN NUMBER IS BEGIN RETURN x*10; END; SELECT f(a) FROM t ORDER BY a",
         "10|20"},
        // A second function calls the first; a procedure declared there is
        // called by a function.
        {"WITH FUNCTION sq(x NUMBER) RETURN NUMBER IS BEGIN RETURN x*x; END; "
         "FUNCTION plus1(x NUMBER) RETURN NUMBER IS BEGIN RETURN sq(x) + 1; END; "
         "SELECT plus1(a) FROM t ORDER BY a",
         "2|5"},
        {"WITH PROCEDURE bump(n IN OUT NUMBER) IS BEGIN n := n + 100; END; "
         "FUNCTION g(x NUMBER) RETURN NUMBER IS v NUMBER := x; BEGIN bump(v); RETURN v; END; "
         "SELECT g(a) FROM t WHERE a = 1",
         "101"},
        // Subquery factoring after the declarations.
        {"WITH FUNCTION tag(s VARCHAR2) RETURN VARCHAR2 IS BEGIN RETURN '<' || s || '>'; END; "
         "q AS (SELECT s FROM t WHERE a = 2) SELECT tag(s) FROM q",
         "<yy>"},
        // Blocks nested in the body: IF, LOOP, CASE, a local subprogram.
        {"WITH FUNCTION fact(n NUMBER) RETURN NUMBER IS "
         "FUNCTION one RETURN NUMBER IS BEGIN RETURN 1; END; r NUMBER := one; "
         "BEGIN FOR i IN 2 .. n LOOP r := r * i; END LOOP; "
         "IF r > 100 THEN r := r + 0; END IF; "
         "RETURN CASE WHEN r > 0 THEN r ELSE 0 END; END fact; "
         "SELECT fact(5) FROM dual",
         "120"},
        // A text result and NULL through the function.
        {"WITH FUNCTION nz(s VARCHAR2) RETURN VARCHAR2 IS BEGIN RETURN NVL(s, 'none'); END; "
         "SELECT nz(NULL) || nz('a') FROM dual",
         "nonea"},
        // A parameter left out takes its default.
        {"WITH FUNCTION d(x NUMBER DEFAULT 7) RETURN NUMBER IS BEGIN RETURN x; END; SELECT d FROM dual", "7"},
    };
    for (const Case& c : cases) EXPECT_EQ(Rows(c.sql), c.rows) << c.sql;
}

// The WITH function hides a stored one of its name for the query only;
// nothing is left in the schema; the next query sees the stored one.
TEST_F(WithFunctionTest, HidesStoredFunctionAndLeavesNothingStored) {
    Exec("CREATE FUNCTION f(x NUMBER) RETURN NUMBER IS BEGIN RETURN x + 1; END;");
    const std::string objects = "SELECT object_name || ':' || object_type FROM user_objects ORDER BY 1";
    const std::string before = Rows(objects);
    const std::string source = Rows("SELECT COUNT(*) FROM user_source");
    EXPECT_EQ(
        Rows("WITH FUNCTION f(x NUMBER) RETURN NUMBER IS BEGIN RETURN x * 3; END; SELECT f(5) FROM dual"),
        "15");
    EXPECT_EQ(
        Rows("WITH FUNCTION g(x NUMBER) RETURN NUMBER IS BEGIN RETURN x * 3; END; SELECT g(5) FROM dual"),
        "15");
    EXPECT_EQ(Rows("SELECT f(5) FROM dual"), "6");
    EXPECT_EQ(Rows(objects), before);
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM user_source"), source);
    EXPECT_EQ(Rows("SELECT g(5) FROM dual").rfind("ERROR ORA-00904", 0), 0u);
}

// Compile errors are the query's: ORA-06553 with the PLS- error; a
// runtime error raised in the function reaches the query.
TEST_F(WithFunctionTest, ErrorsOfTheDeclarations) {
    const Case cases[] = {
        {"WITH FUNCTION f(x NUMBER) RETURN NUMBER IS BEGIN RETURN y; END; SELECT f(1) FROM dual",
         "ORA-06553: PLS-201"},
        {"WITH FUNCTION f(x NUMBER) RETURN NUMBER IS BEGIN RETURN x; END SELECT f(1) FROM dual",
         "ORA-06553: PLS-103"},
        {"WITH FUNCTION f(x NUMBER) RETURN NUMBER IS BEGIN RETURN 1 / x; END; SELECT f(0) FROM dual",
         "ORA-01476"},
        {"WITH FUNCTION f RETURN BOOLEAN IS BEGIN RETURN TRUE; END; SELECT f FROM dual", "ORA-06552"},
        {"WITH FUNCTION f RETURN NUMBER IS BEGIN RETURN 1; END; FUNCTION f RETURN NUMBER IS BEGIN RETURN 2; "
         "END; SELECT f FROM dual",
         "ORA-03001"},
        // Inside a subquery of a statement that has no leave to hold one.
        {"SELECT * FROM (WITH FUNCTION f RETURN NUMBER IS BEGIN RETURN 1; END; SELECT f FROM dual)",
         "ORA-32034"},
    };
    for (const Case& c : cases) {
        std::string rows = Rows(c.sql);
        EXPECT_EQ(rows.rfind("ERROR ", 0), 0u) << c.sql << " -> " << rows;
        EXPECT_NE(rows.find(c.rows), std::string::npos) << c.sql << " -> " << rows;
    }
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM user_objects"), "0");
}

// Below the top of a statement a query may declare functions only in a
// view, in a query that declares its own at its top, or in a statement
// marked with the WITH_PLSQL hint (SQL Language Reference, SELECT,
// plsql_declarations); elsewhere ORA-32034. Those the server takes are
// refused here by name, and none changes a row.
TEST_F(WithFunctionTest, WhereAQueryInsideAStatementMayDeclareFunctions) {
    Exec("CREATE TABLE t (a NUMBER)");
    Exec("INSERT INTO t VALUES (1)");
    Exec("COMMIT");
    const std::string inner = "(WITH FUNCTION f RETURN NUMBER IS BEGIN RETURN 2; END; SELECT f FROM dual)";
    const std::string query = "WITH FUNCTION f RETURN NUMBER IS BEGIN RETURN 2; END; SELECT f FROM dual";
    struct Placement {
        std::string sql;
        const char* error;
    };
    const Placement cases[] = {
        {"SELECT * FROM " + inner, "ORA-32034"},
        {"SELECT /*+ WITH_PLSQL */ * FROM " + inner, "ORA-03001"},
        {"SELECT /*+ FIRST_ROWS(1) with_plsql */ * FROM " + inner, "ORA-03001"},
        {"SELECT /* WITH_PLSQL */ * FROM " + inner, "ORA-32034"},
        {"SELECT /*+ NO_WITH_PLSQL */ * FROM " + inner, "ORA-32034"},
        {"SELECT * FROM t WHERE a IN (SELECT /*+ WITH_PLSQL */ 1 FROM dual) AND a IN " + inner, "ORA-32034"},
        {"WITH FUNCTION g RETURN NUMBER IS BEGIN RETURN 3; END; SELECT g FROM " + inner, "ORA-03001"},
        {"INSERT INTO t " + query, "ORA-32034"},
        {"INSERT /*+ WITH_PLSQL */ INTO t " + query, "ORA-03001"},
        {"UPDATE t SET a = " + inner, "ORA-32034"},
        {"UPDATE /*+ WITH_PLSQL */ t SET a = " + inner, "ORA-03001"},
        {"DELETE FROM t WHERE a IN " + inner, "ORA-32034"},
        {"CREATE VIEW v AS " + query, "ORA-03001"},
        {"CREATE TABLE c AS " + query, "ORA-03001"},
    };
    for (const Placement& c : cases) {
        std::string failure = Failure(c.sql);
        EXPECT_EQ(failure.rfind(c.error, 0), 0u) << c.sql << " -> " << failure;
    }
    EXPECT_EQ(Rows("SELECT a FROM t"), "1");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM user_objects"), "1");
}

TEST(WithDeclarationsTest, FindsEachDeclarationAndTheQuery) {
    struct Split {
        const char* text;
        int count;
        const char* query;
    };
    const Split cases[] = {
        {"WITH FUNCTION f RETURN NUMBER IS BEGIN RETURN 1; END; SELECT f FROM dual", 1,
         "                                                      SELECT f FROM dual"},
        {"WITH PROCEDURE p IS BEGIN NULL; END p; FUNCTION f RETURN NUMBER IS BEGIN p; RETURN 1; END f; "
         "q AS (SELECT 1 a FROM dual) SELECT f FROM q",
         2, nullptr},
        // END IF, END LOOP and END CASE close their own blocks; a string
        // holding END does not count.
        {"WITH FUNCTION f RETURN VARCHAR2 IS BEGIN IF 1 = 1 THEN NULL; END IF; LOOP EXIT; END LOOP; "
         "CASE WHEN 1 = 1 THEN NULL; END CASE; RETURN 'END;'; END; SELECT f FROM dual",
         1, nullptr},
        // A forward declaration and a nested subprogram's body inside.
        {"WITH FUNCTION f RETURN NUMBER IS PROCEDURE a; PROCEDURE a IS BEGIN NULL; END; BEGIN a; RETURN 1; "
         "END; SELECT f FROM dual",
         1, nullptr},
    };
    for (const Split& c : cases) {
        std::vector<CWithDeclarations::Declaration> declarations;
        std::string query;
        std::size_t at = 0;
        ASSERT_EQ(CWithDeclarations::Read(c.text, declarations, query, at), CWithDeclarations::Outcome::Found)
            << c.text;
        EXPECT_EQ(static_cast<int>(declarations.size()), c.count) << c.text;
        EXPECT_EQ(query.size(), std::string(c.text).size());
        EXPECT_EQ(std::string(c.text).substr(declarations.back().end - 4, 4).back(), ';') << c.text;
        if (c.query != nullptr) {
            EXPECT_EQ(query, c.query);
        }
    }
    std::vector<CWithDeclarations::Declaration> declarations;
    std::string query;
    std::size_t at = 0;
    EXPECT_EQ(
        CWithDeclarations::Read("WITH q AS (SELECT 1 FROM dual) SELECT * FROM q", declarations, query, at),
        CWithDeclarations::Outcome::None);
    EXPECT_EQ(
        CWithDeclarations::Read("WITH FUNCTION f RETURN NUMBER IS BEGIN RETURN 1;", declarations, query, at),
        CWithDeclarations::Outcome::Unfinished);
    EXPECT_EQ(at, 5u);
}
