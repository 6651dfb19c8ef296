#include "engine/sqlite/CStatementCache.h"

#include <charconv>

namespace {

bool IsLiteral(const CSqlScanner::Token& token) {
    return token.kind == CSqlScanner::Kind::Number ||
           (token.kind == CSqlScanner::Kind::String && token.length > 2);
}

// A number's kind as SQLite reads it: an integer, a floating-point value,
// or one with an exponent (which the column rules never take at once).
char NumberKind(std::string_view number) {
    if (CLiteralStore::HasExponent(number)) return 'e';
    std::int64_t value = 0;
    auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    return result.ec == std::errc() && result.ptr == number.data() + number.size() ? 'i' : 'r';
}

}  // namespace

std::string CStatementCache::Shape(std::string_view text, const std::vector<CSqlScanner::Token>& tokens,
                                   std::vector<const CSqlScanner::Token*>& literals) {
    if (tokens.empty() || !CSqlScanner::Is(text, tokens[0], "INSERT")) return {};
    std::string shape;
    shape.reserve(text.size());
    for (const auto& token : tokens) {
        std::string_view word = text.substr(token.begin, token.length);
        if (token.kind == CSqlScanner::Kind::Bind) return {};
        // Note: no token holds a NUL byte or is empty, so a literal written
        // as an empty token and its kind reads one way only.
        if (IsLiteral(token)) {
            shape += '\0';
            shape += token.kind == CSqlScanner::Kind::Number ? NumberKind(word) : 's';
            literals.push_back(&token);
        } else {
            shape.append(word);
        }
        shape += '\0';
    }
    return shape;
}

CStatementCache::Entry* CStatementCache::Find(const std::string& shape, std::uint64_t generation) {
    if (generation != m_generation) {
        m_entries.clear();
        m_generation = generation;
        return nullptr;
    }
    auto found = m_entries.find(shape);
    return found == m_entries.end() ? nullptr : &found->second;
}

CStatementCache::Entry& CStatementCache::Add(const std::string& shape, std::uint64_t generation,
                                             Entry entry) {
    if (generation != m_generation || m_entries.size() >= kMaxEntries) m_entries.clear();
    m_generation = generation;
    return m_entries[shape] = std::move(entry);
}
