// A unit that fails to compile lists every error, as the server does: each
// statement whose names do not resolve or whose SQL does not compile is
// passed over ("PL/SQL: Statement ignored", "PL/SQL: SQL Statement
// ignored"), each declaration that fails too ("PL/SQL: Item ignored", its
// later uses PLS-00320), and the compile goes on with the next one. A
// syntax error stands alone. USER_ERRORS (and SHOW ERRORS) lists the rows
// by line and column; an anonymous block answers one ORA-06550 pair per
// error, in the order of its text.
#include <gtest/gtest.h>

#include "tests/engine/EngineFixture.h"

namespace {

class PlsqlCompileErrorsTest : public OutputFixture {
protected:
    void SetUp() override {
        OutputFixture::SetUp();
        Exec("CREATE TABLE emp (ename VARCHAR2(10), sal NUMBER)");
    }
    std::string Errors(const std::string& name) {
        return Rows("SELECT line, position, text FROM user_errors WHERE name = '" + name +
                    "' ORDER BY sequence");
    }
};

struct UnitCase {
    const char* name;
    const char* text;
    const char* errors;
};

}  // namespace

TEST_F(PlsqlCompileErrorsTest, EveryFailingStatementOfAUnitIsListed) {
    const UnitCase cases[] = {
        {"BAD3", "CREATE OR REPLACE PROCEDURE bad3 AS\n  x NUMBER;\nBEGIN\n  x := y + 1;\n  z := 2;\nEND;",
         "4,3,PL/SQL: Statement ignored|4,8,PLS-00201: 識別子'Y'を宣言してください。|"
         "5,3,PL/SQL: Statement ignored|5,3,PLS-00201: 識別子'Z'を宣言してください。"},
        // Each SQL statement: its error at the name it fails on, the statement at its start.
        {"DML",
         "CREATE OR REPLACE PROCEDURE dml AS\n  n NUMBER;\nBEGIN\n  UPDATE emp SET nocol = 1;\n"
         "  DELETE FROM emp WHERE other = 2;\n  INSERT INTO nowhere VALUES (1);\n"
         "  SELECT sal INTO n FROM emp WHERE bad = 1;\n  n := 0;\nEND;",
         "4,3,PL/SQL: SQL Statement ignored|4,18,PL/SQL: ORA-00904: 列 NOCOL は存在しません。|"
         "5,3,PL/SQL: SQL Statement ignored|5,25,PL/SQL: ORA-00904: 列 OTHER は存在しません。|"
         "6,3,PL/SQL: SQL Statement ignored|6,15,PL/SQL: ORA-00942: 表またはビュー NOWHERE は存在しません。|"
         "7,3,PL/SQL: SQL Statement ignored|7,36,PL/SQL: ORA-00904: 列 BAD は存在しません。"},
        {"CURS",
         "CREATE OR REPLACE PROCEDURE curs AS\n  CURSOR c IS SELECT nocol FROM emp;\n"
         "  CURSOR d IS SELECT sal FROM nowhere;\nBEGIN\n  NULL;\nEND;",
         "2,15,PL/SQL: SQL Statement ignored|2,22,PL/SQL: ORA-00904: 列 NOCOL は存在しません。|"
         "3,15,PL/SQL: SQL Statement ignored|3,31,PL/SQL: ORA-00942: 表またはビュー NOWHERE "
         "は存在しません。"},
        // A condition that fails passes over its statement; the statements
        // inside are compiled still.
        {"NEST",
         "CREATE OR REPLACE PROCEDURE nest AS\n  n NUMBER;\nBEGIN\n  IF q > 1 THEN\n    r := 2;\n"
         "  ELSIF n > 0 THEN\n    n := 1;\n  END IF;\n  WHILE t LOOP\n    s := 1;\n  END LOOP;\n"
         "  BEGIN\n    NULL;\n  EXCEPTION WHEN OTHERS THEN w := 1;\n  END;\nEND;",
         "4,3,PL/SQL: Statement ignored|4,6,PLS-00201: 識別子'Q'を宣言してください。|"
         "5,5,PL/SQL: Statement ignored|5,5,PLS-00201: 識別子'R'を宣言してください。|"
         "9,3,PL/SQL: Statement ignored|9,9,PLS-00201: 識別子'T'を宣言してください。|"
         "10,5,PL/SQL: Statement ignored|10,5,PLS-00201: 識別子'S'を宣言してください。|"
         "14,30,PL/SQL: Statement ignored|14,30,PLS-00201: 識別子'W'を宣言してください。"},
        // Declarations: each bad type is an item ignored; a use of the item
        // is an expression of a malformed type.
        {"DECL",
         "CREATE OR REPLACE PROCEDURE decl AS\n  x emp.nocol%TYPE;\n  z notype;\n  n NUMBER;\n"
         "BEGIN\n  n := 1;\n  x := n;\nEND;",
         "2,5,PL/SQL: Item ignored|2,5,PLS-00302: コンポーネント'NOCOL'を宣言してください。|"
         "3,5,PL/SQL: Item ignored|3,5,PLS-00201: 識別子'NOTYPE'を宣言してください。|"
         "7,3,PL/SQL: Statement ignored|7,3,PLS-00320: "
         "この式の型宣言が不完全か、または形式が正しくありません。"},
        // A heading whose types do not resolve ends the compile there.
        {"HEAD1", "CREATE OR REPLACE PROCEDURE head1 (a notype, b NUMBER) AS\nBEGIN\n  c := 1;\nEND;",
         "0,0,PL/SQL: Compilation unit analysis terminated|1,20,PLS-00201: "
         "識別子'NOTYPE'を宣言してください。"},
        {"HEAD2", "CREATE OR REPLACE FUNCTION head2 RETURN emp.nocol%TYPE AS\nBEGIN\n  RETURN c;\nEND;",
         "0,0,PL/SQL: Compilation unit analysis terminated|1,23,PLS-00302: "
         "コンポーネント'NOCOL'を宣言してください。"},
        // A syntax error anywhere is the only error reported.
        {"SYN1",
         "CREATE OR REPLACE PROCEDURE syn1 AS\n  n NUMBER;\nBEGIN\n  UPDATE emp SET nocol = 1;\n"
         "  n := 1\nEND;",
         "6,1,PLS-00103: 記号\"END\"が見つかりました。"},
        {"SYN2",
         "CREATE OR REPLACE PROCEDURE syn2 AS\nBEGIN\n  IF y > 0 THEN\n    x := y\n  ELSE\n"
         "    NULL;\n  END IF;\nEND;",
         "5,3,PLS-00103: 記号\"ELSE\"が見つかりました。"},
        {"SYN3", "CREATE OR REPLACE PROCEDURE syn3 AS\nBEGIN\n  x := 1;\n  IF THEN NULL; END IF;\nEND;",
         "4,6,PLS-00103: 記号\"THEN\"が見つかりました。"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(OutputOf(c.text), "ERROR 警告: コンパイル・エラーがあります。") << c.name;
        EXPECT_EQ(Errors(c.name), c.errors) << c.name;
        EXPECT_EQ(Rows("SELECT status FROM user_objects WHERE object_name = '" + std::string(c.name) + "'"),
                  "INVALID")
            << c.name;
    }
    // Once put right, the unit is VALID and its errors are gone.
    Exec("CREATE OR REPLACE PROCEDURE bad3 AS\n  x NUMBER;\nBEGIN\n  x := 1;\nEND;");
    EXPECT_EQ(Errors("BAD3"), "");
}

TEST_F(PlsqlCompileErrorsTest, AnAnonymousBlockAnswersEachErrorInTheOrderOfItsText) {
    const BlockCase cases[] = {
        {"BEGIN\n  x := 1;\n  y := 2;\nEND;",
         "ERROR ORA-06550: 行2、列3:|PLS-00201: 識別子'X'を宣言してください。|ORA-06550: 行2、列3:|"
         "PL/SQL: Statement ignored|ORA-06550: 行3、列3:|PLS-00201: 識別子'Y'を宣言してください。|"
         "ORA-06550: 行3、列3:|PL/SQL: Statement ignored"},
        {"DECLARE n NUMBER;\nBEGIN\n  UPDATE emp SET nocol = 1;\n  n := m;\nEND;",
         "ERROR ORA-06550: 行3、列18:|PL/SQL: ORA-00904: 列 NOCOL は存在しません。|ORA-06550: 行3、列3:|"
         "PL/SQL: SQL Statement ignored|ORA-06550: 行4、列8:|PLS-00201: 識別子'M'を宣言してください。|"
         "ORA-06550: 行4、列3:|PL/SQL: Statement ignored"},
        {"BEGIN\n  x := 1\nEND;", "ERROR ORA-06550: 行3、列1:|PLS-00103: 記号\"END\"が見つかりました。"},
        // A bracket left open where the statement ends.
        {"BEGIN\n  x := (1;\nEND;", "ERROR ORA-06550: 行2、列10:|PLS-00103: 記号\";\"が見つかりました。"},
    };
    for (const auto& c : cases) EXPECT_EQ(OutputOf(c.block), c.answer) << c.block;
    // Nothing of a block that does not compile runs.
    EXPECT_EQ(OutputOf("BEGIN\n  INSERT INTO emp VALUES ('A', 1);\n  x := 1;\nEND;").substr(0, 15),
              "ERROR ORA-06550");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM emp"), "0");
}

TEST_F(PlsqlCompileErrorsTest, EachBadGotoDeclarationAndNestedStatementIsListed) {
    Exec("CREATE OR REPLACE PACKAGE pkb IS PROCEDURE p; END;");
    const UnitCase cases[] = {
        // Every GOTO that reaches no label: none of that name, or one inside
        // an IF, a LOOP or a block it may not enter.
        {"GOTOS",
         "CREATE OR REPLACE PROCEDURE gotos IS\nBEGIN\n  GOTO a;\n  IF 1 = 1 THEN\n    GOTO inner;\n  END "
         "IF;\n"
         "  GOTO b;\n  BEGIN\n    <<inner>> NULL;\n  END;\nEND;",
         "3,3,PL/SQL: Statement ignored|3,8,PLS-00201: 識別子'A'を宣言してください。|"
         "5,5,PL/SQL: Statement ignored|5,10,PLS-00375: "
         "GOTO文が不正です。このGOTOはラベル'INNER'に分岐できません。|"
         "7,3,PL/SQL: Statement ignored|7,8,PLS-00201: 識別子'B'を宣言してください。"},
        // A package's heading: each bad item, its cursor's query too.
        {"PKS",
         "CREATE OR REPLACE PACKAGE pks IS\n  x nosuch;\n  y nosuch2;\n  z NUMBER;\n"
         "  CURSOR c IS SELECT nocol FROM emp;\nEND;",
         "2,5,PL/SQL: Item ignored|2,5,PLS-00201: 識別子'NOSUCH'を宣言してください。|"
         "3,5,PL/SQL: Item ignored|3,5,PLS-00201: 識別子'NOSUCH2'を宣言してください。|"
         "5,15,PL/SQL: SQL Statement ignored|5,22,PL/SQL: ORA-00904: 列 NOCOL は存在しません。"},
        // A package's body: its items, then one error per statement that
        // uses an item ignored, however often it names it.
        {"PKB",
         "CREATE OR REPLACE PACKAGE BODY pkb IS\n  a nosuch;\n  b nosuch2;\n"
         "  PROCEDURE p IS BEGIN a := a + b; END;\nEND;",
         "2,5,PL/SQL: Item ignored|2,5,PLS-00201: 識別子'NOSUCH'を宣言してください。|"
         "3,5,PL/SQL: Item ignored|3,5,PLS-00201: 識別子'NOSUCH2'を宣言してください。|"
         "4,24,PL/SQL: Statement ignored|4,24,PLS-00320: "
         "この式の型宣言が不完全か、または形式が正しくありません。"},
        // A loop whose bounds or query fail: its body is compiled still; the
        // record of a query that failed is an index of no use.
        {"LOOPS",
         "CREATE OR REPLACE PROCEDURE loops IS\nBEGIN\n  FOR i IN 1 .. n LOOP\n    e := i;\n  END LOOP;\n"
         "  FOR r IN (SELECT nocol FROM emp) LOOP\n    dbms_output.put_line(r.nocol);\n    f := 1;\n"
         "  END LOOP;\nEND;",
         "3,3,PL/SQL: Statement ignored|3,17,PLS-00201: 識別子'N'を宣言してください。|"
         "4,5,PL/SQL: Statement ignored|4,5,PLS-00201: 識別子'E'を宣言してください。|"
         "6,13,PL/SQL: SQL Statement ignored|6,20,PL/SQL: ORA-00904: 列 NOCOL は存在しません。|"
         "7,5,PL/SQL: Statement ignored|7,26,PLS-00364: ループ索引変数'R'の使用方法が無効です。|"
         "8,5,PL/SQL: Statement ignored|8,5,PLS-00201: 識別子'F'を宣言してください。"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(OutputOf(c.text), "ERROR 警告: コンパイル・エラーがあります。") << c.name;
        EXPECT_EQ(Errors(c.name), c.errors) << c.name;
    }
    // The body of a heading with errors has one error of its own: the
    // heading's errors stay the heading's.
    EXPECT_EQ(OutputOf("CREATE OR REPLACE PACKAGE BODY pks IS\n  PROCEDURE q IS BEGIN NULL; END;\nEND;"),
              "ERROR 警告: コンパイル・エラーがあります。");
    EXPECT_EQ(
        Rows("SELECT type, line, position, text FROM user_errors WHERE name = 'PKS' ORDER BY type, sequence"),
        "PACKAGE,2,5,PL/SQL: Item ignored|PACKAGE,2,5,PLS-00201: 識別子'NOSUCH'を宣言してください。|"
        "PACKAGE,3,5,PL/SQL: Item ignored|PACKAGE,3,5,PLS-00201: 識別子'NOSUCH2'を宣言してください。|"
        "PACKAGE,5,15,PL/SQL: SQL Statement ignored|"
        "PACKAGE,5,22,PL/SQL: ORA-00904: 列 NOCOL は存在しません。|"
        "PACKAGE BODY,1,1,PLS-00905: オブジェクトPKSは無効です。");
}

// A call of a function no scope and no SQL knows is an unresolved name of
// PL/SQL (PLS-00201 at the name), not an SQL error: a declaration's default
// makes the item ignored, a statement's expression the statement.
TEST_F(PlsqlCompileErrorsTest, AnUnknownFunctionInAnExpressionIsAnUndeclaredName) {
    const UnitCase cases[] = {
        {"PD",
         "CREATE OR REPLACE PROCEDURE pd IS\n  v NUMBER := nofunc(1);\n  w t_rec := t_rec(1);\n"
         "  x NUMBER := 1 + nofunc2(2);\n  y NUMBER;\nBEGIN\n  y := nofunc3(3);\nEND;",
         "2,5,PL/SQL: Item ignored|2,15,PLS-00201: 識別子'NOFUNC'を宣言してください。|"
         "3,5,PL/SQL: Item ignored|3,5,PLS-00201: 識別子'T_REC'を宣言してください。|"
         "4,5,PL/SQL: Item ignored|4,19,PLS-00201: 識別子'NOFUNC2'を宣言してください。|"
         "7,3,PL/SQL: Statement ignored|7,8,PLS-00201: 識別子'NOFUNC3'を宣言してください。"},
        // A known function called wrongly stays SQL's error.
        {"PU", "CREATE OR REPLACE PROCEDURE pu IS\n  v VARCHAR2(9) := UPPER(1, 2);\nBEGIN\n  NULL;\nEND;",
         "2,20,PL/SQL: SQL Statement ignored|2,20,PL/SQL: ORA-00909: 関数 UPPER() "
         "の引数の個数が正しくありません。"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(OutputOf(c.text), "ERROR 警告: コンパイル・エラーがあります。") << c.name;
        EXPECT_EQ(Errors(c.name), c.errors) << c.name;
    }
    const std::string answer = Failure("DECLARE\n  v NUMBER := nofunc(1);\nBEGIN\n  NULL;\nEND;");
    EXPECT_NE(
        answer.find(
            "PLS-00201: 識別子'NOFUNC'を宣言してください。\nORA-06550: 行2、列5:\nPL/SQL: Item ignored"),
        std::string::npos)
        << answer;
    EXPECT_EQ(answer.find("ORA-00904"), std::string::npos) << answer;
}

// A heading whose parameter or result type does not resolve ends the
// compile of its unit: a stored subprogram, a package specification's
// member or a package body's subprogram lists PLS-00201 at the type and the
// "Compilation unit analysis terminated" row at 0/0.
TEST_F(PlsqlCompileErrorsTest, AnUnresolvedHeadingTypeTerminatesTheUnit) {
    Exec("CREATE OR REPLACE PACKAGE pkb IS\n  PROCEDURE p(a NUMBER);\nEND;");
    constexpr const char* kTerminated = "0,0,PL/SQL: Compilation unit analysis terminated|";
    const UnitCase cases[] = {
        {"PKH", "CREATE OR REPLACE PACKAGE pkh IS\n  PROCEDURE p(a no_such_type);\nEND;",
         "2,17,PLS-00201: 識別子'NO_SUCH_TYPE'を宣言してください。"},
        {"PKF", "CREATE OR REPLACE PACKAGE pkf IS\n  x NUMBER;\n  FUNCTION f RETURN no_such_type;\nEND;",
         "3,21,PLS-00201: 識別子'NO_SUCH_TYPE'を宣言してください。"},
        {"PKB",
         "CREATE OR REPLACE PACKAGE BODY pkb IS\n  PROCEDURE p(a NUMBER) IS BEGIN NULL; END;\n"
         "  PROCEDURE q(b no_such_type) IS BEGIN NULL; END;\nEND;",
         "3,17,PLS-00201: 識別子'NO_SUCH_TYPE'を宣言してください。"},
        {"SP", "CREATE OR REPLACE PROCEDURE sp(a no_such_type) IS BEGIN NULL; END;",
         "1,16,PLS-00201: 識別子'NO_SUCH_TYPE'を宣言してください。"},
        {"SF", "CREATE OR REPLACE FUNCTION sf RETURN no_such_type IS BEGIN RETURN NULL; END;",
         "1,20,PLS-00201: 識別子'NO_SUCH_TYPE'を宣言してください。"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(OutputOf(c.text), "ERROR 警告: コンパイル・エラーがあります。") << c.name;
        EXPECT_EQ(Errors(c.name), std::string(kTerminated) + c.errors) << c.name;
    }
}
