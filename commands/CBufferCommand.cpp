#include "commands/CBufferCommand.h"

#include <filesystem>
#include <fstream>
#include <string_view>
#include <system_error>

#include "interpreter/CCommandContext.h"
#include "interpreter/CConsoleHost.h"
#include "interpreter/StatementHead.h"
#include "interpreter/TextParse.h"
#include "text/Cp932.h"

namespace {

using Action = CScriptLines (*)(CBufferCommand& buffer, CCommandContext& context, const CCommandArgs& args);

struct ActionRow {
    const char* name;
    // The command word and its fewest letters; null: the row's pattern
    // decides alone (C/old/new/).
    const char* word;
    std::size_t shortest;
    Action action;
};

// The text after the command word and the one blank that ends it, as typed.
std::string TextAfterWord(const std::string& statement) {
    const std::size_t start = statement.find_first_not_of(' ');
    if (start == std::string::npos) return {};
    const std::size_t blank = statement.find(' ', start);
    return blank == std::string::npos ? std::string() : statement.substr(blank + 1);
}

// The first word of the statement, upper-cased, without a ";" that ends it.
std::string FirstWord(const std::string& statement) {
    const std::vector<std::string> words = textparse::SplitWords(statement);
    if (words.empty()) return {};
    std::string word = cp932::ToUpper(words[0]);
    while (!word.empty() && word.back() == ';') word.pop_back();
    return word;
}

constexpr ActionRow kActions[] = {
    {"LIST", "LIST", 1,
     [](CBufferCommand& b, CCommandContext&, const CCommandArgs& a) { return b.List(a.Arg(0)); }},
    {"RUN", "RUN", 1,
     [](CBufferCommand& b, CCommandContext& c, const CCommandArgs&) { return b.RunBuffer(c, true); }},
    {"SLASH", "/", 1,
     [](CBufferCommand& b, CCommandContext& c, const CCommandArgs&) { return b.RunBuffer(c, false); }},
    {"CHANGE", "CHANGE", 1,
     [](CBufferCommand& b, CCommandContext&, const CCommandArgs& a) { return b.Change(a.Typed(0)); }},
    {"CHANGE/", nullptr, 0,
     [](CBufferCommand& b, CCommandContext&, const CCommandArgs& a) { return b.Change("/" + a.Typed(0)); }},
    {"CHANGE.", nullptr, 0,
     [](CBufferCommand& b, CCommandContext&, const CCommandArgs& a) { return b.Change("." + a.Typed(0)); }},
    {"APPEND", "APPEND", 1,
     [](CBufferCommand& b, CCommandContext&, const CCommandArgs& a) {
         return b.Append(TextAfterWord(a.statement));
     }},
    {"INPUT", "INPUT", 1,
     [](CBufferCommand& b, CCommandContext&, const CCommandArgs& a) {
         return b.Input(TextAfterWord(a.statement));
     }},
    {"DEL", "DEL", 3,
     [](CBufferCommand& b, CCommandContext&, const CCommandArgs& a) { return b.Delete(a.Arg(0)); }},
    {"SAVE", "SAVE", 3,
     [](CBufferCommand& b, CCommandContext&, const CCommandArgs& a) { return b.Save(a.Typed(0)); }},
    {"GET", "GET", 3,
     [](CBufferCommand& b, CCommandContext& c, const CCommandArgs& a) { return b.Get(c, a.Typed(0)); }},
    {"EDIT", "EDIT", 2, [](CBufferCommand& b, CCommandContext& c, const CCommandArgs&) { return b.Edit(c); }},
};

// Note: a row's pattern fits any text that begins with it, so R would run
// the buffer for REPHEADER; only the command's own word, whole or by one
// of its short forms, acts.
bool NamesAction(const ActionRow& row, const std::string& statement) {
    if (row.word == nullptr) return true;
    const std::string word = FirstWord(statement);
    return word.size() >= row.shortest && std::string_view(row.word).starts_with(word);
}

// True when the buffer with `line` added is a PL/SQL block or a stored
// program unit, which ends only at a "/" line.
bool IsBlock(const CScriptLines& lines, const std::string& line) {
    constexpr std::size_t kHeadWords = 8;
    const std::string text = lines.empty() ? line : lines.Join() + "\n" + line;
    return statementhead::EndingOf(statementhead::FirstWords(text, kHeadWords)) ==
           statementhead::Ending::Slash;
}

bool IsDigits(std::string_view word) {
    return !word.empty() && word.find_first_not_of("0123456789") == std::string_view::npos;
}

// A line number of up to 9 digits; 0 for anything else.
std::size_t LineNumber(std::string_view word) {
    return IsDigits(word) && word.size() <= 9 ? static_cast<std::size_t>(std::stoul(std::string(word))) : 0;
}

std::string WithExtension(const std::string& name) {
    return std::filesystem::path(name).has_extension() ? name : name + ".sql";
}

// Takes off the ";" that ends a statement, and the blanks around it.
void DropTerminator(std::string& line) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r'))
        line.pop_back();
    if (!line.empty() && line.back() == ';') line.pop_back();
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.pop_back();
}

CScriptLines Say(Message message, const std::string& value = std::string()) {
    return CScriptLines(FormatText(MessageText(message), value));
}

}  // namespace

CScriptLines CBufferCommand::Run(CCommandContext& context, const CCommandArgs& args) {
    const std::string_view name = args.fixed != nullptr ? args.fixed : "";
    for (const auto& row : kActions) {
        if (name != row.name) continue;
        if (!NamesAction(row, args.statement)) return Say(Message::UnknownCommand);
        return row.action(*this, context, args);
    }
    return {};
}

void CBufferCommand::Keep(const CScriptLines& statement) {
    m_lines = statement;
    if (!m_lines.empty() && statementhead::IsSlashLine(m_lines.back())) {
        m_lines.pop_back();
    } else if (!m_lines.empty()) {
        DropTerminator(m_lines.back());
        if (m_lines.back().find_first_not_of(' ') == std::string::npos) m_lines.pop_back();
    }
    m_current = m_lines.size();
}

std::string CBufferCommand::Listed(std::size_t number) const {
    std::string text = std::to_string(number);
    if (text.size() < 3) text.insert(0, 3 - text.size(), ' ');
    return text + (number == m_current ? "* " : "  ") + m_lines[number - 1];
}

bool CBufferCommand::ReadRange(const std::string& range, std::size_t& first, std::size_t& last) const {
    const std::vector<std::string> words = textparse::SplitWords(cp932::ToUpper(range));
    const auto line = [&](const std::string& word) -> std::size_t {
        if (word == "*") return m_current;
        if (word == "LAST" || word == "L") return m_lines.size();
        return LineNumber(word);
    };
    if (words.size() > 2) return false;
    first = words.empty() ? 1 : line(words[0]);
    last = words.empty() ? m_lines.size() : line(words.back());
    return first >= 1 && first <= last && last <= m_lines.size();
}

CScriptLines CBufferCommand::List(const std::string& range) {
    if (m_lines.empty()) return Say(Message::BufferEmpty);
    std::size_t first = 0;
    std::size_t last = 0;
    if (!ReadRange(range, first, last)) return Say(Message::BufferBadLine);
    m_current = last;
    CScriptLines out;
    for (std::size_t n = first; n <= last; ++n) out.push_back(Listed(n));
    return out;
}

bool CBufferCommand::RunLineNumber(const std::string& text, CScriptLines& out) {
    const std::size_t start = text.find_first_not_of(' ');
    if (start == std::string::npos) return false;
    const std::size_t end = std::min(text.find(' ', start), text.size());
    const std::string_view word = std::string_view(text).substr(start, end - start);
    if (!IsDigits(word)) return false;
    const std::size_t number = LineNumber(word);
    const std::string replacement = end < text.size() ? text.substr(end + 1) : std::string();
    // Note: "0 text" puts a line first, and a number past the last line
    // with text puts one last, as Oracle consoles do.
    const bool first = word.find_first_not_of('0') == std::string_view::npos;
    if (!replacement.empty() && (first || number == 0 || number > m_lines.size())) {
        m_current = first ? 0 : m_lines.size();
        InsertAfterCurrent(replacement);
        return true;
    }
    if (number < 1 || number > m_lines.size()) {
        out = Say(m_lines.empty() ? Message::BufferEmpty : Message::BufferBadLine);
        return true;
    }
    m_current = number;
    if (!replacement.empty()) m_lines[number - 1] = replacement;
    out = CScriptLines(Listed(number));
    return true;
}

// Note: the old text is found whatever its case, as typed names are.
CScriptLines CBufferCommand::Change(const std::string& text) {
    if (m_lines.empty()) return Say(Message::BufferEmpty);
    const std::size_t start = text.find_first_not_of(' ');
    if (start == std::string::npos) return Say(Message::ChangeUsage);
    const char separator = text[start];
    const std::size_t middle = text.find(separator, start + 1);
    const std::string oldText =
        text.substr(start + 1, middle == std::string::npos ? std::string::npos : middle - start - 1);
    std::string newText = middle == std::string::npos ? std::string() : text.substr(middle + 1);
    const std::size_t close = newText.find(separator);
    if (close != std::string::npos) newText.resize(close);
    std::string& line = m_lines[m_current - 1];
    const std::size_t at = oldText.empty() ? 0 : cp932::ToUpper(line).find(cp932::ToUpper(oldText));
    if (at == std::string::npos) return Say(Message::ChangeNotFound);
    line.replace(at, oldText.size(), newText);
    return CScriptLines(Listed(m_current));
}

CScriptLines CBufferCommand::Append(const std::string& text) {
    if (m_lines.empty()) return Say(Message::BufferEmpty);
    m_lines[m_current - 1] += text;
    return CScriptLines(Listed(m_current));
}

void CBufferCommand::InsertAfterCurrent(const std::string& line) {
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(m_current), line);
    ++m_current;
}

CScriptLines CBufferCommand::Input(const std::string& text) {
    if (text.find_first_not_of(' ') == std::string::npos) {
        m_takingInput = true;
        return {};
    }
    InsertAfterCurrent(text);
    return {};
}

CScriptLines CBufferCommand::TakeInputLine(CCommandContext& context, const std::string& line) {
    std::string text = line;
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.pop_back();
    if (text.empty() || textparse::TrimBlanks(text) == "." || statementhead::IsSlashLine(text)) {
        m_takingInput = false;
        return statementhead::IsSlashLine(text) ? RunBuffer(context, false) : CScriptLines();
    }
    // Note: in a block or a stored unit a ";" ends a statement inside it,
    // not the block; only "/" runs it.
    if (text.back() != ';' || IsBlock(m_lines, text)) {
        InsertAfterCurrent(line);
        return {};
    }
    DropTerminator(text);
    if (!text.empty()) InsertAfterCurrent(text);
    m_takingInput = false;
    return RunBuffer(context, false);
}

CScriptLines CBufferCommand::Delete(const std::string& range) {
    if (m_lines.empty()) return Say(Message::BufferEmpty);
    std::size_t first = m_current;
    std::size_t last = m_current;
    if (!textparse::TrimBlanks(range).empty() && !ReadRange(range, first, last))
        return Say(Message::BufferBadLine);
    m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(first - 1),
                  m_lines.begin() + static_cast<std::ptrdiff_t>(last));
    m_current = std::min(first, m_lines.size());
    return {};
}

CScriptLines CBufferCommand::Clear() {
    m_lines.clear();
    m_current = 0;
    return {};
}

CScriptLines CBufferCommand::Save(const std::string& text) {
    const std::vector<std::string> words = textparse::SplitWords(text);
    if (words.empty()) return Say(Message::SaveUsage);
    if (m_lines.empty()) return Say(Message::BufferEmpty);
    const std::string mode = words.size() > 1 ? cp932::ToUpper(words[1]) : std::string();
    const bool replace = !mode.empty() && std::string_view("REPLACE").starts_with(mode) && mode.size() >= 3;
    const bool append = !mode.empty() && std::string_view("APPEND").starts_with(mode) && mode.size() >= 3;
    const bool create = mode.empty() || (std::string_view("CREATE").starts_with(mode) && mode.size() >= 3);
    if (words.size() > 2 || !(replace || append || create)) return Say(Message::SaveUsage);
    const std::string path = WithExtension(words[0]);
    std::error_code error;
    const bool exists = std::filesystem::exists(path, error);
    if (exists && create) return Say(Message::SaveExists, path);
    std::ofstream file(path, std::ios::binary | (append ? std::ios::app : std::ios::trunc));
    for (const auto& line : m_lines) file << line << "\n";
    file << "/\n";
    file.flush();
    if (!file) return Say(Message::SaveFailed, path);
    return Say(append ? Message::SaveAppended : exists ? Message::SaveReplaced : Message::SaveCreated, path);
}

CScriptLines CBufferCommand::Get(CCommandContext& context, const std::string& text) {
    const std::vector<std::string> words = textparse::SplitWords(text);
    if (words.empty()) return Say(Message::GetUsage);
    const std::string path = WithExtension(words[0]);
    CScriptLines lines;
    std::size_t badLine = 0;
    switch (CScriptLines::ReadScript(path, lines, context.GetScriptEncoding(), badLine)) {
        case CScriptLines::ReadResult::CannotOpen:
            return CScriptLines(MessageText(Message::ScriptCannotOpen) + path);
        case CScriptLines::ReadResult::Unconvertible:
            return CScriptLines(MessageText(Message::ScriptUnreadable) + path + ": " +
                                scripttext::RefusalText(badLine));
        case CScriptLines::ReadResult::Ok:
            break;
    }
    while (!lines.empty() && lines.back().find_first_not_of(' ') == std::string::npos) lines.pop_back();
    Keep(lines);
    return List("");
}

CScriptLines CBufferCommand::Edit(CCommandContext& context) {
    CScriptLines text = m_lines;
    CConsoleHost* host = context.GetHost();
    if (host == nullptr || !host->CanEdit()) return Say(Message::EditUnavailable);
    // Note: a cancelled editor leaves the buffer as it was.
    if (host->EditText(text)) {
        m_lines = text;
        m_current = m_lines.size();
    }
    return m_lines.empty() ? CScriptLines() : List("");
}

CScriptLines CBufferCommand::RunBuffer(CCommandContext& context, bool list) {
    if (m_lines.empty()) return Say(Message::BufferNothingToRun);
    CScriptLines out = list ? List("") : CScriptLines();
    context.RunBuffer(m_lines, out);
    return out;
}
