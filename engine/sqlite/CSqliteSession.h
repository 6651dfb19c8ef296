#pragma once

#include <string>
#include <vector>

// What one connection's statements share: the settings of ALTER SESSION
// and the ROWNUM counters of the statement being run (one per query block).
struct CSqliteSession {
    std::string dateFormat = "RR-MM-DD";
    std::vector<long long> rownum;
};
