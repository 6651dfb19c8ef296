#include "batch/CBatchHost.h"

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

bool CBatchHost::AskSecret(const std::string&, std::string& answer) {
    if (m_input == nullptr || !std::getline(*m_input, answer)) return false;
    if (!answer.empty() && answer.back() == '\r') answer.pop_back();
    return true;
}
