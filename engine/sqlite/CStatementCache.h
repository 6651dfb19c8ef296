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
    // Where a slot's values come from in a statement of the entry's shape:
    // its literal (the index among the literals, for all but a Position)
    // and the offset it reports, as a token's (by index) plus `delta`.
    struct Anchor {
        std::size_t literal = 0;
        std::size_t token = 0;
        std::size_t delta = 0;
    };
    struct Entry {
        sqliteapi::Statement statement;
        // One per parameter of the statement: each literal of the statement
        // (in the order of the text) and each offset written.
        std::vector<CSqlEmitter::LiteralSlot> slots;
        std::vector<Anchor> anchors;
    };
    enum class Outcome { Bound, Refused, Differs };

    static constexpr std::size_t kMaxEntries = 64;

    // The shape of an INSERT that may be kept, with its literal tokens in
    // order; "" for any other statement.
    static std::string Shape(std::string_view text, const std::vector<CSqlScanner::Token>& tokens,
                             std::vector<const CSqlScanner::Token*>& literals);

    // The anchors of `entry`'s slots in the statement they were compiled
    // from; false when its literals are not exactly the slots' literals
    // (the entry is not to be kept).
    static bool AnchorSlots(Entry& entry, const std::vector<CSqlScanner::Token>& tokens,
                            const std::vector<const CSqlScanner::Token*>& literals);
    // The value of `slot` in `text`, a statement of its entry's shape
    // (`tokens` its tokens, `literals` its literal tokens); Refused with
    // `failure` set as compiling the statement would have failed; Differs
    // when the statement would not compile to the entry's.
    static Outcome Revalue(const CSqlEmitter::LiteralSlot& slot, const Anchor& anchor, std::string_view text,
                           const std::vector<CSqlScanner::Token>& tokens,
                           const std::vector<const CSqlScanner::Token*>& literals,
                           CLiteralStore::Value& value, CSqlEmitter::Failure& failure);

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
