// The server's single-row, aggregate and analytic functions: each call with
// the answer the server's documentation gives for it (its examples, or its
// definition worked by hand), and the functions the embedded engine lacks
// refused by name.
#include "tests/engine/EngineFixture.h"

namespace {

class CServerFunctionsTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        Exec("CREATE TABLE S (G VARCHAR2(1), X NUMBER, Y NUMBER, D DATE)");
        for (const char* row : {"'a', 1, 2, DATE '2020-01-01'", "'a', 2, 4, DATE '2020-03-01'",
                                "'a', 4, 5, DATE '2020-02-01'", "'b', 3, NULL, NULL"})
            Exec(std::string("INSERT INTO S VALUES (") + row + ")");
    }
};

struct Case {
    const char* expression;
    const char* answer;
};

// Transcendental results are the server's to 38 digits; here they hold 15,
// so they are checked at the digits SQL*Plus shows (NUMWIDTH 10).
constexpr Case kSingleRow[] = {
    {"ABS(-15)", "15"},
    {"ROUND(ACOS(.3), 8)", "1.26610367"},
    {"ROUND(ASIN(.3), 9)", ".304692654"},
    {"ROUND(ATAN(.3), 9)", ".291456794"},
    {"ROUND(ATAN2(.3, .2), 9)", ".982793723"},
    {"BITAND(6, 3)", "2"},
    {"BITAND(-1, 12.9)", "12"},
    {"CEIL(15.7)", "16"},
    {"ROUND(COS(180 * 3.14159265359 / 180), 8)", "-1"},
    {"COSH(0)", "1"},
    {"ROUND(EXP(4), 5)", "54.59815"},
    {"FLOOR(15.7)", "15"},
    {"ROUND(LN(95), 8)", "4.55387689"},
    {"LOG(10, 100)", "2"},
    {"MOD(11, 4)", "3"},
    {"NANVL(2.5, 0)", "2.5"},
    {"POWER(3, 2)", "9"},
    {"REMAINDER(11, 4)", "-1"},
    {"REMAINDER(10, 4)", "2"},
    {"REMAINDER(14, 4)", "-2"},
    {"REMAINDER(-11, 4)", "1"},
    {"REMAINDER(7.5, 2)", "-.5"},
    {"ROUND(15.193, -1)", "20"},
    {"SIGN(-15)", "-1"},
    {"ROUND(SIN(30 * 3.14159265359 / 180), 8)", ".5"},
    {"ROUND(SINH(1), 8)", "1.17520119"},
    {"SQRT(26)", "5.09901951359278483002822410902278198956"},
    {"ROUND(TAN(135 * 3.14159265359 / 180), 8)", "-1"},
    {"ROUND(TANH(.5), 9)", ".462117157"},
    {"TRUNC(15.79, -1)", "10"},
    {"WIDTH_BUCKET(5, 0, 10, 5)", "3"},
    {"WIDTH_BUCKET(-1, 0, 10, 5)", "0"},
    {"WIDTH_BUCKET(10, 0, 10, 5)", "6"},
    {"WIDTH_BUCKET(2, 10, 0, 5)", "5"},
    {"CHR(67) || CHR(65) || CHR(84)", "CAT"},
    {"INITCAP('the soap')", "The Soap"},
    {"LTRIM('<=====>BROWNING<=====>', '<>=')", "BROWNING<=====>"},
    {"REPLACE('JACK and JUE', 'J', 'BL')", "BLACK and BLUE"},
    {"SOUNDEX('SMYTHE') || SOUNDEX('Smith')", "S530S530"},
    {"SOUNDEX('Robert') || SOUNDEX('Rupert') || SOUNDEX('Ashcraft')", "R163R163A261"},
    {"SUBSTR('ABCDEFG', -5, 4)", "CDEF"},
    {"SUBSTRB('ABCDEFG', 5, 4.2)", "EFG"},
    {"SUBSTRB('日本語', 2, 3)", " 本"},
    // LPAD and RPAD count the columns the text takes on the screen.
    {"LPAD('日本', 6, '*') || RPAD('日本', 5) || '|' || LPAD('日本語', 3) || '|'", "**日本日本 |日 |"},
    {"RPAD('a', 4, '日') || '|' || LPAD('ｱｲ', 4, 'x') || LPAD('abc', 5, 'xy') || RPAD('abcdef', 3)",
     "a日 |xxｱｲxyabcabc"},
    {"TRANSLATE('SQL*Plus User''s Guide', ' */''', '___')", "SQL_Plus_Users_Guide"},
    {"TRANSLATE('2KRW229', '0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ', '9999999999XXXXXXXXXXXXXXXXXXXXXXXXXX')",
     "9XXX999"},
    {"INSTR('CORPORATE FLOOR', 'OR', -3, 2)", "2"},
    {"INSTRB('CORPORATE FLOOR', 'OR', 5, 2)", "14"},
    {"INSTRB('日本語', '語')", "5"},
    {"INSTRB('日本語', '本語', -1)", "3"},
    {"LENGTHB('日本') || LENGTHC('日本')", "42"},
    {"ASCIISTR('AB日\\')", "AB\\65E5\\005C"},
    {"NLS_UPPER('abc') || NLS_INITCAP('xy')", "ABCXy"},
    {"TO_CHAR(NEXT_DAY(DATE '2009-10-15', '火曜日'), 'YYYY-MM-DD')", "2009-10-20"},
    {"TO_CHAR(NEXT_DAY(TO_DATE('2009-10-20 13:45', 'YYYY-MM-DD HH24:MI'), '火'), 'YYYY-MM-DD HH24:MI')",
     "2009-10-27 13:45"},
    {"MONTHS_BETWEEN(DATE '1995-02-02', DATE '1995-01-01')", "1.03225806451612903225806451612903225806"},
    {"VSIZE('Hartstein')", "9"},
    {"VSIZE(123) || VSIZE(-1.5) || VSIZE(0) || VSIZE(100)", "3412"},
    {"VSIZE(SYSDATE)", "7"},
    {"NUMTODSINTERVAL(100, 'HOUR')", "+000000004 04:00:00.000000000"},
    {"NUMTODSINTERVAL(-36.000000001, 'hour')", "-000000001 12:00:00.000003600"},
    {"NUMTOYMINTERVAL(14, 'MONTH') || NUMTOYMINTERVAL(1.5, 'YEAR')", "+000000001-02+000000001-06"},
    {"TO_YMINTERVAL('-01-06')", "-000000001-06"},
    {"TO_CHAR(DATE '2024-01-01' - NUMTODSINTERVAL(90, 'MINUTE'), 'YYYY-MM-DD HH24:MI')", "2023-12-31 22:30"},
    {"TO_CHAR(TO_DSINTERVAL('2 10:20:30.5') + DATE '2024-01-01', 'MM-DD HH24:MI:SS')", "01-03 10:20:30"},
    {"TO_CHAR(DATE '2023-01-29' + NUMTOYMINTERVAL(13, 'MONTH'), 'YYYY-MM-DD')", "2024-02-29"},
    {"LENGTH(SYS_GUID())", "32"},
    // Bits, the highest first; \\XXXX escapes, '?' for a character CP932 lacks.
    {"BIN_TO_NUM(1, 0, 1, 1) || BIN_TO_NUM(0)", "110"},
    {"UNISTR('abc\\00e5\\65E5\\\\x') || UNISTR('\\D83D\\DE00')", "abc?日\\x?"},
    {"LENGTH(DBMS_RANDOM.STRING('x', 12)) || CASE WHEN REGEXP_LIKE(DBMS_RANDOM.STRING('U', 20), "
     "'^[A-Z]{20}$') AND ABS(DBMS_RANDOM.NORMAL) < 10 THEN 'ok' END || DBMS_RANDOM.STRING('a', 0)",
     "12ok"},
    // DBMS_RANDOM.VALUE in SQL: [0, 1) or [low, high), with or without brackets.
    {"CASE WHEN DBMS_RANDOM.VALUE >= 0 AND DBMS_RANDOM.VALUE() < 1 AND DBMS_RANDOM.VALUE(5, 6) >= 5 AND "
     "DBMS_RANDOM.VALUE(5, 6) < 6 THEN 'in' END",
     "in"},
    // TRIM's forms; LOG is a function, not the LOG ERRORS clause.
    {"TRIM(LEADING '0' FROM '00120') || TRIM(TRAILING '0' FROM '00120') || TRIM(BOTH '*' FROM '**a**')",
     "1200012a"},
    {"TRIM('x' FROM 'xax') || TRIM(TRAILING FROM 'b  ') || TRIM('  c  ')", "abc"},
    {"ROUND(LOG(2, 8), 8) + ROUND(LOG(10, 1000), 8)", "6"},
    // Dates to weeks, ISO years and centuries (2024-03-14 is a Thursday;
    // 2024 starts on a Monday, March on a Friday).
    {"TO_CHAR(TRUNC(DATE '2024-03-14', 'IW'), 'MM-DD') || TO_CHAR(TRUNC(DATE '2024-03-14', 'WW'), ' MM-DD') "
     "|| "
     "TO_CHAR(TRUNC(DATE '2024-03-14', 'W'), ' MM-DD') || TO_CHAR(TRUNC(DATE '2024-03-14', 'D'), ' MM-DD')",
     "03-11 03-11 03-08 03-10"},
    {"TO_CHAR(TRUNC(DATE '2021-01-02', 'IYYY'), 'YYYY-MM-DD') || TO_CHAR(TRUNC(DATE '2024-12-31', 'IYYY'), "
     "' YYYY-MM-DD')",
     "2019-12-30 2024-12-30"},
    {"TO_CHAR(TRUNC(DATE '2000-06-01', 'CC'), 'YYYY') || TO_CHAR(ROUND(DATE '2051-06-01', 'CC'), ' YYYY') || "
     "TO_CHAR(ROUND(DATE '2050-06-01', 'SCC'), ' YYYY')",
     "1901 2101 2001"},
    {"TO_CHAR(ROUND(DATE '2024-03-13', 'IW'), 'MM-DD') || TO_CHAR(ROUND(DATE '2024-03-15', 'IW'), ' MM-DD')",
     "03-11 03-18"},
};

TEST_F(CServerFunctionsTest, SingleRowFunctionsGiveTheDocumentedAnswers) {
    for (const Case& c : kSingleRow)
        EXPECT_EQ(Rows(std::string("SELECT ") + c.expression + " FROM DUAL"), c.answer) << c.expression;
}

// A value's bytes as the server holds them: a NUMBER's exponent byte (193
// for 100^0, 62 for a negative 100^0) and its base-100 digits plus one (101
// minus the digit and a closing 102 when negative), a DATE's century and
// year plus 100 and its time plus 1, text in CP932; the digests are the
// published test values of "abc".
TEST_F(CServerFunctionsTest, DumpAndHashesReadTheServersBytes) {
    Exec("CREATE TABLE B (DT DATE, N NUMBER, V VARCHAR2(10), C CHAR(3))");
    Exec(
        "INSERT INTO B VALUES (TO_DATE('2024-05-06 10:20:30', 'YYYY-MM-DD HH24:MI:SS'), 123.45, 'abc', "
        "'ab')");
    const Case cases[] = {
        {"DUMP('abc')", "Typ=96 Len=3: 97,98,99"},
        {"DUMP(1)", "Typ=2 Len=2: 193,2"},
        {"DUMP(-1)", "Typ=2 Len=3: 62,100,102"},
        {"DUMP(0)", "Typ=2 Len=1: 128"},
        {"DUMP(DT)", "Typ=12 Len=7: 120,124,5,6,11,21,31"},
        // A computed DATE: the year's two bytes low first, no offsets.
        {"DUMP(DT + 0)", "Typ=13 Len=8: 232,7,5,6,10,20,30,0"},
        {"DUMP(TO_DATE('2024-05-06', 'YYYY-MM-DD'), 16)", "Typ=13 Len=8: e8,7,5,6,0,0,0,0"},
        {"DUMP(N, 16)", "Typ=2 Len=4: c2,2,18,2e"},
        {"DUMP(N, 8)", "Typ=2 Len=4: 302,2,30,56"},
        {"DUMP(V, 1016)", "Typ=1 Len=3 CharacterSet=JA16SJIS: 61,62,63"},
        {"DUMP(V, 17)", "Typ=1 Len=3: a,b,c"},
        {"DUMP(C)", "Typ=96 Len=3: 97,98,32"},
        {"DUMP(V, 10, 2, 1)", "Typ=1 Len=3: 98"},
        {"DUMP(V, 10, -1)", "Typ=1 Len=3: 99"},
        {"DUMP(NULL)", "NULL"},
        {"STANDARD_HASH(V)", "A9993E364706816ABA3E25717850C26C9CD0D89D"},
        {"STANDARD_HASH(V, 'sha256')", "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD"},
        {"STANDARD_HASH(V, 'MD5')", "900150983CD24FB0D6963F7D28E17F72"},
        {"HEXTORAW('abc')", "0ABC"},
        {"RAWTOHEX(HEXTORAW('1f'))", "1F"},
        {"CASE WHEN ORA_HASH(V, 9) BETWEEN 0 AND 9 THEN 'in' END", "in"},
        {"CASE WHEN ORA_HASH(V) = ORA_HASH('abc', 4294967295, 0) THEN 'same' END", "same"},
        {"ORA_HASH(V, 0)", "0"},
        {"ORA_HASH(NULL)", "-"},
        // UTL_RAW in SQL: CP932 bytes, two for a double-byte character.
        {"UTL_RAW.CAST_TO_RAW(V)", "616263"},
        {"UTL_RAW.CAST_TO_VARCHAR2('616263')", "abc"},
        {"UTL_RAW.LENGTH(UTL_RAW.CAST_TO_RAW('日本'))", "4"},
        {"UTL_RAW.CAST_TO_RAW('日')", "93FA"},
        {"UTL_RAW.CAST_TO_VARCHAR2(UTL_RAW.CAST_TO_RAW('日本'))", "日本"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Rows(std::string("SELECT ") + c.expression + " FROM B"), c.answer) << c.expression;
    for (const char* refused :
         {"HEXTORAW('zz')", "ORA_HASH(V, -1)", "STANDARD_HASH(V, 'SHA3')", "DUMP(V, 7)"})
        EXPECT_EQ(Rows(std::string("SELECT ") + refused + " FROM B").substr(0, 15) == "ERROR ORA-01465" ||
                      Rows(std::string("SELECT ") + refused + " FROM B").substr(0, 15) == "ERROR ORA-01428",
                  true)
            << refused;
}

// Timestamps as the server keeps them: a TIMESTAMP a DATE's bytes and its
// nanoseconds; WITH TIME ZONE the instant in UTC, the nanoseconds always,
// and the offset's hours plus 20 and minutes plus 60; WITH LOCAL TIME ZONE
// a TIMESTAMP's bytes in the database's zone (UTC).
TEST_F(CServerFunctionsTest, DumpReadsStoredTimestampsAsTheServerKeepsThem) {
    Exec(
        "CREATE TABLE TS (T TIMESTAMP, Z TIMESTAMP WITH TIME ZONE, W TIMESTAMP WITH TIME ZONE, "
        "L TIMESTAMP WITH LOCAL TIME ZONE, R TIMESTAMP WITH TIME ZONE)");
    Exec(
        "INSERT INTO TS VALUES (TIMESTAMP '2020-01-02 03:04:05.5', TIMESTAMP '2020-01-02 03:04:05.5 +09:00', "
        "TIMESTAMP '2020-01-02 03:04:05 -05:30', TIMESTAMP '2020-01-02 03:04:05 +01:00', "
        "TIMESTAMP '2020-01-02 03:04:05 Asia/Tokyo')");
    const Case cases[] = {
        {"DUMP(T)", "Typ=180 Len=11: 120,120,1,2,4,5,6,29,205,101,0"},
        {"DUMP(Z)", "Typ=181 Len=13: 120,120,1,1,19,5,6,29,205,101,0,29,60"},
        {"DUMP(W)", "Typ=181 Len=13: 120,120,1,2,9,35,6,0,0,0,0,15,30"},
        {"DUMP(L)", "Typ=231 Len=7: 120,120,1,2,3,5,6"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Rows(std::string("SELECT ") + c.expression + " FROM TS"), c.answer) << c.expression;
    // A region's number in the server's zone file is not the engine's to give.
    EXPECT_EQ(Rows("SELECT DUMP(R) FROM TS").substr(0, 15), "ERROR ORA-03001");
}

// LNNVL is true where its condition is false or unknown.
TEST_F(CServerFunctionsTest, LnnvlTakesAConditionAndCountsUnknownAsFalse) {
    EXPECT_EQ(Rows("SELECT X FROM S WHERE LNNVL(Y > 3) ORDER BY X"), "1|3");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM S WHERE LNNVL(Y IS NULL)"), "3");
}

// x = 1, 2, 4 (and 3 alone in group b); y = 2, 4, 5 (NULL in b).
constexpr Case kAggregates[] = {
    {"VARIANCE(X)", "2.33333333333333333333333333333333333333|0"},
    {"STDDEV(X)", "1.52752523165194666886268239790933616299|0"},
    {"VAR_POP(X)", "1.55555555555555555555555555555555555556|0"},
    {"VAR_SAMP(X)", "2.33333333333333333333333333333333333333|-"},
    {"STDDEV_POP(X)", "1.24721912892464712852791624410551643392|0"},
    {"STDDEV_SAMP(X)", "1.52752523165194666886268239790933616299|-"},
    {"COVAR_POP(X, Y)", "1.44444444444444444444444444444444444444|-"},
    {"COVAR_SAMP(X, Y)", "2.16666666666666666666666666666666666667|-"},
    {"CORR(X, Y)", ".9285714285714285714285714285714285714286|-"},
    {"MEDIAN(X)", "2|3"},
    // DISTINCT drops repeated values, in the order asked.
    {"LISTAGG(DISTINCT X - MOD(X, 2), ',') WITHIN GROUP (ORDER BY X DESC)", "4,2,0|2"},
    {"PERCENTILE_CONT(0.25) WITHIN GROUP (ORDER BY X)", "1.5|3"},
    {"PERCENTILE_CONT(0.25) WITHIN GROUP (ORDER BY X DESC)", "3|3"},
    {"PERCENTILE_DISC(0.5) WITHIN GROUP (ORDER BY X)", "2|3"},
    {"PERCENTILE_DISC(0.7) WITHIN GROUP (ORDER BY X)", "4|3"},
    {"RANK(2) WITHIN GROUP (ORDER BY X)", "2|1"},
    {"DENSE_RANK(4) WITHIN GROUP (ORDER BY X DESC)", "1|1"},
    {"CUME_DIST(2) WITHIN GROUP (ORDER BY X)", ".75|.5"},
    {"PERCENT_RANK(3) WITHIN GROUP (ORDER BY X)", ".6666666666666666666666666666666666666667|0"},
    {"RANK(2, 5) WITHIN GROUP (ORDER BY X, Y)", "3|1"},
    {"MAX(X) KEEP (DENSE_RANK FIRST ORDER BY Y DESC)", "4|3"},
    {"MIN(X) KEEP (DENSE_RANK LAST ORDER BY D)", "2|3"},
    {"SUM(X) KEEP (DENSE_RANK FIRST ORDER BY Y NULLS FIRST)", "1|3"},
    {"COUNT(*) KEEP (DENSE_RANK LAST ORDER BY G)", "3|1"},
    {"APPROX_COUNT_DISTINCT(Y)", "3|0"},
    // The line through (1, 2), (2, 4), (4, 5): slope 13/14, intercept 3/2,
    // R2 the square of CORR (13/14 again);
    // group b has no pair without a NULL.
    {"REGR_COUNT(Y, X) || ':' || ROUND(REGR_INTERCEPT(Y, X), 30) || ':' || ROUND(REGR_SLOPE(Y, X), 6) || ':' "
     "|| ROUND(REGR_R2(Y, X), 6)",
     "3:1.5:.928571:.862245|0:::"},
    // The most frequent value, the least of several.
    {"STATS_MODE(MOD(X, 2)) || STATS_MODE(X)", "01|13"},
};

TEST_F(CServerFunctionsTest, AggregatesPerGroupAreExactDecimals) {
    for (const Case& c : kAggregates)
        EXPECT_EQ(Rows(std::string("SELECT ") + c.expression + " FROM S GROUP BY G ORDER BY G"), c.answer)
            << c.expression;
}

TEST_F(CServerFunctionsTest, OverNoRowsRanksFirstAndCountsNothing) {
    EXPECT_EQ(Rows("SELECT RANK(5) WITHIN GROUP (ORDER BY X), PERCENT_RANK(5) WITHIN GROUP (ORDER BY X), "
                   "COUNT(*) KEEP (DENSE_RANK FIRST ORDER BY X), MEDIAN(X), STDDEV(X) FROM S WHERE X > 10"),
              "1,0,0,-,-");
    EXPECT_EQ(Failure("SELECT PERCENTILE_CONT(1.5) WITHIN GROUP (ORDER BY X) FROM S").substr(0, 9),
              "ORA-30493");
}

// Analytic forms, with frames of rows and of ranges of the key's values.
constexpr Case kAnalytic[] = {
    {"CUME_DIST() OVER (ORDER BY X)", ".25|.5|.75|1"},
    {"PERCENT_RANK() OVER (PARTITION BY G ORDER BY X)", "0|.5|0|1"},
    {"RATIO_TO_REPORT(X) OVER ()", ".1|.2|.3|.4"},
    // The distinct values of the partition (NULL not counted).
    {"COUNT(DISTINCT MOD(X, 2)) OVER (PARTITION BY G) || COUNT(DISTINCT Y) OVER ()", "23|23|13|23"},
    {"SUM(X) OVER (ORDER BY X ROWS BETWEEN 1 PRECEDING AND 1 FOLLOWING)", "3|6|9|7"},
    {"COUNT(*) OVER (ORDER BY X RANGE BETWEEN 1 PRECEDING AND CURRENT ROW)", "1|2|2|2"},
    {"SUM(X) OVER (ORDER BY X ROWS UNBOUNDED PRECEDING)", "1|3|6|10"},
    {"NTH_VALUE(X, 2) OVER (ORDER BY X ROWS BETWEEN UNBOUNDED PRECEDING AND UNBOUNDED FOLLOWING)", "2|2|2|2"},
    {"VARIANCE(X) OVER (ORDER BY X ROWS BETWEEN 1 PRECEDING AND CURRENT ROW)", "0|.5|.5|.5"},
    // A range of dates by days or by a day interval; a NULL date is its own peer.
    {"COUNT(*) OVER (ORDER BY D RANGE BETWEEN INTERVAL '31' DAY PRECEDING AND CURRENT ROW)", "1|2|1|2"},
    // 2020-02-01 and 2020-03-01 are 29 days apart, 2020-01-01 31 days before.
    {"COUNT(*) OVER (ORDER BY D RANGE BETWEEN 30 PRECEDING AND 30 FOLLOWING)", "1|2|1|2"},
    {"COUNT(*) OVER (ORDER BY D RANGE BETWEEN 28 PRECEDING AND 28 FOLLOWING)", "1|1|1|1"},
};

TEST_F(CServerFunctionsTest, AnalyticFunctionsAndWindowFrames) {
    for (const Case& c : kAnalytic)
        EXPECT_EQ(Rows(std::string("SELECT ") + c.expression + " FROM S ORDER BY X"), c.answer)
            << c.expression;
}

// What the embedded engine lacks is refused by the function's name, never
// taken for a column or function the user misspelt.
TEST_F(CServerFunctionsTest, FunctionsTheEngineLacksAreRefusedByName) {
    for (const char* call : {"TO_UTC_TIMESTAMP_TZ('2020-01-01')", "ORA_DST_AFFECTED(SYSDATE)",
                             "TIME_BUCKET(SYSDATE)", "SCN_TO_TIMESTAMP(1)"}) {
        std::string error = Failure(std::string("SELECT ") + call + " FROM DUAL");
        std::string name = std::string(call).substr(0, std::string(call).find('('));
        EXPECT_EQ(error.substr(0, 9), "ORA-03001") << call;
        EXPECT_NE(error.find(name), std::string::npos) << error;
    }
    // Called without brackets, with clauses for arguments, over a window
    // SQLite's cannot hold: still refused by name, never a missing column,
    // a syntax error or an internal one.
    const Case refused[] = {
        {"ITERATION_NUMBER", "ITERATION_NUMBER"},
        {"CON_NAME_TO_ID('X')", "CON_NAME_TO_ID"},
        {"ROWIDTONCHAR(NULL)", "ROWIDTONCHAR"},
        {"JSON_TRANSFORM('{}', SET '$.b' = 2)", "JSON_TRANSFORM"},
        {"XMLSERIALIZE(CONTENT NULL)", "XMLSERIALIZE"},
        {"CORR_S(X, Y)", "CORR_S"},
    };
    for (const Case& c : refused) {
        std::string error = Failure(std::string("SELECT ") + c.expression + " FROM S");
        EXPECT_EQ(error.substr(0, 9), "ORA-03001") << c.expression;
        EXPECT_NE(error.find(c.answer), std::string::npos) << error;
    }
    EXPECT_EQ(Rows("SELECT ORA_INVOKING_USER || ORA_INVOKING_USERID FROM DUAL"),
              Rows("SELECT USER || UID FROM DUAL"));
    EXPECT_EQ(Rows("SELECT NTH_VALUE(X, 2) FROM FIRST OVER (ORDER BY X) FROM S WHERE X < 3 ORDER BY X"),
              "-|2");
    EXPECT_EQ(Failure("SELECT NO_SUCH_FUNCTION(1) FROM DUAL").substr(0, 9), "ORA-00904");
    EXPECT_EQ(Failure("SELECT BIN_TO_NUM(1, 2) FROM DUAL").substr(0, 9), "ORA-01760");
    EXPECT_EQ(Failure("SELECT UNISTR('a\\zz') FROM DUAL").substr(0, 9), "ORA-30186");
    EXPECT_EQ(Failure("SELECT DUMP(SYSTIMESTAMP) FROM DUAL").substr(0, 9), "ORA-03001");
    EXPECT_EQ(Failure("SELECT NEXT_DAY(SYSDATE, 'MONDAY') FROM DUAL").substr(0, 9), "ORA-01846");
    EXPECT_EQ(Failure("SELECT LN(0) FROM DUAL").substr(0, 9), "ORA-01428");
    // Months added by an interval keep their day: a day the month lacks is refused.
    EXPECT_EQ(Failure("SELECT DATE '2024-01-31' + NUMTOYMINTERVAL(1, 'MONTH') FROM DUAL").substr(0, 9),
              "ORA-01839");
    EXPECT_EQ(Failure("SELECT NUMTODSINTERVAL(1, 'WEEK') FROM DUAL").substr(0, 9), "ORA-01760");
    EXPECT_EQ(Failure("SELECT TO_DSINTERVAL('1 25:00:00') FROM DUAL").substr(0, 9), "ORA-01850");
    EXPECT_EQ(Failure("SELECT WIDTH_BUCKET(1, 0, 10, 0) FROM DUAL").substr(0, 9), "ORA-30494");
}

}  // namespace

// A RAW column keeps the hexadecimal digits it is given, however much they
// look like a number, through ALTER TABLE too.
TEST_F(CServerFunctionsTest, RawColumnsKeepTheirDigits) {
    Exec("CREATE TABLE RW (ID NUMBER, B RAW(16))");
    Exec("INSERT INTO RW VALUES (1, HEXTORAW('0012'))");
    Exec("INSERT INTO RW VALUES (2, '1E10')");
    Exec("INSERT INTO RW VALUES (3, HEXTORAW('00FF'))");
    EXPECT_EQ(Rows("SELECT B, RAWTOHEX(B), UTL_RAW.LENGTH(B) FROM RW ORDER BY ID"),
              "0012,0012,2|1E10,1E10,2|00FF,00FF,2");
    Exec("ALTER TABLE RW ADD (C RAW(4))");
    Exec("UPDATE RW SET C = HEXTORAW('0E05')");
    Exec("ALTER TABLE RW MODIFY (C RAW(8))");
    EXPECT_EQ(Rows("SELECT DISTINCT C FROM RW"), "0E05");
    EXPECT_EQ(Rows("SELECT DATA_TYPE FROM USER_TAB_COLUMNS WHERE TABLE_NAME = 'RW' ORDER BY COLUMN_ID"),
              "NUMBER|RAW|RAW");
}

// A column's type must be one of the server's or of the schema's.
TEST_F(CServerFunctionsTest, AnUnknownColumnTypeIsAnInvalidDatatype) {
    for (const char* sql : {"CREATE TABLE U1 (ID FOO)", "CREATE TABLE U1 (ID NUMBER13)",
                            "CREATE TABLE U1 (ID NUMBER, D VARCHAR3(10))"})
        EXPECT_EQ(Failure(sql).substr(0, 9), "ORA-00902") << sql;
    Exec("CREATE TABLE U1 (ID NUMBER, I INTERVAL DAY TO SECOND, R ROWID, D DOUBLE PRECISION, L LONG RAW)");
    EXPECT_EQ(Failure("ALTER TABLE U1 ADD (X BAR)").substr(0, 9), "ORA-00902");
}
