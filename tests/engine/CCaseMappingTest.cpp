// UPPER, LOWER and INITCAP map the case of every script CP932 holds, as the
// server maps it, and leave every other character as it is.
#include <gtest/gtest.h>

#include "engine/sqlite/values/CCaseMapping.h"
#include "tests/engine/EngineFixture.h"

TEST(CCaseMappingTest, LettersOfEveryScriptChangeCaseOthersStay) {
    const struct {
        const char* text;
        const char* upper;
        const char* lower;
        const char* initcap;
    } cases[] = {
        {"abc XYZ", "ABC XYZ", "abc xyz", "Abc Xyz"},
        {"ａｂｃ ＸＹＺ", "ＡＢＣ ＸＹＺ", "ａｂｃ ｘｙｚ", "Ａｂｃ Ｘｙｚ"},
        {"αβω ΑΣ", "ΑΒΩ ΑΣ", "αβω ασ", "Αβω Ασ"},
        {"жёя ЖЁ", "ЖЁЯ ЖЁ", "жёя жё", "Жёя Жё"},
        {"ⅰⅹ Ⅱ", "ⅠⅩ Ⅱ", "ⅰⅹ ⅱ", "Ⅰⅹ Ⅱ"},
        // Kana, kanji and half-width kana have no case; a word goes on
        // through digits and ends at anything else.
        {"日本ｶﾅ abc", "日本ｶﾅ ABC", "日本ｶﾅ abc", "日本ｶﾅ Abc"},
        {"o'neil 2nd-x", "O'NEIL 2ND-X", "o'neil 2nd-x", "O'Neil 2nd-X"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CCaseMapping::Upper(c.text), c.upper) << c.text;
        EXPECT_EQ(CCaseMapping::Lower(c.text), c.lower) << c.text;
        EXPECT_EQ(CCaseMapping::Initcap(c.text), c.initcap) << c.text;
    }
    // A broken sequence is kept byte for byte.
    EXPECT_EQ(CCaseMapping::Upper("a\xE3\x81"), "A\xE3\x81");
}

namespace {
class CCaseMappingSqlTest : public EngineFixture {};
}  // namespace

TEST_F(CCaseMappingSqlTest, SqlFunctionsAndComparisonsUseIt) {
    Exec("CREATE TABLE T (S VARCHAR2(20))");
    Exec("INSERT INTO T VALUES ('ｔａｒｖｅｘ')");
    EXPECT_EQ(Rows("SELECT UPPER(S), INITCAP(S), NLS_UPPER(S) FROM T"),
              "ＴＡＲＶＥＸ,Ｔａｒｖｅｘ,ＴＡＲＶＥＸ");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM T WHERE UPPER(S) = 'ＴＡＲＶＥＸ'"), "1");
    EXPECT_EQ(Rows("SELECT LOWER(UPPER(S)) FROM T"), "ｔａｒｖｅｘ");
    EXPECT_EQ(Rows("SELECT UPPER(NULL), UPPER(12) FROM DUAL"), "-,12");
}
