// A Japanese user's script: half-width katakana made full-width for a
// report, beside the long date of the session's territory (JAPAN).
#include <gtest/gtest.h>

#include <string>

#include "e2e/ScriptRun.h"

namespace {

class WidthDateScript : public ScriptRun {};

TEST_F(WidthDateScript, FullWidthNamesAndTheLongDateShowInTheirColumns) {
    RunResult r =
        RunScripts({"CONNECT u/u@" + Named("WIDTH") +
                    "\n"
                    "CREATE TABLE kana (id NUMBER, name VARCHAR2(10));\n"
                    "INSERT INTO kana VALUES (1, 'ﾀﾅｶ ｲﾁﾛｳ');\n"
                    "SELECT TO_MULTI_BYTE(name) full_name, TO_CHAR(DATE '2024-01-05', 'DL') long_date "
                    "FROM kana;\n"});
    // Ten bytes made full-width take twenty.
    ExpectTail(r,
               "FULL_NAME            LONG_DATE                     |"
               "-------------------- ----------------------------- |"
               "タナカ　イチロウ     2024年01月05日 金曜日         ||"
               "1行が選択されました。||SQL> ");
}

}  // namespace
