// PL/SQL types beyond NUMBER and VARCHAR2: CHAR's blank-padding and its
// comparison rules, and records written whole by UPDATE ... SET ROW, as the
// PL/SQL Language Reference describes them.
#include <gtest/gtest.h>

#include "tests/engine/EngineFixture.h"

namespace {

class PlsqlTypesTest : public OutputFixture {};

using Case = BlockCase;

}  // namespace

// Two CHAR values (CHAR variables and literals) compare blank-padded; with a
// VARCHAR2 on either side the blanks count.
TEST_F(PlsqlTypesTest, CharIsBlankPaddedAndComparesSo) {
    const Case cases[] = {
        {"DECLARE c CHAR(5) := 'ab'; BEGIN dbms_output.put_line('[' || c || ']' || LENGTH(c)); END;",
         "[ab   ]5"},
        {"DECLARE c CHAR(5) := 'ab'; BEGIN IF c = 'ab' THEN dbms_output.put_line('equal'); END IF; END;",
         "equal"},
        {"DECLARE c CHAR(5) := 'ab'; d CHAR(3) := 'ab'; BEGIN IF c = d AND NOT (c < d) AND c >= d THEN "
         "dbms_output.put_line('equal'); END IF; END;",
         "equal"},
        {"DECLARE c CHAR(5) := 'ab'; v VARCHAR2(5) := 'ab'; BEGIN IF c = v THEN "
         "dbms_output.put_line('equal'); "
         "ELSE dbms_output.put_line('differ'); END IF; END;",
         "differ"},
        {"DECLARE v1 VARCHAR2(5) := 'ab '; BEGIN IF v1 = 'ab' THEN dbms_output.put_line('equal'); ELSE "
         "dbms_output.put_line('differ'); END IF; END;",
         "differ"},
        {"DECLARE c CHAR(4) := 'a'; BEGIN IF c > 'a ' OR c < 'a' THEN dbms_output.put_line('order'); ELSE "
         "dbms_output.put_line('same'); END IF; END;",
         "same"},
        {"DECLARE c CHAR(3) := 'a'; v VARCHAR2(3) := 'a'; BEGIN IF c IN ('b', 'a') THEN "
         "dbms_output.put_line('in'); END IF; IF c NOT IN (v) THEN dbms_output.put_line('not in'); END IF; "
         "END;",
         "in|not in"},
        {"DECLARE c CHAR(3); BEGIN c := 'abcd'; END;",
         "ERROR ORA-06502: PL/SQL: 数値または値のエラーです: 文字列バッファが小さすぎます。|ORA-06512: 行1"},
    };
    for (const Case& c : cases) EXPECT_EQ(OutputOf(c.block), c.answer) << c.block;
}

TEST_F(PlsqlTypesTest, UpdateSetRowWritesTheRecordsFieldsByPlace) {
    Exec("CREATE TABLE dept (deptno NUMBER(2), dname VARCHAR2(14), loc CHAR(8))");
    Exec("INSERT INTO dept VALUES (10, 'ACCOUNTING', 'NEW YORK')");
    Exec("INSERT INTO dept VALUES (20, 'RESEARCH', 'DALLAS')");
    EXPECT_EQ(OutputOf("DECLARE r dept%ROWTYPE; BEGIN SELECT * INTO r FROM dept WHERE deptno = 20; "
                       "r.dname := 'R AND D'; r.loc := 'AUSTIN'; "
                       "UPDATE dept SET ROW = r WHERE deptno = r.deptno; dbms_output.put_line(SQL%ROWCOUNT); "
                       "IF r.loc = 'AUSTIN' THEN dbms_output.put_line('padded'); END IF; END;"),
              "1|padded");
    EXPECT_EQ(Rows("SELECT deptno, dname, loc FROM dept ORDER BY 1"),
              "10,ACCOUNTING,NEW YORK|20,R AND D,AUSTIN  ");
    // A record whose fields are not the table's columns is the wrong type.
    EXPECT_EQ(OutputOf("DECLARE TYPE pair IS RECORD (a NUMBER, b VARCHAR2(5)); p pair; BEGIN "
                       "UPDATE dept SET ROW = p; END;"),
              "ERROR ORA-06550: 行1、列92:|PLS-00382: 式の型が間違っています。");
}

// A TIMESTAMP keeps the digits of a second its type gives (six by default),
// rounded; a DATE keeps none; TIMESTAMP plus a number is a DATE.
TEST_F(PlsqlTypesTest, TimestampsKeepTheirFractionOfASecond) {
    Exec("CREATE TABLE ts (t TIMESTAMP(6), d DATE)");
    Exec("INSERT INTO ts VALUES (TIMESTAMP '2024-01-02 03:04:05.123456', DATE '2024-01-02')");
    const Case cases[] = {
        {"DECLARE u TIMESTAMP(3); BEGIN SELECT t INTO u FROM ts; "
         "dbms_output.put_line(TO_CHAR(u, 'YYYY-MM-DD HH24:MI:SS.FF6')); dbms_output.put_line(u); END;",
         "2024-01-02 03:04:05.123000|24-01-02 03:04:05.123000"},
        {"DECLARE u TIMESTAMP(5) := TIMESTAMP '2024-01-02 03:04:05.1234567'; BEGIN "
         "dbms_output.put_line(TO_CHAR(u, 'FF9')); END;",
         "123460000"},
        {"DECLARE r ts%ROWTYPE; d DATE; v TIMESTAMP; BEGIN SELECT * INTO r FROM ts; d := r.t; v := r.d; "
         "dbms_output.put_line(r.t || ' / ' || TO_CHAR(d, 'HH24:MI:SS') || ' / ' || v); END;",
         "24-01-02 03:04:05.123456 / 03:04:05 / 24-01-02 00:00:00.000000"},
        {"DECLARE u TIMESTAMP := TIMESTAMP '2024-01-02 03:04:05.5'; v TIMESTAMP; BEGIN v := u + 1; "
         "dbms_output.put_line(v); END;",
         "24-01-03 03:04:05.000000"},
        {"DECLARE t TIMESTAMP := SYSTIMESTAMP; d DATE := SYSDATE; BEGIN IF t >= d - 1 AND "
         "LENGTH(TO_CHAR(t, 'FF6')) = 6 THEN dbms_output.put_line('now'); END IF; END;",
         "now"},
        {"DECLARE i INTERVAL DAY TO SECOND; BEGIN NULL; END;",
         "ERROR ORA-03001: 未実装の機能です: INTERVAL 型の変数 は組込みデータベースでは使えません。"},
    };
    for (const Case& c : cases) EXPECT_EQ(OutputOf(c.block), c.answer) << c.block;
}
