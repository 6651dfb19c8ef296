#include "commands/SetOptions.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string_view>
#include <vector>

#include "interpreter/CCommandContext.h"
#include "interpreter/TextParse.h"
#include "oracle/ODatabase.h"

namespace setoptions {
namespace {

// SET and SHOW walk this table in order; a row is found by its name.
constexpr SetOption kOptions[] = {
    {"SERVEROUTPUT", "SERVEROUT", Message::ServerOutputValue, "OFF", SetServerOutput},
    {"NUMWIDTH", "NUM", Message::NumWidthUsage, "10", SetNumWidth},
    {"AUTOCOMMIT", "AUTO", Message::AutoCommitValue, "OFF", SetAutoCommit},
    {"HEADING", "HEAD", Message::OnOffValue, "ON", SetOnOff},
    {"FEEDBACK", "FEED", Message::FeedbackUsage, "ON", SetReportOption},
    {"TIMING", "TIMI", Message::OnOffValue, "OFF", SetOnOff},
    {"LOCKWAIT", nullptr, Message::LockWaitUsage, "10", SetLockWait},
    {"PAGESIZE", "PAGES", Message::ReportOptionUsage, "UNLIMITED", SetReportOption},
    {"LINESIZE", "LIN", Message::ReportOptionUsage, "UNLIMITED", SetReportOption},
    {"NEWPAGE", "NEWP", Message::ReportOptionUsage, "1", SetReportOption},
    {"UNDERLINE", "UND", Message::ReportOptionUsage, "'-'", SetReportOption},
    {"COLSEP", nullptr, Message::ReportOptionUsage, "' '", SetReportOption},
    {"NULL", nullptr, Message::ReportOptionUsage, "''", SetReportOption},
    {"WRAP", "WRA", Message::OnOffValue, "OFF", SetReportOption},
    {"TRIMOUT", "TRIM", Message::OnOffValue, "OFF", SetReportOption},
    {"TRIMSPOOL", "TRIMS", Message::OnOffValue, "OFF", SetReportOption},
    {"HEADSEP", "HEADS", Message::ReportOptionUsage, "'|'", SetReportOption},
    {"LONG", nullptr, Message::LongUsage, "80", SetLong},
    {"LONGCHUNKSIZE", "LONGC", Message::ReportOptionUsage, "80", SetReportOption},
    {"NUMFORMAT", "NUMF", Message::ReportOptionUsage, "''", SetReportOption},
    {"MARKUP", "MARK", Message::MarkupUsage, "CSV OFF DELIMITER , QUOTE ON", SetReportOption},
    {"ENCODING", "ENC", Message::EncodingUsage, "CP932", SetReportOption},
    {"DEFINE", "DEF", Message::CharacterOptionUsage, "&", SetCharacter},
    {"CONCAT", "CON", Message::CharacterOptionUsage, ".", SetCharacter},
    {"ESCAPE", "ESC", Message::CharacterOptionUsage, "OFF", SetCharacter},
    {"VERIFY", "VER", Message::OnOffValue, "OFF", SetOnOff},
    {"ECHO", nullptr, Message::OnOffValue, "OFF", SetOnOff},
    {"TERMOUT", "TERM", Message::OnOffValue, "ON", SetOnOff},
    {"ARRAYSIZE", "ARRAY", Message::ArraySizeUsage, "AUTO", SetArraySize},
    {"SQLBLANKLINES", "SQLBL", Message::OnOffValue, "ON", SetSqlBlankLines},
};

// Options of other Oracle consoles that this one has not, with their
// shortest forms.
constexpr struct {
    const char* name;
    const char* abbreviation;
} kOtherConsolesOptions[] = {
    {"APPINFO", "APPI"},
    {"AUTOPRINT", "AUTOP"},
    {"AUTORECOVERY", "AUTORECOVERY"},
    {"AUTOTRACE", "AUTOT"},
    {"BLOCKTERMINATOR", "BLO"},
    {"CMDSEP", "CMDS"},
    {"COLINVISIBLE", "COLINVI"},
    {"COMPATIBILITY", "COM"},
    {"COPYCOMMIT", "COPYC"},
    {"COPYTYPECHECK", "COPYTYPECHECK"},
    {"DESCRIBE", "DESCRIBE"},
    {"EDITFILE", "EDITF"},
    {"EMBEDDED", "EMB"},
    {"ERRORLOGGING", "ERRORL"},
    {"EXITCOMMIT", "EXITC"},
    {"FLAGGER", "FLAGGER"},
    {"FLUSH", "FLU"},
    {"HISTORY", "HIST"},
    {"INSTANCE", "INSTANCE"},
    {"LOBOFFSET", "LOBOF"},
    {"LOGSOURCE", "LOGSOURCE"},
    {"PAUSE", "PAU"},
    {"RECSEP", "RECSEP"},
    {"RECSEPCHAR", "RECSEPCHAR"},
    {"ROWLIMIT", "ROWLIMIT"},
    {"ROWPREFETCH", "ROWPREFETCH"},
    {"SECUREDCOL", "SECUREDCOL"},
    {"SHIFTINOUT", "SHIFT"},
    {"SHOWMODE", "SHOW"},
    {"SQLCASE", "SQLC"},
    {"SQLCONTINUE", "SQLCO"},
    {"SQLNUMBER", "SQLN"},
    {"SQLPLUSCOMPATIBILITY", "SQLPLUSCOMPAT"},
    {"SQLPREFIX", "SQLPRE"},
    {"SQLPROMPT", "SQLP"},
    {"SQLTERMINATOR", "SQLT"},
    {"STATEMENTCACHE", "STATEMENTC"},
    {"SUFFIX", "SUF"},
    {"TAB", "TAB"},
    {"TIME", "TI"},
    {"XMLOPTIMIZATIONCHECK", "XMLOPT"},
};

struct AutoCommitValue {
    const char* value;
    bool on;
    const char* stored;
};

constexpr AutoCommitValue kAutoCommitValues[] = {
    {"ON", true, "IMMEDIATE"},
    {"IMM", true, "IMMEDIATE"},
    {"IMMEDIATE", true, "IMMEDIATE"},
    {"OFF", false, "OFF"},
};

// The character SET name ON gives to an option that holds one.
struct OnCharacter {
    const char* option;
    const char* character;
};

constexpr OnCharacter kOnCharacters[] = {{"DEFINE", "&"}, {"CONCAT", "."}, {"ESCAPE", "\\"}};

constexpr int kMinNumWidth = 2;
constexpr int kMaxNumWidth = 50;
constexpr int kMaxLockWaitSeconds = 3600;

// A whole number, blanks around it allowed: an optional sign, then digits
// and nothing else.
bool IsWholeNumber(const std::string& value) {
    const std::string text = textparse::TrimBlanks(value);
    std::size_t at = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
    if (at == text.size()) return false;
    for (; at < text.size(); ++at)
        if (text[at] < '0' || text[at] > '9') return false;
    return true;
}

// The FORMAT words of SET SERVEROUTPUT ON; the console never wraps, so
// each is kept and shown.
constexpr const char* kServerOutputFormats[] = {"WRAPPED", "WORD_WRAPPED", "TRUNCATED"};

// The buffer sizes the server's output package takes.
constexpr long kMinOutputSize = 2000;
constexpr long kMaxOutputSize = 1000000;
constexpr int kMaxArraySize = 5000;
constexpr long long kMaxLong = 2000000000;

// SET SERVEROUTPUT's value read: ON or OFF, then SIZE n|UNLIMITED and
// FORMAT word in any order.
struct ServerOutputValue {
    bool on = false;
    long size = -1;
    const char* format = "WORD_WRAPPED";
};

std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    std::istringstream in(text);
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

// Note: the clauses take their short forms too (SIZ, FOR, WOR, TRU ...).
bool StartsWord(const std::string& word, const char* full, std::size_t shortest) {
    return word.size() >= shortest && std::string_view(full).starts_with(word);
}

Message ReadServerOutput(const std::string& text, ServerOutputValue& value) {
    const std::vector<std::string> words = Words(text);
    if (words.empty() || (words[0] != "ON" && words[0] != "OFF")) return Message::ServerOutputValue;
    value.on = words[0] == "ON";
    for (std::size_t k = 1; k < words.size(); ++k) {
        if (!value.on || k + 1 >= words.size()) return Message::ServerOutputValue;
        const std::string& clause = words[k];
        const std::string& argument = words[++k];
        if (StartsWord(clause, "SIZE", 3)) {
            if (StartsWord(argument, "UNLIMITED", 3)) {
                value.size = -1;
                continue;
            }
            if (!IsWholeNumber(argument)) return Message::ServerOutputSize;
            value.size = textparse::ParseLeadingInt(argument);
            if (value.size < kMinOutputSize || value.size > kMaxOutputSize) return Message::ServerOutputSize;
        } else if (StartsWord(clause, "FORMAT", 3)) {
            const auto* format =
                std::find_if(std::begin(kServerOutputFormats), std::end(kServerOutputFormats),
                             [&](const char* f) { return StartsWord(argument, f, 3); });
            if (format == std::end(kServerOutputFormats)) return Message::ServerOutputValue;
            value.format = *format;
        } else {
            return Message::ServerOutputValue;
        }
    }
    return Message::UnknownCommand;
}

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string_view ShortForm(const SetOption& option) {
    return option.abbreviation != nullptr ? option.abbreviation : option.name;
}

}  // namespace

std::span<const SetOption> Rows() { return kOptions; }

const SetOption* FindForSet(const std::string& word) {
    for (const auto& option : kOptions) {
        const std::string_view name(option.name);
        if (word.size() >= ShortForm(option).size() && name.starts_with(word)) return &option;
    }
    return nullptr;
}

const SetOption* FindForShow(const std::string& word) {
    // Note: a word that names an option (whole or abbreviated) wins over one
    // that only begins with another's short form (SHOW HEADSEP is not
    // HEADING).
    if (const SetOption* named = FindForSet(word)) return named;
    for (const auto& option : kOptions)
        if (std::string_view(word).starts_with(ShortForm(option))) return &option;
    return nullptr;
}

bool IsOtherConsolesOption(const std::string& word) {
    for (const auto& option : kOtherConsolesOptions)
        if (word.size() >= std::string_view(option.abbreviation).size() &&
            std::string_view(option.name).starts_with(word))
            return true;
    return false;
}

std::string Usage(const SetOption& option) {
    return FormatText(MessageText(option.usage), Lower(option.name));
}

CScriptLines SetOnOff(CCommandContext& context, const SetOption& option, const std::string& value) {
    if (value != "ON" && value != "OFF") return CScriptLines(Usage(option));
    context.GetSettings().SetAt(option.name, value);
    return {};
}

// Note: a letter, a digit or a blank cannot serve, as it would be read as
// part of a name or of the text around it.
CScriptLines SetCharacter(CCommandContext& context, const SetOption& option, const std::string& value) {
    std::string stored = value;
    if (value == "ON") {
        for (const auto& row : kOnCharacters)
            if (std::string_view(row.option) == option.name) stored = row.character;
    } else if (value != "OFF") {
        const unsigned char c = value.size() == 1 ? static_cast<unsigned char>(value[0]) : 0;
        if (c <= ' ' || c >= 0x80 || textparse::IsWordByte(c)) return CScriptLines(Usage(option));
    }
    context.GetSettings().SetAt(option.name, stored);
    return {};
}

// Note: ON alone asks for an unlimited buffer, since the package's own
// default (20,000 bytes) fails a block that prints more.
CScriptLines SetServerOutput(CCommandContext& context, const SetOption& option, const std::string& value) {
    ODatabase* database = context.GetDatabase();
    if (!context.IsConnected() || database == nullptr)
        return CScriptLines(MessageText(Message::NotConnected));
    ServerOutputValue read;
    const Message refusal = ReadServerOutput(value, read);
    if (refusal == Message::ServerOutputValue) return CScriptLines(Usage(option));
    if (refusal != Message::UnknownCommand) return CScriptLines(MessageText(refusal));
    CScriptLines output;
    if (database->EnableServerOutput(read.on, read.size) != OSUCCESS)
        return context.AppendServerError(output);
    context.GetSettings().SetAt(option.name, read.on ? "ON" : "OFF");
    return {};
}

// Note: the bytes of a CLOB or BLOB a query reads for showing; the
// column's width still decides what is shown.
CScriptLines SetLong(CCommandContext& context, const SetOption& option, const std::string& value) {
    const std::string shown = textparse::TrimBlanks(value);
    if (!IsWholeNumber(value)) return CScriptLines(Usage(option));
    const long long bytes = std::atoll(shown.c_str());
    if (bytes < 1 || bytes > kMaxLong)
        return CScriptLines(FormatText(MessageText(Message::LongRange), shown));
    context.GetSettings().SetAt(option.name, std::to_string(bytes));
    // Note: the same limit reads the values and lays out their columns.
    context.GetReportSettings().Set(option.name, std::to_string(bytes));
    if (context.GetDatabase() != nullptr) context.GetDatabase()->SetLongLimit(static_cast<long>(bytes));
    return {};
}

// Note: a blank line inside a statement is always kept as part of it, so
// ON is what the console does; OFF (a blank line ending the statement)
// is not offered.
CScriptLines SetSqlBlankLines(CCommandContext&, const SetOption& option, const std::string& value) {
    if (value == "OFF") return CScriptLines(MessageText(Message::BlankLinesKept));
    if (value != "ON") return CScriptLines(Usage(option));
    return {};
}

CScriptLines SetArraySize(CCommandContext& context, const SetOption& option, const std::string& value) {
    const std::string shown = textparse::TrimBlanks(value);
    int rows = 0;
    if (shown != "AUTO") {
        if (!IsWholeNumber(value)) return CScriptLines(Usage(option));
        rows = textparse::ParseLeadingInt(value);
        if (rows < 1 || rows > kMaxArraySize)
            return CScriptLines(FormatText(MessageText(Message::ArraySizeRange), shown));
    }
    context.GetSettings().SetAt(option.name, rows == 0 ? std::string("AUTO") : std::to_string(rows));
    // Note: kept by the database object, so it holds for later connections too.
    if (context.GetDatabase() != nullptr) context.GetDatabase()->SetArraySize(rows);
    return {};
}

CScriptLines SetNumWidth(CCommandContext& context, const SetOption& option, const std::string& value) {
    const std::string shown = textparse::TrimBlanks(value);
    if (!IsWholeNumber(value)) return CScriptLines(FormatText(MessageText(Message::NumWidthInvalid), shown));
    const int width = textparse::ParseLeadingInt(value);
    if (width < kMinNumWidth || width > kMaxNumWidth)
        return CScriptLines(FormatText(MessageText(Message::NumWidthRange), shown));
    context.GetSettings().SetAt(option.name, value);
    return {};
}

CScriptLines SetLockWait(CCommandContext& context, const SetOption& option, const std::string& value) {
    const std::string shown = textparse::TrimBlanks(value);
    const int seconds = textparse::ParseLeadingInt(value);
    if (!IsWholeNumber(value) || seconds < 0 || seconds > kMaxLockWaitSeconds)
        return CScriptLines(FormatText(MessageText(Message::LockWaitRange), shown));
    context.GetSettings().SetAt(option.name, std::to_string(seconds));
    // Note: kept by the database object, so it holds for later connections too.
    if (context.GetDatabase() != nullptr) context.GetDatabase()->SetLockWait(seconds);
    return {};
}

CScriptLines SetAutoCommit(CCommandContext& context, const SetOption& option, const std::string& value) {
    ODatabase* database = context.GetDatabase();
    if (!context.IsConnected() || database == nullptr)
        return CScriptLines(MessageText(Message::NotConnected));
    for (const auto& row : kAutoCommitValues) {
        if (value != row.value) continue;
        database->SetAutoCommit(row.on);
        context.GetSettings().SetAt(option.name, row.stored);
        return {};
    }
    return CScriptLines(Usage(option));
}

CScriptLines SetReportOption(CCommandContext& context, const SetOption& option, const std::string& value) {
    CReportSettings& settings = context.GetReportSettings();
    const std::string refused = settings.Set(option.name, value);
    // Note: a range or a format refused is told as the layout words it;
    // other rows answer with their usage line.
    if (!refused.empty())
        return CScriptLines(option.usage == Message::ReportOptionUsage ? refused : Usage(option));
    const std::string shown = settings.Show(option.name);
    context.GetSettings().SetAt(option.name, shown.substr(std::string_view(option.name).size() + 1));
    return {};
}

}  // namespace setoptions
