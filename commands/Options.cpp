#include "interpreter/CSQLProcessor.h"
#include "interpreter/Messages.h"
#include "interpreter/TextParse.h"
#include "oracle/ODatabase.h"
#include "text/Cp932.h"

namespace {

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

}  // namespace

CScriptLines CSQLProcessor::SetServerOutputOption(const std::string& value) {
    if (!IsConnected() || m_database == nullptr) return CScriptLines(MessageText(Message::NotConnected));
    const std::string upper = cp932::ToUpper(value);
    for (const auto& row : kServerOutputBlocks) {
        if (upper != row.value) continue;
        CScriptLines output;
        if (m_database->ExecuteSQL(row.block) != OSUCCESS) return AppendServerError(output);
        m_settings.SetAt("SERVEROUTPUT", row.value);
        return {};
    }
    return CScriptLines(MessageText(Message::ServerOutputValue));
}

CScriptLines CSQLProcessor::SetNumWidthOption(const std::string& value) {
    const std::string shown = textparse::TrimBlanks(value);
    if (!IsWholeNumber(value)) return CScriptLines(FormatText(MessageText(Message::NumWidthInvalid), shown));
    const int width = textparse::ParseLeadingInt(value);
    if (width < kMinNumWidth || width > kMaxNumWidth)
        return CScriptLines(FormatText(MessageText(Message::NumWidthRange), shown));
    m_settings.SetAt("NUMWIDTH", value);
    return {};
}

CScriptLines CSQLProcessor::SetLockWaitOption(const std::string& value) {
    const std::string shown = textparse::TrimBlanks(value);
    const int seconds = textparse::ParseLeadingInt(value);
    if (!IsWholeNumber(value) || seconds < 0 || seconds > kMaxLockWaitSeconds)
        return CScriptLines(FormatText(MessageText(Message::LockWaitRange), shown));
    m_settings.SetAt("LOCKWAIT", std::to_string(seconds));
    // Note: kept by the database object, so it holds for later connections too.
    if (m_database != nullptr) m_database->SetLockWait(seconds);
    return {};
}

CScriptLines CSQLProcessor::SetAutoCommitOption(const std::string& value) {
    if (!IsConnected() || m_database == nullptr) return CScriptLines(MessageText(Message::NotConnected));
    const std::string upper = cp932::ToUpper(value);
    for (const auto& row : kAutoCommitValues) {
        if (upper != row.value) continue;
        m_database->SetAutoCommit(row.on);
        m_settings.SetAt("AUTOCOMMIT", row.stored);
        return {};
    }
    return CScriptLines(MessageText(Message::AutoCommitValue));
}

CScriptLines CSQLProcessor::SetHeadingOption(const std::string& value) {
    const std::string upper = cp932::ToUpper(value);
    if (upper != "ON" && upper != "OFF") return CScriptLines(MessageText(Message::HeadingValue));
    m_settings.SetAt("HEADING", upper);
    return {};
}

CScriptLines CSQLProcessor::ShowOption(const std::string& key) {
    try {
        return CScriptLines(key + " " + m_settings.Lookup(key));
    } catch (const CHashTableException&) {
        return CScriptLines(MessageText(Message::ShowUnknown));
    }
}
