// TO_MULTI_BYTE and TO_SINGLE_BYTE as the server converts for a Japanese
// database (JIS X 0201 characters to their JIS X 0208 forms and back, one
// character at a time), and NCHR's national code points.
#include "tests/engine/EngineFixture.h"

namespace {

class CWidthFunctionsTest : public EngineFixture {};

struct Case {
    const char* expression;
    const char* answer;
};

constexpr Case kConversions[] = {
    {"TO_MULTI_BYTE('abc XYZ 09')", "ａｂｃ　ＸＹＺ　０９"},
    {"TO_MULTI_BYTE('!~')", "！～"},
    // A sound mark is a character of its own: it stays one.
    {"TO_MULTI_BYTE('ｶﾞｷﾟ｡')", "カ゛キ゜。"},
    {"TO_MULTI_BYTE('漢字かなカナ')", "漢字かなカナ"},
    {"TO_MULTI_BYTE(12)", "１２"},
    {"LENGTHB(TO_MULTI_BYTE('a ｱ'))", "6"},
    {"TO_SINGLE_BYTE('ＡＢＣ　ｘｙｚ＃')", "ABC xyz#"},
    {"TO_SINGLE_BYTE('ヲァッー「」・、')", "ｦｧｯｰ｢｣･､"},
    {"TO_SINGLE_BYTE('゛゜')", "ﾞﾟ"},
    // Voiced kana and hiragana have no single-byte form.
    {"TO_SINGLE_BYTE('ガパヴあ漢')", "ガパヴあ漢"},
    {"NVL(TO_MULTI_BYTE(NULL), 'n') || NVL(TO_SINGLE_BYTE(NULL), 'n')", "nn"},
    {"NCHR(65) || NCHR(12354) || NCHR('66')", "AあB"},
};

TEST_F(CWidthFunctionsTest, ConversionsFollowTheJapaneseCharacterSets) {
    for (const Case& c : kConversions)
        EXPECT_EQ(Rows(std::string("SELECT ") + c.expression + " FROM DUAL"), c.answer) << c.expression;
}

// Every half-width katakana against its full-width form, in code order.
TEST_F(CWidthFunctionsTest, EveryHalfWidthKatakanaHasItsFullWidthForm) {
    const std::string half = "｡｢｣､･ｦｧｨｩｪｫｬｭｮｯｰｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜﾝﾞﾟ";
    const std::string full =
        "。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメ"
        "モヤユヨ"
        "ラリルレロワン゛゜";
    EXPECT_EQ(Rows("SELECT TO_MULTI_BYTE('" + half + "') FROM DUAL"), full);
    EXPECT_EQ(Rows("SELECT TO_SINGLE_BYTE('" + full + "') FROM DUAL"), half);
}

// Every printable ASCII character takes two bytes and comes back unchanged.
TEST_F(CWidthFunctionsTest, PrintableAsciiGoesThereAndBack) {
    std::string ascii;
    for (char c = 0x21; c <= 0x7E; ++c) ascii += c == '\'' ? std::string("''") : std::string(1, c);
    EXPECT_EQ(Rows("SELECT LENGTHB(TO_MULTI_BYTE('" + ascii + "')) FROM DUAL"), "188");
    EXPECT_EQ(Rows("SELECT CASE WHEN TO_SINGLE_BYTE(TO_MULTI_BYTE('" + ascii + "')) = '" + ascii +
                   "' THEN 'same' END FROM DUAL"),
              "same");
}

// A full-width character takes two bytes: a column made by TO_MULTI_BYTE
// holds twice its source's, by TO_SINGLE_BYTE as many.
TEST_F(CWidthFunctionsTest, MadeColumnsHoldWhatTheConversionCanGive) {
    Exec("CREATE TABLE W (C VARCHAR2(4))");
    Exec("INSERT INTO W VALUES ('ab ｱ')");
    Exec("CREATE TABLE W2 AS SELECT TO_MULTI_BYTE(C) M, TO_SINGLE_BYTE(C) S FROM W");
    EXPECT_EQ(Rows("SELECT DATA_LENGTH FROM USER_TAB_COLUMNS WHERE TABLE_NAME = 'W2' ORDER BY COLUMN_ID"),
              "8|4");
    EXPECT_EQ(Rows("SELECT M, S FROM W2"), "ａｂ　ア,ab ｱ");
}

TEST_F(CWidthFunctionsTest, NchrShowsWhatCp932LacksAsChrDoes) {
    EXPECT_EQ(Rows("SELECT NCHR(128512) FROM DUAL"), Rows("SELECT CHR(128512) FROM DUAL"));
}

TEST_F(CWidthFunctionsTest, PlsqlCallsThemAsSqlDoes) {
    EXPECT_EQ(OutputOf("DECLARE v VARCHAR2(20) := TO_SINGLE_BYTE('Ｂ'); BEGIN DBMS_OUTPUT.ENABLE; "
                       "DBMS_OUTPUT.PUT_LINE(TO_MULTI_BYTE('a1') || v || NCHR(67)); END;"),
              "ａ１BC");
}

}  // namespace
