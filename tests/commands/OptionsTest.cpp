#include <gtest/gtest.h>

#include "sql/DatabaseFixture.h"

namespace {

struct OptionCase {
    std::vector<std::string> lines;
    std::vector<const char*> output;  // UTF-8, of the last line only
};

// Options that need no connection, on a console that has none.
class OfflineOptionTest : public ::testing::TestWithParam<OptionCase> {};

TEST_P(OfflineOptionTest, SetsAndShows) {
    CSQLProcessor processor;
    CScriptLines out;
    for (const auto& line : GetParam().lines) out = Feed(processor, {line});
    CScriptLines expected;
    for (const char* line : GetParam().output) expected.push_back(Sj(line));
    EXPECT_EQ(out, expected) << GetParam().lines.back();
}

const char* const kRange = "numwidthオプション 0が範囲外です(範囲: 2～50)。";

INSTANTIATE_TEST_SUITE_P(
    Offline, OfflineOptionTest,
    ::testing::Values(OptionCase{{"show serveroutput"}, {"SERVEROUTPUT OFF"}},
                      OptionCase{{"show numwidth"}, {"NUMWIDTH 10"}},
                      OptionCase{{"show autocommit"}, {"AUTOCOMMIT OFF"}},
                      OptionCase{{"show heading"}, {"HEADING ON"}}, OptionCase{{"set numwidth 1"}, {kRange}},
                      OptionCase{{"set numwidth 51"}, {kRange}}, OptionCase{{"set numwidth abc"}, {kRange}},
                      OptionCase{{"set numwidth 99999999999"}, {kRange}},
                      OptionCase{{"set num -5"}, {kRange}},
                      OptionCase{{"set numwidth 2", "show num"}, {"NUMWIDTH 2"}},
                      OptionCase{{"set numwidth 50", "show num"}, {"NUMWIDTH 50"}},
                      OptionCase{{"set numwidth 020", "show numwidth"}, {"NUMWIDTH 020"}},
                      OptionCase{{"set numwidth 5 ", "show numwidth"}, {"NUMWIDTH 5 "}},
                      OptionCase{{"set numwidth 30", "set numwidth 1", "show numwidth"}, {"NUMWIDTH 30"}},
                      OptionCase{{"set heading off", "show heading"}, {"HEADING OFF"}},
                      OptionCase{{"set head off", "set head on", "show head"}, {"HEADING ON"}},
                      OptionCase{{"set heading on "}, {"headingをONまたはOFFに設定する必要があります。"}},
                      OptionCase{{"set heading yes", "show heading"}, {"HEADING ON"}},
                      OptionCase{{"set autocommit on"}, {"接続されていません。"}},
                      OptionCase{{"set autocommit bogus"}, {"接続されていません。"}},
                      OptionCase{{"set serveroutput bogus"}, {"接続されていません。"}}));

TEST(ShowOption, MissingKeyIsAnUnknownOption) {
    CSQLProcessor processor;
    EXPECT_EQ(processor.ShowOption("FOO"), SjLines({"不明なSHOWオプションです。"}));
    EXPECT_EQ(processor.ShowOption("heading"), SjLines({"不明なSHOWオプションです。"}));
}

class OnlineOptionTest : public DatabaseFixture, public ::testing::WithParamInterface<OptionCase> {};

TEST_P(OnlineOptionTest, SetsAndShows) {
    Connect();
    CScriptLines out;
    for (const auto& line : GetParam().lines) out = Run({line});
    CScriptLines expected;
    for (const char* line : GetParam().output) expected.push_back(Sj(line));
    EXPECT_EQ(out, expected) << GetParam().lines.back();
}

INSTANTIATE_TEST_SUITE_P(
    Online, OnlineOptionTest,
    ::testing::Values(
        OptionCase{{"set autocommit on", "show autocommit"}, {"AUTOCOMMIT IMMEDIATE"}},
        OptionCase{{"set auto imm", "show auto"}, {"AUTOCOMMIT IMMEDIATE"}},
        OptionCase{{"set auto immediate", "show auto"}, {"AUTOCOMMIT IMMEDIATE"}},
        OptionCase{{"set auto on", "set auto off", "show auto"}, {"AUTOCOMMIT OFF"}},
        OptionCase{{"set autocommit yes"}, {"不明なSET autocommitオプションです。"}},
        OptionCase{{"set autocommit on "}, {"不明なSET autocommitオプションです。"}},
        OptionCase{{"set serveroutput on", "show serveroutput"}, {"SERVEROUTPUT ON"}},
        OptionCase{{"set serveroutput on", "set serverout off", "show serverout"}, {"SERVEROUTPUT OFF"}},
        OptionCase{{"set serveroutput yes"}, {"serveroutputをONまたはOFFに設定する必要があります。"}},
        OptionCase{{"set serveroutput on", "set serveroutput x", "show serveroutput"}, {"SERVEROUTPUT ON"}}));

using AutoCommitTest = DatabaseFixture;

TEST_F(AutoCommitTest, OnCommitsEveryStatement) {
    Connect();
    Run({"create table t (n number);", "set autocommit on", "insert into t values (1);"});
    EXPECT_EQ(Database().GetRowsProcessed(), 1);
    // Closing without a commit rolls back what is not committed.
    Session().Close();
    Connect();
    EXPECT_EQ(Run({"select n from t;"})[5], Sj("1行が選択されました。"));
}

}  // namespace
