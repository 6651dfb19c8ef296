// The console's bind variables on the embedded engine as the server binds
// them: a character variable takes no more bytes than it was declared with,
// whichever statement writes it, and a failed write changes neither the
// variable nor the data; a BINARY_FLOAT or BINARY_DOUBLE variable is a
// value of that type in SQL; a call's named arguments are checked as the
// PL/SQL compiler checks them.
#include <gtest/gtest.h>

#include <string>

#include "engine/EngineTypes.h"
#include "tests/engine/EngineFixture.h"

namespace {

const char* const kTooSmall = "ORA-06502: PL/SQL: 数値または値のエラーです: 文字列バッファが小さすぎます。";

class BindVariableTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        Exec("CREATE TABLE t (id NUMBER PRIMARY KEY, c VARCHAR2(10))");
        Exec("INSERT INTO t VALUES (1, 'abcde')");
        Exec("INSERT INTO t VALUES (2, 'ab')");
        Exec("INSERT INTO t VALUES (3, 'あい')");
        Exec("INSERT INTO t VALUES (4, 'あ')");
        Exec("INSERT INTO t VALUES (5, NULL)");
        Exec("COMMIT");
        // VARIABLE v VARCHAR2(3): three blanks to start with.
        m_binds = {CEngineBind{"V", "old", false, servertype::kVarchar2, false, 3}};
    }
    // The variable after `sql`: its value ("-" for NULL), or the failure.
    std::string Into(const std::string& sql) {
        m_binds[0] = CEngineBind{"V", "old", false, servertype::kVarchar2, false, 3};
        std::string outcome = OutputOf(sql);
        if (outcome.starts_with("ERROR ")) {
            EXPECT_FALSE(m_binds[0].assigned) << sql;
            EXPECT_EQ(m_binds[0].value, "old") << sql;
            return outcome.substr(6);
        }
        return m_binds[0].isNull ? std::string("-") : encoding::Cp932ToUtf8(m_binds[0].value);
    }
};

struct IntoCase {
    int id;
    const char* answer;  // nullptr: ORA-06502, too small
};

// Bytes are counted in the database's character set: a double-byte
// character takes two of the three.
constexpr IntoCase kIntoCases[] = {
    {1, nullptr}, {2, "ab"}, {3, nullptr}, {4, "あ"}, {5, "-"},
};

TEST_F(BindVariableTest, ReturningIntoTakesNoMoreThanTheDeclaredBytes) {
    for (const IntoCase& c : kIntoCases) {
        const std::string id = std::to_string(c.id);
        std::string answer = Into("UPDATE t SET id = id + 10 WHERE id = " + id + " RETURNING c INTO :v");
        if (c.answer == nullptr) {
            EXPECT_EQ(answer, kTooSmall) << id;
            // The statement is undone whole.
            EXPECT_EQ(Rows("SELECT COUNT(*) FROM t WHERE id = " + id), "1") << id;
        } else {
            EXPECT_EQ(answer, c.answer) << id;
            EXPECT_EQ(Rows("SELECT COUNT(*) FROM t WHERE id = " + id), "0") << id;
        }
    }
}

TEST_F(BindVariableTest, AFailedReturningUndoesOnlyItsOwnStatement) {
    Exec("INSERT INTO t VALUES (6, 'kept')");
    EXPECT_EQ(Into("INSERT INTO t VALUES (7, 'longer') RETURNING c INTO :v"), kTooSmall);
    EXPECT_EQ(Into("DELETE FROM t WHERE id = 1 RETURNING c INTO :v"), kTooSmall);
    // A number turned to text is as long as its digits.
    EXPECT_EQ(Into("UPDATE t SET id = 1234 WHERE id = 2 RETURNING id INTO :v"), kTooSmall);
    EXPECT_EQ(Into("UPDATE t SET id = 123 WHERE id = 2 RETURNING id INTO :v"), "123");
    EXPECT_EQ(Rows("SELECT id FROM t ORDER BY id"), "1|3|4|5|6|123");
    Exec("ROLLBACK");
    EXPECT_EQ(Rows("SELECT id FROM t ORDER BY id"), "1|2|3|4|5");
}

// RETURNING belongs to an INSERT with VALUES only; an INSERT from a query
// with RETURNING ends where RETURNING starts (ORA-00933) and inserts
// nothing.
TEST_F(BindVariableTest, InsertFromAQueryTakesNoReturning) {
    const char* const statements[] = {
        "INSERT INTO t SELECT 8, 'x' FROM dual RETURNING c INTO :v",
        "INSERT INTO t (id, c) SELECT id + 10, c FROM t WHERE id = 2 RETURNING c INTO :v",
        "INSERT INTO t (id, c) (SELECT id + 20, c FROM t WHERE id = 2) RETURNING c INTO :v",
        "DECLARE x VARCHAR2(9); BEGIN INSERT INTO t SELECT 8, 'x' FROM dual RETURNING c INTO x; END;",
    };
    for (const char* statement : statements) EXPECT_TRUE(Into(statement).starts_with("ORA-")) << statement;
    EXPECT_TRUE(Into(statements[0]).starts_with("ORA-00933")) << statements[0];
    EXPECT_NE(Into(statements[3]).find("ORA-00933"), std::string::npos) << statements[3];
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM t"), "5");
    // With VALUES, a subquery among the values is no query of rows.
    EXPECT_EQ(Into("INSERT INTO t (id, c) VALUES ((SELECT MAX(id) + 1 FROM t), 'q') RETURNING c INTO :v"),
              "q");
}

TEST_F(BindVariableTest, BlocksWriteTheVariableUnderTheSameLimit) {
    Exec(
        "CREATE PROCEDURE give (n NUMBER, o OUT VARCHAR2) IS BEGIN SELECT c INTO o FROM t WHERE id = n; "
        "END;");
    for (const IntoCase& c : kIntoCases) {
        const std::string id = std::to_string(c.id);
        const std::string tooSmall = std::string(kTooSmall) + "|ORA-06512: 行1";
        const std::string expected = c.answer == nullptr ? tooSmall : c.answer;
        EXPECT_EQ(Into("BEGIN SELECT c INTO :v FROM t WHERE id = " + id + "; END;"), expected) << id;
        EXPECT_EQ(Into("DECLARE CURSOR k IS SELECT c FROM t WHERE id = " + id +
                       "; BEGIN OPEN k; FETCH k INTO :v; CLOSE k; END;"),
                  expected)
            << id;
        EXPECT_EQ(Into("BEGIN give(" + id + ", :v); END;"), expected) << id;
    }
}

// VARIABLE b BINARY_DOUBLE / f BINARY_FLOAT / x NUMBER, as the console
// keeps their values after EXEC :b := 1/3, :f := 0.1, :x := 0.1.
class FloatBindTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        m_binds = {CEngineBind{"B", "3.3333333333333331E-001", false, servertype::kBinaryDouble},
                   CEngineBind{"F", "1.0E-001", false, servertype::kBinaryFloat},
                   CEngineBind{"X", ".1", false, servertype::kNumber},
                   CEngineBind{"N", "", true, servertype::kBinaryDouble}};
    }
};

TEST_F(FloatBindTest, AFloatingVariableComputesInItsType) {
    struct Case {
        const char* expression;
        const char* value;
    };
    const Case cases[] = {
        // IEEE arithmetic: a third times three is exactly one.
        {":b * 3", "1.0E+000"},
        {":b", "3.3333333333333331E-001"},
        {"-:b", "-3.3333333333333331E-001"},
        // The single 0.1 keeps its binary digits in double arithmetic.
        {":f + 0d", "1.0000000149011612E-001"},
        {":f + 0.2f", "3.0E-001"},
        {":f * 10", "1.0E+000"},
        {"NVL(:n, 2)", "2.0E+000"},
        {"CASE WHEN :b < 1 THEN 'below' END", "below"},
        // A NUMBER variable stays a decimal number.
        {":x + 0.2", ".3"},
        {":x * 3", ".3"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Rows(std::string("SELECT ") + c.expression + " FROM dual"), c.value) << c.expression;
}

TEST_F(FloatBindTest, TheQueryDescribesItsColumnsWithTheVariablesTypes) {
    EXPECT_EQ(TypesOf("SELECT :b * 3, :f, :f + 1, :f + 1d, :n, :x * 3 FROM dual"), "101,100,100,101,101,2");
    Exec("CREATE TABLE m (v BINARY_DOUBLE, w NUMBER)");
    Exec("INSERT INTO m VALUES (:b, :b * 3)");
    EXPECT_EQ(Rows("SELECT v * 3, w FROM m"), "1.0E+000,1");
}

// SQL inside a block reads a floating variable, the console's or the
// block's own, in its type: IEEE arithmetic wherever a BINARY_DOUBLE or
// BINARY_FLOAT takes part, as the server's numeric precedence has it.
TEST_F(FloatBindTest, SqlInABlockComputesAFloatingVariableInItsType) {
    m_binds.push_back(CEngineBind{"S", "", true, servertype::kVarchar2, false, 20});
    struct Case {
        const char* block;
        const char* shown;  // :S afterwards
    };
    const Case cases[] = {
        {"BEGIN SELECT CASE WHEN :b * 3 = 1 THEN 'one' ELSE 'other' END INTO :s FROM dual; END;", "one"},
        {"BEGIN SELECT CASE WHEN :f * 10 = 1 THEN 'one' ELSE 'other' END INTO :s FROM dual; END;", "one"},
        {"BEGIN SELECT TO_CHAR(:b * 3) INTO :s FROM dual; END;", "1.0E+000"},
        // A NUMBER variable stays a decimal number.
        {"BEGIN SELECT CASE WHEN :x + 0.2 = 0.3 THEN 'eq' ELSE 'ne' END INTO :s FROM dual; END;", "eq"},
        // The block's own variables and record fields.
        {"DECLARE v BINARY_DOUBLE := 0.1d; BEGIN "
         "SELECT CASE WHEN v + 0.2 = 0.3 THEN 'eq' ELSE 'ne' END INTO :s FROM dual; END;",
         "ne"},
        {"DECLARE TYPE r IS RECORD (v BINARY_DOUBLE); w r; BEGIN w.v := 0.1d; "
         "SELECT CASE WHEN w.v + 0.2 = 0.3 THEN 'eq' ELSE 'ne' END INTO :s FROM dual; END;",
         "ne"},
        {"DECLARE v NUMBER := 0.1; BEGIN "
         "SELECT CASE WHEN v + 0.2 = 0.3 THEN 'eq' ELSE 'ne' END INTO :s FROM dual; END;",
         "eq"},
    };
    for (const Case& c : cases) {
        Exec(c.block);
        EXPECT_EQ(m_binds.back().value, c.shown) << c.block;
    }
    // SELECT INTO the variable itself: the IEEE product, kept in its type.
    Exec("BEGIN SELECT :b * 3 INTO :b FROM dual; END;");
    EXPECT_EQ(m_binds[0].value, "1.0E+000");
    Exec("BEGIN SELECT :f + 0.2f INTO :f FROM dual; END;");
    EXPECT_EQ(m_binds[1].value, "3.0E-001");
}

class NamedArgumentTest : public OutputFixture {
protected:
    void SetUp() override {
        OutputFixture::SetUp();
        Exec("CREATE PROCEDURE p (a NUMBER, b NUMBER DEFAULT 0) IS BEGIN dbms_output.put_line(a + b); END;");
        Exec("CREATE PACKAGE pk IS PROCEDURE q (a NUMBER); PROCEDURE q (a VARCHAR2, b NUMBER); END;");
        Exec(
            "CREATE PACKAGE BODY pk IS PROCEDURE q (a NUMBER) IS BEGIN NULL; END; "
            "PROCEDURE q (a VARCHAR2, b NUMBER) IS BEGIN NULL; END; END;");
    }
    static std::string Ignored(int column) {
        return "|ORA-06550: 行1、列" + std::to_string(column) + ":|PL/SQL: Statement ignored";
    }
};

// A function called from SQL takes its arguments by position; named
// notation there is refused by name, in a query and in a block's SQL alike.
TEST_F(NamedArgumentTest, NamedNotationInSqlIsRefusedByName) {
    Exec(
        "CREATE FUNCTION greet (who VARCHAR2, word VARCHAR2 DEFAULT 'Hello') RETURN VARCHAR2 IS "
        "BEGIN RETURN word || ', ' || who; END;");
    EXPECT_EQ(Rows("SELECT greet('Ann'), greet('Bo', 'Hi') FROM dual"), "Hello, Ann,Hi, Bo");
    const std::string refused =
        "ORA-03001: 未実装の機能です: SQL文中の名前付き表記の引数 (=>) は組込みデータベースでは使えません。";
    EXPECT_EQ(Failure("SELECT greet(word => 'Hi', who => 'Bo') FROM dual"), refused);
    EXPECT_EQ(Failure("SELECT greet('Bo', word => 'Hi') FROM dual"), refused);
    EXPECT_EQ(OutputOf("DECLARE s VARCHAR2(20); BEGIN SELECT greet(who => 'Bo') INTO s FROM dual; END;"),
              "ERROR ORA-06550: 行1、列44:|PL/SQL: " + refused +
                  "|ORA-06550: 行1、列31:|PL/SQL: SQL Statement ignored");
}

TEST_F(NamedArgumentTest, AnArgumentListIsCheckedAsTheCompilerChecksIt) {
    const std::string twice = "PLS-00703: 名前付き引数のインスタンスがリストに複数あります。";
    const std::string positional =
        "PLS-00312: 位置指定パラメータの関連付けは、名前付きの関連付けの後には指定できません。";
    struct Case {
        const char* block;
        std::string answer;
    };
    const Case cases[] = {
        {"BEGIN p(b => 2, a => 1); END;", "3"},
        {"BEGIN p(1, b => 2); END;", "3"},
        {"BEGIN p(a => 1, a => 2); END;", "ERROR ORA-06550: 行1、列17:|" + twice + Ignored(7)},
        {"BEGIN p(a => 1, b => 2, b => 3); END;", "ERROR ORA-06550: 行1、列25:|" + twice + Ignored(7)},
        {"BEGIN p(c => 1); END;",
         "ERROR ORA-06550: 行1、列9:|PLS-00306: 'P'の呼出しで、引数の数または型が正しくありません。" +
             Ignored(7)},
        {"BEGIN p(a => 1, 2); END;", "ERROR ORA-06550: 行1、列17:|" + positional},
        // The same for every candidate of an overloaded name.
        {"BEGIN pk.q(a => 1, a => 2); END;", "ERROR ORA-06550: 行1、列20:|" + twice + Ignored(7)},
        {"BEGIN pk.q(a => 'x', 2); END;", "ERROR ORA-06550: 行1、列22:|" + positional},
        // And for a cursor's parameters.
        {"DECLARE CURSOR c (k NUMBER) IS SELECT k FROM dual; BEGIN OPEN c(k => 1, k => 2); END;",
         "ERROR ORA-06550: 行1、列73:|" + twice + Ignored(58)},
    };
    for (const Case& c : cases) EXPECT_EQ(OutputOf(c.block), c.answer) << c.block;
}

}  // namespace
