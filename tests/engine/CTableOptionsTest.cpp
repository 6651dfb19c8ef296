// ALTER TABLE's physical clauses and READ ONLY, and ALTER INDEX, on the
// embedded engine: what the dictionary shows and what DML may then do.
#include <gtest/gtest.h>

#include <vector>

#include "engine/sqlite/CTableOptions.h"
#include "tests/engine/EngineFixture.h"

namespace {

// The settings the clauses after "ALTER TABLE t " make, "column=value" joined
// by ","; "FAIL@n" with the token of a clause not understood.
std::string TableSettings(const std::string& clauses, bool index = false) {
    std::string sql = "ALTER TABLE t " + clauses;
    auto tokens = CSqlScanner::Significant(sql);
    std::vector<CTableOptions::Setting> settings;
    std::size_t failAt = 0;
    bool ok = index ? CTableOptions::ReadIndexClauses(sql, tokens, 3, settings, failAt)
                    : CTableOptions::ReadTableClauses(sql, tokens, 3, settings, failAt);
    if (!ok) return "FAIL@" + std::to_string(failAt);
    std::string out;
    for (const auto& s : settings) out += (out.empty() ? "" : ",") + std::string(s.column) + "=" + s.value;
    return out;
}

TEST(CTableOptionsClauses, ClausesSetWhatTheDictionaryShows) {
    struct Case {
        const char* clauses;
        bool index;
        const char* settings;
    };
    const Case cases[] = {
        {"NOLOGGING", false, "LOGGING=NO"},
        {"LOGGING PARALLEL 4", false, "LOGGING=YES,DEGREE=4"},
        {"PARALLEL", false, "DEGREE=DEFAULT"},
        {"PARALLEL (DEGREE 8) NOCACHE", false, "DEGREE=8,CACHE=N"},
        {"MOVE TABLESPACE users COMPRESS", false, "COMPRESSION=ENABLED"},
        {"MOVE ONLINE ROW STORE COMPRESS ADVANCED UPDATE INDEXES", false, "COMPRESSION=ENABLED"},
        {"COMPRESS FOR OLTP", false, "COMPRESSION=ENABLED"},
        {"SHRINK SPACE CASCADE", false, ""},
        {"PCTFREE 20 STORAGE (INITIAL 64K NEXT 1M) NOCOMPRESS", false, "PCT_FREE=20,COMPRESSION=DISABLED"},
        {"READ ONLY;", false, "READ_ONLY=YES"},
        {"READ WRITE", false, "READ_ONLY=NO"},
        {"PCTFREE", false, "FAIL@4"},
        {"NOLOGGING BOGUS", false, "FAIL@4"},
        {"ADD (x NUMBER)", false, "FAIL@3"},
        {"STORAGE (INITIAL 1", false, "FAIL@4"},
        {"REBUILD ONLINE NOLOGGING PARALLEL 2", true, "STATUS=VALID,LOGGING=NO,DEGREE=2"},
        {"UNUSABLE", true, "STATUS=UNUSABLE"},
        {"INVISIBLE", true, "VISIBILITY=INVISIBLE"},
        {"MONITORING USAGE", true, "MONITORING=YES"},
        {"COALESCE CLEANUP", true, ""},
        {"READ ONLY", true, "FAIL@3"},
    };
    for (const Case& c : cases) EXPECT_EQ(TableSettings(c.clauses, c.index), c.settings) << c.clauses;
}

class CTableOptionsTest : public EngineFixture {
protected:
    std::string Code(const std::string& sql) {
        std::string outcome = Failure(sql);
        return outcome == "OK" ? outcome : outcome.substr(0, 9);
    }
};

TEST_F(CTableOptionsTest, PhysicalClausesChangeOnlyTheDictionary) {
    Exec("CREATE TABLE log_t (id NUMBER, msg VARCHAR2(10))");
    Exec("INSERT INTO log_t VALUES (1, 'a')");
    Exec("ALTER TABLE log_t NOLOGGING PARALLEL 4 CACHE");
    Exec("ALTER TABLE log_t MOVE TABLESPACE users COMPRESS PCTFREE 5");
    Exec("ALTER TABLE log_t SHRINK SPACE CASCADE");
    EXPECT_EQ(Rows("SELECT LOGGING || '|' || DEGREE || '|' || CACHE || '|' || COMPRESSION || '|' || PCT_FREE "
                   "|| '|' || READ_ONLY FROM USER_TABLES WHERE TABLE_NAME = 'LOG_T'"),
              "NO|         4|    Y|ENABLED|5|NO");
    EXPECT_EQ(Rows("SELECT * FROM log_t"), "1,a");
    EXPECT_EQ(Code("ALTER TABLE log_t NOLOGGING FOO"), "ORA-01735");
    EXPECT_EQ(Code("ALTER TABLE nowhere NOLOGGING"), "ORA-00942");
    // The options follow a renamed table and go with a dropped one.
    Exec("RENAME log_t TO log_u");
    EXPECT_EQ(Rows("SELECT LOGGING FROM USER_TABLES WHERE TABLE_NAME = 'LOG_U'"), "NO");
    Exec("DROP TABLE log_u");
    Exec("CREATE TABLE log_u (id NUMBER)");
    EXPECT_EQ(Rows("SELECT LOGGING || DEGREE FROM USER_TABLES WHERE TABLE_NAME = 'LOG_U'"), "YES         1");
}

TEST_F(CTableOptionsTest, ReadOnlyTablesRefuseDml) {
    Exec("CREATE TABLE fixed (id NUMBER, v VARCHAR2(5))");
    Exec("INSERT INTO fixed VALUES (1, 'a')");
    Exec("ALTER TABLE fixed READ ONLY");
    EXPECT_EQ(Rows("SELECT READ_ONLY FROM USER_TABLES WHERE TABLE_NAME = 'FIXED'"), "YES");
    for (const char* dml :
         {"INSERT INTO fixed VALUES (2, 'b')", "UPDATE fixed SET v = 'c'", "DELETE FROM fixed",
          "MERGE INTO fixed f USING dual ON (f.id = 1) WHEN MATCHED THEN UPDATE SET f.v = 'd'"})
        EXPECT_EQ(Code(dml), "ORA-12081") << dml;
    EXPECT_NE(Failure("DELETE FROM fixed").find("\"FIXED\""), std::string::npos)
        << Failure("DELETE FROM fixed");
    // Note: a block's statements are compiled with the block.
    EXPECT_NE(Failure("BEGIN INSERT INTO fixed VALUES (3, 'e'); END;").find("ORA-12081"), std::string::npos);
    EXPECT_EQ(Code("TRUNCATE TABLE fixed"), "ORA-12081");
    EXPECT_EQ(Rows("SELECT * FROM fixed"), "1,a");
    Exec("ALTER TABLE fixed READ WRITE");
    Exec("UPDATE fixed SET v = 'z'");
    EXPECT_EQ(Rows("SELECT * FROM fixed"), "1,z");
}

TEST_F(CTableOptionsTest, ReadOnlyTablesRefuseChangesOfColumnsButNotOfConstraintsOrIndexes) {
    Exec("CREATE TABLE archive (id NUMBER, v VARCHAR2(5), old NUMBER)");
    Exec("INSERT INTO archive VALUES (1, 'a', 0)");
    Exec("ALTER TABLE archive READ ONLY");
    struct Case {
        const char* clause;
        const char* code;
    };
    // Changes of columns and rows are refused; those of constraints, indexes,
    // physical attributes and names are taken.
    const Case cases[] = {
        {"ADD (extra NUMBER)", "ORA-12081"},
        {"ADD extra NUMBER DEFAULT 0", "ORA-12081"},
        {"MODIFY (v VARCHAR2(20))", "ORA-12081"},
        {"MODIFY v DEFAULT 'x'", "ORA-12081"},
        {"DROP COLUMN old", "ORA-12081"},
        {"DROP (old)", "ORA-12081"},
        {"RENAME COLUMN v TO w", "ORA-12081"},
        {"SET UNUSED (old)", "ORA-12081"},
        {"ADD CONSTRAINT archive_pk PRIMARY KEY (id)", "OK"},
        {"ADD (CONSTRAINT archive_v_ck CHECK (v IS NOT NULL))", "OK"},
        {"DISABLE CONSTRAINT archive_v_ck", "OK"},
        {"MODIFY CONSTRAINT archive_v_ck ENABLE", "OK"},
        {"DROP CONSTRAINT archive_v_ck", "OK"},
        {"NOLOGGING PARALLEL 2", "OK"},
        {"RENAME TO archive_old", "OK"},
    };
    for (const Case& c : cases) {
        std::string table = Rows("SELECT table_name FROM user_tables WHERE table_name LIKE 'ARCHIVE%'");
        EXPECT_EQ(Code("ALTER TABLE " + table + " " + c.clause), c.code) << c.clause;
    }
    Exec("CREATE INDEX archive_v ON archive_old (v)");
    EXPECT_EQ(Rows("SELECT * FROM archive_old"), "1,a,0");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM user_tab_columns WHERE table_name = 'ARCHIVE_OLD'"), "3");
    EXPECT_NE(Failure("ALTER TABLE archive_old ADD (x NUMBER)").find("\"ARCHIVE_OLD\""), std::string::npos);
    EXPECT_EQ(Code("ALTER TABLE archive_old READ ONLY"), "ORA-14139");
    Exec("ALTER TABLE archive_old READ WRITE");
    EXPECT_EQ(Code("ALTER TABLE archive_old READ WRITE"), "ORA-14140");
    Exec("ALTER TABLE archive_old ADD (extra NUMBER)");
    Exec("ALTER TABLE archive_old READ ONLY");
    Exec("DROP TABLE archive_old");
}

TEST_F(CTableOptionsTest, AlterIndexStatesShowAndUnusableUniqueIndexesStopDml) {
    Exec("CREATE TABLE emp (id NUMBER, name VARCHAR2(10), dept NUMBER)");
    Exec("INSERT INTO emp VALUES (1, 'a', 10)");
    Exec("CREATE UNIQUE INDEX emp_name ON emp (name)");
    Exec("CREATE INDEX emp_dept ON emp (dept)");
    Exec("ALTER INDEX emp_dept REBUILD ONLINE NOLOGGING PARALLEL 2");
    Exec("ALTER INDEX emp_dept INVISIBLE");
    Exec("ALTER INDEX emp_dept MONITORING USAGE");
    Exec("ALTER INDEX emp_dept COALESCE");
    Exec("ALTER INDEX emp_dept COMPUTE STATISTICS");
    EXPECT_EQ(
        Rows("SELECT INDEX_NAME || ' ' || LOGGING || ' ' || STATUS || ' ' || DEGREE || ' ' || VISIBILITY "
             "FROM USER_INDEXES WHERE TABLE_NAME = 'EMP' ORDER BY 1"),
        "EMP_DEPT NO VALID 2 INVISIBLE|EMP_NAME YES VALID 1 VISIBLE");
    // An invisible or unusable index still answers queries rightly.
    EXPECT_EQ(Rows("SELECT name FROM emp WHERE dept = 10"), "a");
    Exec("ALTER INDEX emp_dept UNUSABLE");
    Exec("INSERT INTO emp VALUES (2, 'b', 10)");
    Exec("ALTER INDEX emp_name UNUSABLE");
    EXPECT_EQ(Code("INSERT INTO emp VALUES (3, 'c', 20)"), "ORA-01502");
    EXPECT_EQ(Code("UPDATE emp SET dept = 30"), "ORA-01502");
    EXPECT_EQ(Rows("SELECT STATUS FROM USER_INDEXES WHERE INDEX_NAME = 'EMP_NAME'"), "UNUSABLE");
    Exec("ALTER INDEX emp_name REBUILD");
    Exec("INSERT INTO emp VALUES (3, 'c', 20)");
    EXPECT_EQ(Code("INSERT INTO emp VALUES (4, 'c', 20)"), "ORA-00001");
    // RENAME keeps the index, its options and its uniqueness.
    Exec("ALTER INDEX emp_dept RENAME TO emp_by_dept");
    EXPECT_EQ(
        Rows("SELECT INDEX_NAME || ' ' || STATUS || ' ' || VISIBILITY FROM USER_INDEXES WHERE TABLE_NAME "
             "= 'EMP' ORDER BY 1"),
        "EMP_BY_DEPT UNUSABLE INVISIBLE|EMP_NAME VALID VISIBLE");
    EXPECT_EQ(Code("ALTER INDEX emp_by_dept RENAME TO emp_name"), "ORA-00955");
    EXPECT_EQ(Code("ALTER INDEX emp_by_dept RENAME TO emp"), "ORA-00955");
    EXPECT_EQ(Code("ALTER INDEX nothing REBUILD"), "ORA-01418");
    EXPECT_EQ(Code("ALTER INDEX emp_name FROBNICATE"), "ORA-02243");
    // A new index of a dropped one's name starts afresh.
    Exec("DROP INDEX emp_by_dept");
    Exec("CREATE INDEX emp_by_dept ON emp (dept)");
    EXPECT_EQ(Rows("SELECT STATUS || VISIBILITY FROM USER_INDEXES WHERE INDEX_NAME = 'EMP_BY_DEPT'"),
              "VALIDVISIBLE");
}

TEST_F(CTableOptionsTest, KeyIndexesTakeAlterIndexToo) {
    Exec("CREATE TABLE dept (id NUMBER CONSTRAINT dept_pk PRIMARY KEY, name VARCHAR2(10))");
    Exec("ALTER INDEX dept_pk REBUILD NOLOGGING");
    EXPECT_EQ(Rows("SELECT INDEX_NAME || ' ' || LOGGING FROM USER_INDEXES WHERE TABLE_NAME = 'DEPT'"),
              "DEPT_PK NO");
    EXPECT_EQ(Code("ALTER INDEX dept_pk RENAME TO dept_key"), "ORA-03001");
}

}  // namespace
