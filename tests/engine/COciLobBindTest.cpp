// Texts too long for a VARCHAR2 reach the server as temporary CLOBs, through
// the stand-in made as strict as the client library about LONG binds and
// LOB locators.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include "engine/CEngineFactory.h"
#include "tests/support/TempDir.h"
#include "text/Encoding.h"

namespace {

long TemporaryLobs() {
    void* library = dlopen(std::getenv("TARVEX_FAKEOCI"), RTLD_NOW | RTLD_NOLOAD);
    auto count = reinterpret_cast<long (*)()>(dlsym(library, "fakeoci_TemporaryLobs"));
    return count != nullptr ? count() : -1;
}

class COciLobBindTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* library = std::getenv("TARVEX_FAKEOCI");
        ASSERT_NE(library, nullptr) << "TARVEX_FAKEOCI names the stand-in library";
        setenv("TARVEX_OCI_LIBRARY", library, 1);
        CEngineLogon logon;
        logon.database = "//localhost/LOBS";
        logon.user = "scott";
        logon.password = "tiger";
        m_connection = CEngineFactory::Open(logon, m_error);
        ASSERT_NE(m_connection, nullptr) << m_error.message;
        ASSERT_TRUE(Exec("CREATE TABLE T (ID NUMBER, C CLOB, V VARCHAR2(100))")) << Error();
    }
    bool Exec(const std::string& sql) {
        long rows = 0;
        return m_connection->Execute(sql, m_binds, rows);
    }
    std::string Error() const { return m_connection->LastError().message; }
    std::string One(const std::string& sql) {
        std::vector<CEngineBind> none;
        CEngineResult result;
        if (!m_connection->Query(sql, none, result) || result.RowCount() != 1) return "(" + Error() + ")";
        return std::string(result.Value(0, 0));
    }

    TempHome m_home;
    CEngineError m_error;
    std::vector<CEngineBind> m_binds;
    std::unique_ptr<CEngineConnection> m_connection;
};

// A long text between short binds: as a LONG bind the server would refuse
// the binds after it (ORA-24816).
TEST_F(COciLobBindTest, ALongTextGoesBeforeOtherBindsAsATemporaryClob) {
    m_binds = {{"ID", "1", false, 2, false},
               {"C", std::string(5000, 'c'), false, 1, false},
               {"V", "after", false, 1, false}};
    ASSERT_TRUE(Exec("INSERT INTO T VALUES (:ID, :C, :V)")) << Error();
    EXPECT_EQ(One("SELECT LENGTH(C) || V FROM T WHERE ID = 1"), "5000after");
    EXPECT_EQ(TemporaryLobs(), 0) << "each temporary CLOB is freed after its statement";
    // At the limit a text is still a VARCHAR2: no LOB is made for it.
    m_binds = {{"V", std::string(4000, 'v'), false, 1, false}};
    ASSERT_TRUE(Exec("UPDATE T SET C = :V")) << Error();
    EXPECT_EQ(One("SELECT LENGTH(C) FROM T"), "4000");
}

// Lengths past the 16 bits of a bind's length travel whole, characters
// CP932 holds in two bytes and UTF-8 in three included.
TEST_F(COciLobBindTest, AHugeTextArrivesWhole) {
    std::string text;
    for (int k = 0; k < 30000; ++k) text += encoding::Utf8ToCp932(k % 2 == 0 ? "あ" : "z");
    m_binds = {{"C", text, false, 1, false}, {"ID", "2", false, 2, false}};
    ASSERT_TRUE(Exec("INSERT INTO T (C, ID) VALUES (:C, :ID)")) << Error();
    EXPECT_EQ(One("SELECT LENGTH(C) FROM T WHERE ID = 2"), "30000");
    EXPECT_EQ(One("SELECT SUBSTR(C, 29997, 4) FROM T WHERE ID = 2"), encoding::Utf8ToCp932("あzあz"));
    EXPECT_EQ(TemporaryLobs(), 0);
    // A NULL stays a plain NULL bind.
    m_binds = {{"C", "", true, 1, false}, {"ID", "3", false, 2, false}};
    ASSERT_TRUE(Exec("INSERT INTO T (C, ID) VALUES (:C, :ID)")) << Error();
    EXPECT_EQ(One("SELECT NVL(C, 'null') FROM T WHERE ID = 3"), "null");
}

// A block takes texts up to PL/SQL's limit as VARCHAR2 binds, longer ones
// as CLOBs; it may write back either.
TEST_F(COciLobBindTest, ABlockWritesItsTextsBack) {
    m_binds = {{"X", std::string(6000, 'x'), false, 1, false}};
    ASSERT_TRUE(Exec("BEGIN :X := SUBSTR(:X, 1, 5000) || 'y'; END;")) << Error();
    EXPECT_EQ(m_binds[0].value, std::string(5000, 'x') + "y");
    std::string text;
    for (int k = 0; k < 40000; ++k) text += encoding::Utf8ToCp932(k % 2 == 0 ? "あ" : "z");
    m_binds = {{"BIG", text, false, 1, false}, {"ID", "4", false, 2, false}};
    ASSERT_TRUE(Exec("BEGIN INSERT INTO T (ID, C) VALUES (:ID, :BIG); :BIG := :BIG || '!'; END;")) << Error();
    EXPECT_EQ(One("SELECT LENGTH(C) FROM T WHERE ID = 4"), "40000");
    EXPECT_EQ(m_binds[0].value, text + "!");
    EXPECT_EQ(TemporaryLobs(), 0);
}

}  // namespace
