// CREATE TABLE t (columns with constraints) AS query: the names take their
// constraints and the query's types; the copied rows are checked against the
// constraints, and a row they refuse leaves no table.
#include "tests/engine/EngineFixture.h"

namespace {

class CAsSelectConstraintTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        Exec("CREATE TABLE emp (empno NUMBER(4), ename VARCHAR2(10 CHAR), sal NUMBER(7,2), hired DATE)");
        Exec("INSERT INTO emp VALUES (1, 'KING', 5000, DATE '1981-11-17')");
        Exec("INSERT INTO emp VALUES (2, 'SCOTT', NULL, NULL)");
        Exec("COMMIT");
    }
};

TEST_F(CAsSelectConstraintTest, ConstraintsOfTheListAreMadeAndKept) {
    Exec("CREATE TABLE t (id PRIMARY KEY, name NOT NULL) AS SELECT empno, ename FROM emp");
    EXPECT_EQ(Rows("SELECT * FROM t ORDER BY id"), "1,KING|2,SCOTT");
    EXPECT_EQ(Rows("SELECT CONSTRAINT_TYPE FROM USER_CONSTRAINTS WHERE TABLE_NAME = 'T' ORDER BY 1"), "C|P");
    EXPECT_EQ(Failure("INSERT INTO t VALUES (1, 'X')").substr(0, 9), "ORA-00001");
    EXPECT_EQ(Failure("INSERT INTO t VALUES (3, NULL)").substr(0, 9), "ORA-01400");
    Exec(
        "CREATE TABLE t2 (a, b, s, CONSTRAINT t2_pk PRIMARY KEY (a), CONSTRAINT t2_ck CHECK (s > 0)) AS "
        "SELECT empno, ename, sal FROM emp");
    EXPECT_EQ(Rows("SELECT CONSTRAINT_NAME, CONSTRAINT_TYPE FROM USER_CONSTRAINTS WHERE TABLE_NAME = 'T2' "
                   "ORDER BY 1"),
              "T2_CK,C|T2_PK,P");
    EXPECT_EQ(Failure("INSERT INTO t2 VALUES (5, 'X', -1)"),
              "ORA-02290: チェック制約 T2_CK に違反しました。");
    Exec("CREATE TABLE t3 (a REFERENCES t (id), b) AS SELECT empno, ename FROM emp");
    EXPECT_EQ(Rows("SELECT CONSTRAINT_TYPE, R_CONSTRAINT_NAME FROM USER_CONSTRAINTS WHERE TABLE_NAME = 'T3'"),
              Rows("SELECT 'R', CONSTRAINT_NAME FROM USER_CONSTRAINTS WHERE TABLE_NAME = 'T' AND "
                   "CONSTRAINT_TYPE = 'P'"));
}

// The columns are of the types of the columns they copy, as with no constraints.
TEST_F(CAsSelectConstraintTest, ColumnsTakeTheTypesTheyCopy) {
    Exec(
        "CREATE TABLE typed (id NUMBER(6), nm VARCHAR2(10 CHAR), r RAW(8), iv INTERVAL DAY(2) TO SECOND(3), "
        "ts TIMESTAMP(3) WITH TIME ZONE, ym INTERVAL YEAR(3) TO MONTH, n NUMBER(*,2), c CHAR(3), d DATE)");
    Exec("CREATE TABLE plain AS SELECT * FROM typed");
    Exec("CREATE TABLE keyed (id PRIMARY KEY, nm, r, iv, ts, ym, n, c, d) AS SELECT * FROM typed");
    const std::string columns =
        "SELECT COLUMN_NAME, DATA_TYPE, DATA_LENGTH, DATA_PRECISION, DATA_SCALE, CHAR_USED FROM "
        "USER_TAB_COLUMNS WHERE TABLE_NAME = '%' AND COLUMN_NAME <> 'TS' ORDER BY COLUMN_ID";
    auto of = [&](const std::string& table) {
        std::string sql = columns;
        return Rows(sql.replace(sql.find('%'), 1, table));
    };
    EXPECT_EQ(of("KEYED"), of("PLAIN"));
    EXPECT_EQ(Rows("SELECT DATA_TYPE, DATA_SCALE FROM USER_TAB_COLUMNS WHERE TABLE_NAME = 'KEYED' AND "
                   "COLUMN_NAME IN ('TS', 'IV') ORDER BY 1"),
              "INTERVAL DAY(2) TO SECOND(3),3|TIMESTAMP(3) WITH TIME ZONE,3");
}

TEST_F(CAsSelectConstraintTest, ARowTheConstraintsRefuseLeavesNoTable) {
    struct Case {
        const char* sql;
        const char* error;
    } cases[] = {
        {"CREATE TABLE t (a, b, s CONSTRAINT t_s_nn NOT NULL) AS SELECT empno, ename, sal FROM emp",
         "ORA-01400"},
        {"CREATE TABLE t (a CONSTRAINT t_u UNIQUE, b) AS SELECT 1, ename FROM emp",
         "ORA-00001: 一意制約 T_U に違反する値です。"},
        {"CREATE TABLE t (a, b, CONSTRAINT t_ck CHECK (a < 2)) AS SELECT empno, ename FROM emp",
         "ORA-02290: チェック制約 T_CK に違反しました。"},
        {"CREATE TABLE t (a PRIMARY KEY, b) AS SELECT 7, ename FROM emp", "ORA-00001"},
        {"CREATE TABLE t (a PRIMARY KEY, b) AS SELECT empno FROM emp", "ORA-01730"},
        {"CREATE TABLE t (a REFERENCES emp_none, b) AS SELECT empno, ename FROM emp", "ORA-00942"},
    };
    for (const Case& c : cases) {
        std::string answer = Failure(c.sql);
        EXPECT_EQ(answer.substr(0, std::string(c.error).size()), c.error) << c.sql;
        EXPECT_EQ(Rows("SELECT COUNT(*) FROM USER_OBJECTS WHERE OBJECT_NAME = 'T'"), "0") << c.sql;
        EXPECT_EQ(Rows("SELECT COUNT(*) FROM USER_CONSTRAINTS WHERE TABLE_NAME = 'T'"), "0") << c.sql;
    }
}

}  // namespace
