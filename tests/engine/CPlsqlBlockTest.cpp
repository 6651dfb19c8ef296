#include <gtest/gtest.h>

#include "engine/sqlite/CPlsqlBlock.h"
#include "text/Encoding.h"

using StepKind = CPlsqlBlock::StepKind;

TEST(CPlsqlBlockTest, StatementsAreSplitAndClassified) {
    std::string text =
        "BEGIN\n  NULL;\n  :X := 'A;B' || :Y;\n  INSERT INTO T VALUES (1);\n"
        "  dbms_output.put_line(:X);\n  DBMS_OUTPUT.ENABLE(20000);\n  DBMS_OUTPUT.DISABLE;\n"
        "  DBMS_OUTPUT.PUT('P');\n  DBMS_OUTPUT.NEW_LINE;\nEND;\n";
    std::vector<CPlsqlBlock::Step> steps;
    CEngineError error;
    ASSERT_TRUE(CPlsqlBlock::Parse(text, steps, error)) << error.message;
    std::vector<StepKind> kinds;
    for (const auto& step : steps) kinds.push_back(step.kind);
    EXPECT_EQ(kinds,
              (std::vector<StepKind>{StepKind::Null, StepKind::Assign, StepKind::Dml, StepKind::OutputPutLine,
                                     StepKind::OutputEnable, StepKind::OutputDisable, StepKind::OutputPut,
                                     StepKind::OutputNewLine}));
    EXPECT_EQ(steps[1].target, "X");
    EXPECT_EQ(text.substr(steps[1].expressionBegin, steps[1].expressionLength), "'A;B' || :Y");
    EXPECT_EQ(text.substr(steps[2].begin, steps[2].length), "INSERT INTO T VALUES (1)");
    EXPECT_EQ(text.substr(steps[3].expressionBegin, steps[3].expressionLength), ":X");
}

TEST(CPlsqlBlockTest, EndingsCommentsAndQuotedSemicolons) {
    for (const char* text :
         {"BEGIN NULL; END;", "BEGIN NULL; END", "begin null; end;\n\n  ", "BEGIN NULL; END ;"}) {
        std::vector<CPlsqlBlock::Step> steps;
        CEngineError error;
        EXPECT_TRUE(CPlsqlBlock::Parse(text, steps, error)) << text << ": " << error.message;
        EXPECT_EQ(steps.size(), 1u) << text;
    }
    std::string text = "BEGIN /* ; */ :X := ';'; -- ; comment\n :Y := \"A;B\"; END;";
    std::vector<CPlsqlBlock::Step> steps;
    CEngineError error;
    ASSERT_TRUE(CPlsqlBlock::Parse(text, steps, error)) << error.message;
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(text.substr(steps[0].expressionBegin, steps[0].expressionLength), "';'");
    EXPECT_EQ(steps[1].target, "Y");
}

TEST(CPlsqlBlockTest, ErrorsNameTheStatementAndItsPosition) {
    struct Case {
        std::string text;
        const char* message;
        const char* at;  // text at the reported position; nullptr: the end
    } cases[] = {{"BEGIN ; END;", "文がありません", ";"},
                 {"BEGIN END;", "一つ以上", "END"},
                 {"BEGIN NULL END;", "ORA-06550", "NULL"},
                 {"BEGIN NULL;", "END", nullptr},
                 {"BEGIN :X := ; END;", "式がありません", " ; END"},
                 {"BEGIN IF A THEN NULL; END IF; END;", "IF 文", "IF A"},
                 {"BEGIN NULL; WHILE 1 = 1 LOOP NULL; END LOOP; END;", "WHILE LOOP", "WHILE"},
                 {"BEGIN MY_PROC(1, 2); END;", "MY_PROC の呼出し", "MY_PROC"},
                 {"BEGIN SCOTT.PKG.RUN; END;", "SCOTT.PKG.RUN の呼出し", "SCOTT"},
                 {"BEGIN V := 1; END;", "ローカル変数 (V)", "V :="},
                 {"BEGIN DBMS_OUTPUT.PUT_LINE; END;", "DBMS_OUTPUT.PUT_LINE", "DBMS_OUTPUT"},
                 {"BEGIN DBMS_OUTPUT.GET_LINE(:L, :S); END;", "DBMS_OUTPUT.GET_LINE の呼出し", "DBMS_OUTPUT"},
                 {"BEGIN EXECUTE IMMEDIATE 'X'; END;", "EXECUTE IMMEDIATE", "EXECUTE"},
                 {"BEGIN NULL; EXCEPTION WHEN OTHERS THEN NULL; END;", "例外処理部", "EXCEPTION"},
                 {"SELECT 1 FROM DUAL", "BEGIN", "SELECT"}};
    for (const Case& c : cases) {
        std::vector<CPlsqlBlock::Step> steps;
        CEngineError error;
        ASSERT_FALSE(CPlsqlBlock::Parse(c.text, steps, error)) << c.text;
        EXPECT_NE(encoding::Cp932ToUtf8(error.message).find(c.message), std::string::npos) << c.text;
        int expected =
            c.at == nullptr ? static_cast<int>(c.text.size()) : static_cast<int>(c.text.find(c.at));
        EXPECT_EQ(error.position, expected) << c.text;
    }
}
