#include <gtest/gtest.h>

#include <cctype>

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
    for (std::string text : {"SELECT 'abc", "SELECT \"abc", "SELECT /* abc", "SELECT -- abc",
                             "SELECT q'[abc]", "SELECT N'abc"}) {
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

TEST(CSqlScannerTest, PrefixedLiteralsAreOneStringWithTheirValue) {
    const struct {
        const char* text;
        const char* token;  // the first token
        const char* value;
    } kCases[] = {
        {"q'[it's]' x", "q'[it's]'", "it's"},
        {"Q'{a}b}' x", "Q'{a}b}'", "a}b"},
        {"q'(x)' q'<y>'", "q'(x)'", "x"},
        {"q'!don't!',", "q'!don't!'", "don't"},
        {"q'[a]b]'", "q'[a]b]'", "a]b"},
        {"N'it''s'", "N'it''s'", "it's"},
        {"nq'[\x83\x5d]'", "nq'[\x83\x5d]'", "\x83\x5d"},  // a trail byte equal to ']'
        {"NAME", "NAME", ""},
        {"QTY'", "QTY", ""},
    };
    for (const auto& c : kCases) {
        auto tokens = Scan(c.text);
        EXPECT_EQ(tokens[0].second, c.token) << c.text;
        if (tokens[0].first == Kind::String) {
            EXPECT_EQ(CSqlScanner::LiteralText(tokens[0].second), c.value) << c.text;
        } else {
            EXPECT_EQ(std::string(c.value), "") << c.text;
        }
    }
    EXPECT_EQ(CSqlScanner::LiteralText("'it''s'"), "it's");
    EXPECT_FALSE(CSqlScanner::IsPlainString("q'[x]'"));
    EXPECT_TRUE(CSqlScanner::IsPlainString("'x'"));
}

TEST(CSqlScannerTest, ALiteralOrNameIsClosedByItsOwnQuote) {
    const struct {
        const char* written;
        Kind kind;
        bool closed;
    } cases[] = {
        {"'abc'", Kind::String, true},        {"'it''s'", Kind::String, true},
        {"'it''s", Kind::String, false},      {"'abc", Kind::String, false},
        {"''''", Kind::String, true},         {"'''", Kind::String, false},
        {"N'x'", Kind::String, true},         {"n'x", Kind::String, false},
        {"q'[it's]'", Kind::String, true},    {"q'[it's]", Kind::String, false},
        {"Q'{a}'", Kind::String, true},       {"q'!a!'", Kind::String, true},
        {"q'<a>", Kind::String, false},       {"q'", Kind::String, false},
        {"\"Name\"", Kind::QuotedName, true}, {"\"Name", Kind::QuotedName, false},
        {"\"", Kind::QuotedName, false},      {"abc", Kind::Word, true},
    };
    for (const auto& c : cases) EXPECT_EQ(CSqlScanner::IsClosed(c.written, c.kind), c.closed) << c.written;
}

TEST(CSqlScannerTest, FloatingLiteralsAreOneToken) {
    struct Case {
        const char* text;
        std::vector<std::string> tokens;
    };
    const Case cases[] = {
        {"2.5f", {"2.5f"}},         {"1e3D", {"1e3D"}},         {".5d", {".5d"}},
        {"1d/0", {"1d", "/", "0"}}, {"1/3d", {"1", "/", "3d"}}, {"-1.5e-3F,2", {"-", "1.5e-3F", ",", "2"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> tokens;
        for (const auto& token : CSqlScanner::Significant(c.text)) {
            tokens.emplace_back(std::string_view(c.text).substr(token.begin, token.length));
            const bool number =
                std::isdigit(static_cast<unsigned char>(tokens.back().back())) || tokens.back().size() > 1;
            EXPECT_EQ(token.kind == Kind::Number, number) << c.text << " " << tokens.back();
        }
        EXPECT_EQ(tokens, c.tokens) << c.text;
    }
}
