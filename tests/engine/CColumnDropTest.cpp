// ALTER TABLE ... DROP COLUMN, SET UNUSED and RENAME COLUMN under the
// objects that depend on the table: the indexes that use a dropped column
// go, and so do the constraints over dropped columns alone; a constraint
// over columns that stay (ORA-12991) and a key another foreign key refers
// to (ORA-12992) refuse the drop unless CASCADE CONSTRAINTS, which drops
// them too. The views and stored units that use the table become INVALID
// and compile again on their next use, where they still can.
#include "tests/engine/EngineFixture.h"

namespace {

class CColumnDropTest : public EngineFixture {
protected:
    void MakeTables() {
        Failure("DROP TABLE ch");
        Failure("DROP TABLE p");
        Exec(
            "CREATE TABLE p (id NUMBER CONSTRAINT p_pk PRIMARY KEY, k NUMBER CONSTRAINT p_k UNIQUE, "
            "a NUMBER CONSTRAINT p_a_nn NOT NULL CONSTRAINT p_a_ck CHECK (a > 0), b NUMBER, c NUMBER, "
            "d NUMBER, CONSTRAINT p_ab CHECK (a < b), CONSTRAINT p_bc UNIQUE (b, c))");
        Exec(
            "CREATE TABLE ch (x NUMBER CONSTRAINT ch_x REFERENCES p, y NUMBER, "
            "CONSTRAINT ch_y FOREIGN KEY (y) REFERENCES p (k))");
        Exec("INSERT INTO p VALUES (1, 1, 1, 2, 3, 4)");
        Exec("INSERT INTO ch VALUES (1, 1)");
        Exec("COMMIT");
    }
    std::string Constraints() {
        return Rows(
            "SELECT constraint_name FROM user_constraints WHERE table_name IN ('P', 'CH') ORDER BY 1");
    }
    std::string Status(const std::string& name) {
        return Rows("SELECT status FROM user_objects WHERE object_name = '" + name + "'");
    }
};

constexpr const char* kAll = "CH_X|CH_Y|P_AB|P_A_CK|P_A_NN|P_BC|P_K|P_PK";

struct DropCase {
    const char* sql;
    const char* outcome;      // "OK" or the start of the error
    const char* constraints;  // those left on P and CH
};

TEST_F(CColumnDropTest, ConstraintsGoWithTheirColumnsOrRefuseTheDrop) {
    const DropCase cases[] = {
        {"ALTER TABLE p DROP COLUMN d", "OK", kAll},
        {"ALTER TABLE p DROP COLUMN a", "ORA-12991", kAll},
        {"ALTER TABLE p DROP COLUMN a CASCADE CONSTRAINTS", "OK", "CH_X|CH_Y|P_BC|P_K|P_PK"},
        {"ALTER TABLE p DROP (a, b)", "ORA-12991", kAll},
        {"ALTER TABLE p DROP (a, b, c)", "OK", "CH_X|CH_Y|P_K|P_PK"},
        {"ALTER TABLE p DROP COLUMN k", "ORA-12992", kAll},
        {"ALTER TABLE p DROP COLUMN k CASCADE CONSTRAINTS", "OK", "CH_X|P_AB|P_A_CK|P_A_NN|P_BC|P_PK"},
        {"ALTER TABLE p DROP COLUMN id", "ORA-12992", kAll},
        {"ALTER TABLE p DROP COLUMN id CASCADE CONSTRAINTS INVALIDATE", "OK",
         "CH_Y|P_AB|P_A_CK|P_A_NN|P_BC|P_K"},
        {"ALTER TABLE ch DROP COLUMN y", "OK", "CH_X|P_AB|P_A_CK|P_A_NN|P_BC|P_K|P_PK"},
        {"ALTER TABLE p SET UNUSED COLUMN a", "ORA-12991", kAll},
        {"ALTER TABLE p SET UNUSED (a) CASCADE CONSTRAINTS", "OK", "CH_X|CH_Y|P_BC|P_K|P_PK"},
        {"ALTER TABLE p DROP COLUMN nosuch", "ORA-00904", kAll},
        {"ALTER TABLE p DROP (id, k, a, b, c, d)", "ORA-12983", kAll},
    };
    for (const DropCase& c : cases) {
        MakeTables();
        EXPECT_EQ(Failure(c.sql).substr(0, std::string(c.outcome).size()), c.outcome) << c.sql;
        EXPECT_EQ(Constraints(), c.constraints) << c.sql;
        EXPECT_EQ(Rows("SELECT COUNT(*) FROM p JOIN ch ON 1 = 1"), "1") << c.sql;
    }
}

TEST_F(CColumnDropTest, WhatStaysStillHoldsItsRows) {
    MakeTables();
    Exec("ALTER TABLE p DROP COLUMN a CASCADE CONSTRAINTS");
    EXPECT_EQ(Rows("SELECT * FROM p"), "1,1,2,3,4");
    // The keys that stay still refuse what they refused.
    EXPECT_NE(Failure("INSERT INTO p VALUES (2, 1, 5, 6, 7)").find("ORA-00001"), std::string::npos);
    EXPECT_NE(Failure("INSERT INTO ch VALUES (9, NULL)").find("ORA-02291"), std::string::npos);
    // A key over a dropped column no longer refuses.
    Exec("INSERT INTO p VALUES (2, 2, 5, 6, 7)");
    EXPECT_NE(Failure("INSERT INTO p VALUES (3, 3, 5, 6, 8)").find("ORA-00001"), std::string::npos);
    Exec("ALTER TABLE p DROP COLUMN c CASCADE CONSTRAINTS");
    Exec("INSERT INTO p VALUES (3, 3, 5, 8)");
    EXPECT_EQ(Rows("SELECT * FROM p ORDER BY id"), "1,1,2,4|2,2,5,7|3,3,5,8");
}

TEST_F(CColumnDropTest, IndexesThatUseADroppedColumnGo) {
    Exec("CREATE TABLE t (id NUMBER PRIMARY KEY, a NUMBER, b NUMBER, c VARCHAR2(5), d VARCHAR2(5))");
    Exec("INSERT INTO t VALUES (1, 2, 3, 'x', 'y')");
    Exec("CREATE INDEX t_a ON t (a)");
    Exec("CREATE INDEX t_cb ON t (c, b)");
    Exec("CREATE INDEX t_lo ON t (LOWER(c))");
    Exec("CREATE INDEX t_up ON t (UPPER(d))");
    const std::string indexes =
        "SELECT index_name FROM user_indexes WHERE index_name IN ('T_A', 'T_CB', 'T_LO', 'T_UP') ORDER BY 1";
    Exec("ALTER TABLE t DROP COLUMN a");
    EXPECT_EQ(Rows(indexes), "T_CB|T_LO|T_UP");
    Exec("ALTER TABLE t DROP COLUMN c");
    EXPECT_EQ(Rows(indexes), "T_UP");
    EXPECT_EQ(Rows("SELECT * FROM t"), "1,3,y");
    // The name of an index that went is free again.
    Exec("CREATE INDEX t_a ON t (b)");
}

TEST_F(CColumnDropTest, AColumnAVirtualColumnReadsGoesOnlyWithIt) {
    Exec("CREATE TABLE t (id NUMBER, a NUMBER, v AS (a * 2))");
    Exec("INSERT INTO t (id, a) VALUES (1, 2)");
    EXPECT_EQ(Failure("ALTER TABLE t DROP COLUMN a").substr(0, 9), "ORA-54031");
    EXPECT_EQ(Rows("SELECT * FROM t"), "1,2,4");
    Exec("ALTER TABLE t DROP (a, v)");
    EXPECT_EQ(Rows("SELECT * FROM t"), "1");
}

TEST_F(CColumnDropTest, ViewsOfTheTableAreInvalidUntilTheirNextUse) {
    Exec("CREATE TABLE t (id NUMBER PRIMARY KEY, a NUMBER, b NUMBER, c VARCHAR2(5))");
    Exec("INSERT INTO t VALUES (1, 2, 3, 'x')");
    Exec("CREATE INDEX t_a ON t (a)");
    Exec("CREATE VIEW v AS SELECT id, b FROM t");
    Exec("CREATE VIEW w AS SELECT id, c FROM t");
    Exec("CREATE VIEW w2 AS SELECT c FROM w");
    Exec("CREATE VIEW other AS SELECT 1 AS one FROM dual");
    Exec("ALTER TABLE t DROP COLUMN a");
    for (const char* view : {"V", "W", "W2"}) EXPECT_EQ(Status(view), "INVALID") << view;
    EXPECT_EQ(Status("OTHER"), "VALID");
    // A view over another compiles both again.
    EXPECT_EQ(Rows("SELECT * FROM w2"), "x");
    EXPECT_EQ(Status("W2"), "VALID");
    EXPECT_EQ(Status("W"), "VALID");
    EXPECT_EQ(Status("V"), "INVALID");
    EXPECT_EQ(Rows("SELECT * FROM v"), "1,3");
    EXPECT_EQ(Status("V"), "VALID");
    // A view that reads the dropped column has errors.
    Exec("ALTER TABLE t DROP COLUMN b");
    EXPECT_EQ(Rows("SELECT * FROM v"), "ERROR ORA-04063: view V にエラーがあります。");
    EXPECT_EQ(Status("V"), "INVALID");
    EXPECT_EQ(Failure("ALTER VIEW v COMPILE"), "警告: コンパイル・エラーがあります。");
    EXPECT_EQ(Rows("SELECT text FROM user_views WHERE view_name = 'V'"), "SELECT id, b FROM t");
    EXPECT_EQ(Status("W"), "INVALID");
    EXPECT_EQ(Failure("ALTER VIEW w COMPILE"), "OK");
    EXPECT_EQ(Status("W"), "VALID");
    EXPECT_EQ(Rows("SELECT * FROM w"), "1,x");
    // Once the column is back, the view compiles again.
    Exec("ALTER TABLE t ADD (b NUMBER)");
    EXPECT_EQ(Rows("SELECT * FROM v"), "1,-");
    EXPECT_EQ(Rows("SELECT * FROM t"), "1,x,-");
}

TEST_F(CColumnDropTest, ARefusedDropLeavesTheViewsValid) {
    MakeTables();
    Exec("CREATE VIEW pv AS SELECT id, a FROM p");
    EXPECT_NE(Failure("ALTER TABLE p DROP COLUMN a").find("ORA-12991"), std::string::npos);
    EXPECT_EQ(Status("PV"), "VALID");
    EXPECT_EQ(Rows("SELECT * FROM pv"), "1,1");
}

TEST_F(CColumnDropTest, RenamedColumnInvalidatesTheViewsThatReadIt) {
    Exec("CREATE TABLE t (id NUMBER PRIMARY KEY, a NUMBER CHECK (a > 0), b NUMBER)");
    Exec("INSERT INTO t VALUES (1, 2, 3)");
    Exec("CREATE INDEX t_a ON t (a)");
    Exec("CREATE VIEW v AS SELECT id, a FROM t");
    Exec("CREATE VIEW w AS SELECT id, b FROM t");
    Exec("ALTER TABLE t RENAME COLUMN a TO a2");
    EXPECT_EQ(Status("V"), "INVALID");
    EXPECT_EQ(Status("W"), "INVALID");
    EXPECT_EQ(Rows("SELECT * FROM v"), "ERROR ORA-04063: view V にエラーがあります。");
    EXPECT_EQ(Rows("SELECT * FROM w"), "1,3");
    EXPECT_EQ(Status("W"), "VALID");
    // The index and the CHECK follow the column.
    EXPECT_EQ(Rows("SELECT column_name FROM user_ind_columns WHERE index_name = 'T_A'"), "A2");
    EXPECT_NE(Failure("INSERT INTO t VALUES (2, -1, 0)").find("ORA-02290"), std::string::npos);
}

TEST_F(CColumnDropTest, StoredUnitsOfTheTableCompileAgainWhenCalled) {
    Exec("CREATE TABLE t (id NUMBER, a NUMBER, b NUMBER)");
    Exec("INSERT INTO t VALUES (1, 2, 3)");
    Exec("CREATE OR REPLACE PROCEDURE pr AS n NUMBER; BEGIN SELECT COUNT(*) INTO n FROM t; END;");
    Exec(
        "CREATE OR REPLACE FUNCTION fb RETURN NUMBER AS n NUMBER; BEGIN SELECT b INTO n FROM t; RETURN n; "
        "END;");
    EXPECT_EQ(Status("PR"), "VALID");
    Exec("ALTER TABLE t DROP COLUMN a");
    EXPECT_EQ(Status("PR"), "INVALID");
    EXPECT_EQ(Status("FB"), "INVALID");
    Exec("BEGIN pr; END;");
    EXPECT_EQ(Status("PR"), "VALID");
    EXPECT_EQ(Rows("SELECT fb() FROM dual"), "3");
}

}  // namespace
