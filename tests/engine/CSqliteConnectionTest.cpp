#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>

#include "engine/sqlite/CSqliteConnection.h"

namespace {

class CSqliteConnectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/tarvex-engine-XXXXXX";
        m_dir = mkdtemp(pattern);
        setenv("TARVEX_HOME", m_dir.c_str(), 1);
        m_connection = Open("", 200);
        ASSERT_NE(m_connection, nullptr);
    }
    void TearDown() override {
        m_connection.reset();
        unsetenv("TARVEX_HOME");
        std::filesystem::remove_all(m_dir);
    }

    static std::unique_ptr<CSqliteConnection> Open(const char* name, int busyMs) {
        CEngineError error;
        auto connection = CSqliteConnection::Open(name, error, busyMs);
        EXPECT_NE(connection, nullptr) << error.message;
        return connection;
    }
    bool Exec(CSqliteConnection& connection, const std::string& sql) {
        long rows = 0;
        return connection.Execute(sql, m_binds, rows);
    }
    std::string Scalar(CSqliteConnection& connection, const std::string& sql) {
        CEngineResult result;
        if (!connection.Query(sql, m_binds, result)) return "ERROR: " + connection.LastError().message;
        return result.RowCount() > 0 ? std::string(result.Value(0, 0)) : "<no rows>";
    }

    std::string m_dir;
    std::vector<CEngineBind> m_binds;
    std::unique_ptr<CSqliteConnection> m_connection;
};

}  // namespace

TEST_F(CSqliteConnectionTest, FileUsesWriteAheadLogging) {
    EXPECT_EQ(m_connection->Path(), m_dir + "/default.db");
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(m_connection->Path().c_str(), &raw), SQLITE_OK);
    sqlite3_stmt* statement = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(raw, "PRAGMA journal_mode", -1, &statement, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(statement), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)), "wal");
    sqlite3_finalize(statement);
    sqlite3_close(raw);
}

TEST_F(CSqliteConnectionTest, ReadersAreNotBlockedByUncommittedWork) {
    ASSERT_TRUE(Exec(*m_connection, "CREATE TABLE T (A NUMBER)"));
    ASSERT_TRUE(Exec(*m_connection, "INSERT INTO T VALUES (1)"));
    auto other = Open("", 200);
    EXPECT_EQ(Scalar(*other, "SELECT COUNT(*) FROM T"), "0");
    EXPECT_FALSE(Exec(*other, "INSERT INTO T VALUES (2)"));
    EXPECT_NE(other->LastError().message.find("locked"), std::string::npos) << other->LastError().message;
    ASSERT_TRUE(m_connection->Commit());
    EXPECT_TRUE(Exec(*other, "INSERT INTO T VALUES (2)")) << other->LastError().message;
    EXPECT_TRUE(other->Rollback());
    EXPECT_EQ(Scalar(*m_connection, "SELECT COUNT(*) FROM T"), "1");
}

TEST_F(CSqliteConnectionTest, LockedFileIsRefusedAtOpen) {
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open((m_dir + "/locked.db").c_str(), &raw), SQLITE_OK);
    ASSERT_EQ(
        sqlite3_exec(raw, "PRAGMA locking_mode = EXCLUSIVE; CREATE TABLE X (A); INSERT INTO X VALUES (1);",
                     nullptr, nullptr, nullptr),
        SQLITE_OK);
    CEngineError error;
    auto connection = CSqliteConnection::Open("LOCKED", error, 50);
    EXPECT_EQ(connection, nullptr);
    EXPECT_NE(error.message.find("locked"), std::string::npos) << error.message;
    EXPECT_EQ(error.position, -1);
    sqlite3_close(raw);
    connection = CSqliteConnection::Open("LOCKED", error, 50);
    EXPECT_NE(connection, nullptr) << error.message;
}

TEST_F(CSqliteConnectionTest, FailedFirstWriteReleasesItsTransaction) {
    ASSERT_TRUE(Exec(*m_connection, "CREATE TABLE T (A NUMBER PRIMARY KEY)"));
    ASSERT_TRUE(Exec(*m_connection, "INSERT INTO T VALUES (1)"));
    ASSERT_TRUE(m_connection->Commit());
    EXPECT_FALSE(Exec(*m_connection, "INSERT INTO T VALUES (1)"));
    auto other = Open("", 50);
    EXPECT_TRUE(Exec(*other, "INSERT INTO T VALUES (2)")) << other->LastError().message;
}

TEST_F(CSqliteConnectionTest, FailedBlockReleasesItsTransaction) {
    ASSERT_TRUE(Exec(*m_connection, "CREATE TABLE T (A NUMBER)"));
    EXPECT_FALSE(Exec(*m_connection, "BEGIN INSERT INTO T VALUES (1); INSERT INTO NOPE VALUES (1); END;"));
    auto other = Open("", 50);
    EXPECT_TRUE(Exec(*other, "INSERT INTO T VALUES (2)")) << other->LastError().message;
}

TEST_F(CSqliteConnectionTest, QueriesMustBeQueries) {
    CEngineResult result;
    ASSERT_TRUE(Exec(*m_connection, "CREATE TABLE T (A NUMBER)"));
    EXPECT_FALSE(m_connection->Query("INSERT INTO T VALUES (1)", m_binds, result));
    EXPECT_FALSE(m_connection->Query("", m_binds, result));
    EXPECT_FALSE(m_connection->Query("   -- nothing", m_binds, result));
    EXPECT_EQ(Scalar(*m_connection, "SELECT COUNT(*) FROM T"), "0");
}

TEST_F(CSqliteConnectionTest, QuestionMarkParametersAreRefused) {
    long rows = 0;
    EXPECT_FALSE(m_connection->Execute("SELECT ? FROM DUAL", m_binds, rows));
    EXPECT_NE(m_connection->LastError().message.find(":NAME"), std::string::npos);
}

TEST_F(CSqliteConnectionTest, BindValuesThatAreNotCp932AreRefused) {
    m_binds.push_back(CEngineBind{"S", "\x81", false, servertype::kVarchar2, false});
    EXPECT_EQ(Scalar(*m_connection, "SELECT :S FROM DUAL").rfind("ERROR: ", 0), 0u);
    m_binds[0].value = "\x82\xa0";
    EXPECT_EQ(Scalar(*m_connection, "SELECT :S FROM DUAL"), "\x82\xa0");
}

TEST_F(CSqliteConnectionTest, NumberBindsAreNumbersAndTextBindsText) {
    m_binds.push_back(CEngineBind{"N", "007", false, servertype::kNumber, false});
    m_binds.push_back(CEngineBind{"S", "007", false, servertype::kVarchar2, false});
    m_binds.push_back(CEngineBind{"F", "2.50", false, servertype::kNumber, false});
    EXPECT_EQ(Scalar(*m_connection, "SELECT :N || '/' || :S || '/' || :F FROM DUAL"), "7/007/2.5");
}

TEST_F(CSqliteConnectionTest, ServerOutputBufferIsBounded) {
    long rows = 0;
    ASSERT_TRUE(m_connection->Execute("BEGIN DBMS_OUTPUT.ENABLE; END;", m_binds, rows));
    ASSERT_TRUE(
        m_connection->Execute("BEGIN DBMS_OUTPUT.PUT_LINE(HEX(ZEROBLOB(300000))); END;", m_binds, rows));
    EXPECT_FALSE(
        m_connection->Execute("BEGIN DBMS_OUTPUT.PUT_LINE(HEX(ZEROBLOB(300000))); END;", m_binds, rows));
    EXPECT_NE(m_connection->LastError().message.find("overflow"), std::string::npos);
    auto lines = m_connection->TakeServerOutput();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].size(), 600000u);
    EXPECT_TRUE(
        m_connection->Execute("BEGIN DBMS_OUTPUT.PUT_LINE(HEX(ZEROBLOB(300000))); END;", m_binds, rows));
}

TEST_F(CSqliteConnectionTest, BlockAssignmentsOnlyWrittenBackOnSuccess) {
    m_binds.push_back(CEngineBind{"N", "1", false, servertype::kNumber, false});
    long rows = 0;
    EXPECT_FALSE(m_connection->Execute("BEGIN :N := 2; :N := NOPE; END;", m_binds, rows));
    EXPECT_EQ(m_binds[0].value, "1");
    EXPECT_FALSE(m_binds[0].assigned);
    EXPECT_TRUE(m_connection->Execute("BEGIN :N := :N + 1; :N := :N * 10; END;", m_binds, rows));
    EXPECT_EQ(m_binds[0].value, "20");
    EXPECT_TRUE(m_binds[0].assigned);
}

TEST_F(CSqliteConnectionTest, CreateOrReplaceViewOverDual) {
    ASSERT_TRUE(Exec(*m_connection, "CREATE OR REPLACE VIEW V AS SELECT 1 AS A FROM DUAL"));
    ASSERT_TRUE(Exec(*m_connection, "CREATE OR REPLACE VIEW V AS SELECT 2 AS A, DUMMY FROM DUAL"))
        << m_connection->LastError().message;
    EXPECT_EQ(Scalar(*m_connection, "SELECT A || DUMMY FROM V"), "2X");
    auto other = Open("", 50);
    EXPECT_EQ(Scalar(*other, "SELECT A FROM V"), "2");
}

TEST_F(CSqliteConnectionTest, TriggerSelectingFromDual) {
    ASSERT_TRUE(Exec(*m_connection, "CREATE TABLE T (A NUMBER)"));
    ASSERT_TRUE(Exec(*m_connection, "CREATE TABLE L (D VARCHAR2(1))"));
    ASSERT_TRUE(Exec(*m_connection,
                     "CREATE TRIGGER TR AFTER INSERT ON T FOR EACH ROW BEGIN "
                     "INSERT INTO L SELECT DUMMY FROM DUAL; END;"))
        << m_connection->LastError().message;
    ASSERT_TRUE(Exec(*m_connection, "INSERT INTO T VALUES (1)")) << m_connection->LastError().message;
    EXPECT_EQ(Scalar(*m_connection, "SELECT D FROM L"), "X");
}
