#include "commands/SetOptions.h"

#include <string_view>

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
    {"FEEDBACK", "FEED", Message::OnOffValue, "ON", SetOnOff},
    {"TIMING", "TIMI", Message::OnOffValue, "OFF", SetOnOff},
    {"LOCKWAIT", nullptr, Message::LockWaitUsage, "10", SetLockWait},
};

struct OnOffBlock {
    const char* value;
    const char* block;
};

constexpr OnOffBlock kServerOutputBlocks[] = {
    {"ON", "BEGIN dbms_output.enable(); END;"},
    {"OFF", "BEGIN dbms_output.disable(); END;"},
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
    for (const auto& option : kOptions)
        if (std::string_view(word).starts_with(ShortForm(option))) return &option;
    return nullptr;
}

std::string Usage(const SetOption& option) {
    return FormatText(MessageText(option.usage), Lower(option.name));
}

CScriptLines SetOnOff(CCommandContext& context, const SetOption& option, const std::string& value) {
    if (value != "ON" && value != "OFF") return CScriptLines(Usage(option));
    context.GetSettings().SetAt(option.name, value);
    return {};
}

CScriptLines SetServerOutput(CCommandContext& context, const SetOption& option, const std::string& value) {
    ODatabase* database = context.GetDatabase();
    if (!context.IsConnected() || database == nullptr)
        return CScriptLines(MessageText(Message::NotConnected));
    for (const auto& row : kServerOutputBlocks) {
        if (value != row.value) continue;
        CScriptLines output;
        if (database->ExecuteSQL(row.block) != OSUCCESS) return context.AppendServerError(output);
        context.GetSettings().SetAt(option.name, row.value);
        return {};
    }
    return CScriptLines(Usage(option));
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

}  // namespace setoptions
