// A lesson on converting datetime values, run by the batch runner on the
// embedded database: intervals read from ISO 8601 durations, a zoned
// timestamp read with an NLS parameter, FF of a TIMESTAMP(3) variable in
// PL/SQL and of a DATE refused, a conversion given too many arguments, and
// the character sets V$NLS_PARAMETERS shows.
#include <gtest/gtest.h>

#include <string>

#include "e2e/ScriptRun.h"

namespace {

class DatetimeConversionScript : public ScriptRun {};

TEST_F(DatetimeConversionScript, ConversionsAnswerAsTheServer) {
    RunResult r = RunScripts(
        {std::string("CONNECT u/u\n"
                     "SET SERVEROUTPUT ON\n"
                     "SELECT TO_DSINTERVAL('P100DT5H') ds, TO_YMINTERVAL('P1Y2M') ym FROM dual;\n"
                     "SELECT TO_CHAR(TO_TIMESTAMP_TZ('04-FEB-2021 13:20:22 +09:00', "
                     "'DD-MON-YYYY HH24:MI:SS TZH:TZM', 'NLS_DATE_LANGUAGE=AMERICAN'), "
                     "'YYYY-MM-DD HH24:MI TZH:TZM') tz FROM dual;\n"
                     "DECLARE\n"
                     "  t TIMESTAMP(3) := TIMESTAMP '2021-02-04 13:20:22.123456';\n"
                     "BEGIN\n"
                     "  dbms_output.put_line('ff=' || to_char(t, 'FF'));\n"
                     "  dbms_output.put_line('len=' || length(to_char(SYSTIMESTAMP, 'FF')));\n"
                     "END;\n"
                     "/\n"
                     "DECLARE\n"
                     "  d DATE := DATE '2021-02-04';\n"
                     "BEGIN\n"
                     "  dbms_output.put_line(to_char(d, 'HH24:MI:SS.FF'));\n"
                     "END;\n"
                     "/\n"
                     "SELECT TO_YMINTERVAL('1-2', 'x') FROM dual;\n"
                     "SELECT TO_DSINTERVAL('PT') FROM dual;\n"
                     "SELECT value FROM v$nls_parameters WHERE parameter = 'NLS_CHARACTERSET';\n")});
    const char* expected[] = {
        "DS                            YM            |"
        "----------------------------- ------------- |"
        "+000000100 05:00:00.000000000 +000000001-02 |",
        "TZ                      |----------------------- |2021-02-04 13:20 +09:00 |",
        "ff=123|len=6",
        "ORA-01821: 日付書式が無効です。|ORA-06512: 行4",
        "ORA-00939: 関数の引数が多すぎます。",
        "ORA-01867: 期間が無効です。",
        "VALUE                                                            |"
        "---------------------------------------------------------------- |"
        "AL32UTF8                                                         |",
    };
    for (const std::string lines : expected)
        EXPECT_NE(r.out.find(Console(lines)), std::string::npos) << lines << r.out;
    EXPECT_EQ(r.out.find("ORA_"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find(".000000000\n"), std::string::npos) << r.out;
}

}  // namespace
