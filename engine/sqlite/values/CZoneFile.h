#pragma once

// Values: one region's rules, read from a compiled zone file of the system.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The transitions of a TZif file (RFC 8536, versions 1 to 4): when each
// local time type starts, its offset from UTC, whether it is daylight
// saving time and its abbreviation. Times are seconds since 1970 UTC.
class CZoneFile {
public:
    struct Type {
        std::int32_t offset = 0;  // seconds east of UTC
        bool dst = false;
        std::string abbreviation;
    };

    // False when `bytes` is no TZif data or is cut short.
    bool Parse(std::string_view bytes);
    // False when the file cannot be read (at most 1 MB is read) or parsed.
    bool Load(const std::string& path);

    // The local time type in force at `utc`: the first type before the
    // first transition; the last transition's after it.
    // Note: the files of the system's zone database hold transitions to
    // 2037; later times keep the last one's type.
    const Type& TypeAt(std::int64_t utc) const;
    // The offset of the local time `local` (seconds since 1970 as a clock of
    // the region shows them): 0, or ORA-01878 when the clocks skip that
    // time. A time the clocks show twice is taken as standard time.
    int OffsetOfLocal(std::int64_t local, std::int32_t& offset) const;
    // Every local time type the file defines, in the file's order.
    const std::vector<Type>& Types() const { return m_types; }

private:
    // One data block: 4-byte times (version 1) or 8-byte (`wide`); false
    // when cut short. `at` moves past the block.
    bool Block(std::string_view bytes, std::size_t& at, bool wide);

    std::vector<std::int64_t> m_times;
    std::vector<std::uint8_t> m_indices;
    std::vector<Type> m_types;
};
