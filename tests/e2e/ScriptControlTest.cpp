// Scripts of the kind DBAs and developers write, run through the batch
// runner on both engines: substitution variables, prompts, the statement
// buffer and nested scripts, with their exact console text.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "e2e/ScriptRun.h"

namespace {

class ScriptControl : public ScriptRun, public ::testing::WithParamInterface<Road> {
protected:
    ScriptControl() { m_road = GetParam(); }
};

TEST_P(ScriptControl, CommitWithoutConnectionIsAnErrorButNoLostWork) {
    const RunResult r = RunScripts({"DISCONNECT\nCOMMIT;\n"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find("ORA-03114"), std::string::npos) << r.out;
}

const char kEmp[] =
    "CONNECT scott/tiger\n"
    "CREATE TABLE emp (ename VARCHAR2(10), sal NUMBER(7,2));\n"
    "INSERT INTO emp VALUES ('smith', 800);\n"
    "INSERT INTO emp VALUES ('allen', 1600);\n";

// The console from the line `from` on.
std::string From(const std::string& out, const std::string& from) {
    const std::size_t at = out.find(Sj(from));
    return at == std::string::npos ? out : out.substr(at);
}

TEST_P(ScriptControl, ParametersReachNestedScriptsRelativeToTheirCaller) {
    std::filesystem::create_directory(m_dir.Path("reports"));
    m_dir.Write("reports/top.sql", Sj("PROMPT 給与が&1を超える社員\n@@detail &1 ename\n"));
    m_dir.Write("reports/detail.sql", "SET ECHO ON\nSELECT &2 FROM emp\n WHERE sal > &1;\nSET ECHO OFF\n");
    ExpectRun(
        "SQL> START reports/top 1000|給与が1000を超える社員|"
        "     SELECT &2 FROM emp|      WHERE sal > &1;||"
        "ENAME      |---------- |allen      ||1行が選択されました。||"
        "     SET ECHO OFF|SQL> PROMPT &1 &2|1000 ename|SQL> ",
        std::string(kEmp));
}

TEST_P(ScriptControl, UndefinedVariablesAreAskedOnStandardInput) {
    ExpectRun(
        "SQL> SET VERIFY ON|SQL> SELECT ename FROM emp WHERE sal > &&minsal ORDER BY ename;|"
        "minsalに値を入力してください: 700|旧   1: SELECT ename FROM emp WHERE sal > &&minsal ORDER "
        "BY ename;|"
        "新   1: SELECT ename FROM emp WHERE sal > 700 ORDER BY ename;||ENAME      |---------- |"
        "allen      |smith      ||2行が選択されました。||SQL> SELECT '&minsal..00' AS v FROM dual;|"
        "旧   1: SELECT '&minsal..00' AS v FROM dual;|新   1: SELECT '700.00' AS v FROM dual;||"
        "V      |------ |700.00 ||1行が選択されました。||SQL> ACCEPT who CHAR PROMPT 'Name: '|"
        "Name: smith|SQL> SELECT sal FROM emp WHERE ename = '&who';|"
        "旧   1: SELECT sal FROM emp WHERE ename = '&who';|新   1: SELECT sal FROM emp WHERE ename = "
        "'smith';||"
        "SAL        |---------- |800        ||1行が選択されました。||SQL> SET VERIFY OFF|"
        "SQL> UPDATE emp SET sal = 0 WHERE ename = '&nobody';|"
        "置換変数nobodyの値が入力されなかったため、文を実行しませんでした。|"
        "SQL> SELECT COUNT(*) AS n FROM emp WHERE sal = 0;||N          |---------- |0          ||"
        "1行が選択されました。||SQL> ",
        std::string(kEmp), "700\nsmith\n");
}

TEST_P(ScriptControl, CommandLineDefinesAndEscapes) {
    const RunResult r = RunScripts({"PROMPT &owner &title\nDEFINE owner\nSET DEFINE OFF\nPROMPT &owner\n"
                                    "SET DEFINE ON\nSET ESCAPE ON\nPROMPT \\&owner\n"},
                                   "", "--define owner=SCOTT --define 'title=週報'");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find(Console(
                  "SQL> PROMPT &owner &title|SCOTT 週報|SQL> DEFINE owner|DEFINE OWNER           = \"SCOTT\" "
                  "(CHAR)|SQL> SET DEFINE OFF|"
                  "SQL> PROMPT &owner|&owner|SQL> SET DEFINE ON|SQL> SET ESCAPE ON|SQL> PROMPT \\&owner|"
                  "&owner|SQL> ")),
              std::string::npos)
        << r.out;
}

TEST_P(ScriptControl, EditingTheBufferSavingAndGettingIt) {
    ExpectRun(
        "SQL> LIST|  1  SELECT ename|  2    FROM emp|  3*  WHERE sal > 1000|SQL> 1|  1* SELECT ename|"
        "SQL> C /ename/ename, sal/|  1* SELECT ename, sal|SQL> A  -- raised|"
        "  1* SELECT ename, sal -- raised|SQL> L 1|  1* SELECT ename, sal -- raised|SQL> DEL LAST|"
        "SQL> I  WHERE sal < 1000|SQL> RUN|  1  SELECT ename, sal -- raised|  2    FROM emp|"
        "  3*  WHERE sal < 1000||ENAME      SAL        |---------- ---------- |smith      800        ||"
        "1行が選択されました。||SQL> SAVE low|ファイルlow.sqlを作成しました。|SQL> SAVE low|"
        "ファイル\"low.sql\"はすでに存在します。SAVE ファイル名 REPLACE を使って下さい。|"
        "SQL> CLEAR BUFFER|SQL> /|SQLバッファに実行する文がありません。|SQL> GET low|"
        "  1  SELECT ename, sal -- raised|  2    FROM emp|  3*  WHERE sal < 1000|SQL> /||"
        "ENAME      SAL        |---------- ---------- |smith      800        ||1行が選択されました。||"
        "SQL> ",
        std::string(kEmp) + "SELECT ename\n  FROM emp\n WHERE sal > 1000;\n");
    EXPECT_EQ(testfiles::Read(m_dir.Path("low.sql")),
              "SELECT ename, sal -- raised\n  FROM emp\n WHERE sal < 1000\n/\n");
}

TEST_P(ScriptControl, ExitStatusesAndTheirTransaction) {
    RunResult r = RunScripts(
        {std::string(kEmp) + "SHOW USER\nCOMMIT;\nDELETE FROM emp;\nEXIT 4 ROLLBACK\nPROMPT not here\n"});
    EXPECT_EQ(r.status, 4) << r.err;
    EXPECT_EQ(From(r.out, "SQL> SHOW USER"), Console("SQL> SHOW USER|USERは\"SCOTT\"です。|SQL> COMMIT;|"
                                                     "コミットが完了しました。|SQL> DELETE FROM emp;|"
                                                     "2行が削除されました。|SQL> EXIT 4 ROLLBACK|SQL> "));
    r =
        RunScripts({"CONNECT scott/tiger\nVARIABLE n NUMBER\nEXEC :n := 2\n"
                    "DEFINE code = 3\nQUIT :n\n"});
    EXPECT_EQ(r.status, 2) << r.out;
    r = RunScripts({"DEFINE code = 3\nQUIT code COMMIT\n"});
    EXPECT_EQ(r.status, 3) << r.out;
    r = RunScripts({"EXIT 256\nEXIT WARNING\n"});
    EXPECT_EQ(r.status, 2) << r.out;
    EXPECT_NE(r.out.find("使用方法: {EXIT|QUIT}"), std::string::npos) << r.out;
}

TEST_P(ScriptControl, ConnectAsksForWhatIsMissingAndNeverShowsThePassword) {
    const RunResult r = RunScripts({"CONNECT scott\nSHOW USER\nCONNECT\nSHOW USER\nCONNECT nobody\n"},
                                   "Tiger-Secret\nadams\nWolf-Secret\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.find("Secret"), std::string::npos) << r.out;
    EXPECT_EQ(
        From(r.out, "SQL> CONNECT scott"),
        Console("SQL> CONNECT scott|パスワードを入力してください: |接続に成功しました。|SQL> SHOW USER|"
                "USERは\"SCOTT\"です。|SQL> CONNECT|ユーザー名を入力してください: adams|"
                "パスワードを入力してください: |接続に成功しました。|SQL> SHOW USER|USERは\"ADAMS\"です。|"
                "SQL> CONNECT nobody|ユーザ名/パスワードを指定して下さい。|SQL> "));
}

TEST_P(ScriptControl, Utf8ScriptRunsWithOnlyTheStatementsCp932CannotHoldRefused) {
    std::string script = "CONNECT scott/tiger\nCREATE TABLE addr (city VARCHAR2(20));\n";
    for (const char* city : {"東京",
                             "Stra\xC3\x9F"
                             "e",
                             "大阪", "S\xC3\xA3o Paulo"})
        script += std::string("INSERT INTO addr VALUES ('") + city + "');\n";
    script +=
        "SELECT COUNT(*) AS n FROM addr;\nWHENEVER SQLERROR EXIT 9\nUPDATE addr SET city = 'Bogot\xC3\xA1';\n"
        "PROMPT not reached\n";
    m_dir.Write("cities.sql", script);
    const RunResult r = RunScripts({"@cities\n"});
    EXPECT_EQ(r.status, 9) << r.err;
    EXPECT_EQ(
        From(r.out, "SQL> @cities"),
        Console("SQL> @cities|接続に成功しました。|表が作成されました。|1行が作成されました。|"
                "INSERT INTO addr VALUES ('Stra\x1AU+00DFe');|                              *|"
                "エラー行: 0: "
                "エラーが発生しました。|文字U+00DFはCP932で表せないため、この文は実行しませんでした。|"
                "1行が作成されました。|INSERT INTO addr VALUES ('S\x1AU+00E3o Paulo');|"
                "                           *|エラー行: 0: エラーが発生しました。|"
                "文字U+00E3はCP932で表せないため、この文は実行しませんでした。||N          |---------- |"
                "2          ||1行が選択されました。||UPDATE addr SET city = 'Bogot\x1AU+00E1';|"
                "                             *|エラー行: 0: エラーが発生しました。|"
                "文字U+00E1はCP932で表せないため、この文は実行しませんでした。|SQL> "));
}

INSTANTIATE_TEST_SUITE_P(Roads, ScriptControl, ::testing::Values(Road::Embedded, Road::Server),
                         [](const auto& info) { return info.param == Road::Server ? "Server" : "Embedded"; });

}  // namespace
