#include "interpreter/CSQLProcessor.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "commands/CBufferCommand.h"
#include "commands/CCommand.h"
#include "commands/CConnectCommand.h"
#include "commands/CDefineCommand.h"
#include "commands/CExecuteCommand.h"
#include "commands/CExitCommand.h"
#include "commands/CShowErrorsCommand.h"
#include "commands/CSubstitution.h"
#include "commands/CWheneverCommand.h"
#include "commands/CommandPatterns.h"
#include "interpreter/CSQLCommandException.h"
#include "interpreter/CSqlLexer.h"
#include "interpreter/Messages.h"
#include "interpreter/ProcessorTables.h"
#include "interpreter/TextParse.h"
#include "oracle/OSession.h"
#include "text/CompactLine.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace {

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

// Line feeds as blanks. Note: most statements are one line, so the line
// feeds are looked for rather than every byte tested.
void BlankLineFeeds(std::string& text) {
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
        text[at] = ' ';
}

// The working copy a pattern is matched against: upper-cased, line feeds
// as blanks.
std::string ScanCopy(const std::string& text) {
    std::string copy = cp932::ToUpper(text);
    BlankLineFeeds(copy);
    return copy;
}

std::size_t SkipBlanks(const std::string& text, std::size_t j) {
    while (j < text.size() && text[j] == ' ') ++j;
    return j;
}

[[noreturn]] void ScanError() { throw CSQLCommandException(0, "Scan Error"); }

using textparse::IsWordByte;

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

// The templates that complete a statement at their ";": blocks end at "/".
CScriptLines CompletionPatterns() {
    CScriptLines out;
    for (const auto& row : tables::StatementTemplates())
        if (row.group != StatementGroup::Block) out.push_back(row.pattern);
    return out;
}

int TemplateNumber(const char* pattern) {
    const auto rows = tables::StatementTemplates();
    for (std::size_t k = 0; k < rows.size(); ++k)
        if (std::string_view(rows[k].pattern) == pattern) return static_cast<int>(k);
    return -1;
}

// True for a word (upper-cased) that begins a SQL statement on its own.
bool IsStatementKeyword(std::string_view word) {
    static const std::vector<std::string_view> sorted = [] {
        const auto keywords = tables::StatementKeywords();
        std::vector<std::string_view> out(keywords.begin(), keywords.end());
        std::sort(out.begin(), out.end());
        return out;
    }();
    return std::binary_search(sorted.begin(), sorted.end(), word);
}

std::size_t FirstNonBlank(const std::string& line) {
    const std::size_t at = line.find_first_not_of(" \t");
    return at == std::string::npos ? line.size() : at;
}

// True when `rest` begins with REM in any case. Note: a lead byte is never
// a letter, so no trail byte is read as one.
bool StartsWithRem(std::string_view rest) {
    constexpr std::string_view kRem = "rem";
    if (rest.size() < kRem.size()) return false;
    for (std::size_t k = 0; k < kRem.size(); ++k)
        if ((rest[k] | 0x20) != kRem[k]) return false;
    return true;
}

CScriptLines CommandPatterns() {
    CScriptLines out;
    for (const auto& row : commandpatterns::Rows()) out.push_back(row.pattern);
    return out;
}

}  // namespace

CSQLProcessor::CSQLProcessor()
    : m_templates(TemplatePatterns()),
      m_templateIndex(m_templates),
      m_messages(TemplateMessages()),
      m_commands(CommandPatterns()),
      m_completion(CompletionPatterns()),
      m_context(*this, m_commandSet) {
    for (const auto& preference : tables::TemplatePreferences()) {
        const int preferred = TemplateNumber(preference.preferred);
        const int before = TemplateNumber(preference.before);
        if (preferred >= 0 && before >= 0) m_preferences.emplace_back(preferred, before);
    }
}

const std::string& CSQLProcessor::GetConnectDatabase() const {
    return m_commandSet.Get<CConnectCommand>().GetConnectDatabase();
}

const std::string& CSQLProcessor::GetExecBlock() const {
    return m_commandSet.Get<CExecuteCommand>().GetExecBlock();
}

bool CSQLProcessor::IsExitRefused() const { return m_commandSet.Get<CExitCommand>().IsExitRefused(); }

bool CSQLProcessor::ReportOsError() { return Command<CWheneverCommand>().OnOsError(m_context); }

bool CSQLProcessor::IsSkippedLine(const std::string& line) {
    // Note: inside a quote of a SQL statement every line is text, blank
    // lines and lines that look like comments too.
    if (!m_lines.empty() && m_completion.InQuote() && m_sqlStatement) return false;
    // Note: while INPUT takes lines, every line is one, the empty line that
    // ends it too.
    if (m_lines.empty() && Command<CBufferCommand>().IsTakingInput()) return false;
    if (line.find_first_not_of(' ') == std::string::npos) return true;
    if (m_lines.empty() && std::exchange(m_slashBelongsToLast, false) && statementhead::IsSlashLine(line))
        return true;
    // Note: an indented comment is a comment; tabs count as indentation here.
    // Upper-casing touches neither "-", "/" nor "*", so only REM needs it.
    const std::string_view rest = std::string_view(line).substr(FirstNonBlank(line));
    if (rest.size() < 2) return false;
    if (StartsWithRem(rest) || rest.starts_with("--")) return true;
    bool closes = rest.find("*/") != std::string_view::npos;
    if (!m_inComment) {
        if (!rest.starts_with("/*")) return false;
        m_inComment = !closes;
        return true;
    }
    if (closes) m_inComment = false;
    return true;
}

void CSQLProcessor::AddLine(const std::string& line) {
    if (m_lines.empty()) m_bufferInput = Command<CBufferCommand>().IsTakingInput();
    if (m_lines.empty()) m_sqlStatement = !m_bufferInput && IsSqlKeyword(line);
    m_lines.push_back(line);
    m_completion.Append(line);
}

bool CSQLProcessor::IsComplete() {
    if (m_lines.empty()) return false;
    if (m_bufferInput) return true;
    if (m_sqlStatement) {
        const bool complete = m_completion.IsComplete();
        if (complete) m_slashBelongsToLast = m_completion.TakesTrailingSlash();
        return complete;
    }
    const std::string& last = m_lines.back();
    return last.empty() || last.back() != '-';
}

// A line of one "." ends the SQL statement or block being typed without
// running it: it becomes the buffer, which "/" or RUN then runs.
bool CSQLProcessor::EndsEntry(const std::string& line) {
    if (m_lines.empty() || !m_sqlStatement || m_completion.InQuote()) return false;
    const std::size_t at = line.find_first_not_of(' ');
    if (at == std::string::npos || at != line.find_last_not_of(' ') || line[at] != '.') return false;
    CScriptLines kept = m_lines;
    kept.push_back("/");
    Command<CBufferCommand>().Keep(kept);
    Reset();
    return true;
}

void CSQLProcessor::FeedLine(const std::string& line, CScriptLines& output) {
    if (IsSkippedLine(line) || EndsEntry(line)) return;
    AddLine(line);
    if (!IsComplete()) return;
    CScriptLines out;
    Execute(out);
    output.Append(out);
    Reset();
}

// Note: the buffer runs as the statement it was, ended by a "/" line, in
// place of the command that ran it; that command's lines come back after.
void CSQLProcessor::RunBufferLines(const CScriptLines& lines, CScriptLines& output) {
    CScriptLines saved = std::move(m_lines);
    const bool savedSql = m_sqlStatement;
    m_lines = lines;
    m_lines.push_back("/");
    m_sqlStatement = true;
    CScriptLines result;
    ExecuteLines(result);
    m_lines = std::move(saved);
    m_sqlStatement = savedSql;
    m_sqlFailed = false;
    if (m_outputCompacted)
        for (auto& line : output) compactline::EncodeInPlace(line);
    output.Append(result);
}

// Note: INPUT left taking lines by a script ends with it, so that the lines
// typed next are not taken into the buffer unseen.
void CSQLProcessor::EndScriptRun() {
    Command<CBufferCommand>().EndInput();
    m_outputCompacted = false;
    m_sqlFailed = false;
    m_keepStatement = true;
}

void CSQLProcessor::Reset() {
    if (std::exchange(m_keepStatement, false)) return;
    m_lines.clear();
    m_bufferInput = false;
    m_sqlStatement = false;
    m_completion.Clear();
}

namespace {

// Where a capture stands in the copy: start and length.
using Span = std::pair<std::size_t, std::size_t>;

// The captures at `spans` of `text` (line feeds read as blanks).
CScriptLines CutSpans(std::string text, const std::vector<Span>& spans) {
    std::replace(text.begin(), text.end(), '\n', ' ');
    CScriptLines out;
    for (const auto& [start, length] : spans) out.push_back(text.substr(start, length));
    return out;
}

// `text` with each hyphen that ended a line to continue the command blanked;
// every byte keeps its place.
std::string BlankContinuations(std::string text) {
    for (std::size_t at = text.find("-\n"); at != std::string::npos; at = text.find("-\n", at + 2))
        text[at] = ' ';
    return text;
}

Span TrimmedSpan(const std::string& copy, std::size_t from, std::size_t to) {
    while (from < to && copy[from] == ' ') ++from;
    while (to > from && copy[to - 1] == ' ') --to;
    return {from, to - from};
}

// Matches the prepared copy against a pattern; captures go to `captures`
// (and where they stand to `spans`) when not null. False when the text does
// not fit.
bool MatchCopy(const std::string& copy, const std::string& pattern, CScriptLines* captures,
               std::vector<Span>* spans = nullptr) {
    const std::string_view fields(pattern);
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < pattern.size()) {
        if (textparse::IsFieldAt(pattern, i)) {
            j = SkipBlanks(copy, j);
            std::size_t next = pattern.find("%s", i + 2);
            std::string_view literal =
                fields.substr(i + 2, next == std::string::npos ? std::string::npos : next - i - 2);
            if (next == std::string::npos && literal.empty()) {
                if (captures) captures->push_back(copy.substr(j));
                if (spans) spans->emplace_back(j, copy.size() - j);
                return true;
            }
            std::size_t at = copy.find(literal, j);
            if (at == std::string::npos) return false;
            if (captures)
                captures->push_back(textparse::TrimBlanks(std::string_view(copy).substr(j, at - j)));
            if (spans) spans->push_back(TrimmedSpan(copy, j, at));
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
int CSQLProcessor::MatchCommand(const std::string& text, CScriptLines* args, std::vector<Span>* spans) const {
    const std::string copy = ScanCopy(text);
    for (std::size_t k = 0; k < m_commands.size(); ++k) {
        CScriptLines captures;
        std::vector<Span> found;
        if (!MatchCopy(copy, m_commands[k], &captures, &found)) continue;
        if (args) *args = std::move(captures);
        if (spans) *spans = std::move(found);
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

// Note: the words that only qualify the object (CREATE OR REPLACE
// EDITIONABLE PACKAGE, CREATE FORCE VIEW) are read past, so the row of the
// object serves them.
int CSQLProcessor::FindTemplate(const std::string& statement) const {
    if (statement.empty()) return -1;
    m_templateCopy.assign(statement);
    cp932::ToUpperInPlace(m_templateCopy);
    BlankLineFeeds(m_templateCopy);
    m_templateCopy = statementhead::BlankQualifiers(std::move(m_templateCopy));
    const std::string& copy = m_templateCopy;
    // Note: a preferred row begins with the words of the row it is tried
    // before, so both are candidates or neither is.
    for (int k : m_templateIndex.Candidates(copy)) {
        for (const auto& [preferred, before] : m_preferences)
            if (before == k && FitsPreferredTemplate(copy, preferred)) return preferred;
        if (FitsTemplate(copy, k)) return k;
    }
    return -1;
}

// Note: leading blanks and tabs do not count, and a ";" or "(" ends the
// first word as a blank does, so that "commit;" typed without a blank
// reaches its statement.
bool CSQLProcessor::IsSqlKeyword(const std::string& line) const {
    // Note: a line that opens with a label (<<name>>) begins a PL/SQL block.
    if (line.compare(FirstNonBlank(line), 2, "<<") == 0) return true;
    const std::size_t start = FirstNonBlank(line);
    if (start >= line.size() || !IsWordByte(static_cast<unsigned char>(line[start]))) return false;
    const std::string_view code = std::string_view(line).substr(start);
    std::size_t i = 0;
    const std::string first = cp932::ToUpper(statementhead::NextWord(code, i));
    if (IsStatementKeyword(first)) return true;
    const auto pairs = tables::StatementKeywordPairs();
    if (std::none_of(pairs.begin(), pairs.end(),
                     [&](const KeywordPair& pair) { return first == pair.first; }))
        return false;
    const std::string second = cp932::ToUpper(statementhead::NextWord(code, i));
    return std::any_of(pairs.begin(), pairs.end(),
                       [&](const KeywordPair& pair) { return first == pair.first && second == pair.second; });
}

// The completeness test on the lines so far: quotes and comments left
// out, the ending chosen by the statement's leading words.
bool CSQLProcessor::MatchesTemplate() const { return m_completion.FitsTemplate(); }

std::string CSQLProcessor::SubstituteDefines(const std::string& statement) {
    return Command<CDefineCommand>().Substitute(statement, true);
}

CScriptLines& CSQLProcessor::Execute(CScriptLines& out) {
    m_outputCompacted = false;
    ExecuteLines(out);
    if (m_context.IsTermOutSuppressed()) {
        const std::string told = m_context.SpoolHidden(out, m_outputCompacted);
        out.clear();
        // Note: a spool file that cannot be written is told even so.
        if (!told.empty()) out.push_back(told);
    }
    if (m_compactOutput && !m_outputCompacted)
        for (auto& line : out) compactline::EncodeInPlace(line);
    return out;
}

CScriptLines& CSQLProcessor::ExecuteLines(CScriptLines& out) {
    out.clear();
    if (m_lines.empty()) return out;
    // Note: a line INPUT takes is kept as typed; substitution happens when
    // the buffer runs.
    if (std::exchange(m_bufferInput, false)) {
        out = Command<CBufferCommand>().TakeInputLine(m_context, m_lines.front());
        return out;
    }
    m_sqlFailed = false;
    // Note: the clock is read only when the elapsed time is shown.
    const bool timed = IsTimingOn();
    const auto started = timed ? std::chrono::steady_clock::now() : std::chrono::steady_clock::time_point();
    std::string joinedLines;
    const std::string& joined = m_lines.size() == 1 ? m_lines.front() : (joinedLines = m_lines.Join());
    const bool isSql = m_sqlStatement;
    std::string text;
    if (!SubstituteStatement(joined, isSql, text, out)) return out;
    // Note: the database is handed C strings; a NUL would silently end the
    // statement (or a literal, a value, a database name) early.
    if (text.find(scripttext::kUnheldMark) != std::string::npos) {
        RefuseUnheldCharacter(out);
        m_sqlFailed = true;
    } else if (text.find('\0') != std::string::npos) {
        out.push_back(MessageText(Message::NulInStatement));
        m_sqlFailed = isSql;
    } else if (isSql) {
        Command<CBufferCommand>().Keep(m_lines);
        Command<CShowErrorsCommand>().NoteCreatedUnit(text);
        RunStatement(std::move(text), out);
        AppendServerOutput(out);
        if (timed) {
            const auto elapsed = std::chrono::steady_clock::now() - started;
            m_context.AppendElapsed(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count(),
                                    out);
        }
    } else {
        ExecuteCommand(text, out);
        AppendServerOutput(out);
    }
    if (m_sqlFailed) Command<CWheneverCommand>().OnSqlError(m_context);
    return out;
}

// The error report of a statement holding a character of a UTF-8 script
// that CP932 cannot hold: the marker under the first one, and its name.
void CSQLProcessor::RefuseUnheldCharacter(CScriptLines& out) const {
    const std::string joined = m_lines.Join();
    const std::size_t at = joined.find(scripttext::kUnheldMark);
    const std::size_t end = joined.find_first_not_of("U+0123456789ABCDEF", at + 1);
    const std::string code = at == std::string::npos ? std::string() : joined.substr(at + 1, end - at - 1);
    AppendErrorReport(m_lines, at == std::string::npos ? -1 : static_cast<long long>(at),
                      FormatText(MessageText(Message::UnheldCharacter), code), out);
}

// Note: SQL goes to the database as typed: the server reads unquoted names
// in any case, and the text of a stored unit, its comments and the
// condition of a CHECK are kept as the user wrote them.
bool CSQLProcessor::SubstituteStatement(const std::string& joined, bool isSql, std::string& text,
                                        CScriptLines& out) {
    std::vector<CSubstitution::Edit> edits;
    if (!Command<CDefineCommand>().Substitute(m_context, joined, edits, out)) return false;
    if (edits.empty()) {
        text = joined;
        return true;
    }
    text = CSubstitution::Apply(joined, edits);
    if (isSql && m_context.Setting("VERIFY") == "ON")
        AppendVerify(joined, CSubstitution::Apply(joined, edits), out);
    return true;
}

// "旧   n: line" and "新   n: line" for each line substitution changed.
void CSQLProcessor::AppendVerify(const std::string& before, const std::string& after, CScriptLines& out) {
    CScriptLines oldLines;
    CScriptLines newLines;
    oldLines.AppendText(before);
    newLines.AppendText(after);
    for (std::size_t n = 0; n < oldLines.size() && n < newLines.size(); ++n) {
        if (oldLines[n] == newLines[n]) continue;
        std::string number = std::to_string(n + 1);
        number.insert(0, number.size() < 4 ? 4 - number.size() : 0, ' ');
        out.push_back(MessageText(Message::VerifyOld) + number + ": " + oldLines[n]);
        out.push_back(MessageText(Message::VerifyNew) + number + ": " + newLines[n]);
    }
}

// `typed`: the substituted statement as typed; matching and the captures
// the handlers get work on it upper-cased outside quotes.
CScriptLines& CSQLProcessor::ExecuteCommand(const std::string& typed, CScriptLines& out) {
    const std::string typedText = textparse::TrimTrailing(typed, ';');
    const std::string text = CSqlLexer::UpperOutsideQuotes(typedText);
    std::vector<Span> spans;
    const int number = MatchCommand(text, nullptr, &spans);
    if (number < 0) {
        // "n" and "n text" pick and replace lines of the statement buffer.
        CScriptLines answer;
        if (Command<CBufferCommand>().RunLineNumber(typed, answer)) return out.Append(answer), out;
        out.push_back(MessageText(Message::UnknownCommand));
        return out;
    }
    const CommandRow& row = commandpatterns::Rows()[static_cast<std::size_t>(number)];
    CCommandArgs args{CutSpans(text, spans),
                      CutSpans(typedText, spans),
                      row.fixed,
                      typed,
                      CutSpans(BlankContinuations(text), spans),
                      CutSpans(BlankContinuations(typedText), spans)};
    // Note: the command may re-enter this processor ("/" submits a recalled
    // line); nothing here reads m_lines after it returns.
    CScriptLines result = row.command(m_commandSet).Run(m_context, args);
    out.Append(result);
    return AppendServerOutput(out);
}

std::string CSQLProcessor::FormatElapsed(long long milliseconds) {
    const long long centiseconds = std::max(milliseconds, 0LL) / 10;
    char text[48];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld.%02lld", centiseconds / 360000,
                  centiseconds / 6000 % 60, centiseconds / 100 % 60, centiseconds % 100);
    return FormatText(MessageText(Message::Elapsed), text);
}
