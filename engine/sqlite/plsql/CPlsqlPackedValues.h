#pragma once

// PL/SQL: the scalar elements 1..n of a collection, packed (BULK COLLECT).
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "engine/sqlite/plsql/CPlsqlValue.h"

// The values in the order appended, each as a tag byte and its bytes (an
// integer 8, a text its length and bytes) in chunks of 64 KB, found by a
// 4-byte position: a few bytes more than the values hold, where a map of
// values would take some 170 bytes an element. Nothing is moved as the
// store grows.
class CPlsqlPackedValues {
public:
    // False when the store is full (4 GB of chunks); the value is then not kept.
    bool Append(const CPlsqlValue& value);
    std::size_t Size() const { return m_positions.size(); }
    // The value at `index` (0 for the first).
    CPlsqlValue At(std::size_t index) const;

private:
    static constexpr std::size_t kChunk = std::size_t{1} << 16;

    std::deque<std::uint32_t> m_positions;
    std::vector<std::string> m_chunks;
    // Values whose packed bytes exceed a chunk, packed each on its own.
    std::vector<std::string> m_large;
};
