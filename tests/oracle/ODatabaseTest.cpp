// What the client layer adds to the engine: the open and close of a
// database on a session, parameters bound by name and written back, the
// session's transaction calls, and errors with their positions. What the
// engine answers to each statement is tested with the engine.
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "oracle/ODatabase.h"
#include "tests/oracle/OracleTestSupport.h"

namespace {

const std::string kNihon = "\x93\xfa\x96\x7b";  // two double-byte characters

}  // namespace

// ---- Open and close --------------------------------------------------------

TEST(ODatabaseStateTest, RefusedNameLeavesAHalfOpenConsoleThatFailsCleanly) {
    TempHome home;
    Console console("../BAD");
    ASSERT_TRUE(console.session.IsOpen());
    ASSERT_FALSE(console.database.IsOpen());
    EXPECT_NE(console.database.GetErrorText(), "");
    EXPECT_EQ(console.database.ServerErrorSQLPos(), OERROR_POSITION_UNKNOWN);
    EXPECT_TRUE(std::filesystem::is_empty(home.Path()));
    EXPECT_NE(console.database.ExecuteSQL("SELECT * FROM DUAL"), OSUCCESS);
    EXPECT_NE(console.database.GetErrorText().find("ORA-03114"), std::string::npos);
    EXPECT_EQ(console.database.ServerErrorSQLPos(), OERROR_POSITION_UNKNOWN);
    ODynaset dynaset;
    EXPECT_NE(dynaset.Open(console.database, "SELECT * FROM DUAL"), OSUCCESS);
    EXPECT_NE(console.database.GetErrorText().find("ORA-03114"), std::string::npos);
    EXPECT_TRUE(dynaset.IsEOF());
    EXPECT_EQ(dynaset.GetFieldCount(), 0);
    EXPECT_NE(console.database.SetAutoCommit(true), OSUCCESS);
    EXPECT_TRUE(console.database.TakeServerOutput().empty());
    EXPECT_EQ(console.session.Commit(), OSUCCESS);
    EXPECT_EQ(console.session.Close(), OSUCCESS);
}

TEST(ODatabaseStateTest, ReconnectAfterCloseToAnotherDatabase) {
    TempHome home;
    Console console("ONE");
    ASSERT_TRUE(console.Exec("CREATE TABLE T (A NUMBER)"));
    console.session.Close();
    EXPECT_FALSE(console.database.IsOpen());
    ASSERT_EQ(console.session.Open(), OSUCCESS);
    ASSERT_EQ(console.database.Open(console.session, "TWO", "U", "P"), OSUCCESS);
    EXPECT_NE(console.database.ExecuteSQL("SELECT * FROM T"), OSUCCESS);
    ASSERT_EQ(console.database.Open(console.session, "ONE", "U", "P"), OSUCCESS);
    EXPECT_EQ(console.database.ExecuteSQL("SELECT * FROM T"), OSUCCESS) << console.database.GetErrorText();
}

TEST(ODatabaseStateTest, OpenNeedsAnOpenSessionThatOutlivesIt) {
    TempHome home;
    ODatabase database;
    {
        OSession session;
        EXPECT_NE(database.Open(session, "", "U", "P"), OSUCCESS);
        EXPECT_FALSE(database.IsOpen());
        EXPECT_NE(database.GetErrorText(), "");
        session.Open();
        ASSERT_EQ(database.Open(session, "", "U", "P"), OSUCCESS);
    }
    EXPECT_FALSE(database.IsOpen());
    EXPECT_NE(database.ExecuteSQL("SELECT * FROM DUAL"), OSUCCESS);
}

// ---- Statements -----------------------------------------------------------

using ODatabaseTest = DatabaseTest;

TEST_F(ODatabaseTest, RowsProcessedCountsTouchedRows) {
    const std::pair<const char*, long> steps[] = {
        {"CREATE TABLE T (A NUMBER)", 0},         {"INSERT INTO T VALUES (1)", 1},
        {"INSERT INTO T SELECT A + 1 FROM T", 1}, {"INSERT INTO T SELECT A + 10 FROM T", 2},
        {"UPDATE T SET A = A WHERE A > 5", 2},    {"BEGIN DELETE FROM T WHERE A < 5; END;", 2}};
    for (const auto& [sql, rows] : steps) {
        Exec(sql);
        EXPECT_EQ(m_database.GetRowsProcessed(), rows) << sql;
    }
}

TEST_F(ODatabaseTest, ParametersAreBoundByNameAndMissingOnesArePlaced) {
    Exec("CREATE TABLE T (N NUMBER, S VARCHAR2(10))");
    auto& parameters = m_database.GetParameters();
    parameters.Add("N", OValue("42"), OPARAMETER_INOUTVAR, OTYPE_NUMBER);
    parameters.Add("S", OValue(kNihon), OPARAMETER_INOUTVAR, OTYPE_VARCHAR2);
    parameters.Add("EMPTY", OValue(""), OPARAMETER_INOUTVAR, OTYPE_VARCHAR2);
    Exec("INSERT INTO T VALUES (:N, :S)");
    Exec("INSERT INTO T VALUES (:EMPTY, ':S')");
    EXPECT_EQ(Scalar("SELECT S FROM T WHERE N = :N"), kNihon);
    EXPECT_EQ(Scalar("SELECT N + 1 FROM T WHERE N = :N"), "43");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM T WHERE N IS NULL AND S = ':S'"), "1");
    // Positions are bytes of the CP932 text, through the dynaset too.
    std::string sql = "SELECT '" + kNihon + "' FROM DUAL WHERE :MISSING = 1";
    EXPECT_EQ(Fail(sql), static_cast<int>(sql.find(":MISSING")));
    EXPECT_NE(m_database.GetErrorText().find("MISSING"), std::string::npos);
    ODynaset dynaset;
    EXPECT_NE(dynaset.Open(m_database, sql.c_str()), OSUCCESS);
    EXPECT_EQ(m_database.ServerErrorSQLPos(), static_cast<int>(sql.find(":MISSING")));
}

TEST_F(ODatabaseTest, BlocksWriteTheirAssignmentsBackAndHandOverOutput) {
    auto& parameters = m_database.GetParameters();
    parameters.Add("N", OValue(), OPARAMETER_INOUTVAR, OTYPE_NUMBER);
    parameters.Add("S", OValue("     "), OPARAMETER_INOUTVAR, OTYPE_VARCHAR2);
    auto value = [&](const char* name) {
        OValue out;
        EXPECT_EQ(parameters.GetParameter(name).GetValue(&out), OSUCCESS);
        return out;
    };
    Exec("BEGIN :N := 1 + 2; :S := '" + kNihon + "'; DBMS_OUTPUT.ENABLE; DBMS_OUTPUT.PUT_LINE(:N); END;");
    EXPECT_EQ(value("N").ToInt(), 3);
    EXPECT_EQ(value("S").ToText(), kNihon);
    EXPECT_EQ(m_database.TakeServerOutput(), std::vector<std::string>{"3"});
    Exec("BEGIN :N := NULL; END;");
    EXPECT_TRUE(value("N").IsNull());
    EXPECT_EQ(value("S").ToText(), kNihon);
    Fail("BEGIN :S := 'X'; :N := NOPE; END;");
    EXPECT_EQ(value("S").ToText(), kNihon);
}

// ---- Transactions ---------------------------------------------------------

class TransactionTest : public DatabaseTest {
protected:
    void SetUp() override {
        DatabaseTest::SetUp();
        Exec("CREATE TABLE T (A NUMBER)");
    }
    std::string CountSeenByOther() {
        Console other;
        return ::Scalar(other.database, "SELECT COUNT(*) FROM T");
    }
};

TEST_F(TransactionTest, SessionCommitsAndRollsBackItsDatabasesAndCloseRollsBack) {
    Exec("INSERT INTO T VALUES (1)");
    EXPECT_TRUE(m_database.HasUncommittedWork());
    EXPECT_EQ(CountSeenByOther(), "0");
    EXPECT_EQ(m_session.Commit(), OSUCCESS);
    EXPECT_FALSE(m_database.HasUncommittedWork());
    EXPECT_EQ(CountSeenByOther(), "1");
    Exec("INSERT INTO T VALUES (2)");
    EXPECT_EQ(m_session.Rollback(), OSUCCESS);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM T"), "1");
    Exec("INSERT INTO T VALUES (3)");
    m_session.Close();
    EXPECT_EQ(CountSeenByOther(), "1");
}

TEST_F(TransactionTest, DatabaseDestroyedWithoutCommitRollsBack) {
    {
        Console other;
        ASSERT_TRUE(other.Exec("INSERT INTO T VALUES (1)"));
    }
    EXPECT_EQ(CountSeenByOther(), "0");
}

TEST_F(TransactionTest, AutoCommitCommitsEverySucceedingStatement) {
    m_database.SetAutoCommit(true);
    Exec("BEGIN INSERT INTO T VALUES (2); END;");
    EXPECT_EQ(CountSeenByOther(), "1");
    m_database.SetAutoCommit(false);
    Exec("INSERT INTO T VALUES (3)");
    EXPECT_EQ(CountSeenByOther(), "1");
}

TEST_F(TransactionTest, TransactionTheEngineRolledBackFailsTheSessionsCommitUntilRollback) {
    // Note: a table of SQLite's own making, whose conflict clause rolls back
    // the whole transaction; the server's grammar has no such table.
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(m_home.Path("default.db").c_str(), &raw), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(raw, "CREATE TABLE L (A INTEGER UNIQUE ON CONFLICT ROLLBACK)", nullptr, nullptr,
                           nullptr),
              SQLITE_OK);
    sqlite3_close(raw);
    Exec("INSERT INTO T VALUES (1)");
    Exec("INSERT INTO L VALUES (1)");
    Fail("INSERT INTO L VALUES (1)");
    EXPECT_TRUE(m_database.TransactionLost());
    EXPECT_TRUE(m_session.TransactionLost());
    EXPECT_NE(m_session.Commit(), OSUCCESS);
    EXPECT_NE(m_database.GetErrorText().find("ORA-02091"), std::string::npos);
    EXPECT_EQ(m_session.Rollback(), OSUCCESS);
    EXPECT_FALSE(m_session.TransactionLost());
    EXPECT_EQ(m_session.Commit(), OSUCCESS);
    EXPECT_EQ(CountSeenByOther(), "0");
}

TEST_F(TransactionTest, LockWaitSetBeforeOpenIsKept) {
    Exec("INSERT INTO T VALUES (1)");
    Console other;
    other.database.SetLockWait(0);
    other.database.Open(other.session, "", "SCOTT", "TIGER");
    EXPECT_FALSE(other.Exec("INSERT INTO T VALUES (2)"));
    EXPECT_EQ(other.database.GetErrorText().rfind("ORA-00054", 0), 0u) << other.database.GetErrorText();
}

TEST(ODatabaseCrashTest, KilledProcessLosesOnlyUncommittedWork) {
    TempHome home;
    {
        Console setup("CRASH");
        ASSERT_TRUE(setup.Exec("CREATE TABLE T (A NUMBER)"));
    }
    pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        auto* session = new OSession;
        auto* database = new ODatabase;
        session->Open();
        database->Open(*session, "CRASH", "U", "P");
        database->ExecuteSQL("INSERT INTO T VALUES (1)");
        database->ExecuteSQL("COMMIT");
        for (int k = 0; k < 200; ++k) database->ExecuteSQL("INSERT INTO T VALUES (2)");
        _exit(0);  // no destructor, no rollback, no close
    }
    int status = 0;
    waitpid(child, &status, 0);
    Console after("CRASH");
    ASSERT_TRUE(after.database.IsOpen()) << after.database.GetErrorText();
    EXPECT_EQ(::Scalar(after.database, "SELECT COUNT(*) || ':' || SUM(A) FROM T"), "1:1");
    EXPECT_TRUE(after.Exec("INSERT INTO T VALUES (3)")) << after.database.GetErrorText();
}
