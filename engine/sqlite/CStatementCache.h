#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/sqlite/CSqlEmitter.h"
#include "engine/sqlite/CSqlScanner.h"
#include "engine/sqlite/SqliteApi.h"

// Prepared INSERT ... VALUES statements whose values are all literals, kept
// by the statement's shape (its text, each literal replaced by its kind),
// so that a script of such statements compiles and prepares each shape
// once and binds the literals of every later one. Entries hold while the
// catalog they were compiled against does.
class CStatementCache {
public:
    struct Entry {
        sqliteapi::Statement statement;
        // One per literal of the statement, in the order of the text.
        std::vector<CSqlEmitter::LiteralSlot> slots;
    };

    static constexpr std::size_t kMaxEntries = 64;

    // The shape of an INSERT that may be kept, with its literal tokens in
    // order; "" for any other statement.
    static std::string Shape(std::string_view text, const std::vector<CSqlScanner::Token>& tokens,
                             std::vector<const CSqlScanner::Token*>& literals);

    // The entry of `shape` compiled against catalog `generation`; null when
    // there is none.
    Entry* Find(const std::string& shape, std::uint64_t generation);
    // Keeps `entry`, dropping others when the cache is full.
    Entry& Add(const std::string& shape, std::uint64_t generation, Entry entry);
    void Clear() { m_entries.clear(); }

private:
    std::uint64_t m_generation = 0;
    std::unordered_map<std::string, Entry> m_entries;
};
