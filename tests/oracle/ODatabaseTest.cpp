#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "oracle/ODatabase.h"
#include "tests/oracle/OracleTestSupport.h"

namespace {

// CP932 text used in the tests.
const std::string kNihon = "\x93\xfa\x96\x7b";  // two double-byte characters
const std::string kSo = "\x83\x5c";             // its trail byte is '\'

}  // namespace

// ---- Database names and connection states ---------------------------------

TEST(ODatabaseNameTest, NamesBecomeFilesInTheDataDirectoryOrAreRefused) {
    TempHome home;
    for (const char* name : {"../X", "   "}) {
        Console console(name);
        EXPECT_FALSE(console.database.IsOpen()) << name;
        EXPECT_NE(console.database.GetErrorText(), "") << name;
        EXPECT_EQ(console.database.ServerErrorSQLPos(), OERROR_POSITION_UNKNOWN) << name;
    }
    EXPECT_TRUE(std::filesystem::is_empty(home.Path()));
    ::setenv("TARVEX_HOME", (home.Path() + "/a/b").c_str(), 1);  // created when missing
    const std::pair<std::string, const char*> accepted[] = {
        {"", "default.db"}, {"  MIXED_Case$1", "mixed_case$1.db"}, {"DB" + kSo, "db\xe3\x82\xbd.db"}};
    for (const auto& [name, file] : accepted) {
        Console console(name.c_str());
        EXPECT_TRUE(console.database.IsOpen()) << name << ": " << console.database.GetErrorText();
        EXPECT_TRUE(std::filesystem::exists(home.Path(std::string("a/b/") + file))) << name;
    }
}

TEST(ODatabaseNameTest, FileThatIsNotADatabaseIsRefused) {
    TempHome home;
    std::ofstream(home.Path("junk.db"))
        << "this is not a database file, just some text that is long enough\n";
    std::filesystem::create_directory(home.Path("dir.db"));
    Console junk("JUNK");
    EXPECT_FALSE(junk.database.IsOpen());
    EXPECT_EQ(junk.database.GetErrorText().rfind("ORA-01157: ", 0), 0u) << junk.database.GetErrorText();
    Console directory("DIR");
    EXPECT_FALSE(directory.database.IsOpen());
    EXPECT_NE(directory.database.GetErrorText(), "");
}

TEST(ODatabaseStateTest, HalfOpenConsoleFailsCleanly) {
    TempHome home;
    Console console("../BAD");
    ASSERT_TRUE(console.session.IsOpen());
    ASSERT_FALSE(console.database.IsOpen());
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
    console.session.Commit();
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

TEST_F(ODatabaseTest, DualHasOneRowInEveryConnectionAndIsNotStoredInTheFile) {
    ODynaset dynaset;
    ASSERT_EQ(dynaset.Open(m_database, "SELECT * FROM DUAL"), OSUCCESS) << m_database.GetErrorText();
    ASSERT_EQ(dynaset.GetFieldCount(), 1);
    EXPECT_STREQ(dynaset.GetFieldName(0), "DUMMY");
    EXPECT_EQ(dynaset.GetFieldServerType(0), OTYPE_VARCHAR2);
    EXPECT_EQ(dynaset.GetFieldSize(0), 1);
    EXPECT_EQ(dynaset.GetRecordCount(), 1);
    EXPECT_EQ(Query(m_database, "SELECT * FROM DUAL"), (Rows{{"X"}}));
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM SQLITE_MASTER WHERE UPPER(NAME) = 'DUAL'"), "0");
    Console other;
    EXPECT_EQ(::Scalar(other.database, "SELECT DUMMY FROM DUAL"), "X");
}

TEST_F(ODatabaseTest, RowsProcessedCountsTouchedRows) {
    const std::pair<const char*, long> steps[] = {
        {"CREATE TABLE T (A NUMBER)", 0},         {"INSERT INTO T VALUES (1)", 1},
        {"INSERT INTO T SELECT A + 1 FROM T", 1}, {"INSERT INTO T SELECT A + 10 FROM T", 2},
        {"UPDATE T SET A = A WHERE A > 5", 2},    {"DELETE FROM T WHERE A > 100", 0}};
    for (const auto& [sql, rows] : steps) {
        Exec(sql);
        EXPECT_EQ(m_database.GetRowsProcessed(), rows) << sql;
    }
    Fail("INSERT INTO NOPE VALUES (1)");
    EXPECT_EQ(m_database.GetRowsProcessed(), 0);
}

TEST_F(ODatabaseTest, ServerSpellingsTheEngineLacks) {
    Exec("CREATE TABLE T (A VARCHAR2(10 BYTE), D DATE DEFAULT SYSDATE)");
    Exec("INSERT INTO T (A) VALUES ('X')");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM T WHERE D IS NOT NULL"), "1");
    Exec("COMMIT");
    Exec("TRUNCATE TABLE T");  // deletes every row and commits
    Exec("ROLLBACK");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM T"), "0");
    Exec("ALTER TABLE T ADD (N NUMBER(3))");
    Exec("INSERT INTO T (A, N) VALUES ('Y', 7)");
    EXPECT_EQ(Scalar("SELECT N FROM T WHERE A = 'Y'"), "7");
    Exec("DROP TABLE T CASCADE CONSTRAINTS");
    EXPECT_NE(m_database.ExecuteSQL("SELECT * FROM T"), OSUCCESS);
    for (const char* sql : {"CREATE DATABASE LINK L", "  CREATE USER U"}) {
        EXPECT_EQ(Fail(sql), static_cast<int>(std::string(sql).find_first_not_of(' '))) << sql;
        EXPECT_EQ(m_database.GetErrorText().rfind("ORA-03001: ", 0), 0u) << sql;
    }
}

TEST_F(ODatabaseTest, Sequences) {
    Exec("CREATE TABLE T (ID NUMBER, NAME VARCHAR2(10))");
    Exec("CREATE SEQUENCE S START WITH 10 INCREMENT BY 5 NOCACHE");
    Exec("CREATE SEQUENCE DOWN INCREMENT BY -1 START WITH -1");
    EXPECT_NE(Fail("SELECT S.CURRVAL FROM DUAL"), 0);
    Exec("INSERT INTO T VALUES (S.NEXTVAL, 'A')");
    Exec("INSERT INTO T VALUES (S.NEXTVAL + 1000, 'B')");
    Exec("COMMIT");
    EXPECT_EQ(Query(m_database, "SELECT ID FROM T ORDER BY ID"), (Rows{{"10"}, {"1015"}}));
    EXPECT_EQ(Scalar("SELECT S.CURRVAL FROM DUAL"), "15");
    EXPECT_EQ(Scalar("SELECT DOWN.NEXTVAL FROM DUAL"), "-1");
    EXPECT_EQ(Scalar("SELECT DOWN.NEXTVAL FROM DUAL"), "-2");
    ODynaset dynaset;
    ASSERT_EQ(dynaset.Open(m_database, "SELECT S.NEXTVAL FROM DUAL"), OSUCCESS) << m_database.GetErrorText();
    EXPECT_STREQ(dynaset.GetFieldName(0), "NEXTVAL");
    Console other;
    EXPECT_EQ(::Scalar(other.database, "SELECT S.NEXTVAL FROM DUAL"), "25");
    Fail("CREATE SEQUENCE S");
    EXPECT_EQ(m_database.GetErrorText().rfind("ORA-00955: ", 0), 0u);
    std::string bad = "CREATE SEQUENCE X INCREMENT BY 0";
    EXPECT_EQ(Fail(bad), static_cast<int>(bad.find("INCREMENT")));
    Exec("DROP SEQUENCE S");
    Fail("SELECT S.NEXTVAL FROM DUAL");
    EXPECT_EQ(m_database.GetErrorText().rfind("ORA-02289: ", 0), 0u);
    std::string missing = "DROP SEQUENCE S";
    EXPECT_EQ(Fail(missing), static_cast<int>(missing.rfind("S")));
}

TEST_F(ODatabaseTest, ErrorPositionsCountCp932BytesOfTheStatementAsWritten) {
    Exec("SELECT 1 FROM DUAL;  \n");  // one trailing semicolon is allowed
    Exec("CREATE TABLE T (A NUMBER NOT NULL)");
    const struct {
        std::string sql;
        const char* at;  // the error is at its last occurrence; nullptr: no position
        const char* message;
    } cases[] = {{"SELECT 1 FROM DUAL; SELECT 2 FROM DUAL", "SELECT", ""},
                 {"SELECT '" + kNihon + "' AS A FORM DUAL", "FORM", "ORA-00900"},
                 // SYSDATE is rewritten to a longer call before the error.
                 {"SELECT SYSDATE, '" + kNihon + "' FROM DUAL WHERE WHERE", "WHERE", ""},
                 {"SELECT '" + kNihon + "\x81' FROM DUAL", "\x81", "ORA-29275"},
                 // Found while the statement runs: the server reports no token.
                 {"INSERT INTO T VALUES (NULL)", nullptr, "ORA-01400"}};
    for (const auto& c : cases) {
        int expected = c.at == nullptr ? 0 : static_cast<int>(c.sql.rfind(c.at));
        EXPECT_EQ(Fail(c.sql), expected) << c.sql << "\n" << m_database.GetErrorText();
        EXPECT_NE(m_database.GetErrorText().find(c.message), std::string::npos) << m_database.GetErrorText();
    }
    EXPECT_EQ(Scalar("SELECT 'A' || CHR(128512) || 'B' FROM DUAL"), "A?B");  // not in CP932
    EXPECT_EQ(Scalar("SELECT '" + kNihon + "' FROM DUAL"), kNihon);
}

TEST_F(ODatabaseTest, ParametersAreBoundByName) {
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
    std::string sql = "SELECT '" + kNihon + "' FROM DUAL WHERE :MISSING = 1";
    EXPECT_EQ(Fail(sql), static_cast<int>(sql.find(":MISSING")));
    EXPECT_NE(m_database.GetErrorText().find("MISSING"), std::string::npos);
    ODynaset dynaset;
    EXPECT_NE(dynaset.Open(m_database, sql.c_str()), OSUCCESS);
    EXPECT_EQ(m_database.ServerErrorSQLPos(), static_cast<int>(sql.find(":MISSING")));
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

TEST_F(TransactionTest, WorkIsInvisibleUntilCommitted) {
    Exec("INSERT INTO T VALUES (1)");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM T"), "1");
    EXPECT_EQ(CountSeenByOther(), "0");
    Exec("COMMIT");
    EXPECT_EQ(CountSeenByOther(), "1");
    Exec("INSERT INTO T VALUES (2)");
    Exec("ROLLBACK");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM T"), "1");
    EXPECT_EQ(m_session.Rollback(), OSUCCESS);
    Exec("INSERT INTO T VALUES (3)");
    Fail("INSERT INTO T VALUES (1, 2)");  // a failed statement keeps earlier work
    EXPECT_EQ(m_session.Commit(), OSUCCESS);
    EXPECT_EQ(CountSeenByOther(), "2");
    Exec("INSERT INTO T VALUES (4)");
    Exec("CREATE TABLE U (B NUMBER)");  // DDL commits the work before it
    Exec("ROLLBACK");
    EXPECT_EQ(CountSeenByOther(), "3");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM U"), "0");
    Exec("INSERT INTO T VALUES (5)");
    m_session.Close();
    EXPECT_EQ(CountSeenByOther(), "3");
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
    Exec("INSERT INTO T VALUES (1)");
    EXPECT_EQ(CountSeenByOther(), "1");
    Exec("BEGIN INSERT INTO T VALUES (2); END;");
    EXPECT_EQ(CountSeenByOther(), "2");
    m_database.SetAutoCommit(false);
    Exec("INSERT INTO T VALUES (3)");
    EXPECT_EQ(CountSeenByOther(), "2");
}

TEST_F(TransactionTest, SecondWriterWaitsAndThenSucceeds) {
    Exec("INSERT INTO T VALUES (1)");  // holds the write lock until the commit below
    Console other;
    std::atomic<bool> done = false;
    bool inserted = false;
    std::thread second([&] {
        inserted = other.Exec("INSERT INTO T VALUES (2)");
        done = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const bool finishedWhileLocked = done;
    Exec("COMMIT");
    second.join();
    EXPECT_FALSE(finishedWhileLocked);
    ASSERT_TRUE(inserted) << other.database.GetErrorText();
    ASSERT_EQ(other.session.Commit(), OSUCCESS);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM T"), "2");
}

TEST_F(TransactionTest, TransactionTheEngineRolledBackFailsCommitUntilRollback) {
    Exec("CREATE TABLE L (A INTEGER UNIQUE ON CONFLICT ROLLBACK)");
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

// ---- Anonymous blocks -----------------------------------------------------

class BlockTest : public DatabaseTest {
protected:
    void SetUp() override {
        DatabaseTest::SetUp();
        Exec("CREATE TABLE T (A NUMBER)");
        auto& parameters = m_database.GetParameters();
        parameters.Add("N", OValue(), OPARAMETER_INOUTVAR, OTYPE_NUMBER);
        parameters.Add("S", OValue("     "), OPARAMETER_INOUTVAR, OTYPE_VARCHAR2);
    }
    OValue Value(const char* name) {
        OValue value;
        EXPECT_EQ(m_database.GetParameters().GetParameter(name).GetValue(&value), OSUCCESS);
        return value;
    }
};

TEST_F(BlockTest, AssignmentsStoreTextIntoParameters) {
    Exec("BEGIN :N := 1 + 2; END;");
    EXPECT_EQ(Value("N").ToText(), "3");
    Exec("BEGIN :N := :N / 2; :S := 'V=' || :N; END;");
    EXPECT_EQ(Value("N").ToText(), "1.5");
    EXPECT_EQ(Value("S").ToText(), "V=1.5");
    Exec("BEGIN :S := '" + kNihon + "'; :N := '42'; END;");
    EXPECT_EQ(Value("S").ToText(), kNihon);
    EXPECT_EQ(Value("N").ToInt(), 42);
    Exec("BEGIN :N := NULL; END");
    EXPECT_TRUE(Value("N").IsNull());
    Exec("BEGIN :S := 'A;B'; INSERT INTO T SELECT LENGTH(';;') FROM DUAL; END;");
    EXPECT_EQ(Value("S").ToText(), "A;B");
    EXPECT_EQ(Scalar("SELECT A FROM T"), "2");
    // Dates become text in the server format.
    Exec("BEGIN :S := TO_DATE('2026-12-06', 'YYYY-MM-DD'); END;");
    EXPECT_EQ(Value("S").ToText(), "26-12-06");
    Exec("BEGIN :S := TO_CHAR(TO_DATE('2026-12-06', 'YYYY-MM-DD'), 'YYYY-MM-DD HH24:MI:SS'); END;");
    EXPECT_EQ(Value("S").ToText(), "2026-12-06 00:00:00");
}

TEST_F(BlockTest, DmlRunsInTheCurrentTransaction) {
    Exec(
        "BEGIN\n  INSERT INTO T VALUES (1);\n  INSERT INTO T VALUES (2);\n  UPDATE T SET A = A * "
        "10;\nEND;\n");
    EXPECT_EQ(m_database.GetRowsProcessed(), 4);
    EXPECT_EQ(Scalar("SELECT SUM(A) FROM T"), "30");
    Exec("ROLLBACK");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM T"), "0");
}

TEST_F(BlockTest, FailingBlockUndoesOnlyItsOwnWork) {
    Exec("INSERT INTO T VALUES (1)");
    Fail("BEGIN INSERT INTO T VALUES (2); INSERT INTO NOPE VALUES (3); END;");
    EXPECT_NE(m_database.GetErrorText().find("NOPE"), std::string::npos);
    EXPECT_EQ(Scalar("SELECT SUM(A) FROM T"), "1");
    Exec("COMMIT");
    Console other;
    EXPECT_EQ(::Scalar(other.database, "SELECT SUM(A) FROM T"), "1");
}

TEST_F(BlockTest, ServerOutputIsBufferedWhileEnabled) {
    Exec("BEGIN dbms_output.put_line('lost'); END;");
    Exec("BEGIN dbms_output.enable(); END;");
    Exec(
        "BEGIN :N := 7; DBMS_OUTPUT.PUT_LINE('A' || :N); DBMS_OUTPUT.PUT('B'); DBMS_OUTPUT.PUT_LINE(1 + 1); "
        "END;");
    EXPECT_EQ(m_database.TakeServerOutput(), (std::vector<std::string>{"A7", "B2"}));
    EXPECT_TRUE(m_database.TakeServerOutput().empty());
    Exec("BEGIN DBMS_OUTPUT.PUT_LINE('X'); END;");
    Exec("BEGIN dbms_output.disable(); END;");
    Exec("BEGIN DBMS_OUTPUT.PUT_LINE('Y'); END;");
    EXPECT_TRUE(m_database.TakeServerOutput().empty());
}

TEST_F(BlockTest, ErrorsAndUnsupportedStatementsAreReportedWhereTheyStand) {
    const struct {
        std::string sql;
        const char* named;
        const char* at;
    } cases[] = {{"BEGIN\n  :S := '" + kNihon + "';\n  :N := 1 +* 2;\nEND;", "", "*"},
                 {"BEGIN :S := '" + kNihon + "'; :NOPE := 1; END;", "NOPE", ":NOPE"},
                 {"BEGIN SELECT 1 INTO :N FROM DUAL; END;", "SELECT INTO", "SELECT"},
                 {"BEGIN COMMIT; END;", "COMMIT", "COMMIT"},
                 {"DECLARE X NUMBER; BEGIN NULL; END;", "DECLARE", "DECLARE"},
                 {"CREATE PROCEDURE P IS BEGIN NULL; END;", "CREATE PROCEDURE", "CREATE"},
                 {"CREATE FUNCTION F RETURN NUMBER IS BEGIN RETURN 1", "CREATE FUNCTION", "CREATE"},
                 {"GRANT SELECT ON T TO SCOTT", "GRANT", "GRANT"}};
    for (const auto& c : cases) {
        EXPECT_EQ(Fail(c.sql), static_cast<int>(c.sql.find(c.at))) << c.sql;
        EXPECT_NE(m_database.GetErrorText().find(c.named), std::string::npos) << c.sql << "\n"
                                                                              << m_database.GetErrorText();
    }
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM T"), "0");
}

// ---- Triggers -------------------------------------------------------------

TEST_F(ODatabaseTest, TriggersWithNewAndOldRows) {
    Exec("CREATE TABLE T (ID NUMBER, NAME VARCHAR2(10))");
    Exec("CREATE TABLE LOG (ID NUMBER, OLD_NAME VARCHAR2(10), NEW_NAME VARCHAR2(10))");
    std::string trigger =
        "CREATE OR REPLACE TRIGGER TR AFTER UPDATE ON T\nFOR EACH ROW\nBEGIN\n"
        "  INSERT INTO LOG VALUES (:NEW.ID, :OLD.NAME, :NEW.NAME);\nEND;\n";
    Exec(trigger);
    Exec(trigger);  // OR REPLACE: no "already exists"
    Exec(
        "CREATE TRIGGER TI AFTER INSERT ON T FOR EACH ROW BEGIN INSERT INTO LOG VALUES (:NEW.ID, NULL, "
        "':NEW.X'); END;");
    // A failed replace keeps the old trigger; assignments in triggers are refused.
    Fail("CREATE OR REPLACE TRIGGER TI AFTER INSERT ON NOPE FOR EACH ROW BEGIN DELETE FROM LOG; END;");
    std::string assigning =
        "CREATE OR REPLACE TRIGGER TB BEFORE INSERT ON T FOR EACH ROW\nBEGIN\n  :NEW.ID := 5;\nEND;\n";
    EXPECT_EQ(Fail(assigning), static_cast<int>(assigning.find(":NEW.ID :=")));
    EXPECT_EQ(m_database.GetErrorText().rfind("ORA-03001: ", 0), 0u);
    Exec("INSERT INTO T VALUES (1, 'A')");
    Exec("UPDATE T SET NAME = 'B'");
    EXPECT_EQ(Query(m_database, "SELECT ID, OLD_NAME, NEW_NAME FROM LOG ORDER BY OLD_NAME"),
              (Rows{{"1", "", ":NEW.X"}, {"1", "A", "B"}}));
    Exec("DROP TRIGGER TR");
    Exec("CREATE OR REPLACE TRIGGER TR AFTER DELETE ON T FOR EACH ROW BEGIN DELETE FROM LOG; END;");
    Exec("DELETE FROM T");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM LOG"), "0");
}
