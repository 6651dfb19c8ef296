#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "batch/CBatchRunner.h"
#include "console/TestFiles.h"

namespace {

const std::string kUnknown = "不明なコマンドです。";

struct Result {
    int status;
    std::string out;
    std::string err;
};

Result RunMain(const std::vector<std::string>& args, const std::string& input = "") {
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    int status = CBatchRunner::Main(args, in, out, err);
    return {status, out.str(), err.str()};
}

std::string Console(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) text += line + "\n";
    return text;
}

TEST(CBatchRunner, FilesRunInOrderIntoOneConsole) {
    testfiles::ScratchDir dir;
    dir.Write("one.sql", "-- first file\r\nalpha\r\n");
    dir.Write("two.sql", "beta");
    Result r = RunMain({"--batch", "one.sql", "two.sql"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, Console({"SQL> -- first file", "SQL> alpha", kUnknown, "SQL> beta", kUnknown, "SQL> "}));
}

TEST(CBatchRunner, MissingFileIsReportedAndTheRestStillRuns) {
    testfiles::ScratchDir dir;
    dir.Write("two.sql", "beta\n");
    Result r = RunMain({"--batch", "absent.sql", "two.sql"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("absent.sql"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("ファイルを開けません"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, Console({"SQL> beta", kUnknown, "SQL> "}));
}

TEST(CBatchRunner, DirectoryIsNotAReadableFile) {
    testfiles::ScratchDir dir;
    Result r = RunMain({"--batch", dir.Path().string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, Console({"SQL> "}));
}

TEST(CBatchRunner, ExitEndsTheReplay) {
    testfiles::ScratchDir dir;
    dir.Write("one.sql", "alpha\nEXIT\ngamma\n");
    dir.Write("two.sql", "delta\n");
    Result r = RunMain({"--batch", "one.sql", "two.sql"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, Console({"SQL> alpha", kUnknown, "SQL> EXIT", "SQL> "}));
}

TEST(CBatchRunner, ExitInsideAScriptEndsItToo) {
    testfiles::ScratchDir dir;
    dir.Write("inner.sql", "alpha\nexit\ngamma\n");
    dir.Write("outer.sql", "@inner.sql\ndelta\n");
    Result r = RunMain({"--batch", "outer.sql"});
    EXPECT_EQ(r.out, Console({"SQL> @inner.sql", kUnknown, "SQL> "}));
}

TEST(CBatchRunner, ClearScreenEmptiesTheConsole) {
    Result r = RunMain({"--batch"}, "alpha\nCLEAR SCREEN\nbeta\n");
    EXPECT_EQ(r.out, Console({"SQL> beta", kUnknown, "SQL> "}));
}

TEST(CBatchRunner, SlashRerunsTheLineBefore) {
    Result r = RunMain({"--batch", "-"}, "alpha\n/\n");
    EXPECT_EQ(r.out, Console({"SQL> alpha", kUnknown, "SQL> /", "SQL> alpha", kUnknown, "SQL> "}));
}

TEST(CBatchRunner, SlashDoesNotRerunItself) {
    Result r = RunMain({}, "/\n/\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, Console({"SQL> /", "SQL> /", "SQL> /", "SQL> /", "SQL> "}));
}

TEST(CBatchRunner, StandardInputWithoutArguments) {
    Result r = RunMain({}, "DEFINE X=1\nzeta");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, Console({"SQL> DEFINE X=1", "SQL> zeta", kUnknown, "SQL> "}));
}

TEST(CBatchRunner, FilesWithoutBatchOptionRunAsBatch) {
    testfiles::ScratchDir dir;
    dir.Write("one.sql", "alpha\n");
    Result r = RunMain({"one.sql"});
    EXPECT_EQ(r.out, Console({"SQL> alpha", kUnknown, "SQL> "}));
}

TEST(CBatchRunner, OptionTable) {
    struct {
        std::vector<std::string> args;
        int status;
        bool usageOnOut;
        bool usageOnErr;
    } cases[] = {
        {{"--help"}, 0, true, false},
        {{"-h"}, 0, true, false},
        {{"--batch", "--help"}, 0, true, false},
        {{"--bogus"}, 2, false, true},
        {{"--batch", "-x"}, 2, false, true},
    };
    for (const auto& c : cases) {
        Result r = RunMain(c.args);
        EXPECT_EQ(r.status, c.status) << c.args.back();
        EXPECT_EQ(r.out.rfind("使用方法: ", 0) == 0, c.usageOnOut) << c.args.back();
        EXPECT_EQ(r.err.find("使用方法: ") != std::string::npos, c.usageOnErr) << c.args.back();
    }
}

TEST(CBatchRunner, DoubleDashEndsOptions) {
    testfiles::ScratchDir dir;
    dir.Write("--odd.sql", "alpha\n");
    Result r = RunMain({"--batch", "--", "--odd.sql"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, Console({"SQL> alpha", kUnknown, "SQL> "}));
}

TEST(CBatchRunner, OutputIsUtf8AndKeepsInvalidBytesVisible) {
    // "表" in CP932 is 0x95 0x5C; 0xFF is no CP932 byte at all.
    Result r = RunMain({}, "-- \x95\x5C\n-- \xFF\n");
    EXPECT_EQ(r.out, Console({"SQL> -- 表", "SQL> -- \xEF\xBF\xBD", "SQL> "}));
}

TEST(CBatchRunner, ManyLinesAreAllWritten) {
    std::string input;
    for (int i = 0; i < 20000; ++i) input += "-- " + std::to_string(i) + "\n";
    Result r = RunMain({}, input);
    std::istringstream lines(r.out);
    std::string line;
    int count = 0;
    std::string last;
    while (std::getline(lines, line)) {
        ++count;
        if (count == 20000) last = line;
    }
    EXPECT_EQ(count, 20001);
    EXPECT_EQ(last, "SQL> -- 19999");
}

TEST(CBatchRunner, RunnerIsUsableWithoutAProcess) {
    CBatchRunner runner;
    std::istringstream in("alpha\n");
    std::ostringstream err;
    EXPECT_TRUE(runner.RunFile("-", in, err));
    EXPECT_FALSE(runner.IsClosed());
    EXPECT_EQ(runner.GetEditor().GetLineCount(), 3);
    std::istringstream bye("EXIT\n");
    EXPECT_TRUE(runner.RunFile("-", bye, err));
    EXPECT_TRUE(runner.IsClosed());
}

}  // namespace

namespace {

TEST(CBatchRunner, FailedOutputIsNotReportedAsSuccess) {
    CBatchRunner runner;
    std::istringstream in("-- x\n");
    std::ostringstream out;
    std::ostringstream err;
    out.setstate(std::ios::badbit);
    EXPECT_EQ(runner.Run({}, in, out, err), 1);
    EXPECT_NE(err.str().find("出力"), std::string::npos);
}

}  // namespace
