#include <gtest/gtest.h>

#include "engine/sqlite/CLengthChecks.h"
#include "engine/sqlite/COracleDialect.h"

TEST(CLengthChecksTest, SizedTextColumnsOfCreateTableGetChecks) {
    std::string oracle =
        "CREATE TABLE T (ID NUMBER(5), NAME VARCHAR2(10) NOT NULL, CODE CHAR(2 BYTE), NOTE VARCHAR2(4000),"
        " C CHAR, CONSTRAINT PK PRIMARY KEY (ID))";
    std::string engine = COracleDialect::Translate(oracle).Text();
    EXPECT_EQ(
        engine,
        "CREATE TABLE T (ID NUMBER(5), NAME VARCHAR2(10) CONSTRAINT \"value too large for column NAME "
        "(maximum 10 bytes)\" CHECK (LENGTHB(NAME) <= 10) NOT NULL, CODE CHAR(2 ) CONSTRAINT \"value too "
        "large for column CODE (maximum 2 bytes)\" CHECK (LENGTHB(CODE) <= 2), NOTE VARCHAR2(4000) "
        "CONSTRAINT \"value too large for column NOTE (maximum 4000 bytes)\" CHECK (LENGTHB(NOTE) <= "
        "4000), C CHAR, CONSTRAINT PK PRIMARY KEY (ID))");
}

TEST(CLengthChecksTest, OtherStatementsAreLeftAlone) {
    for (const char* text :
         {"CREATE TABLE T AS SELECT CAST(A AS VARCHAR2(5)) FROM U", "CREATE VIEW V AS SELECT 1",
          "ALTER TABLE T ADD B VARCHAR2(5)", "CREATE TABLE T (A VARCHAR2(5 CHAR))"}) {
        auto tokens = CSqlScanner::Significant(text);
        for (const std::string& after : CLengthChecks::Find(text, tokens)) EXPECT_EQ(after, "") << text;
    }
}
