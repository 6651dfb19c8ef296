#include "engine/sqlite/values/CZoneFile.h"

#include <algorithm>
#include <fstream>

namespace {

constexpr std::size_t kHeader = 44;
constexpr std::size_t kMaxFile = 1 << 20;

std::uint32_t Big32(std::string_view bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t k = 0; k < 4; ++k) value = (value << 8) | static_cast<unsigned char>(bytes[at + k]);
    return value;
}

std::int64_t Big64(std::string_view bytes, std::size_t at) {
    std::uint64_t value = (static_cast<std::uint64_t>(Big32(bytes, at)) << 32) | Big32(bytes, at + 4);
    return static_cast<std::int64_t>(value);
}

// The six counts of a header at `at`: isut, isstd, leap, time, type, char.
bool Counts(std::string_view bytes, std::size_t at, std::uint32_t (&counts)[6]) {
    if (bytes.size() < at + kHeader || bytes.substr(at, 4) != "TZif") return false;
    for (std::size_t k = 0; k < 6; ++k) counts[k] = Big32(bytes, at + 20 + 4 * k);
    return counts[4] > 0 && counts[4] <= 256 && counts[3] <= 100000 && counts[5] <= 65536 &&
           counts[2] <= 100000 && counts[0] <= counts[4] && counts[1] <= counts[4];
}

}  // namespace

bool CZoneFile::Block(std::string_view bytes, std::size_t& at, bool wide) {
    std::uint32_t counts[6];
    if (!Counts(bytes, at, counts)) return false;
    std::size_t timeSize = wide ? 8 : 4;
    std::size_t need = counts[3] * timeSize + counts[3] + counts[4] * 6 + counts[5] +
                       counts[2] * (timeSize + 4) + counts[1] + counts[0];
    at += kHeader;
    if (bytes.size() < at + need) return false;
    m_times.clear();
    m_indices.clear();
    m_types.clear();
    for (std::uint32_t k = 0; k < counts[3]; ++k)
        m_times.push_back(wide ? Big64(bytes, at + k * 8)
                               : static_cast<std::int32_t>(Big32(bytes, at + k * 4)));
    std::size_t indices = at + counts[3] * timeSize;
    for (std::uint32_t k = 0; k < counts[3]; ++k) {
        auto index = static_cast<std::uint8_t>(bytes[indices + k]);
        if (index >= counts[4]) return false;
        m_indices.push_back(index);
    }
    std::size_t types = indices + counts[3];
    std::string_view names = bytes.substr(types + counts[4] * 6, counts[5]);
    for (std::uint32_t k = 0; k < counts[4]; ++k) {
        std::size_t row = types + k * 6;
        Type type;
        type.offset = static_cast<std::int32_t>(Big32(bytes, row));
        type.dst = bytes[row + 4] != 0;
        auto name = static_cast<unsigned char>(bytes[row + 5]);
        if (name < names.size()) {
            std::string_view rest = names.substr(name);
            type.abbreviation = std::string(rest.substr(0, rest.find('\0')));
        }
        m_types.push_back(std::move(type));
    }
    at += need;
    return std::is_sorted(m_times.begin(), m_times.end());
}

bool CZoneFile::Parse(std::string_view bytes) {
    std::size_t at = 0;
    if (bytes.size() < kHeader || bytes.substr(0, 4) != "TZif") return false;
    char version = bytes[4];
    if (!Block(bytes, at, false)) return false;
    // Note: from version 2 on, a second block holds the same data with
    // 64-bit times, which reach past 2038.
    if (version >= '2' && !Block(bytes, at, true)) return false;
    return !m_types.empty();
}

bool CZoneFile::Load(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    std::string bytes;
    bytes.resize(kMaxFile + 1);
    file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(file.gcount()));
    return bytes.size() <= kMaxFile && Parse(bytes);
}

const CZoneFile::Type& CZoneFile::TypeAt(std::int64_t utc) const {
    auto next = std::upper_bound(m_times.begin(), m_times.end(), utc);
    if (next == m_times.begin()) return m_types.front();
    return m_types[m_indices[static_cast<std::size_t>(next - m_times.begin() - 1)]];
}

int CZoneFile::OffsetOfLocal(std::int64_t local, std::int32_t& offset) const {
    // Note: a day either side of a time has its offsets; each one is the
    // time's own when the clocks at local - offset show that offset.
    const Type& before = TypeAt(local - 86400);
    const Type& after = TypeAt(local + 86400);
    bool beforeFits = TypeAt(local - before.offset).offset == before.offset;
    bool afterFits = TypeAt(local - after.offset).offset == after.offset;
    if (beforeFits && afterFits && before.offset != after.offset) {
        offset = before.dst ? after.offset : before.offset;
        return 0;
    }
    if (beforeFits || afterFits) {
        offset = beforeFits ? before.offset : after.offset;
        return 0;
    }
    return 1878;
}
