#pragma once

#include <string>

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
    // Asks the user for a secret (a new password) without showing it;
    // false when nobody can answer (then nothing is changed).
    virtual bool AskSecret(const std::string& prompt, std::string& answer) {
        (void)prompt;
        (void)answer;
        return false;
    }
};
