// A script over interval columns, JSON error clauses and quantified lists,
// run by the batch runner on the embedded database: values shown in their
// declared precision, the server's errors by number.
#include <gtest/gtest.h>

#include <string>

#include "e2e/ScriptRun.h"

namespace {

class IntervalScript : public ScriptRun {};

TEST_F(IntervalScript, PrecisionsErrorClausesAndListsAnswerAsTheServer) {
    RunResult r =
        RunScripts({std::string("CONNECT u/u\n"
                                "CREATE TABLE t (d INTERVAL DAY(3) TO SECOND(2), "
                                "y INTERVAL YEAR(3) TO MONTH);\n"
                                "INSERT INTO t VALUES (INTERVAL '1 2:3:4.78' DAY TO SECOND, "
                                "INTERVAL '5-1' YEAR TO MONTH);\n"
                                "SELECT * FROM t;\n"
                                "INSERT INTO t (d) VALUES (NUMTODSINTERVAL(1000, 'DAY'));\n"
                                "SELECT INTERVAL '123' DAY FROM dual;\n"
                                "COLUMN q FORMAT a10\n"
                                "SELECT JSON_QUERY('{\"a\":1}', '$.a' EMPTY ARRAY ON ERROR) q "
                                "FROM dual;\n"
                                "SELECT JSON_QUERY('{\"a\":1}', '$.b' ERROR ON ERROR) FROM dual;\n"
                                "CREATE TABLE emp (ename VARCHAR2(5), sal NUMBER);\n"
                                "INSERT INTO emp VALUES ('KING', 5000);\n"
                                "INSERT INTO emp VALUES ('WARD', 1250);\n"
                                "INSERT INTO emp VALUES ('MILLS', 1300);\n"
                                "SELECT ename FROM emp WHERE sal = ANY (1300, 5000) ORDER BY 1;\n"
                                "SELECT ename FROM emp WHERE sal > ALL (1000, NULL);\n")});
    const char* expected[] = {
        "D                Y       |---------------- ------- |+001 02:03:04.78 +005-01 |",
        "(NUMTODSINTERVAL(1000, 'DAY'));|ORA-01873: 期間の先行精度が小さすぎます。",
        ("SELECT INTERVAL '123' DAY FROM dual;|       *|エラー行: 0: エラーが発生しました。|"
         "ORA-01873: 期間の先行精度が小さすぎます。"),
        "Q          |---------- |[]         |",
        "ORA-40462: JSON_VALUE の評価結果に値がありません。",
        "ENAME |----- |KING  |MILLS |",
        "ENAME |----- ||0行が選択されました。",
    };
    for (const std::string lines : expected)
        EXPECT_NE(r.out.find(Console(lines)), std::string::npos) << lines << r.out;
    EXPECT_EQ(r.out.find("ORA-03001"), std::string::npos) << r.out;
}

}  // namespace
