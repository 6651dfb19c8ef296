// DML ... RETURNING ... INTO the console's variables, on both roads with
// the same console text.
#include <gtest/gtest.h>

#include <string>

#include "e2e/ScriptRun.h"

namespace {

class ReturningScript : public ScriptRun, public ::testing::WithParamInterface<Road> {
protected:
    ReturningScript() { m_road = GetParam(); }
};

TEST_P(ReturningScript, OneRowFillsTheVariablesAndSeveralFail) {
    std::string connect = "SQL> CONNECT scott/tiger@" + Named("RET") + "|接続に成功しました。|";
    ExpectConsole(connect +
                  "SQL> CREATE TABLE item (id NUMBER GENERATED ALWAYS AS IDENTITY, name VARCHAR2(10));|"
                  "表が作成されました。|SQL> VARIABLE id NUMBER|SQL> VARIABLE nm VARCHAR2(10)|"
                  "SQL> INSERT INTO item (name) VALUES ('pen') RETURNING id, name INTO :id, :nm;|"
                  "1行が作成されました。|SQL> INSERT INTO item (name) VALUES ('ink');|"
                  "1行が作成されました。|"
                  "SQL> UPDATE item SET name = UPPER(name) RETURNING id INTO :id;|"
                  "UPDATE item SET name = UPPER(name) RETURNING id INTO :id;|*|"
                  "エラー行: 0: エラーが発生しました。|"
                  "ORA-01422: 完全フェッチがリクエストよりも多くの行を戻しました。|"
                  "SQL> PRINT id||ID|--------------------|1||SQL> ");
}

// A value longer than the variable was declared fails the statement, which
// is undone; the variable keeps what it held.
TEST_P(ReturningScript, AValueLongerThanTheVariableFailsTheStatement) {
    std::string connect = "SQL> CONNECT scott/tiger@" + Named("RET") + "|接続に成功しました。|";
    ExpectConsole(connect +
                  "SQL> CREATE TABLE t (id NUMBER PRIMARY KEY, c VARCHAR2(5));|表が作成されました。|"
                  "SQL> VARIABLE v VARCHAR2(3)|"
                  "SQL> INSERT INTO t (id, c) VALUES (1, 'abcde') RETURNING c INTO :v;|"
                  "INSERT INTO t (id, c) VALUES (1, 'abcde') RETURNING c INTO :v;|*|"
                  "エラー行: 0: エラーが発生しました。|"
                  "ORA-06502: PL/SQL: 数値または値のエラーです: 文字列バッファが小さすぎます。|"
                  "SQL> PRINT v||V|--------------------|   ||"
                  "SQL> INSERT INTO t (id, c) VALUES (2, 'abc') RETURNING c INTO :v;|1行が作成されました。|"
                  "SQL> SELECT id FROM t;||ID         |---------- |2          ||1行が選択されました。||"
                  "SQL> PRINT v||V|--------------------|abc||SQL> ");
}

// The row a BEFORE ROW trigger wrote is what RETURNING gives; through a
// view's INSTEAD OF trigger RETURNING is refused and nothing changes.
TEST_P(ReturningScript, UpdateReturnsTheRowAsTheTriggersLeftIt) {
    ExpectRun(
        "SQL> UPDATE acct SET amount = 250 WHERE id = 1 RETURNING fee INTO :fee;|1行が更新されました。|"
        "SQL> PRINT fee||FEE|--------------------|25||"
        "SQL> UPDATE acct_v SET amount = 300 WHERE id = 1 RETURNING amount INTO :fee;|"
        "UPDATE acct_v SET amount = 300 WHERE id = 1 RETURNING amount INTO :fee;|"
        "                                            *|エラー行: 0: エラーが発生しました。|"
        "ORA-22816: RETURNING句ではサポートされていない機能です。|"
        "SQL> SELECT amount, fee FROM acct;||AMOUNT     FEE        |---------- ---------- |"
        "250        25         ||1行が選択されました。||SQL> ",
        "CONNECT scott/tiger\nCREATE TABLE acct (id NUMBER PRIMARY KEY, amount NUMBER, fee NUMBER);\n"
        "INSERT INTO acct VALUES (1, 100, 0);\n"
        "CREATE OR REPLACE TRIGGER acct_fee BEFORE UPDATE ON acct FOR EACH ROW\nBEGIN\n"
        "  :NEW.fee := :NEW.amount / 10;\nEND;\n/\nVARIABLE fee NUMBER\n"
        "CREATE VIEW acct_v AS SELECT id, amount FROM acct;\n"
        "CREATE OR REPLACE TRIGGER acct_v_u INSTEAD OF UPDATE ON acct_v FOR EACH ROW\nBEGIN\n"
        "  UPDATE acct SET amount = :NEW.amount WHERE id = :OLD.id;\nEND;\n/\n");
}

INSTANTIATE_TEST_SUITE_P(Roads, ReturningScript, ::testing::Values(Road::Embedded, Road::Server),
                         [](const ::testing::TestParamInfo<Road>& info) {
                             return info.param == Road::Embedded ? "Embedded" : "Server";
                         });

}  // namespace
