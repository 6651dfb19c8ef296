// Measurements kept as BINARY_DOUBLE and BINARY_FLOAT: IEEE values stored,
// ordered with NaN above everything, computed in the wider type and shown
// in the server's text of such values, in SQL and in a PL/SQL block, on
// both roads with the same console text.
#include <gtest/gtest.h>

#include <string>

#include "e2e/ScriptRun.h"

namespace {

class BinaryFloatScript : public ScriptRun, public ::testing::WithParamInterface<Road> {
protected:
    BinaryFloatScript() { m_road = GetParam(); }
};

TEST_P(BinaryFloatScript, ReadingsKeepTheirIeeeValues) {
    RunResult r = RunScripts(
        {"CONNECT scott/tiger\n"
         "CREATE TABLE readings (id NUMBER(3), val BINARY_DOUBLE, approx BINARY_FLOAT);\n"
         "INSERT INTO readings VALUES (1, 1/3, 1/3);\n"
         "INSERT INTO readings VALUES (2, 2.5d, 0.1);\n"
         "INSERT INTO readings VALUES (3, BINARY_DOUBLE_NAN, BINARY_FLOAT_INFINITY);\n"
         "INSERT INTO readings VALUES (4, -1d/0, 1e3f);\n"
         "SELECT id, val, approx, TO_CHAR(val) txt FROM readings ORDER BY val DESC;\n"
         "SELECT id FROM readings WHERE val IS NAN OR approx IS INFINITE;\n"
         "SELECT NANVL(val, 0) v, val * 2 d, approx + 1 f FROM readings WHERE id < 3 ORDER BY id;\n"
         "SET SERVEROUTPUT ON\n"
         "DECLARE\n"
         "  x BINARY_DOUBLE := 1d / 3d;\n"
         "  y BINARY_FLOAT := 2.5f;\n"
         "  z BINARY_DOUBLE := BINARY_DOUBLE_INFINITY;\n"
         "BEGIN\n"
         "  DBMS_OUTPUT.PUT_LINE(x);\n"
         "  DBMS_OUTPUT.PUT_LINE(y * 2);\n"
         "  IF z IS INFINITE THEN\n"
         "    DBMS_OUTPUT.PUT_LINE('inf');\n"
         "  END IF;\n"
         "END;\n"
         "/\n"});
    EXPECT_EQ(
        r.out,
        Console("SQL> CONNECT scott/tiger|接続に成功しました。|"
                "SQL> CREATE TABLE readings (id NUMBER(3), val BINARY_DOUBLE, approx BINARY_FLOAT);|"
                "表が作成されました。|"
                "SQL> INSERT INTO readings VALUES (1, 1/3, 1/3);|1行が作成されました。|"
                "SQL> INSERT INTO readings VALUES (2, 2.5d, 0.1);|1行が作成されました。|"
                "SQL> INSERT INTO readings VALUES (3, BINARY_DOUBLE_NAN, BINARY_FLOAT_INFINITY);|"
                "1行が作成されました。|"
                "SQL> INSERT INTO readings VALUES (4, -1d/0, 1e3f);|1行が作成されました。|"
                "SQL> SELECT id, val, approx, TO_CHAR(val) txt FROM readings ORDER BY val DESC;|"
                "|ID         VAL        APPROX     TXT                     |"
                "---------- ---------- ---------- ----------------------- |"
                // NaN sorts above every value; the text is the server's.
                "3          Nan        Inf        Nan                     |"
                "2          2.5E+000   1.0E-001   2.5E+000                |"
                "1          .333333333 .333333343 3.3333333333333331E-001 |"
                "4          -Inf       1.0E+003   -Inf                    ||4行が選択されました。||"
                "SQL> SELECT id FROM readings WHERE val IS NAN OR approx IS INFINITE;|"
                "|ID         |---------- |3          ||1行が選択されました。||"
                "SQL> SELECT NANVL(val, 0) v, val * 2 d, approx + 1 f FROM readings WHERE id < 3 ORDER BY "
                "id;|"
                "|V          D          F          |---------- ---------- ---------- |"
                // 1/3 in single precision plus 1 is 1.33333337 in single precision.
                ".333333333 .666666667 1.33333337 |"
                "2.5E+000   5.0E+000   1.1E+000   ||2行が選択されました。||"
                "SQL> SET SERVEROUTPUT ON|SQL> DECLARE|SQL>   x BINARY_DOUBLE := 1d / 3d;|"
                "SQL>   y BINARY_FLOAT := 2.5f;|SQL>   z BINARY_DOUBLE := BINARY_DOUBLE_INFINITY;|"
                "SQL> BEGIN|SQL>   DBMS_OUTPUT.PUT_LINE(x);|SQL>   DBMS_OUTPUT.PUT_LINE(y * 2);|"
                "SQL>   IF z IS INFINITE THEN|SQL>     DBMS_OUTPUT.PUT_LINE('inf');|SQL>   END IF;|"
                "SQL> END;|SQL> /|PL/SQLプロシージャが正常に完了しました。|"
                "3.3333333333333331E-001|5.0E+000|inf|SQL> "));
}

TEST_P(BinaryFloatScript, BindVariablesOfTheFloatingTypes) {
    RunResult r =
        RunScripts({"CONNECT scott/tiger\n"
                    "VARIABLE ratio BINARY_DOUBLE\n"
                    "VARIABLE approx BINARY_FLOAT\n"
                    "EXECUTE :ratio := 1 / 3\n"
                    "EXECUTE :approx := :ratio * 2\n"
                    "PRINT ratio\n"
                    "PRINT approx\n"
                    "EXECUTE :ratio := :ratio / 0\n"
                    "PRINT ratio\n"
                    "CREATE TABLE kept (d BINARY_DOUBLE, f BINARY_FLOAT);\n"
                    "EXECUTE :ratio := 2.5\n"
                    "INSERT INTO kept VALUES (:ratio, :approx);\n"
                    "SELECT d, f, TO_CHAR(f) txt FROM kept;\n"});
    EXPECT_EQ(r.out, Console("SQL> CONNECT scott/tiger|接続に成功しました。|"
                             "SQL> VARIABLE ratio BINARY_DOUBLE|SQL> VARIABLE approx BINARY_FLOAT|"
                             "SQL> EXECUTE :ratio := 1 / 3||PL/SQLプロシージャが正常に完了しました。||"
                             "SQL> EXECUTE :approx := :ratio * 2||PL/SQLプロシージャが正常に完了しました。||"
                             "SQL> PRINT ratio||RATIO|--------------------|.333333333||"
                             // Single precision: 2/3 is 0.666666687.
                             "SQL> PRINT approx||APPROX|--------------------|.666666687||"
                             // IEEE arithmetic in the block: no ORA-01476.
                             "SQL> EXECUTE :ratio := :ratio / 0||PL/SQLプロシージャが正常に完了しました。||"
                             "SQL> PRINT ratio||RATIO|--------------------|Inf||"
                             "SQL> CREATE TABLE kept (d BINARY_DOUBLE, f BINARY_FLOAT);|表が作成されました。|"
                             "SQL> EXECUTE :ratio := 2.5||PL/SQLプロシージャが正常に完了しました。||"
                             "SQL> INSERT INTO kept VALUES (:ratio, :approx);|1行が作成されました。|"
                             "SQL> SELECT d, f, TO_CHAR(f) txt FROM kept;|"
                             "|D          F          TXT             |"
                             "---------- ---------- --------------- |"
                             "2.5E+000   .666666687 6.66666687E-001 ||1行が選択されました。||SQL> "));
}

// A floating variable is bound as a value of its type: what SQL computes
// from it is of that type and shown as one.
TEST_P(BinaryFloatScript, SqlComputesAFloatingVariableInItsType) {
    RunResult r =
        RunScripts({"CONNECT scott/tiger\n"
                    "VARIABLE b BINARY_DOUBLE\n"
                    "VARIABLE f BINARY_FLOAT\n"
                    "EXEC :b := 1/3\n"
                    "EXEC :f := 1/3\n"
                    "SELECT :b * 3 b3, :f * 3 f3, TO_CHAR(:b) t FROM dual;\n"});
    ExpectTail(r,
               "SQL> SELECT :b * 3 b3, :f * 3 f3, TO_CHAR(:b) t FROM dual;||"
               "B3         F3         T                       |"
               "---------- ---------- ----------------------- |"
               "1.0E+000   1.0E+000   3.3333333333333331E-001 ||1行が選択されました。||SQL> ");
}

INSTANTIATE_TEST_SUITE_P(Roads, BinaryFloatScript, ::testing::Values(Road::Embedded, Road::Server),
                         [](const ::testing::TestParamInfo<Road>& info) {
                             return info.param == Road::Embedded ? "Embedded" : "Server";
                         });

}  // namespace
