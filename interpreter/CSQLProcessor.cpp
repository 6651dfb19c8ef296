#include "interpreter/CSQLProcessor.h"

#include <algorithm>

#include "interpreter/CSQLCommandException.h"
#include "interpreter/Messages.h"
#include "interpreter/ProcessorTables.h"
#include "interpreter/TextParse.h"
#include "oracle/OSession.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace {

// How much substitution may add to a statement.
constexpr std::size_t kMaxSubstitutedGrowth = 16 * 1024 * 1024;

// The template messages as CP932, converted once for every processor.
const CScriptLines& TemplateMessages() {
    static const CScriptLines messages = [] {
        CScriptLines out;
        for (const auto& row : tables::StatementTemplates())
            out.push_back(encoding::Utf8ToCp932(row.message));
        return out;
    }();
    return messages;
}

// The working copy a pattern is matched against: upper-cased, line feeds
// as blanks.
std::string ScanCopy(const std::string& text) {
    std::string copy = cp932::ToUpper(text);
    std::replace(copy.begin(), copy.end(), '\n', ' ');
    return copy;
}

std::size_t SkipBlanks(const std::string& text, std::size_t j) {
    while (j < text.size() && text[j] == ' ') ++j;
    return j;
}

[[noreturn]] void ScanError() { throw CSQLCommandException(0, "Scan Error"); }

bool IsWordByte(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '$' || c == '#' || c >= 0x80;
}

// True when the statement begins with the words of the pattern before its
// first field, each whole: no blank inside a word, none joined to the next.
bool StartsWithWholeWords(const std::string& copy, const std::string& pattern) {
    std::string head = pattern.substr(0, pattern.find('%'));
    std::size_t j = 0;
    std::size_t start = 0;
    while (start < head.size()) {
        std::size_t end = head.find(' ', start);
        if (end == std::string::npos) end = head.size();
        std::string word = head.substr(start, end - start);
        start = end + 1;
        if (word.empty()) continue;
        j = SkipBlanks(copy, j);
        if (copy.compare(j, word.size(), word) != 0) return false;
        j += word.size();
        if (j < copy.size() && IsWordByte(static_cast<unsigned char>(copy[j]))) return false;
    }
    return true;
}

CScriptLines TemplatePatterns() {
    CScriptLines out;
    for (const auto& row : tables::StatementTemplates()) out.push_back(row.pattern);
    return out;
}

CScriptLines CommandPatterns() {
    CScriptLines out;
    for (const auto& row : tables::Commands()) out.push_back(row.pattern);
    return out;
}

}  // namespace

CSQLProcessor::CSQLProcessor()
    : m_templates(TemplatePatterns()),
      m_messages(TemplateMessages()),
      m_commands(CommandPatterns()),
      m_completion(m_templates) {
    for (const auto& option : tables::OptionDefaults()) m_settings.SetAt(option.name, option.value);
}

void CSQLProcessor::SetConnection(OSession* session, ODatabase* database) {
    m_session = session;
    m_database = database;
}

bool CSQLProcessor::IsConnected() const { return m_session != nullptr && m_session->IsOpen(); }

bool CSQLProcessor::IsSkippedLine(std::string line) {
    if (line.find_first_not_of(' ') == std::string::npos) return true;
    std::string copy = cp932::ToUpper(std::string_view(line).substr(line.find_first_not_of(' ')));
    if (copy.size() < 2) return false;
    if (copy.starts_with("REM") || copy.starts_with("--")) return true;
    bool closes = copy.find("*/") != std::string::npos;
    if (!m_inComment) {
        if (!copy.starts_with("/*")) return false;
        m_inComment = !closes;
        return true;
    }
    if (closes) m_inComment = false;
    return true;
}

void CSQLProcessor::AddLine(const std::string& line) {
    m_lines.push_back(line);
    m_completion.Append(line);
}

bool CSQLProcessor::IsComplete() {
    if (m_lines.empty()) return false;
    if (IsSqlKeyword(m_lines.front())) return MatchesTemplate();
    const std::string& last = m_lines.back();
    return last.empty() || last.back() != '-';
}

void CSQLProcessor::Reset() {
    m_lines.clear();
    m_completion.Clear();
}

namespace {

// Matches the prepared copy against a pattern; captures go to `captures`
// when it is not null. False when the text does not fit.
bool MatchCopy(const std::string& copy, const std::string& pattern, CScriptLines* captures) {
    const std::string_view fields(pattern);
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < pattern.size()) {
        if (pattern.compare(i, 2, "%s") == 0) {
            j = SkipBlanks(copy, j);
            std::size_t next = pattern.find("%s", i + 2);
            std::string_view literal =
                fields.substr(i + 2, next == std::string::npos ? std::string::npos : next - i - 2);
            if (next == std::string::npos && literal.empty()) {
                if (captures) captures->push_back(copy.substr(j));
                return true;
            }
            std::size_t at = copy.find(literal, j);
            if (at == std::string::npos) return false;
            if (captures)
                captures->push_back(textparse::TrimBlanks(std::string_view(copy).substr(j, at - j)));
            j = at;
            i += 2;
        } else if (pattern[i] == ' ') {
            if (j >= copy.size() || copy[j] != ' ') return false;
            ++i;
            ++j;
        } else {
            j = SkipBlanks(copy, j);
            if (j >= copy.size() || copy[j] != pattern[i]) return false;
            ++i;
            ++j;
        }
    }
    return true;
}

}  // namespace

CScriptLines CSQLProcessor::Scan(const std::string& text, const std::string& pattern) {
    CScriptLines captures;
    if (!MatchCopy(ScanCopy(text), pattern, &captures)) ScanError();
    return captures;
}

// Note: the table walks match one prepared copy against each row without
// raising CSQLCommandException for every row that does not fit; the result
// is what Scan would give row by row.
int CSQLProcessor::MatchCommand(const std::string& text, CScriptLines* args) const {
    const std::string copy = ScanCopy(text);
    for (std::size_t k = 0; k < m_commands.size(); ++k) {
        CScriptLines captures;
        if (!MatchCopy(copy, m_commands[k], &captures)) continue;
        if (args) *args = std::move(captures);
        return static_cast<int>(k);
    }
    return -1;
}

int CSQLProcessor::FindCommand(const std::string& statement) const {
    return MatchCommand(textparse::TrimTrailing(statement, ';'), nullptr);
}

CScriptLines CSQLProcessor::GetCommandArgs(const std::string& statement) const {
    CScriptLines args;
    MatchCommand(statement, &args);
    return args;
}

bool CSQLProcessor::FitsTemplate(const std::string& copy, int number) const {
    return MatchCopy(copy, m_templates[static_cast<std::size_t>(number)], nullptr);
}

bool CSQLProcessor::FitsPreferredTemplate(const std::string& copy, int number) const {
    return StartsWithWholeWords(copy, m_templates[static_cast<std::size_t>(number)]) &&
           FitsTemplate(copy, number);
}

int CSQLProcessor::FindTemplate(const std::string& statement) const {
    if (statement.empty()) return -1;
    const std::string copy = ScanCopy(statement);
    for (int k = 0; k < static_cast<int>(m_templates.size()); ++k) {
        for (const auto& preference : tables::TemplatePreferences())
            if (preference.before == k && FitsPreferredTemplate(copy, preference.preferred))
                return preference.preferred;
        if (FitsTemplate(copy, k)) return k;
    }
    return -1;
}

// Note: a ";" ends the first word as a blank does, so that "commit;" and
// "rollback;" typed without a blank reach their statements.
bool CSQLProcessor::IsSqlKeyword(const std::string& line) const {
    std::string word = cp932::ToUpper(std::string_view(line).substr(0, line.find_first_of(" ;")));
    const auto keywords = tables::StatementKeywords();
    return std::find(keywords.begin(), keywords.end(), word) != keywords.end();
}

// Same answer as FindTemplate(joined lines) >= 0, without rescanning the
// statement for every added line.
bool CSQLProcessor::MatchesTemplate() const { return m_completion.AnyFits(); }

std::string CSQLProcessor::SubstituteDefines(const std::string& statement) const {
    std::string text = cp932::ToUpper(statement);
    const std::size_t limit = text.size() + kMaxSubstitutedGrowth;
    CScriptLines names;
    m_defines.GetKeys(names);
    for (const auto& name : names) {
        const std::string reference = "&" + name;
        const std::string value = m_defines.Lookup(name);
        std::string out;
        std::size_t from = 0;
        for (std::size_t at = text.find(reference); at != std::string::npos;
             at = text.find(reference, from)) {
            // Note: values that name each other can double the text with
            // every row; past the limit the remaining references stay as
            // typed.
            const std::size_t grown =
                out.size() + (at - from) + value.size() + (text.size() - at - reference.size());
            if (grown > limit) break;
            out.append(text, from, at - from);
            out += value;
            from = at + reference.size();
        }
        out.append(text, from, std::string::npos);
        text = std::move(out);
    }
    return text;
}

CScriptLines& CSQLProcessor::Execute(CScriptLines& out) {
    out.clear();
    if (m_lines.empty()) return out;
    const bool isSql = IsSqlKeyword(m_lines.front());
    std::string text = SubstituteDefines(m_lines.Join());
    if (isSql) {
        NoteCreatedUnit(text);
        RunStatement(std::move(text), out);
        return AppendServerOutput(out);
    }

    text = textparse::TrimTrailing(text, ';');
    CScriptLines args;
    const int number = MatchCommand(text, &args);
    if (number < 0) {
        out.push_back(MessageText(Message::UnknownCommand));
        return out;
    }
    const CommandRow& row = tables::Commands()[static_cast<std::size_t>(number)];
    // Note: the handler may re-enter this processor ("/" submits a recalled
    // line); nothing here reads m_lines after it returns.
    CScriptLines result = row.handler(*this, args, row.fixed);
    out.Append(result);
    return AppendServerOutput(out);
}

void CSQLProcessor::Rerun() {
    if (m_host == nullptr || m_rerunDepth > 0) return;
    Reset();
    struct DepthGuard {
        int& depth;
        explicit DepthGuard(int& d) : depth(d) { ++depth; }
        ~DepthGuard() { --depth; }
    } guard(m_rerunDepth);
    m_host->SendKey(CConsoleHost::Key::Up);
    m_host->SendKey(CConsoleHost::Key::Up);
    m_host->SendKey(CConsoleHost::Key::Return);
}
