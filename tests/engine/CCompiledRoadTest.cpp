// Every statement reaches SQLite only as the engine writes it: SQLite's own
// syntax gets the server's error at the server's token, and the schema
// statements SQLite runs in a form of its own are read from their tokens.
#include "tests/engine/EngineFixture.h"

class CCompiledRoadTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        Exec("CREATE TABLE T (A NUMBER, B VARCHAR2(10))");
        Exec("INSERT INTO T VALUES (1, 'x')");
        Exec("COMMIT");
    }
    // The error's code and the text from its position on; "OK" when it ran.
    std::string Refusal(const std::string& sql) {
        std::string outcome = Failure(sql);
        if (outcome == "OK") return outcome;
        int at = m_connection->LastError().position;
        std::string from = at >= 0 && static_cast<std::size_t>(at) <= sql.size() ? sql.substr(at) : "?";
        return outcome.substr(0, 9) + " @" + from;
    }
};

TEST_F(CCompiledRoadTest, SqliteSyntaxGetsTheServersErrorAtItsToken) {
    const struct {
        const char* sql;
        const char* answer;
    } cases[] = {
        {"SELECT 1 FROM DUAL LIMIT 1", "ORA-00933 @LIMIT 1"},
        {"DELETE FROM T LIMIT 1", "ORA-00933 @LIMIT 1"},
        {"INSERT OR REPLACE INTO T VALUES (2, 'y')", "ORA-00900 @OR REPLACE INTO T VALUES (2, 'y')"},
        {"REPLACE INTO T VALUES (2, 'y')", "ORA-00900 @REPLACE INTO T VALUES (2, 'y')"},
        {"SELECT \"a\" || 'b' FROM DUAL", "ORA-00904 @\"a\" || 'b' FROM DUAL"},
        {"SELECT A FROM T INDEXED BY I", "ORA-00933 @BY I"},
        {"SELECT A FROM T WHERE B GLOB 'x*'", "ORA-00933 @GLOB 'x*'"},
        {"SELECT A FROM T WHERE A = ?", "ORA-00911 @?"},
        {"SELECT 1", "ORA-00923 @"},
        // The server's numbers for the commonest slips.
        {"SELECT A FROM T WHERE (A = 1", "ORA-00907 @"},
        // A quote left open is named where it opens, whatever it swallowed.
        {"SELECT 'abc FROM DUAL", "ORA-01756 @'abc FROM DUAL"},
        {"SELECT 'it''s', 'x FROM DUAL", "ORA-01756 @'x FROM DUAL"},
        {"SELECT q'[it's] FROM DUAL", "ORA-01756 @q'[it's] FROM DUAL"},
        {"SELECT \"A FROM T", "ORA-01740 @\"A FROM T"},
        {"BEGIN NULL; END; 'x", "ORA-01756 @'x"},
        {"DELETE FROM T WHERE B = 'x", "ORA-01756 @'x"},
        {"SELECT FROM T", "ORA-00936 @FROM T"},
        {"SELECT A FROM T WHERE A = ORDER BY A", "ORA-00936 @ORDER BY A"},
        {"SELECT A B C FROM T", "ORA-00923 @C FROM T"},
        // A condition is no value of a select list; a CASE makes it one.
        {"SELECT A > 0 FROM T", "ORA-00923 @> 0 FROM T"},
        {"SELECT A, B IS NULL FROM T", "ORA-00923 @IS NULL FROM T"},
        {"INSERT INTO T VALUES (2, 'y'), (3, 'z')", "ORA-03001 @, (3, 'z')"},
        {"WITH RECURSIVE C(N) AS (SELECT 1 FROM DUAL) SELECT N FROM C",
         "ORA-00900 @C(N) AS (SELECT 1 FROM DUAL) SELECT N FROM C"},
        {"PRAGMA table_info(T)", "ORA-00900 @PRAGMA table_info(T)"},
        {"ATTACH DATABASE 'other.db' AS O", "ORA-00900 @ATTACH DATABASE 'other.db' AS O"},
        {"VACUUM", "ORA-00900 @VACUUM"},
        {"CREATE VIRTUAL TABLE V USING fts5(x)", "ORA-03001 @CREATE VIRTUAL TABLE V USING fts5(x)"},
        {"SELECT 1 FROM DUAL; SELECT 2 FROM DUAL", "ORA-00933 @SELECT 2 FROM DUAL"},
        // INTO is PL/SQL's: in SQL the server misses a keyword there.
        {"SELECT A INTO X FROM T", "ORA-00905 @INTO X FROM T"},
        {"SELECT A FROM T AS OF TIMESTAMP SYSTIMESTAMP", "ORA-03001 @AS OF TIMESTAMP SYSTIMESTAMP"},
    };
    for (const auto& c : cases) EXPECT_EQ(Refusal(c.sql), c.answer) << c.sql;
    EXPECT_EQ(Rows("SELECT A, B FROM T"), "1,x");
    EXPECT_EQ(Rows("SELECT LOG(10, 100) FROM DUAL"), "2");
    EXPECT_EQ(Rows("SELECT CASE WHEN A > 0 AND B IS NOT NULL THEN 'y' END FROM T"), "y");
    // The server's TRIM syntax is read into the functions it stands for.
    EXPECT_EQ(Rows("SELECT TRIM(LEADING '0' FROM '00100'), '[' || TRIM(TRAILING FROM ' x ') || ']', "
                   "TRIM(BOTH 'x' FROM 'xxaxx'), TRIM('z' FROM 'zbz'), TRIM(' y ') FROM DUAL"),
              "100,[ x],a,b,y");
    EXPECT_EQ(Refusal("SELECT TRIM(LEADING FROM) FROM DUAL"), "ORA-00900 @) FROM DUAL");
}

TEST_F(CCompiledRoadTest, RecursiveWithNamesItsColumns) {
    EXPECT_EQ(Rows("WITH R (N, P) AS (SELECT 1, 'a' FROM DUAL UNION ALL "
                   "SELECT N + 1, P || '/b' FROM R WHERE N < 3) SELECT N, P FROM R ORDER BY N"),
              "1,a|2,a/b|3,a/b/b");
    // The rows of a table walked as a tree, from its roots.
    Exec("CREATE TABLE EMP (ID NUMBER, BOSS NUMBER)");
    for (const char* row : {"1, NULL", "2, 1", "3, 2", "4, 1"})
        Exec(std::string("INSERT INTO EMP VALUES (") + row + ")");
    EXPECT_EQ(Rows("WITH CHAIN (ID, DEPTH) AS (SELECT ID, 1 FROM EMP WHERE BOSS IS NULL UNION ALL "
                   "SELECT E.ID, C.DEPTH + 1 FROM EMP E JOIN CHAIN C ON E.BOSS = C.ID) "
                   "SELECT ID, DEPTH FROM CHAIN ORDER BY ID"),
              "1,1|2,2|3,3|4,2");
    EXPECT_EQ(Refusal("WITH R (N) AS (SELECT 1, 2 FROM DUAL) SELECT N FROM R"),
              "ORA-32038 @R (N) AS (SELECT 1, 2 FROM DUAL) SELECT N FROM R");
    EXPECT_EQ(Refusal("WITH R (N) AS (SELECT 1 FROM DUAL UNION ALL SELECT N + 1 FROM R WHERE N < 2) "
                      "SEARCH DEPTH FIRST BY N SET O SELECT N FROM R"),
              "ORA-03001 @SEARCH DEPTH FIRST BY N SET O SELECT N FROM R");
}

TEST_F(CCompiledRoadTest, SchemaStatementsTakeTheServersOptions) {
    Exec("CREATE TABLE P (ID NUMBER PRIMARY KEY)");
    Exec("CREATE TABLE C (ID NUMBER, P_ID NUMBER REFERENCES P)");
    Exec("CREATE INDEX C_P_IX ON C (P_ID) TABLESPACE USERS");
    Exec("DROP INDEX C_P_IX ONLINE FORCE");
    Exec("INSERT INTO C VALUES (1, NULL)");
    Exec("TRUNCATE TABLE C PRESERVE MATERIALIZED VIEW LOG REUSE STORAGE");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM C"), "0");
    Exec("DROP TABLE C CASCADE CONSTRAINTS PURGE");
    Exec("ALTER TABLE P RENAME COLUMN ID TO PID");
    Exec("RENAME P TO PARENT");
    EXPECT_EQ(Rows("SELECT COUNT(PID) FROM PARENT"), "0");
    const struct {
        const char* sql;
        const char* answer;
    } refused[] = {
        {"DROP TABLE PARENT PURGE NOW", "ORA-00933 @NOW"},
        {"TRUNCATE TABLE PARENT KEEP", "ORA-00933 @KEEP"},
        {"DROP TABLE NOTHERE", "ORA-00942 @NOTHERE"},
        {"CREATE INDEX X_IX ON NOTHERE (A)", "ORA-00942 @NOTHERE (A)"},
        {"CREATE INDEX X_IX ON PARENT (PID", "ORA-00907 @"},
        {"ALTER TABLE PARENT SET UNUSED COLUMN PID", "ORA-12983 @PARENT SET UNUSED COLUMN PID"},
        {"CREATE DIMENSION D LEVEL L IS PARENT.PID", "ORA-03001 @CREATE DIMENSION D LEVEL L IS PARENT.PID"},
        {"ROLLBACK TO NEVER_SET", "ORA-01086 @NEVER_SET"},
        {"DROP TRIGGER NO_SUCH_TRG", "ORA-04080 @NO_SUCH_TRG"},
        {"CREATE TEMP TABLE TT (A NUMBER)", "ORA-00901 @TEMP TABLE TT (A NUMBER)"},
        {"ALTER TRIGGER NO_SUCH_TRG DISABLE", "ORA-04080 @NO_SUCH_TRG DISABLE"},
    };
    for (const auto& c : refused) EXPECT_EQ(Refusal(c.sql), c.answer) << c.sql;
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM PARENT"), "0");
}

TEST_F(CCompiledRoadTest, AnIndexedExpressionIsCompiledAsAQueryWritesIt) {
    Exec("CREATE INDEX T_UPPER_IX ON T (UPPER(B) DESC, A)");
    EXPECT_EQ(Rows("SELECT A FROM T WHERE UPPER(B) = 'X'"), "1");
    // Its names are the table's columns, its functions the server's pure ones.
    EXPECT_EQ(Refusal("CREATE INDEX T_C_IX ON T (UPPER(C))"), "ORA-00904 @C))");
    EXPECT_EQ(Refusal("CREATE INDEX T_NOW_IX ON T (A + SYSDATE)"), "ORA-01743 @SYSDATE)");
    EXPECT_EQ(Refusal("CREATE INDEX T_Q_IX ON T ((SELECT 1 FROM DUAL))"), "ORA-02251 @SELECT 1 FROM DUAL))");
    // A unique index over an expression refuses a second row of its value.
    Exec("CREATE UNIQUE INDEX T_B_UK ON T (LOWER(B))");
    EXPECT_EQ(Failure("INSERT INTO T VALUES (2, 'X')").substr(0, 9), "ORA-00001");
}

TEST_F(CCompiledRoadTest, SavepointsAreTheTransactionsOwn) {
    Exec("SAVEPOINT FIRST_ROW");
    Exec("INSERT INTO T VALUES (2, 'y')");
    Exec("SAVEPOINT SECOND_ROW");
    Exec("INSERT INTO T VALUES (3, 'z')");
    // ROLLBACK WORK TO undoes back to the savepoint, not the whole transaction.
    Exec("ROLLBACK WORK TO SAVEPOINT SECOND_ROW");
    EXPECT_EQ(Rows("SELECT A FROM T ORDER BY A"), "1|2");
    Exec("ROLLBACK TO FIRST_ROW");
    EXPECT_EQ(Rows("SELECT A FROM T ORDER BY A"), "1");
    Exec("ROLLBACK");
    EXPECT_EQ(Refusal("SAVEPOINT A B"), "ORA-00933 @B");
}

TEST_F(CCompiledRoadTest, AViewNamesItsColumnsAndKeepsItsOptions) {
    Exec("CREATE VIEW TV AS SELECT A FROM T");
    Exec("CREATE OR REPLACE VIEW TV (NUM, TXT) AS SELECT A, B FROM T WITH READ ONLY");
    EXPECT_EQ(Rows("SELECT NUM, TXT FROM TV"), "1,x");
    EXPECT_EQ(Failure("DELETE FROM TV").substr(0, 9), "ORA-42399");
}

TEST_F(CCompiledRoadTest, ATemporaryTablesRowsGoAsItsClauseSaysNotAsItsCommentsSay) {
    Exec("CREATE GLOBAL TEMPORARY TABLE G (ID NUMBER /* ON COMMIT PRESERVE ROWS */) ON COMMIT DELETE ROWS");
    Exec("INSERT INTO G VALUES (1)");
    Exec("COMMIT");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM G"), "0");
}

TEST_F(CCompiledRoadTest, ARowOfColumnsIsSetFromAQuerysRow) {
    Exec("CREATE TABLE S (K NUMBER, N NUMBER, M VARCHAR2(20))");
    Exec("INSERT INTO S VALUES (1, 10, 'ten')");
    Exec("INSERT INTO S VALUES (2, 20, 'much too long text')");
    Exec("INSERT INTO T VALUES (3, 'z')");
    Exec("UPDATE T SET (A, B) = (SELECT N, M FROM S WHERE S.K = T.A) WHERE A = 1");
    EXPECT_EQ(Rows("SELECT A, B FROM T ORDER BY A"), "3,z|10,ten");
    // Each value is stored by its column's rules; a row the query lacks sets NULL.
    Exec("UPDATE T SET A = 2 WHERE A = 10");
    EXPECT_EQ(Failure("UPDATE T SET (A, B) = (SELECT N, M FROM S WHERE S.K = T.A) WHERE A = 2").substr(0, 9),
              "ORA-12899");
    Exec("UPDATE T SET (A, B) = (SELECT N, M FROM S WHERE S.K = T.A) WHERE A = 3");
    EXPECT_EQ(Rows("SELECT A, B FROM T ORDER BY A"), "2,ten|-,-");
    EXPECT_EQ(Refusal("UPDATE T SET (A, B) = (SELECT N FROM S)"), "ORA-00947 @(SELECT N FROM S)");
    EXPECT_EQ(Refusal("UPDATE T SET (A) = (SELECT N, M FROM S)"), "ORA-00913 @(SELECT N, M FROM S)");
    // An aggregate query is one row, constants and all; a query of two is ORA-01427.
    Exec("UPDATE T SET (A, B) = (SELECT MAX(N), 'most' FROM S WHERE S.K < T.A) WHERE A = 2");
    EXPECT_EQ(Rows("SELECT A, B FROM T ORDER BY A"), "10,most|-,-");
    EXPECT_EQ(Failure("UPDATE T SET (A, B) = (SELECT N, 'x' FROM S)").substr(0, 9), "ORA-01427");
}
