#include <gtest/gtest.h>

#include "sql/DatabaseFixture.h"

namespace {

// A unit created with an error on the embedded database, whose USER_ERRORS
// rows the command lists.
class ShowErrorsTest : public ConnectedFixture {
protected:
    void SetUp() override {
        ConnectedFixture::SetUp();
        for (const char* line :
             {"CREATE OR REPLACE PROCEDURE p IS", "BEGIN", "  NULL;", "    nope;", "END;", "/"})
            Run({line});
    }
};

struct ShowCase {
    std::vector<std::string> lines;
    const char* heading;  // UTF-8; null: no errors
};

TEST_F(ShowErrorsTest, ListsTheNamedOrLastCreatedUnit) {
    const ShowCase cases[] = {
        {{"show errors"}, "PROCEDURE Pのエラーです。"},
        {{"SHOW ERRORS PROCEDURE p"}, "PROCEDURE Pのエラーです。"},
        {{"show err procedure scott.\"P\" "}, "PROCEDURE Pのエラーです。"},
        {{"SHOW ERRORS FUNCTION p"}, nullptr},
        {{"CREATE OR REPLACE PROCEDURE p IS", "BEGIN", "  NULL;", "END;", "/", "show err"}, nullptr},
    };
    for (const auto& row : cases) {
        CScriptLines out;
        for (const auto& line : row.lines) out = Run({line});
        if (row.heading == nullptr) {
            EXPECT_EQ(out, SjLines({"エラーはありません。"})) << row.lines.back();
            continue;
        }
        EXPECT_EQ(out, SjLines({row.heading, "", "LINE/COL ERROR",
                                "-------- -----------------------------------------------------------------",
                                "4/5      PL/SQL: Statement ignored",
                                "4/5      PLS-00201: 識別子'NOPE'を宣言してください。"}))
            << row.lines.back();
    }
}

TEST_F(DatabaseFixture, ShowErrorsNeedsAConnection) {
    EXPECT_EQ(Run({"SHOW ERRORS"}), SjLines({"接続されていません。"}));
}

}  // namespace
