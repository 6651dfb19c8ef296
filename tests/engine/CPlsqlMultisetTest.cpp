// The multiset conditions and operators of PL/SQL over nested tables and
// VARRAYs, with the answers (TRUE, FALSE or NULL) the PL/SQL Language
// Reference and the SQL Language Reference give.
#include <gtest/gtest.h>

#include <string>

#include "tests/engine/EngineFixture.h"

namespace {

class PlsqlMultisetTest : public OutputFixture {};

// A block declaring a few collections and `p`, which shows a BOOLEAN as
// T, F or N (NULL), and `show`, which shows a collection's elements.
std::string Block(const std::string& body) {
    return "DECLARE TYPE t IS TABLE OF NUMBER; TYPE v IS VARRAY(5) OF VARCHAR2(5); "
           "a t := t(1, 2, 2, 3); b t := t(3, 2, 1, 2); e t := t(); n t; z t := t(1, NULL); "
           "w v := v('x', 'y'); r t; "
           "PROCEDURE p(x BOOLEAN) IS BEGIN "
           "dbms_output.put_line(CASE WHEN x THEN 'T' WHEN NOT x THEN 'F' ELSE 'N' END); END; "
           "PROCEDURE show(c t) IS s VARCHAR2(200); BEGIN "
           "IF c IS NULL THEN dbms_output.put_line('NULL'); RETURN; END IF; "
           "FOR i IN 1 .. c.COUNT LOOP s := s || NVL(TO_CHAR(c(i)), '-') || ' '; END LOOP; "
           "dbms_output.put_line('(' || RTRIM(s) || ')'); END; "
           "BEGIN " +
           body + " END;";
}

using Case = BlockCase;

}  // namespace

TEST_F(PlsqlMultisetTest, ConditionsAnswerTrueFalseOrNull) {
    const Case cases[] = {
        {"p(2 MEMBER OF a); p(5 MEMBER a); p(5 NOT MEMBER OF a); p(2 NOT MEMBER OF a);", "T|F|T|F"},
        // NULL when the value is null, the collection is null or empty, or
        // nothing matches while an element is null.
        {"p(NULL MEMBER OF a); p(1 MEMBER OF n); p(1 MEMBER OF e); p(5 MEMBER OF z); p(1 MEMBER OF z);",
         "N|N|N|N|T"},
        {"p('y' MEMBER OF w); p('z' MEMBER OF w);", "T|F"},
        {"p(e IS EMPTY); p(a IS EMPTY); p(a IS NOT EMPTY); p(n IS EMPTY); p(n IS NOT EMPTY);", "T|F|T|N|N"},
        // A collection of one null element is not empty.
        {"z := t(NULL); p(z IS EMPTY);", "F"},
        {"p(a IS A SET); p(a IS NOT A SET); p(e IS A SET); p(n IS A SET); p(SET(a) IS A SET);", "F|T|T|N|T"},
        // Equal: the same elements in any order, as often.
        {"p(a = b); p(a <> b); p(a = SET(a)); p(e = t()); p(a = t(1, 2, 3, 3));", "T|F|F|T|F"},
        {"p(a = n); p(n = n); p(z = z); p(z = a);", "N|N|N|F"},
        // SUBMULTISET: each element matched by one of the other, as often.
        {"p(t(2, 1) SUBMULTISET OF a); p(t(2, 2, 2) SUBMULTISET a); p(t(3, 3) NOT SUBMULTISET OF a);",
         "T|F|T"},
        {"p(e SUBMULTISET OF a); p(a SUBMULTISET OF e); p(n SUBMULTISET OF a); p(z SUBMULTISET OF a);",
         "T|F|N|N"},
    };
    for (const Case& c : cases) EXPECT_EQ(OutputOf(Block(c.block)), c.answer) << c.block;
}

TEST_F(PlsqlMultisetTest, OperatorsMakeNewCollections) {
    const Case cases[] = {
        {"show(SET(a)); show(SET(n)); show(SET(t(NULL, 1, NULL)));", "(1 2 3)|NULL|(- 1)"},
        {"r := a MULTISET UNION b; show(r); show(a MULTISET UNION ALL t(9));",
         "(1 2 2 3 3 2 1 2)|(1 2 2 3 9)"},
        {"show(a MULTISET UNION DISTINCT b); show(a MULTISET UNION n); show(n MULTISET EXCEPT a);",
         "(1 2 3)|NULL|NULL"},
        // ALL (the default) matches each element of the right side once.
        {"show(a MULTISET INTERSECT t(2, 2, 2, 5)); show(a MULTISET INTERSECT DISTINCT t(2, 2, 3));",
         "(2 2)|(2 3)"},
        {"show(a MULTISET EXCEPT t(2)); show(a MULTISET EXCEPT DISTINCT t(2)); show(e MULTISET EXCEPT a);",
         "(1 2 3)|(1 3)|()"},
        {"r := a MULTISET EXCEPT b MULTISET UNION t(7); show(r); p(r IS A SET);", "(7)|T"},
        {"p(7 MEMBER OF (a MULTISET UNION t(7))); p(CARDINALITY(a) = 4);", "T|T"},
    };
    for (const Case& c : cases) EXPECT_EQ(OutputOf(Block(c.block)), c.answer) << c.block;
}
// A nested table or VARRAY is NULL until made, whether declared or a
// parameter; a constructor or an operator's result passes as an argument.
TEST_F(PlsqlMultisetTest, CollectionsCompareToNullAndPassAsArguments) {
    const Case cases[] = {
        {"p(n IS NULL); p(a IS NULL); p(e IS NOT NULL); show(a); show(n);", "T|F|T|(1 2 2 3)|NULL"},
        {"show(t(4, NULL)); show(t()); r := t(5); show(r);", "(4 -)|()|(5)"},
    };
    for (const Case& c : cases) EXPECT_EQ(OutputOf(Block(c.block)), c.answer) << c.block;
}

// CARDINALITY in SQL counts a constructor's, a function's or a block's
// collection; an empty collection, like a null one, counts NULL.
TEST_F(PlsqlMultisetTest, CardinalityInSql) {
    Exec("CREATE TYPE num_list AS TABLE OF NUMBER");
    Exec(
        "CREATE FUNCTION firsts(n NUMBER) RETURN num_list IS r num_list := num_list(); BEGIN "
        "FOR i IN 1 .. n LOOP r.EXTEND; r(i) := i; END LOOP; RETURN r; END;");
    EXPECT_EQ(Rows("SELECT CARDINALITY(num_list(1, 2, 2)), CARDINALITY(num_list()), "
                   "CARDINALITY(sys.odcivarchar2list('a', 'b')) FROM dual"),
              "3,-,2");
    EXPECT_EQ(Rows("SELECT CARDINALITY(firsts(4)), CARDINALITY(firsts(0)) FROM dual"), "4,-");
    EXPECT_EQ(OutputOf("DECLARE t num_list := num_list(5, 6); e num_list := num_list(); u num_list; "
                       "a NUMBER; b NUMBER; c NUMBER; BEGIN "
                       "SELECT CARDINALITY(t), CARDINALITY(e), CARDINALITY(u) INTO a, b, c FROM dual; "
                       "dbms_output.put_line(a || '/' || NVL(TO_CHAR(b), 'null') || '/' || "
                       "NVL(TO_CHAR(c), 'null') || '/' || NVL(TO_CHAR(CARDINALITY(e)), 'null')); END;"),
              "2/null/null/null");
    EXPECT_EQ(Rows("SELECT CARDINALITY(5) FROM dual").substr(0, 15), "ERROR ORA-00932");
    EXPECT_EQ(Rows("SELECT CARDINALITY(nothing_t(1)) FROM dual").substr(0, 15), "ERROR ORA-22905");
}
