#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "report/CColumnSettings.h"

// The COLUMN settings of a console, by column name, in the order they were
// first set.
class CColumnTable {
public:
    // COLUMN with the text after the command word: "" lists every column,
    // a name alone lists that column, a name with options sets them. The
    // lines that answer it (none when options were set).
    std::vector<std::string> Command(std::string_view arguments);
    // The settings of a result column named `name` (any case), matched by
    // name or alias; null when none are set or they are OFF.
    const CColumnSettings* Find(std::string_view name) const;
    void Clear() { m_columns.clear(); }
    bool IsEmpty() const { return m_columns.empty(); }

private:
    std::vector<std::pair<std::string, CColumnSettings>> m_columns;

    CColumnSettings* FindEntry(std::string_view key);
    // Applies the options words[from...]; "" or the line refusing them.
    std::string ApplyOptions(const std::vector<std::string>& words, const std::vector<bool>& quoted,
                             std::size_t from, const std::string& name, CColumnSettings& settings);
};
