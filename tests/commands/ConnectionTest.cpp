#include <gtest/gtest.h>

#include "commands/CConnectCommand.h"
#include "engine/FaultyVfs.h"
#include "sql/DatabaseFixture.h"

namespace {

using ConnectionTest = DatabaseFixture;

TEST_F(ConnectionTest, ConnectWithoutDatabasePassesTheEmptyNameAndNeedsUserAndPassword) {
    Connect();
    EXPECT_TRUE(Processor().IsConnected());
    EXPECT_EQ(Processor().GetConnectDatabase(), "");
    EXPECT_EQ(Processor().Command<CConnectCommand>().Run(Processor().GetContext(),
                                                         CCommandArgs{{"SCOTT"}, {}, nullptr, "", {}, {}}),
              SjLines({"ユーザ名/パスワードを指定して下さい。"}));
    EXPECT_TRUE(Processor().IsConnected());
}

TEST_F(ConnectionTest, LaterConnectWithoutDatabaseReusesTheLastName) {
    EXPECT_EQ(Run({"connect scott/tiger@other"}), SjLines({"接続に成功しました。"}));
    EXPECT_EQ(Processor().GetConnectDatabase(), "OTHER");
    Run({"create table only_in_other (n number);"});
    EXPECT_EQ(Run({"disconnect"}), SjLines({"接続を切断しました"}));
    EXPECT_EQ(Processor().GetConnectDatabase(), "OTHER");
    Connect();
    EXPECT_EQ(Processor().GetConnectDatabase(), "OTHER");
    EXPECT_EQ(Run({"select n from only_in_other;"}).size(), 6u);
}

TEST_F(ConnectionTest, FailedConnectKeepsTheNameAndLeavesTheOldDatabase) {
    Run({"connect scott/tiger@first", "create table kept (n number);"});
    const CScriptLines out = Run({"connect scott/tiger@../escape"});
    ASSERT_FALSE(out.empty());
    EXPECT_NE(out, SjLines({"接続に成功しました。"}));
    EXPECT_EQ(Processor().GetConnectDatabase(), "FIRST");
    // The old database was closed before the new login was tried.
    const CScriptLines query = Run({"select n from kept;"});
    ASSERT_FALSE(query.empty());
    EXPECT_NE(query.back(), "");
}

TEST_F(ConnectionTest, ReconnectAndDisconnectCommit) {
    Connect();
    Run({"create table t (n number);", "commit;", "insert into t values (1);"});
    Connect();
    CScriptLines out = Run({"select n from t;"});
    ASSERT_EQ(out.size(), 7u);
    EXPECT_EQ(out[5], Sj("1行が選択されました。"));
    Run({"insert into t values (2);"});
    EXPECT_EQ(Run({"disconnect"}), SjLines({"接続を切断しました"}));
    EXPECT_FALSE(Processor().IsConnected());
    EXPECT_EQ(Run({"disconnect"}), SjLines({"接続されていません。"}));
    Connect();
    out = Run({"select n from t;"});
    ASSERT_EQ(out.size(), 8u);
    EXPECT_EQ(out[6], Sj("2行が選択されました。"));
}

TEST_F(ConnectionTest, ExitDisconnectsAndAsksToCloseWithoutOutput) {
    RecordingHost host(Processor());
    Processor().SetHost(&host);
    Connect();
    EXPECT_TRUE(Run({"exit"}).empty());
    EXPECT_EQ(host.events, "X");
    EXPECT_FALSE(Processor().IsConnected());
    EXPECT_TRUE(Run({"exit"}).empty());
    EXPECT_EQ(host.events, "XX");
}

// The commit of DISCONNECT, CONNECT and EXIT fails on a full disk: the
// report shows, the session stays open, and nothing closes until it can.
TEST_F(ConnectionTest, FailedCommitIsReportedAndKeepsTheSession) {
    FaultyVfs vfs;
    RecordingHost host(Processor());
    Processor().SetHost(&host);
    Connect();
    Run({"create table t (n number);", "insert into t values (1);"});
    FaultyVfs::FailWrites(true);
    const struct {
        const char* command;
        const char* notice;
    } cases[] = {
        {"disconnect",
         "コミットできなかったため、接続は切断されていません。COMMITをやり直すか、ROLLBACKで取り消して下さい"
         "。"},
        {"connect scott/tiger@other",
         "コミットできなかったため、接続は切断されていません。COMMITをやり直すか、ROLLBACKで取り消して下さい"
         "。"},
        {"exit",
         "コミットできなかったため、終了しませんでした。COMMITをやり直すか、ROLLBACKで取り消して下さい。"},
    };
    for (const auto& c : cases) {
        const CScriptLines out = Run({c.command});
        ASSERT_GE(out.size(), 2u) << c.command;
        EXPECT_EQ(out.front().rfind("ORA-", 0), 0u) << c.command;
        EXPECT_EQ(out.back(), Sj(c.notice)) << c.command;
        EXPECT_TRUE(Processor().IsConnected()) << c.command;
        EXPECT_TRUE(Processor().HasFailedCommit());
        EXPECT_EQ(Processor().GetConnectDatabase(), "");
    }
    EXPECT_EQ(host.events, "");
    EXPECT_TRUE(Processor().IsExitRefused());
    FaultyVfs::FailWrites(false);
    // Retried, or rolled back where the engine could not keep the work.
    if (Session().TransactionLost()) Run({"rollback;"});
    EXPECT_TRUE(Run({"exit"}).empty());
    EXPECT_EQ(host.events, "X");
    EXPECT_FALSE(Processor().IsExitRefused());
}

TEST_F(ConnectionTest, NulByteRefusesStatementsAndCommandsBeforeAnythingRuns) {
    Connect();
    Run({"create table t (n number);", "insert into t values (1);", "commit;"});
    const std::string nul(1, '\0');
    const CScriptLines refused = SjLines({"NUL文字(0x00)を含む文は実行できません。"});
    for (const std::string& line :
         {"delete from t" + nul + " where n = 2;", "select 'a" + nul + "b' from dual;",
          "connect scott/tiger@x" + nul + "y", "define v=a" + nul})
        EXPECT_EQ(Run({line}), refused) << line;
    EXPECT_EQ(Processor().GetConnectDatabase(), "");
    const CScriptLines rows = Run({"select n from t;"});
    ASSERT_EQ(rows.size(), 7u);
    EXPECT_EQ(rows[5], Sj("1行が選択されました。"));
}

TEST_F(ConnectionTest, DatabaseNameKeepsItsTrailingBlank) {
    const CScriptLines out = Run({"connect scott/tiger@other "});
    EXPECT_EQ(Processor().GetConnectDatabase(), out == SjLines({"接続に成功しました。"}) ? "OTHER " : "");
}

}  // namespace
