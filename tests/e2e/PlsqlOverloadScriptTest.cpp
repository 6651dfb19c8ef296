// A package of overloaded procedures as a script defines and calls it: the
// declared types of the arguments and the names of named notation choose
// the procedure, a unit with an ambiguous call is stored with its compile
// error, and a dynamic UPDATE returns through its table's alias; through
// the batch runner on both roads with the same text.
#include <gtest/gtest.h>

#include <string>

#include "e2e/ScriptRun.h"

namespace {

class PlsqlOverloadScript : public ScriptRun, public ::testing::WithParamInterface<Road> {
protected:
    PlsqlOverloadScript() { m_road = GetParam(); }
};

const char kScript[] =
    "CONNECT scott/tiger\n"
    "SET SERVEROUTPUT ON\n"
    "CREATE TABLE acct (id NUMBER PRIMARY KEY, owner VARCHAR2(10), opened DATE, bal NUMBER);\n"
    "INSERT INTO acct VALUES (1, 'KING', DATE '2020-01-15', 100);\n"
    "INSERT INTO acct VALUES (2, 'FORD', DATE '2021-06-30', 200);\n"
    "COMMIT;\n"
    "CREATE OR REPLACE PACKAGE acct_api IS\n"
    "  PROCEDURE find(p_id NUMBER);\n"
    "  PROCEDURE find(p_owner VARCHAR2);\n"
    "  PROCEDURE find(p_opened DATE);\n"
    "  PROCEDURE credit(p_id PLS_INTEGER, p_amount NUMBER);\n"
    "  PROCEDURE credit(p_id NUMBER, p_amount BINARY_DOUBLE);\n"
    "END acct_api;\n"
    "/\n"
    "CREATE OR REPLACE PACKAGE BODY acct_api IS\n"
    "  PROCEDURE find(p_id NUMBER) IS\n"
    "  BEGIN\n"
    "    FOR r IN (SELECT owner FROM acct WHERE id = p_id) LOOP\n"
    "      dbms_output.put_line('by id: ' || r.owner);\n"
    "    END LOOP;\n"
    "  END find;\n"
    "  PROCEDURE find(p_owner VARCHAR2) IS\n"
    "  BEGIN\n"
    "    FOR r IN (SELECT id FROM acct WHERE owner = p_owner) LOOP\n"
    "      dbms_output.put_line('by owner: ' || r.id);\n"
    "    END LOOP;\n"
    "  END find;\n"
    "  PROCEDURE find(p_opened DATE) IS\n"
    "  BEGIN\n"
    "    FOR r IN (SELECT owner FROM acct WHERE opened = p_opened) LOOP\n"
    "      dbms_output.put_line('by date: ' || r.owner);\n"
    "    END LOOP;\n"
    "  END find;\n"
    "  PROCEDURE credit(p_id PLS_INTEGER, p_amount NUMBER) IS\n"
    "    v_bal NUMBER;\n"
    "  BEGIN\n"
    "    EXECUTE IMMEDIATE 'UPDATE acct a SET a.bal = a.bal + :1 WHERE a.id = :2 RETURNING a.bal INTO :3'\n"
    "      USING p_amount, p_id RETURNING INTO v_bal;\n"
    "    dbms_output.put_line('number credit: ' || v_bal);\n"
    "  END credit;\n"
    "  PROCEDURE credit(p_id NUMBER, p_amount BINARY_DOUBLE) IS\n"
    "  BEGIN\n"
    "    dbms_output.put_line('double credit');\n"
    "  END credit;\n"
    "END acct_api;\n"
    "/\n"
    "EXEC acct_api.find(2)\n"
    "EXEC acct_api.find('KING')\n"
    "EXEC acct_api.find(DATE '2021-06-30')\n"
    "EXEC acct_api.find(p_owner => 'FORD')\n"
    "DECLARE\n"
    "  n PLS_INTEGER := 1;\n"
    "BEGIN\n"
    "  acct_api.credit(n, 50);\n"
    "END;\n"
    "/\n"
    "CREATE OR REPLACE PROCEDURE audit_all IS\n"
    "BEGIN\n"
    "  acct_api.find(NULL);\n"
    "END;\n"
    "/\n"
    "SHOW ERRORS\n"
    "SELECT id, bal FROM acct ORDER BY id;\n";

TEST_P(PlsqlOverloadScript, DeclaredTypesChooseTheProcedure) {
    RunResult r = RunScripts({kScript});
    for (const char* line : {"by owner: 2", "by id: ", "by date: FORD", "number credit: 150"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n" << r.out;
    EXPECT_NE(r.out.find(Console(
                  "SQL> EXEC acct_api.find(2)||PL/SQLプロシージャが正常に完了しました。||by id: FORD")),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find(Console("SQL> EXEC acct_api.find('KING')||PL/SQLプロシージャが正常に完了しました。||"
                                 "by owner: 1")),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("3/3      PLS-00307: この呼出しと一致する'FIND'の宣言が多すぎます。"),
              std::string::npos)
        << r.out;
    ExpectTail(r,
               "SQL> SELECT id, bal FROM acct ORDER BY id;||ID         BAL        |---------- ---------- |"
               "1          150        |2          200        ||2行が選択されました。||SQL> ");
}

INSTANTIATE_TEST_SUITE_P(Roads, PlsqlOverloadScript, ::testing::Values(Road::Embedded, Road::Server),
                         [](const ::testing::TestParamInfo<Road>& info) {
                             return info.param == Road::Embedded ? "Embedded" : "Server";
                         });

}  // namespace
