// Faults injected under a connection: a conflict clause or a failing disk
// that ends the whole transaction, another process holding the file, a
// read-only file, NUL bytes.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "engine/sqlite/CSqliteConnection.h"
#include "tests/engine/FaultyVfs.h"
#include "tests/support/TempDir.h"

namespace {

constexpr int kBusy = 54;
constexpr int kLost = 2091;
constexpr int kInvalidCharacter = 911;

class CSqliteConnectionFaultTest : public ::testing::Test {
protected:
    std::unique_ptr<CSqliteConnection> Open(const std::string& name = "", int busyMs = 100) {
        CEngineError error;
        auto connection = CSqliteConnection::Open(name, error, busyMs);
        m_openError = error;
        return connection;
    }
    bool Exec(CSqliteConnection& c, const std::string& sql) {
        long rows = 0;
        return c.Execute(sql, m_binds, rows);
    }
    std::string Count(CSqliteConnection& c, const std::string& table = "T") {
        CEngineResult result;
        if (!c.Query("SELECT COUNT(*) FROM " + table, m_binds, result)) return "ERROR";
        return std::string(result.Value(0, 0));
    }
    // Runs SQL on the file of database `name` outside any connection.
    void Raw(const std::string& name, const char* sql) {
        sqlite3* raw = nullptr;
        ASSERT_EQ(sqlite3_open(m_home.Path(name).c_str(), &raw), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(raw, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(raw);
        sqlite3_close(raw);
    }
    // Every statement but ROLLBACK is refused; ROLLBACK ends the state and
    // leaves none of the lost work.
    void ExpectLostUntilRollback(CSqliteConnection& c) {
        EXPECT_TRUE(c.TransactionLost());
        EXPECT_TRUE(c.HasUncommittedWork());
        EXPECT_FALSE(Exec(c, "INSERT INTO T VALUES (3)"));
        EXPECT_EQ(c.LastError().code, kLost);
        EXPECT_EQ(Count(c), "ERROR");
        EXPECT_FALSE(Exec(c, "CREATE TABLE U (A NUMBER)"));
        EXPECT_FALSE(Exec(c, "COMMIT"));
        EXPECT_EQ(c.LastError().code, kLost);
        EXPECT_FALSE(c.Commit());
        EXPECT_TRUE(c.TransactionLost());
        EXPECT_TRUE(Exec(c, "ROLLBACK"));
        EXPECT_FALSE(c.TransactionLost());
        EXPECT_EQ(Count(c), "0");
        EXPECT_TRUE(Exec(c, "INSERT INTO T VALUES (3)")) << c.LastError().message;
        EXPECT_TRUE(c.Commit());
        EXPECT_EQ(Count(c), "1");
    }

    TempHome m_home;
    std::vector<CEngineBind> m_binds;
    CEngineError m_openError;
};

TEST_F(CSqliteConnectionFaultTest, ConflictClauseRollbackLosesTheTransactionUntilRollback) {
    Raw("default.db", "CREATE TABLE T (A INTEGER UNIQUE ON CONFLICT ROLLBACK)");
    auto c = Open();
    ASSERT_NE(c, nullptr) << m_openError.message;
    ASSERT_TRUE(Exec(*c, "INSERT INTO T VALUES (1)"));
    ASSERT_TRUE(Exec(*c, "INSERT INTO T VALUES (2)"));
    EXPECT_FALSE(c->TransactionLost());
    EXPECT_FALSE(Exec(*c, "INSERT INTO T VALUES (1)"));
    EXPECT_EQ(c->LastError().code, kLost);
    EXPECT_NE(c->LastError().message.find("ORA-02091"), std::string::npos);
    ExpectLostUntilRollback(*c);
}

TEST_F(CSqliteConnectionFaultTest, StatementThatBeginsTheTransactionLosesOnlyItself) {
    Raw("default.db", "CREATE TABLE T (A INTEGER UNIQUE ON CONFLICT ROLLBACK); INSERT INTO T VALUES (1)");
    auto c = Open();
    ASSERT_NE(c, nullptr);
    EXPECT_FALSE(Exec(*c, "INSERT INTO T VALUES (1)"));
    EXPECT_FALSE(c->TransactionLost());
    EXPECT_TRUE(Exec(*c, "INSERT INTO T VALUES (2)"));
    EXPECT_TRUE(c->Commit());
    EXPECT_EQ(Count(*c), "2");
}

TEST_F(CSqliteConnectionFaultTest, FullDiskWhilePagesSpillLosesTheTransaction) {
    FaultyVfs vfs;
    auto c = Open();
    ASSERT_NE(c, nullptr) << m_openError.message;
    ASSERT_TRUE(Exec(*c, "CREATE TABLE T (A VARCHAR2(4000))"));
    ASSERT_TRUE(Exec(*c, "INSERT INTO T VALUES ('first')"));
    FaultyVfs::FailWrites(true);
    // More than the page cache holds: pages are written before COMMIT.
    const std::string row = "INSERT INTO T VALUES ('" + std::string(3000, 'x') + "')";
    bool failed = false;
    for (int i = 0; i < 2000 && !failed; ++i) failed = !Exec(*c, row);
    FaultyVfs::FailWrites(false);
    ASSERT_TRUE(failed);
    EXPECT_EQ(c->LastError().code, kLost) << c->LastError().message;
    EXPECT_NE(c->LastError().message.find("ORA-01653"), std::string::npos) << c->LastError().message;
    ExpectLostUntilRollback(*c);
}

TEST_F(CSqliteConnectionFaultTest, FailedCommitNeverCommitsPart) {
    FaultyVfs vfs;
    auto c = Open();
    ASSERT_NE(c, nullptr);
    ASSERT_TRUE(Exec(*c, "CREATE TABLE T (A NUMBER)"));
    ASSERT_TRUE(Exec(*c, "INSERT INTO T VALUES (1)"));
    ASSERT_TRUE(Exec(*c, "INSERT INTO T VALUES (2)"));
    FaultyVfs::FailWrites(true);
    EXPECT_FALSE(c->Commit());
    FaultyVfs::FailWrites(false);
    EXPECT_NE(c->LastError().code, 0) << c->LastError().message;
    // Either the work is still there to commit again, or it is lost and says so.
    if (c->TransactionLost()) {
        EXPECT_TRUE(c->Rollback());
        EXPECT_EQ(Count(*c), "0");
    } else {
        EXPECT_TRUE(c->HasUncommittedWork());
        EXPECT_TRUE(c->Commit()) << c->LastError().message;
        EXPECT_EQ(Count(*c), "2");
    }
}

TEST_F(CSqliteConnectionFaultTest, LockHeldByAnotherConnectionIsBusyForWritersOnly) {
    auto c = Open();
    auto other = Open();
    ASSERT_NE(c, nullptr);
    ASSERT_NE(other, nullptr);
    ASSERT_TRUE(Exec(*c, "CREATE TABLE T (A NUMBER)"));
    ASSERT_TRUE(Exec(*c, "INSERT INTO T VALUES (1)"));
    other->SetLockWait(0);
    EXPECT_EQ(Count(*other), "0");  // readers are not blocked by uncommitted work
    EXPECT_FALSE(Exec(*other, "INSERT INTO T VALUES (2)"));
    EXPECT_EQ(other->LastError().code, kBusy);
    EXPECT_NE(other->LastError().message.find("ORA-00054"), std::string::npos);
    EXPECT_FALSE(other->TransactionLost());
    EXPECT_FALSE(other->HasUncommittedWork());
    ASSERT_TRUE(c->Commit());
    EXPECT_TRUE(Exec(*other, "INSERT INTO T VALUES (2)"));
    EXPECT_TRUE(other->Commit());
    EXPECT_EQ(Count(*c), "2");
}

TEST_F(CSqliteConnectionFaultTest, JournalSwitchBlockedByAReaderIsReported) {
    Raw("shared.db", "PRAGMA journal_mode = DELETE; CREATE TABLE T (A); INSERT INTO T VALUES (1)");
    sqlite3* reader = nullptr;
    ASSERT_EQ(sqlite3_open(m_home.Path("shared.db").c_str(), &reader), SQLITE_OK);
    sqlite3_stmt* statement = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(reader, "SELECT A FROM T", -1, &statement, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(statement), SQLITE_ROW);
    EXPECT_EQ(Open("SHARED"), nullptr);
    EXPECT_EQ(m_openError.code, kBusy) << m_openError.message;
    sqlite3_finalize(statement);
    sqlite3_close(reader);
    auto c = Open("SHARED");
    ASSERT_NE(c, nullptr) << m_openError.message;
    EXPECT_EQ(Count(*c), "1");
}

TEST_F(CSqliteConnectionFaultTest, FileThatIsNotADatabaseIsRefused) {
    m_home.Write("junk.db", "this is not a database file, just some text that is long enough\n");
    ASSERT_TRUE(std::filesystem::create_directory(m_home.Path("dir.db")));
    EXPECT_EQ(Open("JUNK"), nullptr);
    EXPECT_EQ(m_openError.code, 1157) << m_openError.message;
    EXPECT_EQ(Open("DIR"), nullptr);
    EXPECT_NE(m_openError.message, "");
}

TEST_F(CSqliteConnectionFaultTest, ReadOnlyFileSaysReadOnly) {
    Raw("default.db", "CREATE TABLE T (A NUMBER)");
    FaultyVfs vfs;
    FaultyVfs::OpenReadOnly(true);
    auto c = Open();
    ASSERT_NE(c, nullptr) << m_openError.message;
    EXPECT_EQ(Count(*c), "0");
    EXPECT_FALSE(Exec(*c, "INSERT INTO T VALUES (1)"));
    EXPECT_EQ(c->LastError().code, 16000);
    EXPECT_NE(c->LastError().message.find("ORA-16000"), std::string::npos) << c->LastError().message;
    EXPECT_FALSE(c->HasUncommittedWork());
}

// Note: root writes into any directory, so as root the check runs in a
// child that has given root up.
TEST_F(CSqliteConnectionFaultTest, ReadOnlyDirectorySaysReadOnly) {
    ASSERT_EQ(chmod(m_home.Path().c_str(), 0555), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && setuid(65534) != 0) _exit(2);
        CEngineError error;
        auto connection = CSqliteConnection::Open("NEWDB", error, 100);
        _exit(connection == nullptr && error.code == 16000 ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    chmod(m_home.Path().c_str(), 0755);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(CSqliteConnectionFaultTest, NulByteRefusesTheWholeStatement) {
    auto c = Open();
    ASSERT_NE(c, nullptr);
    ASSERT_TRUE(Exec(*c, "CREATE TABLE T (A NUMBER)"));
    ASSERT_TRUE(Exec(*c, "INSERT INTO T VALUES (1)"));
    for (std::string sql :
         {std::string("DELETE FROM T\0 WHERE A = 2", 26), std::string("SELECT 'a\0b' FROM DUAL", 23)}) {
        EXPECT_FALSE(Exec(*c, sql)) << sql;
        EXPECT_EQ(c->LastError().code, kInvalidCharacter);
        EXPECT_EQ(c->LastError().position, static_cast<int>(sql.find('\0')));
    }
    CEngineBind bind;
    bind.name = "V";
    bind.value = std::string("1\0002", 3);
    bind.isNull = false;
    m_binds.push_back(bind);
    EXPECT_FALSE(Exec(*c, "DELETE FROM T WHERE A = :V"));
    EXPECT_EQ(c->LastError().code, kInvalidCharacter);
    m_binds.clear();
    EXPECT_EQ(Count(*c), "1");
}

}  // namespace
