#include <gtest/gtest.h>

#include "commands/CShowCommand.h"
#include "sql/DatabaseFixture.h"

namespace {

struct OptionCase {
    bool connected;
    CScriptLines lines;
    const char* output;  // UTF-8, of the last line only
};
void PrintTo(const OptionCase& c, std::ostream* os) { *os << c.lines.Join(); }

class OptionTest : public DatabaseFixture, public ::testing::WithParamInterface<OptionCase> {};

TEST_P(OptionTest, SetsAndShows) {
    if (GetParam().connected) Connect();
    CScriptLines out;
    for (const auto& line : GetParam().lines) out = Run({line});
    EXPECT_EQ(out, SjLines({GetParam().output})) << GetParam().lines.Join();
}

const char* const kImmediate = "AUTOCOMMIT IMMEDIATE";
const char* const kBadAutocommit = "不明なSET autocommitオプションです。";
using O = OptionCase;
// clang-format off
INSTANTIATE_TEST_SUITE_P(Options, OptionTest, ::testing::Values(
    // Options that need no connection, on a console that has none.
    O{false, {"set numwidth 51"}, "numwidthオプション 51が範囲外です(範囲: 2～50)。"},
    O{false, {"set numwidth 99999999999"}, "numwidthオプション 99999999999が範囲外です(範囲: 2～50)。"},
    O{false, {"set num -5"}, "numwidthオプション -5が範囲外です(範囲: 2～50)。"},
    O{false, {"set numwidth abc"}, "numwidthオプション ABCは数値ではありません。"},
    O{false, {"set numwidth 5 junk", "show numwidth"}, "NUMWIDTH 10"},
    O{false, {"set lockwait 0", "show lockwait"}, "LOCKWAIT 0"},
    O{false, {"show lockwait"}, "LOCKWAIT 10"},
    O{false, {"set lockwait 3601"}, "lockwaitオプション 3601が範囲外です(範囲: 0～3600秒)。"},
    O{false, {"set lockwait 5s", "show lockwait"}, "LOCKWAIT 10"},
    O{false, {"set numwidth 2", "show num"}, "NUMWIDTH 2"},
    O{false, {"set numwidth 50", "show num"}, "NUMWIDTH 50"},
    O{false, {"set numwidth 020", "show numwidth"}, "NUMWIDTH 020"},
    O{false, {"set numwidth 5 ", "show numwidth"}, "NUMWIDTH 5 "},
    O{false, {"set numwidth 30", "set numwidth 1", "show numwidth"}, "NUMWIDTH 30"},
    O{false, {"set heading off", "show heading"}, "HEADING OFF"},
    O{false, {"set heading yes", "show heading"}, "HEADING ON"},
    // An option named without a value answers its usage line.
    O{false, {"set heading"}, "headingをONまたはOFFに設定する必要があります。"},
    O{false, {"set head  "}, "headingをONまたはOFFに設定する必要があります。"},
    O{false, {"set feedback"}, "feedbackにはON、OFFまたは行数を指定する必要があります。"},
    O{false, {"set numwidth"}, "numwidthには2から50までの数値を指定する必要があります。"},
    // Any start of the name at least as long as its short form.
    O{false, {"set numw 20", "show numwidth"}, "NUMWIDTH 20"},
    O{false, {"set headi off", "show head"}, "HEADING OFF"},
    O{false, {"set nu 20"}, "SET NU は使用できません。"},
    O{false, {"set numwidthx 20"}, "SET NUMWIDTHX は使用できません。"},
    O{false, {"show nosuch"}, "不明なSHOWオプションです。"},
    // Several options in one SET, as scripts from other consoles write them.
    O{false, {"set echo on verify on timing on", "show timing"}, "TIMING ON"},
    O{false, {"set pagesize 0 feedback off heading off", "show heading"}, "HEADING OFF"},
    O{false, {"set colsep ' | ' null 'n/a' numwidth 12", "show null"}, "NULL 'n/a'"},
    O{false, {"set tab off trimspool on", "show trimspool"}, "TRIMSPOOL ON"},
    O{false, {"set tab off"}, "SET TAB は使用できません。"},
    // A refused value ends the command; the options after it stay as they were.
    O{false, {"set numwidth 99 heading off", "show heading"}, "HEADING ON"},
    O{false, {"set heading maybe numwidth 12", "show numwidth"}, "NUMWIDTH 10"},
    O{false, {"set nosuch on heading off", "show heading"}, "HEADING ON"},
    // Options of the connection.
    O{true, {"set autocommit on", "show autocommit"}, kImmediate},
    O{true, {"set auto imm", "show auto"}, kImmediate},
    O{true, {"set auto on", "set auto off", "show auto"}, "AUTOCOMMIT OFF"},
    O{true, {"set autocommit yes"}, kBadAutocommit}, O{true, {"set autocommit on "}, kBadAutocommit},
    O{true, {"set serveroutput on", "show serveroutput"}, "SERVEROUTPUT ON"},
    O{true, {"set serveroutput on", "set serverout off", "show serverout"}, "SERVEROUTPUT OFF"},
    O{true, {"set serveroutput yes"}, "serveroutputをONまたはOFFに設定する必要があります。"},
    O{true, {"set serveroutput on", "set serveroutput x", "show serveroutput"}, "SERVEROUTPUT ON"}));
// clang-format on

TEST(ShowOption, MissingKeyIsAnUnknownOption) {
    CSQLProcessor processor;
    for (const char* key : {"FOO", "heading"})
        EXPECT_EQ(CShowCommand::ShowOption(processor.GetSettings(), key),
                  SjLines({"不明なSHOWオプションです。"}))
            << key;
}

TEST_F(DatabaseFixture, AutoCommitOnCommitsEveryStatement) {
    Connect();
    Run({"create table t (n number);", "set autocommit on", "insert into t values (1);"});
    EXPECT_EQ(Database().GetRowsProcessed(), 1);
    // Closing without a commit rolls back what is not committed.
    Session().Close();
    Connect();
    EXPECT_EQ(Run({"select n from t;"})[5], Sj("1行が選択されました。"));
}

}  // namespace

namespace {

// The lock wait reaches the connection: another console holds the write
// lock, and the statement gives up at once with the busy error naming it.
TEST_F(DatabaseFixture, LockWaitIsAppliedToTheConnection) {
    EXPECT_TRUE(Run({"set lockwait 0"}).empty());
    Connect();
    Run({"create table t (n number);"});
    OSession session;
    ODatabase other;
    session.Open();
    ASSERT_EQ(other.Open(session, "", "U", "P"), OSUCCESS);
    ASSERT_EQ(other.ExecuteSQL("INSERT INTO T VALUES (1)"), OSUCCESS);
    const CScriptLines out = Run({"insert into t values (2);"});
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out.back().rfind("ORA-00054", 0), 0u);
    EXPECT_NE(out.back().find(Sj("、0秒")), std::string::npos) << "not the default of 10";
    EXPECT_EQ(Run({"show lockwait"}), CScriptLines{"LOCKWAIT 0"});
}

}  // namespace

// The predefined variables in a title are those of the moment the query
// runs, although no "&" ever asked for them.
TEST_F(DatabaseFixture, TitlesShowThePredefinedUserOfTheSession) {
    Connect();
    const CScriptLines out = Run({"TTITLE LEFT 'by ' _USER", "select 1 n from dual;"});
    ASSERT_GE(out.size(), 2u);
    EXPECT_EQ(out[1], "by SCOTT");
}
