// RAISE_APPLICATION_ERROR(num BINARY_INTEGER, msg VARCHAR2,
// keeperrorstack BOOLEAN DEFAULT FALSE): called as any procedure is, in
// positional, named or mixed notation; arguments of the wrong type or
// number are refused when the block compiles (PLS-00306), the number is
// rounded to a whole number as a BINARY_INTEGER argument is, and one
// outside -20999..-20000 answers ORA-21000.
#include <gtest/gtest.h>

#include <string>

#include "tests/engine/EngineFixture.h"

namespace {

class PlsqlApplicationErrorTest : public OutputFixture {};

using Case = BlockCase;

// The compile-time refusal of a call at column `column` of line 1.
std::string WrongArguments(int column) {
    const std::string at = "ORA-06550: 行1、列" + std::to_string(column) + ":";
    return "ERROR " + at +
           "|PLS-00306: 'RAISE_APPLICATION_ERROR'の呼出しで、引数の数または型が正しくありません。|" + at +
           "|PL/SQL: Statement ignored";
}

}  // namespace

TEST_F(PlsqlApplicationErrorTest, ArgumentsArePositionalNamedOrMixed) {
    const Case cases[] = {
        {"BEGIN RAISE_APPLICATION_ERROR(num => -20001, msg => 'named'); END;",
         "ERROR ORA-20001: named|ORA-06512: 行1"},
        {"BEGIN RAISE_APPLICATION_ERROR(msg => 'reversed', num => -20002); END;",
         "ERROR ORA-20002: reversed|ORA-06512: 行1"},
        {"BEGIN RAISE_APPLICATION_ERROR(-20003, msg => 'mixed'); END;",
         "ERROR ORA-20003: mixed|ORA-06512: 行1"},
        // Parameter names are not case-sensitive.
        {"BEGIN raise_application_error(Msg => 'lower', NUM => -20004); END;",
         "ERROR ORA-20004: lower|ORA-06512: 行1"},
        // keeperrorstack by name, first of all.
        {"BEGIN RAISE_APPLICATION_ERROR(-20001, 'a'); EXCEPTION WHEN OTHERS THEN\n"
         "RAISE_APPLICATION_ERROR(keeperrorstack => TRUE, num => -20002, msg => 'b'); END;",
         "ERROR ORA-20002: b|ORA-06512: 行2|ORA-20001: a|ORA-06512: 行1"},
        {"BEGIN RAISE_APPLICATION_ERROR(-20001, 'a'); EXCEPTION WHEN OTHERS THEN\n"
         "RAISE_APPLICATION_ERROR(-20002, 'b', keeperrorstack => FALSE); END;",
         "ERROR ORA-20002: b|ORA-06512: 行2"},
        // Caught like any other error.
        {"BEGIN RAISE_APPLICATION_ERROR(msg => 'caught', num => -20999); EXCEPTION WHEN OTHERS THEN "
         "DBMS_OUTPUT.PUT_LINE(SQLCODE || ' ' || SQLERRM); END;",
         "-20999 ORA-20999: caught"},
    };
    for (const Case& c : cases) EXPECT_EQ(OutputOf(c.block), c.answer) << c.block;
}

TEST_F(PlsqlApplicationErrorTest, WrongArgumentsAreRefusedWhenTheBlockCompiles) {
    const Case cases[] = {
        {"BEGIN RAISE_APPLICATION_ERROR(-20001, 'x', 1); END;", nullptr},
        {"BEGIN RAISE_APPLICATION_ERROR(-20001, 'x', keeperrorstack => 'TRUE'); END;", nullptr},
        {"BEGIN RAISE_APPLICATION_ERROR(-20001); END;", nullptr},
        {"BEGIN RAISE_APPLICATION_ERROR(msg => 'no number'); END;", nullptr},
        {"BEGIN RAISE_APPLICATION_ERROR(-20001, 'x', TRUE, FALSE); END;", nullptr},
        {"BEGIN RAISE_APPLICATION_ERROR(TRUE, 'x'); END;", nullptr},
        {"BEGIN RAISE_APPLICATION_ERROR(SYSDATE, 'x'); END;", nullptr},
        {"BEGIN RAISE_APPLICATION_ERROR(-20001, 1 < 2); END;", nullptr},
    };
    for (const Case& c : cases) EXPECT_EQ(OutputOf(c.block), WrongArguments(7)) << c.block;
    // A call that never runs is refused all the same.
    EXPECT_EQ(OutputOf("BEGIN IF 1 = 2 THEN RAISE_APPLICATION_ERROR(-20001, 'x', 0); END IF; END;"),
              WrongArguments(21));
    // A name the procedure has no parameter of, or one given twice.
    EXPECT_NE(OutputOf("BEGIN RAISE_APPLICATION_ERROR(code => -20001, msg => 'x'); END;")
                  .find("PLS-00306: 'RAISE_APPLICATION_ERROR'"),
              std::string::npos);
    EXPECT_NE(OutputOf("BEGIN RAISE_APPLICATION_ERROR(num => -20001, num => -20002, msg => 'x'); END;")
                  .find("PLS-00703: "),
              std::string::npos);
    // A positional argument after a named one.
    EXPECT_EQ(OutputOf("BEGIN RAISE_APPLICATION_ERROR(num => -20001, 'x'); END;"),
              "ERROR ORA-06550: 行1、列46:|"
              "PLS-00312: 位置指定パラメータの関連付けは、名前付きの関連付けの後には指定できません。");
}

TEST_F(PlsqlApplicationErrorTest, TheNumberIsAWholeNumberInTheApplicationsRange) {
    const std::string outOfRange =
        "ERROR ORA-21000: -20000..-20999の範囲外のraise_application_errorの引数エラー数";
    const Case cases[] = {
        // Rounded half away from zero, as a BINARY_INTEGER argument.
        {"BEGIN RAISE_APPLICATION_ERROR(-20000.4, 'x'); END;", "ERROR ORA-20000: x|ORA-06512: 行1"},
        {"BEGIN RAISE_APPLICATION_ERROR(-19999.5, 'x'); END;", "ERROR ORA-20000: x|ORA-06512: 行1"},
        {"BEGIN RAISE_APPLICATION_ERROR(-20001.5, 'x'); END;", "ERROR ORA-20002: x|ORA-06512: 行1"},
        {"BEGIN RAISE_APPLICATION_ERROR('-20005', 'text'); END;", "ERROR ORA-20005: text|ORA-06512: 行1"},
        {"BEGIN RAISE_APPLICATION_ERROR(-20999.5, 'x'); END;", nullptr},
        {"BEGIN RAISE_APPLICATION_ERROR(-19999, 'x'); END;", nullptr},
        {"BEGIN RAISE_APPLICATION_ERROR(20001, 'x'); END;", nullptr},
    };
    for (const Case& c : cases) {
        const std::string out = OutputOf(c.block);
        if (c.answer != nullptr)
            EXPECT_EQ(out, c.answer) << c.block;
        else
            EXPECT_EQ(out.rfind(outOfRange, 0), 0u) << c.block << " -> " << out;
    }
    EXPECT_EQ(OutputOf("BEGIN RAISE_APPLICATION_ERROR(-20999.5, 'x'); END;"),
              outOfRange + "-21000です。|ORA-06512: 行1");
    EXPECT_EQ(OutputOf("DECLARE n NUMBER; BEGIN RAISE_APPLICATION_ERROR(n, 'x'); END;"),
              outOfRange + "です。|ORA-06512: 行1");
}
