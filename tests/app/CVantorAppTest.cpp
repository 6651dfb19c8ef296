// Runs the built program the way a person would from a shell with no
// display: --batch, --batch --pdf, and a window that cannot be opened; and
// which runs load the window module.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/CVantorApp.h"
#include "e2e/ScriptRun.h"
#include "tests/app/AppTestSupport.h"

namespace {

class CVantorAppTest : public ::testing::Test {
protected:
    // Runs tarvex with `arguments` and no display of any kind.
    RunResult Run(const std::string& arguments, const std::string& input = "") {
        const char* bin = std::getenv("TARVEX_BIN");
        if (bin == nullptr) return {-1, "", "TARVEX_BIN is not set"};
        return RunProgram(bin, "", arguments, input);
    }
    // Runs the program `bin` so, with the variables `environment` set.
    RunResult RunProgram(const std::string& bin, const std::string& environment, const std::string& arguments,
                         const std::string& input = "") {
        const std::string in = files.Write("stdin.txt", input), out = files.Path("out.txt"),
                          err = files.Path("err.txt");
        const std::string command =
            "cd '" + files.Path("") +
            "' && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM TARVEX_HOME='" + files.Path("home") +
            "' " + environment + " '" + bin + "' " + arguments + " < '" + in + "' > '" + out + "' 2> '" +
            err + "'";
        const int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, testfiles::Read(out), testfiles::Read(err)};
    }

    testfiles::ScratchDir files;
};

TEST_F(CVantorAppTest, CommandLineCases) {
    const struct {
        const char* arguments;
        const char* input;
        int status;
        const char* out;     // the whole output, or nullptr
        const char* outHas;  // a part of it
        const char* errHas;  // a part of the error output
    } cases[] = {
        {"--batch", "REM hello\n", 0, "SQL> REM hello\nSQL> \n", "", ""},
        {"--batch --pdf no/such/dir.pdf", "", 1, nullptr, "", "PDF"},
        {"--pdf", "", 2, nullptr, "", ""},
        {"--frobnicate", "", 2, nullptr, "", ""},
        {"--help", "", 0, nullptr, "--pdf", ""},
        {"", "", 1, "", "", "--batch"},  // no display: a clear message, not a crash
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        RunResult result = Run(c.arguments, c.input);
        EXPECT_EQ(result.status, c.status) << result.err;
        EXPECT_EQ(c.out == nullptr ? "" : result.out, c.out == nullptr ? "" : c.out);
        EXPECT_NE(result.out.find(c.outHas), std::string::npos) << result.out;
        EXPECT_NE(result.err.find(c.errHas), std::string::npos) << result.err;
    }
    EXPECT_EQ(Run("--help").out.rfind("使用方法: tarvex", 0), 0u);
}

TEST_F(CVantorAppTest, PdfPrintsTheReplayedConsole) {
    std::string script;
    for (int i = 1; i < 450; ++i) script += "REM " + std::to_string(i) + "\r\n";
    RunResult result = Run("--batch --pdf out.pdf '" + files.Write("lines.sql", script) + "'");
    EXPECT_EQ(result.status, 0) << result.err;
    const std::string pdf = testfiles::Read(files.Path("out.pdf"));
    int pages = 0;
    for (auto at = pdf.find("/Type /Page\n"); at != std::string::npos; at = pdf.find("/Type /Page\n", at + 1))
        ++pages;
    EXPECT_EQ(pages, 3);
}

TEST_F(CVantorAppTest, OnlyAWindowLoadsTheWindowModule) {
    const char* bin = std::getenv("TARVEX_BIN");
    ASSERT_NE(bin, nullptr);
    const std::string script = "'" + files.Write("exit.sql", "EXIT\n") + "'";
    // The loader names every library it maps; none of Qt's may be among them.
    for (const std::string& arguments :
         std::vector<std::string>{"--batch " + script, "--version", "--help", "--batch --frobnicate"}) {
        SCOPED_TRACE(arguments);
        const RunResult result = RunProgram(bin, "LD_DEBUG=libs", arguments);
        EXPECT_NE(result.err.find("libc.so"), std::string::npos) << "the loader said nothing";
        EXPECT_EQ(result.err.find("libQt6"), std::string::npos);
        EXPECT_EQ(result.err.find("tarvex-window"), std::string::npos);
    }
    // The window runs from the module next to the program...
    RunResult result = RunProgram(bin, "QT_QPA_PLATFORM=offscreen", "--screenshot shot.png");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(std::filesystem::exists(files.Path("shot.png")));
    // ... and a program without it says what it looked for (a window that
    // opened all the same would close itself after the screenshot).
    const std::string lone = files.Path("lone/tarvex");
    std::filesystem::create_directories(files.Path("lone"));
    std::filesystem::copy_file(bin, lone);
    result = RunProgram(lone, "QT_QPA_PLATFORM=offscreen", "--screenshot lone.png");
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find(files.Path("lone/libtarvex-window.so")), std::string::npos) << result.err;
}

}  // namespace
