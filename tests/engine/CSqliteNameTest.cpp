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
        {"Mixed", "M^I^X^E^D"},
        {"mixed", "^M^I^X^E^D"},
        {"a", "^A"},
        {"Order Lines", "O^R^D^E^R L^I^N^E^S"},
        {"SYS_C8000001", "SYS_C8000001"},
        {"x$1#", "^X$1#"},
        {"a^1", "^A^1"},
        {"", ""},
        // A double-byte character whose trail byte is an ASCII letter (0x83
        // 0x61, 0x8A 0x7A) is no letter.
        {"\x83\x61", "\x83\x61"},
        {"\x8A\x7A"
         "b\x83\x61",
         "\x8A\x7A^B\x83\x61"},
        // A caret as a trail byte is no mark (0x83 0x5E).
        {"\x83^A", "\x83^A"},
        // Full-width letters keep their case: SQLite does not fold them.
        {"\x82\x81\x82\x60", "\x82\x81\x82\x60"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CSqliteName::Spelling(c.name), c.spelling) << c.name;
        EXPECT_EQ(CSqliteName::IsPlain(c.name), std::string(c.name) == c.spelling) << c.name;
        std::string back;
        // Note: a name without a lower-case letter is its own spelling.
        EXPECT_EQ(CSqliteName::NameOf(c.spelling, back), std::string(c.name) != c.spelling) << c.spelling;
        EXPECT_EQ(back, c.name) << c.spelling;
    }
}

TEST(CSqliteName, TextWithoutAMarkReadsAsItStands) {
    // Note: a file of an earlier version kept a quoted name as typed.
    const char* stored[] = {"Mixed", "mixed", "A^", "A^1", "^^1", "A^b", "\x83^A"};
    for (const char* text : stored) {
        std::string name;
        EXPECT_FALSE(CSqliteName::NameOf(text, name)) << text;
        EXPECT_EQ(name, text);
        EXPECT_FALSE(CSqliteName::Reserved(text)) << text;
    }
    EXPECT_TRUE(CSqliteName::Reserved("^A"));
    EXPECT_TRUE(CSqliteName::Reserved("X^Y"));
}

TEST(CSqliteName, StatementsHaveTheirQuotedNamesSpelledAndReadBack) {
    const struct {
        const char* typed;
        const char* spelled;  // "" when nothing changes
    } cases[] = {
        {"SELECT a FROM \"Mixed\" WHERE b = 'x\"y'", "SELECT a FROM \"M^I^X^E^D\" WHERE b = 'x\"y'"},
        {"SELECT \"a\", 'Mixed' FROM MIXED", "SELECT \"^A\", 'Mixed' FROM MIXED"},
        {"SELECT \"A\" FROM \"T\" -- \"c\"", ""},
        {"select * from t", ""},
    };
    for (const auto& c : cases) {
        std::string spelled;
        EXPECT_EQ(CSqliteName::SpellNames(c.typed, spelled), *c.spelled != '\0') << c.typed;
        if (*c.spelled == '\0') continue;
        EXPECT_EQ(spelled, c.spelled);
        EXPECT_EQ(CSqliteName::UnspellNames(spelled), c.typed);
    }
    // A place in the spelled text is told in the typed one: before, inside
    // (at the name) and after a spelled name.
    const std::string typed = "SELECT \"ab\" FROM \"Cd\" X";
    std::string spelled;
    ASSERT_TRUE(CSqliteName::SpellNames(typed, spelled));
    ASSERT_EQ(spelled, "SELECT \"^A^B\" FROM \"C^D\" X");
    EXPECT_EQ(CSqliteName::TypedOffset(typed, spelled.find("SELECT")), typed.find("SELECT"));
    EXPECT_EQ(CSqliteName::TypedOffset(typed, spelled.find("^B")), typed.find("\"ab\""));
    EXPECT_EQ(CSqliteName::TypedOffset(typed, spelled.find("FROM")), typed.find("FROM"));
    EXPECT_EQ(CSqliteName::TypedOffset(typed, spelled.find(" X")), typed.find(" X"));
    EXPECT_EQ(CSqliteName::ReservedAt("SELECT 1 FROM \"A^B\""), 14u);
    EXPECT_EQ(CSqliteName::ReservedAt("SELECT '^A' FROM \"A^1\""), std::string::npos);
}

TEST(CSqliteName, HeadingsReadBack) {
    EXPECT_EQ(CSqliteName::Heading("^A"), "a");
    EXPECT_EQ(CSqliteName::Heading("\"^A\"+1"), "\"a\"+1");
    EXPECT_EQ(CSqliteName::Heading("'A^1'"), "'A^1'");
    EXPECT_EQ(CSqliteName::Heading("COUNT(*)"), "COUNT(*)");
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
    EXPECT_EQ(One("SELECT name FROM sqlite_schema WHERE name = 'M^I^X^E^D'"), "M^I^X^E^D");
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
    EXPECT_EQ(One("SELECT group_concat(name, '|') FROM pragma_table_info('T')"), "^A|A|^AB|A^B");
}

}  // namespace
