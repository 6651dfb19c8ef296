// Paths through records and objects in PL/SQL: an attribute of an object an
// attribute holds (r.home.sub.x), read and assigned at any depth; a method
// of an object a record's field holds; nested objects read from a table's
// object column and written back; each answer as the PL/SQL Language
// Reference and the Object-Relational Developer's Guide give it.
#include <gtest/gtest.h>

#include <string>

#include "tests/engine/EngineFixture.h"

namespace {

class PlsqlObjectPathTest : public OutputFixture {
protected:
    void SetUp() override {
        OutputFixture::SetUp();
        Exec("CREATE TYPE sub_t AS OBJECT (x NUMBER, label VARCHAR2(20))");
        Exec("CREATE TYPE addr_t AS OBJECT (city VARCHAR2(20), sub sub_t)");
        Exec(
            "CREATE TYPE person_t AS OBJECT (name VARCHAR2(20), home addr_t, "
            "MEMBER FUNCTION describe RETURN VARCHAR2)");
        Exec(
            "CREATE TYPE BODY person_t AS MEMBER FUNCTION describe RETURN VARCHAR2 IS "
            "BEGIN RETURN name || '@' || home.city || '#' || home.sub.x; END; END;");
        Exec("CREATE TABLE t (id NUMBER, p person_t)");
        Exec("INSERT INTO t VALUES (1, person_t('太郎', addr_t('東京', sub_t(7, 'seven'))))");
        Exec("INSERT INTO t VALUES (2, person_t('次郎', addr_t('大阪', NULL)))");
    }
};

using Case = BlockCase;

const std::string kRecord =
    "DECLARE TYPE rec IS RECORD (id NUMBER, home addr_t, who person_t); r rec; BEGIN "
    "r.home := addr_t('大阪', sub_t(1, 'one')); ";

}  // namespace

TEST_F(PlsqlObjectPathTest, RecordFieldPathsReadAndAssign) {
    const Case cases[] = {
        {"dbms_output.put_line(r.home.sub.x || ' ' || r.home.sub.label || ' ' || r.home.city); END;",
         "1 one 大阪"},
        {"r.home.sub.x := 42; r.home.city := '京都'; "
         "dbms_output.put_line(r.home.sub.x || ' ' || r.home.sub.label || ' ' || r.home.city); END;",
         "42 one 京都"},
        // A whole object assigned to an attribute, then read through it.
        {"r.home.sub := sub_t(5, 'five'); dbms_output.put_line(r.home.sub.x || r.home.sub.label); END;",
         "5five"},
        // Three levels down, through an object that holds the record's object.
        {"r.who := person_t('花子', r.home); r.who.home.sub.label := 'deep'; "
         "dbms_output.put_line(r.who.home.sub.label || ' ' || r.home.sub.label); END;",
         "deep one"},
        // An attribute of a NULL object reads as NULL; setting one raises ACCESS_INTO_NULL.
        {"r.home.sub := NULL; dbms_output.put_line(NVL(TO_CHAR(r.home.sub.x), 'null')); "
         "r.home.sub.x := 1; EXCEPTION WHEN ACCESS_INTO_NULL THEN dbms_output.put_line('ORA-06530'); END;",
         "null|ORA-06530"},
        // The value converts to the attribute's type.
        {"r.home.sub.x := '12.5'; dbms_output.put_line(r.home.sub.x + 1); END;", "13.5"},
        {"r.home.sub.x := 'abc'; END;",
         "ERROR ORA-06502: PL/SQL: 数値または値のエラーです: 文字から数値への変換エラー。|ORA-06512: 行1"},
    };
    for (const Case& c : cases) EXPECT_EQ(OutputOf(kRecord + c.block), c.answer) << c.block;
}

TEST_F(PlsqlObjectPathTest, MethodOfAnObjectARecordHolds) {
    EXPECT_EQ(
        OutputOf(kRecord + "r.who := person_t('花子', r.home); dbms_output.put_line(r.who.describe()); END;"),
        "花子@大阪#1");
    // A NULL object's method raises SELF_IS_NULL.
    EXPECT_EQ(OutputOf(kRecord + "dbms_output.put_line(r.who.describe()); EXCEPTION WHEN SELF_IS_NULL THEN "
                                 "dbms_output.put_line('self is null'); END;"),
              "self is null");
}

TEST_F(PlsqlObjectPathTest, NestedAttributesOfAnObjectColumn) {
    const Case cases[] = {
        {"DECLARE v person_t; BEGIN SELECT p INTO v FROM t WHERE id = 1; "
         "dbms_output.put_line(v.name || ' ' || v.home.city || ' ' || v.home.sub.x || ' ' || "
         "v.home.sub.label); "
         "END;",
         "太郎 東京 7 seven"},
        {"DECLARE s VARCHAR2(20); n NUMBER; BEGIN SELECT t.p.home.city, t.p.home.sub.x INTO s, n FROM t t "
         "WHERE id = 1; dbms_output.put_line(s || ' ' || n); END;",
         "東京 7"},
        {"DECLARE a addr_t; BEGIN SELECT t.p.home INTO a FROM t t WHERE id = 1; "
         "dbms_output.put_line(a.city || ' ' || a.sub.label); END;",
         "東京 seven"},
        // A NULL nested object: its attributes are NULL.
        {"DECLARE v person_t; BEGIN SELECT p INTO v FROM t WHERE id = 2; "
         "dbms_output.put_line(v.home.city || '/' || v.home.sub.x || '/' || v.describe()); END;",
         "大阪//次郎@大阪#"},
        {"DECLARE r t%ROWTYPE; BEGIN SELECT * INTO r FROM t WHERE id = 1; "
         "dbms_output.put_line(r.p.home.sub.label || ' ' || r.p.describe()); END;",
         "seven 太郎@東京#7"},
    };
    for (const Case& c : cases) EXPECT_EQ(OutputOf(c.block), c.answer) << c.block;
}

TEST_F(PlsqlObjectPathTest, NestedObjectsWrittenBackToTheTable) {
    EXPECT_EQ(OutputOf("DECLARE v person_t; BEGIN SELECT p INTO v FROM t WHERE id = 1; "
                       "v.home.sub.label := 'changed'; v.name := '三郎'; INSERT INTO t VALUES (3, v); END;"),
              "");
    EXPECT_EQ(
        Rows("SELECT t.p.name, t.p.home.city, t.p.home.sub.x, t.p.home.sub.label FROM t t WHERE id = 3"),
        "三郎,東京,7,changed");
    // A record's path bound in a statement of the block.
    EXPECT_EQ(
        OutputOf(
            "DECLARE r t%ROWTYPE; BEGIN SELECT * INTO r FROM t WHERE id = 3; "
            "UPDATE t SET id = 4 WHERE id = 3 AND r.p.home.sub.x = 7 AND r.p.home.sub.label = 'changed'; "
            "dbms_output.put_line(SQL%ROWCOUNT); END;"),
        "1");
    EXPECT_EQ(Rows("SELECT id FROM t ORDER BY id"), "1|2|4");
}

TEST_F(PlsqlObjectPathTest, PathsFromElementsAndResults) {
    const std::string declare =
        "DECLARE TYPE pl IS TABLE OF person_t; l pl := pl(person_t('a', addr_t('c1', sub_t(1, 'x')))); "
        "FUNCTION mk(n VARCHAR2) RETURN person_t IS BEGIN RETURN person_t(n, addr_t('f', sub_t(9, 'nine'))); "
        "END; PROCEDURE show(p person_t) IS BEGIN dbms_output.put_line(p.name || ' ' || p.home.sub.label); "
        "END; "
        "BEGIN ";
    const Case cases[] = {
        {"dbms_output.put_line(l(1).home.city || ' ' || l(1).home.sub.x); END;", "c1 1"},
        {"l(1).home.sub.label := 'y'; dbms_output.put_line(l(1).home.sub.label || l(1).name); END;", "ya"},
        {"dbms_output.put_line(mk('q').home.city || ' ' || mk('q').home.sub.x); END;", "f 9"},
        {"show(mk('z')); show(l(1)); END;", "z nine|a x"},
    };
    for (const Case& c : cases) EXPECT_EQ(OutputOf(declare + c.block), c.answer) << c.block;
}

TEST_F(PlsqlObjectPathTest, MemberProcedureChangesTheObjectAFieldHolds) {
    Exec("CREATE TYPE counter_t AS OBJECT (n NUMBER, MEMBER PROCEDURE bump(by NUMBER DEFAULT 1))");
    Exec(
        "CREATE TYPE BODY counter_t AS MEMBER PROCEDURE bump(by NUMBER DEFAULT 1) IS BEGIN n := n + by; END; "
        "END;");
    Exec("CREATE TYPE box_t AS OBJECT (label VARCHAR2(10), c counter_t)");
    const Case cases[] = {
        {"DECLARE TYPE rec IS RECORD (c counter_t); r rec; BEGIN r.c := counter_t(5); r.c.bump; "
         "r.c.bump(10); "
         "dbms_output.put_line(r.c.n); END;",
         "16"},
        {"DECLARE b box_t := box_t('b', counter_t(1)); BEGIN b.c.bump(); b.c.bump; "
         "dbms_output.put_line(b.label || b.c.n); END;",
         "b3"},
        {"DECLARE TYPE rec IS RECORD (b box_t); r rec; BEGIN r.b := box_t('x', counter_t(0)); r.b.c.bump(2); "
         "dbms_output.put_line(r.b.c.n); END;",
         "2"},
        // A method called on a NULL object raises SELF_IS_NULL.
        {"DECLARE b box_t := box_t('b', NULL); BEGIN b.c.bump; EXCEPTION WHEN SELF_IS_NULL THEN "
         "dbms_output.put_line('self is null'); END;",
         "self is null"},
    };
    for (const Case& c : cases) EXPECT_EQ(OutputOf(c.block), c.answer) << c.block;
}

TEST_F(PlsqlObjectPathTest, MethodsReachTheirAttributesObjects) {
    Exec(
        "CREATE TYPE mover_t AS OBJECT (home addr_t, MEMBER PROCEDURE move(c VARCHAR2), "
        "MEMBER FUNCTION at RETURN VARCHAR2)");
    Exec(
        "CREATE TYPE BODY mover_t AS MEMBER PROCEDURE move(c VARCHAR2) IS BEGIN home.city := c; "
        "SELF.home.sub.x := NVL(home.sub.x, 0) + 1; END; "
        "MEMBER FUNCTION at RETURN VARCHAR2 IS BEGIN RETURN SELF.home.city || home.sub.x; END; END;");
    EXPECT_EQ(Rows("SELECT status FROM user_objects WHERE object_name = 'MOVER_T' ORDER BY object_type"),
              "VALID|VALID");
    EXPECT_EQ(OutputOf("DECLARE m mover_t := mover_t(addr_t('x', sub_t(NULL, NULL))); BEGIN m.move('y'); "
                       "m.move('z'); dbms_output.put_line(m.at); END;"),
              "z2");
}
