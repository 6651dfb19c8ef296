#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/CConsoleSelection.h"
#include "app/CInputColouring.h"
#include "app/CResultTable.h"

namespace {

// "東" (lead 0x93), "表" (trail byte 0x5C), "＝" (trail byte 0x81, itself a lead value).
const std::string kTo = "\x93\x8C";
const std::string kHyo = "\x95\x5C";
const std::string kEq = "\x81\x81";

TEST(CConsoleSelection, EndsStandAtCharacterStarts) {
    const std::string line = "a" + kTo + kEq + kEq + "b";
    const struct {
        int column, snapped;
    } cases[] = {{-3, 0}, {0, 0}, {1, 1}, {2, 1}, {3, 3}, {4, 3}, {6, 5}, {7, 7}, {8, 8}, {99, 8}};
    for (const auto& c : cases) EXPECT_EQ(CConsoleSelection::Snap(line, c.column), c.snapped) << c.column;
}

TEST(CConsoleSelection, TextRunsAcrossLinesInEitherDirection) {
    const std::vector<std::string> lines = {"SQL> x", "ab" + kHyo + "cd", kTo + kTo, "SQL> "};
    const auto read = [&](int row, std::string& line) { line = lines[static_cast<std::size_t>(row)]; };
    CConsoleSelection selection;
    EXPECT_TRUE(selection.IsEmpty());
    selection.Start({1, 3}, lines[1]);   // inside "表": from its start
    selection.Extend({2, 3}, lines[2]);  // inside the second "東": before it
    EXPECT_EQ(selection.Text(read), kHyo + "cd\n" + kTo);
    EXPECT_EQ(selection.ColumnsOf(1, 6), std::make_pair(2, 6));
    EXPECT_EQ(selection.ColumnsOf(0, 6), std::make_pair(0, 0));
    selection.Start({3, 5}, lines[3]);  // backwards, from the input line to the top
    selection.Extend({0, 5}, lines[0]);
    EXPECT_EQ(selection.Text(read), "x\nab" + kHyo + "cd\n" + kTo + kTo + "\nSQL> ");
    selection.Extend({3, 5}, lines[3]);
    EXPECT_TRUE(selection.IsEmpty());
    EXPECT_EQ(selection.Text(read), "");
}

// A result as the console shows it, read back as tab-separated rows.
TEST(CResultTable, AResultIsReadBackAsTabSeparatedRows) {
    const std::vector<std::string> lines = {
        "SQL> SELECT ename, sal FROM emp;",
        "",
        "ENAME      SAL        ",
        "---------- ---------- ",
        "smith      800        ",
        kTo + "         1600.5     ",
        "",
        "ENAME      SAL        ",
        "---------- ---------- ",
        "king       5000       ",
        "",
        "3" + std::string("\x8d\x73"),
        "",
        "SQL> ",
    };
    const auto at = [&](int row) { return lines[static_cast<std::size_t>(row)]; };
    const int count = static_cast<int>(lines.size());
    const std::string table = "ENAME\tSAL\nsmith\t800\n" + kTo + "\t1600.5\nking\t5000";
    for (int row : {2, 3, 4, 5}) EXPECT_EQ(CResultTable::CopyAt(at, count, row), table) << row;
    EXPECT_EQ(CResultTable::CopyAt(at, count, 9), "ENAME\tSAL\nking\t5000");
    for (int row : {-1, 0, 1, 11, 13, 14}) EXPECT_EQ(CResultTable::CopyAt(at, count, row), "") << row;
}

// The kinds of a typed line, one letter a byte: k keyword, q quoted,
// c comment, . plain.
std::string Kinds(const std::string& line) {
    static const char letters[] = {'.', 'k', 'q', 'c'};
    std::string out;
    for (auto kind : CInputColouring::Classify(line)) out += letters[static_cast<int>(kind)];
    return out;
}

TEST(CInputColouring, WordsQuotesAndCommentsOfTheTypedLine) {
    const std::pair<std::string, std::string> cases[] = {
        {"select x from t", "kkkkkk...kkkk.."},
        {"Select selected", "kkkkkk........."},
        {"x = 'it''s' -- note", "....qqqqqqq.ccccccc"},
        {"a /* b */ or \"c d\"", "..ccccccc.kk.qqqqq"},
        {"'open", "qqqqq"},
        {"/* open", "ccccccc"},
        {kHyo + "from", "..kkkk"},  // a double-byte character ends no word
        {"\x83\x41"
         "nd",
         "...."},  // "ア" ends in the byte "A": no "AND"
    };
    for (const auto& [line, kinds] : cases) EXPECT_EQ(Kinds(line), kinds) << line;
}

}  // namespace
