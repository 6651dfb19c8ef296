#pragma once

#include <string>
#include <string_view>
#include <vector>

// The SET options that shape a report, with their defaults: a console on
// which none was set lays results out as it always did (one page without
// a limit, rows never wrapped, a blank at the end of each line).
class CReportSettings {
public:
    static constexpr int kUnlimited = -1;

    int pageSize = kUnlimited;
    int lineSize = kUnlimited;
    int newPage = 1;
    char underline = '-';  // '\0': no underline
    std::string colSep = " ";
    std::string nullText;
    bool wrap = false;
    bool trimOut = false;
    bool trimSpool = false;
    char headSep = '|';  // '\0': OFF
    int longWidth = 80;
    // A long value's column is as wide as the smaller of LONG and this.
    int longChunk = 80;
    // A LONG or LOB column is at most this wide, whatever LONG reads.
    static constexpr int kMaxLongColumn = 65534;
    int numWidth = 10;
    std::string numFormat;
    bool heading = true;
    // Rows at least this many get the count line; 0: never.
    int feedback = 1;
    bool utf8Spool = false;
    bool csv = false;
    char csvDelimiter = ',';
    bool csvQuote = true;

    // True when `name` (upper case, abbreviated as the console allows) is
    // an option of this table.
    static bool IsOption(std::string_view name);
    // SET name value; "" on success, else the one line that answers it.
    std::string Set(std::string_view name, std::string_view value);
    // SHOW name: one line; "" when `name` is no option of this table.
    std::string Show(std::string_view name) const;
    // One line per option, in table order (SHOW ALL).
    std::vector<std::string> ShowAll() const;
};
