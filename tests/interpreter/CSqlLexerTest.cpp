#include <gtest/gtest.h>

#include "interpreter/CSqlLexer.h"

namespace {

// One letter per byte: c code, q quoted, m comment.
std::string Classes(CSqlLexer& lexer, const std::string& text) {
    std::string out;
    for (auto c : lexer.Classify(text))
        out += c == CSqlLexer::ByteClass::Code ? 'c' : c == CSqlLexer::ByteClass::Quoted ? 'q' : 'm';
    return out;
}

TEST(CSqlLexer, TellsQuotesAndCommentsApart) {
    // clang-format off
    const struct { const char *text, *classes; } cases[] = {
        {"a 'b' c", "ccqqqcc"}, {"'it''s'", "qqqqqqq"}, {"\"a--b\"", "qqqqqq"},
        {"x -- 'y", "ccmmmmm"}, {"/* ' */'x'", "mmmmmmmqqq"}, {"q'[a]'b", "cqqqqqc"},
        {"nq'{'}'", "ccqqqqq"}, {"Q'!x'!'", "cqqqqqq"}, {"eq'", "ccq"}, {"a/b-c", "ccccc"},
        {"'a\nb' -- c\nd", "qqqqqcmmmmcc"}, {"/*\n*/x", "mmmmmc"}};
    // clang-format on
    for (const auto& c : cases) {
        CSqlLexer lexer;
        EXPECT_EQ(Classes(lexer, c.text), c.classes) << c.text;
    }
}

TEST(CSqlLexer, CarriesItsStateAcrossLinesAndNeverSplitsACharacter) {
    CSqlLexer lexer;
    EXPECT_EQ(Classes(lexer, "x 'a"), "ccqq");
    EXPECT_TRUE(lexer.IsOpen());
    lexer.EndLine();
    EXPECT_EQ(Classes(lexer, "b' -- c"), "qqcmmmm");
    lexer.EndLine();
    EXPECT_FALSE(lexer.IsOpen());
    EXPECT_EQ(Classes(lexer, "y"), "c");
    // The trail byte of 0x83 0x5D is "]": it does not close the q-quote.
    CSqlLexer quoted;
    EXPECT_EQ(Classes(quoted, "q'[\x83]]'"), "cqqqqqq");
}

TEST(CSqlLexer, UpperCasesOnlyOutsideQuotesAndBlanksOnlyComments) {
    EXPECT_EQ(CSqlLexer::UpperOutsideQuotes("select 'a' \"b\" q'[c]' -- d"), "SELECT 'a' \"b\" Q'[c]' -- D");
    EXPECT_EQ(CSqlLexer::CodeOnly("a ';' -- ;\nb"), "a         \nb");
}

}  // namespace
