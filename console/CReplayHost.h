#pragma once

#include <cstddef>
#include <string>

#include "interpreter/CConsoleHost.h"
#include "text/CScriptLines.h"

// The host the interpreter meets while a saved console is replayed. The
// lines the console showed after the typed line now replayed (up to the
// next typed line) hold the answers its questions got, each as the
// question's text followed by the answer: such a question is answered from
// there, in order, without asking again. A hidden answer was never shown,
// so it is asked for; so is a question the console does not show. The rest
// goes to the console's own host (null: none).
class CReplayHost : public CConsoleHost {
public:
    explicit CReplayHost(CConsoleHost* host) : m_host(host) {}

    // The shown lines [first, end) of `lines` answer the questions to come.
    void SetShownLines(const CScriptLines& lines, std::size_t first, std::size_t end);

    void SendKey(Key key) override;
    void SendCommand(Command command) override;
    void PostClose() override;
    void PostExit(int status) override;
    bool AskLine(const std::string& prompt, bool hidden, std::string& answer) override;
    bool CanEdit() const override { return m_host != nullptr && m_host->CanEdit(); }
    bool EditText(CScriptLines& lines) override;
    void WaitForEnter(const std::string& text) override;

private:
    // Finds the next shown line that begins with `prompt`; true with the
    // rest of it in `answer`, and the search goes on after it.
    bool TakeShown(const std::string& prompt, std::string& answer);
    // Passes over the next shown line that is `prompt` alone.
    void PassOver(const std::string& prompt);

    CConsoleHost* m_host;
    const CScriptLines* m_lines = nullptr;
    std::size_t m_next = 0;
    std::size_t m_end = 0;
};
