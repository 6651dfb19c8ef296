// An object's constructor text read as the document an object is kept as.
#include <gtest/gtest.h>

#include <string>

#include "engine/sqlite/values/CConstructorJson.h"

namespace {

struct Case {
    const char* text;
    const char* json;  // nullptr: no constructor
};

TEST(ConstructorJson, ReadsConstructorsIntoAttributeArrays) {
    const Case cases[] = {
        {"T(1, 'a', NULL)", "[\"1\",\"a\",null]"},
        // A doubled quote is one quote; a JSON quote or backslash is escaped.
        {"T('It''s', 'say \"hi\"', 'a\\b')", "[\"It's\",\"say \\\"hi\\\"\",\"a\\\\b\"]"},
        // Commas and brackets inside a text are text.
        {"T('a, b)', -2.5E+3)", "[\"a, b)\",\"-2.5E+3\"]"},
        // Objects and collections inside an object are arrays of their own.
        {"INV_T(1, WH_T(1, 'Southlake', 1400), NUMS(1, 2), EMPTY_T())",
         "[\"1\",[\"1\",\"Southlake\",\"1400\"],[\"1\",\"2\"],[]]"},
        {"T(NULLIF_T(NULL))", "[[null]]"},
        {"T(1", nullptr},
        {"T(1) x", nullptr},
        {"'a'", nullptr},
        {"T('open)", nullptr},
        {"T(1,, 2)", nullptr},
        {"", nullptr},
    };
    for (const Case& c : cases) {
        std::string json = "unchanged";
        bool ok = CConstructorJson::ToJson(c.text, json);
        EXPECT_EQ(ok, c.json != nullptr) << c.text;
        EXPECT_EQ(json, c.json != nullptr ? c.json : "unchanged") << c.text;
    }
}

TEST(ConstructorJson, RefusesTextNestedBeyondAnyType) {
    std::string text;
    for (int k = 0; k < 200; ++k) text += "T(";
    text += std::string(200, ')');
    std::string json;
    EXPECT_FALSE(CConstructorJson::ToJson(text, json));
}

}  // namespace
