// The error stack of RAISE_APPLICATION_ERROR's keep_errors argument: TRUE
// adds the error to the stack of previous errors (the one being handled,
// with its ORA-06512 lines), FALSE (the default) replaces them. The block's
// caller, SQLERRM and DBMS_UTILITY.FORMAT_ERROR_STACK all see the stack.
#include <gtest/gtest.h>

#include "tests/engine/EngineFixture.h"

namespace {

class PlsqlErrorStackTest : public OutputFixture {};

using Case = BlockCase;

}  // namespace

TEST_F(PlsqlErrorStackTest, KeepErrorsAddsToTheStack) {
    const Case cases[] = {
        {"DECLARE PROCEDURE p IS BEGIN RAISE_APPLICATION_ERROR(-20001, 'inner'); END;\n"
         "BEGIN p; EXCEPTION WHEN OTHERS THEN RAISE_APPLICATION_ERROR(-20002, 'outer', TRUE); END;",
         "ERROR ORA-20002: outer|ORA-06512: 行2|ORA-20001: inner|ORA-06512: 行1|ORA-06512: 行2"},
        // FALSE, given or by default, replaces the earlier errors.
        {"DECLARE PROCEDURE p IS BEGIN RAISE_APPLICATION_ERROR(-20001, 'inner'); END;\n"
         "BEGIN p; EXCEPTION WHEN OTHERS THEN RAISE_APPLICATION_ERROR(-20002, 'outer', FALSE); END;",
         "ERROR ORA-20002: outer|ORA-06512: 行2"},
        {"BEGIN RAISE_APPLICATION_ERROR(-20001, 'a'); EXCEPTION WHEN OTHERS THEN\n"
         "RAISE_APPLICATION_ERROR(-20002, 'b'); END;",
         "ERROR ORA-20002: b|ORA-06512: 行2"},
        // No error being handled: nothing to keep.
        {"BEGIN\nRAISE_APPLICATION_ERROR(-20005, 'alone', TRUE); END;",
         "ERROR ORA-20005: alone|ORA-06512: 行2"},
        // Three errors, each kept under the next.
        {"BEGIN\n BEGIN\n  BEGIN RAISE_APPLICATION_ERROR(-20001, 'one');\n"
         "  EXCEPTION WHEN OTHERS THEN RAISE_APPLICATION_ERROR(-20002, 'two', TRUE); END;\n"
         " EXCEPTION WHEN OTHERS THEN RAISE_APPLICATION_ERROR(-20003, 'three', TRUE); END;\nEND;",
         "ERROR ORA-20003: three|ORA-06512: 行5|ORA-20002: two|ORA-06512: 行4|ORA-20001: one|ORA-06512: 行3"},
        // An internal error kept under an application error.
        {"DECLARE n NUMBER := 0; BEGIN\nn := 1 / n;\nEXCEPTION WHEN ZERO_DIVIDE THEN\n"
         "RAISE_APPLICATION_ERROR(-20010, 'bad ratio', TRUE); END;",
         "ERROR ORA-20010: bad ratio|ORA-06512: 行4|ORA-01476: 除数がゼロです。|ORA-06512: 行2"},
        // RAISE passes the whole stack on.
        {"BEGIN\n BEGIN RAISE_APPLICATION_ERROR(-20001, 'one');\n"
         " EXCEPTION WHEN OTHERS THEN RAISE_APPLICATION_ERROR(-20002, 'two', TRUE); END;\n"
         "EXCEPTION WHEN OTHERS THEN RAISE; END;",
         "ERROR ORA-20002: two|ORA-06512: 行3|ORA-20001: one|ORA-06512: 行2"},
        // A handled stack is gone: a later error stands alone.
        {"BEGIN\n BEGIN RAISE_APPLICATION_ERROR(-20001, 'one');\n"
         " EXCEPTION WHEN OTHERS THEN RAISE_APPLICATION_ERROR(-20002, 'two', TRUE); END;\n"
         "EXCEPTION WHEN OTHERS THEN RAISE_APPLICATION_ERROR(-20003, 'three'); END;",
         "ERROR ORA-20003: three|ORA-06512: 行4"},
    };
    for (const Case& c : cases) EXPECT_EQ(OutputOf(c.block), c.answer) << c.block;
}

TEST_F(PlsqlErrorStackTest, SqlerrmAndFormatErrorStackSeeTheKeptErrors) {
    const std::string raise =
        "BEGIN\n BEGIN RAISE_APPLICATION_ERROR(-20001, 'one');\n"
        " EXCEPTION WHEN OTHERS THEN RAISE_APPLICATION_ERROR(-20002, 'two', TRUE); END;\n"
        "EXCEPTION WHEN OTHERS THEN ";
    EXPECT_EQ(OutputOf(raise + "dbms_output.put_line(SQLCODE); dbms_output.put_line(SQLERRM); END;"),
              "-20002|ORA-20002: two\nORA-06512: 行3\nORA-20001: one\nORA-06512: 行2");
    // FORMAT_ERROR_STACK ends its text with a line break.
    EXPECT_EQ(
        OutputOf(raise + "dbms_output.put(DBMS_UTILITY.FORMAT_ERROR_STACK); dbms_output.put_line('.'); END;"),
        "ORA-20002: two\nORA-06512: 行3\nORA-20001: one\nORA-06512: 行2\n.");
    // Without keep_errors SQLERRM is the message alone.
    EXPECT_EQ(OutputOf("BEGIN RAISE_APPLICATION_ERROR(-20001, 'one'); EXCEPTION WHEN OTHERS THEN "
                       "dbms_output.put_line(SQLERRM); END;"),
              "ORA-20001: one");
}

TEST_F(PlsqlErrorStackTest, StoredUnitsCarryTheStackToTheCaller) {
    Exec("CREATE PROCEDURE inner_p IS BEGIN\nRAISE_APPLICATION_ERROR(-20001, 'inner');\nEND;");
    Exec(
        "CREATE PROCEDURE outer_p IS BEGIN\ninner_p;\nEXCEPTION WHEN OTHERS THEN\n"
        "RAISE_APPLICATION_ERROR(-20002, 'outer', TRUE);\nEND;");
    EXPECT_EQ(OutputOf("BEGIN outer_p; END;"),
              "ERROR ORA-20002: outer|ORA-06512: \"OUTER_P\", 行4|ORA-06512: 行1|ORA-20001: inner|"
              "ORA-06512: \"INNER_P\", 行2|ORA-06512: \"OUTER_P\", 行2");
    // A trigger's kept errors reach the statement that fired it.
    Exec("CREATE TABLE t (n NUMBER)");
    Exec(
        "CREATE TRIGGER t_check BEFORE INSERT ON t FOR EACH ROW BEGIN\ninner_p;\nEXCEPTION WHEN OTHERS THEN\n"
        "RAISE_APPLICATION_ERROR(-20003, 'refused', TRUE);\nEND;");
    const std::string failure = OutputOf("BEGIN INSERT INTO t VALUES (1); END;");
    EXPECT_EQ(failure.rfind("ERROR ORA-20003: refused|", 0), 0u) << failure;
    EXPECT_NE(failure.find("ORA-20001: inner"), std::string::npos) << failure;
}
