#include "console/CSQLEditor.h"

#include <algorithm>
#include <istream>
#include <ostream>

#include "commands/CSpoolCommand.h"
#include "console/CReplayHost.h"
#include "oracle/OStartup.h"
#include "text/CompactLine.h"
#include "text/Cp932.h"

namespace {

constexpr char kPrompt[] = "SQL> ";
constexpr int kPromptLength = 5;

// The console line that echoes a submitted line after the prompt.
std::string PromptLine(const std::string& line) {
    std::string echo;
    echo.reserve(kPromptLength + line.size());
    echo += kPrompt;
    echo += line;
    compactline::EncodeInPlace(echo);
    return echo;
}

// Start of the character that holds byte `index`, found by walking the
// line from its start (a trail byte may look like a lead byte); `index` at
// the end gives the end.
std::size_t CharacterStart(const std::string& text, std::size_t index) {
    std::size_t i = 0;
    while (true) {
        std::size_t length = cp932::CharLength(text, i);
        if (length == 0 || i + length > index) return i;
        i += length;
    }
}

struct KeyBinding {
    EditorKey key;
    void (*action)(CSQLEditor& editor, bool shift);
};

constexpr KeyBinding kKeyTable[] = {
    {EditorKey::Backspace, [](CSQLEditor& e, bool) { e.DeleteBackward(); }},
    {EditorKey::Enter, [](CSQLEditor& e, bool) { e.Submit(); }},
    {EditorKey::End, [](CSQLEditor& e, bool shift) { e.MoveCaretEnd(shift); }},
    {EditorKey::Home, [](CSQLEditor& e, bool shift) { e.MoveCaretHome(shift); }},
    {EditorKey::Left, [](CSQLEditor& e, bool shift) { e.MoveCaret(-1, shift); }},
    {EditorKey::Up, [](CSQLEditor& e, bool) { e.RecallHistory(-1); }},
    {EditorKey::Right, [](CSQLEditor& e, bool shift) { e.MoveCaret(+1, shift); }},
    {EditorKey::Down, [](CSQLEditor& e, bool) { e.RecallHistory(+1); }},
    {EditorKey::Insert, [](CSQLEditor& e, bool) { e.ToggleOverwrite(); }},
    {EditorKey::Delete, [](CSQLEditor& e, bool) { e.DeleteForward(); }},
};

}  // namespace

CSQLEditor::CSQLEditor()
    : m_promptLength(kPromptLength),
      m_caretColumn(kPromptLength),
      m_caretRow(0),
      m_anchorColumn(-1),
      m_anchorRow(-1),
      m_maxWidth(100),
      m_historyIndex(0),
      m_overwrite(false) {
    Clear();
    OStartup(1);
    m_processor.SetConnection(&m_session, &m_database);
    m_processor.SetCompactOutput(true);
    m_processor.SetScriptRunner(
        [this](const std::string& line, bool echo) { return RunScriptLine(line, echo); });
}

CSQLEditor::~CSQLEditor() { OShutdown(); }

int CSQLEditor::GetLineCount() const { return static_cast<int>(m_consoleLines.size() + 1); }

std::string CSQLEditor::GetLine(int index) const {
    std::string line;
    ReadLine(index, line);
    return line;
}

void CSQLEditor::ReadLine(int index, std::string& line) const {
    line.clear();
    if (index < 0 || index >= GetLineCount()) return;
    auto i = static_cast<std::size_t>(index);
    if (i < m_consoleLines.size()) {
        compactline::AppendDecoded(m_consoleLines[i], line);
        return;
    }
    if (!m_asking) {
        line += kPrompt;
        line += m_input;
        return;
    }
    line += m_question.prompt;
    if (m_question.hidden)
        line.append(m_input.size(), '*');
    else
        line += m_input;
}

bool CSQLEditor::IsPromptLine(int index) const {
    if (index < 0 || index >= GetLineCount()) return false;
    auto i = static_cast<std::size_t>(index);
    if (i >= m_consoleLines.size()) return true;
    return compactline::Decode(m_consoleLines[i]).compare(0, kPromptLength, kPrompt) == 0;
}

bool CSQLEditor::HasSelection() const {
    if (m_anchorColumn == -1 && m_anchorRow == -1) return false;
    return !(m_anchorColumn == m_caretColumn && m_anchorRow == m_caretRow);
}

bool CSQLEditor::IsSelected(int column) const {
    if (column < m_promptLength || column >= InputEnd() || !HasSelection()) return false;
    return column >= std::min(m_anchorColumn, m_caretColumn) &&
           column < std::max(m_anchorColumn, m_caretColumn);
}

std::string CSQLEditor::GetSelectedText() const {
    if (!HasSelection()) return "";
    int low = ClampColumn(std::min(m_anchorColumn, m_caretColumn));
    int high = ClampColumn(std::max(m_anchorColumn, m_caretColumn));
    if (IsAnswerHidden()) return std::string(static_cast<std::size_t>(high - low), '*');
    return m_input.substr(static_cast<std::size_t>(low - m_promptLength),
                          static_cast<std::size_t>(high - low));
}

int CSQLEditor::ClampColumn(long long column) const {
    return static_cast<int>(std::clamp<long long>(column, m_promptLength, InputEnd()));
}

void CSQLEditor::PushUndo() {
    // Note: the oldest entries go first once the count or the bytes held
    // pass their limits, so a long pasted line cannot exhaust memory.
    std::size_t bytes = m_input.size();
    for (const auto& text : m_undoTexts) bytes += text.size();
    std::size_t drop = 0;
    while (drop < m_undoTexts.size() && (m_undoTexts.size() - drop >= kUndoLimit || bytes > kUndoByteLimit))
        bytes -= m_undoTexts[drop++].size();
    m_undoTexts.erase(m_undoTexts.begin(), m_undoTexts.begin() + static_cast<std::ptrdiff_t>(drop));
    m_undoCarets.erase(m_undoCarets.begin(), m_undoCarets.begin() + static_cast<std::ptrdiff_t>(drop));
    m_undoTexts.push_back(m_input);
    m_undoCarets.emplace_back(m_caretColumn, m_caretRow);
}

void CSQLEditor::InsertText(const std::string& text) {
    PushUndo();
    m_caretColumn = ClampColumn(m_caretColumn);
    std::size_t index = CaretIndex();
    if (m_overwrite) m_input.erase(index, OverwrittenBytes(index, text.size()));
    m_input.insert(index, text);
    m_caretColumn += static_cast<int>(text.size());
    ClearSelection();
    if (static_cast<long long>(m_input.size()) > m_maxWidth) m_maxWidth = static_cast<int>(m_input.size());
}

std::size_t CSQLEditor::OverwrittenBytes(std::size_t index, std::size_t length) const {
    // Note: whole characters are overwritten, so typing over a double-byte
    // character never leaves its trail byte behind.
    std::size_t end = index;
    while (end < m_input.size() && end - index < length)
        end += std::max<std::size_t>(1, cp932::CharLength(m_input, end));
    return std::min(end, m_input.size()) - index;
}

void CSQLEditor::DeleteSelection() {
    int low = ClampColumn(std::min(m_anchorColumn, m_caretColumn));
    int high = ClampColumn(std::max(m_anchorColumn, m_caretColumn));
    m_input.erase(static_cast<std::size_t>(low - m_promptLength), static_cast<std::size_t>(high - low));
    m_caretColumn = low;
}

void CSQLEditor::DeleteForward() {
    PushUndo();
    if (HasSelection()) {
        DeleteSelection();
    } else {
        if (m_caretColumn >= InputEnd()) return;
        m_caretColumn = ClampColumn(m_caretColumn);
        std::size_t index = CaretIndex();
        m_input.erase(index, cp932::CharLength(m_input, index));
    }
    ClearSelection();
}

void CSQLEditor::DeleteBackward() {
    PushUndo();
    if (HasSelection()) {
        DeleteSelection();
    } else {
        if (m_caretColumn <= m_promptLength) return;
        m_caretColumn = ClampColumn(m_caretColumn);
        std::size_t index = CaretIndex();
        // Note: the whole character before the caret goes, found from the
        // line's start; a caret inside a character removes that character.
        std::size_t start = CharacterStart(m_input, index - 1);
        std::size_t end = std::max(index, start + cp932::CharLength(m_input, start));
        m_input.erase(start, end - start);
        m_caretColumn = m_promptLength + static_cast<int>(start);
    }
    ClearSelection();
}

void CSQLEditor::Anchor(bool extend) {
    if (!extend) {
        ClearSelection();
    } else if (!HasSelection()) {
        m_anchorColumn = m_caretColumn;
        m_anchorRow = m_caretRow;
    }
}

void CSQLEditor::MoveCaret(int delta, bool extend) {
    Anchor(extend);
    m_caretColumn = ClampColumn(static_cast<long long>(m_caretColumn) + delta);
    if (delta == 0) return;
    std::size_t index = CaretIndex();
    std::size_t start = CharacterStart(m_input, index);
    if (start == index) return;
    std::size_t stop = delta < 0 ? start : start + cp932::CharLength(m_input, start);
    m_caretColumn = m_promptLength + static_cast<int>(stop);
}

void CSQLEditor::MoveCaretHome(bool extend) {
    Anchor(extend);
    m_caretColumn = m_promptLength;
}

void CSQLEditor::MoveCaretEnd(bool extend) {
    Anchor(extend);
    m_caretColumn = InputEnd();
}

void CSQLEditor::SetCaretColumn(int column, int /*row*/, bool extend) {
    m_caretColumn = ClampColumn(column);
    // Note: a click between the two bytes of a character lands before it.
    m_caretColumn = m_promptLength + static_cast<int>(CharacterStart(m_input, CaretIndex()));
    if (!extend) {
        ClearSelection();
    } else if (!HasSelection()) {
        m_anchorColumn = m_caretColumn;
        m_anchorRow = m_caretRow;
    }
}

void CSQLEditor::RecallHistory(int delta) {
    if (m_history.empty()) return;
    auto size = static_cast<long long>(m_history.size());
    long long index = static_cast<long long>(m_historyIndex) + delta;
    if (index < 0)
        index = size - 1;
    else if (index >= size)
        index = 0;
    m_historyIndex = static_cast<int>(index);
    m_input = m_history[static_cast<std::size_t>(index)];
    if (m_caretColumn > InputEnd()) m_caretColumn = InputEnd();
    m_caretColumn = m_promptLength + static_cast<int>(CharacterStart(m_input, CaretIndex()));
    ClearSelection();
}

void CSQLEditor::Undo() {
    if (m_undoTexts.empty()) return;
    m_input = std::move(m_undoTexts.back());
    m_caretColumn = ClampColumn(m_undoCarets.back().first);
    m_caretRow = m_undoCarets.back().second;
    m_undoTexts.pop_back();
    m_undoCarets.pop_back();
}

bool CSQLEditor::ToggleOverwrite() {
    m_overwrite = !m_overwrite;
    return m_overwrite;
}

void CSQLEditor::ClearSelection() {
    m_anchorColumn = -1;
    m_anchorRow = -1;
}

void CSQLEditor::Clear() {
    m_consoleLines.clear();
    m_undoTexts.clear();
    m_undoCarets.clear();
    m_input.clear();
    m_caretColumn = m_promptLength;
    m_caretRow = 0;
    ClearSelection();
}

void CSQLEditor::UpdateMaxWidth(const CScriptLines& lines) {
    for (const auto& line : lines)
        if (static_cast<long long>(line.size()) > m_maxWidth) m_maxWidth = static_cast<int>(line.size());
}

void CSQLEditor::AppendOutput(CScriptLines&& encodedLines) {
    // Note: a large output gets room for exactly its lines rather than
    // twice what the console held.
    const std::size_t needed = m_consoleLines.size() + encodedLines.size();
    if (needed > 2 * m_consoleLines.capacity()) m_consoleLines.reserve(needed);
    for (auto& line : encodedLines) {
        const std::size_t width = compactline::DecodedSize(line);
        if (static_cast<long long>(width) > m_maxWidth) m_maxWidth = static_cast<int>(width);
        m_consoleLines.push_back(std::move(line));
    }
    SpoolLines(m_consoleLines.size() - encodedLines.size());
}

// Note: a spool failure is told on the console (not spooled, the file is
// closed by then).
void CSQLEditor::SpoolLines(std::size_t first) {
    CSpoolFile& spool = m_processor.Command<CSpoolCommand>().GetFile();
    if (!spool.IsOpen()) return;
    const bool trim = m_processor.GetContext().GetReportSettings().trimSpool;
    std::string told;
    std::string plain;
    for (std::size_t k = first; k < m_consoleLines.size() && told.empty(); ++k) {
        plain.clear();
        compactline::AppendDecoded(m_consoleLines[k], plain);
        told = spool.Write(plain, trim);
    }
    if (told.empty()) told = spool.Flush();
    if (!told.empty()) m_consoleLines.push_back(compactline::Encode(told));
}

void CSQLEditor::ResetInputLine() {
    m_input.clear();
    m_caretColumn = m_promptLength;
    m_historyIndex = 0;
    m_undoTexts.clear();
    m_undoCarets.clear();
    m_caretRow = GetLineCount() - 1;
    ClearSelection();
}

// Note: "@" scripts run inside the interpreter, which hands their lines
// back one by one to RunScriptLine.
void CSQLEditor::Submit() {
    m_consoleLines.push_back(PromptLine(m_input));
    // Note: the lines of a file run as input are a script's: the spool
    // holds them only with ECHO ON, so that a script can spool a script of
    // its output alone and run it.
    if (!m_replaying || m_processor.GetContext().Setting("ECHO") == "ON")
        SpoolLines(m_consoleLines.size() - 1);
    m_history.push_back(m_input);
    if (!Stopped()) SubmitLine(m_input);
    ResetInputLine();
}

void CSQLEditor::BeginQuestion(const std::string& prompt, bool hidden) {
    if (m_asking) EndQuestion();
    m_question.prompt = prompt;
    m_question.hidden = hidden;
    m_question.input = std::move(m_input);
    m_question.caretColumn = m_caretColumn - m_promptLength;
    m_question.undoTexts = std::move(m_undoTexts);
    m_question.undoCarets = std::move(m_undoCarets);
    m_input.clear();
    m_undoTexts.clear();
    m_undoCarets.clear();
    m_asking = true;
    m_promptLength = static_cast<int>(prompt.size());
    m_caretColumn = m_promptLength;
    m_caretRow = GetLineCount() - 1;
    ClearSelection();
}

std::string CSQLEditor::EndQuestion() {
    if (!m_asking) return std::string();
    std::string answer = std::move(m_input);
    // Note: the undo steps of the answer go with it, so a hidden one is
    // kept nowhere.
    m_input = std::move(m_question.input);
    m_undoTexts = std::move(m_question.undoTexts);
    m_undoCarets = std::move(m_question.undoCarets);
    m_promptLength = kPromptLength;
    m_caretColumn = ClampColumn(static_cast<long long>(kPromptLength) + m_question.caretColumn);
    m_question = Question();
    m_asking = false;
    ClearSelection();
    return answer;
}

bool CSQLEditor::RunScriptLine(const std::string& line, bool echo) {
    if (Stopped()) return false;
    if (echo) AppendOutput(CScriptLines(compactline::Encode(CCommandContext::EchoLine(line))));
    SubmitLine(line);
    return !Stopped();
}

// Note: `line` is read only until the interpreter has taken it; running the
// statement may recall another input line ("/").
void CSQLEditor::SubmitLine(const std::string& line) {
    if (m_processor.IsSkippedLine(line) || m_processor.EndsEntry(line)) return;
    m_processor.AddLine(line);
    if (!m_processor.IsComplete()) return;
    CScriptLines output;
    m_processor.Execute(output);
    AppendOutput(std::move(output));
    m_processor.Reset();
}

bool CSQLEditor::Store(std::ostream& out) {
    for (const auto& line : m_consoleLines) out << compactline::Decode(line) << "\r\n";
    out << kPrompt << m_input;
    out.flush();
    // Note: the input line is kept when the file could not be written.
    if (!out) return false;
    m_input.clear();
    m_caretColumn = m_promptLength;
    m_caretRow = GetLineCount() - 1;
    ClearSelection();
    return true;
}

bool CSQLEditor::Load(std::istream& in, std::string* refusal) {
    // Note: read through the stream, so a read error marks it bad (as a
    // directory does) instead of throwing.
    std::string bytes;
    char chunk[65536];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0)
        bytes.append(chunk, static_cast<std::size_t>(in.gcount()));
    std::string text;
    std::size_t badLine = 0;
    if (!scripttext::Decode(bytes, m_scriptEncoding, text, badLine)) {
        AppendOutput(CScriptLines(scripttext::RefusalText(badLine)));
        if (refusal != nullptr) *refusal = scripttext::RefusalText(badLine);
        m_caretRow = GetLineCount() - 1;
        m_processor.ReportOsError();
        return false;
    }
    CScriptLines lines;
    lines.AppendText(text);
    text = std::string();
    const auto typed = [](const std::string& line) { return line.starts_with(kPrompt); };
    if (std::any_of(lines.begin(), lines.end(), typed)) {
        ReplayConsole(lines);
        return true;
    }
    for (auto& line : lines) {
        if (Stopped()) break;
        SubmitReplayed(std::move(line));
    }
    return true;
}

void CSQLEditor::SubmitReplayed(std::string&& line) {
    m_input = std::move(line);
    while (!m_input.empty() && m_input.back() == '\r') m_input.pop_back();
    m_caretColumn = m_promptLength;
    m_replaying = true;
    Submit();
    m_replaying = false;
}

// Note: only the prompted lines are typed again; the lines shown after one
// answer the questions its statement asks (see CReplayHost), and output of
// the earlier session is never run again, nor the idle prompt it ends with.
void CSQLEditor::ReplayConsole(const CScriptLines& lines) {
    std::vector<std::size_t> typed;
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i].starts_with(kPrompt)) typed.push_back(i);
    if (!typed.empty() && lines[typed.back()].size() == kPromptLength) typed.pop_back();
    CReplayHost replay(m_host);
    m_processor.SetHost(&replay);
    try {
        for (std::size_t k = 0; k < typed.size() && !Stopped(); ++k) {
            replay.SetShownLines(lines, typed[k] + 1, k + 1 < typed.size() ? typed[k + 1] : lines.size());
            SubmitReplayed(lines[typed[k]].substr(kPromptLength));
        }
    } catch (...) {
        m_processor.SetHost(m_host);
        throw;
    }
    m_processor.SetHost(m_host);
}

void CSQLEditor::SetHistory(const CScriptLines& history) {
    m_history = history;
    m_historyIndex = 0;
}

bool CSQLEditor::EndTransaction(bool commit, std::string& error) {
    if (!m_session.IsOpen()) return true;
    if ((commit ? m_session.Commit() : m_session.Rollback()) == OSUCCESS) return true;
    error = m_database.GetErrorText();
    return false;
}

void CSQLEditor::SetHost(CConsoleHost* host) {
    m_host = host;
    m_processor.SetHost(host);
}

void CSQLEditor::HandleKey(EditorKey key, bool shift) {
    for (const auto& binding : kKeyTable)
        if (binding.key == key) return binding.action(*this, shift);
}

void CSQLEditor::HandleChar(char c) {
    if (static_cast<unsigned char>(c) < 32) return;
    InsertText(std::string(1, c));
}
