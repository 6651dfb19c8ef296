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
         "2024-01-02 03:04:05.123000|24-01-02 03:04:05.123"},
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
    };
    for (const Case& c : cases) EXPECT_EQ(OutputOf(c.block), c.answer) << c.block;
}

// INTERVAL variables hold their value in the digits their type gives (DAY(2)
// and SECOND(6), YEAR(2) by default), show as the server shows them, move
// dates and timestamps in PL/SQL and in SQL, and give their fields to
// EXTRACT; a value whose leading field is too long is ORA-01873, one of the
// other kind ORA-01867.
TEST_F(PlsqlTypesTest, IntervalVariablesHoldShowAndMoveDates) {
    Exec("CREATE TABLE ev (at DATE)");
    Exec("INSERT INTO ev VALUES (DATE '2024-05-01')");
    const Case cases[] = {
        {"DECLARE ds INTERVAL DAY TO SECOND := INTERVAL '1 02:03:04.5' DAY TO SECOND; ym INTERVAL YEAR TO "
         "MONTH := '1-2'; BEGIN dbms_output.put_line(ds || ' ' || ym); END;",
         "+01 02:03:04.500000 +01-02"},
        {"DECLARE ds INTERVAL DAY(3) TO SECOND(2); ym INTERVAL YEAR(3) TO MONTH; BEGIN "
         "ds := NUMTODSINTERVAL(100.123456, 'DAY'); ym := INTERVAL '120-3' YEAR(3) TO MONTH; "
         "dbms_output.put_line(ds || ' ' || ym); ds := TO_DSINTERVAL('0 00:00:00.004'); "
         "dbms_output.put_line(ds); END;",
         "+100 02:57:46.60 +120-03|+000 00:00:00.00"},
        {"DECLARE d DATE := DATE '2024-01-31'; t TIMESTAMP := TIMESTAMP '2024-03-01 10:00:00.5'; "
         "ds INTERVAL DAY TO SECOND := NUMTODSINTERVAL(36, 'HOUR'); ym INTERVAL YEAR TO MONTH := '1-2'; "
         "BEGIN "
         "dbms_output.put_line(TO_CHAR(d + ds, 'YYYY-MM-DD HH24:MI') || ' ' || TO_CHAR(d - ds, 'MM-DD HH24') "
         "|| "
         "' ' || TO_CHAR(ds + d, 'DD')); dbms_output.put_line(TO_CHAR(t + ds, 'YYYY-MM-DD HH24:MI:SS.FF1')); "
         "dbms_output.put_line(TO_CHAR(d + ym, 'YYYY-MM-DD')); END;",
         "2024-02-01 12:00 01-29 12 01|2024-03-02 22:00:00.5|2025-03-31"},
        {"DECLARE d DATE := DATE '2024-01-31'; ym INTERVAL YEAR TO MONTH := '0-1'; BEGIN "
         "dbms_output.put_line(d + ym); END;",
         "ERROR ORA-01839: 日付 2024-02-31 00:00:00 は存在しない日付です。|ORA-06512: 行1"},
        {"DECLARE ds INTERVAL DAY TO SECOND := INTERVAL '3 04:05:06.25' DAY TO SECOND; ym INTERVAL YEAR TO "
         "MONTH := '-2-7'; BEGIN dbms_output.put_line(EXTRACT(DAY FROM ds) || ' ' || EXTRACT(HOUR FROM ds) "
         "|| "
         "' ' || EXTRACT(MINUTE FROM ds) || ' ' || EXTRACT(SECOND FROM ds) || ' ' || EXTRACT(YEAR FROM ym) "
         "|| "
         "' ' || EXTRACT(MONTH FROM ym) || ' ' || TO_CHAR(ds)); END;",
         "3 4 5 6.25 -2 -7 +03 04:05:06.250000"},
        {"DECLARE ds INTERVAL DAY TO SECOND := '0 12:00:00'; d DATE; BEGIN SELECT at + ds INTO d FROM ev; "
         "dbms_output.put_line(TO_CHAR(d, 'YYYY-MM-DD HH24:MI')); SELECT at - ds INTO d FROM ev; "
         "dbms_output.put_line(TO_CHAR(d, 'YYYY-MM-DD HH24:MI')); END;",
         "2024-05-01 12:00|2024-04-30 12:00"},
        // TIMESTAMP - TIMESTAMP is an interval, DATE - DATE days; intervals add
        // and compare by their values, not their text.
        {"DECLARE t1 TIMESTAMP := TIMESTAMP '2024-03-01 10:00:00.25'; t2 TIMESTAMP := TIMESTAMP '2024-03-02 "
         "12:30:00.5'; ds INTERVAL DAY TO SECOND; BEGIN ds := t2 - t1; dbms_output.put_line(ds); "
         "dbms_output.put_line(t1 - t2); dbms_output.put_line(DATE '2024-03-01' - DATE '2024-02-01'); "
         "dbms_output.put_line(ds + INTERVAL '1' HOUR); IF -ds < INTERVAL '0' DAY AND ds - ds - ds = -ds AND "
         "ds > INTERVAL "
         "'1' "
         "DAY AND '1-2' < '10-1' THEN dbms_output.put_line('ordered'); END IF; END;",
         "+01 02:30:00.250000|-000000001 02:30:00.250000000|29|+000000001 03:30:00.250000000|ordered"},
        {"DECLARE ds INTERVAL DAY TO SECOND := INTERVAL '1 02:00:00' DAY TO SECOND; ym INTERVAL YEAR TO "
         "MONTH := '1-6'; BEGIN dbms_output.put_line(ds * 2 || ' ' || 0.5 * ds || ' ' || ym / 4); END;",
         "+000000002 04:00:00.000000000 +000000000 13:00:00.000000000 +000000000-04"},
        {"DECLARE ds INTERVAL DAY TO SECOND := INTERVAL '1' DAY; BEGIN ds := ds / 0; END;",
         "ERROR ORA-01476: 除数がゼロです。|ORA-06512: 行1"},
        {"DECLARE ds INTERVAL DAY TO SECOND; BEGIN ds := NUMTODSINTERVAL(100, 'DAY'); END;",
         "ERROR ORA-01873: 期間の先行精度が小さすぎます。|ORA-06512: 行1"},
        {"DECLARE ds INTERVAL DAY TO SECOND; BEGIN ds := NUMTOYMINTERVAL(1, 'YEAR'); END;",
         "ERROR ORA-01867: 期間が無効です。|ORA-06512: 行1"},
    };
    for (const Case& c : cases) EXPECT_EQ(OutputOf(c.block), c.answer) << c.block;
}

// A record type's fields take their defaults each time a record of it is
// declared, by the field's rules; a NOT NULL field needs one.
TEST_F(PlsqlTypesTest, RecordFieldsTakeTheirDefaults) {
    const std::string type =
        "TYPE r_t IS RECORD (id NUMBER, name VARCHAR2(5) := 'none', at DATE DEFAULT DATE '2020-01-02', "
        "n NUMBER(3) NOT NULL := 7.4); ";
    const Case cases[] = {
        {"r r_t; BEGIN dbms_output.put_line(NVL(TO_CHAR(r.id), '-') || ' ' || r.name || ' ' || "
         "TO_CHAR(r.at, 'YYYY-MM-DD') || ' ' || r.n); END;",
         "- none 2020-01-02 7"},
        {"r r_t; PROCEDURE p IS x r_t; BEGIN dbms_output.put_line(x.name); END; "
         "BEGIN r.name := 'set'; p; dbms_output.put_line(r.name); END;",
         "none|set"},
        {"r r_t; BEGIN r.n := NULL; EXCEPTION WHEN VALUE_ERROR THEN dbms_output.put_line('refused'); END;",
         "refused"},
    };
    for (const Case& c : cases) {
        std::string block = "DECLARE " + type + c.block;
        EXPECT_EQ(OutputOf(block), c.answer) << c.block;
    }
    EXPECT_EQ(OutputOf("DECLARE TYPE t IS RECORD (a NUMBER NOT NULL); BEGIN NULL; END;").substr(0, 15),
              "ERROR ORA-06550");
    EXPECT_EQ(OutputOf("DECLARE TYPE t IS RECORD (a VARCHAR2(2) := 'abc'); r t; BEGIN NULL; "
                       "EXCEPTION WHEN OTHERS THEN dbms_output.put_line('handled'); END;")
                  .substr(0, 15),
              "ERROR ORA-06502");
}
