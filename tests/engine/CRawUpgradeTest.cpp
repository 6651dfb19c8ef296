// A file written when RAW columns had SQLite's numeric affinity is converted
// once when opened: its RAW columns keep what is written to them from then
// on, digit for digit, and the table keeps its rows, keys and indexes.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "engine/sqlite/CCatalogTables.h"
#include "engine/sqlite/CSqliteConnection.h"
#include "tests/engine/EngineFixture.h"
#include "tests/support/TempDir.h"
#include "text/Encoding.h"

namespace {

bool Execute(CSqliteConnection& connection, const std::string& sql) {
    return EngineFixture::RunOn(connection, sql) == "OK";
}

std::string Column(CSqliteConnection& connection, const std::string& sql) {
    return EngineFixture::RowsOn(connection, sql);
}

TEST(CRawUpgradeFile, RawColumnsOfAnEarlierFileKeepTheirDigitsAfterOpening) {
    TempHome home;
    {
        CEngineError error;
        auto connection = CSqliteConnection::Open("OLD", error);
        ASSERT_NE(connection, nullptr) << error.message;
        ASSERT_TRUE(Execute(*connection, "CREATE TABLE R (ID NUMBER PRIMARY KEY, B RAW(8), C VARCHAR2(5))"));
    }
    // As the earlier version wrote it: RAW(8) as declared, read as a number.
    EngineFixture::WriteRaw(home.Path("old.db"),
                            "DROP TABLE R;"
                            "CREATE TABLE R (ID NUMBER PRIMARY KEY, B RAW(8), C VARCHAR2(5));"
                            "CREATE INDEX R_B ON R (B);"
                            "INSERT INTO R VALUES (1, 'ABCD', 'x');"
                            "PRAGMA user_version = 9;");
    for (int open = 0; open < 2; ++open) {
        CEngineError error;
        auto connection = CSqliteConnection::Open("OLD", error);
        ASSERT_NE(connection, nullptr) << error.message;
        const std::string id = std::to_string(open * 2 + 2);
        EXPECT_TRUE(Execute(*connection, "INSERT INTO R VALUES (" + id + ", '1E10', 'y')"));
        EXPECT_TRUE(Execute(*connection, "INSERT INTO R VALUES (" + id + "1, '0012', 'z')"));
        EXPECT_TRUE(Execute(*connection, "COMMIT"));
        EXPECT_EQ(Column(*connection, "SELECT B FROM R WHERE ID IN (1, " + id + ", " + id + "1) ORDER BY ID"),
                  "ABCD|1E10|0012");
        EXPECT_EQ(Column(*connection,
                         "SELECT INDEX_NAME FROM USER_INDEXES WHERE TABLE_NAME = 'R' AND INDEX_NAME = 'R_B'"),
                  "R_B");
        EXPECT_EQ(Column(*connection,
                         "SELECT DATA_TYPE FROM USER_TAB_COLUMNS WHERE "
                         "TABLE_NAME = 'R' AND COLUMN_NAME = 'B'"),
                  "RAW");
        // The key still holds.
        EXPECT_FALSE(Execute(*connection, "INSERT INTO R VALUES (1, 'FF', 'w')"));
    }
    const std::string file = home.Path("old.db");
    EXPECT_EQ(EngineFixture::OneIn(file, "PRAGMA integrity_check"), "ok");
    EXPECT_EQ(EngineFixture::OneIn(file, "PRAGMA user_version"), std::to_string(CCatalogTables::kVersion));
    EXPECT_EQ(EngineFixture::OneIn(file, "SELECT type FROM pragma_table_info('R') WHERE name = 'B'"),
              "RAW_TEXT(8)");
}

}  // namespace
