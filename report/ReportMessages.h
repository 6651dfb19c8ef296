#pragma once

#include <string>
#include <string_view>

// The fixed texts of the report commands, held as CP932 bytes.
enum class ReportMessage {
    ColumnUnknownOption,
    ColumnNotDefined,
    ColumnMissingValue,
    FormatInvalid,
    OptionRange,
    OptionValue,
    OptionUnknown,
    BreakNone,
    BreakUsage,
    ComputeNone,
    ComputeUsage,
    ComputeNoBreak,
    TitleUsage,
    SpoolNotSpooling,
    SpoolSpooling,
    SpoolOpenFailed,
    SpoolExists,
    SpoolWriteFailed,
    SpoolUsage,
};

// The CP932 text of a message; stays valid for the life of the program.
const std::string& ReportText(ReportMessage message);

// The message with its "%s" fields replaced by `first`, `second`, ... in
// order.
std::string ReportText(ReportMessage message, std::string_view first, std::string_view second = {},
                       std::string_view third = {}, std::string_view fourth = {});
