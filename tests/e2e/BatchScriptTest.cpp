// Runs the built program on script files against a fresh embedded database
// and compares the whole console it writes.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "console/TestFiles.h"

namespace {

struct RunResult {
    int status;
    std::string out;
    std::string err;
};

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class BatchScript : public ::testing::Test {
protected:
    // Writes each script (UTF-8 here, CP932 on disk) and runs them in order.
    RunResult RunScripts(const std::vector<std::string>& scripts, const std::string& stdinText = "") {
        const char* bin = std::getenv("TARVEX_BIN");
        if (bin == nullptr) return {-1, "", "TARVEX_BIN is not set"};
        std::string command = "TARVEX_HOME='" + (m_dir.Path() / "home").string() + "' '" + bin + "' --batch";
        for (std::size_t i = 0; i < scripts.size(); ++i) {
            std::string name = "script" + std::to_string(i) + ".sql";
            m_dir.Write(name, testfiles::Sjis(scripts[i]));
            command += " " + name;
        }
        m_dir.Write("stdin.txt", testfiles::Sjis(stdinText));
        command += " < stdin.txt > out.txt 2> err.txt";
        int raw = std::system(command.c_str());
        int status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        return {status, ReadAll("out.txt"), ReadAll("err.txt")};
    }

    static std::string Console(const std::vector<std::string>& lines) {
        std::string text;
        for (const auto& line : lines) text += line + "\n";
        return text;
    }

    testfiles::ScratchDir m_dir;
};

const char kCreate[] =
    "CONNECT scott/tiger\n"
    "CREATE TABLE emp (ename VARCHAR2(10), sal NUMBER(7,2), hired DATE);\n"
    "INSERT INTO emp VALUES ('smith', 800, NULL);\n"
    "INSERT INTO emp VALUES ('allen', 1600, NULL);\n";

TEST_F(BatchScript, ConnectCreateInsertSelect) {
    RunResult r = RunScripts({std::string(kCreate) + "SELECT ename, sal FROM emp;\n"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, Console({
                         "SQL> CONNECT scott/tiger",
                         "接続に成功しました。",
                         "SQL> CREATE TABLE emp (ename VARCHAR2(10), sal NUMBER(7,2), hired DATE);",
                         "表が作成されました。",
                         "SQL> INSERT INTO emp VALUES ('smith', 800, NULL);",
                         "1行が作成されました。",
                         "SQL> INSERT INTO emp VALUES ('allen', 1600, NULL);",
                         "1行が作成されました。",
                         "SQL> SELECT ename, sal FROM emp;",
                         "",
                         "ENAME      SAL        ",
                         "---------- ---------- ",
                         "SMITH      800        ",
                         "ALLEN      1600       ",
                         "",
                         "2行が選択されました。",
                         "",
                         "SQL> ",
                     }));
}

TEST_F(BatchScript, StatementOverSeveralLinesAndRowCounts) {
    RunResult r = RunScripts({std::string(kCreate) + "UPDATE emp\n"
                                                     "   SET sal = sal + 1\n"
                                                     ";\n"
                                                     "DELETE FROM emp WHERE ename = 'NOBODY';\n"
                                                     "SELECT ename FROM emp WHERE sal > 5000;\n"});
    EXPECT_EQ(r.status, 0) << r.err;
    std::string expectedTail = Console({
        "SQL> UPDATE emp",
        "SQL>    SET sal = sal + 1",
        "SQL> ;",
        "2行が更新されました。",
        "SQL> DELETE FROM emp WHERE ename = 'NOBODY';",
        "0行が削除されました。",
        "SQL> SELECT ename FROM emp WHERE sal > 5000;",
        "",
        "ENAME      ",
        "---------- ",
        "",
        "0行が選択されました。",
        "",
        "SQL> ",
    });
    ASSERT_GE(r.out.size(), expectedTail.size());
    EXPECT_EQ(r.out.substr(r.out.size() - expectedTail.size()), expectedTail) << r.out;
}

TEST_F(BatchScript, DescribeListsColumns) {
    RunResult r = RunScripts({std::string(kCreate) + "desc emp\n"});
    EXPECT_EQ(r.status, 0) << r.err;
    std::string expectedTail = Console({
        "SQL> desc emp",
        "名前                 NULL?    型",
        "-------------------- -------- --------------------",
        "ENAME                         VARCHAR2(10)",
        "SAL                           NUMBER(7, 2)",
        "HIRED                         DATE",
        "",
        "SQL> ",
    });
    ASSERT_GE(r.out.size(), expectedTail.size());
    EXPECT_EQ(r.out.substr(r.out.size() - expectedTail.size()), expectedTail) << r.out;
}

TEST_F(BatchScript, ErrorReportMarksTheFailingLine) {
    RunResult r = RunScripts({std::string(kCreate) + "SELECT ename,\n  nosuch FROM emp;\n"});
    EXPECT_EQ(r.status, 0) << r.err;
    std::string expected = Console({
        "SQL> SELECT ename,",
        "SQL>   nosuch FROM emp;",
        "  nosuch FROM emp;",
        "  *",
        "エラー行: 1: エラーが発生しました。",
    });
    std::size_t at = r.out.find(expected);
    ASSERT_NE(at, std::string::npos) << r.out;
    // The server's message follows, then the fresh prompt.
    std::string rest = r.out.substr(at + expected.size());
    EXPECT_NE(rest.find("NOSUCH"), std::string::npos) << rest;
    EXPECT_EQ(rest.substr(rest.size() - 6), "SQL> \n");
}

TEST_F(BatchScript, DefineSubstitutesAndColumnFormatNarrows) {
    RunResult r = RunScripts({std::string(kCreate) + "define t = emp\n"
                                                     "COLUMN ename FORMAT a3\n"
                                                     "COLUMN sal FORMAT 999\n"
                                                     "SELECT ename FROM &t WHERE sal < 1000;\n"
                                                     "CLEAR COLUMNS\n"
                                                     "SELECT ename FROM &T WHERE sal < 1000;\n"});
    EXPECT_EQ(r.status, 0) << r.err;
    std::string expectedTail = Console({
        "SQL> define t = emp",
        "SQL> COLUMN ename FORMAT a3",
        "SQL> COLUMN sal FORMAT 999",
        "FORMAT文字列\"999\"が不正です。",
        "SQL> SELECT ename FROM &t WHERE sal < 1000;",
        "",
        "ENA ",
        "--- ",
        "SMI ",
        "",
        "1行が選択されました。",
        "",
        "SQL> CLEAR COLUMNS",
        "SQL> SELECT ename FROM &T WHERE sal < 1000;",
        "",
        "ENAME      ",
        "---------- ",
        "SMITH      ",
        "",
        "1行が選択されました。",
        "",
        "SQL> ",
    });
    ASSERT_GE(r.out.size(), expectedTail.size());
    EXPECT_EQ(r.out.substr(r.out.size() - expectedTail.size()), expectedTail) << r.out;
}

TEST_F(BatchScript, SetAndShowOptions) {
    RunResult r =
        RunScripts({"show numwidth\n"
                    "SET NUMWIDTH 51\n"
                    "SET NUMWIDTH 020\n"
                    "SHOW NUM\n"
                    "SET HEADING maybe\n"
                    "SET AUTOCOMMIT ON\n"
                    "SHOW HEADING\n"
                    "SHOW SERVEROUTPUT\n"
                    "CONNECT a/b\n"
                    "SET AUTO IMM\n"
                    "SHOW AUTOCOMMIT\n"
                    "SET HEADING OFF\n"
                    "SELECT 'x' FROM dual;\n"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, Console({
                         "SQL> show numwidth",
                         "NUMWIDTH 10",
                         "SQL> SET NUMWIDTH 51",
                         "numwidthオプション 0が範囲外です(範囲: 2～50)。",
                         "SQL> SET NUMWIDTH 020",
                         "SQL> SHOW NUM",
                         "NUMWIDTH 020",
                         "SQL> SET HEADING maybe",
                         "headingをONまたはOFFに設定する必要があります。",
                         "SQL> SET AUTOCOMMIT ON",
                         "接続されていません。",
                         "SQL> SHOW HEADING",
                         "HEADING ON",
                         "SQL> SHOW SERVEROUTPUT",
                         "SERVEROUTPUT OFF",
                         "SQL> CONNECT a/b",
                         "接続に成功しました。",
                         "SQL> SET AUTO IMM",
                         "SQL> SHOW AUTOCOMMIT",
                         "AUTOCOMMIT IMMEDIATE",
                         "SQL> SET HEADING OFF",
                         "SQL> SELECT 'x' FROM dual;",
                         "",
                         "X ",
                         "",
                         "1行が選択されました。",
                         "",
                         "SQL> ",
                     }));
}

TEST_F(BatchScript, CommentsUnknownCommandsAndDisconnect) {
    RunResult r =
        RunScripts({"REM setup\n"
                    "/* a block\n"
                    "   comment */\n"
                    "DESC\n"
                    "DISCONNECT\n"
                    "CONNECT scott\n"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, Console({
                         "SQL> REM setup",
                         "SQL> /* a block",
                         "SQL>    comment */",
                         "SQL> DESC",
                         "不明なコマンドです。",
                         "SQL> DISCONNECT",
                         "接続されていません。",
                         "SQL> CONNECT scott",
                         "不明なコマンドです。",
                         "SQL> ",
                     }));
}

TEST_F(BatchScript, DataSurvivesInTheNamedDatabase) {
    RunResult first =
        RunScripts({"CONNECT u/p@shop\nCREATE TABLE t (n NUMBER);\nINSERT INTO t VALUES (7);\nEXIT\nSELECT 1 "
                    "FROM dual;\n"});
    EXPECT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(first.out.substr(first.out.size() - 16), "SQL> EXIT\nSQL> \n");
    RunResult second = RunScripts({"CONNECT u/p@shop\nSELECT n FROM t;\n"});
    EXPECT_NE(second.out.find("\n7          \n"), std::string::npos) << second.out;
}

TEST_F(BatchScript, ScriptsRerunAndMissingFiles) {
    m_dir.Write("inner.sql", testfiles::Sjis("SHOW HEAD\nSHOW NUM\n"));
    RunResult r = RunScripts({"@inner.sql\n@absent.sql\nSHOW AUTO\n/\n"}, "SHOW HEAD\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, Console({
                         "SQL> @inner.sql",
                         "HEADING ON",
                         "NUMWIDTH 10",
                         "SQL> @absent.sql",
                         "ファイルを開けません: absent.sql",
                         "SQL> SHOW AUTO",
                         "AUTOCOMMIT OFF",
                         "SQL> /",
                         "SQL> SHOW AUTO",
                         "AUTOCOMMIT OFF",
                         "SQL> ",
                     }));
}

TEST_F(BatchScript, UnreadableFileGivesStatusOne) {
    RunResult r = RunScripts({"SHOW HEAD\n"});
    ASSERT_EQ(r.status, 0);
    const char* bin = std::getenv("TARVEX_BIN");
    ASSERT_NE(bin, nullptr);
    std::string command = std::string("'") + bin + "' --batch nothere.sql script0.sql > out2.txt 2> err2.txt";
    int raw = std::system(command.c_str());
    EXPECT_EQ(WEXITSTATUS(raw), 1);
    EXPECT_EQ(ReadAll("out2.txt"), Console({"SQL> SHOW HEAD", "HEADING ON", "SQL> "}));
    EXPECT_NE(ReadAll("err2.txt").find("nothere.sql"), std::string::npos);
}

TEST_F(BatchScript, HelpPrintsUsage) {
    const char* bin = std::getenv("TARVEX_BIN");
    ASSERT_NE(bin, nullptr);
    int raw = std::system((std::string("'") + bin + "' --help > help.txt").c_str());
    EXPECT_EQ(WEXITSTATUS(raw), 0);
    EXPECT_EQ(ReadAll("help.txt").rfind("使用方法: tarvex", 0), 0u);
}

TEST_F(BatchScript, BindVariablesAndBlocks) {
    RunResult r =
        RunScripts({"CONNECT a/b\n"
                    "VARIABLE n NUMBER\n"
                    "EXECUTE :n := 6 * 7\n"
                    "PRINT n\n"
                    "BEGIN\n"
                    "  :n := :n + 1;\n"
                    "END;\n"
                    "/\n"
                    "print n\n"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, Console({
                         "SQL> CONNECT a/b",
                         "接続に成功しました。",
                         "SQL> VARIABLE n NUMBER",
                         "SQL> EXECUTE :n := 6 * 7",
                         "",
                         "PL/SQLプロシージャが正常に完了しました。",
                         "",
                         "SQL> PRINT n",
                         "",
                         "N",
                         "--------------------",
                         "42",
                         "",
                         "SQL> BEGIN",
                         "SQL>   :n := :n + 1;",
                         "SQL> END;",
                         "SQL> /",
                         "PL/SQLプロシージャが正常に完了しました。",
                         "SQL> print n",
                         "",
                         "N",
                         "--------------------",
                         "43",
                         "",
                         "SQL> ",
                     }));
}

TEST_F(BatchScript, JapaneseNamesAndValuesAreCutByBytes) {
    RunResult r =
        RunScripts({"CONNECT a/b\n"
                    "CREATE TABLE 社員 (名前 VARCHAR2(6), メモ VARCHAR2(20));\n"
                    "INSERT INTO 社員 VALUES ('山田太郎', 'ｶﾀｶﾅ');\n"
                    "SELECT * FROM 社員;\n"});
    EXPECT_EQ(r.status, 0) << r.err;
    std::string expectedTail = Console({
        "SQL> SELECT * FROM 社員;",
        "",
        "名前   メモ                 ",
        "------ -------------------- ",
        "山田太 ｶﾀｶﾅ                 ",
        "",
        "1行が選択されました。",
        "",
        "SQL> ",
    });
    ASSERT_GE(r.out.size(), expectedTail.size());
    EXPECT_EQ(r.out.substr(r.out.size() - expectedTail.size()), expectedTail) << r.out;
}

TEST_F(BatchScript, ClearScreenLeavesOnlyWhatFollows) {
    RunResult r = RunScripts({"SHOW NUM\nclear screen\n", "SHOW HEAD\n"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, Console({"SQL> SHOW HEAD", "HEADING ON", "SQL> "}));
}

}  // namespace
