#include "engine/sqlite/CStatementCache.h"

#include "engine/sqlite/CValueText.h"

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
    return CValueText::ParseInteger(number, value) ? 'i' : 'r';
}

}  // namespace

std::string CStatementCache::Shape(std::string_view text, const std::vector<CSqlScanner::Token>& tokens,
                                   std::vector<const CSqlScanner::Token*>& literals) {
    if (tokens.empty() || !CSqlScanner::Is(text, tokens[0], "INSERT")) return {};
    // The text as it stands, each literal replaced by a NUL, its kind and a
    // NUL: a statement holds no NUL byte, so the shape reads one way only.
    std::string shape;
    shape.reserve(text.size() + 8);
    std::size_t done = 0;
    for (const auto& token : tokens) {
        if (token.kind == CSqlScanner::Kind::Bind) return {};
        if (!IsLiteral(token)) continue;
        shape.append(text.substr(done, token.begin - done));
        shape += '\0';
        shape += token.kind == CSqlScanner::Kind::Number ? NumberKind(text.substr(token.begin, token.length))
                                                         : 's';
        shape += '\0';
        literals.push_back(&token);
        done = token.begin + token.length;
    }
    shape.append(text.substr(done));
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
