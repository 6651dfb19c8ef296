// The server's other types as the dictionary tells them, from the catalog's
// spelling and from SQLite's, which carries an interval's numbers last.
#include <gtest/gtest.h>

#include "engine/EngineTypes.h"
#include "engine/sqlite/CServerType.h"

namespace {

TEST(CServerTypeTest, DictionaryPartsOfEachType) {
    struct Case {
        const char* declared;
        const char* name;
        int type;
        long length;
        int precision;
        int scale;
        long characters;
    } cases[] = {
        {"INTERVAL DAY TO SECOND", "INTERVAL DAY(2) TO SECOND(6)", servertype::kIntervalDs, 11, 2, 6, 0},
        {"INTERVAL DAY(3) TO SECOND", "INTERVAL DAY(3) TO SECOND(6)", servertype::kIntervalDs, 11, 3, 6, 0},
        {"INTERVAL DAY TO SECOND(0)", "INTERVAL DAY(2) TO SECOND(0)", servertype::kIntervalDs, 11, 2, 0, 0},
        {"interval day(9) to second(9)", "INTERVAL DAY(9) TO SECOND(9)", servertype::kIntervalDs, 11, 9, 9,
         0},
        {"INTERVAL_DAY_TO_SECOND(4,2)", "INTERVAL DAY(4) TO SECOND(2)", servertype::kIntervalDs, 11, 4, 2, 0},
        {"INTERVAL YEAR TO MONTH", "INTERVAL YEAR(2) TO MONTH", servertype::kIntervalYm, 5, 2, 0, 0},
        {"INTERVAL YEAR(4) TO MONTH", "INTERVAL YEAR(4) TO MONTH", servertype::kIntervalYm, 5, 4, 0, 0},
        {"INTERVAL_YEAR_TO_MONTH(3)", "INTERVAL YEAR(3) TO MONTH", servertype::kIntervalYm, 5, 3, 0, 0},
        {"ROWID", "ROWID", servertype::kRowid, 10, -1, -1, 0},
        {"UROWID", "UROWID", servertype::kUrowid, 4000, -1, -1, 0},
        {"UROWID(100)", "UROWID", servertype::kUrowid, 100, -1, -1, 0},
        {"BINARY_FLOAT", "BINARY_FLOAT", servertype::kBinaryFloat, 4, -1, -1, 0},
        {"BINARY_DOUBLE", "BINARY_DOUBLE", servertype::kBinaryDouble, 8, -1, -1, 0},
        {"LONG RAW", "LONG RAW", servertype::kLongRaw, 0, -1, -1, 0},
        {"NVARCHAR2(4)", "NVARCHAR2", servertype::kVarchar2, 8, -1, -1, 4},
        {"NCHAR(2)", "NCHAR", servertype::kChar, 4, -1, -1, 2},
        {"NCHAR", "NCHAR", servertype::kChar, 2, -1, -1, 1},
        {"FLOAT(10)", "FLOAT", servertype::kNumber, 22, 10, -1, 0},
        {"FLOAT", "FLOAT", servertype::kNumber, 22, 126, -1, 0},
        {"REAL", "FLOAT", servertype::kNumber, 22, 63, -1, 0},
        {"DOUBLE PRECISION", "FLOAT", servertype::kNumber, 22, 126, -1, 0},
    };
    for (const Case& c : cases) {
        CServerType::Shape shape;
        ASSERT_TRUE(CServerType::Describe(c.declared, shape)) << c.declared;
        EXPECT_EQ(shape.name, c.name) << c.declared;
        EXPECT_EQ(shape.serverType, c.type) << c.declared;
        EXPECT_EQ(shape.length, c.length) << c.declared;
        EXPECT_EQ(shape.precision, c.precision) << c.declared;
        EXPECT_EQ(shape.scale, c.scale) << c.declared;
        EXPECT_EQ(shape.characters, c.characters) << c.declared;
        EXPECT_EQ(shape.national, c.characters > 0) << c.declared;
    }
}

TEST(CServerTypeTest, OtherTypesAreNotItsOwn) {
    for (const char* declared : {"NUMBER(5)", "VARCHAR2(10)", "DATE", "TIMESTAMP(3) WITH TIME ZONE", "LONG",
                                 "ROWIDS", "INTERVAL", "BINARY", ""}) {
        CServerType::Shape shape;
        EXPECT_FALSE(CServerType::Describe(declared, shape)) << declared;
    }
}

}  // namespace
