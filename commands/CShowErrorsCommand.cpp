#include "commands/CShowErrorsCommand.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "commands/ReadFields.h"
#include "interpreter/CCommandContext.h"
#include "interpreter/TextParse.h"
#include "oracle/ODatabase.h"
#include "oracle/ODynaset.h"
#include "text/Cp932.h"

namespace {

// The unit types of the dictionary, two-word types first.
constexpr const char* kUnitTypes[] = {
    "PACKAGE BODY", "TYPE BODY", "JAVA SOURCE", "PROCEDURE", "FUNCTION", "PACKAGE", "TRIGGER", "TYPE", "VIEW",
};

// Words that may stand between CREATE and the unit type.
constexpr const char* kCreateModifiers[] = {"OR REPLACE ", "EDITIONABLE ", "NONEDITIONABLE "};

// Width of the LINE/COL field and its blank; continued text lines start there.
constexpr std::size_t kErrorIndent = 9;

std::string_view SkipBlanks(std::string_view text) {
    const std::size_t at = text.find_first_not_of(" \t\n\r");
    return at == std::string_view::npos ? std::string_view() : text.substr(at);
}

// Takes `word` (and the blank after it, if any) from the front of `text`.
bool TakeWord(std::string_view& text, std::string_view word) {
    if (!text.starts_with(word)) return false;
    const std::string_view rest = text.substr(word.size());
    if (!rest.empty() && word.back() != ' ' && rest.front() != ' ' && rest.front() != '\n') return false;
    text = SkipBlanks(rest);
    return true;
}

// "[TYPE] [schema.]name" split; the name loses its schema and quotes.
void SplitUnit(std::string_view text, std::string& type, std::string& name) {
    text = SkipBlanks(text);
    type.clear();
    for (const char* candidate : kUnitTypes)
        if (TakeWord(text, candidate)) {
            type = candidate;
            break;
        }
    const std::size_t end = text.find_first_of(" \t\n\r(;");
    std::string full(text.substr(0, end));
    const std::size_t dot = full.rfind('.');
    if (dot != std::string::npos) full = full.substr(dot + 1);
    std::erase(full, '"');
    name = full;
}

// True when `text` begins, after blanks and whatever its case, with CREATE.
bool StartsWithCreate(std::string_view text) {
    constexpr std::string_view kCreate = "CREATE";
    const std::string_view head = SkipBlanks(text).substr(0, kCreate.size());
    return std::equal(head.begin(), head.end(), kCreate.begin(), kCreate.end(),
                      [](char c, char upper) { return c == upper || c == upper - 'A' + 'a'; });
}

std::string Quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("''") : std::string(1, c);
    return out + "'";
}

}  // namespace

void CShowErrorsCommand::NoteCreatedUnit(const std::string& text) {
    // Note: only CREATE names a unit; other statements are not upper-cased whole.
    if (!StartsWithCreate(text)) return;
    const std::string upper = cp932::ToUpper(text);
    std::string_view rest = SkipBlanks(upper);
    if (!TakeWord(rest, "CREATE")) return;
    for (bool again = true; again;) {
        again = false;
        for (const char* modifier : kCreateModifiers) again = TakeWord(rest, modifier) || again;
    }
    std::string type;
    std::string name;
    SplitUnit(rest, type, name);
    if (type.empty() || name.empty()) return;
    m_lastUnitType = type;
    m_lastUnitName = name;
}

CScriptLines CShowErrorsCommand::Run(CCommandContext& context, const CCommandArgs& args) {
    return ShowErrors(context, args.Arg(0));
}

CScriptLines CShowErrorsCommand::ShowErrors(CCommandContext& context, const std::string& unit) {
    ODatabase* database = context.GetDatabase();
    if (!context.IsConnected() || database == nullptr)
        return CScriptLines(MessageText(Message::NotConnected));
    std::string type = m_lastUnitType;
    std::string name = m_lastUnitName;
    if (!textparse::TrimBlanks(unit).empty())
        SplitUnit(cp932::ToUpper(textparse::TrimBlanks(unit)), type, name);
    if (name.empty()) return CScriptLines(MessageText(Message::NoErrors));
    std::string query = "SELECT LINE, POSITION, TEXT FROM USER_ERRORS WHERE NAME = " + Quoted(name);
    if (!type.empty()) query += " AND TYPE = " + Quoted(type);
    query += " ORDER BY SEQUENCE";
    ODynaset dynaset;
    CScriptLines output;
    if (dynaset.Open(*database, query.c_str(), 0, nullptr) != OSUCCESS)
        return context.AppendServerError(output);
    CScriptLines rows;
    for (; !dynaset.IsEOF(); dynaset.MoveNext(true)) {
        std::string values[3];
        ReadFields(dynaset, values, 3);
        std::string prefix = textparse::PadRight(values[0] + "/" + values[1], kErrorIndent - 1) + " ";
        std::size_t from = 0;
        for (std::size_t at = values[2].find('\n');; at = values[2].find('\n', from)) {
            rows.push_back(prefix +
                           values[2].substr(from, at == std::string::npos ? std::string::npos : at - from));
            prefix = std::string(kErrorIndent, ' ');
            if (at == std::string::npos) break;
            from = at + 1;
        }
    }
    if (dynaset.FetchFailed()) return context.AppendServerError(output);
    if (rows.empty()) return CScriptLines(MessageText(Message::NoErrors));
    output.push_back(FormatText(MessageText(Message::ErrorsOf), type.empty() ? name : type + " " + name));
    output.push_back("");
    output.push_back(MessageText(Message::ErrorsHeader));
    output.push_back(MessageText(Message::ErrorsRule));
    output.Append(rows);
    return output;
}
