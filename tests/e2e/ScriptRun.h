#pragma once

// Runs the built program (TARVEX_BIN) on script files in a scratch
// directory, with a fresh data directory, and reads back what it wrote.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/Sj.h"
#include "tests/support/TempDir.h"

struct RunResult {
    int status;
    std::string out, err;
};

// The console as written, from its lines separated by '|'.
inline std::string Console(const std::string& lines) {
    std::string text;
    std::istringstream in(lines + "|");
    for (std::string line; std::getline(in, line, '|');) text += line + "\n";
    return text;
}

// `lines` ('|' between) as the spool file writes them: CP932, CR LF.
inline std::string SpoolText(const std::string& lines) {
    std::string text;
    std::size_t start = 0;
    for (std::size_t bar = lines.find('|');; bar = lines.find('|', start)) {
        text += Sj(lines.substr(start, bar - start)) + "\r\n";
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    return text;
}

// The script a console was typed from: its echoed lines ("SQL> " taken
// off), the prompt left waiting at the end not among them.
inline std::string Typed(const std::string& console) {
    std::string script;
    std::istringstream in(console);
    for (std::string line; std::getline(in, line);)
        if (line.starts_with("SQL> ") && !in.eof() && in.peek() != EOF) script += line.substr(5) + "\n";
    return script;
}

enum class Road { Embedded, Server };

class ScriptRun : public ::testing::Test {
protected:
    bool OnServer() const { return m_road == Road::Server; }
    // A database name as this road reaches it.
    std::string Named(const std::string& name) const { return OnServer() ? "//localhost/" + name : name; }

    // The shell command that runs the scripts (UTF-8 here, CP932 on disk) in
    // order, after the file arguments in `before`; "" when the build left
    // no program to run.
    std::string Command(const std::vector<std::string>& scripts, const std::string& before) {
        const char* bin = std::getenv("TARVEX_BIN");
        const char* library = std::getenv("TARVEX_FAKEOCI");
        if (bin == nullptr || (OnServer() && library == nullptr)) return {};
        std::string command = "TARVEX_HOME='" + m_dir.Path("home") + "' " + m_environment + " ";
        if (OnServer()) {
            m_dir.Write("road.sql", "CONNECT u/p@//localhost/E2E\nDISCONNECT\nCLEAR SCREEN\n");
            command +=
                "TARVEX_OCI_LIBRARY='" + std::string(library) + "' '" + bin + "' --batch road.sql " + before;
        } else {
            command += "'" + std::string(bin) + "' --batch " + before;
        }
        for (std::size_t i = 0; i < scripts.size(); ++i) {
            std::string name = "script" + std::to_string(i) + ".sql";
            m_dir.Write(name, Sj(scripts[i]));
            command += " " + name;
        }
        return command;
    }

    RunResult RunScripts(const std::vector<std::string>& scripts, const std::string& stdinText = "",
                         const std::string& before = "") {
        const std::string command = Command(scripts, before);
        if (command.empty()) return {-1, "", "TARVEX_BIN or TARVEX_FAKEOCI is not set"};
        m_dir.Write("stdin.txt", Sj(stdinText));
        if (m_fileSizeLimitKb > 0) {
            // Note: a file-size limit (in 512-byte blocks) stands in for a full
            // disk: the program gets EFBIG instead of being killed, and its
            // console goes through a pipe, which the limit does not cut.
            std::system(("(ulimit -f " + std::to_string(m_fileSizeLimitKb * 2) + "; trap '' XFSZ; " +
                         command + " < stdin.txt 2> err.txt; echo $? > status.txt) | cat > out.txt")
                            .c_str());
            return {std::atoi(testfiles::Read("status.txt").c_str()), testfiles::Read("out.txt"),
                    testfiles::Read("err.txt")};
        }
        int raw = std::system((command + " < stdin.txt > out.txt 2> err.txt").c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, testfiles::Read("out.txt"),
                testfiles::Read("err.txt")};
    }

    // Expects the run to succeed and its console to end with `lines`.
    static void ExpectTail(const RunResult& r, const std::string& lines) {
        EXPECT_EQ(r.status, 0) << r.err;
        const std::string tail = Console(lines);
        ASSERT_GE(r.out.size(), tail.size()) << r.out;
        EXPECT_EQ(r.out.substr(r.out.size() - tail.size()), tail) << r.out;
    }

    // Runs `before`, then the lines `lines` echoes ('|' between them), with
    // `stdinText` to read, and expects the console to end with `lines`.
    RunResult ExpectRun(const std::string& lines, const std::string& before = "",
                        const std::string& stdinText = "") {
        RunResult r = RunScripts({before + Typed(Console(lines))}, stdinText);
        ExpectTail(r, lines);
        return r;
    }

    // Runs the lines `lines` echoes and expects them to be the whole console.
    void ExpectConsole(const std::string& lines) {
        const RunResult r = RunScripts({Typed(Console(lines))});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, Console(lines));
    }

    // Runs the scripts and sends SIGINT after each of `delays` (ms, counted
    // from the previous signal); gives up after `timeoutMs`.
    RunResult RunInterrupted(const std::vector<std::string>& scripts, const std::vector<int>& delays,
                             int timeoutMs = 60000) {
        const std::string command = Command(scripts, "");
        if (command.empty()) return {-1, "", "TARVEX_BIN or TARVEX_FAKEOCI is not set"};
        const std::string shell = "exec env " + command + " < /dev/null > out.txt 2> err.txt";
        const pid_t child = fork();
        if (child == 0) {
            execl("/bin/sh", "sh", "-c", shell.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        for (int delay : delays) {
            std::this_thread::sleep_for(std::chrono::milliseconds(delay));
            kill(child, SIGINT);
        }
        int raw = 0;
        for (int waited = 0; waitpid(child, &raw, WNOHANG) == 0; waited += 100) {
            if (waited > timeoutMs) {
                kill(child, SIGKILL);
                waitpid(child, &raw, 0);
                return {-1, testfiles::Read("out.txt"), "timed out"};
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, testfiles::Read("out.txt"),
                testfiles::Read("err.txt")};
    }

    testfiles::ScratchDir m_dir;
    Road m_road = Road::Embedded;
    std::string m_environment;
    // Files the program writes stop growing at this size (0: no limit).
    int m_fileSizeLimitKb = 0;
};
