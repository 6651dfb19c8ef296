#include <gtest/gtest.h>

#include <string>

#include "engine/sqlite/CStatementLimits.h"

namespace {

std::string Chain(std::size_t operators, const std::string& op = " + 1") {
    std::string text = "1";
    for (std::size_t i = 0; i < operators; ++i) text += op;
    return text;
}

TEST(CStatementLimits, OnlyARunPastTheBoundAtOneLevelIsFound) {
    constexpr std::size_t kMax = CStatementLimits::kMaxOperatorRun;
    constexpr auto npos = std::string::npos;
    const std::string over = "SELECT " + Chain(kMax + 1) + " FROM DUAL";
    EXPECT_EQ(CStatementLimits::FindOverlongRun(over), over.rfind('+'));
    // clang-format off
    const struct { std::string sql; bool found; } cases[] = {
        {"SELECT " + Chain(kMax) + " FROM DUAL", false},
        {"SELECT " + Chain(kMax + 1, " || 'a'") + " FROM DUAL", true},
        {"SELECT " + Chain(kMax + 1, "-1") + " FROM DUAL", true},
        {"SELECT " + Chain(kMax / 2) + ", " + Chain(kMax / 2) + " FROM DUAL", false},
        {"SELECT (" + Chain(kMax / 2) + ") + (" + Chain(kMax / 2) + ") FROM DUAL", false},
        {"SELECT '" + Chain(kMax + 1) + "' FROM DUAL", false},
        {"SELECT 1 FROM DUAL -- " + Chain(kMax + 1), false},
        {"SELECT 1 /* " + Chain(kMax + 1) + " */ FROM DUAL", false},
        {"SELECT \"A" + Chain(kMax + 1) + "\" FROM DUAL", false},
        {"SELECT ((((" + Chain(kMax + 1) + "))))", true},
        {"SELECT 1)))) + " + Chain(kMax + 1), true},
    };
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(CStatementLimits::FindOverlongRun(c.sql) != npos, c.found) << c.sql.substr(0, 40);
}

}  // namespace
