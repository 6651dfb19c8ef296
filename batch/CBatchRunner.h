#pragma once

#include <atomic>
#include <iosfwd>
#include <string>
#include <utility>
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
    // writes the console. Returns the exit status: the one WHENEVER ... EXIT
    // left with, else 0, or 1 when a file failed.
    int Run(const std::vector<std::string>& files, std::istream& standardInput, std::ostream& output,
            std::ostream& errors);
    // Every display line in UTF-8, each followed by LF, the input line last.
    void WriteConsole(std::ostream& output) const;

    // True after EXIT, after an EXIT that could not commit (the replay ends
    // there too), and after a second Ctrl+C.
    bool IsClosed() const;
    // Ctrl+C: the first breaks the running statement (the replay goes on),
    // a second ends the replay; what is not committed is then rolled back
    // and Run returns kInterruptedStatus. Callable from another thread.
    void Interrupt();
    static constexpr int kInterruptedStatus = 130;

    // Bytes read from one file at most, and the longest line.
    static constexpr std::size_t kMaxFileBytes = std::size_t{1} << 30;
    static constexpr std::size_t kMaxLineBytes = std::size_t{64} << 20;
    CSQLEditor& GetEditor() { return m_editor; }

    // The version line of the about box.
    static constexpr char kVersionLine[] = "Tarvex Version 1.11";

    // The command line (without the program name): --help, --version,
    // --batch, --encoding cp932|utf-8 and files. Returns the exit status (2
    // for a usage error).
    static int Main(const std::vector<std::string>& args, std::istream& standardInput, std::ostream& output,
                    std::ostream& errors);
    // True when the command line is this runner's alone: --version, or
    // --encoding, --define or script arguments for a --batch run without a
    // printout.
    static bool OwnsCommandLine(const std::vector<std::string>& args);

private:
    // RunFile, with "@@" already set to the file's folder.
    bool RunFileIn(const std::string& name, std::istream& standardInput, std::ostream& errors);
    // Replays `in`; false (the reason on `errors`) when it was refused or cut at a bound.
    bool Replay(std::istream& in, const std::string& name, std::ostream& errors);
    // Defines the substitution variables of the command line: NAME=VALUE
    // pairs, and the script's arguments as 1, 2, ... (UTF-8 or CP932).
    void Define(const std::vector<std::pair<std::string, std::string>>& defines,
                const std::vector<std::string>& arguments);
    // Says on `errors` that a commit failed; false when one did.
    bool ReportFailedCommit(std::ostream& errors) const;

    CSQLEditor m_editor;
    CBatchHost m_host;
    std::atomic<int> m_interrupts{0};
    std::atomic<bool> m_interrupted{false};
};
