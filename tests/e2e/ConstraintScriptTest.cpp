// A schema script of CHECK constraints, TIMESTAMP columns and typed
// headings, on both roads with the same console text.
#include <gtest/gtest.h>

#include <string>

#include "e2e/ScriptRun.h"

namespace {

class ConstraintScript : public ScriptRun, public ::testing::WithParamInterface<Road> {
protected:
    ConstraintScript() { m_road = GetParam(); }
};

TEST_P(ConstraintScript, ChecksDescribeAndEmptyHeadingsFollowTheServer) {
    ExpectConsole(
        "SQL> CONNECT scott/tiger|接続に成功しました。|"
        "SQL> CREATE TABLE acct (id NUMBER CONSTRAINT acct_pos CHECK (id > 0),|"
        "SQL>   kind CHAR(1) CHECK (kind IN ('A', 'B')), opened TIMESTAMP(3));|"
        "表が作成されました。|"
        "SQL> INSERT INTO acct VALUES (-12345678901234567890, 'A', NULL);|"
        "INSERT INTO acct VALUES (-12345678901234567890, 'A', NULL);|*|"
        "エラー行: 0: エラーが発生しました。|"
        "ORA-02290: チェック制約 ACCT_POS に違反しました。|"
        "SQL> INSERT INTO acct VALUES (1, 'C', NULL);|"
        "INSERT INTO acct VALUES (1, 'C', NULL);|*|"
        "エラー行: 0: エラーが発生しました。|"
        "ORA-02290: チェック制約 SYS_C8000001 に違反しました。|"
        "SQL> desc acct|名前                 NULL?    型|"
        "-------------------- -------- --------------------|"
        "ID                            NUMBER|KIND                          CHAR(1)|"
        "OPENED                        TIMESTAMP(3)||"
        "SQL> SELECT TO_CHAR(opened, 'YYYY-MM-DD') d, GREATEST(id, 2) g FROM acct;||"
        "D          G          |---------- ---------- ||0行が選択されました。||SQL> ");
}

INSTANTIATE_TEST_SUITE_P(Roads, ConstraintScript, ::testing::Values(Road::Embedded, Road::Server),
                         [](const ::testing::TestParamInfo<Road>& info) {
                             return info.param == Road::Embedded ? "Embedded" : "Server";
                         });

}  // namespace
