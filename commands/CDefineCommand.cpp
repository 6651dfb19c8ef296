#include "commands/CDefineCommand.h"

#include <ctime>

#include "commands/CConnectCommand.h"
#include "interpreter/CCommandContext.h"
#include "interpreter/CConsoleHost.h"
#include "interpreter/CSqlLexer.h"
#include "interpreter/TextParse.h"
#include "interpreter/Version.h"
#include "text/Cp932.h"

namespace {

// The names DEFINE lists are padded to this width.
constexpr std::size_t kListedNameWidth = 15;

// A value in single or double quotes stands for the text inside them (a
// doubled quote inside is one); any other value is kept as it is.
std::string Unquoted(const std::string& value) {
    const std::string text = textparse::TrimBlanks(value);
    if (text.size() < 2 || (text[0] != '\'' && text[0] != '"') || text.back() != text[0]) return value;
    const char quote = text[0];
    std::string out;
    for (std::size_t i = 1; i + 1 < text.size(); ++i) {
        out += text[i];
        if (text[i] == quote && text[i + 1] == quote) ++i;
    }
    return out;
}

// Today as the console's dates show: YY-MM-DD.
std::string Today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%y-%m-%d", &local);
    return text;
}

// The character a SET option of substitution holds; 0 when it is OFF.
char CharacterOf(const CCommandContext& context, std::string_view key, char byDefault) {
    const std::string* found = context.GetSettings().Find(key);
    if (found == nullptr || found->empty()) return byDefault;
    const std::string& value = *found;
    return value == "OFF" ? 0 : value[0];
}

}  // namespace

CDefineCommand::CDefineCommand() {
    for (const char* name : {"_DATE", "_CONNECT_IDENTIFIER", "_USER", "_O_VERSION"})
        m_defines.SetAt(name, "");
}

CScriptLines CDefineCommand::Run(CCommandContext& context, const CCommandArgs& args) {
    RefreshPredefined(context);
    const std::string name = textparse::TrimBlanks(args.Arg(0));
    if (args.args.size() >= 2) return Define(name, Unquoted(args.Arg(1)));
    if (!name.empty()) {
        if (m_defines.Find(name) == nullptr)
            return CScriptLines(FormatText(MessageText(Message::SymbolUndefined), name));
        return CScriptLines(Listing(name));
    }
    CScriptLines keys;
    m_defines.GetKeys(keys);
    CScriptLines out;
    for (const auto& key : keys) out.push_back(Listing(key));
    return out;
}

CScriptLines CDefineCommand::Define(const std::string& name, const std::string& value) {
    m_defines.SetAt(name, value);
    return {};
}

std::string CDefineCommand::Listing(const std::string& name) const {
    return "DEFINE " + textparse::PadRight(name, kListedNameWidth) + " = \"" + m_defines.Lookup(name) +
           "\" (CHAR)";
}

void CDefineCommand::RefreshPredefined(CCommandContext& context) {
    const bool connected = context.IsConnected();
    const CConnectCommand& connection = context.Command<CConnectCommand>();
    m_defines.SetAt("_DATE", Today());
    m_defines.SetAt("_CONNECT_IDENTIFIER", connected ? connection.GetConnectDatabase() : std::string());
    m_defines.SetAt("_USER", connected ? connection.GetUser() : std::string());
    m_defines.SetAt("_O_VERSION", version::kVersionLine);
}

CSubstitution::Rules CDefineCommand::RulesOf(const CCommandContext& context) {
    CSubstitution::Rules rules;
    rules.prefix = CharacterOf(context, "DEFINE", '&');
    rules.concat = CharacterOf(context, "CONCAT", '.');
    rules.escape = CharacterOf(context, "ESCAPE", 0);
    return rules;
}

// Note: a name is asked for once per reference; "&&name" keeps the answer,
// so later references find it.
bool CDefineCommand::Substitute(CCommandContext& context, const std::string& typed,
                                std::vector<CSubstitution::Edit>& edits, CScriptLines& shown) {
    // Note: the rules are read again only when a setting changed.
    if (m_rulesVersion != context.GetSettings().Version() || !m_rulesKnown) {
        m_rules = RulesOf(context);
        m_rulesVersion = context.GetSettings().Version();
        m_rulesKnown = true;
    }
    const CSubstitution::Rules rules = m_rules;
    if (rules.prefix == 0 || typed.find(rules.prefix) == std::string::npos) {
        edits.clear();
        return true;
    }
    RefreshPredefined(context);
    const auto resolve = [&](const std::string& typedName, bool keep, std::string& value) {
        const std::string name = cp932::ToUpper(typedName);
        if (const std::string* known = m_defines.Find(name)) {
            value = *known;
            return true;
        }
        const std::string prompt = FormatText(MessageText(Message::EnterValue), typedName);
        CConsoleHost* host = context.GetHost();
        if (host == nullptr || !host->AskLine(prompt, false, value)) return false;
        shown.push_back(prompt + value);
        if (keep) m_defines.SetAt(name, value);
        return true;
    };
    std::string missing;
    if (CSubstitution::Find(typed, rules, resolve, edits, &missing)) return true;
    shown.push_back(FormatText(MessageText(Message::NoValueFor), missing));
    return false;
}

std::string CDefineCommand::Substitute(const std::string& statement, bool upper) {
    const std::string text = upper ? CSqlLexer::UpperOutsideQuotes(statement) : statement;
    std::vector<CSubstitution::Edit> edits;
    CSubstitution::Find(
        statement, CSubstitution::Rules{},
        [&](const std::string& name, bool, std::string& value) {
            const std::string* known = m_defines.Find(cp932::ToUpper(name));
            if (known != nullptr) value = *known;
            return known != nullptr;
        },
        edits, nullptr);
    return CSubstitution::Apply(text, edits);
}
