// Runs the built program on script files against a fresh database and
// compares the whole console it writes. Every case runs twice with the same
// expected text: on the embedded engine, and through the server engine over
// the stand-in client library (CONNECT u/p@//localhost/E2E first, so that
// each later CONNECT without "@" reaches the same server).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "e2e/ScriptRun.h"

namespace {

class BatchScript : public ScriptRun, public ::testing::WithParamInterface<Road> {
protected:
    BatchScript() { m_road = GetParam(); }
};

// Cases that hold on the embedded engine alone (faults injected into its file).
class EmbeddedScript : public ScriptRun {};

// `count` INSERT lines of a `width`-byte value each.
std::string Inserts(int count, int width) {
    std::string script;
    for (int i = 0; i < count; ++i)
        script += "INSERT INTO t VALUES ('" + std::string(static_cast<std::size_t>(width), 'x') + "');\n";
    return script;
}

std::size_t Occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

const char kCreate[] =
    "CONNECT scott/tiger\n"
    "CREATE TABLE emp (ename VARCHAR2(10), sal NUMBER(7,2), hired DATE);\n"
    "INSERT INTO emp VALUES ('smith', 800, NULL);\n"
    "INSERT INTO emp VALUES ('allen', 1600, NULL);\n";

TEST_P(BatchScript, TablesRowsAndDescribe) {
    ExpectConsole(
        "SQL> CONNECT scott/tiger|接続に成功しました。|"
        "SQL> CREATE TABLE emp (ename VARCHAR2(10), sal NUMBER(7,2), hired DATE);|"
        "表が作成されました。|SQL> INSERT INTO emp VALUES ('smith', 800, NULL);|"
        "1行が作成されました。|SQL> INSERT INTO emp VALUES ('allen', 1600, NULL);|"
        "1行が作成されました。|SQL> SELECT ename, sal FROM emp;||"
        "ENAME      SAL        |---------- ---------- |smith      800        |"
        "allen      1600       ||2行が選択されました。||SQL> UPDATE emp|"
        "SQL>    SET sal = sal + 1|SQL> ;|2行が更新されました。|"
        "SQL> DELETE FROM emp WHERE ename = 'NOBODY';|0行が削除されました。|"
        "SQL> SELECT ename FROM emp WHERE sal > 5000;||ENAME      |---------- ||"
        "0行が選択されました。||SQL> desc emp|名前                 NULL?    型|"
        "-------------------- -------- --------------------|"
        "ENAME                         VARCHAR2(10)|SAL                           NUMBER(7, 2)|"
        "HIRED                         DATE||SQL> ");
}

// Money sums are exact decimals, and a query's columns are described by
// their types before any row: an empty SUM is a NUMBER column headed S.
TEST_P(BatchScript, SumsAreExactAndColumnsAreTypedBeforeRows) {
    std::string script = "CONNECT scott/tiger\nCREATE TABLE items (qty NUMBER(8), price NUMBER(8,2));\n";
    for (int k = 0; k < 30; ++k) script += "INSERT INTO items VALUES (3, 10.01);\n";
    script +=
        "SELECT SUM(qty * price) s, AVG(price) a FROM items;\n"
        "SELECT SUM(qty) s FROM items WHERE qty < 0;\n"
        "SELECT qty + 1, UPPER('ab') u FROM items WHERE qty < 0;\n"
        "SELECT USER FROM dual;\n";
    RunResult r = RunScripts({script});
    // The session's user, on the server road too.
    EXPECT_NE(r.out.find("\nSCOTT"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(Console("S          A          |---------- ---------- |900.9      10.01      |"
                                 "|1行が選択されました。")),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find(Console("S          |---------- |           ||1行が選択されました。||"
                                 "SQL> SELECT qty + 1, UPPER('ab') u FROM items WHERE qty < 0;||"
                                 "QTY+1      U  |---------- -- ||0行が選択されました。")),
              std::string::npos)
        << r.out;
}

// A NUMBER of more digits than a double holds is stored, read and ordered
// exactly, by a literal and by a bind.
TEST_P(BatchScript, LongNumbersKeepEveryDigitInATable) {
    RunResult r =
        RunScripts({"CONNECT scott/tiger\nSET NUMWIDTH 30\n"
                    "CREATE TABLE big (n NUMBER);\n"
                    "INSERT INTO big VALUES (12345678901234567890.123);\n"
                    "VARIABLE v NUMBER\nEXECUTE :v := -0.1234567890123456789\n"
                    "INSERT INTO big VALUES (:v);\n"
                    "INSERT INTO big SELECT n + 0.001 FROM big WHERE n > 0;\n"
                    "SELECT n FROM big ORDER BY n DESC;\n"});
    EXPECT_NE(r.out.find(Console("N                              |------------------------------ |"
                                 "12345678901234567890.124       |12345678901234567890.123       |"
                                 "-.1234567890123456789          ||3行が選択されました。")),
              std::string::npos)
        << r.out;
}

TEST_P(BatchScript, MergeTellsTheRowsMerged) {
    RunResult r = RunScripts({std::string(kCreate) +
                              "MERGE INTO emp e USING (SELECT 'smith' n, 5 s FROM dual UNION ALL "
                              "SELECT 'jones', 7 FROM dual) x ON (e.ename = x.n)\n"
                              "WHEN MATCHED THEN UPDATE SET e.sal = e.sal + x.s\n"
                              "WHEN NOT MATCHED THEN INSERT (ename, sal) VALUES (x.n, x.s);\n"
                              "SELECT ename, sal FROM emp ORDER BY ename;\n"});
    EXPECT_NE(r.out.find(Console("2行がマージされました。|SQL> SELECT ename, sal FROM emp ORDER BY ename;||"
                                 "ENAME      SAL        |---------- ---------- |allen      1600       |"
                                 "jones      7          |smith      805        |")),
              std::string::npos)
        << r.out;
}

// A report script of the kind schema samples carry: totals by ROLLUP read
// through a synonym, each answer as the console shows it.
TEST_P(BatchScript, RollupThroughASynonym) {
    RunResult r = RunScripts({std::string(kCreate) +
                              "INSERT INTO emp VALUES ('jones', 2975, NULL);\n"
                              "CREATE SYNONYM staff FOR emp;\n"
                              "SELECT DECODE(GROUPING(ename), 1, 'TOTAL', ename) who, SUM(sal) total\n"
                              "  FROM staff GROUP BY ROLLUP(ename) ORDER BY GROUPING(ename), ename;\n"
                              "DROP SYNONYM staff;\n"});
    EXPECT_NE(r.out.find(Console("シノニムが作成されました。")), std::string::npos) << r.out;
    EXPECT_NE(
        r.out.find(Console("WHO        TOTAL      |---------- ---------- |allen      1600       |"
                           "jones      2975       |smith      800        |TOTAL      5375       ||"
                           "4行が選択されました。||SQL> DROP SYNONYM staff;|シノニムが削除されました。")),
        std::string::npos)
        << r.out;
}

TEST_P(BatchScript, DataSurvivesInTheNamedDatabase) {
    RunResult first = RunScripts({"CONNECT u/p@" + Named("shop") +
                                  "\nCREATE TABLE t (n NUMBER);\nINSERT INTO t VALUES (7);\nEXIT\nSELECT 1 "
                                  "FROM dual;\n"});
    EXPECT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(first.out.substr(first.out.size() - 16), "SQL> EXIT\nSQL> \n");
    RunResult second = RunScripts({"CONNECT u/p@" + Named("shop") + "\nSELECT n FROM t;\n"});
    EXPECT_NE(second.out.find("\n7          \n"), std::string::npos) << second.out;
}

// A line of one "." ends a statement or block without running it; "/" and
// RUN run it then, as scripts written for other consoles expect.
TEST_F(EmbeddedScript, APeriodLineEndsAnEntryThatSlashOrRunRuns) {
    RunResult r =
        RunScripts({"CONNECT a/b\nCREATE TABLE t (n NUMBER)\n.\nSELECT COUNT(*) FROM tab;\n"
                    "CREATE TABLE t (n NUMBER)\n.\n/\n"
                    "CREATE PROCEDURE p IS\nBEGIN\n  INSERT INTO t VALUES (1);\nEND;\n .\n/\n"
                    "BEGIN\n  p;\nEND;\n.\nRUN\nSELECT n FROM t\n.\n/\n"});
    EXPECT_NE(
        r.out.find(Console("SQL> .|SQL> SELECT COUNT(*) FROM tab;||COUNT(*)   |---------- |0          |")),
        std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find(Console("SQL> .|SQL> /|表が作成されました。")), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(Console("SQL>  .|SQL> /|プロシージャが作成されました。")), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find(Console(
                  "SQL> RUN|  1  BEGIN|  2    p;|  3* END;|PL/SQLプロシージャが正常に完了しました。")),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find(Console("SQL> /||N          |---------- |1          ||1行が選択されました。")),
              std::string::npos)
        << r.out;
}

// TIMESTAMP columns show their digits of a second, and dates move by
// INTERVAL literals.
TEST_F(EmbeddedScript, TimestampsAndIntervals) {
    RunResult r =
        RunScripts({"CONNECT a/b\nCREATE TABLE ev (at TIMESTAMP(3), d DATE);\n"
                    "INSERT INTO ev VALUES (TIMESTAMP '2021-02-04 13:20:22.2456', DATE '2021-02-04');\n"
                    "SELECT at, d + INTERVAL '1-2' YEAR TO MONTH d2 FROM ev;\n"});
    EXPECT_NE(r.out.find(Console("AT                    D2       |--------------------- -------- |"
                                 "21-02-04 13:20:22.246 22-04-04 |")),
              std::string::npos)
        << r.out;
}

// The disk fills while the pages of a long transaction spill: the statement
// that lost the transaction says so, the rest are not run, and COMMIT does
// not commit the tail.
TEST_F(EmbeddedScript, TransactionLostOnAFullDiskCommitsNothing) {
    ASSERT_EQ(RunScripts({"CONNECT a/b\nCREATE TABLE t (v VARCHAR2(4000));\nEXIT\n"}).status, 0);
    m_fileSizeLimitKb = 1024;
    RunResult r = RunScripts({"CONNECT a/b\n" + Inserts(1000, 3000) + "COMMIT;\nEXIT\n"});
    EXPECT_EQ(Occurrences(r.out, "トランザクション全体がロールバックされました"), 1u)
        << r.out.substr(0, 2000);
    EXPECT_GT(Occurrences(r.out, "ROLLBACKを実行するまで文は実行されません"), 10u);
    EXPECT_NE(r.out.find("SQL> COMMIT;\nORA-02091: "), std::string::npos);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("EXIT"), std::string::npos) << r.err;
    m_fileSizeLimitKb = 0;
    RunResult after = RunScripts({"CONNECT a/b\nSELECT COUNT(*) FROM t;\n"});
    EXPECT_NE(after.out.find("\n0          \n"), std::string::npos) << after.out;
}

// The commit of DISCONNECT meets the full disk: reported, still connected;
// EXIT then does not close either and the status says so.
TEST_F(EmbeddedScript, FailedCommitAtDisconnectAndExitIsReported) {
    ASSERT_EQ(RunScripts({"CONNECT a/b\nCREATE TABLE t (v VARCHAR2(4000));\nEXIT\n"}).status, 0);
    m_fileSizeLimitKb = 256;
    RunResult r = RunScripts({"CONNECT a/b\n" + Inserts(300, 1000) + "DISCONNECT\nEXIT\nSHOW HEAD\n"});
    EXPECT_NE(r.out.find("SQL> DISCONNECT\nORA-"), std::string::npos) << r.out.substr(r.out.size() - 2000);
    EXPECT_NE(r.out.find("接続は切断されていません"), std::string::npos);
    EXPECT_NE(r.out.find("終了しませんでした"), std::string::npos);
    EXPECT_EQ(r.out.find("SHOW HEAD"), std::string::npos);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("EXITでコミットできませんでした"), std::string::npos) << r.err;
    m_fileSizeLimitKb = 0;
    RunResult after = RunScripts({"CONNECT a/b\nSELECT COUNT(*) FROM t;\n"});
    EXPECT_NE(after.out.find("\n0          \n"), std::string::npos) << after.out;
}

// Note: a value longer than its column is refused by bytes, as the server
// does, and names are measured by bytes too.
// A console saved by an earlier run replays what was typed there and none
// of its output: not a value that opens a quote, not a selected value that
// reads as SQL, not an echoed error.
TEST_P(BatchScript, ASavedConsoleRunsAgainAsItWasTyped) {
    const std::string script = "CONNECT u/p@" + Named("first") +
                               "\nCREATE TABLE t (v VARCHAR2(20));\n"
                               "INSERT INTO t VALUES ('it''s');\nINSERT INTO t VALUES ('DROP TABLE t;');\n"
                               "SELECT v FROM t;\nSELECT nope FROM t;\nSELECT COUNT(*) FROM t;\n";
    RunResult first = RunScripts({script});
    ASSERT_EQ(first.status, 0) << first.err;
    std::string saved = first.out;
    const std::size_t name = saved.find(Named("first"));
    ASSERT_NE(name, std::string::npos) << saved;
    saved.replace(name, Named("first").size(), Named("again"));
    RunResult again = RunScripts({saved});
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(again.out, saved);
    EXPECT_EQ(Occurrences(saved, "\nit's  "), 1u) << saved;
}

TEST_P(BatchScript, JapaneseNamesAndValuesAreMeasuredByBytes) {
    const RunResult r = ExpectRun(
        "SQL> SELECT * FROM 社員;||名前   メモ                 |"
        "------ -------------------- |山田太 ｶﾀｶﾅ                 ||"
        "1行が選択されました。||SQL> ",
        "CONNECT a/b\nCREATE TABLE 社員 (名前 VARCHAR2(6), メモ VARCHAR2(20));\n"
        "INSERT INTO 社員 VALUES ('山田太郎', 'ｶﾀｶﾅ');\nINSERT INTO 社員 VALUES ('山田太', 'ｶﾀｶﾅ');\n");
    EXPECT_NE(r.out.find("ORA-12899: 社員.名前 の値が長すぎます (8 バイト、最大 6 バイト)。"),
              std::string::npos)
        << r.out;
}

}  // namespace

namespace {

TEST_F(EmbeddedScript, SchemaScriptRunsToItsEndWithDataAsTyped) {
    ExpectRun(
        "SQL> SET ECHO OFF|SQL> set feedback on|"
        "SQL> PROMPT Creating the schema|Creating the schema|SQL> CONNECT scott/Tiger|接続に成功しました。|"
        "SQL> CREATE TABLE dept (|SQL>   deptno NUMBER(2) CONSTRAINT pk_dept PRIMARY KEY,|"
        "SQL>   dname VARCHAR2(14)|SQL> );|表が作成されました。|"
        "SQL> CREATE UNIQUE INDEX dept_uk|SQL>   ON dept (dname);|索引が作成されました。|"
        "SQL>   -- an indented comment|"
        "SQL> BEGIN|SQL>   INSERT INTO dept VALUES (10, 'Sales; East');|"
        "SQL>   INSERT INTO dept VALUES (20, 'a--b /* c */');|SQL> END;|SQL> /|"
        "PL/SQLプロシージャが正常に完了しました。|"
        "SQL> CREATE OR REPLACE VIEW dept_v AS|SQL>   SELECT dname FROM dept;|ビューが作成されました。|"
        "SQL> COMMIT WORK;|コミットが完了しました。|SQL>   select dname from dept_v order by 1;||"
        "DNAME          |-------------- |Sales; East    |a--b /* c */   ||2行が選択されました。||"
        "SQL> SET FEEDBACK OFF|SQL> select dname \"MiXed\" from dept where deptno = 10|SQL> /||"
        "MiXed          |-------------- |Sales; East    ||SQL> ");
}

TEST_F(EmbeddedScript, WheneverSqlErrorEndsTheBatchWithItsStatus) {
    RunResult r =
        RunScripts({"CONNECT a/b\nCREATE TABLE t (n NUMBER);\nINSERT INTO t VALUES (1);\n"
                    "WHENEVER SQLERROR EXIT 3\nSELECT nosuch FROM t;\nPROMPT not reached\n",
                    "PROMPT nor this\n"});
    EXPECT_EQ(r.status, 3) << r.err;
    EXPECT_EQ(r.out.find("reached"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("nor this"), std::string::npos) << r.out;
    // The insert was rolled back on the way out.
    RunResult after = RunScripts({"CONNECT a/b\nSELECT n FROM t;\n"});
    EXPECT_NE(after.out.find(Console("0行が選択されました。")), std::string::npos) << after.out;
}

TEST_F(EmbeddedScript, Utf8ScriptsReachTheDatabaseAsTheirCharacters) {
    m_dir.Write("utf8.sql",
                "CONNECT a/b\nCREATE TABLE t (s VARCHAR2(20));\nINSERT INTO t VALUES ('日本語');\n"
                "SELECT s FROM t;\n");
    ExpectTail(RunScripts({}, "", "utf8.sql"),
               "SQL> SELECT s FROM t;||S                    |"
               "-------------------- |日本語               ||1行が選択されました。||SQL> ");
}

TEST_P(BatchScript, LongValuesShowUpToTheColumnWidth) {
    const std::string value(120, 'w');
    ExpectTail(RunScripts({"CONNECT a/b\nCREATE TABLE l (v VARCHAR2(150));\nINSERT INTO l VALUES ('" + value +
                           "');\nCOLUMN v FORMAT a110\nSELECT v FROM l;\n"}),
               "SQL> SELECT v FROM l;||V" + std::string(110, ' ') + "|" + std::string(110, '-') + " |" +
                   std::string(110, 'w') + " ||1行が選択されました。||SQL> ");
}

TEST_P(BatchScript, ServerOutputFollowsEachStatementWhileOn) {
    ExpectConsole(
        "SQL> CONNECT a/b|接続に成功しました。|SQL> SET SERVEROUTPUT ON|SQL> BEGIN|"
        "SQL>   DBMS_OUTPUT.PUT_LINE('one');|SQL>   DBMS_OUTPUT.PUT_LINE('two');|SQL> END;|"
        "SQL> /|PL/SQLプロシージャが正常に完了しました。|one|two|"
        "SQL> EXEC DBMS_OUTPUT.PUT_LINE('x')||PL/SQLプロシージャが正常に完了しました。||x|"
        "SQL> SET SERVEROUTPUT OFF|SQL> EXEC DBMS_OUTPUT.PUT_LINE('hidden')||"
        "PL/SQLプロシージャが正常に完了しました。||SQL> ");
}

// 1024 rows whose fourfold cross product takes for ever.
const char kSlowSetup[] =
    "CONNECT a/b\nCREATE TABLE t (n NUMBER);\nINSERT INTO t VALUES (1);\n"
    "INSERT INTO t SELECT n FROM t;\nINSERT INTO t SELECT n FROM t;\nINSERT INTO t SELECT n FROM t;\n"
    "INSERT INTO t SELECT n FROM t;\nINSERT INTO t SELECT n FROM t;\nINSERT INTO t SELECT n FROM t;\n"
    "INSERT INTO t SELECT n FROM t;\nINSERT INTO t SELECT n FROM t;\nINSERT INTO t SELECT n FROM t;\n"
    "INSERT INTO t SELECT n FROM t;\n";
const char kSlowQuery[] = "SELECT COUNT(*) FROM t a, t b, t c, t d;\n";

TEST_P(BatchScript, FirstInterruptBreaksTheStatementAndTheScriptGoesOn) {
    RunResult r =
        RunInterrupted({std::string(kSlowSetup) + kSlowQuery + "SELECT COUNT(*) FROM t;\nEXIT\n"}, {3000});
    EXPECT_EQ(r.status, 0) << r.err;
    const std::size_t at = r.out.find(std::string("SQL> ") + kSlowQuery);
    ASSERT_NE(at, std::string::npos) << r.out;
    // The cancel error stands where the result would, and the next
    // statement still sees the uncommitted rows.
    const std::size_t next = r.out.find("SQL> SELECT COUNT(*) FROM t;\n", at);
    ASSERT_NE(next, std::string::npos) << r.out;
    const std::string report = r.out.substr(at, next - at);
    EXPECT_EQ(report.find("行が選択されました"), std::string::npos) << report;
    EXPECT_GT(std::count(report.begin(), report.end(), '\n'), 1) << report;
    EXPECT_NE(r.out.find("\n1024       \n", next), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("SQL> EXIT"), std::string::npos) << r.out;
}

TEST_P(BatchScript, SecondInterruptEndsTheProgramRollingBack) {
    RunResult r = RunInterrupted(
        {std::string(kSlowSetup) + kSlowQuery + kSlowQuery + "SELECT 'after' FROM dual;\n"}, {3000, 1500});
    EXPECT_EQ(r.status, 130) << r.err;
    EXPECT_EQ(r.out.find("AFTER"), std::string::npos) << r.out;
    RunResult again = RunScripts({"CONNECT a/b\nSELECT COUNT(*) FROM t;\n"});
    EXPECT_NE(again.out.find("\n0          \n"), std::string::npos) << again.out;
}

// Without a client library a server CONNECT says what to do, and the
// embedded database keeps working.
TEST_F(ScriptRun, ServerConnectWithoutClientLibraryExplainsAndEmbeddedStillWorks) {
    m_environment = "TARVEX_OCI_LIBRARY=/nonexistent/libclntsh.so";
    RunResult r =
        RunScripts({"CONNECT scott/tiger@//dbhost:1521/orcl\nCONNECT scott/tiger@dbhost/orcl\n"
                    "CONNECT a/b@local\nSELECT 'ok' FROM dual;\n"});
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string message =
        "Oracle クライアント・ライブラリをロードできません (探したもの: /nonexistent/libclntsh.so)";
    const std::size_t first = r.out.find(message);
    ASSERT_NE(first, std::string::npos) << r.out;
    EXPECT_NE(r.out.find(message, first + 1), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("TARVEX_OCI_LIBRARY にライブラリのパスを指定"), std::string::npos);
    EXPECT_NE(r.out.find("SQL> CONNECT a/b@local\n接続に成功しました。\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\nok \n"), std::string::npos) << r.out;
}

INSTANTIATE_TEST_SUITE_P(Roads, BatchScript, ::testing::Values(Road::Embedded, Road::Server),
                         [](const ::testing::TestParamInfo<Road>& info) {
                             return info.param == Road::Embedded ? "Embedded" : "Server";
                         });

}  // namespace
