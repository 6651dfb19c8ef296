#include "batch/CBatchHost.h"

#include <istream>
#include <ostream>

#include "batch/CTerminalEcho.h"
#include "text/Encoding.h"

namespace {

struct KeyMapping {
    CConsoleHost::Key key;
    EditorKey editorKey;
};

constexpr KeyMapping kKeys[] = {
    {CConsoleHost::Key::Up, EditorKey::Up},
    {CConsoleHost::Key::Return, EditorKey::Enter},
};

}  // namespace

void CBatchHost::SendKey(Key key) {
    // Note: a recalled "/" that would re-run again is dropped here as well
    // as in the interpreter, so no history can make the replay endless.
    if (key == Key::Return && m_returnDepth > 0) return;
    for (const auto& mapping : kKeys) {
        if (mapping.key != key) continue;
        if (key == Key::Return) ++m_returnDepth;
        try {
            m_editor.HandleKey(mapping.editorKey, false);
        } catch (...) {
            if (key == Key::Return) --m_returnDepth;
            throw;
        }
        if (key == Key::Return) --m_returnDepth;
    }
}

void CBatchHost::SendCommand(Command command) {
    if (command == Command::Clear) m_editor.Clear();
}

// Note: a line that is valid UTF-8 is read as UTF-8 (the console's output
// is UTF-8 too); any other line is taken as CP932 bytes.
void CBatchHost::Show(const std::string& text) {
    if (m_prompts == nullptr || !m_interactive) return;
    *m_prompts << encoding::Cp932ToUtf8(text) << std::flush;
}

bool CBatchHost::AskLine(const std::string& prompt, bool hidden, std::string& answer) {
    if (m_input == nullptr) return false;
    Show(prompt);
    std::string line;
    // Note: a hidden answer typed at a terminal is not echoed there either.
    bool quiet = hidden && m_interactive && CTerminalEcho::Hide();
    bool read = static_cast<bool>(std::getline(*m_input, line));
    if (quiet) CTerminalEcho::Restore();
    if (!read) return false;
    while (!line.empty() && line.back() == '\r') line.pop_back();
    if (encoding::IsAscii(line) || !encoding::Utf8ToCp932Strict(line, answer)) answer = line;
    return true;
}

void CBatchHost::WaitForEnter(const std::string& text) {
    if (m_input == nullptr || !m_interactive) return;
    Show(text);
    std::string line;
    std::getline(*m_input, line);
}
