#include <gtest/gtest.h>

#include "engine/sqlite/COraError.h"
#include "text/Encoding.h"

TEST(COraErrorTest, EngineMessagesTakeTheServersCodeAndJapaneseText) {
    using Action = COraError::Action;
    const struct {
        const char* message;
        Action action;
        int code;
        const char* text;  // UTF-8
        int position;      // after Translate, from 7
    } cases[] = {
        {"no such column: e.sal", Action::Other, 904, "ORA-00904: 列 E.SAL は存在しません。", 7},
        {"FOREIGN KEY constraint failed", Action::Delete, 2292,
         "ORA-02292: 整合性制約に違反しました - 子レコードがあります。", 0},
        {"table T has 2 columns but 3 values were supplied", Action::Insert, 913,
         "ORA-00913: 値の個数が多すぎます。", 7},
        {"2 values for 3 columns", Action::Insert, 947, "ORA-00947: 値の個数が足りません。", 7},
        {"near \"FORM\": syntax error", Action::Other, 900, "ORA-00900: FORM の付近の SQL 文が無効です。", 7},
        {"index EMP_IX already exists", Action::Other, 955, "ORA-00955: 名前 EMP_IX はすでに使われています。",
         7},
        {"some message nobody expected", Action::Other, 600,
         "ORA-00600: 組込みデータベースの内部エラーです。", 7},
    };
    for (const auto& c : cases) {
        CEngineError error;
        error.Set(c.message, 7);
        COraError::Translate(error, c.action);
        EXPECT_EQ(error.code, c.code) << c.message;
        EXPECT_EQ(encoding::Cp932ToUtf8(error.message), c.text) << c.message;
        EXPECT_EQ(error.position, c.position) << c.message;
    }
}

TEST(COraErrorTest, AMessageWithoutItsNameKeepsNoStrayBlanks) {
    EXPECT_EQ(encoding::Cp932ToUtf8(COraError::Text(942, {})), "ORA-00942: 表またはビューは存在しません。");
    EXPECT_EQ(encoding::Cp932ToUtf8(COraError::Text(1, {""})), "ORA-00001: 一意制約に違反する値です。");
    EXPECT_EQ(encoding::Cp932ToUtf8(COraError::Text(904, {"X"})), "ORA-00904: 列 X は存在しません。");
}

TEST(COraErrorTest, FunctionErrorsKeepTheirCodeAndPosition) {
    CEngineError error;
    error.Set(encoding::Utf8ToCp932(COraError::ForFunction(1438, {"T.B"}, 25)), -1);
    COraError::Translate(error);
    EXPECT_EQ(error.code, 1438);
    EXPECT_EQ(error.position, 25);
    EXPECT_EQ(encoding::Cp932ToUtf8(error.message), "ORA-01438: T.B の値が列の精度を超えています。");
}
