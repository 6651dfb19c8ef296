// Collections whose elements are objects that hold objects, on the
// embedded engine: nested table and VARRAY columns stored from
// constructors, shown as constructors, unnested by TABLE() over a column,
// over a constructor and over a query, the inner objects' attributes read
// through the collection's alias, and rows kept by older files (an inner
// object written as its constructor's text) read back as objects; the
// answers as the SQL Language Reference (TABLE collection expression) and
// the Object-Relational Developer's Guide give them.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>

#include "tests/engine/EngineFixture.h"

namespace {

class NestedObjectTest : public OutputFixture {
protected:
    void SetUp() override {
        OutputFixture::SetUp();
        Exec("CREATE TYPE wh_t AS OBJECT (id NUMBER(3), name VARCHAR2(35), loc NUMBER(4))");
        Exec("CREATE TYPE inv_t AS OBJECT (pid NUMBER(6), wh wh_t, qty NUMBER(8))");
        Exec("CREATE TYPE inv_nt AS TABLE OF inv_t");
        Exec("CREATE TYPE inv_va AS VARRAY(4) OF inv_t");
        Exec("CREATE TABLE prod (id NUMBER(6) PRIMARY KEY, inv inv_nt) NESTED TABLE inv STORE AS inv_store");
        Exec("CREATE TABLE prodv (id NUMBER(6) PRIMARY KEY, inv inv_va)");
        for (const char* table : {"prod", "prodv"}) {
            std::string made = std::string(table) == "prod" ? "inv_nt" : "inv_va";
            Exec(std::string("INSERT INTO ") + table + " VALUES (1, " + made +
                 "(inv_t(1, wh_t(1, 'Southlake', 1400), 10), inv_t(2, NULL, 5)))");
            Exec(std::string("INSERT INTO ") + table + " VALUES (2, " + made +
                 "(inv_t(3, wh_t(2, 'O''Hare', NULL), NULL), NULL))");
            Exec(std::string("INSERT INTO ") + table + " VALUES (3, NULL)");
        }
    }
};

using Case = SqlCase;

}  // namespace

TEST_F(NestedObjectTest, InnerObjectsAreKeptAndShownAsObjects) {
    for (const char* table : {"prod", "prodv"}) {
        std::string type = std::string(table) == "prod" ? "INV_NT" : "INV_VA";
        EXPECT_EQ(Rows(std::string("SELECT p.inv FROM ") + table + " p ORDER BY id"),
                  type + "(INV_T(1, WH_T(1, 'Southlake', 1400), 10), INV_T(2, NULL, 5))|" + type +
                      "(INV_T(3, WH_T(2, 'O''Hare', NULL), NULL), NULL)|-")
            << table;
    }
}

TEST_F(NestedObjectTest, TableUnnestsElementsWithTheirObjects) {
    const Case cases[] = {
        // Every attribute of the element is a column; an object attribute shows as its constructor.
        {"SELECT i.* FROM prod p, TABLE(p.inv) i WHERE p.id = 1", "1,WH_T(1, 'Southlake', 1400),10|2,-,5"},
        {"SELECT p.id, i.qty, i.wh.name FROM prod p, TABLE(p.inv) i ORDER BY 1, 2, 3",
         "1,5,-|1,10,Southlake|2,-,O'Hare|2,-,-"},
        {"SELECT i.wh.loc + 1 FROM prodv p, TABLE(p.inv) i WHERE i.pid = 1", "1401"},
        {"SELECT i.wh FROM prodv p, TABLE(p.inv) i WHERE i.wh.name LIKE 'O%'", "WH_T(2, 'O''Hare', NULL)"},
        // A NULL element is a row of NULLs in a VARRAY as in a nested table.
        {"SELECT COUNT(*), COUNT(i.pid) FROM prodv p, TABLE(p.inv) i", "4,3"},
        // TABLE() of a query unnests the collection its one row holds.
        {"SELECT * FROM TABLE(SELECT inv FROM prod WHERE id = 1)", "1,WH_T(1, 'Southlake', 1400),10|2,-,5"},
        {"SELECT t.wh.name FROM TABLE((SELECT inv FROM prodv WHERE id = 2)) t WHERE t.pid = 3", "O'Hare"},
        {"SELECT COUNT(*) FROM TABLE(SELECT inv FROM prod WHERE id = 3)", "0"},
        // An object holding an object is a member when every attribute is equal.
        {"SELECT p.id FROM prod p WHERE inv_t(1, wh_t(1, 'Southlake', 1400), 10) MEMBER OF p.inv", "1"},
        {"SELECT COUNT(*) FROM prodv p WHERE inv_t(1, wh_t(1, 'Southlake', 1401), 10) MEMBER OF p.inv", "0"},
        // TABLE() of a constructor: its objects are objects too.
        {"SELECT t.wh.name FROM TABLE(inv_nt(inv_t(9, wh_t(9, 'Tokyo', 1), 1))) t", "Tokyo"},
    };
    for (const Case& c : cases) EXPECT_EQ(Rows(c.sql), c.answer) << c.sql;
}

TEST_F(NestedObjectTest, AnInnerAttributeKeepsItsDeclaredWidth) {
    CEngineResult result;
    ASSERT_TRUE(m_connection->Query("SELECT i.wh.name, i.wh FROM prod p, TABLE(p.inv) i", m_binds, result));
    ASSERT_EQ(result.Columns().size(), 2u);
    EXPECT_EQ(result.Columns()[0].size, 35);
    EXPECT_EQ(result.Columns()[1].typeName, "WH_T");
}

TEST_F(NestedObjectTest, QueriesOfTableRefuseWhatTheServerRefuses) {
    const Case cases[] = {
        // More than one row from the query of TABLE(): single-row subquery returns more than one row.
        {"SELECT * FROM TABLE(SELECT inv FROM prod)", "ORA-01427"},
        // A query of no collection cannot be unnested.
        {"SELECT * FROM TABLE(SELECT id FROM prod WHERE id = 1)", "ORA-22905"},
        // An element of another object type, or no object, is refused.
        {"INSERT INTO prod VALUES (9, inv_nt(wh_t(1, 'x', 1)))", "ORA-00932"},
        {"INSERT INTO prod VALUES (9, inv_nt(inv_t(1, inv_t(1, NULL, 1), 1)))", "ORA-00932"},
        // The inner object's attributes are checked as they are for any object.
        {"INSERT INTO prod VALUES (9, inv_nt(inv_t(1, wh_t(1000, 'x', 1), 1)))", "ORA-01438"},
        {"INSERT INTO prodv VALUES (9, inv_va(inv_t(1, wh_t(1, RPAD('x', 36, 'x'), 1), 1)))", "ORA-12899"},
    };
    for (const Case& c : cases) EXPECT_EQ(Failure(c.sql).substr(0, 9), c.answer) << c.sql;
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM prod WHERE id = 9"), "0");
}

TEST_F(NestedObjectTest, BlocksStoreAndReadTheInnerObjects) {
    const BlockCase cases[] = {
        {"DECLARE l inv_nt := inv_nt(inv_t(7, wh_t(7, 'Osaka', 2), 3)); BEGIN INSERT INTO prod VALUES (7, "
         "l); "
         "END;",
         ""},
        {"DECLARE w wh_t; n VARCHAR2(35); BEGIN SELECT i.wh INTO w FROM prod p, TABLE(p.inv) i WHERE p.id = "
         "7; "
         "SELECT i.wh.name INTO n FROM prod p, TABLE(p.inv) i WHERE p.id = 7; "
         "DBMS_OUTPUT.PUT_LINE(w.id || ' ' || w.name || ' ' || n); END;",
         "7 Osaka Osaka"},
        {"DECLARE l inv_va; BEGIN SELECT inv_t(i.pid, i.wh, i.qty) BULK COLLECT INTO l FROM prodv p, "
         "TABLE(p.inv) i WHERE p.id = 1 ORDER BY i.pid; DBMS_OUTPUT.PUT_LINE(l.COUNT || ' ' || "
         "l(1).wh.name || ' ' || NVL(l(2).wh.name, '-')); END;",
         "2 Southlake -"},
    };
    for (const BlockCase& c : cases) EXPECT_EQ(OutputOf(c.block), c.answer) << c.block;
    EXPECT_EQ(Rows("SELECT p.inv FROM prod p WHERE id = 7"), "INV_NT(INV_T(7, WH_T(7, 'Osaka', 2), 3))");
}

TEST_F(NestedObjectTest, OlderRowsWithAnObjectAsTextReadAsObjects) {
    // Older files kept an element's object attribute as its constructor's text.
    Exec("COMMIT");
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(m_connection->Path().c_str(), &db), SQLITE_OK);
    const char* update =
        "UPDATE PROD SET INV = json_array(json_array(1, 'WH_T(4, ''It''''s'', NULL)', 10), "
        "json_array(2, NULL, 3)) WHERE ID = 1";
    EXPECT_EQ(sqlite3_exec(db, update, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    EXPECT_EQ(sqlite3_changes(db), 1);
    sqlite3_close(db);
    const Case cases[] = {
        {"SELECT p.inv FROM prod p WHERE id = 1",
         "INV_NT(INV_T(1, WH_T(4, 'It''s', NULL), 10), INV_T(2, NULL, 3))"},
        {"SELECT i.wh.id, i.wh.name, i.wh.loc, i.qty FROM prod p, TABLE(p.inv) i WHERE p.id = 1 ORDER BY "
         "i.pid",
         "4,It's,-,10|-,-,-,3"},
        {"SELECT i.wh FROM prod p, TABLE(p.inv) i WHERE p.id = 1 AND i.pid = 1", "WH_T(4, 'It''s', NULL)"},
    };
    for (const Case& c : cases) EXPECT_EQ(Rows(c.sql), c.answer) << c.sql;
}

// A package's function that returns a collection or an object is read in SQL
// as a stored function's is: shown as its constructor, unnested by TABLE()
// with or without brackets, an overloaded name by its number of arguments.
TEST_F(NestedObjectTest, APackagesFunctionGivesItsCollectionToSql) {
    Exec("CREATE TYPE nums AS TABLE OF NUMBER");
    Exec(
        "CREATE PACKAGE pk AS FUNCTION f RETURN nums; FUNCTION g(n NUMBER) RETURN inv_va;\n"
        "FUNCTION w RETURN wh_t; FUNCTION n RETURN NUMBER; FUNCTION f(x VARCHAR2) RETURN NUMBER; END;");
    Exec(
        "CREATE PACKAGE BODY pk AS FUNCTION f RETURN nums IS BEGIN RETURN nums(3, 1); END;\n"
        "FUNCTION g(n NUMBER) RETURN inv_va IS BEGIN RETURN inv_va(inv_t(n, wh_t(n, 'Kobe', 1), 2)); END;\n"
        "FUNCTION w RETURN wh_t IS BEGIN RETURN wh_t(7, 'Nara', NULL); END;\n"
        "FUNCTION n RETURN NUMBER IS BEGIN RETURN 0; END;\n"
        "FUNCTION f(x VARCHAR2) RETURN NUMBER IS BEGIN RETURN 5; END; END;");
    const Case cases[] = {
        {"SELECT pk.f FROM DUAL", "NUMS(3, 1)"},
        {"SELECT * FROM TABLE(pk.f) ORDER BY 1", "1|3"},
        {"SELECT COUNT(*) FROM TABLE(pk.f())", "2"},
        {"SELECT t.pid, t.wh.name FROM TABLE(pk.g(5)) t", "5,Kobe"},
        {"SELECT pk.w FROM DUAL", "WH_T(7, 'Nara', NULL)"},
        // An overloaded name is the function of as many arguments.
        {"SELECT pk.f('x') + 1 FROM DUAL", "6"},
    };
    for (const Case& c : cases) EXPECT_EQ(Rows(c.sql), c.answer) << c.sql;
    // A package the engine lacks is refused by the function's name, not
    // taken for a value that is no collection.
    EXPECT_EQ(Failure("SELECT * FROM TABLE(DBMS_XPLAN.DISPLAY)").substr(0, 9), "ORA-03001");
    EXPECT_EQ(Failure("SELECT * FROM TABLE(pk.n)").substr(0, 9), "ORA-22905");
    EXPECT_EQ(Failure("SELECT * FROM TABLE(pk.f('x'))").substr(0, 9), "ORA-22905");
}
