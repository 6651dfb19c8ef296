// CREATE TABLE as SQLite receives it, written from the definition's parts,
// and the server's grammar holding over SQLite's own table syntax.
#include "engine/sqlite/CTableText.h"
#include "tests/engine/EngineFixture.h"

namespace {

TEST(CTableTextTest, CompiledPartsTakeThePlaceOfWhatTheyWereMadeFrom) {
    std::string sql = "CREATE TABLE hr.T (A NUMBER(*,2) DEFAULT 1+1, B DATE,                     , C NUMBER)";
    std::size_t check = sql.find(",  ") + 2;
    std::vector<CColumnCompiler::Edit> compiled = {
        {check, 20, "CONSTRAINT \"T_CK\" CHECK (1)"}, {sql.find("NUMBER(*"), 11, "NUMBER(0,2)"},
        {sql.find("1+1"), 3, "(ORA_ADD(1,1))"},       {sql.find("DATE"), 4, "DATE"},
        {sql.find("NUMBER)"), 6, "NUMBER"},
    };
    CTableText table;
    CTableText::Failure failure;
    ASSERT_TRUE(table.Write(sql, compiled, failure)) << failure.code;
    EXPECT_EQ(
        table.Text(),
        "CREATE TABLE T (A NUMBER(0,2) DEFAULT (ORA_ADD(1,1)), B DATE, CONSTRAINT \"T_CK\" CHECK (1), C "
        "NUMBER)");
    EXPECT_EQ(table.NameAt(), sql.find("T ("));
    // Bytes copied map back one to one; a compiled part's to where it was.
    EXPECT_EQ(table.Origin(table.Text().find("B DATE")), sql.find("B DATE"));
    EXPECT_EQ(table.Origin(table.Text().find("ORA_ADD")), sql.find("1+1"));
    EXPECT_EQ(table.Origin(table.Text().find("C NUMBER")), sql.find("C NUMBER"));
}

TEST(CTableTextTest, EveryConstraintIsWrittenWithTheNameTheCatalogRecords) {
    std::string sql =
        "CREATE TABLE T (ID NUMBER PRIMARY KEY, P NUMBER CONSTRAINT T_P REFERENCES \"Par\" ON DELETE SET "
        "NULL DEFERRABLE INITIALLY DEFERRED, N VARCHAR2(3) NOT NULL UNIQUE, Q NUMBER NULL,                 , "
        "CONSTRAINT T_U UNIQUE (N, Q), FOREIGN KEY (Q, N) REFERENCES C2 (A, B) ON DELETE CASCADE)";
    std::size_t check = sql.find(",  ") + 2;
    int given = 0;
    CTableText table;
    table.SetNamer([&given] { return "SYS_C" + std::to_string(++given); });
    table.SetChecks({{check, "SYS_C9", true, "q > 0"}});
    CTableText::Failure failure;
    // The types are compiled parts too.
    std::vector<CColumnCompiler::Edit> compiled = {{check, 16, "CONSTRAINT \"SYS_C9\" CHECK (Q > 0)"},
                                                   {sql.find("ID NUMBER") + 3, 6, "NUMBER"},
                                                   {sql.find("P NUMBER") + 2, 6, "NUMBER"},
                                                   {sql.find("VARCHAR2(3)"), 11, "VARCHAR2(3)"},
                                                   {sql.find("Q NUMBER") + 2, 6, "NUMBER"}};
    ASSERT_TRUE(table.Write(sql, compiled, failure)) << failure.code << " at " << sql.substr(failure.at);
    EXPECT_EQ(
        table.Text(),
        "CREATE TABLE T (ID NUMBER CONSTRAINT \"SYS_C1\" PRIMARY KEY, P NUMBER CONSTRAINT T_P REFERENCES "
        "\"Par\" ON DELETE SET NULL DEFERRABLE INITIALLY DEFERRED, N VARCHAR2(3) CONSTRAINT \"SYS_C2\" NOT "
        "NULL CONSTRAINT \"SYS_C3\" UNIQUE, Q NUMBER NULL, CONSTRAINT \"SYS_C9\" CHECK (Q > 0), CONSTRAINT "
        "T_U UNIQUE (N, Q), CONSTRAINT \"SYS_C4\" FOREIGN KEY (Q, N) REFERENCES C2 (A, B) ON DELETE "
        "CASCADE)");
    std::string listed;
    for (const auto& c : table.Constraints()) {
        auto join = [](const std::vector<std::string>& names) {
            std::string out;
            for (const auto& name : names) out += (out.empty() ? "" : "+") + name;
            return out;
        };
        listed += c.name + (c.generated ? "*" : "") + " " + c.type + " " + c.table + "(" + join(c.columns) +
                  ")" + c.condition +
                  (c.type == 'R' ? ">" + c.referencedTable + "(" + join(c.referencedColumns) + ") " +
                                       c.deleteRule + (c.deferrable ? " D" : "") + (c.deferred ? "D" : "")
                                 : "") +
                  "|";
    }
    EXPECT_EQ(listed,
              "SYS_C1* P T(ID)|T_P R T(P)>Par() SET NULL DD|SYS_C2* C T(N)\"N\" IS NOT NULL|SYS_C3* U T(N)|"
              "SYS_C9* C T()q > 0|T_U U T(N+Q)|SYS_C4* R T(Q+N)>C2(A+B) CASCADE|");
}

class CTableTextEngineTest : public EngineFixture {
protected:
    // The error's code and where it points in `sql`, or "OK".
    std::string Refusal(const std::string& sql) {
        std::string outcome = Failure(sql);
        if (outcome == "OK") return outcome;
        int at = m_connection->LastError().position;
        return outcome.substr(0, 9) + "@" +
               (at < 0 ? std::string("-") : sql.substr(static_cast<std::size_t>(at)));
    }
};

TEST_F(CTableTextEngineTest, SqlitesOwnTableSyntaxIsRefusedWhereTheServerRefusesIt) {
    struct Case {
        const char* sql;
        const char* refusal;
    } cases[] = {
        {"CREATE TABLE T (ID INTEGER PRIMARY KEY AUTOINCREMENT)", "ORA-00907@AUTOINCREMENT)"},
        {"CREATE TABLE T (ID NUMBER) WITHOUT ROWID", "ORA-00922@WITHOUT ROWID"},
        {"CREATE TABLE T (ID NUMBER) STRICT;", "ORA-00922@STRICT;"},
        {"CREATE TABLE T (ID NUMBER) TABLESPACE USERS PCTFREE 10 STRICT", "ORA-00922@STRICT"},
        {"CREATE TABLE T (N VARCHAR2(10) COLLATE NOCASE)", "ORA-00907@COLLATE NOCASE)"},
        {"CREATE TABLE T (ID NUMBER UNIQUE ON CONFLICT REPLACE)", "ORA-00907@ON CONFLICT REPLACE)"},
        {"CREATE TABLE T (ID NUMBER, PRIMARY KEY (ID) ON CONFLICT IGNORE)", "ORA-00907@ON CONFLICT IGNORE)"},
        {"CREATE TABLE T (ID NUMBER DEFAULT ON NULL FOR INSERT AND UPDATE 0)",
         "ORA-03001@FOR INSERT AND UPDATE 0)"},
        {"CREATE TABLE T (ID NUMBER REFERENCES P (ID) ON UPDATE CASCADE)", "ORA-00905@UPDATE CASCADE)"},
        {"CREATE TABLE T (ID NUMBER, CONSTRAINT T_PK PRIMARY KEY ID)", "ORA-00906@ID)"},
        {"CREATE TABLE T (ID NUMBER, N NUMBER, \"N\" DATE)", "ORA-00957@\"N\" DATE)"},
        {"CREATE TABLE T (ID NUMBER", "ORA-00907@NUMBER"},
        {"CREATE TABLE T (ID NUMBER PRIMARY KEY, N NUMBER, PRIMARY KEY (N))", "ORA-02260@PRIMARY KEY (N))"},
    };
    for (const Case& c : cases) {
        std::string refusal = Refusal(c.sql);
        EXPECT_EQ(refusal, c.refusal) << c.sql;
        EXPECT_EQ(Rows("SELECT COUNT(*) FROM USER_TABLES WHERE TABLE_NAME = 'T'"), "0") << c.sql;
    }
}

TEST_F(CTableTextEngineTest, KeysOfTheServersGrammarHoldAsTheServerHoldsThem) {
    Exec(
        "CREATE TABLE hr.DEPT (ID NUMBER CONSTRAINT DEPT_PK PRIMARY KEY DEFERRABLE, NAME VARCHAR2(10) NOT "
        "NULL)");
    Exec(
        "CREATE TABLE EMP (ID NUMBER, DEPT_ID NUMBER CONSTRAINT EMP_FK REFERENCES hr.DEPT (ID) ON DELETE "
        "CASCADE, BOSS NUMBER, CONSTRAINT EMP_PK PRIMARY KEY (ID) USING INDEX ENABLE, CONSTRAINT EMP_BOSS_FK "
        "FOREIGN KEY (BOSS) REFERENCES EMP ON DELETE SET NULL INITIALLY IMMEDIATE DEFERRABLE)");
    Exec("CREATE GLOBAL TEMPORARY TABLE hr.G (ID NUMBER) ON COMMIT PRESERVE ROWS");
    Exec("CREATE TABLE hr.C (ID NUMBER CONSTRAINT C_CK CHECK (ID > 0))");
    EXPECT_EQ(Rows("SELECT TABLE_NAME, CONSTRAINT_NAME, CONSTRAINT_TYPE FROM USER_CONSTRAINTS WHERE "
                   "CONSTRAINT_NAME IN ('DEPT_PK', 'C_CK') ORDER BY 2"),
              "C,C_CK,C|DEPT,DEPT_PK,P");
    EXPECT_EQ(Rows("SELECT TEMPORARY, DURATION FROM USER_TABLES WHERE TABLE_NAME = 'G'"), "Y,SYS$SESSION");
    Exec("INSERT INTO DEPT VALUES (1, 'a')");
    Exec("INSERT INTO DEPT VALUES (2, 'b')");
    Exec("INSERT INTO EMP VALUES (10, 1, NULL)");
    Exec("INSERT INTO EMP VALUES (11, 2, 10)");
    Exec("INSERT INTO EMP VALUES (12, 2, 11)");
    EXPECT_EQ(Failure("INSERT INTO EMP VALUES (13, 3, NULL)").substr(0, 9), "ORA-02291");
    EXPECT_EQ(Failure("INSERT INTO DEPT VALUES (1, 'c')").substr(0, 9), "ORA-00001");
    EXPECT_EQ(Failure("INSERT INTO DEPT VALUES (3, NULL)").substr(0, 9), "ORA-01400");
    Exec("DELETE FROM EMP WHERE ID = 11");
    EXPECT_EQ(Rows("SELECT ID, DEPT_ID, BOSS FROM EMP ORDER BY ID"), "10,1,-|12,2,-");
    Exec("DELETE FROM DEPT WHERE ID = 2");
    EXPECT_EQ(Rows("SELECT ID FROM EMP ORDER BY ID"), "10");
    Exec("COMMIT");
}

TEST_F(CTableTextEngineTest, VirtualColumnsAreGeneratedColumnsAndNoIdentityColumns) {
    Exec("CREATE TABLE W (A NUMBER, B NUMBER GENERATED ALWAYS AS (A * 2) VIRTUAL, C NUMBER)");
    Exec("INSERT INTO W (A, C) VALUES (4, 1)");
    EXPECT_EQ(Rows("SELECT * FROM W"), "4,8,1");
    Exec("CREATE TABLE V (A NUMBER INVISIBLE, C NUMBER GENERATED ALWAYS AS IDENTITY (START WITH 5))");
    Exec("INSERT INTO V (A) VALUES (1)");
    EXPECT_EQ(Rows("SELECT A, C FROM V"), "1,5");
}

// The server's "+", "-", "||" and "/" in queries: one precedence for the
// first three, left to right, below "*" and "/"; "||" takes NULL as empty.
TEST_F(CTableTextEngineTest, ArithmeticInQueriesFollowsTheServersPrecedence) {
    Exec("CREATE TABLE N (A NUMBER, B NUMBER, C NUMBER, D DATE, S VARCHAR2(10))");
    Exec("INSERT INTO N VALUES (7, 2, 3, DATE '2024-03-01', NULL)");
    struct Case {
        const char* expression;
        const char* value;
    } cases[] = {
        {"A || 'X'", "7X"},
        {"S || A || S || -1", "7-1"},
        {"A + 1 || B * 2", "84"},
        {"-A + B - C", "-8"},
        {"(A + B) - C || '|' || (A + (B - C))", "6|6"},
        {"A / 2 + 1", "4.5"},
        {"A / -B * C / (C + 1)", "-2.625"},
        {"A * B / 4 - 1", "2.5"},
        {"'1/2' /* a/b */ || '||'", "1/2||"},
        {"CASE WHEN A > 1 THEN 1 END || 'X'", "1X"},
        {"TO_CHAR(D - 7, 'YYYY-MM-DD')", "2024-02-23"},
        {"D - DATE '2024-02-01'", "29"},
        {"1.5E-3 - .5", "-.4985"},
        {"COUNT(*) - 1", "0"},
        {"A - -B", "9"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Rows(std::string("SELECT ") + c.expression + " FROM N"), c.value) << c.expression;
    EXPECT_EQ(Failure("SELECT A / (B - 2) FROM N").substr(0, 9), "ORA-01476");
}

}  // namespace
