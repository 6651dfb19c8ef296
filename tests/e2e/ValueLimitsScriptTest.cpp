// A teaching script on how numbers become text and how long a text may be,
// run on the embedded database through the batch runner: physical
// constants listed with TO_CHAR (plain while the digits fit 40 places,
// scientific beyond), a number joined to text, a position that is no number,
// a concatenation past 4000 bytes, and a block reading a number into text.
#include <gtest/gtest.h>

#include <string>

#include "e2e/ScriptRun.h"

namespace {

class ValueLimitsScript : public ScriptRun {};

const char kScript[] =
    "CONNECT lab/lab\n"
    "CREATE TABLE constants (name VARCHAR2(12), val NUMBER);\n"
    "INSERT INTO constants VALUES ('avogadro', 6.02214076E23);\n"
    "INSERT INTO constants VALUES ('planck', 6.62607015E-34);\n"
    "INSERT INTO constants VALUES ('googol', 1E100);\n"
    "INSERT INTO constants VALUES ('third', 1/3);\n"
    "COLUMN shown FORMAT A42\n"
    "SELECT name, TO_CHAR(val) shown FROM constants ORDER BY name;\n"
    "SELECT name || ' = ' || val line FROM constants WHERE name = 'googol';\n"
    "SELECT SUBSTR('hydrogen', '1', 'x') FROM dual;\n"
    "SELECT LENGTH(RPAD('-', 4000, '-') || '!') FROM dual;\n"
    "SELECT LENGTH(RPAD('-', 9000, '-')) len FROM dual;\n"
    "SET SERVEROUTPUT ON\n"
    "DECLARE\n"
    "  v VARCHAR2(100);\n"
    "BEGIN\n"
    "  SELECT val INTO v FROM constants WHERE name = 'planck';\n"
    "  DBMS_OUTPUT.PUT_LINE('planck: ' || v);\n"
    "  v := 1E-130;\n"
    "  DBMS_OUTPUT.PUT_LINE('tiny: ' || v);\n"
    "END;\n"
    "/\n";

TEST_F(ValueLimitsScript, ConstantsAsTextAndTheLongestText) {
    RunResult r = RunScripts({kScript});
    EXPECT_EQ(r.status, 0) << r.err;
    // Avogadro's 24 places are plain; Planck's 42 places and the googol's
    // 101 are scientific in 40 bytes; a third's 40 digits are all shown.
    EXPECT_NE(r.out.find(Console("NAME         SHOWN                                      |"
                                 "------------ ------------------------------------------ |"
                                 "avogadro     602214076000000000000000                   |"
                                 "googol       1.000000000000000000000000000000000E+100   |"
                                 "planck       6.6260701500000000000000000000000000E-34   |"
                                 "third        .3333333333333333333333333333333333333333  |")),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find(Console("googol = 1.000000000000000000000000000000000E+100         ")),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find(Console("SELECT SUBSTR('hydrogen', '1', 'x') FROM dual;|"
                                 "                               *|"
                                 "エラー行: 0: エラーが発生しました。|"
                                 "ORA-01722: 数値に変換できない値です。")),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find(Console("ORA-01489: 文字列の連結の結果が長すぎます。")), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(Console("LEN        |---------- |4000       ")), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(Console("planck: 6.6260701500000000000000000000000000E-34|"
                                 "tiny: 1.000000000000000000000000000000000E-130")),
              std::string::npos)
        << r.out;
}

}  // namespace
