// Scripts through the server engine over the stand-in client library, for
// what only a server has (privileges, warnings, expired passwords, a dead
// session, characters CP932 lacks), and what must read the same on both
// engines.
#include <gtest/gtest.h>

#include <string>

#include "e2e/ScriptRun.h"

namespace {

class ServerScript : public ScriptRun {
protected:
    ServerScript() { m_road = Road::Server; }
    static void ExpectHas(const RunResult& r, const std::string& lines) {
        EXPECT_NE(r.out.find(Console(lines)), std::string::npos) << "missing:\n"
                                                                 << Console(lines) << "in:\n"
                                                                 << r.out;
    }
};

class BothRoads : public ScriptRun, public ::testing::WithParamInterface<Road> {
protected:
    BothRoads() { m_road = GetParam(); }
};

// A failure that points at nothing in particular (a constraint) is reported
// at position 0 on both engines: the statement, "*", the line number.
TEST_P(BothRoads, ConstraintViolationIsReportedAtPositionZero) {
    RunResult r =
        RunScripts({"CONNECT a/b\nCREATE TABLE k (id NUMBER PRIMARY KEY);\nINSERT INTO k VALUES (1);\n"
                    "INSERT INTO k\n  VALUES (1);\n"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find(Console("SQL>   VALUES (1);|INSERT INTO k|*|エラー行: 0: エラーが発生しました。") +
                         "ORA-00001"),
              std::string::npos)
        << r.out;
}

TEST_P(BothRoads, ArraySizeIsSetAndShown) {
    ExpectRun(
        "SQL> SHOW ARRAYSIZE|ARRAYSIZE AUTO|SQL> SET ARRAYSIZE 0|"
        "arraysizeオプション 0が範囲外です(範囲: 1～5000)。|SQL> SET ARRAYSIZE 5001|"
        "arraysizeオプション 5001が範囲外です(範囲: 1～5000)。|SQL> SET ARRAY 50|SQL> SHOW ARRAYSIZE|"
        "ARRAYSIZE 50|SQL> SET ARRAYSIZE lots|使用方法: SET ARRAY[SIZE] 1～5000またはAUTO|SQL> CONNECT a/b|"
        "接続に成功しました。|SQL> SELECT 1 FROM dual;||1          |---------- |1          ||"
        "1行が選択されました。||SQL> ");
}

// Note: a block that prints more than the package's default buffer (20,000
// bytes) runs to its end, and the clauses of SET SERVEROUTPUT are read.
TEST_P(BothRoads, ServerOutputIsUnlimitedAndTakesItsClauses) {
    std::string block = "BEGIN\n";
    for (int k = 0; k < 300; ++k) block += "  DBMS_OUTPUT.PUT_LINE(RPAD('x', 100, 'x'));\n";
    block += "  DBMS_OUTPUT.PUT_LINE('LAST');\nEND;\n/\n";
    RunResult r =
        RunScripts({"CONNECT a/b\nSET SERVEROUTPUT ON\n" + block +
                    "SET SERVEROUTPUT ON SIZE 1000 \nSET SERVEROUTPUT ON SIZE UNLIMITED FORMAT WRAPPED\n"
                    "SET SERVEROUTPUT ON FORMAT SIDEWAYS\nSHOW SERVEROUTPUT\n"});
    EXPECT_NE(r.out.find("LAST\nSQL> SET SERVEROUTPUT ON SIZE 1000"), std::string::npos)
        << r.out.substr(0, 400);
    ExpectTail(
        r,
        "SQL> SET SERVEROUTPUT ON SIZE 1000 |"
        "serveroutputのSIZEは2000～1000000またはUNLIMITEDで指定してください。|"
        "SQL> SET SERVEROUTPUT ON SIZE UNLIMITED FORMAT WRAPPED|SQL> SET SERVEROUTPUT ON FORMAT SIDEWAYS|"
        "serveroutputをONまたはOFFに設定する必要があります。|SQL> SHOW SERVEROUTPUT|SERVEROUTPUT ON|SQL> ");
}

// A call's argument list is checked as the PL/SQL compiler checks it: a
// name given twice, a name of no parameter, a position after a name.
TEST_P(BothRoads, NamedArgumentsAreCheckedAsTheCompilerChecksThem) {
    const std::string ignored = "ORA-06550: 行1、列7:|PL/SQL: Statement ignored|";
    ExpectRun(
        "SQL> CONNECT a/b|接続に成功しました。|"
        "SQL> CREATE PROCEDURE p (a NUMBER) IS BEGIN NULL; END;|SQL> /|"
        "プロシージャが作成されました。|"
        "SQL> EXEC p(a => 1, a => 2)|EXEC p(a => 1, a => 2)|                *|"
        "エラー行: 0: エラーが発生しました。|ORA-06550: 行1、列17:|"
        "PLS-00703: 名前付き引数のインスタンスがリストに複数あります。|" +
        ignored +
        "SQL> EXEC p(b => 1)|EXEC p(b => 1)|        *|エラー行: 0: エラーが発生しました。|"
        "ORA-06550: 行1、列9:|PLS-00306: 'P'の呼出しで、引数の数または型が正しくありません。|" +
        ignored +
        "SQL> EXEC p(a => 1, 2)|EXEC p(a => 1, 2)|                *|"
        "エラー行: 0: エラーが発生しました。|ORA-06550: 行1、列17:|"
        "PLS-00312: 位置指定パラメータの関連付けは、名前付きの関連付けの後には指定できません。|"
        "SQL> EXEC p(a => 1)||PL/SQLプロシージャが正常に完了しました。||SQL> ");
}

INSTANTIATE_TEST_SUITE_P(Roads, BothRoads, ::testing::Values(Road::Embedded, Road::Server),
                         [](const ::testing::TestParamInfo<Road>& info) {
                             return info.param == Road::Server ? "Server" : "Embedded";
                         });

TEST_F(ServerScript, PrivilegesAndShowUser) {
    m_environment = "TARVEX_FAKEOCI_OS_USER=clerk";
    ExpectRun(
        "SQL> SHOW USER|USERは\"\"です。|SQL> CONNECT scott/tiger|接続に成功しました。|SQL> SHOW USER|"
        "USERは\"SCOTT\"です。|SQL> CONNECT sys/Secret AS SYSDBA|接続に成功しました。|SQL> SHOW USER|"
        "USERは\"SYS\"です。|SQL> CONNECT bak/x@//localhost/E2E as sysbackup|接続に成功しました。|"
        "SQL> show user|USERは\"SYSBACKUP\"です。|SQL> CONNECT /|接続に成功しました。|SQL> SHOW USER|"
        "USERは\"CLERK\"です。|SQL> CONNECT / AS SYSOPER|接続に成功しました。|SQL> SHOW USER|"
        "USERは\"PUBLIC\"です。|SQL> ");
}

TEST_F(ServerScript, EmbeddedDatabasesRefuseAdministrativeLogins) {
    m_road = Road::Embedded;
    ExpectRun(
        "SQL> CONNECT sys/x AS SYSDBA|組み込みデータベースには管理者権限 (AS SYSDBA など) がありません。AS "
        "句を付けずに接続してください。|SQL> ");
}

TEST_F(ServerScript, WarningsFollowTheFeedbackLine) {
    m_environment = "TARVEX_FAKEOCI_LOGON_INFO=28002";
    ExpectRun(
        "SQL> CONNECT scott/tiger|接続に成功しました。|ORA-28002: the password will expire within 7 "
        "days|SQL> ");
}

TEST_F(ServerScript, AnExpiredPasswordIsReadTwiceFromStandardInput) {
    m_environment = "TARVEX_FAKEOCI_EXPIRED=ADAMS";
    RunResult none = RunScripts({"CONNECT adams/old\n"});
    ExpectHas(none,
              "SQL> CONNECT adams/old|ORA-28001: the password has expired|"
              "新しいパスワードを読み取れません。パスワードは変更されていません。|SQL> ");
    RunResult mismatch = RunScripts({"CONNECT adams/old\n"}, "one\ntwo\n");
    ExpectHas(
        mismatch,
        "ORA-28001: the password has expired|パスワードが一致しません。パスワードは変更されていません。");
    RunResult changed = RunScripts({"CONNECT adams/old\nSHOW USER\n"}, "new\nnew\n");
    ExpectTail(changed,
               "SQL> CONNECT adams/old|パスワードが変更されました。|接続に成功しました。|SQL> SHOW USER|"
               "USERは\"ADAMS\"です。|SQL> ");
}

// The session dies under a statement: the console says so and that the
// uncommitted work is gone, later statements fail at once, CONNECT works
// again, and the run counts the lost work.
TEST_F(ServerScript, ADeadSessionIsReportedAndConnectWorksAgain) {
    m_environment = "TARVEX_FAKEOCI_DIE_ON=NETWORK_DROPS";
    RunResult r =
        RunScripts({"CONNECT a/b\nCREATE TABLE t (n NUMBER);\nINSERT INTO t VALUES (1);\n"
                    "SELECT 'network_drops' FROM dual;\nSELECT 1 FROM dual;\nCONNECT a/b\n"
                    "SELECT COUNT(*) FROM t;\nEXIT\n"});
    ExpectHas(r,
              "ORA-03113: end-of-file on communication channel|"
              "サーバーとの接続が失われました。コミットされていない変更は失われました。CONNECT "
              "で接続し直してください。");
    ExpectHas(r,
              "SQL> SELECT 1 FROM dual;|ORA-03114: サーバーとの接続が切れています。CONNECT "
              "で接続し直してください。|SQL> CONNECT a/b|"
              "接続に成功しました。|SQL> SELECT COUNT(*) FROM t;||COUNT(*)   |---------- |0          |");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("コミットできなかった変更があります"), std::string::npos) << r.err;
}

// A cursor expression's rows follow the row that holds them, as PRINT
// shows a REFCURSOR.
TEST_F(ServerScript, CursorExpressionsAreShownAsNestedResults) {
    ExpectRun(
        "SQL> SELECT d, CURSOR(SELECT 'x' v FROM dual) c FROM e;||D          C                    |"
        "---------- -------------------- |10         CURSOR STATEMENT : 2 ||V |- |x ||1行が選択されました。||"
        "|1行が選択されました。||SQL> ",
        "CONNECT a/b\nCREATE TABLE e (d NUMBER);\nINSERT INTO e VALUES (10);\n");
}

TEST_F(ServerScript, SetLongBoundsWhatIsReadOfALob) {
    ExpectRun(
        "SQL> SET LONG 0|longオプション 0が範囲外です(範囲: 1～2000000000)。|SQL> SET LONG 5|SQL> SHOW LONG|"
        "LONG 5|SQL> SELECT c FROM l;||C     |----- |abcde ||1行が選択されました。||SQL> ",
        "CONNECT a/b\nCREATE TABLE l (c CLOB);\nINSERT INTO l VALUES ('abcdefghijklmnop');\n");
}

// A long value's column is as wide as the smaller of LONG and LONGCHUNKSIZE,
// so a script's SET LONG 2000000 does not give a column that wide.
TEST_F(ServerScript, LongChunkSizeBoundsALobsColumn) {
    ExpectRun(
        "SQL> SET LONG 2000000 LONGCHUNKSIZE 6|SQL> SHOW LONGCHUNKSIZE|LONGCHUNKSIZE 6|SQL> SELECT c FROM "
        "l;||C      |------ |abcdef ||1行が選択されました。||SQL> ",
        "CONNECT a/b\nCREATE TABLE l (c CLOB);\nINSERT INTO l VALUES ('abcdefghijklmnop');\n");
}

TEST_F(ServerScript, CharactersCp932LacksAreMarkedAndCounted) {
    ExpectRun(
        "SQL> SELECT s FROM c;||S                    |-------------------- |caf〓 〓             ||"
        "2文字はCP932で表せないため〓で表示しました。表示された値をそのまま書き戻さないでください。||SQL> ",
        "CONNECT a/b\nCREATE TABLE c (s VARCHAR2(20));\nINSERT INTO c VALUES ('caf\\u00E9 \\U01F600');\n"
        "SET FEEDBACK OFF\n");
}

}  // namespace
