// Collections in the SQL of the embedded engine: the multiset conditions
// and operators, CAST(MULTISET (query)), COLLECT and TABLE() over their
// results, each answer as the SQL Language Reference gives it.
#include <gtest/gtest.h>

#include <string>

#include "tests/engine/EngineFixture.h"

namespace {

class SqlMultisetTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        Exec("CREATE TYPE num_t AS TABLE OF NUMBER");
        Exec("CREATE TYPE name_t AS TABLE OF VARCHAR2(10)");
        Exec("CREATE TYPE pair_t AS OBJECT (k VARCHAR2(5), v NUMBER)");
        Exec("CREATE TYPE pairs_t AS TABLE OF pair_t");
    }
    // A condition's answer: T, F or N (unknown).
    std::string Truth(const std::string& condition) {
        return Rows("SELECT CASE WHEN " + condition + " THEN 'T' WHEN NOT (" + condition +
                    ") THEN 'F' ELSE 'N' END FROM dual");
    }
};

struct Case {
    const char* expression;
    const char* answer;
};

}  // namespace

TEST_F(SqlMultisetTest, ConditionsAnswerTrueFalseOrUnknown) {
    const Case cases[] = {
        {"2 MEMBER OF num_t(1, 2)", "T"},
        {"5 MEMBER num_t(1, 2)", "F"},
        {"5 NOT MEMBER OF num_t(1, 2)", "T"},
        // Unknown for a null value, an empty collection, and a miss beside a null element.
        {"NULL MEMBER OF num_t(1)", "N"},
        {"1 MEMBER OF num_t()", "N"},
        {"5 MEMBER OF num_t(1, NULL)", "N"},
        {"1 MEMBER OF num_t(1, NULL)", "T"},
        // Text compared with numbers as the server converts it.
        {"'2' MEMBER OF num_t(1, 2)", "T"},
        {"'b' MEMBER OF name_t('a', 'b')", "T"},
        {"pair_t('a', 1) MEMBER OF pairs_t(pair_t('b', 2), pair_t('a', 1))", "T"},
        {"pair_t('a', 2) MEMBER OF pairs_t(pair_t('a', 1))", "F"},
        {"num_t(1, 2) SUBMULTISET OF num_t(2, 3, 1)", "T"},
        {"num_t(1, 1) SUBMULTISET num_t(1, 2)", "F"},
        {"num_t(1, 1) NOT SUBMULTISET OF num_t(1, 2)", "T"},
        {"num_t() SUBMULTISET OF num_t()", "T"},
        {"num_t(1, NULL) SUBMULTISET OF num_t(1, 2)", "N"},
        {"num_t(1, 2) IS A SET", "T"},
        {"num_t(1, 2, 1) IS A SET", "F"},
        {"num_t(1, 2, 1) IS NOT A SET", "T"},
        {"num_t() IS A SET", "T"},
        {"num_t() IS EMPTY", "T"},
        {"num_t(NULL) IS EMPTY", "F"},
        {"num_t(NULL) IS NOT EMPTY", "T"},
        // Equal: the same elements as often, in any order.
        {"num_t(1, 2, 2) = num_t(2, 1, 2)", "T"},
        {"num_t(1, 2, 2) = num_t(2, 1, 1)", "F"},
        {"num_t(1, 2) = num_t(1, 2, 3)", "F"},
        {"num_t(1, 2) <> num_t(2, 1)", "F"},
        {"num_t(1, NULL) = num_t(1, NULL)", "N"},
        {"SET(num_t(1, 1, 2)) = num_t(2, 1)", "T"},
    };
    for (const Case& c : cases) EXPECT_EQ(Truth(c.expression), c.answer) << c.expression;
}

TEST_F(SqlMultisetTest, OperatorsMakeCollectionsShownAsTheirConstructors) {
    const Case cases[] = {
        {"num_t(1, 2, 2, 3) MULTISET UNION num_t(2, 4)", "NUM_T(1, 2, 2, 3, 2, 4)"},
        {"num_t(1, 2, 2, 3) MULTISET UNION ALL num_t(2, 4)", "NUM_T(1, 2, 2, 3, 2, 4)"},
        {"num_t(1, 2, 2, 3) MULTISET UNION DISTINCT num_t(2, 4)", "NUM_T(1, 2, 3, 4)"},
        // ALL matches each element of the right once: min(m, n) and max(m - n, 0) copies.
        {"num_t(1, 2, 2, 3) MULTISET INTERSECT num_t(2, 2, 2, 5)", "NUM_T(2, 2)"},
        {"num_t(1, 2, 2, 3) MULTISET INTERSECT DISTINCT num_t(3, 2)", "NUM_T(2, 3)"},
        {"num_t(1, 2, 2, 3) MULTISET EXCEPT num_t(2, 4)", "NUM_T(1, 2, 3)"},
        {"num_t(1, 2, 2, 3) MULTISET EXCEPT DISTINCT num_t(3)", "NUM_T(1, 2)"},
        {"num_t(1, 2) MULTISET EXCEPT num_t(1, 2)", "NUM_T()"},
        {"num_t(1, 2) MULTISET UNION num_t(3) MULTISET EXCEPT num_t(1)", "NUM_T(2, 3)"},
        {"SET(num_t(3, 1, 3, NULL, 2, 1, NULL))", "NUM_T(3, 1, NULL, 2)"},
        {"name_t('it''s', NULL)", "NAME_T('it''s', NULL)"},
        {"pairs_t(pair_t('a', 1.5))", "PAIRS_T(PAIR_T('a', 1.5))"},
        {"CAST(MULTISET(SELECT level * 10 FROM dual CONNECT BY level <= 3) AS num_t)", "NUM_T(10, 20, 30)"},
        {"CAST(MULTISET(SELECT 'k' || level, level FROM dual CONNECT BY level <= 2) AS pairs_t)",
         "PAIRS_T(PAIR_T('k1', 1), PAIR_T('k2', 2))"},
        {"CAST(MULTISET(SELECT 1 FROM dual WHERE 1 = 0) AS num_t)", "NUM_T()"},
        {"CARDINALITY(num_t(1, 2, 2) MULTISET UNION DISTINCT num_t(3))", "3"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Rows(std::string("SELECT ") + c.expression + " FROM dual"), c.answer) << c.expression;
}

TEST_F(SqlMultisetTest, CollectGroupsAndTableReadsTheResults) {
    Exec("CREATE TABLE emp (deptno NUMBER(2), ename VARCHAR2(10), sal NUMBER(7,2))");
    Exec("INSERT INTO emp VALUES (10, 'KING', 5000)");
    Exec("INSERT INTO emp VALUES (10, 'CLARK', 2450)");
    Exec("INSERT INTO emp VALUES (20, 'SMITH', 800)");
    Exec("INSERT INTO emp VALUES (20, NULL, 800)");
    EXPECT_EQ(Rows("SELECT deptno, CARDINALITY(CAST(COLLECT(ename) AS name_t)), "
                   "CARDINALITY(CAST(COLLECT(DISTINCT sal) AS num_t)) FROM emp GROUP BY deptno ORDER BY 1"),
              "10,2,2|20,1,1");
    EXPECT_EQ(
        Rows("SELECT e.ename FROM emp e WHERE e.deptno MEMBER OF num_t(20, 30) AND e.ename IS NOT NULL"),
        "SMITH");
    EXPECT_EQ(Rows("SELECT column_value FROM TABLE(num_t(3, 1) MULTISET UNION num_t(2)) ORDER BY 1"),
              "1|2|3");
    EXPECT_EQ(Rows("SELECT k, v FROM TABLE(CAST(MULTISET(SELECT ename, sal FROM emp WHERE deptno = 10 "
                   "ORDER BY sal) AS pairs_t))"),
              "CLARK,2450|KING,5000");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM TABLE(SET(num_t(1, 1, 2)))"), "2");
    // COLLECT ... ORDER BY: the elements in the key's order, nulls last.
    EXPECT_EQ(Rows("SELECT deptno, CAST(COLLECT(ename ORDER BY sal DESC) AS name_t) FROM emp GROUP BY deptno "
                   "ORDER BY 1"),
              "10,NAME_T('KING', 'CLARK')|20,NAME_T('SMITH')");
    EXPECT_EQ(Rows("SELECT CAST(COLLECT(sal ORDER BY ename) AS num_t) FROM emp"),
              "NUM_T(2450, 5000, 800, 800)");
}

TEST_F(SqlMultisetTest, WhatCannotBeDoneIsRefusedByName) {
    Exec("CREATE TABLE emp (ename VARCHAR2(10), sal NUMBER)");
    const Case cases[] = {
        {"SELECT COLLECT(ename ORDER BY ename, sal) FROM emp", "ORA-03001"},
        {"SELECT COLLECT(ename) FROM emp", "ORA-03001"},
        {"SELECT CAST(MULTISET(SELECT 1, 2 FROM dual) AS num_t) FROM dual", "ORA-00913"},
        {"SELECT CAST(MULTISET(SELECT 'a' FROM dual) AS pairs_t) FROM dual", "ORA-00947"},
        {"SELECT MULTISET(SELECT 1 FROM dual) FROM dual", "ORA-03001"},
        // Note: a long chain of operators nests queries deeper than SQLite's parser goes.
        {"SELECT num_t(1) MULTISET UNION num_t(2) MULTISET UNION num_t(3) MULTISET UNION num_t(4) "
         "MULTISET UNION num_t(5) MULTISET UNION num_t(6) MULTISET UNION num_t(7) FROM dual",
         "ORA-03001"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Rows(c.expression).substr(0, 15), std::string("ERROR ") + c.answer) << c.expression;
}

// The submultisets of a collection are refused by their function's name,
// wherever a collection may stand.
TEST_F(SqlMultisetTest, PowerMultisetsAreRefusedByName) {
    Exec("CREATE TYPE num_tt AS TABLE OF num_t");
    const char* queries[] = {
        "SELECT * FROM TABLE(POWERMULTISET(num_t(1, 2, 3)))",
        "SELECT COUNT(*) FROM TABLE(POWERMULTISET_BY_CARDINALITY(num_t(1, 2, 3), 2))",
        "SELECT CAST(POWERMULTISET(num_t(1, 2)) AS num_tt) FROM dual",
        "SELECT CARDINALITY(POWERMULTISET(num_t(1, 2))) FROM dual",
        "SELECT POWERMULTISET_BY_CARDINALITY(num_t(1, 2), 1) FROM dual",
    };
    for (const char* query : queries) {
        std::string answer = Rows(query);
        EXPECT_EQ(answer.substr(0, 15), "ERROR ORA-03001") << query;
        EXPECT_NE(answer.find("POWERMULTISET"), std::string::npos) << answer;
    }
}

class SqlMultisetBlockTest : public OutputFixture {};

// A block's nested tables reach its SQL as values: MEMBER OF, the
// operators and TABLE() over them.
TEST_F(SqlMultisetBlockTest, BlockCollectionsInSql) {
    Exec("CREATE TYPE num_t AS TABLE OF NUMBER");
    EXPECT_EQ(
        OutputOf("DECLARE v num_t := num_t(1, 2, 3); n NUMBER; BEGIN "
                 "SELECT COUNT(*) INTO n FROM dual WHERE 2 MEMBER OF v; dbms_output.put_line(n); "
                 "SELECT COUNT(*) INTO n FROM TABLE(v) WHERE column_value NOT MEMBER OF num_t(2); "
                 "dbms_output.put_line(n); "
                 "SELECT CARDINALITY(v MULTISET EXCEPT num_t(1)) INTO n FROM dual; dbms_output.put_line(n); "
                 "IF num_t(3, 1) SUBMULTISET OF v AND NOT v SUBMULTISET OF num_t(1) THEN "
                 "dbms_output.put_line('sub'); END IF; END;"),
        "1|2|2|sub");
    // A query's collection is read back into a variable whole.
    EXPECT_EQ(OutputOf("DECLARE w num_t; BEGIN SELECT CAST(MULTISET(SELECT 1 FROM dual) AS num_t) INTO w "
                       "FROM dual; dbms_output.put_line(w.COUNT || ':' || w(1)); END;"),
              "1:1");
    EXPECT_EQ(OutputOf("DECLARE v num_t := num_t(1, 2); w num_t; BEGIN "
                       "SELECT v MULTISET UNION num_t(2, 5) INTO w FROM dual; "
                       "dbms_output.put_line(w.COUNT || ':' || w(3) || w(4)); END;"),
              "4:25");
}

// Nested table and VARRAY columns hold their collections: stored from a
// constructor or an operator, shown as the constructor, read by TABLE()
// and by the multiset conditions; any other value is ORA-00932.
TEST_F(SqlMultisetTest, CollectionColumns) {
    Exec("CREATE TYPE tag_arr AS VARRAY(3) OF VARCHAR2(10)");
    Exec("CREATE TABLE doc (id NUMBER, nums num_t, tags tag_arr) NESTED TABLE nums STORE AS doc_nums");
    Exec("INSERT INTO doc VALUES (1, num_t(1, 2, 3), tag_arr('a', 'b'))");
    Exec("INSERT INTO doc VALUES (2, num_t(), NULL)");
    Exec("INSERT INTO doc (id, nums) VALUES (3, num_t(4) MULTISET UNION num_t(2))");
    EXPECT_EQ(Rows("SELECT * FROM doc ORDER BY id"),
              "1,NUM_T(1, 2, 3),TAG_ARR('a', 'b')|2,NUM_T(),-|3,NUM_T(4, 2),-");
    EXPECT_EQ(Rows("SELECT d.id, n.column_value FROM doc d, TABLE(d.nums) n ORDER BY 1, 2"),
              "1,1|1,2|1,3|3,2|3,4");
    EXPECT_EQ(Rows("SELECT id FROM doc WHERE 2 MEMBER OF nums ORDER BY id"), "1|3");
    EXPECT_EQ(Rows("SELECT id FROM doc WHERE nums IS EMPTY"), "2");
    EXPECT_EQ(
        Rows("SELECT id, CARDINALITY(nums) FROM doc WHERE nums SUBMULTISET OF num_t(1, 2, 3, 4) ORDER BY id"),
        "1,3|2,-|3,2");
    Exec("UPDATE doc SET nums = nums MULTISET UNION num_t(9) WHERE id = 2");
    EXPECT_EQ(Rows("SELECT nums FROM doc WHERE id = 2"), "NUM_T(9)");
    EXPECT_EQ(Rows("SELECT data_type FROM user_tab_columns WHERE table_name = 'DOC' ORDER BY column_id"),
              "NUMBER|NUM_T|TAG_ARR");
    for (const char* wrong : {"INSERT INTO doc VALUES (4, 5, NULL)",
                              "INSERT INTO doc VALUES (4, NULL, num_t(1))", "UPDATE doc SET nums = 'x'"})
        EXPECT_EQ(Failure(wrong).substr(0, 9), "ORA-00932") << wrong;
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM doc"), "3");
    // A type a table's column is made of stays while the table does.
    EXPECT_EQ(Failure("DROP TYPE tag_arr").substr(0, 9), "ORA-02303");
    EXPECT_EQ(Rows("SELECT tags FROM doc WHERE id = 1"), "TAG_ARR('a', 'b')");
}

// A stored function's result in a query is shown as the server shows a value
// of its type; one SQL cannot hold is refused by the server's answer.
TEST_F(SqlMultisetTest, StoredFunctionResultsOfSchemaAndPlsqlTypes) {
    Exec("CREATE FUNCTION nums(n NUMBER) RETURN num_t IS BEGIN RETURN num_t(n, n + 1); END;");
    Exec("CREATE FUNCTION pair(k VARCHAR2) RETURN pair_t IS BEGIN RETURN pair_t(k, 2.5); END;");
    Exec("CREATE FUNCTION no_pair RETURN pair_t IS p pair_t; BEGIN RETURN p; END;");
    Exec("CREATE FUNCTION yes RETURN BOOLEAN IS BEGIN RETURN TRUE; END;");
    Exec(
        "CREATE FUNCTION rows_of RETURN SYS_REFCURSOR IS c SYS_REFCURSOR; BEGIN OPEN c FOR SELECT 1 FROM "
        "dual; "
        "RETURN c; END;");
    EXPECT_EQ(Rows("SELECT nums(4) FROM dual"), "NUM_T(4, 5)");
    EXPECT_EQ(
        Rows("SELECT CARDINALITY(nums(1)) FROM dual WHERE 4 MEMBER OF nums(3) AND 9 NOT MEMBER OF nums(3)"),
        "2");
    EXPECT_EQ(Rows("SELECT * FROM TABLE(nums(7))"), "7|8");
    EXPECT_EQ(Rows("SELECT pair('a'), no_pair FROM dual"), "PAIR_T('a', 2.5),-");
    EXPECT_EQ(Failure("SELECT yes FROM dual"),
              "ORA-06552: PL/SQL: Statement ignored\n"
              "ORA-06553: PLS-382: 式の型が間違っています。");
    EXPECT_EQ(Failure("SELECT rows_of FROM dual").substr(0, 9), "ORA-03001");
    // An argument without a default must be given.
    EXPECT_NE(Failure("SELECT nums FROM dual").find("PLS-00306"), std::string::npos);
    EXPECT_NE(Failure("SELECT pair() FROM dual").find("PLS-00306"), std::string::npos);
}
