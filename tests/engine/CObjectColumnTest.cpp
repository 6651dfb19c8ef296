// Object type columns on the embedded engine: stored from constructors,
// shown as constructors, attributes read and set through a table's alias,
// compared attribute by attribute, member functions called from SQL, the
// dictionary's view of them, and what the engine refuses; each answer as
// the SQL Language Reference and the Object-Relational Developer's Guide
// give it.
#include <gtest/gtest.h>

#include <string>

#include "tests/engine/EngineFixture.h"

namespace {

class ObjectColumnTest : public OutputFixture {
protected:
    void SetUp() override {
        OutputFixture::SetUp();
        Exec("CREATE TYPE point_t AS OBJECT (x NUMBER, y NUMBER)");
        Exec(
            "CREATE TYPE addr_t AS OBJECT (street VARCHAR2(20), zip VARCHAR2(5), country CHAR(2), "
            "at point_t)");
        Exec("CREATE TYPE phones_t AS VARRAY(3) OF VARCHAR2(12)");
        Exec("CREATE TABLE cust (id NUMBER(4) PRIMARY KEY, addr addr_t, phones phones_t)");
        Exec(
            "INSERT INTO cust VALUES (1, addr_t('1 Main', '46901', 'US', point_t(1, 2.5)), "
            "phones_t('555-0100'))");
        Exec("INSERT INTO cust VALUES (2, addr_t(NULL, 'O''H', 'JP', NULL), NULL)");
        Exec("INSERT INTO cust VALUES (3, NULL, phones_t())");
    }
    std::string Truth(const std::string& condition) {
        return Rows("SELECT id || ':' || CASE WHEN " + condition + " THEN 'T' WHEN NOT (" + condition +
                    ") THEN 'F' ELSE 'N' END FROM cust c ORDER BY id");
    }
};

using Case = SqlCase;

}  // namespace

TEST_F(ObjectColumnTest, ReadAsConstructorsAndByAttribute) {
    const Case cases[] = {
        // A CHAR attribute keeps its blanks; a NULL attribute shows NULL, a NULL object nothing.
        {"SELECT addr FROM cust ORDER BY id",
         "ADDR_T('1 Main', '46901', 'US', POINT_T(1, 2.5))|ADDR_T(NULL, 'O''H', 'JP', NULL)|-"},
        {"SELECT c.addr.zip, c.addr.at.y FROM cust c ORDER BY id", "46901,2.5|O'H,-|-,-"},
        {"SELECT c.addr.at FROM cust c WHERE c.id = 1", "POINT_T(1, 2.5)"},
        {"SELECT id FROM cust c WHERE c.addr.at.x + 1 = 2", "1"},
        {"SELECT point_t(3, -4) FROM dual", "POINT_T(3, -4)"},
        // IS NULL tells a NULL object from an object whose attributes are NULL.
        {"SELECT id FROM cust c WHERE c.addr IS NULL", "3"},
        {"SELECT id FROM cust c WHERE c.addr.street IS NULL ORDER BY id", "2|3"},
        {"SELECT id FROM cust c WHERE c.addr.at IS NULL ORDER BY id", "2|3"},
    };
    for (const Case& c : cases) EXPECT_EQ(Rows(c.sql), c.answer) << c.sql;
}

TEST_F(ObjectColumnTest, AttributesAreReadThroughAnAliasOnly) {
    for (const char* sql : {"SELECT addr.zip FROM cust", "SELECT cust.addr.zip FROM cust",
                            "SELECT c.addr.city FROM cust c", "SELECT c.addr.zip.x FROM cust c"})
        EXPECT_EQ(Rows(sql).substr(0, 15), "ERROR ORA-00904") << sql;
    EXPECT_EQ(Failure("UPDATE cust SET addr.zip = '1'").substr(0, 9), "ORA-00904");
}

TEST_F(ObjectColumnTest, StoresOnlyObjectsOfTheColumnsType) {
    const Case cases[] = {
        {"INSERT INTO cust VALUES (4, addr_t('x', '1', 'US'), NULL)", "ORA-02315"},
        {"INSERT INTO cust VALUES (4, point_t(1, 2), NULL)", "ORA-00932"},
        {"INSERT INTO cust VALUES (4, 'addr', NULL)", "ORA-00932"},
        {"INSERT INTO cust VALUES (4, addr_t('x', '123456', 'US', NULL), NULL)", "ORA-12899"},
        {"INSERT INTO cust VALUES (4, addr_t('x', '1', 'US', point_t('a', 1)), NULL)", "ORA-01722"},
        {"UPDATE cust c SET c.addr.at = addr_t(NULL, NULL, NULL, NULL)", "ORA-00932"},
    };
    for (const Case& c : cases) EXPECT_EQ(Failure(c.sql).substr(0, 9), c.answer) << c.sql;
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM cust"), "3");
}

TEST_F(ObjectColumnTest, UpdatesAttributesAndWholeObjects) {
    Exec("UPDATE cust c SET c.addr.zip = '10001', c.addr.at.x = 7 WHERE c.id = 1");
    Exec("UPDATE cust SET addr = addr_t('9 Elm', NULL, 'GB', point_t(0, 0)) WHERE id = 2");
    // An attribute of a NULL object sets nothing: the object stays NULL.
    Exec("UPDATE cust c SET c.addr.zip = '1' WHERE c.id = 3");
    EXPECT_EQ(
        Rows("SELECT addr FROM cust ORDER BY id"),
        "ADDR_T('1 Main', '10001', 'US', POINT_T(7, 2.5))|ADDR_T('9 Elm', NULL, 'GB', POINT_T(0, 0))|-");
    Exec("UPDATE cust c SET c.addr = NULL WHERE c.id = 1");
    EXPECT_EQ(Rows("SELECT id FROM cust c WHERE c.addr IS NULL ORDER BY id"), "1|3");
}

TEST_F(ObjectColumnTest, ObjectsCompareAttributeByAttribute) {
    // Equal when every attribute is; unknown when either side is NULL or holds a NULL attribute.
    EXPECT_EQ(Truth("c.addr = addr_t('1 Main', '46901', 'US', point_t(1, 2.5))"), "1:T|2:N|3:N");
    EXPECT_EQ(Truth("c.addr <> addr_t('1 Main', '46901', 'US', point_t(1, 2))"), "1:T|2:N|3:N");
    EXPECT_EQ(Truth("c.addr.at = point_t(1, 2.5)"), "1:T|2:N|3:N");
    // Without a MAP or ORDER method objects have no order.
    for (const char* sql : {"SELECT id FROM cust c ORDER BY c.addr", "SELECT DISTINCT addr FROM cust",
                            "SELECT c.addr.at, COUNT(*) FROM cust c GROUP BY c.addr.at",
                            "SELECT id FROM cust c WHERE c.addr.at > point_t(0, 0)"})
        EXPECT_EQ(Rows(sql).substr(0, 15), "ERROR ORA-22950") << sql;
}

TEST_F(ObjectColumnTest, MemberFunctionsRunOnAColumnsValue) {
    Exec(
        "CREATE TYPE money_t AS OBJECT (amount NUMBER(8,2), cur CHAR(3), "
        "MEMBER FUNCTION shown RETURN VARCHAR2, MEMBER FUNCTION times(n NUMBER) RETURN NUMBER)");
    Exec(
        "CREATE TYPE BODY money_t AS "
        "MEMBER FUNCTION shown RETURN VARCHAR2 IS BEGIN RETURN cur || ' ' || TO_CHAR(amount); END; "
        "MEMBER FUNCTION times(n NUMBER) RETURN NUMBER IS BEGIN RETURN amount * n; END; END;");
    Exec("CREATE TABLE price (id NUMBER, p money_t)");
    Exec("INSERT INTO price VALUES (1, money_t(12.5, 'EUR'))");
    Exec("INSERT INTO price VALUES (2, NULL)");
    EXPECT_EQ(Rows("SELECT t.p.shown(), t.p.times(4) FROM price t ORDER BY t.id"), "EUR 12.5,50|-,-");
    EXPECT_EQ(Rows("SELECT t.id FROM price t WHERE t.p.times(2) > 20"), "1");
    EXPECT_EQ(Rows("SELECT t.p.missing() FROM price t").substr(0, 15), "ERROR ORA-00904");
}

TEST_F(ObjectColumnTest, DictionaryNamesTheTypes) {
    EXPECT_EQ(Rows("SELECT column_name || ':' || data_type FROM user_tab_columns WHERE table_name = 'CUST' "
                   "ORDER BY column_id"),
              "ID:NUMBER|ADDR:ADDR_T|PHONES:PHONES_T");
    Exec("CREATE TYPE num_t AS TABLE OF NUMBER");
    Exec("CREATE TABLE bag (id NUMBER, nums num_t) NESTED TABLE nums STORE AS bag_nums");
    EXPECT_EQ(
        Rows("SELECT table_name || ',' || table_type_name || ',' || parent_table_name || ',' || "
             "parent_table_column || ',' || storage_spec || ',' || return_type FROM user_nested_tables"),
        "BAG_NUMS,NUM_T,BAG,NUMS,DEFAULT,VALUE");
    EXPECT_EQ(Rows("SELECT table_name || ':' || nested FROM user_tables ORDER BY 1"),
              "BAG:NO|BAG_NUMS:YES|CUST:NO");
    // The storage's name is taken; a column of another type has none.
    EXPECT_EQ(Failure("CREATE TABLE bag2 (n num_t) NESTED TABLE n STORE AS cust").substr(0, 9), "ORA-00955");
    EXPECT_EQ(Failure("CREATE TABLE bag2 (n NUMBER) NESTED TABLE n STORE AS b2").substr(0, 9), "ORA-22912");
    Exec("DROP TABLE bag");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM user_nested_tables"), "0");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM user_objects WHERE object_name = 'BAG_NUMS'"), "0");
}

// DROP TYPE ... FORCE marks the type's columns UNUSED on the server: they
// are gone from the table for good, the other columns keep their rows.
TEST_F(ObjectColumnTest, DropTypeForceTakesItsColumns) {
    EXPECT_EQ(Failure("DROP TYPE addr_t").substr(0, 9), "ORA-02303");
    Exec("DROP TYPE addr_t FORCE");
    EXPECT_EQ(Rows("SELECT * FROM cust ORDER BY id"), "1,PHONES_T('555-0100')|2,-|3,PHONES_T()");
    EXPECT_EQ(Rows("SELECT c.addr FROM cust c").substr(0, 15), "ERROR ORA-00904");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM user_tab_columns WHERE table_name = 'CUST'"), "2");
    Exec("INSERT INTO cust VALUES (4, NULL)");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM cust"), "4");
}

TEST_F(ObjectColumnTest, FeaturesTheEngineLacksAreRefusedByName) {
    const Case cases[] = {
        {"CREATE TABLE pts OF point_t", "オブジェクト表"},
        {"CREATE VIEW v OF point_t WITH OBJECT IDENTIFIER (x) AS SELECT 1, 2 FROM dual",
         "オブジェクト・ビュー"},
        {"CREATE TABLE r (id NUMBER, p REF point_t)", "REF"},
        {"CREATE TABLE r (id NUMBER, doc XMLTYPE)", "XMLTYPE"},
        {"CREATE TABLE r (id NUMBER, g SDO_GEOMETRY)", "SDO_GEOMETRY"},
        {"ALTER TABLE cust ADD (doc SYS.XMLTYPE)", "XMLTYPE"},
        {"CREATE TABLE copy AS SELECT addr FROM cust", "ADDR_T"},
    };
    for (const Case& c : cases) {
        std::string failure = Failure(c.sql);
        EXPECT_EQ(failure.substr(0, 9), "ORA-03001") << c.sql << ": " << failure;
        EXPECT_NE(failure.find(c.answer), std::string::npos) << c.sql << ": " << failure;
    }
}

TEST_F(ObjectColumnTest, AddedColumnTakesObjects) {
    Exec("ALTER TABLE cust ADD (ship addr_t)");
    Exec("UPDATE cust c SET c.ship = c.addr WHERE c.id < 3");
    EXPECT_EQ(Rows("SELECT c.ship.zip FROM cust c ORDER BY c.id"), "46901|O'H|-");
    EXPECT_EQ(Rows("SELECT id FROM cust c WHERE c.ship = c.addr ORDER BY id"), "1");
}

TEST_F(ObjectColumnTest, BlocksReadObjectColumns) {
    EXPECT_EQ(OutputOf("DECLARE a addr_t; n addr_t; BEGIN SELECT addr INTO a FROM cust WHERE id = 2; "
                       "SELECT addr INTO n FROM cust WHERE id = 3; "
                       "dbms_output.put_line(a.zip || '/' || a.country || '/' || NVL(a.street, 'none')); "
                       "IF n IS NULL THEN dbms_output.put_line('null object'); END IF; END;"),
              "O'H/JP/none|null object");
}

TEST_F(ObjectColumnTest, BlocksStoreAndCompareObjectVariables) {
    Exec("CREATE TABLE spot (id NUMBER, p point_t)");
    EXPECT_EQ(OutputOf("DECLARE v point_t := point_t(3, -0.5); w point_t; n NUMBER; BEGIN "
                       "INSERT INTO spot VALUES (1, v); INSERT INTO spot VALUES (2, w); "
                       "UPDATE spot s SET s.p = v WHERE s.id = 2 AND s.p IS NULL; "
                       "SELECT COUNT(*) INTO n FROM spot s WHERE s.p = v; "
                       "dbms_output.put_line(n); END;"),
              "2");
    EXPECT_EQ(Rows("SELECT p FROM spot ORDER BY id"), "POINT_T(3, -.5)|POINT_T(3, -.5)");
    // A variable of another object type is no point.
    EXPECT_EQ(OutputOf("DECLARE a addr_t := addr_t('x', '1', 'US', NULL); BEGIN "
                       "INSERT INTO spot VALUES (3, a); END;")
                  .substr(0, 15),
              "ERROR ORA-00932");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM spot"), "2");
}

// A MAP method gives each object the value it sorts, groups and compares by.
TEST_F(ObjectColumnTest, MapMethodOrdersAndComparesObjects) {
    Exec("CREATE TYPE rect_t AS OBJECT (w NUMBER, h NUMBER, MAP MEMBER FUNCTION area RETURN NUMBER)");
    Exec(
        "CREATE TYPE BODY rect_t AS MAP MEMBER FUNCTION area RETURN NUMBER IS BEGIN RETURN w * h; END; END;");
    Exec("CREATE TABLE box (id NUMBER, r rect_t)");
    Exec("INSERT INTO box VALUES (1, rect_t(2, 5))");
    Exec("INSERT INTO box VALUES (2, rect_t(3, 1))");
    Exec("INSERT INTO box VALUES (3, rect_t(1, 10))");
    EXPECT_EQ(Rows("SELECT id FROM box b ORDER BY b.r DESC, b.id"), "1|3|2");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM box b GROUP BY b.r ORDER BY 1"), "1|2");
    // Equal by their areas though their attributes differ.
    EXPECT_EQ(Rows("SELECT id FROM box b WHERE b.r = rect_t(5, 2) ORDER BY id"), "1|3");
    EXPECT_EQ(Rows("SELECT id FROM box b WHERE b.r < rect_t(2, 2)"), "2");
    EXPECT_EQ(Rows("SELECT DISTINCT r FROM box").substr(0, 15), "ERROR ORA-03001");
}

TEST_F(ObjectColumnTest, TypeTestsAreRefusedByName) {
    std::string answer = Rows("SELECT id FROM cust c WHERE c.addr IS OF (addr_t)");
    EXPECT_EQ(answer.substr(0, 15), "ERROR ORA-03001") << answer;
    EXPECT_NE(answer.find("IS OF"), std::string::npos) << answer;
    EXPECT_EQ(Rows("SELECT TREAT(c.addr AS addr_t) FROM cust c").substr(0, 15), "ERROR ORA-03001");
}

// INSERT ... SELECT copies objects and collections whole, and checks their types.
TEST_F(ObjectColumnTest, InsertSelectCopiesObjects) {
    Exec("CREATE TABLE cust2 (id NUMBER(4), addr addr_t, phones phones_t)");
    Exec("INSERT INTO cust2 SELECT * FROM cust WHERE id < 3");
    Exec("INSERT INTO cust2 (id, addr) SELECT c.id + 10, c.addr FROM cust c WHERE c.id = 1");
    Exec("INSERT INTO cust2 (id, addr) SELECT 20, addr_t('x', '2', 'FR', point_t(0, 0)) FROM dual");
    EXPECT_EQ(Rows("SELECT id, c.addr.zip, c.addr.at.y, phones FROM cust2 c ORDER BY id"),
              "1,46901,2.5,PHONES_T('555-0100')|2,O'H,-,-|11,46901,2.5,-|20,2,0,-");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM cust2 c, cust d WHERE c.addr = d.addr"), "2");
    EXPECT_EQ(Failure("INSERT INTO cust2 (id, addr) SELECT 30, c.addr.at FROM cust c").substr(0, 9),
              "ORA-00932");
    // A scalar query's object is stored whole; one of another type is refused.
    Exec("UPDATE cust2 SET addr = (SELECT addr FROM cust WHERE id = 2) WHERE id = 20");
    EXPECT_EQ(Rows("SELECT c.addr.zip FROM cust2 c WHERE c.id = 20"), "O'H");
    EXPECT_EQ(
        Failure("UPDATE cust2 c SET c.addr = (SELECT d.addr.at FROM cust d WHERE d.id = 1)").substr(0, 9),
        "ORA-00932");
    EXPECT_EQ(Failure("UPDATE cust2 SET addr = (SELECT 'x' FROM dual)").substr(0, 9), "ORA-00932");
    EXPECT_EQ(Failure("UPDATE cust2 SET addr = (SELECT addr FROM cust)").substr(0, 9), "ORA-01427");
}

// A view, an inline view and a WITH query hand their object columns on as
// objects: read by attribute through an alias, shown whole, compared, and
// described by their types.
TEST_F(ObjectColumnTest, DerivedTablesKeepObjects) {
    Exec("CREATE VIEW cv AS SELECT id, addr, phones FROM cust");
    Exec("CREATE VIEW made AS SELECT id, point_t(id, 0) p FROM cust WHERE id < 3");
    const Case cases[] = {
        {"SELECT v.addr.zip, v.addr.at.y FROM cv v ORDER BY v.id", "46901,2.5|O'H,-|-,-"},
        {"SELECT * FROM cv WHERE id = 1",
         "1,ADDR_T('1 Main', '46901', 'US', POINT_T(1, 2.5)),PHONES_T('555-0100')"},
        {"SELECT id FROM cv v WHERE v.addr = addr_t('1 Main', '46901', 'US', point_t(1, 2.5))", "1"},
        {"SELECT id FROM cv v WHERE v.addr IS NULL", "3"},
        {"SELECT m.p.x, m.p FROM made m ORDER BY m.id", "1,POINT_T(1, 0)|2,POINT_T(2, 0)"},
        {"SELECT q.addr.country FROM (SELECT c.id, c.addr FROM cust c) q ORDER BY q.id", "US|JP|-"},
        {"SELECT * FROM (SELECT id, addr FROM cust WHERE id = 2)", "2,ADDR_T(NULL, 'O''H', 'JP', NULL)"},
        {"SELECT q.a.zip FROM (SELECT v.addr a FROM cv v WHERE v.id = 1) q", "46901"},
        {"WITH w AS (SELECT id, addr FROM cust) SELECT x.addr.zip, x.addr FROM w x WHERE x.id = 2",
         "O'H,ADDR_T(NULL, 'O''H', 'JP', NULL)"},
        {"WITH w (n, a) AS (SELECT id, addr FROM cust) SELECT x.a.zip FROM w x WHERE x.n = 1", "46901"},
        {("SELECT column_name || ':' || data_type FROM user_tab_columns WHERE table_name IN ('CV', 'MADE') "
          "ORDER BY table_name, column_id"),
         "ID:NUMBER|ADDR:ADDR_T|PHONES:PHONES_T|ID:NUMBER|P:POINT_T"},
    };
    for (const Case& c : cases) EXPECT_EQ(Rows(c.sql), c.answer) << c.sql;
    // Rows copied from a view or a WITH query keep their objects.
    Exec("CREATE TABLE cust2 (id NUMBER(4), addr addr_t, phones phones_t)");
    Exec("INSERT INTO cust2 SELECT * FROM cv WHERE id = 1");
    Exec(
        "INSERT INTO cust2 WITH w AS (SELECT id, addr FROM cust) SELECT id + 10, addr, NULL FROM w WHERE id "
        "= 2");
    EXPECT_EQ(Rows("SELECT c.addr.at.x, c.addr.zip FROM cust2 c ORDER BY c.id"), "1,46901|-,O'H");
}

// MERGE sets and inserts objects from constructors and from its source's columns.
TEST_F(ObjectColumnTest, MergeStoresObjects) {
    Exec(
        "MERGE INTO cust c USING (SELECT 1 id FROM dual UNION ALL SELECT 5 FROM dual) s ON (c.id = s.id) "
        "WHEN MATCHED THEN UPDATE SET c.addr = addr_t('2 Side', '10001', 'US', NULL) "
        "WHEN NOT MATCHED THEN INSERT VALUES (s.id, addr_t('5 Rue', '75001', 'FR', point_t(5, 5)), NULL)");
    Exec(
        "MERGE INTO cust c USING (SELECT id, addr FROM cust WHERE id = 5) s ON (c.id = 3) "
        "WHEN MATCHED THEN UPDATE SET c.addr = s.addr");
    EXPECT_EQ(Rows("SELECT c.id, c.addr.street, c.addr.at.x FROM cust c ORDER BY c.id"),
              "1,2 Side,-|2,-,-|3,5 Rue,5|5,5 Rue,5");
    EXPECT_EQ(Failure("MERGE INTO cust c USING dual ON (c.id = 1) WHEN MATCHED THEN UPDATE SET c.addr = "
                      "point_t(1, 1)")
                  .substr(0, 9),
              "ORA-00932");
}

// A NOT NULL object or collection column is described as one.
TEST_F(ObjectColumnTest, NotNullObjectColumnsAreDescribedSo) {
    Exec("CREATE TABLE held (id NUMBER, home addr_t NOT NULL, spare addr_t, phones phones_t NOT NULL)");
    CEngineResult result;
    ASSERT_TRUE(m_connection->Query(encoding::Utf8ToCp932("SELECT * FROM held"), m_binds, result));
    std::string nullable;
    for (const auto& column : result.Columns()) nullable += column.nullable ? "Y" : "N";
    EXPECT_EQ(nullable, "YNYN");
    // A view reading the columns describes them alike.
    Exec("CREATE VIEW held_v AS SELECT phones, home, spare FROM held");
    ASSERT_TRUE(m_connection->Query(encoding::Utf8ToCp932("SELECT * FROM held_v"), m_binds, result));
    nullable.clear();
    for (const auto& column : result.Columns()) nullable += column.nullable ? "Y" : "N";
    EXPECT_EQ(nullable, "NNY");
    EXPECT_EQ(Rows("SELECT nullable FROM user_tab_columns WHERE table_name = 'HELD' ORDER BY column_id"),
              "Y|N|Y|N");
    EXPECT_EQ(Failure("INSERT INTO held VALUES (1, NULL, NULL, phones_t())").substr(0, 9), "ORA-01400");
}

// A record's field of an object type: a row of a table with an object
// column, or a record type's field; its attributes read and set through the
// chain of names, its object assigned whole and handed to SQL.
TEST_F(ObjectColumnTest, RecordFieldsHoldObjects) {
    EXPECT_EQ(
        OutputOf(
            "DECLARE r cust%ROWTYPE; BEGIN SELECT * INTO r FROM cust WHERE id = 2; "
            "dbms_output.put_line(r.addr.zip || '/' || r.addr.country || '/' || NVL(r.addr.street, '-')); "
            "r.addr.street := '9 Hill'; r.id := 4; "
            "INSERT INTO cust VALUES (r.id, r.addr, NULL); "
            "SELECT c.addr.zip INTO r.addr.street FROM cust c WHERE c.id = 1; "
            "dbms_output.put_line(r.addr.street); END;"),
        "O'H/JP/-|46901");
    EXPECT_EQ(Rows("SELECT addr FROM cust WHERE id = 4"), "ADDR_T('9 Hill', 'O''H', 'JP', NULL)");
    EXPECT_EQ(OutputOf("DECLARE TYPE rec_t IS RECORD (n NUMBER, p point_t); r rec_t; q point_t; BEGIN "
                       "dbms_output.put_line(NVL(TO_CHAR(r.p.x), 'null')); "
                       "r.p := point_t(1, 2); r.p.y := r.p.y * 10; q := r.p; "
                       "dbms_output.put_line(q.x || ',' || q.y); "
                       "q.x := -1.5; r.p := q; dbms_output.put_line(r.p.x); "
                       "r.p := NULL; IF r.p IS NULL THEN dbms_output.put_line('null'); END IF; END;"),
              "null|1,20|-1.5|null");
}

// An attribute of a NULL object reads as NULL; setting one is ACCESS_INTO_NULL.
TEST_F(ObjectColumnTest, NullObjectsInRecordsAndVariables) {
    const Case cases[] = {
        {"DECLARE r cust%ROWTYPE; BEGIN SELECT * INTO r FROM cust WHERE id = 3; r.addr.zip := '1'; END;",
         "ERROR ORA-06530"},
        {"DECLARE TYPE rec_t IS RECORD (p point_t); r rec_t; BEGIN r.p.x := 1; END;", "ERROR ORA-06530"},
        {"DECLARE a point_t; BEGIN a.x := 1; END;", "ERROR ORA-06530"},
        {("DECLARE r cust%ROWTYPE; BEGIN r.addr.zip := '1'; "
          "EXCEPTION WHEN ACCESS_INTO_NULL THEN dbms_output.put_line('caught'); END;"),
         "caught"},
        {("DECLARE r cust%ROWTYPE; BEGIN SELECT * INTO r FROM cust WHERE id = 3; "
          "dbms_output.put_line(NVL(r.addr.zip, 'none')); END;"),
         "none"},
        {"DECLARE r cust%ROWTYPE; BEGIN r.addr.city := 'x'; END;", "ERROR ORA-06550"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(OutputOf(c.sql).substr(0, std::string(c.answer).size()), c.answer) << c.sql;
}
