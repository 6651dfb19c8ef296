#pragma once

#include <atomic>
#include <iosfwd>
#include <string>
#include <vector>

#include "batch/CBatchHost.h"
#include "console/CSQLEditor.h"

// Runs console files without a window: each file is replayed into one
// console as opening it would, and the console is written out at the end.
class CBatchRunner {
public:
    CBatchRunner();
    ~CBatchRunner();
    CBatchRunner(const CBatchRunner&) = delete;
    CBatchRunner& operator=(const CBatchRunner&) = delete;

    // Replays the file `name` ("-": `standardInput`). False when it cannot
    // be read or its replay failed; the reason goes to `errors` (UTF-8).
    bool RunFile(const std::string& name, std::istream& standardInput, std::ostream& errors);
    // Replays the files in order (none: standard input) until EXIT, then
    // writes the console. Returns the exit status: 0, or 1 when a file failed.
    int Run(const std::vector<std::string>& files, std::istream& standardInput, std::ostream& output,
            std::ostream& errors);
    // Every display line in UTF-8, each followed by LF, the input line last.
    void WriteConsole(std::ostream& output) const;

    bool IsClosed() const { return m_host.IsCloseRequested() || m_interrupted; }
    // Ctrl+C: the first breaks the running statement (the replay goes on),
    // a second ends the replay; what is not committed is then rolled back
    // and Run returns kInterruptedStatus. Callable from another thread.
    void Interrupt();
    static constexpr int kInterruptedStatus = 130;
    CSQLEditor& GetEditor() { return m_editor; }

    // The command line (without the program name): --help, --batch and
    // files. Returns the exit status (2 for a usage error).
    static int Main(const std::vector<std::string>& args, std::istream& standardInput, std::ostream& output,
                    std::ostream& errors);

private:
    void Replay(std::istream& in);

    CSQLEditor m_editor;
    CBatchHost m_host;
    std::atomic<int> m_interrupts{0};
    std::atomic<bool> m_interrupted{false};
};
