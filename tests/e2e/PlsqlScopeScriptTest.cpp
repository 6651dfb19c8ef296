// A teaching script on PL/SQL values and scope, run on the embedded
// database through the batch runner: long and repeating NUMBER values
// written out whole and by a model, record types with field defaults,
// names qualified by their block's label, and zoned timestamps measured
// against plain ones in the session's time zone.
#include <gtest/gtest.h>

#include <string>

#include "e2e/ScriptRun.h"

namespace {

class PlsqlScopeScript : public ScriptRun {};

const char kScript[] =
    "CONNECT sc/sc\n"
    "SET SERVEROUTPUT ON\n"
    "ALTER SESSION SET TIME_ZONE = '+09:00';\n"
    "DECLARE\n"
    "  big   NUMBER := 12345678901234567890;\n"
    "  third NUMBER := 1/3;\n"
    "  total NUMBER := 0;\n"
    "BEGIN\n"
    "  DBMS_OUTPUT.PUT_LINE(TO_CHAR(big) || ' ' || big * 10);\n"
    "  DBMS_OUTPUT.PUT_LINE(third);\n"
    "  DBMS_OUTPUT.PUT_LINE('[' || TO_CHAR(third, '0.9999') || '][' || TO_CHAR(big, "
    "'FM99,999,999,999,999,999,999') || ']');\n"
    "  FOR i IN 1 .. 10 LOOP total := total + 0.1; END LOOP;\n"
    "  DBMS_OUTPUT.PUT_LINE(total || ' ' || (0.1 + 0.2));\n"
    "END;\n"
    "/\n"
    "DECLARE\n"
    "  TYPE emp_t IS RECORD (name VARCHAR2(10) := 'nobody', grade NUMBER(2) NOT NULL := 1);\n"
    "  e emp_t;\n"
    "BEGIN\n"
    "  <<middle>>\n"
    "  DECLARE\n"
    "    grade NUMBER := 9;\n"
    "  BEGIN\n"
    "    DECLARE\n"
    "      grade NUMBER := 3;\n"
    "    BEGIN\n"
    "      DBMS_OUTPUT.PUT_LINE(e.name || ' ' || e.grade || ' ' || grade || ' ' || middle.grade);\n"
    "    END;\n"
    "  END;\n"
    "END;\n"
    "/\n"
    "DECLARE\n"
    "  z TIMESTAMP WITH TIME ZONE := TIMESTAMP '2024-05-01 09:00:00 +09:00';\n"
    "  p TIMESTAMP := TIMESTAMP '2024-05-01 09:00:00';\n"
    "  w TIMESTAMP WITH TIME ZONE := TIMESTAMP '2024-05-01 09:00:00 -04:00';\n"
    "BEGIN\n"
    "  IF z = p THEN DBMS_OUTPUT.PUT_LINE('same instant'); END IF;\n"
    "  DBMS_OUTPUT.PUT_LINE(TO_CHAR(w + INTERVAL '90' MINUTE, 'HH24:MI TZH:TZM'));\n"
    "  DBMS_OUTPUT.PUT_LINE(w - p);\n"
    "END;\n"
    "/\n";

TEST_F(PlsqlScopeScript, ValuesAndScopesOfATeachingScript) {
    RunResult r = RunScripts({kScript});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("12345678901234567890 123456789012345678900\n"
                         ".3333333333333333333333333333333333333333\n"
                         "[ 0.3333][12,345,678,901,234,567,890]\n"
                         "1 .3\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("nobody 1 3 9\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("same instant\n"
                         "10:30 -04:00\n"
                         "+000000000 13:00:00.000000000\n"),
              std::string::npos)
        << r.out;
}

}  // namespace

namespace {

// A block that opens with its label, and ends with it, is one statement.
const char kLabelledScript[] =
    "CONNECT sc/sc\n"
    "SET SERVEROUTPUT ON\n"
    "<<outer>>\n"
    "DECLARE\n"
    "  x NUMBER := 1;\n"
    "BEGIN\n"
    "  <<inner>>\n"
    "  DECLARE\n"
    "    x NUMBER := 2;\n"
    "  BEGIN\n"
    "    DBMS_OUTPUT.PUT_LINE(outer.x || ' ' || x);\n"
    "  END inner;\n"
    "END outer;\n"
    "/\n"
    "<<only>> BEGIN DBMS_OUTPUT.PUT_LINE('one line'); END only;\n"
    "/\n";

TEST_F(PlsqlScopeScript, ABlockOpeningWithItsLabelRunsWhole) {
    RunResult r = RunScripts({kLabelledScript});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.find("不明なコマンドです。"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("PL/SQLプロシージャが正常に完了しました。\n1 2\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("PL/SQLプロシージャが正常に完了しました。\none line\n"), std::string::npos) << r.out;
}

}  // namespace
