#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text/CNumberFormat.h"

// What COLUMN set for one column of query results.
class CColumnSettings {
public:
    enum class Justify { Default, Left, Center, Right };
    enum class Fold { Default, Wrapped, WordWrapped, Truncated };

    // The format as typed ("" none): An for text, else a number model.
    std::string format;
    // Width of an An format; -1 without one.
    int textWidth = -1;
    // Set when `format` is a number model.
    std::optional<CNumberFormat> number;
    std::optional<std::string> heading;
    Justify justify = Justify::Default;
    std::optional<std::string> nullText;
    Fold fold = Fold::Default;
    bool noPrint = false;
    // OFF: the settings are kept but not used.
    bool on = true;
    std::string newValue;
    std::string oldValue;
    std::string alias;

    // Sets FORMAT: "" on success, else the line that refuses it.
    std::string SetFormat(std::string_view text);
    // The settings as COLUMN name lists them, after the line naming it.
    std::vector<std::string> Describe(std::string_view name) const;
};
