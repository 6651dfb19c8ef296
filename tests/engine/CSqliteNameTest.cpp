// The server's names as SQLite keeps them: a name without lower-case
// letters as it stands, any other by a spelling that reads back to it alone
// and that SQLite, which ignores the case of ASCII letters, never takes for
// the spelling of another name.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

#include "engine/sqlite/CSqliteName.h"

namespace {

TEST(CSqliteName, SpellsLowerCaseLettersOnlyAndReadsThemBack) {
    const struct {
        const char* name;
        const char* spelling;
    } cases[] = {
        {"MIXED", "MIXED"},
        {"Mixed", "M\"I\"X\"E\"D"},
        {"mixed", "\"M\"I\"X\"E\"D"},
        {"a", "\"A"},
        {"Order Lines", "O\"R\"D\"E\"R L\"I\"N\"E\"S"},
        {"SYS_C8000001", "SYS_C8000001"},
        {"x$1#", "\"X$1#"},
        {"", ""},
        // A double-byte character whose trail byte is an ASCII letter (0x83
        // 0x61, 0x8A 0x7A) is no letter.
        {"\x83\x61", "\x83\x61"},
        {"\x8A\x7A"
         "b\x83\x61",
         "\x8A\x7A\"B\x83\x61"},
        // Full-width letters keep their case: SQLite does not fold them.
        {"\x82\x81\x82\x60", "\x82\x81\x82\x60"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CSqliteName::Spelling(c.name), c.spelling) << c.name;
        EXPECT_EQ(CSqliteName::IsPlain(c.name), std::string(c.name) == c.spelling) << c.name;
        std::string back;
        EXPECT_TRUE(CSqliteName::NameOf(c.spelling, back)) << c.spelling;
        EXPECT_EQ(back, c.name) << c.spelling;
    }
}

TEST(CSqliteName, TextNoSpellingWouldGiveReadsAsItStands) {
    // Note: a file of an earlier version kept a quoted name as typed.
    const char* stored[] = {"Mixed", "mixed", "A\"", "A\"1", "\"\"A", "A\"b"};
    for (const char* text : stored) {
        std::string name;
        EXPECT_FALSE(CSqliteName::NameOf(text, name)) << text;
        EXPECT_EQ(name, text);
        EXPECT_EQ(CSqliteName::NameOf(text), text);
    }
}

TEST(CSqliteName, QuotedDoublesTheMarkForSqlitesStatements) {
    EXPECT_EQ(CSqliteName::Quoted("MIXED"), "\"MIXED\"");
    EXPECT_EQ(CSqliteName::Quoted("Mixed"), "\"M\"\"I\"\"X\"\"E\"\"D\"");
    EXPECT_EQ(CSqliteName::Quoted("a b"), "\"\"\"A \"\"B\"");
}

// SQLite itself: names of the server that differ only in case are distinct
// tables and columns, each found by its own spelling and by no other.
class CSqliteNameInSqlite : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(sqlite3_open(":memory:", &m_db), SQLITE_OK); }
    void TearDown() override { sqlite3_close(m_db); }
    bool Exec(const std::string& sql) {
        return sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    std::string One(const std::string& sql) {
        sqlite3_stmt* statement = nullptr;
        std::string out = "ERROR";
        if (sqlite3_prepare_v2(m_db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK &&
            sqlite3_step(statement) == SQLITE_ROW)
            out = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
        sqlite3_finalize(statement);
        return out;
    }
    sqlite3* m_db = nullptr;
};

TEST_F(CSqliteNameInSqlite, NamesDifferingInCaseAreDistinctTables) {
    const std::vector<std::string> names = {"MIXED", "Mixed", "mixed", "mIXED", "MiXeD"};
    for (const std::string& name : names) {
        ASSERT_TRUE(Exec("CREATE TABLE " + CSqliteName::Quoted(name) + " (v TEXT)")) << name;
        ASSERT_TRUE(Exec("INSERT INTO " + CSqliteName::Quoted(name) + " VALUES ('" + name + "')")) << name;
    }
    for (const std::string& name : names)
        EXPECT_EQ(One("SELECT group_concat(v) FROM " + CSqliteName::Quoted(name)), name) << name;
    // The name SQLite keeps reads back to the server's name.
    EXPECT_EQ(One("SELECT name FROM sqlite_schema WHERE name = '" + std::string("M\"I\"X\"E\"D") + "'"),
              "M\"I\"X\"E\"D");
    EXPECT_EQ(CSqliteName::NameOf(One("SELECT name FROM sqlite_schema WHERE rowid = 3")), "mixed");
}

TEST_F(CSqliteNameInSqlite, ColumnsDifferingInCaseAreDistinctColumns) {
    ASSERT_TRUE(Exec("CREATE TABLE T (" + CSqliteName::Quoted("a") + " NUMBER, " + CSqliteName::Quoted("A") +
                     " NUMBER, " + CSqliteName::Quoted("aB") + " NUMBER, " + CSqliteName::Quoted("Ab") +
                     " NUMBER)"));
    ASSERT_TRUE(Exec("INSERT INTO T VALUES (1, 2, 3, 4)"));
    const struct {
        const char* column;
        const char* value;
    } cases[] = {{"a", "1"}, {"A", "2"}, {"aB", "3"}, {"Ab", "4"}};
    for (const auto& c : cases)
        EXPECT_EQ(One("SELECT " + CSqliteName::Quoted(c.column) + " FROM T"), c.value) << c.column;
    EXPECT_EQ(One("SELECT group_concat(name, '|') FROM pragma_table_info('T')"), "\"A|A|\"AB|A\"B");
}

}  // namespace
