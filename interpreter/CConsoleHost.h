#pragma once

#include <string>

#include "text/CScriptLines.h"

// What the interpreter asks of the window that shows its console: the
// desktop view, the batch runner and tests each provide one. Keys and
// commands are delivered synchronously; Close takes effect only after the
// running submission has returned.
class CConsoleHost {
public:
    enum class Key { Up, Return };
    enum class Command { Clear };

    virtual ~CConsoleHost() = default;
    // A key as if typed on the view (the key table of the view applies).
    virtual void SendKey(Key key) = 0;
    // An Edit command of the view (Clear empties the whole console).
    virtual void SendCommand(Command command) = 0;
    // Ask the main window to close once the current submission is over.
    virtual void PostClose() = 0;
    // The same, leaving with a process exit status (WHENEVER ... EXIT n);
    // a host without a status of its own just closes.
    virtual void PostExit(int status) {
        (void)status;
        PostClose();
    }
    // Asks the user for one line, `prompt` (CP932) shown before it; the
    // answer in CP932 goes to `answer`. `hidden`: what is typed is not
    // shown nor kept (a password, ACCEPT ... HIDE). False when there is no
    // answer to be had (no input left, or a host that cannot ask).
    virtual bool AskLine(const std::string& prompt, bool hidden, std::string& answer) {
        (void)prompt;
        (void)hidden;
        (void)answer;
        return false;
    }
    // True for a host with an editor for EDIT.
    virtual bool CanEdit() const { return false; }
    // EDIT: lets the user change `lines` in an editor; false when the host
    // has none or the user cancelled (`lines` then stand as they were).
    virtual bool EditText(CScriptLines& lines) {
        (void)lines;
        return false;
    }
    // PAUSE: waits until the user presses Enter, `text` (CP932) shown
    // meanwhile, where there is a user to wait for; a host without one goes
    // on at once.
    virtual void WaitForEnter(const std::string& text) { (void)text; }
};
