// A script reading whole-second timestamps into PL/SQL, run by the batch
// runner on the embedded database: they print as timestamps, FF of a
// TIMESTAMP(0) writes no digits, and a year before the common era is
// refused by name.
#include <gtest/gtest.h>

#include <string>

#include "e2e/ScriptRun.h"

namespace {

class TimestampTypeScript : public ScriptRun {};

TEST_F(TimestampTypeScript, WholeSecondsStayTimestamps) {
    RunResult r =
        RunScripts({std::string("CONNECT u/u\n"
                                "SET SERVEROUTPUT ON\n"
                                "CREATE TABLE ev (at TIMESTAMP(0));\n"
                                "INSERT INTO ev VALUES (TIMESTAMP '2026-12-09 10:15:00');\n"
                                "BEGIN\n"
                                "  FOR e IN (SELECT at FROM ev) LOOP\n"
                                "    dbms_output.put_line('at=' || e.at);\n"
                                "    dbms_output.put_line('ff=' || TO_CHAR(e.at, 'SS.FF'));\n"
                                "  END LOOP;\n"
                                "  dbms_output.put_line(CAST(DATE '2026-12-09' AS TIMESTAMP));\n"
                                "END;\n"
                                "/\n"
                                "SELECT TO_DATE('-0044-03-15', 'SYYYY-MM-DD') FROM dual;\n")});
    const char* expected[] = {
        "at=26-12-09 10:15:00|ff=00.|26-12-09 00:00:00.000000",
        "ORA-03001: 未実装の機能です: 紀元前の年 (SYYYY) は組込みデータベースでは使えません。",
    };
    for (const std::string lines : expected)
        EXPECT_NE(r.out.find(Console(lines)), std::string::npos) << lines << r.out;
}

}  // namespace
