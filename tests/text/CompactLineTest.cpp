#include <gtest/gtest.h>

#include <string>

#include "text/CompactLine.h"

namespace {

TEST(CompactLine, RoundTripsAnyBytesAndHoldsLongRunsShort) {
    const std::string nul(1, '\0');
    // clang-format off
    const struct { std::string plain; std::size_t maxEncoded; } cases[] = {
        {"", 0}, {"a", 1}, {"       x", 8}, {"        x", 3}, {"x" + std::string(4000, ' ') + "y", 5},
        {std::string(200000, ' '), 4}, {nul, 2}, {"a" + nul + nul + "b", 6}, {nul + std::string(9, ' '), 4},
        {"\x93\xfa\x96\x7b" + std::string(128, ' ') + "\x83\x5c", 9}, {std::string(127, ' '), 2},
        {std::string(128, ' '), 3},
    };
    // clang-format on
    for (const auto& c : cases) {
        const std::string encoded = compactline::Encode(c.plain);
        EXPECT_EQ(compactline::Decode(encoded), c.plain) << c.plain.size();
        EXPECT_EQ(compactline::DecodedSize(encoded), c.plain.size());
        EXPECT_LE(encoded.size(), c.maxEncoded) << c.plain.size();
    }
    std::string built;
    compactline::AppendText(built, "ab");
    compactline::AppendBlanks(built, 3000);
    compactline::AppendText(built, "c ");
    compactline::AppendBlanks(built, 2);
    EXPECT_EQ(compactline::Decode(built), "ab" + std::string(3000, ' ') + "c   ");
}

}  // namespace
