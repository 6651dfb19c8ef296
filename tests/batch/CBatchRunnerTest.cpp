#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "batch/CBatchHost.h"
#include "batch/CBatchRunner.h"
#include "tests/support/TempDir.h"

namespace {

std::string Input(const CSQLEditor& editor) { return editor.GetLine(editor.GetLineCount() - 1).substr(5); }

struct Result {
    int status;
    std::string out, err;
};

Result RunMain(const std::vector<std::string>& args, const std::string& input = "") {
    std::istringstream in(input);
    std::ostringstream out, err;
    int status = CBatchRunner::Main(args, in, out, err);
    return {status, out.str(), err.str()};
}

// The console as written: '|' ends each line, "?" is the unknown-command answer.
std::string Console(const std::string& lines) {
    std::string text;
    std::istringstream in(lines + "|");
    for (std::string line; std::getline(in, line, '|');)
        text += (line == "?" ? "不明なコマンドです。" : line) + "\n";
    return text;
}

TEST(CBatchRunner, RunCases) {
    const struct {
        const char* name;
        std::string args, stdinText, console;  // arguments separated by spaces
        int status;
        std::string errHas;  // parts separated by '|'; "": nothing on the error stream
    } cases[] = {
        {"files run in order into one console, standard input unread", "--batch one.sql two.sql", "gamma\n",
         "SQL> -- first file|SQL> alpha|?|SQL> beta|?|SQL> ", 0, ""},
        {"a missing file is reported and the rest still runs", "--batch absent.sql two.sql", "",
         "SQL> beta|?|SQL> ", 1, "absent.sql|ファイルを開けません"},
        {"a directory is no readable file", "--batch .", "", "SQL> ", 1, "通常のファイルではありません: ."},
        {"EXIT ends the replay", "--batch exit.sql two.sql", "", "SQL> alpha|?|SQL> EXIT|SQL> ", 0, ""},
        {"exit inside a script ends it too", "--batch outer.sql", "", "SQL> @inner.sql|?|SQL> ", 0, ""},
        {"CLEAR SCREEN empties the console", "--batch", "alpha\nCLEAR SCREEN\nbeta\n", "SQL> beta|?|SQL> ", 0,
         ""},
        {"slash runs the statement buffer again, not the line before", "--batch -",
         "select 1 from dual;\nalpha\n/\n",
         "SQL> select 1 from dual;|ORA-03114: データベースに接続されていません。|SQL> alpha|?|SQL> /|"
         "ORA-03114: データベースに接続されていません。|SQL> ",
         0, ""},
        {"slash with an empty buffer says so", "", "/\n/\n",
         "SQL> /|SQLバッファに実行する文がありません。|SQL> /|SQLバッファに実行する文がありません。|SQL> ", 0,
         ""},
        {"standard input without arguments", "", "DEFINE X=1\nzeta", "SQL> DEFINE X=1|SQL> zeta|?|SQL> ", 0,
         ""},
        {"files without --batch run as batch", "alpha.sql", "", "SQL> alpha|?|SQL> ", 0, ""},
        {"-- ends the options", "--batch -- --odd.sql", "", "SQL> alpha|?|SQL> ", 0, ""},
        {"after a file, -- begins its arguments", "--batch args.sql -- first second", "",
         "SQL> prompt &1 [&2]|first [second]|SQL> ", 0, ""},
        {"--define defines before the first file", "--batch --define x=7 --define Y=a=b defs.sql", "",
         "SQL> prompt &x &y|7 a=b|SQL> ", 0, ""},
        {"a variable without a value is read from standard input", "--batch ask.sql", "hello\nworld\n",
         "SQL> prompt &v &v|vに値を入力してください: hello|vに値を入力してください: world|hello world|SQL> ",
         0, ""},
        {"ACCEPT HIDE shows the prompt alone; PAUSE goes on without a terminal", "--batch acc.sql",
         "s3cret\n\n",
         "SQL> accept pw char prompt 'Password: ' hide|Password: |SQL> pause Press Enter|Press Enter|"
         "SQL> accept n num default 5 noprompt|5|SQL> prompt [&n] [&pw]|[5] [s3cret]|SQL> accept x number|"
         "変数xの値が入力されませんでした。|SQL> ",
         0, ""},
        {"with no input left the statement does not run", "--batch ask.sql", "hello\n",
         "SQL> prompt &v &v|vに値を入力してください: hello|"
         "置換変数vの値が入力されなかったため、文を実行しませんでした。|SQL> ",
         0, ""},
        // "表" in CP932 is 0x95 0x5C; 0xFF is no CP932 byte at all.
        {"output is UTF-8 and keeps invalid bytes visible", "", "-- \x95\x5C\n-- \xFF\n",
         "SQL> -- 表|SQL> -- \xEF\xBF\xBD|SQL> ", 0, ""},
        {"a UTF-8 script and one with a byte-order mark are read as such", "--batch utf8.sql bom.sql", "",
         "SQL> prompt 日本語|日本語|SQL> prompt 表|表|SQL> ", 0, ""},
        {"a character CP932 cannot hold refuses only its statement", "--batch bad.sql two.sql", "",
         "SQL> prompt a|a|SQL> prompt 日本語|日本語|SQL> prompt \x1AU+00E9|prompt \x1AU+00E9|       *|"
         "エラー行: 0: エラーが発生しました。|文字U+00E9はCP932で表せないため、この文は実行しませんでした。|"
         "SQL> beta|?|SQL> ",
         0, ""},
        {"UTF-8 that is not well-formed refuses the whole script", "--batch --encoding utf-8 broken.sql", "",
         "2行目の文字を CP932 に変換できません。|SQL> ", 1, "broken.sql|2行目"},
        {"UTF-8 that is also valid CP932 is read as UTF-8", "--batch both.sql", "", "SQL> prompt 日|日|SQL> ",
         0, ""},
        {"forced CP932 reads the bytes as they are", "--batch --encoding cp932 plain.sql", "",
         "SQL> prompt 表|表|SQL> ", 0, ""},
        {"WHENEVER SQLERROR EXIT ends the run with its status", "--batch when.sql two.sql", "",
         "SQL> whenever sqlerror exit 5|SQL> exec null|接続されていません。|SQL> ", 5, ""},
        {"WHENEVER OSERROR EXIT ends the run at a script that cannot be read", "--batch os.sql two.sql", "",
         "SQL> whenever oserror exit 6|SQL> @absent.sql|ファイルを開けません: absent.sql|SQL> ", 6, ""},
        {"@@ in a file from another folder names files beside it; @ stays with the current folder",
         "--batch lib/main.sql top.sql", "",
         "SQL> @@part|part of lib|SQL> @part|ファイルを開けません: part|SQL> @@part|"
         "ファイルを開けません: part|SQL> ",
         0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testfiles::ScratchDir dir;
        std::filesystem::create_directory(dir.Path("lib"));
        for (const auto& [name, bytes] : {std::pair{"one.sql", "-- first file\r\nalpha\r\n"},
                                          {"two.sql", "beta"},
                                          {"exit.sql", "alpha\nEXIT\ngamma\n"},
                                          {"inner.sql", "alpha\nexit\ngamma\n"},
                                          {"outer.sql", "@inner.sql\ndelta\n"},
                                          {"alpha.sql", "alpha\n"},
                                          {"args.sql", "prompt &1 [&2]\n"},
                                          {"acc.sql",
                                           "accept pw char prompt 'Password: ' hide\npause Press Enter\n"
                                           "accept n num default 5 noprompt\nprompt [&n] [&pw]\n"
                                           "accept x number\n"},
                                          {"broken.sql", "prompt a\nprompt \xC3\n"},
                                          {"defs.sql", "prompt &x &y\n"},
                                          {"ask.sql", "prompt &v &v\n"},
                                          {"--odd.sql", "alpha\n"},
                                          {"utf8.sql", "prompt 日本語\n"},
                                          {"bom.sql", "\xEF\xBB\xBFprompt 表"},
                                          {"bad.sql", "prompt a\nprompt 日本語\nprompt \xC3\xA9\n"},
                                          {"both.sql", "prompt \xE6\x97\xA5\n"},
                                          {"plain.sql", "prompt \x95\x5C\n"},
                                          {"when.sql", "whenever sqlerror exit 5\nexec null\nalpha\n"},
                                          {"os.sql", "whenever oserror exit 6\n@absent.sql\nalpha\n"},
                                          {"lib/main.sql", "@@part\n@part\n"},
                                          {"lib/part.sql", "prompt part of lib\n"},
                                          {"top.sql", "@@part\n"}})
            dir.Write(name, bytes);
        std::vector<std::string> args;
        std::istringstream words(c.args);
        for (std::string word; words >> word;) args.push_back(word);
        Result r = RunMain(args, c.stdinText);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.out, Console(c.console));
        EXPECT_EQ(r.err.empty(), c.errHas.empty()) << r.err;
        std::istringstream parts(c.errHas);
        for (std::string part; std::getline(parts, part, '|');)
            EXPECT_NE(r.err.find(part), std::string::npos) << r.err;
    }
}

TEST(CBatchRunner, OptionTable) {
    const struct {
        std::vector<std::string> args;
        int status;
        bool usageOnOut, usageOnErr;
    } cases[] = {
        {{"--help"}, 0, true, false},
        {{"-h"}, 0, true, false},
        {{"--batch", "--help"}, 0, true, false},
        {{"--bogus"}, 2, false, true},
        {{"--batch", "-x"}, 2, false, true},
        {{"--batch", "--encoding"}, 2, false, true},
        {{"--batch", "--encoding", "latin1", "f.sql"}, 2, false, true},
        {{"--batch", "--define", "novalue", "f.sql"}, 2, false, true},
        {{"--batch", "--define"}, 2, false, true},
    };
    for (const auto& c : cases) {
        Result r = RunMain(c.args);
        EXPECT_EQ(r.status, c.status) << c.args.back();
        EXPECT_EQ(r.out.rfind("使用方法: ", 0) == 0, c.usageOnOut) << c.args.back();
        EXPECT_EQ(r.err.find("使用方法: ") != std::string::npos, c.usageOnErr) << c.args.back();
    }
}

TEST(CBatchRunner, VersionIsTheAboutBoxLine) {
    EXPECT_EQ(RunMain({"--version"}).out, "Tarvex Version 1.11\n");
    EXPECT_TRUE(CBatchRunner::OwnsCommandLine({"--version"}));
    EXPECT_TRUE(CBatchRunner::OwnsCommandLine({"--batch", "--encoding", "utf-8", "f.sql"}));
    EXPECT_FALSE(CBatchRunner::OwnsCommandLine({"--batch", "f.sql"}));
    EXPECT_FALSE(CBatchRunner::OwnsCommandLine({"--batch", "--pdf", "o.pdf", "--encoding", "utf-8"}));
}

TEST(CBatchRunner, ManyLinesAreAllWritten) {
    std::string input;
    for (int i = 0; i < 20000; ++i) input += "-- " + std::to_string(i) + "\n";
    std::istringstream lines(RunMain({}, input).out);
    std::string line, last;
    int count = 0;
    while (std::getline(lines, line))
        if (++count == 20000) last = line;
    EXPECT_EQ(count, 20001);
    EXPECT_EQ(last, "SQL> -- 19999");
}

TEST(CBatchRunner, RunnerIsUsableWithoutAProcessAndReportsFailedOutput) {
    CBatchRunner runner;
    std::istringstream in("alpha\n"), bye("EXIT\n");
    std::ostringstream err;
    EXPECT_TRUE(runner.RunFile("-", in, err));
    EXPECT_FALSE(runner.IsClosed());
    EXPECT_EQ(runner.GetEditor().GetLineCount(), 3);
    EXPECT_TRUE(runner.RunFile("-", bye, err));
    EXPECT_TRUE(runner.IsClosed());

    CBatchRunner failing;
    std::istringstream note("-- x\n");
    std::ostringstream out, failed;
    out.setstate(std::ios::badbit);
    EXPECT_EQ(failing.Run({}, note, out, failed), 1);
    EXPECT_NE(failed.str().find("出力"), std::string::npos);
}

TEST(CBatchHost, KeysPlayTheKeyTableAndCommandsReachTheConsole) {
    CSQLEditor editor;
    CBatchHost host(editor);
    for (const char* line : {"-- a", "-- b", "-- c"}) {
        editor.InsertText(line);
        editor.Submit();
    }
    host.SendKey(CConsoleHost::Key::Up);
    EXPECT_EQ(Input(editor), "-- c");
    host.SendKey(CConsoleHost::Key::Up);
    EXPECT_EQ(Input(editor), "-- b");
    host.SendKey(CConsoleHost::Key::Return);
    EXPECT_EQ(Input(editor), "");
    EXPECT_EQ(editor.GetHistory().back(), "-- b");
    EXPECT_EQ(editor.GetLine(editor.GetLineCount() - 2), "SQL> -- b");

    host.SendCommand(CConsoleHost::Command::Clear);
    EXPECT_EQ(editor.GetLineCount(), 1);
    EXPECT_FALSE(host.IsCloseRequested());
    host.PostClose();  // only recorded
    EXPECT_TRUE(host.IsCloseRequested());
    EXPECT_EQ(editor.GetLineCount(), 1);
}

}  // namespace
