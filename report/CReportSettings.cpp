#include "report/CReportSettings.h"

#include "report/ReportMessages.h"
#include "report/ReportText.h"
#include "text/CNumberFormat.h"

namespace {

using reporttext::ParseInt;
using reporttext::Words;

constexpr const char* kUnlimitedText = "UNLIMITED";
// The most of a LONG or LOB value the server hands out.
constexpr int kMaxLong = 2000000000;

std::string OnOff(bool on) { return on ? "ON" : "OFF"; }

std::string Range(std::string_view name, std::string_view value, int minimum, int maximum) {
    return ReportText(ReportMessage::OptionRange, name, value, std::to_string(minimum),
                      std::to_string(maximum));
}

std::string Invalid(std::string_view name, std::string_view value) {
    return ReportText(ReportMessage::OptionValue, name, value);
}

// The first word of `value`, upper case, quotes removed.
std::string FirstWord(std::string_view value) {
    const auto words = Words(value);
    return words.empty() ? std::string() : words.front();
}

bool SetOnOff(std::string_view name, std::string_view value, bool& flag, std::string& error) {
    const std::string word = FirstWord(value);
    if (word != "ON" && word != "OFF") {
        error = Invalid(name, value);
        return false;
    }
    flag = word == "ON";
    return true;
}

bool SetNumber(std::string_view name, std::string_view value, int minimum, int maximum, int& number,
               std::string& error) {
    if (!ParseInt(value, minimum, maximum, number)) {
        error = Range(name, value, minimum, maximum);
        return false;
    }
    return true;
}

// A single character or OFF (UNDERLINE, HEADSEP).
bool SetCharacter(std::string_view name, std::string_view value, char& character, std::string& error) {
    const std::string word = FirstWord(value);
    if (word == "OFF" || word == "ON") {
        if (word == "OFF") character = '\0';
        return true;
    }
    if (word.size() != 1 || word[0] == ' ') {
        error = Invalid(name, value);
        return false;
    }
    character = word[0];
    return true;
}

std::string ShowCharacter(char c) { return c == '\0' ? "OFF" : reporttext::Quoted(std::string(1, c)); }

struct OptionRow {
    const char* name;
    std::size_t abbreviation;
    bool (*set)(CReportSettings&, std::string_view name, std::string_view value, std::string& error);
    std::string (*show)(const CReportSettings&);
};

bool SetPageSize(CReportSettings& s, std::string_view n, std::string_view v, std::string& e) {
    return SetNumber(n, v, 0, 50000, s.pageSize, e);
}

bool SetLineSize(CReportSettings& s, std::string_view n, std::string_view v, std::string& e) {
    return SetNumber(n, v, 1, 32767, s.lineSize, e);
}

bool SetMarkup(CReportSettings& s, std::string_view n, std::string_view v, std::string& e) {
    const auto words = Words(v);
    if (words.size() < 2 || words[0] != "CSV" || (words[1] != "ON" && words[1] != "OFF")) {
        e = Invalid(n, v);
        return false;
    }
    bool on = words[1] == "ON";
    char delimiter = s.csvDelimiter;
    bool quote = s.csvQuote;
    for (std::size_t k = 2; k < words.size(); k += 2) {
        const bool last = k + 1 >= words.size();
        if (words[k] == "DELIMITER" && !last && words[k + 1].size() == 1) {
            delimiter = words[k + 1][0];
        } else if (words[k] == "QUOTE" && !last && (words[k + 1] == "ON" || words[k + 1] == "OFF")) {
            quote = words[k + 1] == "ON";
        } else {
            e = Invalid(n, v);
            return false;
        }
    }
    s.csv = on;
    s.csvDelimiter = delimiter;
    s.csvQuote = quote;
    return true;
}

bool SetNumFormat(CReportSettings& s, std::string_view n, std::string_view v, std::string& e) {
    const std::string word = FirstWord(v);
    CNumberFormat format;
    std::string error;
    if (!word.empty() && !CNumberFormat::Parse(word, format, error)) {
        e = ReportText(ReportMessage::FormatInvalid, word);
        return false;
    }
    (void)n;
    s.numFormat = word;
    return true;
}

bool SetFeedback(CReportSettings& s, std::string_view n, std::string_view v, std::string& e) {
    const std::string word = FirstWord(v);
    if (word == "ON" || word == "OFF") {
        s.feedback = word == "ON" ? 1 : 0;
        return true;
    }
    return SetNumber(n, v, 0, 50000, s.feedback, e);
}

bool SetEncoding(CReportSettings& s, std::string_view n, std::string_view v, std::string& e) {
    const std::string word = FirstWord(v);
    if (word != "UTF-8" && word != "UTF8" && word != "CP932" && word != "SHIFT_JIS") {
        e = Invalid(n, v);
        return false;
    }
    s.utf8Spool = word == "UTF-8" || word == "UTF8";
    return true;
}

std::string ShowLimit(int value) {
    return value == CReportSettings::kUnlimited ? kUnlimitedText : std::to_string(value);
}

// Note: abbreviations as the server's console accepts them.
const OptionRow kOptions[] = {
    {"PAGESIZE", 5, SetPageSize, [](const CReportSettings& s) { return ShowLimit(s.pageSize); }},
    {"LINESIZE", 3, SetLineSize, [](const CReportSettings& s) { return ShowLimit(s.lineSize); }},
    {"NEWPAGE", 4,
     [](CReportSettings& s, std::string_view n, std::string_view v, std::string& e) {
         // NONE: no blank line at all at the top of a page.
         if (FirstWord(v) == "NONE") {
             s.newPage = 0;
             return true;
         }
         return SetNumber(n, v, 0, 999, s.newPage, e);
     },
     [](const CReportSettings& s) { return std::to_string(s.newPage); }},
    {"UNDERLINE", 3,
     [](CReportSettings& s, std::string_view n, std::string_view v, std::string& e) {
         const bool wasOff = s.underline == '\0';
         const bool ok = SetCharacter(n, v, s.underline, e);
         if (ok && wasOff && s.underline == '\0' && FirstWord(v) == "ON") s.underline = '-';
         return ok;
     },
     [](const CReportSettings& s) { return ShowCharacter(s.underline); }},
    {"COLSEP", 6,
     [](CReportSettings& s, std::string_view, std::string_view v, std::string&) {
         const auto words = Words(v);
         s.colSep = words.empty() ? std::string() : words.front();
         return true;
     },
     [](const CReportSettings& s) { return reporttext::Quoted(s.colSep); }},
    {"NULL", 4,
     [](CReportSettings& s, std::string_view, std::string_view v, std::string&) {
         const auto words = Words(v);
         s.nullText = words.empty() ? std::string() : words.front();
         return true;
     },
     [](const CReportSettings& s) { return reporttext::Quoted(s.nullText); }},
    {"WRAP", 3,
     [](CReportSettings& s, std::string_view n, std::string_view v, std::string& e) {
         return SetOnOff(n, v, s.wrap, e);
     },
     [](const CReportSettings& s) { return OnOff(s.wrap); }},
    {"TRIMOUT", 5,
     [](CReportSettings& s, std::string_view n, std::string_view v, std::string& e) {
         return SetOnOff(n, v, s.trimOut, e);
     },
     [](const CReportSettings& s) { return OnOff(s.trimOut); }},
    {"TRIMSPOOL", 5,
     [](CReportSettings& s, std::string_view n, std::string_view v, std::string& e) {
         return SetOnOff(n, v, s.trimSpool, e);
     },
     [](const CReportSettings& s) { return OnOff(s.trimSpool); }},
    {"HEADSEP", 5,
     [](CReportSettings& s, std::string_view n, std::string_view v, std::string& e) {
         const bool ok = SetCharacter(n, v, s.headSep, e);
         if (ok && s.headSep == '\0' && FirstWord(v) == "ON") s.headSep = '|';
         return ok;
     },
     [](const CReportSettings& s) { return ShowCharacter(s.headSep); }},
    {"LONG", 4,
     [](CReportSettings& s, std::string_view n, std::string_view v, std::string& e) {
         return SetNumber(n, v, 1, kMaxLong, s.longWidth, e);
     },
     [](const CReportSettings& s) { return std::to_string(s.longWidth); }},
    {"LONGCHUNKSIZE", 5,
     [](CReportSettings& s, std::string_view n, std::string_view v, std::string& e) {
         return SetNumber(n, v, 1, kMaxLong, s.longChunk, e);
     },
     [](const CReportSettings& s) { return std::to_string(s.longChunk); }},
    {"NUMFORMAT", 4, SetNumFormat, [](const CReportSettings& s) { return reporttext::Quoted(s.numFormat); }},
    {"MARKUP", 4, SetMarkup,
     [](const CReportSettings& s) {
         return std::string("CSV ") + OnOff(s.csv) + " DELIMITER " + std::string(1, s.csvDelimiter) +
                " QUOTE " + OnOff(s.csvQuote);
     }},
    {"FEEDBACK", 4, SetFeedback,
     [](const CReportSettings& s) {
         return s.feedback == 0 ? std::string("OFF")
                                : (s.feedback == 1 ? std::string("ON") : std::to_string(s.feedback));
     }},
    {"ENCODING", 3, SetEncoding,
     [](const CReportSettings& s) { return std::string(s.utf8Spool ? "UTF-8" : "CP932"); }},
};

const OptionRow* FindOption(std::string_view name) {
    for (const auto& row : kOptions)
        if (reporttext::IsAbbreviation(name, row.name, row.abbreviation)) return &row;
    return nullptr;
}

}  // namespace

bool CReportSettings::IsOption(std::string_view name) { return FindOption(name) != nullptr; }

std::string CReportSettings::Set(std::string_view name, std::string_view value) {
    const OptionRow* row = FindOption(name);
    if (row == nullptr) return ReportText(ReportMessage::OptionUnknown, name);
    std::string error;
    row->set(*this, row->name, value, error);
    return error;
}

std::string CReportSettings::Show(std::string_view name) const {
    const OptionRow* row = FindOption(name);
    return row == nullptr ? std::string() : std::string(row->name) + " " + row->show(*this);
}

std::vector<std::string> CReportSettings::ShowAll() const {
    std::vector<std::string> lines;
    for (const auto& row : kOptions) lines.push_back(std::string(row.name) + " " + row.show(*this));
    return lines;
}
