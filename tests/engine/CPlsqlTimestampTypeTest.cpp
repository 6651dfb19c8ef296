// A TIMESTAMP read from SQL into PL/SQL stays a TIMESTAMP by the type the
// statement gives it, even when its fraction of a second is zero: shown
// with NLS_TIMESTAMP_FORMAT ("RR-MM-DD HH24:MI:SSXFF"), subtracted as an
// INTERVAL DAY TO SECOND. FF of a TIMESTAMP(0) writes its type's digits
// (none), and SYYYY reads a signed year.
#include "tests/engine/EngineFixture.h"

namespace {

class CPlsqlTimestampTypeTest : public OutputFixture {
protected:
    void SetUp() override {
        OutputFixture::SetUp();
        Exec("ALTER SESSION SET TIME_ZONE = '+09:00'");
        Exec("CREATE TABLE t (ts TIMESTAMP, t0 TIMESTAMP(0), d DATE)");
        Exec(
            "INSERT INTO t VALUES (TIMESTAMP '2020-05-06 07:08:09', TIMESTAMP '2020-05-06 07:08:09', "
            "DATE '2020-05-06')");
    }
};

TEST_F(CPlsqlTimestampTypeTest, AWholeSecondStaysATimestamp) {
    const BlockCase cases[] = {
        {"BEGIN dbms_output.put_line(CAST(DATE '2020-01-02' AS TIMESTAMP)); END;",
         "20-01-02 00:00:00.000000"},
        {"BEGIN dbms_output.put_line('at ' || CAST(DATE '2020-01-02' AS TIMESTAMP)); END;",
         "at 20-01-02 00:00:00.000000"},
        {"BEGIN dbms_output.put_line(SYS_EXTRACT_UTC(TIMESTAMP '2020-01-01 09:00:00 +09:00')); END;",
         "20-01-01 00:00:00.000000"},
        {"BEGIN dbms_output.put_line(FROM_TZ(TIMESTAMP '2020-01-01 10:00:00', '+09:00')); END;",
         "20-01-01 10:00:00.000000 +09:00"},
        {"BEGIN dbms_output.put_line(CAST(DATE '2020-01-02' AS TIMESTAMP WITH TIME ZONE)); END;",
         "20-01-02 00:00:00.000000 +09:00"},
        {"BEGIN IF LENGTH(TO_TIMESTAMP('2020-01-01', 'YYYY-MM-DD') || '') > 8 THEN "
         "dbms_output.put_line('timestamp'); END IF; END;",
         "timestamp"},
        {"BEGIN FOR r IN (SELECT ts, t0 FROM t) LOOP dbms_output.put_line(r.ts); "
         "dbms_output.put_line(r.t0); END LOOP; END;",
         "20-05-06 07:08:09.000000|20-05-06 07:08:09"},
        {"BEGIN FOR r IN (SELECT ts FROM t) LOOP dbms_output.put_line(TO_CHAR(r.ts)); END LOOP; END;",
         "20-05-06 07:08:09.000000"},
        {"DECLARE v t.ts%TYPE; BEGIN SELECT ts INTO v FROM t; dbms_output.put_line(v); END;",
         "20-05-06 07:08:09.000000"},
        {"DECLARE CURSOR c IS SELECT ts FROM t; r c%ROWTYPE; BEGIN OPEN c; FETCH c INTO r; CLOSE c; "
         "dbms_output.put_line(r.ts); END;",
         "20-05-06 07:08:09.000000"},
        {"DECLARE v TIMESTAMP; BEGIN v := CAST(DATE '2020-01-02' AS TIMESTAMP); dbms_output.put_line(v); "
         "END;",
         "20-01-02 00:00:00.000000"},
        // TIMESTAMP - TIMESTAMP is an INTERVAL DAY TO SECOND, DATE - DATE a number of days.
        {"BEGIN FOR r IN (SELECT ts, d FROM t) LOOP dbms_output.put_line(r.ts - r.ts); "
         "dbms_output.put_line(r.d - r.d); END LOOP; END;",
         "+000000000 00:00:00.000000000|0"},
        // A DATE stays a DATE.
        {"BEGIN FOR r IN (SELECT d FROM t) LOOP dbms_output.put_line(r.d); END LOOP; END;", "20-05-06"},
        {"BEGIN dbms_output.put_line(CAST(TIMESTAMP '2020-01-02 03:04:05' AS DATE)); END;", "20-01-02"},
    };
    for (const BlockCase& c : cases) EXPECT_EQ(OutputOf(c.block), c.answer) << c.block;
}

TEST_F(CPlsqlTimestampTypeTest, BareFfWritesTheTypesDigits) {
    const SqlCase cases[] = {
        {"SELECT TO_CHAR(t0, 'HH24:MI:SS.FF') FROM t", "07:08:09."},
        {"SELECT TO_CHAR(t0, 'SS.FF3') FROM t", "09.000"},
        {"SELECT TO_CHAR(t0, '\"FF\"SS') FROM t", "FF09"},
        {"SELECT TO_CHAR(ts, 'SS.FF') FROM t", "09.000000"},
        {"SELECT TO_CHAR(CAST(ts AS TIMESTAMP(3)), 'SS.FF') FROM t", "09.000"},
    };
    for (const SqlCase& c : cases) EXPECT_EQ(Rows(c.sql), c.answer) << c.sql;
    EXPECT_EQ(OutputOf("DECLARE v TIMESTAMP(0) := TIMESTAMP '2020-01-02 03:04:05.4'; "
                       "BEGIN dbms_output.put_line(TO_CHAR(v, 'SS.FF') || '/' || TO_CHAR(v, 'FF2')); END;"),
              "05./00");
}

TEST_F(CPlsqlTimestampTypeTest, SignedYearIsReadOrRefused) {
    const SqlCase cases[] = {
        {"SELECT TO_CHAR(TO_DATE('2020-03-15', 'SYYYY-MM-DD'), 'YYYY-MM-DD') FROM dual", "2020-03-15"},
        {"SELECT TO_CHAR(TO_DATE('+0044-03-15', 'SYYYY-MM-DD'), 'YYYY-MM-DD') FROM dual", "0044-03-15"},
        {"SELECT TO_CHAR(TO_TIMESTAMP('1999-12-31', 'SYYYY-MM-DD'), 'YYYY-MM-DD') FROM dual", "1999-12-31"},
    };
    for (const SqlCase& c : cases) EXPECT_EQ(Rows(c.sql), c.answer) << c.sql;
    EXPECT_NE(Failure("SELECT TO_DATE('-0044-03-15', 'SYYYY-MM-DD') FROM dual").find("ORA-03001"),
              std::string::npos);
    EXPECT_NE(Failure("SELECT TO_DATE('0000-03-15', 'SYYYY-MM-DD') FROM dual").find("ORA-01841"),
              std::string::npos);
}

}  // namespace
