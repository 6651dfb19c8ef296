#pragma once

// PL/SQL: the header of CREATE TRIGGER (timing, events, table, level, WHEN).
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// What a trigger's header says; its body (DECLARE ... or BEGIN ...) starts
// at `bodyStart` of the text it was read from. Names upper case (CP932).
struct CTriggerDefinition {
    std::string name;
    std::string table;
    std::string timing;               // BEFORE, AFTER, INSTEAD OF
    std::vector<std::string> events;  // INSERT, UPDATE, DELETE
    std::vector<std::string> updateColumns;
    bool forEachRow = false;
    bool enabled = true;
    std::string newName = "NEW";
    std::string oldName = "OLD";
    std::string when;  // the condition as written, "" when none
    // FOLLOWS and PRECEDES: the triggers this one fires after and before.
    std::vector<std::string> follows;
    std::vector<std::string> precedes;
    std::size_t orderAt = 0;
    std::size_t bodyStart = 0;
    std::size_t nameAt = 0;

    // Reads the header of `text`, which starts at TRIGGER; false with the
    // refused construct in `what` (CP932) and its offset in `at`.
    static bool Read(std::string_view text, CTriggerDefinition& out, std::string& what, std::size_t& at);
    // "BEFORE EACH ROW", "AFTER STATEMENT" ... as USER_TRIGGERS shows it.
    std::string TriggerType() const;
    // "INSERT OR UPDATE" as USER_TRIGGERS shows it.
    std::string Event() const;
};
