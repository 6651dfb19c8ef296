#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "batch/CBoundedInput.h"

namespace {

std::string ReadThrough(const std::string& text, std::size_t maxBytes, std::size_t maxLine, bool& exceeded) {
    std::istringstream source(text);
    CBoundedInput bounded(source, maxBytes, maxLine);
    std::istream in(&bounded);
    std::string read((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    exceeded = bounded.Exceeded();
    return read;
}

TEST(CBoundedInput, EndsAtTheByteOrLineBound) {
    const std::string lines = std::string(9000, 'a') + "\n" + std::string(9000, 'b') + "\n";
    // clang-format off
    const struct { std::size_t maxBytes, maxLine, kept; bool exceeded; } cases[] = {
        {1 << 20, 9000, lines.size(), false},
        {1 << 20, 8999, 8999, true},
        {10000, 1 << 20, 10000, true},
        {lines.size() + 1, 9000, lines.size(), false},
    };
    // clang-format on
    for (const auto& c : cases) {
        bool exceeded = false;
        const std::string read = ReadThrough(lines, c.maxBytes, c.maxLine, exceeded);
        EXPECT_EQ(read, lines.substr(0, c.kept)) << c.maxBytes << " " << c.maxLine;
        EXPECT_EQ(exceeded, c.exceeded) << c.maxBytes << " " << c.maxLine;
    }
}

}  // namespace
