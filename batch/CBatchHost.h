#pragma once

#include <iosfwd>
#include <string>

#include "console/CSQLEditor.h"
#include "interpreter/CConsoleHost.h"

// The host of a console without a window: keys are played through the
// console's key table, Clear empties the console, and a close request
// ends the replay once the running submission is over.
class CBatchHost : public CConsoleHost {
public:
    explicit CBatchHost(CSQLEditor& editor) : m_editor(editor) {}

    void SendKey(Key key) override;
    void SendCommand(Command command) override;
    void PostClose() override { m_closeRequested = true; }
    void PostExit(int status) override {
        m_exitStatus = status;
        PostClose();
    }

    // Answers come from `input` (UTF-8 or CP932 lines), one line each; null:
    // there are none. `interactive`: PAUSE waits for a line of it.
    void SetInput(std::istream* input, bool interactive) {
        m_input = input;
        m_interactive = interactive;
    }
    // Where a user typing the answers at a terminal sees the questions and
    // PAUSE's text (UTF-8); null: nowhere. Only interactive input shows them.
    void SetPromptOutput(std::ostream* prompts) { m_prompts = prompts; }
    bool AskLine(const std::string& prompt, bool hidden, std::string& answer) override;
    void WaitForEnter(const std::string& text) override;

    bool IsCloseRequested() const { return m_closeRequested; }
    // The status a WHENEVER ... EXIT asked for; -1 when none did.
    int GetExitStatus() const { return m_exitStatus; }

private:
    void Show(const std::string& text);

    CSQLEditor& m_editor;
    bool m_closeRequested = false;
    int m_exitStatus = -1;
    std::istream* m_input = nullptr;
    bool m_interactive = false;
    std::ostream* m_prompts = nullptr;
    // Return keys under way; a re-run started by a re-run is not played.
    int m_returnDepth = 0;
};
