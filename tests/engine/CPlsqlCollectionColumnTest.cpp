// A nested table or VARRAY column selected or fetched into a variable of
// its type: the variable holds the whole collection (COUNT, elements,
// LIMIT), a copy of the column's; a NULL column leaves it atomically null.
// The variable goes back whole into UPDATE and INSERT.
#include <gtest/gtest.h>

#include <string>

#include "tests/engine/EngineFixture.h"

namespace {

class PlsqlCollectionColumnTest : public OutputFixture {
protected:
    void SetUp() override {
        OutputFixture::SetUp();
        Exec("CREATE TYPE nums AS TABLE OF NUMBER");
        Exec("CREATE TYPE names_v AS VARRAY(3) OF VARCHAR2(10)");
        Exec("CREATE TYPE pt AS OBJECT (x NUMBER, y VARCHAR2(5))");
        Exec("CREATE TYPE pts AS TABLE OF pt");
        Exec(
            "CREATE TABLE t (id NUMBER, n nums, v names_v, p pts) NESTED TABLE n STORE AS t_n "
            "NESTED TABLE p STORE AS t_p");
        Exec(
            "INSERT INTO t VALUES (1, nums(10, NULL, 30), names_v('a', 'b''c'), "
            "pts(pt(1, 'u'), NULL, pt(NULL, 'w')))");
        Exec("INSERT INTO t VALUES (2, nums(), NULL, NULL)");
    }
};

using Case = BlockCase;

}  // namespace

TEST_F(PlsqlCollectionColumnTest, TheWholeCollectionComesIntoTheVariable) {
    const Case cases[] = {
        {"DECLARE l nums; BEGIN SELECT n INTO l FROM t WHERE id = 1;\n"
         "DBMS_OUTPUT.PUT_LINE(l.COUNT || ' ' || l(1) || ' ' || NVL(TO_CHAR(l(2)), 'null') || ' ' || l(3) || "
         "' ' || l.FIRST || '-' || l.LAST); END;",
         "3 10 null 30 1-3"},
        {"DECLARE w names_v; BEGIN SELECT v INTO w FROM t WHERE id = 1;\n"
         "DBMS_OUTPUT.PUT_LINE(w.COUNT || ' ' || w(1) || ' ' || w(2) || ' ' || w.LIMIT); END;",
         "2 a b'c 3"},
        // Elements that are objects, a NULL one among them.
        {"DECLARE q pts; BEGIN SELECT p INTO q FROM t WHERE id = 1;\n"
         "DBMS_OUTPUT.PUT_LINE(q.COUNT || ' ' || q(1).x || q(1).y || ' ' || "
         "CASE WHEN q(2) IS NULL THEN 'null' END || ' ' || NVL(TO_CHAR(q(3).x), '-') || q(3).y); END;",
         "3 1u null -w"},
        // An empty collection is made and empty; a NULL column is a null collection.
        {"DECLARE l nums := nums(5); w names_v := names_v('z'); BEGIN\n"
         "SELECT n, v INTO l, w FROM t WHERE id = 2;\n"
         "DBMS_OUTPUT.PUT_LINE(l.COUNT || CASE WHEN l IS NOT NULL THEN ' made' END || "
         "CASE WHEN w IS NULL THEN ' null' END); END;",
         "0 made null"},
        {"DECLARE w names_v; BEGIN SELECT v INTO w FROM t WHERE id = 2; DBMS_OUTPUT.PUT_LINE(w.COUNT); END;",
         "ERROR ORA-06531: 初期化されていないコレクションを参照しています。|ORA-06512: 行1"},
        // FETCH takes it as SELECT INTO does; several columns at once.
        {"DECLARE l nums; w names_v; i NUMBER; CURSOR c IS SELECT id, n, v FROM t ORDER BY id;\n"
         "BEGIN OPEN c; FETCH c INTO i, l, w; CLOSE c; DBMS_OUTPUT.PUT_LINE(i || ':' || l.COUNT || ':' || "
         "w(1)); END;",
         "1:3:a"},
    };
    for (const Case& c : cases) EXPECT_EQ(OutputOf(c.block), c.answer) << c.block;
}

TEST_F(PlsqlCollectionColumnTest, TheVariableIsACopyThatGoesBackWhole) {
    EXPECT_EQ(OutputOf("DECLARE l nums; BEGIN SELECT n INTO l FROM t WHERE id = 1;\n"
                       "l(2) := 20; l.EXTEND; l(4) := 40;\n"
                       "UPDATE t SET n = l WHERE id = 2; INSERT INTO t (id, n) VALUES (3, l);\n"
                       "DBMS_OUTPUT.PUT_LINE(l.COUNT); END;"),
              "4");
    EXPECT_EQ(Rows("SELECT id, n FROM t ORDER BY id"),
              "1,NUMS(10, NULL, 30)|2,NUMS(10, 20, 30, 40)|3,NUMS(10, 20, 30, 40)");
}

TEST_F(PlsqlCollectionColumnTest, OnlyACollectionOfTheColumnsTypeTakesIt) {
    EXPECT_EQ(OutputOf("DECLARE l nums; BEGIN SELECT v INTO l FROM t WHERE id = 1; END;"),
              "ERROR ORA-00932: データ型が一致しません。|ORA-06512: 行1");
    // An associative array is no column's type.
    EXPECT_EQ(OutputOf("DECLARE TYPE a IS TABLE OF NUMBER INDEX BY PLS_INTEGER; l a;\n"
                       "BEGIN SELECT n INTO l FROM t WHERE id = 1; END;")
                  .rfind("ERROR ORA-03001", 0),
              0u);
}

// The server's ready-made lists in SYS are types a block declares, makes
// and reads through TABLE() as its own VARRAYs.
TEST_F(PlsqlCollectionColumnTest, TheServersListsInSysAreVarraysOfTheirElements) {
    const Case cases[] = {
        {"DECLARE l sys.odcivarchar2list := sys.odcivarchar2list('b', 'a'); BEGIN\n"
         "FOR r IN (SELECT column_value v FROM TABLE(l) ORDER BY 1) LOOP DBMS_OUTPUT.PUT(r.v); END LOOP;\n"
         "DBMS_OUTPUT.PUT_LINE(' ' || l.COUNT || ' ' || l.LIMIT); END;",
         "ab 2 32767"},
        {"DECLARE n SYS.ODCINUMBERLIST := SYS.ODCINUMBERLIST(); c NUMBER; BEGIN n.EXTEND(2); n(1) := 1/4;\n"
         "SELECT COUNT(*) INTO c FROM TABLE(n); DBMS_OUTPUT.PUT_LINE(n(1) || ' ' || c); END;",
         ".25 2"},
        {"DECLARE d sys.odcidatelist := sys.odcidatelist(DATE '2024-01-02'); BEGIN\n"
         "DBMS_OUTPUT.PUT_LINE(TO_CHAR(d(1) + 1, 'YYYY-MM-DD')); END;",
         "2024-01-03"},
        {"DECLARE l sys.odcivarchar2list := sys.odcivarchar2list(); BEGIN l.EXTEND; l(1) := RPAD('x', 4001, "
         "'x');"
         " END;",
         "ERROR ORA-06502: PL/SQL: 数値または値のエラーです: 文字列バッファが小さすぎます。|ORA-06512: 行1"},
    };
    for (const Case& c : cases) EXPECT_EQ(OutputOf(c.block), c.answer) << c.block;
    Exec("CREATE FUNCTION lst RETURN sys.odcinumberlist IS BEGIN RETURN sys.odcinumberlist(3, 1); END;");
    EXPECT_EQ(Rows("SELECT * FROM TABLE(lst)"), "3|1");
}
