// The server engine against the stand-in made as strict as the client
// library: error offsets in bytes, breaks in every phase, warnings, logons
// with privileges, a dead session, bind and define rules, round trips and
// characters CP932 lacks.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "engine/CEngineFactory.h"
#include "engine/oci/COciConnection.h"
#include "tests/support/TempDir.h"
#include "text/Encoding.h"

namespace {

// A knob of the stand-in, called in the loaded library.
template <typename Fn>
Fn Knob(const char* name) {
    void* library = dlopen(std::getenv("TARVEX_FAKEOCI"), RTLD_NOW | RTLD_NOLOAD);
    return library != nullptr ? reinterpret_cast<Fn>(dlsym(library, name)) : nullptr;
}

unsigned long RoundTrips() { return Knob<unsigned long (*)()>("fakeoci_RoundTrips")(); }
void SetDelay(long ms) { Knob<void (*)(long)>("fakeoci_SetDelay")(ms); }

class COciSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* library = std::getenv("TARVEX_FAKEOCI");
        ASSERT_NE(library, nullptr) << "TARVEX_FAKEOCI names the stand-in library";
        setenv("TARVEX_OCI_LIBRARY", library, 1);
        m_connection = Open(Logon());
        ASSERT_NE(m_connection, nullptr) << m_error.message;
    }
    void TearDown() override {
        if (auto delay = Knob<void (*)(long)>("fakeoci_SetDelay")) delay(-1);
        if (auto revive = Knob<void (*)()>("fakeoci_Revive")) revive();
        for (const char* name : {"TARVEX_FAKEOCI_LOGON_INFO", "TARVEX_FAKEOCI_EXPIRED",
                                 "TARVEX_FAKEOCI_COMMIT_INFO", "TARVEX_FAKEOCI_OS_USER"})
            unsetenv(name);
    }
    static CEngineLogon Logon(const std::string& user = "scott", const std::string& password = "tiger") {
        CEngineLogon logon;
        logon.database = "//localhost/S";
        logon.user = user;
        logon.password = password;
        return logon;
    }
    std::unique_ptr<CEngineConnection> Open(const CEngineLogon& logon) {
        m_error.Clear();
        return CEngineFactory::Open(logon, m_error);
    }
    bool Exec(const std::string& sql) {
        long rows = 0;
        return m_connection->Execute(sql, m_binds, rows);
    }
    // `count` rows numbered from 1 in table N.
    void FillNumbers(int count) {
        ASSERT_TRUE(Exec("CREATE TABLE N (I NUMBER)")) << m_connection->LastError().message;
        ASSERT_TRUE(Exec("INSERT INTO N VALUES (1)"));
        while (true) {
            CEngineResult result;
            ASSERT_TRUE(m_connection->Query("SELECT COUNT(*) FROM N", m_binds, result));
            const int have = std::stoi(std::string(result.Value(0, 0)));
            if (have >= count) break;
            ASSERT_TRUE(Exec("INSERT INTO N SELECT I + " + std::to_string(have) +
                             " FROM N WHERE I <= " + std::to_string(count - have)))
                << m_connection->LastError().message;
        }
        ASSERT_TRUE(m_connection->Commit());
    }
    // Reads the whole cursor as the console does, a hundred rows a call.
    static bool ReadAll(CEngineCursor& cursor, std::size_t& rows) {
        CEngineResult batch;
        rows = 0;
        do {
            if (!cursor.Fetch(100, batch)) return false;
            rows += batch.RowCount();
        } while (batch.RowCount() == 100);
        return true;
    }

    TempHome m_home;
    CEngineError m_error;
    std::vector<CEngineBind> m_binds;
    std::unique_ptr<CEngineConnection> m_connection;
};

// The offset the library gives counts bytes of the text it was sent
// (UTF-8 here); the report needs the byte in the CP932 text, and a failure
// that points nowhere in particular is at 0, as on the embedded engine.
TEST_F(COciSessionTest, ErrorPositionsAreBytesOfTheTypedTextAndZeroIsKept) {
    ASSERT_TRUE(Exec("CREATE TABLE K (ID NUMBER PRIMARY KEY)"));
    ASSERT_TRUE(Exec("INSERT INTO K VALUES (1)"));
    CEngineError failure;
    auto embedded = CEngineFactory::Open("other", failure);
    ASSERT_NE(embedded, nullptr);
    long rows = 0;
    ASSERT_TRUE(embedded->Execute("CREATE TABLE K (ID NUMBER PRIMARY KEY)", m_binds, rows));
    ASSERT_TRUE(embedded->Execute("INSERT INTO K VALUES (1)", m_binds, rows));
    const std::string cases[] = {
        encoding::Utf8ToCp932("SELECT '日本語のテキスト', NOSUCH FROM DUAL"),
        encoding::Utf8ToCp932("SELECT 'ｶﾅ' A,\n  '漢字' B, NOSUCH FROM DUAL"),
        "INSERT INTO K VALUES (1)",
    };
    for (const std::string& sql : cases) {
        EXPECT_FALSE(Exec(sql));
        EXPECT_FALSE(embedded->Execute(sql, m_binds, rows));
        EXPECT_GE(embedded->LastError().position, 0) << sql;
        EXPECT_EQ(m_connection->LastError().position, embedded->LastError().position) << sql;
        EXPECT_EQ(m_connection->LastError().message, embedded->LastError().message);
    }
}

// Ctrl+C and Esc reach the session through Cancel from another thread: a
// break must hit every phase, the console goes on afterwards.
TEST_F(COciSessionTest, CancelBreaksEveryPhaseAndTheSessionGoesOn) {
    FillNumbers(3000);
    SetDelay(200);
    struct Phase {
        const char* name;
        std::function<bool()> run;
    };
    const Phase phases[] = {
        {"fetch",
         [&] {
             auto cursor =
                 m_connection->OpenCursor("SELECT I FROM N", m_binds, CEngineConnection::CursorMode::Rows);
             std::size_t rows = 0;
             return cursor != nullptr && ReadAll(*cursor, rows);
         }},
        {"execute", [&] { return Exec("UPDATE N SET I = I"); }},
        {"block", [&] { return Exec("BEGIN UPDATE N SET I = I; END;"); }},
        {"commit", [&] { return m_connection->Commit(); }},
    };
    for (const Phase& phase : phases) {
        // Note: the break is sent again until the call returns, so that a
        // slow start of this thread cannot let the call slip by.
        std::atomic<bool> done{false};
        std::thread canceller([this, &done] {
            while (!done) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
                m_connection->Cancel();
            }
        });
        const bool ok = phase.run();
        done = true;
        canceller.join();
        EXPECT_FALSE(ok) << phase.name;
        EXPECT_EQ(m_connection->LastError().code, 1013)
            << phase.name << ": " << m_connection->LastError().message;
    }
    SetDelay(0);
    CEngineResult result;
    EXPECT_TRUE(m_connection->Query("SELECT COUNT(*) FROM N", m_binds, result)) << "the session goes on";
    EXPECT_FALSE(m_connection->IsSessionLost());
}

TEST_F(COciSessionTest, WarningsAreKeptAndACommitWithOneSucceeds) {
    setenv("TARVEX_FAKEOCI_LOGON_INFO", "28002", 1);
    auto warned = Open(Logon());
    ASSERT_NE(warned, nullptr) << m_error.message;
    const std::vector<std::string> warnings = warned->TakeWarnings();
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0].rfind("ORA-28002", 0), 0u) << warnings[0];
    EXPECT_TRUE(warned->TakeWarnings().empty()) << "handed over once";
    setenv("TARVEX_FAKEOCI_COMMIT_INFO", "12345", 1);
    ASSERT_TRUE(Exec("CREATE TABLE W (A NUMBER)"));
    ASSERT_TRUE(Exec("INSERT INTO W VALUES (1)"));
    EXPECT_TRUE(m_connection->Commit()) << m_connection->LastError().message;
    EXPECT_FALSE(m_connection->HasUncommittedWork());
    EXPECT_EQ(m_connection->TakeWarnings().size(), 1u);
}

TEST_F(COciSessionTest, AnExpiredPasswordIsChangedAsPartOfTheLogon) {
    setenv("TARVEX_FAKEOCI_EXPIRED", "ADAMS", 1);
    EXPECT_EQ(Open(Logon("adams", "old")), nullptr);
    EXPECT_EQ(m_error.code, 28001) << m_error.message;
    CEngineLogon again = Logon("adams", "old");
    again.newPassword = "old";
    EXPECT_EQ(Open(again), nullptr);
    EXPECT_EQ(m_error.code, 28007) << "the server's own refusal comes back";
    again.newPassword = "new";
    EXPECT_NE(Open(again), nullptr) << m_error.message;
}

TEST_F(COciSessionTest, PrivilegesAndExternalCredentialsNameTheSessionUser) {
    EXPECT_EQ(m_connection->SessionUser(), "SCOTT");
    struct Case {
        const char* privilege;
        const char* user;
    };
    for (const Case& row : {Case{"SYSDBA", "SYS"}, Case{"sysoper", "PUBLIC"}, Case{"SYSBACKUP", "SYSBACKUP"},
                            Case{"SYSDG", "SYSDG"}, Case{"SYSKM", "SYSKM"}}) {
        CEngineLogon logon = Logon();
        logon.privilege = row.privilege;
        auto connection = Open(logon);
        ASSERT_NE(connection, nullptr) << m_error.message;
        EXPECT_EQ(connection->SessionUser(), row.user);
    }
    CEngineLogon external = Logon("", "");
    external.external = true;
    EXPECT_EQ(Open(external), nullptr) << "no operating-system user is known";
    setenv("TARVEX_FAKEOCI_OS_USER", "ops$clerk", 1);
    auto connection = Open(external);
    ASSERT_NE(connection, nullptr) << m_error.message;
    EXPECT_EQ(connection->SessionUser(), "OPS$CLERK");
    CEngineLogon bad = Logon();
    bad.privilege = "SYSFOO";
    EXPECT_EQ(Open(bad), nullptr);
    CEngineLogon embedded = Logon();
    embedded.database = "local";
    embedded.privilege = "SYSDBA";
    EXPECT_EQ(Open(embedded), nullptr);
    EXPECT_NE(m_error.message.find("SYSDBA"), std::string::npos) << "one clear line on the embedded engine";
}

TEST_F(COciSessionTest, ADeadSessionIsNoticedAndLosesItsWork) {
    ASSERT_TRUE(Exec("CREATE TABLE D (A NUMBER)"));
    ASSERT_TRUE(Exec("INSERT INTO D VALUES (1)"));
    Knob<void (*)()>("fakeoci_KillSessions")();
    EXPECT_FALSE(Exec("INSERT INTO D VALUES (2)"));
    const CEngineError& error = m_connection->LastError();
    EXPECT_EQ(error.code, 3113);
    EXPECT_TRUE(error.sessionLost);
    EXPECT_NE(error.message.find(encoding::Utf8ToCp932("コミットされていない変更は失われました")),
              std::string::npos)
        << error.message;
    EXPECT_TRUE(m_connection->IsSessionLost());
    EXPECT_TRUE(m_connection->TransactionLost());
    const unsigned long trips = RoundTrips();
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(Exec("SELECT 1 FROM DUAL"));
    EXPECT_EQ(m_connection->LastError().code, 3114);
    EXPECT_FALSE(m_connection->Commit()) << "the work is gone; a commit cannot say otherwise";
    EXPECT_EQ(RoundTrips(), trips) << "a dead session is not asked again";
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
    EXPECT_TRUE(m_connection->Rollback());
    EXPECT_FALSE(m_connection->TransactionLost());
    m_connection.reset();
    Knob<void (*)()>("fakeoci_Revive")();
    m_connection = Open(Logon());
    ASSERT_NE(m_connection, nullptr);
    CEngineResult result;
    ASSERT_TRUE(m_connection->Query("SELECT COUNT(*) FROM D", m_binds, result));
    EXPECT_EQ(result.Value(0, 0), "0");
}

TEST_F(COciSessionTest, ASessionThatDiesMidFetchFailsTheFetchAtOnce) {
    FillNumbers(3000);
    auto cursor = m_connection->OpenCursor("SELECT I FROM N", m_binds, CEngineConnection::CursorMode::Rows);
    ASSERT_NE(cursor, nullptr);
    CEngineResult batch;
    ASSERT_TRUE(cursor->Fetch(100, batch));
    Knob<void (*)()>("fakeoci_KillSessions")();
    std::size_t rows = 0;
    EXPECT_FALSE(ReadAll(*cursor, rows));
    EXPECT_EQ(cursor->LastError().code, 3113);
    EXPECT_TRUE(m_connection->IsSessionLost());
    EXPECT_FALSE(m_connection->TransactionLost()) << "nothing was uncommitted";
    EXPECT_TRUE(m_connection->TakeServerOutput().empty());
}

// Numbers travel as numbers and short texts are sized by their value; a
// block may write back up to PL/SQL's limit.
TEST_F(COciSessionTest, BindsAreSizedByTheirValueAndTheStatement) {
    ASSERT_TRUE(Exec("CREATE TABLE B (ID NUMBER, V VARCHAR2(4000))"));
    ASSERT_TRUE(Exec("INSERT INTO B VALUES (1, 'A')"));
    m_binds = {{"TXT", std::string(3000, 'x'), false, 1, false}, {"N", "1", false, 2, false}};
    EXPECT_TRUE(Exec("UPDATE B SET V = :TXT WHERE ID = :N")) << m_connection->LastError().message;
    m_binds = {{"N", "-12345678901234567890123456789012345.678", false, 2, false},
               {"H", "", true, 2, false},
               {"Q", "0.25", false, 2, false}};
    ASSERT_TRUE(Exec("BEGIN :H := :N; :Q := :Q * 2; END;")) << m_connection->LastError().message;
    EXPECT_EQ(m_binds[1].value, "-12345678901234567890123456789012345.678") << "a NUMBER travels whole";
    EXPECT_EQ(m_binds[2].value, ".5");
    m_binds = {{"OUT", "", true, 1, false}};
    ASSERT_TRUE(Exec("BEGIN :OUT := RPAD('y', 20000, 'y'); END;")) << m_connection->LastError().message;
    EXPECT_EQ(m_binds[0].value.size(), 20000u) << "a block writes back up to PL/SQL's limit";
}

TEST_F(COciSessionTest, ColumnsAreDefinedAsTheirTypeAllows) {
    ASSERT_TRUE(Exec("CREATE TABLE L (C CLOB, B BLOB, R RAW(4), G LONG)"));
    m_binds = {{"C", std::string(5000, 'c'), false, 1, false}};
    ASSERT_TRUE(Exec("INSERT INTO L VALUES (:C, 'CAFE', '0A0B', 'long')"))
        << m_connection->LastError().code << m_connection->LastError().message;
    m_binds.clear();
    CEngineResult result;
    ASSERT_TRUE(m_connection->Query("SELECT C, B, R, G FROM L", m_binds, result))
        << m_connection->LastError().message;
    ASSERT_EQ(result.RowCount(), 1u);
    EXPECT_EQ(result.Value(0, 0).size(), 5000u);
    EXPECT_EQ(result.Value(0, 1), "CAFE");
    EXPECT_EQ(result.Value(0, 2), "0A0B");
    EXPECT_EQ(result.Value(0, 3), "long");
}

// A cursor expression's value is a statement handle a row; its rows come
// with the row that holds it.
TEST_F(COciSessionTest, CursorExpressionsComeAsNestedResults) {
    ASSERT_TRUE(Exec("CREATE TABLE E (D NUMBER)"));
    ASSERT_TRUE(Exec("INSERT INTO E VALUES (10)"));
    ASSERT_TRUE(Exec("INSERT INTO E VALUES (20)"));
    CEngineResult result;
    ASSERT_TRUE(
        m_connection->Query("SELECT D, CURSOR(SELECT 'X' V FROM DUAL UNION ALL SELECT 'Y' FROM DUAL) FROM E "
                            "ORDER BY D",
                            m_binds, result))
        << m_connection->LastError().message;
    ASSERT_EQ(result.RowCount(), 2u);
    ASSERT_EQ(result.Columns().size(), 2u);
    EXPECT_EQ(result.Columns()[1].serverType, servertype::kCursor);
    auto cursor = m_connection->OpenCursor("SELECT D, CURSOR(SELECT 'X' V FROM DUAL) C FROM E ORDER BY D",
                                           m_binds, CEngineConnection::CursorMode::Rows);
    ASSERT_NE(cursor, nullptr) << m_connection->LastError().message;
    CEngineResult batch;
    ASSERT_TRUE(cursor->Fetch(100, batch)) << cursor->LastError().message;
    ASSERT_EQ(batch.RowCount(), 2u);
    EXPECT_EQ(batch.Value(1, 1), "CURSOR STATEMENT : 2");
    const CEngineResult* nested = batch.Nested(1, 1);
    ASSERT_NE(nested, nullptr);
    ASSERT_EQ(nested->RowCount(), 1u);
    EXPECT_EQ(nested->Columns()[0].name, "V");
    EXPECT_EQ(nested->Value(0, 0), "X");
}

// A CLOB is read through its locator in pieces of characters; a piece
// never splits a character, and reading stops past the longest value shown.
TEST_F(COciSessionTest, LobsAreReadThroughLocatorsInPieces) {
    ASSERT_TRUE(Exec("CREATE TABLE J (C CLOB)"));
    std::string text;
    for (int k = 0; k < 20000; ++k) text += encoding::Utf8ToCp932("あ");
    m_binds = {{"C", text, false, 1, false}};
    ASSERT_TRUE(Exec("INSERT INTO J VALUES (:C)")) << m_connection->LastError().message;
    m_binds.clear();
    const unsigned long before = RoundTrips();
    CEngineResult result;
    ASSERT_TRUE(m_connection->Query("SELECT C FROM J", m_binds, result)) << m_connection->LastError().message;
    ASSERT_EQ(result.RowCount(), 1u);
    // Two pieces of 8192 characters, cut to 32767 bytes of UTF-8 on a whole
    // character.
    EXPECT_EQ(result.Value(0, 0), text.substr(0, 2 * (32767 / 3)));
    EXPECT_LE(RoundTrips() - before, 4u);
    m_connection->SetLongLimit(80);
    ASSERT_TRUE(m_connection->Query("SELECT C FROM J", m_binds, result));
    EXPECT_EQ(result.Value(0, 0), text.substr(0, 2 * 26)) << "SET LONG 80: 26 whole characters";
}

// Over a slow link the rows per round trip decide the time: the default
// grows with the result, a fixed ARRAYSIZE is kept.
TEST_F(COciSessionTest, RoundTripsFollowTheArraySize) {
    FillNumbers(20000);
    struct Case {
        int arraySize;
        unsigned long most;
    };
    for (const Case& row : {Case{0, 12}, Case{5000, 6}, Case{15, 1400}}) {
        m_connection->SetArraySize(row.arraySize);
        const unsigned long before = RoundTrips();
        auto cursor =
            m_connection->OpenCursor("SELECT I FROM N", m_binds, CEngineConnection::CursorMode::Rows);
        ASSERT_NE(cursor, nullptr);
        std::size_t rows = 0;
        ASSERT_TRUE(ReadAll(*cursor, rows));
        EXPECT_EQ(rows, 20000u);
        const unsigned long trips = RoundTrips() - before;
        EXPECT_LE(trips, row.most) << "array size " << row.arraySize;
        if (row.arraySize == 15) {
            EXPECT_GE(trips, 20000u / 15) << "a fixed size is kept";
        }
    }
}

TEST_F(COciSessionTest, RepeatedStatementsComeFromTheStatementCache) {
    ASSERT_TRUE(Exec("CREATE TABLE C (A NUMBER)"));
    auto hits = Knob<unsigned long (*)()>("fakeoci_CacheHits");
    const unsigned long before = hits();
    for (int k = 0; k < 5; ++k) ASSERT_TRUE(Exec("INSERT INTO C VALUES (1)"));
    EXPECT_GE(hits() - before, 4u);
}

TEST_F(COciSessionTest, ServerOutputComesInArrays) {
    ASSERT_TRUE(m_connection->EnableServerOutput(true, -1)) << m_connection->LastError().message;
    std::string block = "BEGIN\n";
    for (int k = 1; k <= 250; ++k) block += "DBMS_OUTPUT.PUT_LINE('LINE " + std::to_string(k) + "');\n";
    ASSERT_TRUE(Exec(block + "END;")) << m_connection->LastError().message;
    ASSERT_TRUE(m_connection->Commit());
    const unsigned long before = RoundTrips();
    const std::vector<std::string> lines = m_connection->TakeServerOutput();
    ASSERT_EQ(lines.size(), 250u);
    EXPECT_EQ(lines[249], "LINE 250");
    EXPECT_LE(RoundTrips() - before, 3u);
    EXPECT_TRUE(m_connection->TakeServerOutput().empty()) << "handed over once";
    EXPECT_FALSE(m_connection->HasUncommittedWork()) << "reading the output changes no data";
}

// The server holds characters CP932 lacks: they arrive whole (AL32UTF8) and
// are shown as the geta mark, counted; glyphs CP932 has under another code
// are shown as CP932's.
TEST_F(COciSessionTest, CharactersCp932LacksAreShownAsGetaAndCounted) {
    ASSERT_TRUE(Exec("CREATE TABLE U (S VARCHAR2(40))"));
    ASSERT_TRUE(Exec("INSERT INTO U VALUES ('caf\\u00E9 \\U01F600 \\u301C')"))
        << m_connection->LastError().message;
    auto cursor = m_connection->OpenCursor("SELECT S FROM U", m_binds, CEngineConnection::CursorMode::Rows);
    ASSERT_NE(cursor, nullptr);
    CEngineResult batch;
    ASSERT_TRUE(cursor->Fetch(100, batch));
    ASSERT_EQ(batch.RowCount(), 1u);
    EXPECT_EQ(batch.Value(0, 0), encoding::Utf8ToCp932("caf〓 〓 ～"));
    EXPECT_EQ(cursor->ReplacedCharacters(), 2u);
}

}  // namespace
