// GREATEST and LEAST on the embedded engine: the arguments taken as the
// first one's type, long numbers compared exactly, NULL for any NULL.
#include <gtest/gtest.h>

#include "tests/engine/EngineFixture.h"

namespace {

class CGreatestLeastTest : public EngineFixture {};

}  // namespace

TEST_F(CGreatestLeastTest, ArgumentsCompareAsTheFirstArgumentsType) {
    Exec("CREATE TABLE N (A NUMBER, B NUMBER, T VARCHAR2(20), D DATE)");
    Exec("INSERT INTO N VALUES (12345678901234567890, 12345678901234567891, '10', DATE '2020-05-01')");
    Exec("INSERT INTO N VALUES (-99999999999999999999, 5, '9', NULL)");
    struct Case {
        const char* expression;
        const char* rows;  // TO_CHAR of the value in each row
    };
    const Case cases[] = {
        // Long numbers differ past the 15th digit; a double would tie them.
        {"GREATEST(A, B)", "12345678901234567891|5"},
        {"LEAST(A, B)", "12345678901234567890|-99999999999999999999"},
        {"LEAST(A, B, 0.5)", ".5|-99999999999999999999"},
        {"GREATEST(B, 12345678901234567890.5)", "12345678901234567891|12345678901234567890.5"},
        {"GREATEST(A, NULL)", "-|-"},
        {"LEAST(NULL, A)", "-|-"},
        // Text compares as text ('9' > '10'); a number after it becomes text.
        {"GREATEST(T, '2')", "2|9"},
        {"GREATEST(T, 5)", "5|9"},
        // A number first: text after it becomes a number (10 > 9).
        {"GREATEST(B + 0, T)", "12345678901234567891|9"},
        {"LEAST(5, T)", "5|5"},
        // A date first: text after it is read as a date.
        {"LEAST(D, '2019-06-01 00:00:00') - DATE '2019-01-01'", "151|-"},
        {"GREATEST(D, DATE '2020-04-30') - DATE '2020-04-30'", "1|-"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Rows(std::string("SELECT TO_CHAR(") + c.expression + ") FROM N ORDER BY ROWID"), c.rows)
            << c.expression;
    EXPECT_EQ(Failure("SELECT GREATEST(1, 'x') FROM DUAL").substr(0, 9), "ORA-01722");
}
