#include <gtest/gtest.h>

#include "sql/DatabaseFixture.h"

namespace {

// The dictionary view stands in as a table of the embedded database.
class ShowErrorsTest : public ConnectedFixture {
protected:
    void SetUp() override {
        ConnectedFixture::SetUp();
        Run({"CREATE TABLE user_errors (name VARCHAR2(30), type VARCHAR2(12), sequence NUMBER, line NUMBER,",
             "position NUMBER, text VARCHAR2(400));"});
        Run({"INSERT INTO user_errors VALUES ('P', 'PROCEDURE', 2, 3, 5, 'PLS-00201: B');"});
        Run({"INSERT INTO user_errors VALUES ('P', 'PROCEDURE', 1, 3, 5, 'PL/SQL: A');"});
        Run({"INSERT INTO user_errors VALUES ('P', 'PACKAGE', 1, 1, 1, 'OTHER');"});
    }
};

struct ShowCase {
    std::vector<std::string> lines;
    const char* heading;  // UTF-8; null: no errors
};

TEST_F(ShowErrorsTest, ListsTheNamedOrLastCreatedUnit) {
    const ShowCase cases[] = {
        {{"show errors"}, nullptr},
        {{"SHOW ERRORS PROCEDURE p"}, "PROCEDURE Pのエラーです。"},
        {{"show err procedure scott.\"P\" "}, "PROCEDURE Pのエラーです。"},
        {{"CREATE OR REPLACE PROCEDURE p IS", "BEGIN", "  NULL;", "END;", "/", "show err"},
         "PROCEDURE Pのエラーです。"},
        {{"SHOW ERRORS FUNCTION p"}, nullptr},
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
                                "3/5      PL/SQL: A", "3/5      PLS-00201: B"}))
            << row.lines.back();
    }
    EXPECT_EQ(Run({"SHOW ERRORS P"}).size(), 7u) << "a name alone takes every type";
}

TEST_F(DatabaseFixture, ShowErrorsNeedsAConnection) {
    EXPECT_EQ(Run({"SHOW ERRORS"}), SjLines({"接続されていません。"}));
}

}  // namespace
