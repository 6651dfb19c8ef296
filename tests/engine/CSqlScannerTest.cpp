#include <gtest/gtest.h>

#include "engine/sqlite/CSqlScanner.h"

using Kind = CSqlScanner::Kind;

namespace {

std::vector<std::pair<Kind, std::string>> Scan(std::string_view text) {
    std::vector<std::pair<Kind, std::string>> out;
    for (const auto& token : CSqlScanner::Tokenize(text))
        out.emplace_back(token.kind, std::string(text.substr(token.begin, token.length)));
    return out;
}

}  // namespace

TEST(CSqlScannerTest, TokensCoverEveryByte) {
    std::string text =
        "SELECT 'it''s' \"Q\"\"N\", :B1 -- c\n/* x */ A.\x83\x5c"
        "B FROM T";
    auto tokens = Scan(text);
    std::string joined;
    for (const auto& token : tokens) joined += token.second;
    EXPECT_EQ(joined, text);
    EXPECT_EQ(tokens[2], std::make_pair(Kind::String, std::string("'it''s'")));
    EXPECT_EQ(tokens[4], std::make_pair(Kind::QuotedName, std::string("\"Q\"\"N\"")));
    EXPECT_EQ(tokens[7], std::make_pair(Kind::Bind, std::string(":B1")));
    EXPECT_EQ(tokens[9], std::make_pair(Kind::Comment, std::string("-- c")));
    EXPECT_EQ(tokens[11], std::make_pair(Kind::Comment, std::string("/* x */")));
    EXPECT_EQ(tokens[15], std::make_pair(Kind::Word, std::string("\x83\x5c"
                                                                 "B")));
}

TEST(CSqlScannerTest, UnterminatedLiteralsRunToTheEnd) {
    for (std::string text : {"SELECT 'abc", "SELECT \"abc", "SELECT /* abc", "SELECT -- abc"}) {
        auto tokens = Scan(text);
        EXPECT_EQ(tokens.back().second, text.substr(7)) << text;
    }
}

TEST(CSqlScannerTest, AssignmentIsNotABind) {
    auto tokens = CSqlScanner::Significant(":X := 1");
    ASSERT_EQ(tokens.size(), 4u);
    EXPECT_EQ(tokens[0].kind, Kind::Bind);
    EXPECT_EQ(tokens[1].kind, Kind::Symbol);
    EXPECT_EQ(CSqlScanner::BindName(":X := 1", tokens[0]), "X");
    EXPECT_TRUE(CSqlScanner::Is("select", CSqlScanner::Tokenize("select")[0], "SELECT"));
}
