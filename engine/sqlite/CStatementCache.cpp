#include "engine/sqlite/CStatementCache.h"

#include <algorithm>

#include "engine/sqlite/CDateLiteral.h"
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

using Role = CSqlEmitter::LiteralSlot::Role;

CStatementCache::Outcome Refuse(CSqlEmitter::Failure& failure, std::size_t at, int code, std::string name,
                                std::vector<std::string> args = {}) {
    failure = CSqlEmitter::Failure{at, code, std::move(name), std::move(args)};
    return CStatementCache::Outcome::Refused;
}

CStatementCache::Outcome StoredValue(const CSqlEmitter::LiteralSlot& slot, CSqlExpr::Kind kind,
                                     std::string_view literal, std::size_t reported,
                                     CLiteralStore::Value& value, CSqlEmitter::Failure& failure) {
    CLiteralStore::Refusal refusal;
    auto outcome = CLiteralStore::Take(slot.column, kind, literal, value, refusal, slot.negative);
    if (outcome == CLiteralStore::Outcome::Refused)
        return Refuse(failure, reported, refusal.code, slot.table + "." + slot.column.name,
                      std::move(refusal.args));
    if (outcome == CLiteralStore::Outcome::NotTaken || value.real != slot.value.real)
        return CStatementCache::Outcome::Differs;
    return CStatementCache::Outcome::Bound;
}

CStatementCache::Outcome RawValue(const CSqlEmitter::LiteralSlot& slot, std::string_view literal,
                                  CLiteralStore::Value& value) {
    if (!slot.value.number) {
        value.text = CSqlScanner::LiteralText(literal);
        return CStatementCache::Outcome::Bound;
    }
    const char kind = CLiteralStore::PlainNumberKind(literal);
    if (kind == 0 || (kind == 'r') != slot.value.real) return CStatementCache::Outcome::Differs;
    value.number = true;
    value.real = kind == 'r';
    value.text = std::string(literal);
    if (!value.real && !CValueText::ParseInteger(literal, value.integer))
        return CStatementCache::Outcome::Differs;
    return CStatementCache::Outcome::Bound;
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

bool CStatementCache::AnchorSlots(Entry& entry, const std::vector<CSqlScanner::Token>& tokens,
                                  const std::vector<const CSqlScanner::Token*>& literals) {
    entry.anchors.clear();
    std::size_t literal = 0;
    for (const auto& slot : entry.slots) {
        CStatementCache::Anchor anchor;
        if (slot.role != Role::Position) {
            if (literal >= literals.size() || literals[literal]->begin != slot.at) return false;
            anchor.literal = literal++;
        }
        // The last token at or before the offset.
        auto after = std::upper_bound(
            tokens.begin(), tokens.end(), slot.reported,
            [](std::size_t at, const CSqlScanner::Token& token) { return at < token.begin; });
        if (after == tokens.begin()) return false;
        anchor.token = static_cast<std::size_t>(after - tokens.begin()) - 1;
        anchor.delta = slot.reported - tokens[anchor.token].begin;
        entry.anchors.push_back(anchor);
    }
    return literal == literals.size();
}

CStatementCache::Outcome CStatementCache::Revalue(const CSqlEmitter::LiteralSlot& slot, const Anchor& anchor,
                                                  std::string_view text,
                                                  const std::vector<CSqlScanner::Token>& tokens,
                                                  const std::vector<const CSqlScanner::Token*>& literals,
                                                  CLiteralStore::Value& value,
                                                  CSqlEmitter::Failure& failure) {
    const std::size_t reported = tokens[anchor.token].begin + anchor.delta;
    if (slot.role == Role::Position) {
        value.number = true;
        value.integer = static_cast<std::int64_t>(reported);
        return Outcome::Bound;
    }
    const CSqlScanner::Token& token = *literals[anchor.literal];
    std::string_view literal = text.substr(token.begin, token.length);
    switch (slot.role) {
        case Role::Stored:
            return StoredValue(
                slot,
                token.kind == CSqlScanner::Kind::Number ? CSqlExpr::Kind::Number : CSqlExpr::Kind::String,
                literal, reported, value, failure);
        case Role::Raw:
            return RawValue(slot, literal, value);
        case Role::Date: {
            int code = 0;
            value.text = CDateLiteral::Stored(literal, slot.timestamp, code);
            if (code != 0) return Refuse(failure, reported, code, std::string(literal));
            return value.text.empty() ? Outcome::Differs : Outcome::Bound;
        }
        case Role::Position:
            break;
    }
    return Outcome::Differs;
}
