#include <cstring>
#include <tuple>

#include "oracle/ODynaset.h"
#include "tests/oracle/OracleTestSupport.h"

namespace {

const std::string kA3 = "\x82\xa0\x82\xa2\x82\xa4";  // three double-byte characters

// One column's description; kAny is not checked.
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
            EXPECT_STREQ(dynaset.GetFieldName(k), c.name);
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

TEST_F(ODynasetTest, ExpressionsAndViewsAreDescribed) {
    Exec("CREATE TABLE T (ID NUMBER(7,2) PRIMARY KEY, NAME VARCHAR2(10) NOT NULL, NOTE CHAR(3))");
    Exec("CREATE VIEW V AS SELECT NAME, NOTE, ID + 1 AS NEXT FROM T");
    // Nullability comes from the constraints, through views too; an
    // expression is described by its type, whether or not there are rows.
    ExpectColumns("SELECT T.*, LENGTH(NAME) AS L, UPPER(NAME) U, NOTE || NAME C, 'ABC' A FROM T",
                  {{"ID", OTYPE_NUMBER, 22, 7, 2, false},
                   {"NAME", OTYPE_VARCHAR2, 10, 0, 0, false},
                   {"NOTE", OTYPE_CHAR, 3},
                   {"L", OTYPE_NUMBER, 22, 0, -127},
                   {"U", OTYPE_VARCHAR2, 10},
                   {"C", OTYPE_VARCHAR2, 13},
                   {"A", OTYPE_CHAR, 3}});
    ExpectColumns("SELECT * FROM V", {{"NAME", OTYPE_VARCHAR2, 10, 0, 0, false},
                                      {"NOTE", OTYPE_CHAR, 3},
                                      {"NEXT", OTYPE_NUMBER, 22, 0, -127}});
    // Text of no known length is sized by its widest value (in bytes); every
    // item is headed as typed.
    Exec("CREATE TABLE E (S TEXT, N NUMBER)");
    Exec("INSERT INTO E VALUES ('AB', 1)");
    Exec("INSERT INTO E VALUES ('" + kA3 + "', 22)");
    Exec("INSERT INTO E VALUES (NULL, NULL)");
    ExpectColumns("SELECT S || 'X' AS SX, N * 2 AS N2, NULL AS Z, S, N / 4 AS Q FROM E",
                  {{"SX", OTYPE_VARCHAR2, 7},
                   {"N2", OTYPE_NUMBER, 22, 0, -127},
                   {"Z", OTYPE_VARCHAR2, 1},
                   {"S", OTYPE_VARCHAR2, 6},
                   {"Q", OTYPE_NUMBER, kAny, kAny, kAny}});
    ExpectColumns("SELECT SYSDATE, 1 + 2, DUMMY || 'Y', DUMMY D, 7 / 2 AS HALF FROM DUAL",
                  {{"SYSDATE", OTYPE_DATE, 7},
                   {"1+2", OTYPE_NUMBER, 22, 0, -127},
                   {"DUMMY||'Y'", OTYPE_VARCHAR2, 2},
                   {"D", OTYPE_VARCHAR2, 1},
                   {"HALF", OTYPE_NUMBER, kAny, kAny, kAny}});
    ExpectColumns("SELECT 'ABC' AS A, SUM(1) S, SYSDATE + 1 D FROM DUAL WHERE 1 = 0",
                  {{"A", OTYPE_CHAR, 3}, {"S", OTYPE_NUMBER, 22, 0, -127}, {"D", OTYPE_DATE, 7}});
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
        "INSERT INTO T WITH N(I) AS (SELECT 1 FROM DUAL UNION ALL SELECT I + 1 FROM N WHERE I < 1000) "
        "SELECT I, 'ROW' || I, 'TEXT', I / 4.0, TO_DATE('2026-12-06 10:00:00', 'YYYY-MM-DD HH24:MI:SS') FROM "
        "N");
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
