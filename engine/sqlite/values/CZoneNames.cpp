#include "engine/sqlite/values/CZoneNames.h"

#include <algorithm>
#include <filesystem>
#include <string_view>

#include "engine/sqlite/values/CTimeZone.h"
#include "engine/sqlite/values/CZoneFile.h"

namespace {

// Files of the database that hold no region of their own.
constexpr std::string_view kNotRegions[] = {"posix", "right", "posixrules", "localtime", "Factory"};

bool IsRegionPart(std::string_view part) {
    if (part.empty() || !((part[0] >= 'A' && part[0] <= 'Z') || (part[0] >= 'a' && part[0] <= 'z')))
        return false;
    for (std::string_view other : kNotRegions)
        if (part == other) return false;
    return std::all_of(part.begin(), part.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
               c == '-' || c == '+';
    });
}

// An abbreviation as the zone database writes them: letters, digits, "+"
// and "-" (a broken file's other bytes are no name).
bool IsAbbreviation(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
               c == '-';
    });
}

// The region's abbreviations, each once, in the order its file gives them.
void AddRegion(const std::string& region, const CZoneFile& file, std::vector<CZoneNames::Name>& out) {
    std::vector<std::string> seen;
    for (const CZoneFile::Type& type : file.Types()) {
        if (!IsAbbreviation(type.abbreviation) ||
            std::find(seen.begin(), seen.end(), type.abbreviation) != seen.end())
            continue;
        seen.push_back(type.abbreviation);
        out.emplace_back(region, type.abbreviation);
    }
}

}  // namespace

std::vector<CZoneNames::Name> CZoneNames::Read(const std::string& directory) {
    namespace fs = std::filesystem;
    std::vector<Name> names;
    std::error_code error;
    fs::recursive_directory_iterator it(directory, error);
    for (fs::recursive_directory_iterator last; !error && it != last; it.increment(error)) {
        const std::string part = it->path().filename().string();
        if (!IsRegionPart(part)) {
            if (it->is_directory(error)) it.disable_recursion_pending();
            continue;
        }
        if (!it->is_regular_file(error)) continue;
        CZoneFile file;
        if (!file.Load(it->path().string())) continue;
        AddRegion(it->path().lexically_relative(directory).generic_string(), file, names);
    }
    std::stable_sort(names.begin(), names.end(),
                     [](const Name& a, const Name& b) { return a.first < b.first; });
    return names;
}

const std::vector<CZoneNames::Name>& CZoneNames::All() {
    static const std::vector<Name> names = Read(CTimeZone::Directory());
    return names;
}
