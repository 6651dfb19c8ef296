// RETURNING ... INTO of INSERT, UPDATE and DELETE whose table has an alias
// (or whose columns are qualified by the table's name): in static SQL of a
// block, in EXECUTE IMMEDIATE with RETURNING INTO, BULK COLLECT or OUT
// arguments, and into the console's bind variables.
#include <gtest/gtest.h>

#include <string>

#include "engine/EngineTypes.h"
#include "tests/engine/EngineFixture.h"

namespace {

class ReturningAliasTest : public OutputFixture {
protected:
    void SetUp() override {
        OutputFixture::SetUp();
        Exec("CREATE TABLE t (id NUMBER PRIMARY KEY, v NUMBER, s VARCHAR2(10))");
        Exec("INSERT INTO t VALUES (1, 10, 'one')");
        Exec("INSERT INTO t VALUES (2, 20, 'two')");
        Exec("INSERT INTO t VALUES (3, 30, 'three')");
        Exec("COMMIT");
    }
};

}  // namespace

TEST_F(ReturningAliasTest, BlocksReadTheRowsThroughTheAlias) {
    const BlockCase cases[] = {
        {"DECLARE a NUMBER; BEGIN UPDATE t x SET x.v = x.v + 1 WHERE x.id = 1 RETURNING x.v INTO a; "
         "dbms_output.put_line(a); END;",
         "11"},
        {"DECLARE a NUMBER; b VARCHAR2(10); BEGIN DELETE FROM t x WHERE x.id = 2 RETURNING x.v, x.s INTO a, "
         "b; "
         "dbms_output.put_line(a || b); END;",
         "20two"},
        {"DECLARE a NUMBER; BEGIN UPDATE t SET v = 5 WHERE id = 3 RETURNING t.v * 2 INTO a; "
         "dbms_output.put_line(a); END;",
         "10"},
        {"DECLARE a NUMBER; BEGIN EXECUTE IMMEDIATE 'UPDATE t x SET x.v = :1 WHERE x.id = :2 "
         "RETURNING x.v * 2 INTO :3' USING 7, 1 RETURNING INTO a; dbms_output.put_line(a); END;",
         "14"},
        {"DECLARE a NUMBER; BEGIN EXECUTE IMMEDIATE 'UPDATE t x SET x.v = 8 WHERE x.id = :1 "
         "RETURNING x.v INTO :2' USING 1, OUT a; dbms_output.put_line(a); END;",
         "8"},
        {"DECLARE TYPE nt IS TABLE OF VARCHAR2(10); a nt; BEGIN EXECUTE IMMEDIATE 'DELETE FROM t x "
         "WHERE x.id > :1 RETURNING x.s INTO :2' USING 1 RETURNING BULK COLLECT INTO a; "
         "dbms_output.put_line(a.COUNT || a(1) || a(2) || SQL%ROWCOUNT); END;",
         "2twothree2"},
        // An UPDATE that touches no row raises nothing.
        {"DECLARE a NUMBER; BEGIN EXECUTE IMMEDIATE 'UPDATE t x SET x.v = 0 WHERE x.id = 99 "
         "RETURNING x.v INTO :1' RETURNING INTO a; dbms_output.put_line(SQL%ROWCOUNT); END;",
         "0"},
    };
    for (const BlockCase& c : cases) {
        EXPECT_EQ(OutputOf(c.block), c.answer) << c.block;
        Exec("ROLLBACK");
    }
    // A qualifier that names neither the table nor its alias is no column.
    EXPECT_NE(
        OutputOf("DECLARE a NUMBER; BEGIN UPDATE t x SET x.v = 1 WHERE x.id = 1 RETURNING y.v INTO a; END;")
            .find("ORA-00904"),
        std::string::npos);
    EXPECT_EQ(Rows("SELECT v FROM t ORDER BY id"), "10|20|30");
}

TEST_F(ReturningAliasTest, TheConsolesBindVariableTakesTheAliasedColumn) {
    m_binds = {CEngineBind{"B", "", true, servertype::kNumber, false, 22}};
    EXPECT_EQ(OutputOf("UPDATE t x SET x.v = x.v * 3 WHERE x.id = 2 RETURNING x.v INTO :b"), "");
    EXPECT_EQ(m_binds[0].value, "60");
    EXPECT_EQ(Rows("SELECT v FROM t WHERE id = 2"), "60");
}
