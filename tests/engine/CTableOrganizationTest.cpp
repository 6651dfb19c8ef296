// CREATE TABLE ... ORGANIZATION INDEX: the dictionary shows an
// index-organized table, which needs a primary key, and the file keeps it.
#include <gtest/gtest.h>

#include <string>

#include "engine/sqlite/CTableOrganization.h"
#include "tests/engine/EngineFixture.h"

TEST(CTableOrganizationTest, TheOrganizationAndTheKeyOfADefinition) {
    const struct {
        const char* sql;
        bool indexOrganized;
        bool primaryKey;
    } cases[] = {
        {"CREATE TABLE t (k NUMBER PRIMARY KEY, v VARCHAR2(10)) ORGANIZATION INDEX", true, true},
        {"create table t (k number, v number, constraint t_pk primary key (k, v)) organization index "
         "overflow tablespace users",
         true, true},
        {"CREATE TABLE t (k NUMBER, v VARCHAR2(10)) ORGANIZATION INDEX", true, false},
        {"CREATE TABLE t (k NUMBER PRIMARY KEY) ORGANIZATION HEAP", false, true},
        {"CREATE TABLE t (k NUMBER PRIMARY KEY)", false, true},
        // A column or a query naming the words is no organization.
        {"CREATE TABLE t (organization NUMBER, \"INDEX\" NUMBER)", false, false},
        {"CREATE TABLE t AS SELECT 'ORGANIZATION INDEX' x FROM dual", false, false},
        {"SELECT 1 FROM t ORGANIZATION INDEX", false, false},
    };
    for (const auto& c : cases) {
        CTableOrganization::Definition read = CTableOrganization::Read(c.sql);
        EXPECT_EQ(read.indexOrganized, c.indexOrganized) << c.sql;
        EXPECT_EQ(read.primaryKey, c.primaryKey) << c.sql;
    }
}

namespace {
class CTableOrganizationSqlTest : public EngineFixture {};
}  // namespace

TEST_F(CTableOrganizationSqlTest, AnIndexOrganizedTableIsShownAndKept) {
    Exec("CREATE TABLE IOT (K NUMBER PRIMARY KEY, V VARCHAR2(10)) ORGANIZATION INDEX");
    Exec("CREATE TABLE HEAP_T (K NUMBER PRIMARY KEY) ORGANIZATION HEAP");
    Exec("CREATE TABLE PLAIN (K NUMBER)");
    Exec("INSERT INTO IOT VALUES (2, 'b')");
    Exec("INSERT INTO IOT VALUES (1, 'a')");
    Exec("COMMIT");
    const std::string kTypes = "SELECT TABLE_NAME || ':' || NVL(IOT_TYPE, '-') FROM USER_TABLES ORDER BY 1";
    EXPECT_EQ(Rows(kTypes), "HEAP_T:-|IOT:IOT|PLAIN:-");
    CEngineError error;
    m_connection = CSqliteConnection::Open("", error);
    ASSERT_NE(m_connection, nullptr) << error.message;
    EXPECT_EQ(Rows(kTypes), "HEAP_T:-|IOT:IOT|PLAIN:-");
    EXPECT_EQ(Rows("SELECT K || V FROM IOT ORDER BY K"), "1a|2b");
    // Its name goes with it; dropped, nothing of it stays.
    Exec("RENAME IOT TO IOT2");
    EXPECT_EQ(Rows(kTypes), "HEAP_T:-|IOT2:IOT|PLAIN:-");
    Exec("DROP TABLE IOT2 PURGE");
    Exec("CREATE TABLE IOT2 (K NUMBER PRIMARY KEY)");
    EXPECT_EQ(Rows(kTypes), "HEAP_T:-|IOT2:-|PLAIN:-");
}

TEST_F(CTableOrganizationSqlTest, WithoutAPrimaryKeyItIsRefused) {
    EXPECT_EQ(Failure("CREATE TABLE IOT (K NUMBER, V VARCHAR2(10)) ORGANIZATION INDEX"),
              "ORA-25175: PRIMARY KEY制約が見つかりません。");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM USER_TABLES WHERE TABLE_NAME = 'IOT'"), "0");
}
