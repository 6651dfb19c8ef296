#include <gtest/gtest.h>

#include "commands/CExecuteCommand.h"
#include "commands/CVariableCommand.h"
#include "oracle/OParameterCollection.h"
#include "sql/DatabaseFixture.h"

namespace {

const char* const kUsage = "使用方法: VAR[IABLE] [<変数> [<タイプ>]]";
const char* const kUndeclared = "変数が宣言されていません。";
const char* const kDone = "PL/SQLプロシージャが正常に完了しました。";

CScriptLines Printed(const std::string& name, const std::string& value) {
    return {"", name, std::string(20, '-'), value, ""};
}

struct DeclareCase {
    const char* text;
    int serverType;  // 0: refused with the usage line
    const char* initial;
};
void PrintTo(const DeclareCase& c, std::ostream* os) { *os << c.text; }

class DeclareTest : public ConnectedFixture, public ::testing::WithParamInterface<DeclareCase> {};

TEST_P(DeclareTest, DeclaresWithTypeAndInitialValue) {
    const DeclareCase& c = GetParam();
    const CScriptLines out =
        Processor().Command<CVariableCommand>().DeclareVariable(Processor().GetContext(), c.text);
    OParameter x = Database().GetParameters().GetParameter("X");
    OValue value;
    if (c.serverType == 0) {
        EXPECT_EQ(out, SjLines({kUsage})) << c.text;
        EXPECT_NE(x.GetValue(&value), OSUCCESS) << c.text;
        return;
    }
    EXPECT_TRUE(out.empty()) << c.text;
    ASSERT_EQ(x.GetValue(&value), OSUCCESS) << c.text;
    EXPECT_EQ(x.GetServerType(), c.serverType) << c.text;
    EXPECT_EQ(value.ToText(), c.initial) << c.text;
}

using D = DeclareCase;
// clang-format off
INSTANTIATE_TEST_SUITE_P(Types, DeclareTest, ::testing::Values(
    D{"X NUMBER", 2, ""}, D{"X number(5)", 2, ""}, D{"X CHAR(5)", 96, "     "},
    D{"X VARCHAR2(20)", 1, "                    "}, D{"X VARCHAR2 ( 3 )", 1, "   "},
    D{"X NCHAR(2)", 96, "  "}, D{"X NVARCHAR2(1)", 1, " "}, D{"X CHAR", 96, " "}, D{"X VARCHAR2", 1, " "},
    D{"X CHAR()", 96, ""}, D{"X   CLOB  ", 112, ""}, D{"X NCLOB", 112, ""}, D{"X REFCURSOR", 102, ""},
    D{"X FOO", 0, ""}, D{"X ", 0, ""}, D{"X (5)", 0, ""}, D{"X CHAR(-1)", 0, ""},
    D{"X VARCHAR2(99999999999)", 0, ""}, D{"X NUMBERS", 0, ""}, D{"X BINARY_DOUBLE", 101, ""},
    D{"X binary_float", 100, ""}, D{"X BINARY_REAL", 0, ""}, D{"X BINARY", 0, ""}));
// clang-format on

TEST_F(ConnectedFixture, ExecuteSetsANumberThatPrintAndVariableShow) {
    EXPECT_TRUE(Run({"variable n number"}).empty());
    // A NUMBER without value is NULL and prints empty.
    EXPECT_EQ(Run({"print n"}), Printed("N", ""));
    EXPECT_EQ(Run({"exec :n := 42"}), SjLines({"", kDone, ""}));
    EXPECT_EQ(Processor().GetExecBlock(), "BEGIN :N := 42; END;");
    EXPECT_EQ(Run({"print n"}), Printed("N", "42"));
    // Numbers print whole and exact, as the database writes them.
    const struct {
        const char *assigned, *printed;
    } numbers[] = {{"7.9", "7.9"}, {"3000000000", "3000000000"}, {"0.5", ".5"}, {"null", ""}};
    for (const auto& number : numbers) {
        Run({std::string("execute :n := ") + number.assigned});
        EXPECT_EQ(Run({"print n"}), Printed("N", number.printed)) << number.assigned;
    }
    // Quoted text in a block keeps its case.
    Run({"var s varchar2(5)", "exec :s := 'aB'"});
    EXPECT_EQ(Run({"print s"}), Printed("S", "aB"));
    // The value goes back into statements as it was.
    Run({"execute :n := 3000000000", "execute :n := :n + 1"});
    EXPECT_EQ(Run({"print n"}), Printed("N", "3000000001"));
    EXPECT_EQ(Run({"print :n"}), SjLines({kUndeclared}));
    // A name alone shows the variable.
    Run({"var c char(3)"});
    EXPECT_EQ(Run({"var c"}), Printed("C", "   "));
    // A trailing blank after the name is an empty type.
    EXPECT_EQ(Run({"variable c "}), SjLines({kUsage}));
    for (const char* line : {"variable nothere", "print nothere"})
        EXPECT_EQ(Run({line}), SjLines({kUndeclared}));
}

TEST_F(ConnectedFixture, ExecuteContinuedOverLinesLeavesItsHyphensOut) {
    Run({"variable n number"});
    // The hyphen that continues the command is no minus sign of the block.
    EXPECT_EQ(Run({"exec :n := -", "  5"}), SjLines({"", kDone, ""}));
    EXPECT_EQ(Processor().GetExecBlock(), "BEGIN :N :=     5; END;");
    EXPECT_EQ(Run({"print n"}), Printed("N", "5"));
    // A minus sign inside a line stays one.
    Run({"exec :n := 7 - 2"});
    EXPECT_EQ(Run({"print n"}), Printed("N", "5"));
    Run({"var s varchar2(20)", "exec :s := UPPER(-", "'a - b')"});
    EXPECT_EQ(Run({"print s"}), Printed("S", "A - B"));
}

TEST_F(ConnectedFixture, FloatingVariablesPrintAsTheirQueryColumnsShow) {
    Run({"variable d binary_double", "variable f binary_float"});
    EXPECT_EQ(Run({"print d"}), Printed("D", ""));
    // Fitted to NUMWIDTH as a BINARY_DOUBLE column is; the server's text
    // when it fits.
    const struct {
        const char *assigned, *printed;
    } doubles[] = {
        {"1/3", ".333333333"}, {"2.5", "2.5E+000"}, {"1d/0", "Inf"},     {"-1d/0", "-Inf"},
        {"0/0d", "Nan"},       {"null", ""},        {"'7'", "7.0E+000"}, {"123456789012", "1.2346E+11"},
        {"-1/3", "-.33333333"}};
    for (const auto& value : doubles) {
        EXPECT_EQ(Run({std::string("exec :d := ") + value.assigned}), SjLines({"", kDone, ""}))
            << value.assigned;
        EXPECT_EQ(Run({"print d"}), Printed("D", value.printed)) << value.assigned;
    }
    // SQL in the block computes with the variable as IEEE arithmetic does:
    // a third times three is one, 0.1 + 0.2 is not 0.3 (NUMBER arithmetic
    // gives .999999999999999 and .3).
    const struct {
        const char *assigned, *statement, *printed;
    } computed[] = {
        {"1/3", "select :d * 3 into :d from dual", "1.0E+000"},
        {"0.1d", "select :d + 0.2 into :d from dual", ".3"},
        {"0.1d", "select case when :d + 0.2 = 0.3 then 1 else 0 end into :d from dual", "0"},
        {"2d", "null", "2.0E+000"},
    };
    for (const auto& c : computed) {
        Run({std::string("exec :d := ") + c.assigned});
        EXPECT_EQ(Run({std::string("exec ") + c.statement}), SjLines({"", kDone, ""})) << c.statement;
        EXPECT_EQ(Run({"print d"}), Printed("D", c.printed)) << c.statement;
    }
    // A BINARY_FLOAT keeps single precision, in the block and after it.
    Run({"exec :d := 1/3", "exec :f := :d"});
    EXPECT_EQ(Run({"print f"}), Printed("F", ".333333343"));
    Run({"exec :d := :f"});
    EXPECT_EQ(Run({"print d"}), Printed("D", ".333333343"));
    Run({"set numwidth 15", "exec :d := 1/3"});
    EXPECT_EQ(Run({"print d"}), Printed("D", ".33333333333333"));
    // Text that is no number is refused by the block, the value kept.
    CScriptLines out = Run({"exec :d := 'abc'"});
    EXPECT_NE(out, SjLines({"", kDone, ""}));
    EXPECT_EQ(Run({"print d"}), Printed("D", ".33333333333333"));
}

// A character variable takes no more bytes than it was declared with (one
// when no length is given): a longer value fails the block with ORA-06502
// and the variable keeps its value.
TEST_F(ConnectedFixture, CharacterVariablesHoldTheirDeclaredBytes) {
    const struct {
        const char* declared;
        const char* assigned;
        const char* printed;  // null: refused
    } cases[] = {
        {"var s varchar2(3)", "'abc'", "abc"},    {"var s varchar2(3)", "'abcd'", nullptr},
        {"var s varchar2", "'a'", "a"},           {"var s varchar2", "'ab'", nullptr},
        {"var s char(2)", "'xy'", "xy"},          {"var s char(2)", "'xyz'", nullptr},
        {"var s nvarchar2(4)", "'日本'", "日本"}, {"var s varchar2(4)", "'日本語'", nullptr},
        {"var s varchar2(2)", "12", "12"},        {"var s varchar2(2)", "123", nullptr},
        {"var s varchar2(1)", "null", ""},
    };
    for (const auto& c : cases) {
        Run({c.declared, "exec :s := 'z'"});
        const CScriptLines out = Run({Sj(std::string("exec :s := ") + c.assigned)});
        const std::string shown = c.printed != nullptr ? Sj(c.printed) : "z";
        EXPECT_EQ(Run({"print s"}), Printed("S", shown)) << c.declared << " := " << c.assigned;
        if (c.printed != nullptr) {
            EXPECT_EQ(out, SjLines({"", kDone, ""})) << c.declared << " := " << c.assigned;
            continue;
        }
        const std::string joined = [&] {
            std::string text;
            for (const std::string& line : out) text += line + "|";
            return text;
        }();
        EXPECT_NE(joined.find("ORA-06502"), std::string::npos) << c.declared << " := " << c.assigned;
    }
}

TEST_F(ConnectedFixture, FailedBlocksStayTheLastBlockAndEveryCommandNeedsAConnection) {
    CScriptLines out = Run({"exec "});
    EXPECT_EQ(Processor().GetExecBlock(), "BEGIN ; END;");
    ASSERT_FALSE(out.empty());
    EXPECT_NE(out, SjLines({"", kDone, ""}));
    out = Run({"execute no_such_procedure(1)"});
    EXPECT_EQ(Processor().GetExecBlock(), "BEGIN NO_SUCH_PROCEDURE(1); END;");
    ASSERT_GE(out.size(), 3u);
    EXPECT_EQ(out[0], "execute no_such_procedure(1)");
    EXPECT_EQ(out[2], Sj("エラー行: 0: エラーが発生しました。"));
    EXPECT_EQ(Processor().Command<CExecuteCommand>().Run(Processor().GetContext(), CCommandArgs{}),
              SjLines({"使用方法: EXEC(UTE) statement"}));
    Run({"disconnect"});
    for (const char* line : {"var n number", "variable n", "exec null", "print n"})
        EXPECT_EQ(Run({line}), SjLines({"接続されていません。"})) << line;
}

}  // namespace
