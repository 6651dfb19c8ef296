#include <gtest/gtest.h>

#include "engine/sqlite/CDeclaredType.h"

TEST(CDeclaredTypeTest, SpellingsAndUnknownTypes) {
    struct Case {
        const char* declared;
        int type;
        long size;
        short precision;
        short scale;
        bool sizeFromValues;
    } cases[] = {{"number ( 7 , 2 )", servertype::kNumber, 22, 7, 2, false},
                 {"Varchar2(30)", servertype::kVarchar2, 30, 0, 0, false},
                 {"VARCHAR2", servertype::kVarchar2, 0, 0, 0, true},
                 {"TEXT", servertype::kVarchar2, 0, 0, 0, true},
                 {"double  precision", servertype::kNumber, 22, 126, -127, false},
                 {"FLOAT(49)", servertype::kNumber, 22, 49, -127, false},
                 {"LONG RAW", servertype::kLongRaw, 0, 0, 0, false},
                 {"TIMESTAMP", servertype::kTimestamp, 7, 0, 6, false},
                 {"timestamp(3)", servertype::kTimestamp, 7, 0, 3, false},
                 {"NUMBER(*, 2)", servertype::kNumber, 22, 0, 2, false},
                 {"BOOLEAN", servertype::kVarchar2, 0, 0, 0, true},
                 {"", servertype::kVarchar2, 0, 0, 0, true},
                 {"RAW", servertype::kRaw, 0, 0, 0, true},
                 {"NUMBER(99999)", servertype::kNumber, 22, 32767, 0, false},
                 {"NUMBER", servertype::kNumber, 22, 0, -127, false},
                 {"INTEGER", servertype::kNumber, 22, 38, 0, false},
                 {"NUMBER(10, -2)", servertype::kNumber, 22, 10, -2, false},
                 {"CHAR", servertype::kChar, 1, 0, 0, false},
                 // National text: two bytes a character (AL16UTF16).
                 {"NCHAR(2)", servertype::kChar, 4, 0, 0, false},
                 {"NVARCHAR2(4)", servertype::kVarchar2, 8, 0, 0, false},
                 // Intervals: the leading field's digits and a second's; as wide as their values.
                 {"INTERVAL_DAY_TO_SECOND(2,6)", servertype::kIntervalDs, 19, 2, 6, true},
                 {"INTERVAL_DAY_TO_SECOND(3,0)", servertype::kIntervalDs, 13, 3, 0, true},
                 {"INTERVAL_YEAR_TO_MONTH(4)", servertype::kIntervalYm, 8, 4, 0, true},
                 {"ROWID", servertype::kRowid, 18, 0, 0, true},
                 {"BINARY_DOUBLE", servertype::kBinaryDouble, 8, 0, 0, false},
                 {"BINARY_FLOAT", servertype::kBinaryFloat, 4, 0, 0, false},
                 {"CLOB", servertype::kClob, 4000, 0, 0, false}};
    for (const Case& c : cases) {
        auto d = CDeclaredType::Describe(c.declared);
        EXPECT_EQ(d.column.serverType, c.type) << c.declared;
        EXPECT_EQ(d.column.size, c.size) << c.declared;
        EXPECT_EQ(d.column.precision, c.precision) << c.declared;
        EXPECT_EQ(d.column.scale, c.scale) << c.declared;
        EXPECT_EQ(d.sizeFromValues, c.sizeFromValues) << c.declared;
    }
    EXPECT_TRUE(CDeclaredType::Describe("DATE").isDate);
    EXPECT_FALSE(CDeclaredType::Describe("VARCHAR2(10)").isDate);
}
