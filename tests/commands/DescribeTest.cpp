#include <gtest/gtest.h>

#include "sql/DatabaseFixture.h"

namespace {

class DescribeTest : public DatabaseFixture {
protected:
    void SetUp() override {
        DatabaseFixture::SetUp();
        Connect();
        Run({"create table emp (empno number(4) not null, ename varchar2(10), sal number(7,2),",
             "hiredate date, a_very_long_column_name_x char(3), notes clob, n2 number(5,0));"});
    }
};

const CScriptLines& EmpLines() {
    static const CScriptLines lines = {
        Sj("名前                 NULL?    型"),       "-------------------- -------- --------------------",
        "EMPNO                NOT NULL NUMBER(4)",    "ENAME                         VARCHAR2(10)",
        "SAL                           NUMBER(7, 2)", "HIREDATE                      DATE",
        "A_VERY_LONG_COLUMN_NAME_X          CHAR(3)", "NOTES                         CLOB",
        "N2                            NUMBER(5)",    "",
    };
    return lines;
}

TEST_F(DescribeTest, ListsEveryColumnOnTheGrid) { EXPECT_EQ(Run({"desc emp"}), EmpLines()); }

TEST_F(DescribeTest, TextAfterTheNameEndsUpInTheQuery) {
    EXPECT_EQ(Run({"describe emp where 1 = 0"}), EmpLines());
}

TEST_F(DescribeTest, NameMayComeFromADefine) { EXPECT_EQ(Run({"define t=emp", "desc &t"}), EmpLines()); }

TEST_F(DescribeTest, ContinuationHyphenStaysInTheName) {
    // The object named is "- EMP", which the query rejects.
    const CScriptLines out = Run({"desc -", "emp"});
    ASSERT_FALSE(out.empty());
    EXPECT_NE(out.front(), EmpLines().front());
}

TEST_F(DescribeTest, MissingObjectGivesTheErrorReportOnly) {
    const CScriptLines out = Run({"desc nosuch"});
    ASSERT_FALSE(out.empty());
    EXPECT_NE(out.front(), EmpLines().front());
}

TEST_F(DescribeTest, NotConnected) {
    Run({"disconnect"});
    EXPECT_EQ(Run({"desc emp"}), SjLines({"接続されていません。"}));
}

}  // namespace
