#include <gtest/gtest.h>
#include <sqlite3.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "tests/engine/EngineFixture.h"

namespace {

// Statements here are CP932 as the engine takes them, on the fixture's
// connection or another one.
class CSqliteConnectionTest : public EngineFixture {
protected:
    static std::unique_ptr<CSqliteConnection> Open(int busyMs) {
        CEngineError error;
        auto connection = CSqliteConnection::Open("", error, busyMs);
        EXPECT_NE(connection, nullptr) << error.message;
        return connection;
    }
    bool Exec(const std::string& sql, CSqliteConnection* connection = nullptr) {
        long rows = 0;
        return (connection ? *connection : *m_connection).Execute(sql, m_binds, rows);
    }
    std::string Scalar(const std::string& sql, CSqliteConnection* connection = nullptr) {
        CSqliteConnection& c = connection ? *connection : *m_connection;
        CEngineResult result;
        if (!c.Query(sql, m_binds, result)) return "ERROR: " + c.LastError().message;
        return result.RowCount() > 0 ? std::string(result.Value(0, 0)) : "<no rows>";
    }
};

}  // namespace

TEST_F(CSqliteConnectionTest, FileUsesWriteAheadLogging) {
    EXPECT_EQ(m_connection->Path(), m_home.Path("default.db"));
    EXPECT_EQ(OneIn(m_connection->Path(), "PRAGMA journal_mode"), "wal");
    // DUAL lives in each connection, never in the file.
    EXPECT_EQ(OneIn(m_connection->Path(), "SELECT COUNT(*) FROM sqlite_schema WHERE name LIKE 'dual'"), "0");
}

TEST_F(CSqliteConnectionTest, SecondWriterWaitsForTheLockAndThenSucceeds) {
    ASSERT_TRUE(Exec("CREATE TABLE T (A NUMBER)"));
    ASSERT_TRUE(Exec("INSERT INTO T VALUES (1)"));  // holds the write lock until the commit below
    auto other = Open(10000);
    std::atomic<bool> done = false;
    bool inserted = false;
    std::thread second([&] {
        inserted = Exec("INSERT INTO T VALUES (2)", other.get());
        done = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const bool finishedWhileLocked = done;
    ASSERT_TRUE(m_connection->Commit());
    second.join();
    EXPECT_FALSE(finishedWhileLocked);
    ASSERT_TRUE(inserted) << other->LastError().message;
    ASSERT_TRUE(other->Commit());
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM T"), "2");
}

// DDL in the server's spellings, which commits the work before it.
TEST_F(CSqliteConnectionTest, DdlCommitsTheWorkBeforeItAndAFailedStatementKeepsIt) {
    ASSERT_TRUE(Exec("CREATE TABLE T (A NUMBER, D DATE DEFAULT SYSDATE)"));
    ASSERT_TRUE(Exec("INSERT INTO T (A) VALUES (1)"));
    EXPECT_FALSE(Exec("INSERT INTO T VALUES (1, 2, 3)"));
    EXPECT_TRUE(m_connection->HasUncommittedWork());
    ASSERT_TRUE(Exec("CREATE TABLE U (B VARCHAR2(10 BYTE))"));
    ASSERT_TRUE(Exec("INSERT INTO T (A) VALUES (2)"));
    ASSERT_TRUE(Exec("DROP TABLE U CASCADE CONSTRAINTS"));
    ASSERT_TRUE(Exec("ROLLBACK"));
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM T WHERE D IS NOT NULL"), "2");
    ASSERT_TRUE(Exec("TRUNCATE TABLE T"));
    ASSERT_TRUE(Exec("ROLLBACK"));
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM T"), "0");
}

TEST_F(CSqliteConnectionTest, LockedFileIsRefusedAtOpen) {
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(m_home.Path("locked.db").c_str(), &raw), SQLITE_OK);
    ASSERT_EQ(
        sqlite3_exec(raw, "PRAGMA locking_mode = EXCLUSIVE; CREATE TABLE X (A); INSERT INTO X VALUES (1);",
                     nullptr, nullptr, nullptr),
        SQLITE_OK);
    CEngineError error;
    auto connection = CSqliteConnection::Open("LOCKED", error, 50);
    EXPECT_EQ(connection, nullptr);
    EXPECT_EQ(error.code, 54) << error.message;
    EXPECT_EQ(error.position, -1);
    sqlite3_close(raw);
    connection = CSqliteConnection::Open("LOCKED", error, 50);
    EXPECT_NE(connection, nullptr) << error.message;
}

TEST_F(CSqliteConnectionTest, FailedFirstWriteOrBlockReleasesItsTransaction) {
    ASSERT_TRUE(Exec("CREATE TABLE T (A NUMBER PRIMARY KEY)"));
    ASSERT_TRUE(Exec("INSERT INTO T VALUES (1)"));
    ASSERT_TRUE(m_connection->Commit());
    for (const char* failing :
         {"INSERT INTO T VALUES (1)", "BEGIN INSERT INTO T VALUES (5); INSERT INTO NOPE VALUES (1); END;"}) {
        EXPECT_FALSE(Exec(failing)) << failing;
        auto other = Open(50);
        EXPECT_TRUE(Exec("INSERT INTO T VALUES (2)", other.get()))
            << failing << ": " << other->LastError().message;
        EXPECT_TRUE(other->Rollback());
    }
}

TEST_F(CSqliteConnectionTest, RefusedStatementsAndBinds) {
    CEngineResult result;
    ASSERT_TRUE(Exec("CREATE TABLE T (A NUMBER)"));
    for (const char* notQuery : {"INSERT INTO T VALUES (1)", "", "   -- nothing"})
        EXPECT_FALSE(m_connection->Query(notQuery, m_binds, result)) << notQuery;
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM T"), "0");
    EXPECT_FALSE(Exec("SELECT ? FROM DUAL"));
    EXPECT_NE(Error().find(":NAME"), std::string::npos);
    m_binds.push_back(CEngineBind{"S", "\x81", false, servertype::kVarchar2, false});  // not CP932
    EXPECT_EQ(Scalar("SELECT :S FROM DUAL").rfind("ERROR: ", 0), 0u);
    m_binds[0].value = "\x82\xa0";
    EXPECT_EQ(Scalar("SELECT :S FROM DUAL"), "\x82\xa0");
}

TEST_F(CSqliteConnectionTest, NumberBindsAreNumbersAndTextBindsText) {
    m_binds.push_back(CEngineBind{"N", "007", false, servertype::kNumber, false});
    m_binds.push_back(CEngineBind{"S", "007", false, servertype::kVarchar2, false});
    m_binds.push_back(CEngineBind{"F", "2.50", false, servertype::kNumber, false});
    EXPECT_EQ(Scalar("SELECT :N || '/' || :S || '/' || :F FROM DUAL"), "7/007/2.5");
}

TEST_F(CSqliteConnectionTest, ServerOutputBufferIsBounded) {
    const std::string line =
        "BEGIN FOR i IN 1..20 LOOP DBMS_OUTPUT.PUT_LINE(RPAD('x', 30000, 'x')); END LOOP; END;";
    ASSERT_TRUE(Exec("BEGIN DBMS_OUTPUT.ENABLE(1000000); END;"));
    ASSERT_TRUE(Exec(line));
    EXPECT_FALSE(Exec(line));
    EXPECT_EQ(Error().rfind("ORA-20000: ORU-10027", 0), 0u) << Error();
    auto lines = m_connection->TakeServerOutput();
    // Note: what the failing block put before the overflow stays, as on the server.
    ASSERT_EQ(lines.size(), 33u);
    EXPECT_EQ(lines[0].size(), 30000u);
    EXPECT_TRUE(Exec(line));
}

TEST_F(CSqliteConnectionTest, BlockAssignmentsOnlyWrittenBackOnSuccess) {
    m_binds.push_back(CEngineBind{"N", "1", false, servertype::kNumber, false});
    m_binds.push_back(CEngineBind{"S", "", true, servertype::kVarchar2, false});
    EXPECT_FALSE(Exec("BEGIN :N := 2; :N := NOPE; END;"));
    EXPECT_EQ(m_binds[0].value, "1");
    EXPECT_FALSE(m_binds[0].assigned);
    EXPECT_TRUE(Exec("BEGIN :N := :N + 1; :N := :N * 10 / 8; :S := 'V=' || :N || ';'; END;"));
    EXPECT_EQ(m_binds[0].value, "2.5");
    EXPECT_TRUE(m_binds[0].assigned);
    EXPECT_EQ(m_binds[1].value, "V=2.5;");
    EXPECT_TRUE(Exec("BEGIN :N := '42'; :S := NULL; END;"));
    EXPECT_EQ(m_binds[0].value, "42");
    EXPECT_TRUE(m_binds[1].isNull);
    EXPECT_FALSE(Exec("BEGIN :N := 'abc'; END;"));
    EXPECT_EQ(m_connection->LastError().code, 6502);
    const std::string unknown = "BEGIN :S := 'x'; :NOPE := 1; END;";
    EXPECT_FALSE(Exec(unknown));
    EXPECT_EQ(m_connection->LastError().position, static_cast<int>(unknown.find(":NOPE")));
}

TEST_F(CSqliteConnectionTest, BlocksJoinTheTransactionUndoOnlyThemselvesAndBufferOutput) {
    ASSERT_TRUE(Exec("CREATE TABLE T (A NUMBER)"));
    ASSERT_TRUE(Exec("INSERT INTO T VALUES (1)"));
    EXPECT_FALSE(Exec("BEGIN INSERT INTO T VALUES (2); INSERT INTO NOPE VALUES (3); END;"));
    EXPECT_NE(Error().find("NOPE"), std::string::npos);
    long rows = 0;
    ASSERT_TRUE(m_connection->Execute("BEGIN INSERT INTO T VALUES (2); UPDATE T SET A = A * 10; END;",
                                      m_binds, rows));
    EXPECT_EQ(rows, 3);
    EXPECT_EQ(Scalar("SELECT SUM(A) FROM T"), "30");
    ASSERT_TRUE(Exec("ROLLBACK"));
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM T"), "0");
    ASSERT_TRUE(Exec("BEGIN DBMS_OUTPUT.PUT_LINE('lost'); DBMS_OUTPUT.ENABLE; END;"));
    ASSERT_TRUE(Exec(
        "BEGIN DBMS_OUTPUT.PUT_LINE('A' || 7); DBMS_OUTPUT.PUT('B'); DBMS_OUTPUT.PUT_LINE(1 + 1); END;"));
    EXPECT_EQ(m_connection->TakeServerOutput(), (std::vector<std::string>{"A7", "B2"}));
    EXPECT_TRUE(m_connection->TakeServerOutput().empty());
    ASSERT_TRUE(
        Exec("BEGIN DBMS_OUTPUT.PUT_LINE('X'); DBMS_OUTPUT.DISABLE; DBMS_OUTPUT.PUT_LINE('Y'); END;"));
    EXPECT_TRUE(m_connection->TakeServerOutput().empty());
    EXPECT_TRUE(Exec("  DECLARE X NUMBER; BEGIN NULL; END;"));
}

TEST_F(CSqliteConnectionTest, ViewsAndTriggersOverDual) {
    ASSERT_TRUE(Exec("CREATE OR REPLACE VIEW V AS SELECT 1 AS A FROM DUAL"));
    ASSERT_TRUE(Exec("CREATE OR REPLACE VIEW V AS SELECT 2 AS A, DUMMY FROM DUAL")) << Error();
    EXPECT_EQ(Scalar("SELECT A || DUMMY FROM V"), "2X");
    auto other = Open(50);
    EXPECT_EQ(Scalar("SELECT A FROM V", other.get()), "2");
    ASSERT_TRUE(Exec("CREATE TABLE T (A NUMBER, B VARCHAR2(5))"));
    ASSERT_TRUE(Exec("CREATE TABLE L (D VARCHAR2(10))"));
    const std::string logInsert =
        "CREATE OR REPLACE TRIGGER TR AFTER INSERT ON T FOR EACH ROW BEGIN INSERT INTO L SELECT DUMMY || "
        "':NEW.A' FROM DUAL; END;";
    ASSERT_TRUE(Exec(logInsert)) << Error();
    ASSERT_TRUE(Exec(logInsert)) << Error();  // OR REPLACE: no "already exists"
    ASSERT_TRUE(
        Exec("CREATE TRIGGER TU AFTER UPDATE ON T FOR EACH ROW BEGIN INSERT INTO L VALUES (:OLD.B || "
             "'>' || :NEW.B); END;"))
        << Error();
    // A failed replace keeps the old trigger; a BEFORE ROW trigger sets :NEW.
    EXPECT_FALSE(Exec("CREATE OR REPLACE TRIGGER TR AFTER INSERT ON NOPE FOR EACH ROW BEGIN NULL; END;"));
    ASSERT_TRUE(Exec("CREATE TRIGGER TB BEFORE INSERT ON T FOR EACH ROW BEGIN :NEW.A := :NEW.A + 4; END;"));
    ASSERT_TRUE(Exec("INSERT INTO T VALUES (1, 'a')")) << Error();
    EXPECT_EQ(Scalar("SELECT A FROM T"), "5");
    ASSERT_TRUE(Exec("UPDATE T SET B = 'b'")) << Error();
    EXPECT_EQ(Scalar("SELECT LISTAGG(D, ' ') WITHIN GROUP (ORDER BY D) FROM L"), "X:NEW.A a>b");
}

TEST_F(CSqliteConnectionTest, DescribeOnlyReadsNoRow) {
    ASSERT_TRUE(Exec("CREATE TABLE T (ID NUMBER(4) NOT NULL, NAME VARCHAR2(10))"));
    ASSERT_TRUE(Exec("INSERT INTO T VALUES (1, 'A')"));
    // The condition fails as soon as a row is read.
    const std::string query = "SELECT ID, NAME FROM T WHERE LPAD('X', 100000) IS NOT NULL";
    auto described = m_connection->OpenCursor(query, m_binds, CEngineConnection::CursorMode::DescribeOnly);
    ASSERT_NE(described, nullptr) << Error();
    ASSERT_EQ(described->Columns().size(), 2U);
    EXPECT_EQ(described->Columns()[0].name, "ID");
    EXPECT_FALSE(described->Columns()[0].nullable);
    EXPECT_EQ(described->Columns()[1].size, 10);
    CEngineResult batch;
    ASSERT_TRUE(described->Fetch(10, batch));
    EXPECT_EQ(batch.RowCount(), 0U);
    auto rows = m_connection->OpenCursor(query, m_binds, CEngineConnection::CursorMode::Rows);
    ASSERT_NE(rows, nullptr) << Error();
    EXPECT_FALSE(rows->Fetch(10, batch));
    EXPECT_NE(rows->LastError().message.find("ORA-06502"), std::string::npos) << rows->LastError().message;
}

TEST_F(CSqliteConnectionTest, StreamedRowsMatchTheWholeResult) {
    ASSERT_TRUE(Exec("CREATE TABLE T (ID NUMBER(6), SAL NUMBER(8,2), NAME VARCHAR2(10), D DATE)"));
    ASSERT_TRUE(
        Exec("INSERT INTO T WITH C(N) AS (SELECT 1 FROM DUAL UNION ALL SELECT N + 1 FROM C WHERE N < 250) "
             "SELECT N, N / 3, CASE WHEN MOD(N, 7) = 0 THEN NULL ELSE 'N' || N END, "
             "TO_DATE('2024-01-02 03:04:05', 'YYYY-MM-DD HH24:MI:SS') FROM C"));
    // Both a streamed query (declared columns) and one described by its
    // values (an expression column) give the whole result in batches.
    for (const std::string query :
         {"SELECT * FROM T ORDER BY ID", "SELECT ID, NAME || 'x' FROM T ORDER BY ID"}) {
        CEngineResult whole;
        ASSERT_TRUE(m_connection->Query(query, m_binds, whole)) << Error();
        auto cursor = m_connection->OpenCursor(query, m_binds, CEngineConnection::CursorMode::Rows);
        ASSERT_NE(cursor, nullptr) << Error();
        ASSERT_EQ(cursor->Columns().size(), whole.Columns().size());
        for (std::size_t c = 0; c < whole.Columns().size(); ++c) {
            EXPECT_EQ(cursor->Columns()[c].serverType, whole.Columns()[c].serverType) << query;
            EXPECT_EQ(cursor->Columns()[c].size, whole.Columns()[c].size) << query;
        }
        std::size_t row = 0;
        CEngineResult batch;
        do {
            ASSERT_TRUE(cursor->Fetch(100, batch)) << cursor->LastError().message;
            for (std::size_t r = 0; r < batch.RowCount(); ++r, ++row)
                for (std::size_t c = 0; c < whole.Columns().size(); ++c) {
                    EXPECT_EQ(batch.IsNull(r, c), whole.IsNull(row, c));
                    EXPECT_EQ(batch.Value(r, c), whole.Value(row, c)) << query << " row " << row;
                }
        } while (batch.RowCount() == 100);
        EXPECT_EQ(row, 250U) << query;
    }
}

TEST_F(CSqliteConnectionTest, DictionaryViewsOutliveTheRollbackOfTheirFirstUse) {
    ASSERT_TRUE(Exec("CREATE TABLE D (A NUMBER)"));
    ASSERT_TRUE(Exec("INSERT INTO D VALUES (1)"));
    EXPECT_EQ(Scalar("SELECT TABLE_NAME FROM USER_TABLES"), "D");
    ASSERT_TRUE(Exec("ROLLBACK"));
    EXPECT_EQ(Scalar("SELECT TABLE_NAME FROM ALL_TABLES"), "D");
}
