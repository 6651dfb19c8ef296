// Runs the built program the way a person would from a shell with no
// display: --batch, --batch --pdf, and a window that cannot be opened.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "app/CVantorApp.h"
#include "tests/app/AppTestSupport.h"

namespace {

struct RunResult {
    int status;
    std::string out;
    std::string err;
};

class CVantorAppTest : public ::testing::Test {
protected:
    // Runs tarvex with `arguments` and no display of any kind.
    RunResult Run(const std::string& arguments, const std::string& input = "") {
        const char* bin = std::getenv("TARVEX_BIN");
        if (bin == nullptr) return {-1, "", "TARVEX_BIN is not set"};
        const std::string in = files.Write("stdin.txt", input);
        const std::string out = files.Path("out.txt");
        const std::string err = files.Path("err.txt");
        const std::string command =
            "cd '" + files.Path("") +
            "' && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM TARVEX_HOME='" + files.Path("home") +
            "' '" + bin + "' " + arguments + " < '" + in + "' > '" + out + "' 2> '" + err + "'";
        const int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, apptest::TempFiles::Read(out),
                apptest::TempFiles::Read(err)};
    }

    // A console file of `count` console lines once replayed.
    std::string Script(int count) {
        std::string text;
        for (int i = 1; i < count; ++i) text += "REM " + std::to_string(i) + "\r\n";
        return files.Write("lines" + std::to_string(count) + ".sql", text);
    }

    static int PdfPages(const std::string& pdf) {
        int pages = 0;
        for (auto at = pdf.find("/Type /Page\n"); at != std::string::npos;
             at = pdf.find("/Type /Page\n", at + 1))
            ++pages;
        return pages;
    }

    apptest::TempFiles files;
};

TEST_F(CVantorAppTest, BatchRunsWithoutADisplay) {
    RunResult result = Run("--batch", "REM hello\n");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "SQL> REM hello\nSQL> \n");
}

TEST_F(CVantorAppTest, PdfPrintsTheReplayedConsole) {
    for (const auto& [lines, pages] : {std::pair{1, 1}, {200, 2}, {450, 3}}) {
        const std::string pdf = "out" + std::to_string(lines) + ".pdf";
        RunResult result = Run("--batch --pdf " + pdf + " '" + Script(lines) + "'");
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(PdfPages(apptest::TempFiles::Read(files.Path(pdf))), pages) << lines;
    }
}

TEST_F(CVantorAppTest, PdfThatCannotBeWrittenFails) {
    RunResult result = Run("--batch --pdf no/such/dir.pdf");
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("PDF"), std::string::npos) << result.err;
}

TEST_F(CVantorAppTest, CommandLineMistakesAreUsageErrors) {
    EXPECT_EQ(Run("--pdf").status, 2);
    EXPECT_EQ(Run("--frobnicate").status, 2);
    RunResult help = Run("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--pdf"), std::string::npos);
}

TEST_F(CVantorAppTest, NoDisplayMeansAClearMessageNotACrash) {
    RunResult result = Run("");
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("--batch"), std::string::npos) << result.err;
    EXPECT_TRUE(result.out.empty());
}

}  // namespace
