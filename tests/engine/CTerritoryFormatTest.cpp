// The date format elements of a territory: DL (long date), DS (short date)
// and TS (short time) written by TO_CHAR anywhere in a model, read by
// TO_DATE alone or as a date with TS, separated by white space.
#include "tests/engine/EngineFixture.h"

namespace {

class CTerritoryFormatTest : public EngineFixture {};

struct Case {
    const char* model;
    const char* answer;
};

// 2024-01-05 was a Friday.
const std::string kDate = "TO_DATE('2024-01-05 13:07:09', 'YYYY-MM-DD HH24:MI:SS')";

std::string Written(const std::string& model) {
    return "SELECT TO_CHAR(" + kDate + ", '" + model + "') FROM DUAL";
}

constexpr Case kJapan[] = {
    {"DL", "2024年01月05日 金曜日"},
    {"DS", "24-01-05"},
    {"TS", "13:07:09"},
    {"ds ts", "24-01-05 13:07:09"},
    {"YYYY/DL", "2024/2024年01月05日 金曜日"},
    // Quoted text is text; DSP is the day of the week spelled (Sunday first).
    {"\"DL\" DS", "DL 24-01-05"},
    {"DSP", "SIX"},
};

TEST_F(CTerritoryFormatTest, JapanWritesItsLongAndShortForms) {
    for (const Case& c : kJapan) EXPECT_EQ(Rows(Written(c.model)), c.answer) << c.model;
}

constexpr Case kAmerica[] = {
    {"DL", "Friday, January 5, 2024"},
    {"DS", "01/05/2024"},
    {"TS", "01:07:09 PM"},
    // The long date's fill mode ends with it.
    {"DL\"!\"DD", "Friday, January 5, 2024!05"},
};

TEST_F(CTerritoryFormatTest, AmericaWritesTheDocumentedForms) {
    Exec("ALTER SESSION SET NLS_TERRITORY = AMERICA");
    Exec("ALTER SESSION SET NLS_LANGUAGE = AMERICAN");
    for (const Case& c : kAmerica) EXPECT_EQ(Rows(Written(c.model)), c.answer) << c.model;
    EXPECT_EQ(Rows("SELECT TO_CHAR(TO_DATE('01/05/2024', 'DS'), 'YYYY-MM-DD') FROM DUAL"), "2024-01-05");
}

constexpr Case kRead[] = {
    {"TO_DATE('2024年01月05日 金曜日', 'DL')", "2024-01-05 00:00:00"},
    {"TO_DATE('24-01-05 13:07:09', 'DS TS')", "2024-01-05 13:07:09"},
    {"TO_DATE('13:07:09 99-12-31', 'TS DS')", "1999-12-31 13:07:09"},
    {"TO_TIMESTAMP('24-01-05 13:07:09', 'DS TS')", "2024-01-05 13:07:09"},
    {"TO_TIMESTAMP_TZ('24-01-05 13:07:09', 'DS TS')", "2024-01-05 13:07:09"},
};

TEST_F(CTerritoryFormatTest, ToDateReadsThemAloneOrWithTheTime) {
    for (const Case& c : kRead)
        EXPECT_EQ(Rows(std::string("SELECT TO_CHAR(") + c.model + ", 'YYYY-MM-DD HH24:MI:SS') FROM DUAL"),
                  c.answer)
            << c.model;
    for (const char* model : {"DS HH24", "YYYY DL", "DL DS", "DS-TS"})
        EXPECT_EQ(
            Failure(std::string("SELECT TO_DATE('24-01-05 13', '") + model + "') FROM DUAL").substr(0, 9),
            "ORA-01821")
            << model;
}

TEST_F(CTerritoryFormatTest, ATerritoryWithoutItsFormsIsRefusedByName) {
    Exec("ALTER SESSION SET NLS_TERRITORY = KOREA");
    std::string error = Failure(Written("DL"));
    EXPECT_EQ(error.substr(0, 9), "ORA-03001");
    EXPECT_NE(error.find("KOREA"), std::string::npos) << error;
    EXPECT_EQ(Rows(Written("YYYY")), "2024");
}

TEST_F(CTerritoryFormatTest, PlsqlWritesAndReadsThem) {
    EXPECT_EQ(OutputOf("DECLARE d DATE := TO_DATE('24-01-05 13:07:09', 'DS TS'); BEGIN DBMS_OUTPUT.ENABLE; "
                       "DBMS_OUTPUT.PUT_LINE(TO_CHAR(d, 'DL') || '|' || TO_CHAR(d, 'TS')); END;"),
              "2024年01月05日 金曜日|13:07:09");
}

// NLS_DATE_FORMAT and NLS_TIMESTAMP_FORMAT take DL, DS and TS as TO_DATE
// reads them: the session's dates are shown and read by the territory's
// models, and the setting is shown as it was written.
TEST_F(CTerritoryFormatTest, SessionFormatsTakeThem) {
    Exec("ALTER SESSION SET NLS_DATE_FORMAT = 'DS TS'");
    EXPECT_EQ(Rows("SELECT " + kDate + ", TO_CHAR(" + kDate + ") FROM DUAL"),
              "24-01-05 13:07:09,24-01-05 13:07:09");
    EXPECT_EQ(Rows("SELECT TO_CHAR(TO_DATE('99-12-31 01:02:03'), 'YYYY-MM-DD HH24:MI:SS') FROM DUAL"),
              "1999-12-31 01:02:03");
    EXPECT_EQ(Rows("SELECT SYS_CONTEXT('USERENV', 'NLS_DATE_FORMAT') FROM DUAL"), "DS TS");
    EXPECT_EQ(Rows("SELECT VALUE FROM NLS_SESSION_PARAMETERS WHERE PARAMETER = 'NLS_DATE_FORMAT'"), "DS TS");
    Exec("ALTER SESSION SET NLS_DATE_FORMAT = 'dl'");
    EXPECT_EQ(Rows("SELECT " + kDate + " FROM DUAL"), "2024年01月05日 金曜日");
    EXPECT_EQ(Rows("SELECT TO_CHAR(TO_DATE('2024年01月05日 金曜日'), 'YYYY-MM-DD') FROM DUAL"), "2024-01-05");
    Exec("ALTER SESSION SET NLS_TIMESTAMP_FORMAT = 'DS TS'");
    EXPECT_EQ(Rows("SELECT TIMESTAMP '2024-01-05 13:07:09.5' FROM DUAL"), "24-01-05 13:07:09");
    EXPECT_EQ(Rows("SELECT TO_CHAR(TO_TIMESTAMP('24-01-05 13:07:09'), 'YYYY-MM-DD HH24:MI:SS') FROM DUAL"),
              "2024-01-05 13:07:09");
    EXPECT_EQ(Rows("SELECT VALUE FROM NLS_SESSION_PARAMETERS WHERE PARAMETER = 'NLS_TIMESTAMP_FORMAT'"),
              "DS TS");
}

TEST_F(CTerritoryFormatTest, SessionFormatsFollowTheTerritory) {
    Exec("ALTER SESSION SET NLS_TIMESTAMP_FORMAT = 'DS TS'");
    Exec("ALTER SESSION SET NLS_TERRITORY = AMERICA");
    Exec("ALTER SESSION SET NLS_LANGUAGE = AMERICAN");
    Exec("ALTER SESSION SET NLS_DATE_FORMAT = 'DS'");
    EXPECT_EQ(Rows("SELECT " + kDate + " FROM DUAL"), "01/05/2024");
    EXPECT_EQ(Rows("SELECT TO_CHAR(TO_DATE('01/05/2024'), 'YYYY-MM-DD') FROM DUAL"), "2024-01-05");
    EXPECT_EQ(Rows("SELECT TIMESTAMP '2024-01-05 13:07:09' FROM DUAL"), "01/05/2024 01:07:09 PM");
}

TEST_F(CTerritoryFormatTest, SessionFormatsRefuseWhatCannotBeRead) {
    for (const std::string model : {"DS HH24", "YYYY DL", "DL DS", "DS-TS"}) {
        EXPECT_EQ(Failure("ALTER SESSION SET NLS_DATE_FORMAT = '" + model + "'").substr(0, 9), "ORA-01821")
            << model;
        EXPECT_EQ(Failure("ALTER SESSION SET NLS_TIMESTAMP_FORMAT = '" + model + "'").substr(0, 9),
                  "ORA-01821")
            << model;
    }
    // The session keeps the formats it had.
    EXPECT_EQ(Rows("SELECT " + kDate + " FROM DUAL"), "24-01-05");
    EXPECT_EQ(Rows("SELECT SYS_CONTEXT('USERENV', 'NLS_DATE_FORMAT') FROM DUAL"), "RR-MM-DD");
    Exec("ALTER SESSION SET NLS_TERRITORY = KOREA");
    std::string error = Failure("ALTER SESSION SET NLS_DATE_FORMAT = 'DS'");
    EXPECT_EQ(error.substr(0, 9), "ORA-03001");
    EXPECT_NE(error.find("KOREA"), std::string::npos) << error;
}

// A session format's quoted text is kept as typed, Japanese text among it.
TEST_F(CTerritoryFormatTest, SessionFormatKeepsItsText) {
    Exec("ALTER SESSION SET NLS_DATE_FORMAT = 'YYYY\"年\"MM\"月\"DD\"日\"'");
    EXPECT_EQ(Rows("SELECT DATE '2024-01-05' FROM DUAL"), "2024年01月05日");
    EXPECT_EQ(Rows("SELECT TO_CHAR(TO_DATE('2024年01月05日'), 'YYYY-MM-DD') FROM DUAL"), "2024-01-05");
    EXPECT_EQ(Rows("SELECT SYS_CONTEXT('USERENV', 'NLS_DATE_FORMAT') FROM DUAL"),
              "YYYY\"年\"MM\"月\"DD\"日\"");
}

}  // namespace
