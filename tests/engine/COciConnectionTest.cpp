// The server engine over the stand-in client library (TARVEX_FAKEOCI),
// which answers from an embedded database named by the service.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "engine/CEngineFactory.h"
#include "engine/oci/COciConnection.h"
#include "engine/oci/COciLibrary.h"
#include "tests/support/TempDir.h"
#include "text/Encoding.h"

namespace {

using namespace oci;

class COciConnectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* library = std::getenv("TARVEX_FAKEOCI");
        ASSERT_NE(library, nullptr) << "TARVEX_FAKEOCI names the stand-in library";
        setenv("TARVEX_OCI_LIBRARY", library, 1);
        CEngineError error;
        m_connection = CEngineFactory::Open("//LOCALHOST/T", "u", "p", error);
        ASSERT_NE(m_connection, nullptr) << error.message;
        ASSERT_NE(dynamic_cast<COciConnection*>(m_connection.get()), nullptr);
    }
    bool Exec(const std::string& sql) {
        long rows = 0;
        return m_connection->Execute(sql, m_binds, rows);
    }
    // 256 rows numbered 1..256.
    void FillNumbers() {
        ASSERT_TRUE(Exec("CREATE TABLE N (I NUMBER)")) << m_connection->LastError().message;
        ASSERT_TRUE(Exec("INSERT INTO N VALUES (1)"));
        for (int k = 0; k < 8; ++k)
            ASSERT_TRUE(Exec("INSERT INTO N SELECT I + (SELECT COUNT(*) FROM N) FROM N"))
                << m_connection->LastError().message;
    }

    TempHome m_home;
    std::vector<CEngineBind> m_binds;
    std::unique_ptr<CEngineConnection> m_connection;
};

TEST_F(COciConnectionTest, QueriesArriveInBatchesOfTheFetchSize) {
    FillNumbers();
    auto cursor =
        m_connection->OpenCursor("SELECT I FROM N ORDER BY I", m_binds, CEngineConnection::CursorMode::Rows);
    ASSERT_NE(cursor, nullptr) << m_connection->LastError().message;
    ASSERT_EQ(cursor->Columns().size(), 1u);
    EXPECT_EQ(cursor->Columns()[0].name, "I");
    EXPECT_EQ(cursor->Columns()[0].serverType, 2);
    CEngineResult batch;
    std::vector<std::size_t> sizes;
    std::string last;
    do {
        ASSERT_TRUE(cursor->Fetch(100, batch)) << cursor->LastError().message;
        sizes.push_back(batch.RowCount());
        if (batch.RowCount() > 0) last = batch.Value(batch.RowCount() - 1, 0);
    } while (batch.RowCount() == 100);
    EXPECT_EQ(sizes, (std::vector<std::size_t>{100, 100, 56}));
    EXPECT_EQ(last, "256");
    EXPECT_TRUE(cursor->Fetch(100, batch));
    EXPECT_EQ(batch.RowCount(), 0u);
}

TEST_F(COciConnectionTest, DescribeOnlyGivesTheColumnsAndNoRow) {
    ASSERT_TRUE(Exec("CREATE TABLE E (ENAME VARCHAR2(10) NOT NULL, SAL NUMBER(7,2))"));
    ASSERT_TRUE(Exec("INSERT INTO E VALUES ('A', 1)"));
    auto cursor =
        m_connection->OpenCursor("SELECT * FROM E", m_binds, CEngineConnection::CursorMode::DescribeOnly);
    ASSERT_NE(cursor, nullptr) << m_connection->LastError().message;
    ASSERT_EQ(cursor->Columns().size(), 2u);
    EXPECT_EQ(cursor->Columns()[0].size, 10);
    EXPECT_FALSE(cursor->Columns()[0].nullable);
    EXPECT_EQ(cursor->Columns()[1].precision, 7);
    EXPECT_EQ(cursor->Columns()[1].scale, 2);
    CEngineResult batch;
    ASSERT_TRUE(cursor->Fetch(100, batch));
    EXPECT_EQ(batch.RowCount(), 0u);
}

TEST_F(COciConnectionTest, BindsGoInByNameAndComeBack) {
    m_binds = {{"N", "41", false, 2, false}, {"S", "", true, 1, false}, {"UNUSED", "x", false, 1, false}};
    ASSERT_TRUE(Exec("BEGIN :N := :N + 1; :S := 'TEXT'; END;")) << m_connection->LastError().message;
    EXPECT_EQ(m_binds[0].value, "42");
    EXPECT_EQ(m_binds[1].value, "TEXT");
    EXPECT_FALSE(m_binds[1].isNull);
    EXPECT_EQ(m_binds[2].value, "x");
    EXPECT_FALSE(m_binds[2].assigned);
}

// A BINARY_DOUBLE or BINARY_FLOAT variable is one in the block (1/0 is
// Inf, not ORA-01476) and takes what the block assigns converted to its
// type, in the server's text of such values; the same on both engines.
TEST_F(COciConnectionTest, FloatingBindsGoBothWaysOnBothEngines) {
    constexpr int kDouble = servertype::kBinaryDouble;
    constexpr int kFloat = servertype::kBinaryFloat;
    const struct {
        int type;
        const char* in;  // null: NULL
        const char* block;
        const char* out;  // null: NULL
    } cases[] = {
        {kDouble, nullptr, "BEGIN :X := 1/3; END;", "3.3333333333333331E-001"},
        {kFloat, nullptr, "BEGIN :X := 1/3; END;", "3.33333343E-001"},
        {kDouble, "2.5E+000", "BEGIN :X := :X * 2; END;", "5.0E+000"},
        {kDouble, "1.0E+000", "BEGIN :X := :X / 0; END;", "Inf"},
        {kFloat, "-1.0E+000", "BEGIN :X := :X / 0; END;", "-Inf"},
        {kDouble, nullptr, "BEGIN :X := :X + 1; END;", nullptr},
        {kDouble, nullptr, "BEGIN :X := BINARY_DOUBLE_NAN; END;", "Nan"},
        {kFloat, nullptr, "BEGIN :X := '0.1'; END;", "1.0E-001"},
        {kDouble, "1.0E-001", "BEGIN IF :X IS NAN THEN :X := 0; ELSE :X := :X + 0.2d; END IF; END;",
         "3.0000000000000004E-001"},
    };
    CEngineError error;
    auto embedded = CEngineFactory::Open("other", error);
    ASSERT_NE(embedded, nullptr) << error.message;
    for (CEngineConnection* connection : {m_connection.get(), embedded.get()}) {
        for (const auto& c : cases) {
            std::vector<CEngineBind> binds = {{"X", c.in ? c.in : "", c.in == nullptr, c.type, false}};
            long rows = 0;
            ASSERT_TRUE(connection->Execute(c.block, binds, rows))
                << c.block << connection->LastError().message;
            EXPECT_EQ(binds[0].isNull, c.out == nullptr) << c.block;
            EXPECT_EQ(binds[0].value, c.out ? c.out : "") << c.block;
        }
        // A floating variable goes into SQL as its value.
        long rows = 0;
        std::vector<CEngineBind> binds = {{"X", "3.3333333333333331E-001", false, kDouble, false}};
        ASSERT_TRUE(connection->Execute("CREATE TABLE FB (D BINARY_DOUBLE)", binds, rows));
        ASSERT_TRUE(connection->Execute("INSERT INTO FB VALUES (:X)", binds, rows))
            << connection->LastError().message;
        CEngineResult result;
        ASSERT_TRUE(connection->Query("SELECT TO_CHAR(D * 3) FROM FB", binds, result));
        ASSERT_EQ(result.RowCount(), 1u);
        EXPECT_EQ(result.Value(0, 0), "1.0E+000");
    }
}

// A character variable of a declared size takes no longer value (CP932
// bytes): ORA-06502 on both engines.
TEST_F(COciConnectionTest, CharacterBindsHoldTheirDeclaredBytes) {
    CEngineError error;
    auto embedded = CEngineFactory::Open("other", error);
    ASSERT_NE(embedded, nullptr) << error.message;
    const struct {
        const char* block;
        bool fits;
    } cases[] = {
        {"BEGIN :S := 'abc'; END;", true},
        {"BEGIN :S := 'abcd'; END;", false},
        {"BEGIN :S := '日本語'; END;", false},
        {"BEGIN :S := NULL; END;", true},
    };
    for (CEngineConnection* connection : {m_connection.get(), embedded.get()}) {
        for (const auto& c : cases) {
            std::vector<CEngineBind> binds = {{"S", "   ", false, servertype::kVarchar2, false, 3}};
            long rows = 0;
            EXPECT_EQ(connection->Execute(encoding::Utf8ToCp932(c.block), binds, rows), c.fits) << c.block;
            EXPECT_EQ(connection->LastError().code, c.fits ? 0 : 6502) << c.block;
        }
    }
}

TEST_F(COciConnectionTest, CursorVariablesAreReadOnceAfterTheBlockOpensThem) {
    FillNumbers();
    m_binds = {{"RC", "", true, 102, false}};
    ASSERT_TRUE(Exec("BEGIN OPEN :RC FOR SELECT I FROM N WHERE I > 250 ORDER BY I; END;"))
        << m_connection->LastError().message;
    CEngineError error;
    auto cursor = m_connection->TakeCursorVariable("rc", error);
    ASSERT_NE(cursor, nullptr) << error.message;
    CEngineResult batch;
    ASSERT_TRUE(cursor->Fetch(100, batch)) << cursor->LastError().message;
    ASSERT_EQ(batch.RowCount(), 6u);
    EXPECT_EQ(batch.Value(5, 0), "256");
    EXPECT_EQ(m_connection->TakeCursorVariable("RC", error), nullptr);
    EXPECT_NE(error.message.find("RC"), std::string::npos);
}

TEST_F(COciConnectionTest, TransactionStateFollowsTheStatements) {
    ASSERT_TRUE(Exec("CREATE TABLE T1 (A NUMBER)"));
    EXPECT_FALSE(m_connection->HasUncommittedWork());
    ASSERT_TRUE(Exec("INSERT INTO T1 VALUES (1)"));
    EXPECT_TRUE(m_connection->HasUncommittedWork());
    ASSERT_TRUE(m_connection->Commit());
    EXPECT_FALSE(m_connection->HasUncommittedWork());
    ASSERT_TRUE(Exec("UPDATE T1 SET A = 2"));
    ASSERT_TRUE(Exec("ROLLBACK WORK"));
    EXPECT_FALSE(m_connection->HasUncommittedWork());
    m_connection->SetAutoCommit(true);
    ASSERT_TRUE(Exec("INSERT INTO T1 VALUES (3)"));
    EXPECT_FALSE(m_connection->HasUncommittedWork());
    m_connection.reset();
    CEngineError error;
    auto again = CEngineFactory::Open("//localhost/t", "u", "p", error);
    ASSERT_NE(again, nullptr);
    CEngineResult result;
    ASSERT_TRUE(again->Query("SELECT A FROM T1 ORDER BY A", m_binds, result));
    ASSERT_EQ(result.RowCount(), 2u);
    EXPECT_EQ(result.Value(1, 0), "3");
}

TEST_F(COciConnectionTest, LogonFailuresCarryTheServerText) {
    struct Case {
        const char* identifier;
        const char* user;
        const char* password;
        const char* message;
    };
    const Case cases[] = {
        {"//otherhost/T", "u", "p", "ORA-12545"},
        {"//localhost/T", "u", "", "ORA-01017"},
        {"(DESCRIPTION=(ADDRESS=(HOST=localhost)))", "u", "p", "ORA-12154"},
        {"//localhost/../x", "u", "p", "ORA-12514"},
    };
    for (const auto& row : cases) {
        CEngineError error;
        EXPECT_EQ(CEngineFactory::Open(row.identifier, row.user, row.password, error), nullptr)
            << row.identifier;
        EXPECT_EQ(error.message.rfind(row.message, 0), 0u) << error.message;
    }
}

// ---- The stand-in itself, called as the documentation says ----------------

class StandInTest : public COciConnectionTest {
protected:
    void SetUp() override {
        COciConnectionTest::SetUp();
        CEngineError error;
        m_api = &COciLibrary::Load(error)->Api();
        ASSERT_EQ(m_api->EnvNlsCreate(&m_env, OCI_THREADED, nullptr, nullptr, nullptr, nullptr, 0, nullptr,
                                      838, 838),
                  OCI_SUCCESS);
        ASSERT_EQ(m_api->HandleAlloc(m_env, reinterpret_cast<void**>(&m_err), OCI_HTYPE_ERROR, 0, nullptr),
                  OCI_SUCCESS);
        ASSERT_EQ(m_api->Logon2(m_env, m_err, &m_svc, Text("u"), 1, Text("p"), 1, Text("//localhost/T"), 13,
                                OCI_DEFAULT),
                  OCI_SUCCESS);
        ASSERT_TRUE(Exec("CREATE TABLE W (S VARCHAR2(20))"));
        ASSERT_TRUE(Exec("INSERT INTO W VALUES ('ABCDEFGHIJ')"));
        ASSERT_TRUE(m_connection->Commit());
    }
    void TearDown() override {
        if (m_stmt) m_api->HandleFree(m_stmt, OCI_HTYPE_STMT);
        if (m_svc) m_api->Logoff(m_svc, m_err);
        if (m_err) m_api->HandleFree(m_err, OCI_HTYPE_ERROR);
        if (m_env) m_api->HandleFree(m_env, OCI_HTYPE_ENV);
    }
    static const OraText* Text(const char* s) { return reinterpret_cast<const OraText*>(s); }
    sword Prepare(const std::string& sql) {
        if (!m_stmt) m_api->HandleAlloc(m_env, reinterpret_cast<void**>(&m_stmt), OCI_HTYPE_STMT, 0, nullptr);
        return m_api->StmtPrepare(m_stmt, m_err, Text(sql.c_str()), static_cast<ub4>(sql.size()),
                                  OCI_NTV_SYNTAX, OCI_DEFAULT);
    }
    sb4 Code() {
        sb4 code = 0;
        unsigned char text[512];
        m_api->ErrorGet(m_err, 1, nullptr, &code, text, sizeof text, OCI_HTYPE_ERROR);
        return code;
    }

    const Api* m_api = nullptr;
    OCIEnv* m_env = nullptr;
    OCIError* m_err = nullptr;
    OCISvcCtx* m_svc = nullptr;
    OCIStmt* m_stmt = nullptr;
};

TEST_F(StandInTest, WrongHandleTypesAreRefused) {
    EXPECT_EQ(m_api->StmtPrepare(reinterpret_cast<OCIStmt*>(m_err), m_err, Text("SELECT 1 FROM DUAL"), 18,
                                 OCI_NTV_SYNTAX, OCI_DEFAULT),
              OCI_INVALID_HANDLE);
    EXPECT_EQ(m_api->HandleFree(m_err, OCI_HTYPE_STMT), OCI_INVALID_HANDLE);
    int stranger = 0;
    EXPECT_EQ(m_api->TransCommit(reinterpret_cast<OCISvcCtx*>(&stranger), m_err, OCI_DEFAULT),
              OCI_INVALID_HANDLE);
}

TEST_F(StandInTest, FetchNeedsEveryDefineAndStopsAtTheEnd) {
    ASSERT_EQ(Prepare("SELECT S FROM W"), OCI_SUCCESS);
    ASSERT_EQ(m_api->StmtExecute(m_svc, m_stmt, m_err, 0, 0, nullptr, nullptr, OCI_DEFAULT), OCI_SUCCESS);
    EXPECT_EQ(m_api->StmtFetch2(m_stmt, m_err, 1, OCI_FETCH_NEXT, 0, OCI_DEFAULT), OCI_ERROR);
    EXPECT_EQ(Code(), 24374);
    char buffer[5];
    sb2 indicator = 0;
    ub2 length = 0;
    ub2 code = 0;
    OCIDefine* define = nullptr;
    ASSERT_EQ(m_api->DefineByPos(m_stmt, &define, m_err, 1, buffer, sizeof buffer, SQLT_STR, &indicator,
                                 &length, &code, OCI_DEFAULT),
              OCI_SUCCESS);
    EXPECT_EQ(m_api->DefineByPos(m_stmt, &define, m_err, 2, buffer, sizeof buffer, SQLT_STR, &indicator,
                                 &length, &code, OCI_DEFAULT),
              OCI_ERROR);
    // Too small a buffer: the value is cut, the indicator holds its length,
    // the column's code says so and the call warns.
    EXPECT_EQ(m_api->StmtFetch2(m_stmt, m_err, 1, OCI_FETCH_NEXT, 0, OCI_DEFAULT), OCI_SUCCESS_WITH_INFO);
    EXPECT_EQ(Code(), 24345);
    EXPECT_STREQ(buffer, "ABCD");
    EXPECT_EQ(indicator, 10);
    EXPECT_EQ(length, 4);
    EXPECT_EQ(code, 1406);
    EXPECT_EQ(m_api->StmtFetch2(m_stmt, m_err, 1, OCI_FETCH_NEXT, 0, OCI_DEFAULT), OCI_NO_DATA);
    EXPECT_EQ(m_api->StmtFetch2(m_stmt, m_err, 1, OCI_FETCH_NEXT, 0, OCI_DEFAULT), OCI_ERROR);
    EXPECT_EQ(Code(), 1002);
}

TEST_F(StandInTest, BindsAndIterationsAreChecked) {
    ASSERT_EQ(Prepare("INSERT INTO W VALUES (:V)"), OCI_SUCCESS);
    char value[8] = "X";
    OCIBind* bind = nullptr;
    EXPECT_EQ(m_api->BindByName(m_stmt, &bind, m_err, Text(":NOPE"), 5, value, sizeof value, SQLT_STR,
                                nullptr, nullptr, nullptr, 0, nullptr, OCI_DEFAULT),
              OCI_ERROR);
    EXPECT_EQ(Code(), 1036);
    ASSERT_EQ(m_api->BindByName(m_stmt, &bind, m_err, Text(":v"), 2, value, sizeof value, SQLT_STR, nullptr,
                                nullptr, nullptr, 0, nullptr, OCI_DEFAULT),
              OCI_SUCCESS);
    EXPECT_EQ(m_api->StmtExecute(m_svc, m_stmt, m_err, 0, 0, nullptr, nullptr, OCI_DEFAULT), OCI_ERROR);
    EXPECT_EQ(Code(), 24333);
    EXPECT_EQ(m_api->StmtExecute(m_svc, m_stmt, m_err, 1, 0, nullptr, nullptr, OCI_DEFAULT), OCI_SUCCESS);
    ub4 rows = 0;
    m_api->AttrGet(m_stmt, OCI_HTYPE_STMT, &rows, nullptr, OCI_ATTR_ROW_COUNT, m_err);
    EXPECT_EQ(rows, 1u);
}

}  // namespace
