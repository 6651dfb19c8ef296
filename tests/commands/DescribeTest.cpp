#include <gtest/gtest.h>

#include "sql/DatabaseFixture.h"

namespace {

TEST_F(ConnectedFixture, DescribeListsEveryColumnOnTheGrid) {
    Run({"create table emp (empno number(4) not null, ename varchar2(10), sal number(7,2),",
         "hiredate date, a_very_long_column_name_x char(3), notes clob, n2 number(5,0));"});
    const CScriptLines emp = {
        Sj("名前                 NULL?    型"),       "-------------------- -------- --------------------",
        "EMPNO                NOT NULL NUMBER(4)",    "ENAME                         VARCHAR2(10)",
        "SAL                           NUMBER(7, 2)", "HIREDATE                      DATE",
        "A_VERY_LONG_COLUMN_NAME_X          CHAR(3)", "NOTES                         CLOB",
        "N2                            NUMBER(5)",    "",
    };
    // Text after the name ends up in the query; the name may come from a define.
    for (const CScriptLines& lines : {CScriptLines{"desc emp"}, CScriptLines{"describe emp where 1 = 0"},
                                      CScriptLines{"define t=emp", "desc &t"}})
        EXPECT_EQ(Run(lines), emp) << lines.Join();
    // A missing object, or "- EMP" (the continuation hyphen stays in the name),
    // gives the error report only.
    for (const CScriptLines& lines : {CScriptLines{"desc nosuch"}, CScriptLines{"desc -", "emp"}}) {
        const CScriptLines out = Run(lines);
        ASSERT_FALSE(out.empty()) << lines.Join();
        EXPECT_NE(out.front(), emp.front()) << lines.Join();
    }
    Run({"disconnect"});
    EXPECT_EQ(Run({"desc emp"}), SjLines({"接続されていません。"}));
}

}  // namespace
