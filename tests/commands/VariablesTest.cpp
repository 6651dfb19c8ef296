#include <gtest/gtest.h>

#include "oracle/OParameterCollection.h"
#include "sql/DatabaseFixture.h"

namespace {

class VariablesTest : public DatabaseFixture {
protected:
    void SetUp() override {
        DatabaseFixture::SetUp();
        Connect();
    }
    CScriptLines Printed(const std::string& name, const std::string& value) {
        return {"", name, std::string(20, '-'), value, ""};
    }
    OParameter Parameter(const char* name) { return Database().GetParameters().GetParameter(name); }
};

struct DeclareCase {
    const char* text;
    int serverType;  // 0: refused with the usage line
    const char* initial;
};

class DeclareTest : public VariablesTest, public ::testing::WithParamInterface<DeclareCase> {};

TEST_P(DeclareTest, DeclaresWithTypeAndInitialValue) {
    const DeclareCase& c = GetParam();
    const CScriptLines out = Processor().DeclareVariable(c.text);
    OValue value;
    if (c.serverType == 0) {
        EXPECT_EQ(out, SjLines({"使用方法: VAR[IABLE] [<変数> [<タイプ>]]"})) << c.text;
        EXPECT_NE(Parameter("X").GetValue(&value), OSUCCESS) << c.text;
        return;
    }
    EXPECT_TRUE(out.empty()) << c.text;
    ASSERT_EQ(Parameter("X").GetValue(&value), OSUCCESS) << c.text;
    EXPECT_EQ(Parameter("X").GetServerType(), c.serverType) << c.text;
    EXPECT_EQ(value.ToText(), c.initial) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Types, DeclareTest,
    ::testing::Values(DeclareCase{"X NUMBER", 2, ""}, DeclareCase{"X number(5)", 2, ""},
                      DeclareCase{"X CHAR(5)", 96, "     "},
                      DeclareCase{"X VARCHAR2(20)", 1, "                    "},
                      DeclareCase{"X VARCHAR2 ( 3 )", 1, "   "}, DeclareCase{"X NCHAR(2)", 96, "  "},
                      DeclareCase{"X NVARCHAR2(1)", 1, " "}, DeclareCase{"X CHAR", 96, " "},
                      DeclareCase{"X VARCHAR2", 1, " "}, DeclareCase{"X CHAR()", 96, ""},
                      DeclareCase{"X   CLOB  ", 112, ""}, DeclareCase{"X NCLOB", 112, ""},
                      DeclareCase{"X REFCURSOR", 102, ""}, DeclareCase{"X FOO", 0, ""},
                      DeclareCase{"X ", 0, ""}, DeclareCase{"X (5)", 0, ""}, DeclareCase{"X CHAR(-1)", 0, ""},
                      DeclareCase{"X VARCHAR2(99999999999)", 0, ""}, DeclareCase{"X NUMBERS", 0, ""}));

TEST_F(VariablesTest, ExecuteSetsANumberThatPrintShowsAsAWholeNumber) {
    EXPECT_TRUE(Run({"variable n number"}).empty());
    // A NUMBER without value prints through the integer conversion.
    EXPECT_EQ(Run({"print n"}), Printed("N", "0"));
    EXPECT_EQ(Run({"exec :n := 42"}), SjLines({"", "PL/SQLプロシージャが正常に完了しました。", ""}));
    EXPECT_EQ(Processor().GetExecBlock(), "BEGIN :N := 42; END;");
    EXPECT_EQ(Run({"print n"}), Printed("N", "42"));
    Run({"execute :n := 7.9"});
    EXPECT_EQ(Run({"print n"}), Printed("N", "7"));
}

TEST_F(VariablesTest, VariableWithANameAloneShowsIt) {
    Run({"var c char(3)"});
    EXPECT_EQ(Run({"var c"}), Printed("C", "   "));
    EXPECT_EQ(Run({"variable nothere"}), SjLines({"変数が宣言されていません。"}));
}

TEST_F(VariablesTest, TrailingBlankAfterANameAloneIsAnEmptyType) {
    Run({"var c char(3)"});
    EXPECT_EQ(Run({"variable c "}), SjLines({"使用方法: VAR[IABLE] [<変数> [<タイプ>]]"}));
}

TEST_F(VariablesTest, PrintOfAnUndeclaredName) {
    EXPECT_EQ(Run({"print nothere"}), SjLines({"変数が宣言されていません。"}));
    Run({"var n number"});
    EXPECT_EQ(Run({"print :n"}), SjLines({"変数が宣言されていません。"}));
}

TEST_F(VariablesTest, ExecuteOfBlanksSendsAnEmptyStatement) {
    const CScriptLines out = Run({"exec "});
    EXPECT_EQ(Processor().GetExecBlock(), "BEGIN ; END;");
    ASSERT_FALSE(out.empty());
    EXPECT_NE(out, SjLines({"", "PL/SQLプロシージャが正常に完了しました。", ""}));
}

TEST_F(VariablesTest, FailedBlockStaysTheLastBlock) {
    const CScriptLines out = Run({"execute no_such_procedure(1)"});
    EXPECT_EQ(Processor().GetExecBlock(), "BEGIN NO_SUCH_PROCEDURE(1); END;");
    ASSERT_GE(out.size(), 3u);
    EXPECT_EQ(out[0], "execute no_such_procedure(1)");
    EXPECT_EQ(out[2], Sj("エラー行: 0: エラーが発生しました。"));
}

TEST_F(VariablesTest, ExecuteWithoutCapturesShowsUsage) {
    EXPECT_EQ(Processor().ExecuteBlock({}), SjLines({"使用方法: EXEC(UTE) statement"}));
}

TEST_F(VariablesTest, EveryCommandNeedsAConnection) {
    Run({"disconnect"});
    for (const char* line : {"var n number", "variable n", "exec null", "print n"})
        EXPECT_EQ(Run({line}), SjLines({"接続されていません。"})) << line;
}

}  // namespace
