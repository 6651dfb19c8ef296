#include <gtest/gtest.h>

#include <string>

#include "engine/sqlite/CTypedText.h"

namespace {

TEST(CTypedTextTest, WordsAreUpperCasedAndQuotesKept) {
    const struct {
        const char* typed;
        const char* upper;
    } cases[] = {
        {"select a from t", "SELECT A FROM T"},
        {"select 'abc', n'x', q'[it's]' from dual", "SELECT 'abc', n'x', q'[it's]' FROM DUAL"},
        // A quoted name keeps its case, in the spelling SQLite keeps it by.
        {"select \"MiXed\" from t -- note", "SELECT \"M^IX^E^D\" FROM T -- NOTE"},
        {"insert into t values (:v, 'a''b')", "INSERT INTO T VALUES (:V, 'a''b')"},
        // Full-width a to z are letters of a name; the trail byte of another
        // character that falls on a-z is not.
        {"select \x82\x81 from \x83\x61", "SELECT \x82\x60 FROM \x83\x61"},
        {"SELECT 1 FROM DUAL", "SELECT 1 FROM DUAL"},
    };
    for (const auto& c : cases) EXPECT_EQ(CTypedText::UpperWords(c.typed), c.upper) << c.typed;
}

TEST(CTypedTextTest, APieceOfTheRunningStatementComesBackAsTyped) {
    const std::string typed = "create view v as select hours * rate from pay";
    const std::string upper = CTypedText::UpperWords(typed);
    const std::string_view query = std::string_view(upper).substr(17);
    EXPECT_EQ(CTypedText::Typed(query), std::string(query));
    {
        CTypedText::Scope scope(upper, typed);
        EXPECT_EQ(CTypedText::Typed(query), "select hours * rate from pay");
        // A copy is found by its bytes.
        EXPECT_EQ(CTypedText::Typed(std::string("HOURS * RATE")), "hours * rate");
        EXPECT_EQ(CTypedText::Typed("NOT IN THE TEXT"), "NOT IN THE TEXT");
        const std::string inner = "Begin Null; End;";
        const std::string innerUpper = CTypedText::UpperWords(inner);
        {
            CTypedText::Scope nested(innerUpper, inner);
            EXPECT_EQ(CTypedText::Typed(std::string("NULL;")), "Null;");
            EXPECT_EQ(CTypedText::Typed(std::string("FROM PAY")), "from pay");
        }
        EXPECT_EQ(CTypedText::Typed(std::string("NULL;")), "NULL;");
    }
    EXPECT_EQ(CTypedText::Typed(std::string("HOURS * RATE")), "HOURS * RATE");
}

}  // namespace
