// A keyword the server does not reserve names whatever it is given to: a
// table, a column, an alias, an index, a view, a sequence, a PL/SQL variable
// and a record's field, read and written by every statement; among them are
// words SQLite keeps for its own syntax. A reserved word is refused as the
// server refuses it.
#include "tests/engine/EngineFixture.h"

namespace {

class CKeywordNameTest : public EngineFixture {};

// Words the server leaves free, many of them SQLite's keywords.
constexpr const char* kFreeWords[] = {
    "LIMIT",   "OFFSET",    "KEY",     "ACTION",    "PLAN",    "QUERY",   "TEMP",        "REPLACE",
    "IGNORE",  "ABORT",     "FAIL",    "RAISE",     "GLOB",    "REGEXP",  "MATCH",       "FILTER",
    "FIRST",   "LAST",      "NULLS",   "TIES",      "OTHERS",  "EXCLUDE", "RECURSIVE",   "WITHOUT",
    "VACUUM",  "PRAGMA",    "ANALYZE", "ATTACH",    "DETACH",  "INDEXED", "CONFLICT",    "TEXT",
    "DATA",    "VALUE",     "TYPE",    "NAME",      "STATUS",  "ISNULL",  "NOTNULL",     "ESCAPE",
    "WINDOW",  "LOG",       "COLLATE", "DEFERRED",  "EXPLAIN", "REINDEX", "TRANSACTION", "ROLLBACK",
    "RELEASE", "SAVEPOINT", "CASCADE", "GENERATED", "ALWAYS",
};

TEST_F(CKeywordNameTest, AFreeWordNamesTablesColumnsAndAliasesEverywhere) {
    for (std::string w : kFreeWords) {
        SCOPED_TRACE(w);
        Exec("CREATE TABLE " + w + " (" + w + " NUMBER, id NUMBER)");
        Exec("INSERT INTO " + w + " (" + w + ", id) VALUES (1, 10)");
        Exec("INSERT INTO " + w + " VALUES (5, 20)");
        Exec("UPDATE " + w + " SET " + w + " = " + w + " + 1 WHERE id = 10");
        EXPECT_EQ(Rows("SELECT " + w + ".id, " + w + " FROM " + w + " WHERE " + w + " >= 2 ORDER BY " + w),
                  "10,2|20,5");
        EXPECT_EQ(Rows("SELECT x." + w + " FROM " + w + " x WHERE x.id = 20"), "5");
        EXPECT_EQ(Rows("SELECT id " + w + " FROM " + w + " ORDER BY " + w + " DESC"), "20|10");
        EXPECT_EQ(Rows("SELECT id AS " + w + " FROM " + w + " WHERE id = 10"), "10");
        EXPECT_EQ(Rows("SELECT " + w + ", COUNT(*) FROM " + w + " GROUP BY " + w + " HAVING " + w + " > 2"),
                  "5,1");
        EXPECT_EQ(Rows("SELECT " + w + " FROM (SELECT " + w + " FROM " + w + ") " + w + " WHERE " + w + "." +
                       w + " = 2"),
                  "2");
        EXPECT_EQ(Rows("WITH " + w + " AS (SELECT 20 " + w + " FROM dual) SELECT MAX(" + w + ") FROM " + w),
                  "20");
        EXPECT_EQ(Rows("SELECT a." + w + " FROM " + w + " a JOIN " + w + " b ON a." + w + " = b." + w +
                       " WHERE b.id = 20"),
                  "5");
        Exec("CREATE INDEX " + w + "_IX ON " + w + " (" + w + ", id)");
        Exec("CREATE VIEW " + w + "_V AS SELECT " + w + " FROM " + w + " WHERE id = 10");
        EXPECT_EQ(Rows("SELECT " + w + " FROM " + w + "_V"), "2");
        Exec("DELETE FROM " + w + " WHERE " + w + " = 5");
        EXPECT_EQ(Rows("SELECT COUNT(*) FROM " + w), "1");
    }
}

TEST_F(CKeywordNameTest, AFreeWordNamesSequencesAddedColumnsAndPlsqlNames) {
    Exec("CREATE TABLE t (id NUMBER)");
    Exec("INSERT INTO t VALUES (1)");
    // PL/SQL keeps TYPE, RAISE and PRAGMA for its own; the others name variables and fields.
    for (std::string w : {"LIMIT", "KEY", "MATCH", "VALUE", "NAME", "STATUS", "GLOB"}) {
        SCOPED_TRACE(w);
        Exec("CREATE SEQUENCE " + w + "_S START WITH 7");
        EXPECT_EQ(Rows("SELECT " + w + "_S.NEXTVAL FROM dual"), "7");
        Exec("ALTER TABLE t ADD (" + w + " NUMBER)");
        Exec("UPDATE t SET " + w + " = id + 1");
        EXPECT_EQ(Rows("SELECT " + w + " FROM t"), "2");
        EXPECT_EQ(OutputOf("DECLARE " + w + " NUMBER := 3; TYPE r IS RECORD (" + w +
                           " NUMBER); v r; BEGIN DBMS_OUTPUT.ENABLE; " + "SELECT " + w + " + " + w +
                           " INTO v." + w + " FROM t; " + w + " := " + w + " + v." + w +
                           "; DBMS_OUTPUT.PUT_LINE(" + w + "); END;"),
                  "7");
    }
}

TEST_F(CKeywordNameTest, AReservedWordIsRefusedAsTheServerRefusesIt) {
    for (std::string w : {"LEVEL", "ROWS", "SIZE", "UID", "MODE", "NUMBER", "ROWNUM"}) {
        SCOPED_TRACE(w);
        EXPECT_EQ(Failure("CREATE TABLE t (" + w + " NUMBER)"), "ORA-00904: 無効な識別子です。");
        EXPECT_EQ(Failure("CREATE TABLE " + w + " (x NUMBER)"), "ORA-00903: 表名が無効です。");
    }
    // Quoted, any word is a name.
    Exec("CREATE TABLE \"LEVEL\" (\"ROWS\" NUMBER)");
    Exec("INSERT INTO \"LEVEL\" VALUES (4)");
    EXPECT_EQ(Rows("SELECT \"ROWS\" FROM \"LEVEL\""), "4");
}

// A word that starts a clause is a clause where its clause follows.
TEST_F(CKeywordNameTest, ClauseWordsStillStartTheirClauses) {
    Exec("CREATE TABLE t (id NUMBER)");
    for (int k = 1; k <= 4; ++k) Exec("INSERT INTO t VALUES (" + std::to_string(k) + ")");
    EXPECT_EQ(Rows("SELECT id FROM t ORDER BY id OFFSET 1 ROWS FETCH FIRST 2 ROWS ONLY"), "2|3");
    EXPECT_EQ(Rows("SELECT id FROM t offset ORDER BY id FETCH FIRST 1 ROW ONLY"), "1");
    EXPECT_EQ(Rows("SELECT id FROM t WHERE 'a_' LIKE 'a\\_' ESCAPE '\\' AND id = 1"), "1");
    EXPECT_NE(Failure("SELECT id FROM t LIMIT 2"), "OK");
}

}  // namespace
