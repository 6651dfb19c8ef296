// The dictionary views report scripts read: what each view, trigger and
// unit depends on, the optimizer statistics of indexes, the organization and
// identity defaults of tables, and the instance's parameters.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "engine/sqlite/CViewReferences.h"
#include "tests/engine/EngineFixture.h"

namespace {

class ReportViewsTest : public OutputFixture {
protected:
    void Schema() {
        for (const char* sql :
             {"CREATE TABLE dept (deptno NUMBER PRIMARY KEY, dname VARCHAR2(20))",
              "CREATE TABLE emp (empno NUMBER PRIMARY KEY, ename VARCHAR2(20), deptno NUMBER, sal NUMBER)",
              "CREATE SEQUENCE emp_seq", "CREATE INDEX emp_dept_ix ON emp (deptno)",
              "CREATE INDEX emp_pair_ix ON emp (deptno, sal)"})
            Exec(sql);
    }
};

using References = std::vector<std::pair<std::string, std::string>>;

// What a query names in its FROM clauses, before .NEXTVAL and before an
// argument list; a column, an alias or a name after a dot is none of them.
TEST(ViewReferencesTest, NamesInFromClausesSequencesAndCalls) {
    const struct {
        const char* query;
        References expected;
    } kCases[] = {
        {"SELECT e.ename, d.dname FROM emp e, dept d WHERE e.deptno = d.deptno",
         {{"EMP", "OBJECT"}, {"DEPT", "OBJECT"}}},
        {"SELECT a, b FROM t1 JOIN t2 ON t1.k = t2.k LEFT OUTER JOIN t3 USING (k)",
         {{"T1", "OBJECT"}, {"T2", "OBJECT"}, {"T3", "OBJECT"}}},
        {"SELECT x FROM scott.emp", {{"EMP", "OBJECT"}}},
        {"SELECT \"Mixed\".a FROM \"Mixed\"", {{"Mixed", "OBJECT"}}},
        {"SELECT a, b, c FROM (SELECT a, b, c FROM inner_t) q, other_t",
         {{"INNER_T", "OBJECT"}, {"OTHER_T", "OBJECT"}}},
        {"SELECT a FROM t WHERE k IN (SELECT k FROM u) ORDER BY a, b", {{"T", "OBJECT"}, {"U", "OBJECT"}}},
        {"SELECT emp_seq.NEXTVAL, scott.s2.currval FROM dual",
         {{"EMP_SEQ", "SEQUENCE"}, {"S2", "SEQUENCE"}, {"DUAL", "OBJECT"}}},
        {"SELECT dbl(sal), pkg.f(1) FROM emp", {{"DBL", "CALL"}, {"PKG", "CALL"}, {"EMP", "OBJECT"}}},
        {"SELECT a FROM t UNION SELECT a FROM t", {{"T", "OBJECT"}}},
        {"SELECT 'FROM x' FROM y -- FROM z", {{"Y", "OBJECT"}}},
    };
    for (const auto& c : kCases) EXPECT_EQ(CViewReferences::Of(c.query), c.expected) << c.query;
}

// One row per object referenced: a view's tables and views, a function it
// calls; a unit's view (as VIEW, not TABLE) and the sequence it takes values
// of; a trigger's table. Nothing of a table that only shares a column's name.
TEST_F(ReportViewsTest, DependenciesOfViewsUnitsAndTriggers) {
    Schema();
    Exec("CREATE TABLE sal (x NUMBER)");
    Exec(
        "CREATE VIEW emp_dept AS SELECT e.ename, d.dname, e.sal FROM emp e JOIN dept d ON d.deptno = "
        "e.deptno");
    Exec("CREATE VIEW rich AS SELECT * FROM emp_dept WHERE sal > 100");
    Exec("CREATE FUNCTION dbl(n NUMBER) RETURN NUMBER IS BEGIN RETURN n * 2; END;");
    Exec("CREATE VIEW doubled AS SELECT dbl(sal) s FROM emp WHERE deptno IN (SELECT deptno FROM dept)");
    Exec(
        "CREATE PROCEDURE hire IS n NUMBER; BEGIN SELECT COUNT(*) INTO n FROM emp_dept; n := "
        "emp_seq.NEXTVAL; "
        "END;");
    Exec("CREATE TRIGGER emp_bi BEFORE INSERT ON emp FOR EACH ROW BEGIN :new.sal := NVL(:new.sal, 0); END;");
    const struct {
        const char* name;
        const char* rows;
    } kCases[] = {
        {"EMP_DEPT", "VIEW,DEPT,TABLE,HARD|VIEW,EMP,TABLE,HARD"},
        {"RICH", "VIEW,EMP_DEPT,VIEW,HARD"},
        {"DOUBLED", "VIEW,DBL,FUNCTION,HARD|VIEW,DEPT,TABLE,HARD|VIEW,EMP,TABLE,HARD"},
        {"HIRE", "PROCEDURE,EMP_DEPT,VIEW,HARD|PROCEDURE,EMP_SEQ,SEQUENCE,HARD"},
        {"EMP_BI", "TRIGGER,EMP,TABLE,HARD"},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(Rows(std::string("SELECT TYPE, REFERENCED_NAME, REFERENCED_TYPE, DEPENDENCY_TYPE FROM "
                                   "USER_DEPENDENCIES WHERE NAME = '") +
                       c.name + "' ORDER BY 2"),
                  c.rows)
            << c.name;
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM ALL_DEPENDENCIES WHERE "
                   "REFERENCED_LINK_NAME IS NULL AND NAME = 'DOUBLED'"),
              "3");
    Exec("DROP TABLE dept");
    EXPECT_EQ(Rows("SELECT REFERENCED_NAME FROM USER_DEPENDENCIES WHERE NAME = 'EMP_DEPT'"), "EMP");
}

// NULL before a gathering; then the entries whose key is not wholly NULL,
// the distinct keys and a depth of 0 for a one-page index; the statistics go
// with DELETE_TABLE_STATS.
TEST_F(ReportViewsTest, IndexStatisticsFollowTheGathering) {
    Schema();
    for (const char* row : {"1, 'A', 10, 100", "2, 'B', 10, 200", "3, 'C', 20, NULL", "4, 'D', NULL, 300",
                            "5, 'E', NULL, NULL"})
        Exec(std::string("INSERT INTO emp VALUES (") + row + ")");
    const char* kRead =
        "SELECT INDEX_NAME, NUM_ROWS, DISTINCT_KEYS, BLEVEL, LEAF_BLOCKS, CLUSTERING_FACTOR, "
        "NVL2(LAST_ANALYZED, 'Y', 'N') FROM USER_INDEXES WHERE TABLE_NAME = 'EMP' AND INDEX_NAME LIKE 'EMP%' "
        "ORDER BY 1";
    EXPECT_EQ(Rows(kRead), "EMP_DEPT_IX,-,-,-,-,-,N|EMP_PAIR_IX,-,-,-,-,-,N");
    Exec("BEGIN DBMS_STATS.GATHER_TABLE_STATS(USER, 'EMP'); END;");
    EXPECT_EQ(Rows(kRead), "EMP_DEPT_IX,3,2,0,1,1,Y|EMP_PAIR_IX,4,4,0,1,1,Y");
    EXPECT_EQ(Rows("SELECT AVG_LEAF_BLOCKS_PER_KEY, AVG_DATA_BLOCKS_PER_KEY, INDEX_TYPE, TABLE_TYPE, "
                   "TABLESPACE_NAME, PARTITIONED, TEMPORARY, VISIBILITY FROM USER_INDEXES WHERE INDEX_NAME = "
                   "'EMP_DEPT_IX'"),
              "1,1,NORMAL,TABLE,USERS,NO,N,VISIBLE");
    Exec("BEGIN DBMS_STATS.DELETE_TABLE_STATS(USER, 'EMP'); END;");
    EXPECT_EQ(Rows(kRead), "EMP_DEPT_IX,-,-,-,-,-,N|EMP_PAIR_IX,-,-,-,-,-,N");
}

// Walking an index in the table's own order meets each block once; a key
// that alternates between rows meets them again for each key.
TEST_F(ReportViewsTest, ClusteringFactorCountsTheBlocksMet) {
    Exec("CREATE TABLE big (id NUMBER PRIMARY KEY, parity NUMBER, pad VARCHAR2(400))");
    Exec("CREATE INDEX big_id_ix ON big (id, pad)");
    Exec("CREATE INDEX big_parity_ix ON big (parity)");
    Exec(
        "INSERT INTO big SELECT LEVEL, MOD(LEVEL, 2), RPAD('x', 300, 'x') FROM dual CONNECT BY LEVEL <= 400");
    Exec("ANALYZE TABLE big COMPUTE STATISTICS");
    const std::string ordered =
        Rows("SELECT CLUSTERING_FACTOR FROM USER_INDEXES WHERE INDEX_NAME = 'BIG_ID_IX'");
    const std::string alternating =
        Rows("SELECT CLUSTERING_FACTOR FROM USER_INDEXES WHERE INDEX_NAME = 'BIG_PARITY_IX'");
    const std::string blocks = Rows("SELECT BLOCKS FROM USER_TABLES WHERE TABLE_NAME = 'BIG'");
    EXPECT_GT(std::stoi(ordered), 1);
    EXPECT_LE(std::stoi(ordered), std::stoi(blocks));
    EXPECT_GE(std::stoi(alternating), 2 * std::stoi(ordered) - 1);
    EXPECT_LE(std::stoi(alternating), 400);
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM USER_INDEXES WHERE INDEX_NAME = 'BIG_ID_IX' AND BLEVEL > 0 AND "
                   "LEAF_BLOCKS > 1"),
              "1");
}

// An identity column's default is its sequence's next value, named with
// the owner; its length is that text's.
TEST_F(ReportViewsTest, IdentityColumnDefaultNamesItsSequence) {
    Exec("CREATE TABLE idt (id NUMBER GENERATED ALWAYS AS IDENTITY, v VARCHAR2(10) DEFAULT 'x')");
    const std::string sequence =
        Rows("SELECT SEQUENCE_NAME FROM USER_SEQUENCES WHERE SEQUENCE_NAME LIKE 'ISEQ$$%'");
    const std::string user = Rows("SELECT USER FROM dual");
    const std::string text = (user == "-" ? "" : "\"" + user + "\".") + "\"" + sequence + "\".nextval";
    EXPECT_EQ(Rows("SELECT COLUMN_NAME, DATA_DEFAULT, DEFAULT_LENGTH, IDENTITY_COLUMN FROM USER_TAB_COLUMNS "
                   "WHERE TABLE_NAME = 'IDT' ORDER BY COLUMN_ID"),
              "ID," + text + "," + std::to_string(text.size()) + ",YES|V,'x',3,NO");
}

// The parameters report scripts read, at the server's defaults where the
// engine has no setting of its own.
TEST_F(ReportViewsTest, ParametersReportScriptsRead) {
    const struct {
        const char* name;
        const char* row;
    } kCases[] = {
        {"open_cursors", "50,3,TRUE"},      {"processes", "100,3,TRUE"},
        {"sessions", "172,3,TRUE"},         {"compatible", "19.0.0,2,TRUE"},
        {"cursor_sharing", "EXACT,2,TRUE"}, {"optimizer_mode", "ALL_ROWS,2,TRUE"},
        {"undo_retention", "900,3,TRUE"},   {"sga_target", "0,6,TRUE"},
        {"memory_target", "0,6,TRUE"},      {"nls_length_semantics", "BYTE,2,TRUE"},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(
            Rows(std::string("SELECT VALUE, TYPE, ISDEFAULT FROM V$PARAMETER WHERE NAME = '") + c.name + "'"),
            c.row)
            << c.name;
        EXPECT_EQ(Rows(std::string("SELECT COUNT(*) FROM V$SPPARAMETER WHERE NAME = '") + c.name + "'"), "1")
            << c.name;
    }
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM V$PARAMETER WHERE NAME = 'db_block_size' AND VALUE > 0"), "1");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM V$PARAMETER GROUP BY NAME HAVING COUNT(*) > 1"), "");
}

}  // namespace
