// A script that gets a package and a procedure wrong before putting them
// right: SHOW ERRORS lists every bad item, every GOTO without its label and
// the errors inside a loop whose bounds fail; then a package procedure
// returns the id a BEFORE ROW trigger gave, and BINARY_DOUBLE variables
// are computed by the block's SQL as IEEE values and printed as a query's
// column of that type shows them.
#include <gtest/gtest.h>

#include <string>

#include "e2e/ScriptRun.h"

namespace {

class PlsqlDiagnostics : public ScriptRun {};

const char kScript[] =
    "CONNECT u/u@E2E\n"
    "SET SERVEROUTPUT ON\n"
    "CREATE TABLE orders (id NUMBER, item VARCHAR2(10));\n"
    "CREATE SEQUENCE order_ids START WITH 500;\n"
    "CREATE OR REPLACE TRIGGER orders_bi BEFORE INSERT ON orders FOR EACH ROW\n"
    "BEGIN\n"
    "  :NEW.id := order_ids.NEXTVAL;\n"
    "  :NEW.item := UPPER(:NEW.item);\n"
    "END;\n"
    "/\n"
    "CREATE OR REPLACE PACKAGE shop IS\n"
    "  total nosuch_type;\n"
    "  last_id orders.nocol%TYPE;\n"
    "  PROCEDURE place(p_item VARCHAR2);\n"
    "END shop;\n"
    "/\n"
    "SHOW ERRORS\n"
    "CREATE OR REPLACE PROCEDURE jumper IS\n"
    "BEGIN\n"
    "  GOTO start_here;\n"
    "  FOR i IN 1 .. limit_n LOOP\n"
    "    counter := i;\n"
    "  END LOOP;\n"
    "  GOTO finish;\n"
    "END;\n"
    "/\n"
    "SHOW ERRORS\n"
    "CREATE OR REPLACE PACKAGE shop IS\n"
    "  last_id NUMBER;\n"
    "  PROCEDURE place(p_item VARCHAR2);\n"
    "END shop;\n"
    "/\n"
    "CREATE OR REPLACE PACKAGE BODY shop IS\n"
    "  PROCEDURE place(p_item VARCHAR2) IS\n"
    "  BEGIN\n"
    "    INSERT INTO orders (item) VALUES (p_item) RETURNING id INTO last_id;\n"
    "  END place;\n"
    "END shop;\n"
    "/\n"
    "EXEC shop.place('pen')\n"
    "EXEC dbms_output.put_line('order ' || shop.last_id)\n"
    "VARIABLE third BINARY_DOUBLE\n"
    "VARIABLE tenth BINARY_DOUBLE\n"
    "EXEC :third := 1/3\n"
    "BEGIN\n"
    "  SELECT :third * 3 INTO :third FROM dual;\n"
    "END;\n"
    "/\n"
    "PRINT third\n"
    "EXEC :tenth := 0.1d\n"
    "BEGIN\n"
    "  SELECT :tenth + 0.2 INTO :tenth FROM dual;\n"
    "  IF :tenth = 0.3 THEN dbms_output.put_line('equal'); ELSE dbms_output.put_line('not equal'); END IF;\n"
    "END;\n"
    "/\n"
    "PRINT tenth\n"
    "SELECT 1/3d, 2d FROM dual;\n"
    "EXEC :third := 2d\n"
    "PRINT third\n";

TEST_F(PlsqlDiagnostics, EveryErrorIsListedAndFloatingVariablesComputeAsIeeeValues) {
    const RunResult r = RunScripts({kScript});
    EXPECT_EQ(r.status, 0) << r.err;
    const char* expected[] = {
        "SQL> SHOW ERRORS|PACKAGE SHOPのエラーです。||LINE/COL ERROR|"
        "-------- -----------------------------------------------------------------|"
        "2/9      PL/SQL: Item ignored|2/9      PLS-00201: 識別子'NOSUCH_TYPE'を宣言してください。|"
        "3/11     PL/SQL: Item ignored|3/11     PLS-00302: コンポーネント'NOCOL'を宣言してください。",
        "SQL> SHOW ERRORS|PROCEDURE JUMPERのエラーです。||LINE/COL ERROR|"
        "-------- -----------------------------------------------------------------|"
        "3/3      PL/SQL: Statement ignored|3/8      PLS-00201: 識別子'START_HERE'を宣言してください。|"
        "4/3      PL/SQL: Statement ignored|4/17     PLS-00201: 識別子'LIMIT_N'を宣言してください。|"
        "5/5      PL/SQL: Statement ignored|5/5      PLS-00201: 識別子'COUNTER'を宣言してください。|"
        "7/3      PL/SQL: Statement ignored|7/8      PLS-00201: 識別子'FINISH'を宣言してください。",
        "PL/SQLプロシージャが正常に完了しました。||order 500",
        "SQL> PRINT third||THIRD|--------------------|1.0E+000",
        "PL/SQLプロシージャが正常に完了しました。|not equal|SQL> PRINT tenth||TENTH|--------------------|.3",
        "1/3D       2D         |---------- ---------- |.333333333 2.0E+000   ",
    };
    for (const char* part : expected)
        EXPECT_NE(r.out.find(Console(part)), std::string::npos) << part << "\n" << r.out;
    ExpectTail(r, "SQL> PRINT third||THIRD|--------------------|2.0E+000||SQL> ");
}

}  // namespace
