#include <cstring>
#include <tuple>

#include "oracle/ODynaset.h"
#include "tests/oracle/OracleTestSupport.h"

namespace {

const std::string kA3 = "\x82\xa0\x82\xa2\x82\xa4";  // three double-byte characters

// True when `text` has the shape of `pattern`, where '9' stands for a digit.
bool HasShape(const std::string& text, const std::string& pattern) {
    if (text.size() != pattern.size()) return false;
    for (std::size_t k = 0; k < text.size(); ++k) {
        bool digit = text[k] >= '0' && text[k] <= '9';
        if (pattern[k] == '9' ? !digit : text[k] != pattern[k]) return false;
    }
    return true;
}

// One column's description (an empty name stands for C<index>); kAny is not checked.
constexpr short kAny = -1000;
struct Column {
    const char* name;
    short type;
    long size;
    short precision = 0;
    short scale = 0;
    bool nullOk = true;
};

}  // namespace

class ODynasetTest : public DatabaseTest {
protected:
    void ExpectColumns(const std::string& sql, const std::vector<Column>& columns) {
        ODynaset dynaset;
        ASSERT_EQ(dynaset.Open(m_database, sql.c_str()), OSUCCESS) << sql << "\n"
                                                                   << m_database.GetErrorText();
        ASSERT_EQ(dynaset.GetFieldCount(), static_cast<int>(columns.size())) << sql;
        for (int k = 0; k < dynaset.GetFieldCount(); ++k) {
            const Column& c = columns[k];
            SCOPED_TRACE(sql + " column " + std::to_string(k));
            EXPECT_EQ(dynaset.GetFieldName(k), *c.name ? std::string(c.name) : "C" + std::to_string(k));
            EXPECT_EQ(dynaset.GetFieldServerType(k), c.type);
            using Check = std::tuple<const char*, long, long>;
            for (auto [what, actual, expected] :
                 {Check{"size", dynaset.GetFieldSize(k), c.size},
                  Check{"precision", dynaset.GetFieldPrecision(k), c.precision},
                  Check{"scale", dynaset.GetFieldScale(k), c.scale}})
                EXPECT_TRUE(expected == kAny || actual == expected)
                    << what << " " << actual << " != " << expected;
            EXPECT_EQ(dynaset.IsFieldNullOK(k), c.nullOk);
        }
    }
};

TEST_F(ODynasetTest, DeclaredTypesGiveServerDescriptions) {
    const struct {
        const char* declared;
        Column column;
    } cases[] = {{"VARCHAR2(20)", {"", OTYPE_VARCHAR2, 20}},
                 {"VARCHAR(7)", {"", OTYPE_VARCHAR2, 7}},
                 {"NVARCHAR2(9)", {"", OTYPE_VARCHAR2, 9}},
                 {"CHAR(3)", {"", OTYPE_CHAR, 3}},
                 {"CHAR", {"", OTYPE_CHAR, 1}},
                 {"NCHAR(2)", {"", OTYPE_CHAR, 2}},
                 {"NUMBER(7,2)", {"", OTYPE_NUMBER, 22, 7, 2}},
                 {"NUMBER(5)", {"", OTYPE_NUMBER, 22, 5}},
                 {"NUMBER", {"", OTYPE_NUMBER, 22, 38}},
                 {"INTEGER", {"", OTYPE_NUMBER, 22, 38}},
                 {"FLOAT", {"", OTYPE_NUMBER, 22, 126, -127}},
                 {"DATE", {"", OTYPE_DATE, 7}},
                 {"LONG", {"", OTYPE_LONG, 0}},
                 {"RAW(16)", {"", OTYPE_RAW, 16}},
                 {"CLOB", {"", OTYPE_CLOB, 4000}},
                 {"BLOB", {"", OTYPE_BLOB, 4000}},
                 {"BFILE", {"", OTYPE_BFILE, 4000}},
                 {"NUMBER(10, -2)", {"", OTYPE_NUMBER, 22, 10, -2}}};
    std::string create = "CREATE TABLE T (";
    std::vector<Column> columns;
    for (std::size_t k = 0; k < std::size(cases); ++k) {
        create += (k ? ", C" : "C") + std::to_string(k) + " " + cases[k].declared;
        columns.push_back(cases[k].column);
    }
    Exec(create + ")");
    ExpectColumns("SELECT * FROM T", columns);
    ODynaset dynaset;
    ASSERT_EQ(dynaset.Open(m_database, "SELECT * FROM T"), OSUCCESS);
    EXPECT_TRUE(dynaset.IsEOF());
    EXPECT_EQ(dynaset.GetRecordCount(), 0);
}

TEST_F(ODynasetTest, ExpressionsAndViewsAreDescribed) {
    Exec("CREATE TABLE T (ID NUMBER PRIMARY KEY, NAME VARCHAR2(10) NOT NULL, NOTE VARCHAR2(10))");
    Exec("CREATE VIEW V AS SELECT NAME, NOTE, ID + 1 AS NEXT FROM T");
    // Nullability comes from the constraints, through views too; over no rows an expression is one byte.
    ExpectColumns("SELECT T.*, LENGTH(NAME) AS L FROM T", {{"ID", OTYPE_NUMBER, 22, 38, 0, false},
                                                           {"NAME", OTYPE_VARCHAR2, 10, 0, 0, false},
                                                           {"NOTE", OTYPE_VARCHAR2, 10},
                                                           {"L", OTYPE_VARCHAR2, 1}});
    ExpectColumns("SELECT * FROM V", {{"NAME", OTYPE_VARCHAR2, 10, 0, 0, false},
                                      {"NOTE", OTYPE_VARCHAR2, 10},
                                      {"NEXT", OTYPE_VARCHAR2, 1}});
    // Expressions are sized by their widest value (in bytes) and headed as typed.
    Exec("CREATE TABLE E (S TEXT, N NUMBER)");
    Exec("INSERT INTO E VALUES ('AB', 1)");
    Exec("INSERT INTO E VALUES ('" + kA3 + "', 22)");
    Exec("INSERT INTO E VALUES (NULL, NULL)");
    ExpectColumns("SELECT S || 'X' AS SX, N * 2 AS N2, NULL AS Z, S, N / 4 AS Q FROM E",
                  {{"SX", OTYPE_VARCHAR2, 7},
                   {"N2", OTYPE_NUMBER, kAny, kAny},
                   {"Z", OTYPE_VARCHAR2, 1},
                   {"S", OTYPE_VARCHAR2, 6},
                   {"Q", OTYPE_NUMBER, kAny, kAny, kAny}});
    ExpectColumns("SELECT SYSDATE, 1 + 2, DUMMY || 'Y', DUMMY D, 7 / 2 AS HALF FROM DUAL",
                  {{"SYSDATE", OTYPE_DATE, 7},
                   {"1+2", OTYPE_NUMBER, kAny, kAny},
                   {"DUMMY||'Y'", OTYPE_VARCHAR2, 2},
                   {"D", OTYPE_VARCHAR2, 1},
                   {"HALF", OTYPE_NUMBER, kAny, kAny, kAny}});
    ExpectColumns("SELECT 'ABC' AS A FROM DUAL WHERE 1 = 0", {{"A", OTYPE_VARCHAR2, 1}});
    EXPECT_TRUE(HasShape(Scalar("SELECT SYSDATE FROM DUAL"), "99-99-99"));
    EXPECT_TRUE(HasShape(Scalar("SELECT TO_CHAR(SYSDATE, 'YYYY') FROM DUAL"), "2099"));
}

TEST_F(ODynasetTest, OutOfRangeColumnsGiveEmptyDescriptions) {
    ODynaset dynaset;
    EXPECT_STREQ(dynaset.GetFieldName(0), "");
    ASSERT_EQ(dynaset.Open(m_database, "SELECT * FROM DUAL"), OSUCCESS);
    for (int index : {-1, 1, 1000}) {
        EXPECT_STREQ(dynaset.GetFieldName(index), "");
        EXPECT_EQ(dynaset.GetFieldServerType(index), 0);
        EXPECT_EQ(dynaset.GetFieldSize(index), 0);
        EXPECT_FALSE(dynaset.IsFieldNullOK(index));
    }
}

TEST_F(ODynasetTest, RownumNumbersAndLimitsRows) {
    Exec("CREATE TABLE T (A NUMBER)");
    for (int k = 5; k >= 1; --k) Exec("INSERT INTO T VALUES (" + std::to_string(k * 10) + ")");
    EXPECT_EQ(Query(m_database, "SELECT ROWNUM, A FROM T WHERE ROWNUM <= 2"),
              (Rows{{"1", "50"}, {"2", "40"}}));
    EXPECT_EQ(Query(m_database, "SELECT A FROM T WHERE ROWNUM = 1"), (Rows{{"50"}}));
    EXPECT_EQ(Query(m_database, "SELECT ROWNUM, A FROM T WHERE A < 30"), (Rows{{"1", "20"}, {"2", "10"}}));
    EXPECT_EQ(Query(m_database, "SELECT A FROM (SELECT A FROM T ORDER BY A) WHERE ROWNUM <= 2"),
              (Rows{{"10"}, {"20"}}));
    ExpectColumns("SELECT ROWNUM FROM T", {{"ROWNUM", OTYPE_NUMBER, kAny, kAny}});
}

TEST_F(ODynasetTest, ExpressionsReadAsTheServerWritesThem) {
    const struct {
        const char* expression;
        const char* text;
    } cases[] = {
        {"7 / 2", "3.5"},
        {"6 / 2", "3"},
        {"-1 / 4", "-.25"},
        {"1 / 2 / 2", ".25"},
        {"9007199254740993", "9007199254740993"},
        {"NULL", ""},
        {"NVL(NULL, 'A')", "A"},
        {"NVL('B', 'A')", "B"},
        {"NVL2(NULL, 'A', 'B')", "B"},
        {"DECODE(2, 1, 'ONE', 2, 'TWO', 'MANY')", "TWO"},
        {"DECODE(9, 1, 'ONE', 'MANY')", "MANY"},
        {"TO_CHAR(1234.5, '9,999.99')", " 1,234.50"},
        {"TO_CHAR(42)", "42"},
        {"TO_CHAR(TO_DATE('2026-02-03 13:04:05', 'YYYY-MM-DD HH24:MI:SS'), 'HH12:MI AM')", "01:04 PM"},
        {"TO_NUMBER('12.50') + 1", "13.5"},
        {"MOD(7, 3)", "1"},
        {"MOD(7, 0)", "7"},
        {"TRUNC(7.9)", "7"},
        {"TRUNC(-7.99, 1)", "-7.9"},
        {"CONCAT('A', NULL)", "A"},
        {"'A' || NULL || 'B'", "AB"},
        {"NULL || NULL", ""},
        {"'N=' || NVL(NULL, 0) * 2", "N=0"},
        {"1 + 1 || 'X'", "2X"},
        {"'1' || 1 + 1", "12"},
        {"'V' || 0.5", "V.5"},
        {"7 - 2 - 1", "4"},
        {"9007199254740993 + 0", "9007199254740993"},
        {"TO_DATE('2024-02-28', 'YYYY-MM-DD') + 1", "24-02-29"},
        {"1 + TO_DATE('2024-12-31', 'YYYY-MM-DD')", "25-01-01"},
        {"LENGTH('AB' || 'C')", "3"},
        {"LENGTHB('A\x82\xa0')", "3"},
        {"LENGTH('\x82\xa0\x82\xa2')", "2"},
        {"CASE WHEN 'abc' LIKE 'A%' THEN 'I' ELSE 'S' END", "S"},
        {"NVL('', 'EMPTY IS NULL')", "EMPTY IS NULL"},
        {"SUBSTR('ABCDE', 2, 3)", "BCD"},
        {"SUBSTR('ABCDE', 0, 2)", "AB"},
        {"SUBSTR('ABCDE', -2)", "DE"},
        {"SUBSTR('ABCDE', 4, 9223372036854775807)", "DE"},
        {"NVL(SUBSTR('ABCDE', 9), 'NONE')", "NONE"},
        {"SUBSTR('\x82\xa0\x82\xa2\x82\xa4', 2, 1)", "\x82\xa2"},
        {"INSTR('ABCABC', 'B', 3)", "5"},
        {"INSTR('ABCABC', 'B', 1, 2)", "5"},
        {"INSTR('ABCABC', 'B', -1)", "5"},
        {"INSTR('ABCABC', 'X')", "0"},
        {"REPLACE('ABCABC', 'B')", "ACAC"},
        {"REPLACE('ABC', 'B', NULL)", "AC"},
        {"LPAD('7', 3, '0')", "007"},
        {"RPAD('AB', 5, '*-')", "AB*-*"},
        {"LPAD('ABCDE', 3)", "ABC"},
        {"INITCAP('HELLO wORLD')", "Hello World"},
        {"GREATEST(3, 10, 7)", "10"},
        {"LEAST('B', 'A', 'C')", "A"},
        {"CEIL(1.2) + FLOOR(1.8)", "3"},
        {"ADD_MONTHS(TO_DATE('2026-01-31', 'YYYY-MM-DD'), 1)", "26-02-28"},
        {"ADD_MONTHS(TO_DATE('2026-02-28', 'YYYY-MM-DD'), 1)", "26-03-31"},
        {"LAST_DAY(TO_DATE('2024-02-10', 'YYYY-MM-DD'))", "24-02-29"}};
    for (const auto& c : cases)
        EXPECT_EQ(Scalar(std::string("SELECT ") + c.expression + " FROM DUAL"), c.text) << c.expression;
}

TEST_F(ODynasetTest, ColumnsRoundToTheirScaleAndDatesShowRrMmDd) {
    Exec("CREATE TABLE T (N NUMBER(7,2), W NUMBER(5), H NUMBER(9,-2), F NUMBER, D DATE)");
    Exec("INSERT INTO T VALUES (12.50, 2.5, 1250, 1.239, TO_DATE('2026-12-06', 'YYYY-MM-DD'))");
    Exec(
        "INSERT INTO T VALUES (1.235, -2.5, 1249.9, 7, "
        "TO_DATE('1999/01/31 23:59:58', 'YYYY/MM/DD HH24:MI:SS'))");
    EXPECT_EQ(
        Query(m_database, "SELECT N, W, H, F, D, TO_CHAR(D, 'YYYY-MM-DD HH24:MI:SS') FROM T ORDER BY F"),
        (Rows{{"12.5", "3", "1300", "1.239", "26-12-06", "2026-12-06 00:00:00"},
              {"1.24", "-3", "1200", "7", "99-01-31", "1999-01-31 23:59:58"}}));
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM T WHERE D > TO_DATE('2000-01-01', 'YYYY-MM-DD')"), "1");
    EXPECT_EQ(Scalar("SELECT MAX(D) FROM T"), "26-12-06");
    EXPECT_EQ(Scalar("SELECT MAX(D) + 26 FROM T"), "27-01-01");
    EXPECT_EQ(Scalar("SELECT TO_CHAR(MIN(D) - 0.5, 'YYYY-MM-DD HH24:MI:SS') FROM T"), "1999-01-31 11:59:58");
    EXPECT_EQ(Scalar("SELECT MAX(D) - MIN(D) FROM T"), "10170.0000231481");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM T WHERE D > SYSDATE - 365 * 100"), "2");
    EXPECT_EQ(Scalar("SELECT X FROM (SELECT TO_DATE('2026-01-02', 'YYYY-MM-DD') AS X FROM DUAL)"),
              "26-01-02");
}

TEST_F(ODynasetTest, BadDatesAndNumbersAreErrors) {
    for (const char* expression :
         {"TO_DATE('2026-02-30', 'YYYY-MM-DD')", "TO_DATE('NOT A DATE', 'YYYY-MM-DD')", "TO_NUMBER('12X')",
          "TO_CHAR(1, 'ABC')", "'A' + 1", "1 - SYSDATE", "SYSDATE + SYSDATE", "1 / 0", "GREATEST()",
          "LPAD('A', 9223372036854775807)", "ADD_MONTHS(SYSDATE, 9223372036854775807)", "1 / (2 - 2)"}) {
        std::string result = Scalar(std::string("SELECT ") + expression + " FROM DUAL");
        EXPECT_EQ(result.rfind("ERROR: ", 0), 0u) << expression << " gave " << result;
    }
}

TEST_F(ODynasetTest, GetFieldValueNeverSplitsADoubleByteCharacter) {
    ODynaset dynaset;
    ASSERT_EQ(dynaset.Open(m_database, ("SELECT '" + kA3 + "', 'ABCDE' FROM DUAL").c_str()), OSUCCESS);
    char buffer[8];
    const struct {
        int column;
        unsigned short length;
        std::string expected;
    } cases[] = {{0, 8, kA3},
                 {0, 7, kA3},
                 {0, 6, kA3.substr(0, 4)},
                 {0, 4, kA3.substr(0, 2)},
                 {0, 3, kA3.substr(0, 2)},
                 {0, 2, ""},
                 {0, 1, ""},
                 {1, 4, "ABC"},
                 {1, 6, "ABCDE"}};
    for (const auto& c : cases) {
        std::memset(buffer, '#', sizeof buffer);
        EXPECT_EQ(dynaset.GetFieldValue(c.column, buffer, c.length), OSUCCESS);
        EXPECT_EQ(std::string(buffer), c.expected) << c.column << "/" << c.length;
    }
    EXPECT_NE(dynaset.GetFieldValue(0, buffer, 0), OSUCCESS);
}

TEST_F(ODynasetTest, GetFieldValueFailsWithAnEmptyTextOffTheRows) {
    ODynaset dynaset;
    char buffer[10];
    auto expectFailure = [&](int column) {
        std::strcpy(buffer, "garbage");
        EXPECT_NE(dynaset.GetFieldValue(column, buffer, sizeof buffer), OSUCCESS);
        EXPECT_STREQ(buffer, "");
    };
    expectFailure(0);  // not open
    ASSERT_EQ(dynaset.Open(m_database, "SELECT * FROM DUAL"), OSUCCESS);
    expectFailure(5);
    EXPECT_EQ(dynaset.MoveNext(), OSUCCESS);
    EXPECT_TRUE(dynaset.IsEOF());
    expectFailure(0);
    EXPECT_NE(dynaset.MoveNext(), OSUCCESS);
}

TEST_F(ODynasetTest, FailedOpenReportsThroughTheDatabase) {
    ODynaset dynaset;
    EXPECT_NE(dynaset.Open(m_database, "SELECT * FROM NO_SUCH_TABLE"), OSUCCESS);
    EXPECT_NE(m_database.GetErrorText().find("NO_SUCH_TABLE"), std::string::npos);
    EXPECT_FALSE(dynaset.IsOpen());
    EXPECT_TRUE(dynaset.IsEOF());
    EXPECT_NE(dynaset.Open(m_database, "INSERT INTO DUAL VALUES ('Y')"), OSUCCESS);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM DUAL"), "1");
    ASSERT_EQ(dynaset.Open(m_database, "SELECT * FROM DUAL"), OSUCCESS);
    EXPECT_EQ(m_database.GetErrorText(), "");
}

TEST_F(ODynasetTest, LargeResultIsReadInBatches) {
    Exec("CREATE TABLE T (A NUMBER, B VARCHAR2(20), C TEXT, D NUMBER(8,2), E DATE)");
    Exec(
        "INSERT INTO T WITH RECURSIVE N(I) AS (SELECT 1 UNION ALL SELECT I + 1 FROM N WHERE I < 1000) "
        "SELECT I, 'ROW' || I, 'TEXT', I / 4.0, '2026-12-06 10:00:00' FROM N");
    ODynaset dynaset;
    ASSERT_EQ(dynaset.Open(m_database, "SELECT * FROM T ORDER BY A"), OSUCCESS) << m_database.GetErrorText();
    EXPECT_EQ(dynaset.GetFieldSize(2), 4);
    long rows = 0;
    for (; !dynaset.IsEOF(); dynaset.MoveNext()) {
        ++rows;
        // The count is of the rows read so far, never of the whole result.
        if (rows == 150) {
            EXPECT_LE(dynaset.GetRecordCount(), 200);
        }
    }
    EXPECT_EQ(rows, 1000);
    EXPECT_EQ(dynaset.GetRecordCount(), 1000);
    EXPECT_FALSE(dynaset.FetchFailed());
    EXPECT_EQ(Query(m_database, "SELECT B, D, E FROM T WHERE A = 999"),
              (Rows{{"ROW999", "249.75", "26-12-06"}}));
}
