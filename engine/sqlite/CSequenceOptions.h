#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/EngineTypes.h"
#include "engine/sqlite/CSqlScanner.h"

struct sqlite3;

// What a sequence holds beyond its next value and step: MINVALUE,
// MAXVALUE, CYCLE, CACHE and ORDER, as CREATE and ALTER SEQUENCE give them.
// They are a row of TARVEX_SEQUENCE_OPTIONS; a sequence without one has the
// server's defaults. A limit beyond what a whole number of 64 bits holds is
// kept as written and never reached.
class CSequenceOptions {
public:
    std::string minValue;  // as written; "" for the default of the direction
    std::string maxValue;
    bool cycle = false;
    long long cache = 20;
    bool order = false;

    enum class Outcome { NotAnOption, Read, Refused };
    // One option at tokens[k] (CP932 text); `k` moves past it.
    Outcome Read(std::string_view text, const std::vector<CSqlScanner::Token>& tokens, std::size_t& k,
                 CEngineError& error);

    // The limits in force for a sequence of step `step`.
    std::string Minimum(long long step) const;
    std::string Maximum(long long step) const;
    // ORA-04004/04006/04008 for limits that leave no room or a first value
    // outside them; `at` is where the statement's options start.
    bool Check(long long step, long long first, int at, CEngineError& error) const;

    static bool Save(sqlite3* db, const std::string& name, const CSequenceOptions& options,
                     CEngineError& error);
    // The options kept for `name` (UTF-8); the defaults when none are.
    static CSequenceOptions Load(sqlite3* db, const std::string& name);
    static void Forget(sqlite3* db, const std::string& name);

    // Whether `value` lies past the limit the step `step` runs towards.
    bool Passes(long long step, long long value) const;
    // Where a cycling sequence starts again: its other limit.
    long long Restart(long long step) const;
};
