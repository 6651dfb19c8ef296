#pragma once

// Values: the regions of the system's zone database and the abbreviations
// each has used.
#include <string>
#include <utility>
#include <vector>

// The regions a zone may name (CTimeZone), as the zone database spells
// them ("Asia/Tokyo"), each with every abbreviation its rules define
// ("LMT", "JDT", "JST"), sorted by region. The folders of other forms of
// the database (posix/, right/) and files that are no region's rules are
// left out.
class CZoneNames {
public:
    using Name = std::pair<std::string, std::string>;

    // The names under `directory`; read once for CTimeZone::Directory().
    static std::vector<Name> Read(const std::string& directory);
    static const std::vector<Name>& All();
};
