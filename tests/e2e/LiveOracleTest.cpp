// Scripts against a real Oracle server: run only when TARVEX_ORACLE_TEST
// holds a connect string (user/password@//host:port/service) and the client
// library loads (TARVEX_OCI_LIBRARY, LD_LIBRARY_PATH or ORACLE_HOME);
// otherwise every case is reported as skipped.
#include <gtest/gtest.h>

#include <string>

#include "e2e/ScriptRun.h"

namespace {

class LiveOracle : public ScriptRun {
protected:
    void SetUp() override {
        const char* target = std::getenv("TARVEX_ORACLE_TEST");
        if (target == nullptr || *target == '\0') GTEST_SKIP() << "TARVEX_ORACLE_TEST is not set";
        m_connect = std::string("CONNECT ") + target + "\n";
        RunResult probe = RunScripts({m_connect});
        if (probe.out.find("接続に成功しました。") == std::string::npos)
            GTEST_SKIP() << "cannot reach the server: " << probe.out;
    }
    static void ExpectHas(const RunResult& r, const std::string& text) {
        EXPECT_NE(r.out.find(text), std::string::npos) << "missing: " << text << "\n" << r.out;
    }

    std::string m_connect;
};

TEST_F(LiveOracle, TablesRowsDescribeAndTransactions) {
    RunResult r = RunScripts(
        {m_connect + "CREATE TABLE tarvex_live (ename VARCHAR2(10), sal NUMBER(7,2) NOT NULL);\n"
                     "INSERT INTO tarvex_live VALUES ('smith', 800);\nSELECT ename, sal FROM tarvex_live;\n"
                     "desc tarvex_live\nROLLBACK;\nSELECT COUNT(*) FROM tarvex_live;\n"
                     "DROP TABLE tarvex_live;\n"});
    ExpectHas(r, "表が作成されました。");
    ExpectHas(r, "1行が作成されました。");
    ExpectHas(r, "SMITH      800        ");
    ExpectHas(r, "SAL                  NOT NULL NUMBER(7, 2)");
    ExpectHas(r, "ロールバックが完了しました。");
    ExpectHas(r, "\n0          \n");
    ExpectHas(r, "表が削除されました。");
}

TEST_F(LiveOracle, ProgramUnitWithErrorsWarnsAndShowErrorsListsThem) {
    RunResult r = RunScripts(
        {m_connect + "CREATE OR REPLACE PROCEDURE tarvex_live_p IS\nBEGIN\n  no_such_thing;\nEND;\n/\n"
                     "SHOW ERRORS\nDROP PROCEDURE tarvex_live_p;\n"});
    ExpectHas(r, "警告: コンパイル・エラーがあります。");
    ExpectHas(r, "PROCEDURE TARVEX_LIVE_Pのエラーです。");
    ExpectHas(r, "LINE/COL ERROR");
    ExpectHas(r, "PLS-00201");
}

TEST_F(LiveOracle, ServerOutputAndJapaneseErrorText) {
    RunResult r =
        RunScripts({m_connect + "SET SERVEROUTPUT ON\nBEGIN\n  DBMS_OUTPUT.PUT_LINE('live');\nEND;\n/\n"
                                "SELECT * FROM tarvex_no_such_table;\n"});
    ExpectHas(r, "PL/SQLプロシージャが正常に完了しました。\nLIVE\n");
    ExpectHas(r, "ORA-00942: 表またはビューが存在しません");
}

TEST_F(LiveOracle, InterruptBreaksTheRunningStatement) {
    RunResult r =
        RunInterrupted({m_connect + "SELECT COUNT(*) FROM all_objects a, all_objects b, all_objects c;\n"
                                    "SELECT 'after' FROM dual;\nEXIT\n"},
                       {5000});
    EXPECT_EQ(r.status, 0) << r.err;
    ExpectHas(r, "ORA-01013");
    ExpectHas(r, "\nAFTER \n");
}

}  // namespace
