// Object types with methods (CREATE TYPE ... AS OBJECT with MEMBER,
// STATIC, CONSTRUCTOR, MAP and ORDER methods, CREATE TYPE BODY), each
// answer as the PL/SQL Language Reference and the Object-Relational
// Developer's Guide give it.
#include <gtest/gtest.h>

#include "tests/engine/EngineFixture.h"

namespace {

class PlsqlObjectTypeTest : public OutputFixture {
protected:
    void SetUp() override {
        OutputFixture::SetUp();
        Exec(
            "CREATE TYPE pt AS OBJECT (x NUMBER, y NUMBER,\n"
            "  CONSTRUCTOR FUNCTION pt(x NUMBER) RETURN SELF AS RESULT,\n"
            "  MEMBER FUNCTION dist RETURN NUMBER,\n"
            "  MEMBER FUNCTION plus(other pt) RETURN pt,\n"
            "  MEMBER PROCEDURE move(dx NUMBER, dy NUMBER DEFAULT 0),\n"
            "  STATIC FUNCTION origin RETURN pt,\n"
            "  MAP MEMBER FUNCTION m RETURN NUMBER)");
        Exec(
            "CREATE TYPE BODY pt AS\n"
            "  CONSTRUCTOR FUNCTION pt(x NUMBER) RETURN SELF AS RESULT IS\n"
            "  BEGIN SELF.x := x; y := x; RETURN; END;\n"
            "  MEMBER FUNCTION dist RETURN NUMBER IS BEGIN RETURN SQRT(x * x + y * y); END;\n"
            "  MEMBER FUNCTION plus(other pt) RETURN pt IS BEGIN RETURN pt(x + other.x, y + other.y); END;\n"
            "  MEMBER PROCEDURE move(dx NUMBER, dy NUMBER DEFAULT 0) IS\n"
            "  BEGIN x := x + dx; SELF.y := y + dy; END;\n"
            "  STATIC FUNCTION origin RETURN pt IS BEGIN RETURN pt(0, 0); END;\n"
            "  MAP MEMBER FUNCTION m RETURN NUMBER IS BEGIN RETURN dist; END;\n"
            "END;");
    }
};

using Case = BlockCase;

}  // namespace

TEST_F(PlsqlObjectTypeTest, MethodsReadAndWriteSelf) {
    const Case cases[] = {
        {"DECLARE p pt := pt(3, 4); BEGIN dbms_output.put_line(p.dist()); dbms_output.put_line(p.dist); END;",
         "5|5"},
        // The user constructor of one argument beside the attributes' own.
        {"DECLARE p pt := pt(2); BEGIN dbms_output.put_line(p.x || ',' || p.y); END;", "2,2"},
        {"DECLARE p pt := pt(1, 2); BEGIN p.move(2, 3); p.move(dx => 1); "
         "dbms_output.put_line(p.x || ',' || p.y); END;",
         "4,5"},
        {"DECLARE p pt := pt(1, 2); q pt; o pt := pt.origin; BEGIN q := p.plus(pt(10, 20)); "
         "dbms_output.put_line(q.x || ',' || q.y || ' ' || o.x); END;",
         "11,22 0"},
        {"DECLARE a pt := pt(3, 4); b pt := pt(6, 8); BEGIN IF a < b AND NOT a = b AND b >= a THEN "
         "dbms_output.put_line('ordered'); END IF; END;",
         "ordered"},
        {"declare p pt := PT(3, 4); begin DBMS_OUTPUT.PUT_LINE(p.DIST); end;", "5"},
        // Elements of a collection of objects: their methods, their order.
        {"DECLARE TYPE pl IS TABLE OF pt; l pl := pl(pt(3, 4), pt(0, 1)); BEGIN FOR i IN 1 .. l.COUNT LOOP "
         "dbms_output.put_line(l(i).dist() || ' ' || l(i).x); END LOOP; "
         "IF l(1) > l(2) THEN dbms_output.put_line('gt'); END IF; END;",
         "5 3|1 0|gt"},
        // A method called on a NULL object raises SELF_IS_NULL.
        {"DECLARE p pt; BEGIN dbms_output.put_line(p.dist); EXCEPTION WHEN SELF_IS_NULL THEN "
         "dbms_output.put_line('self is null'); END;",
         "self is null"},
        // ... while a comparison with one is NULL.
        {"DECLARE a pt; b pt := pt(1, 1); BEGIN IF a < b OR a >= b THEN NULL; ELSE "
         "dbms_output.put_line('unknown'); END IF; END;",
         "unknown"},
    };
    for (const Case& c : cases) EXPECT_EQ(OutputOf(c.block), c.answer) << c.block;
}

TEST_F(PlsqlObjectTypeTest, TheDictionaryKeepsTheTypeAndItsBody) {
    EXPECT_EQ(Rows("SELECT object_type || ':' || status FROM user_objects WHERE object_name = 'PT' "
                   "ORDER BY 1"),
              "TYPE BODY:VALID|TYPE:VALID");
    EXPECT_EQ(Rows("SELECT attributes || ':' || methods FROM user_types WHERE type_name = 'PT'"), "2:6");
    EXPECT_EQ(Rows("SELECT method_name || ':' || method_type || ':' || parameters || ':' || results "
                   "FROM user_type_methods WHERE type_name = 'PT' ORDER BY method_no"),
              "PT:PUBLIC:2:1|DIST:PUBLIC:1:1|PLUS:PUBLIC:2:1|MOVE:PUBLIC:3:0|ORIGIN:PUBLIC:0:1|M:MAP:1:1");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM user_source WHERE name = 'PT' AND type = 'TYPE BODY'"), "10");
    // A body with errors is kept INVALID, its errors listed; the methods
    // then answer PLS-00905 where they are called.
    EXPECT_EQ(OutputOf("CREATE OR REPLACE TYPE BODY pt AS\n"
                       "  CONSTRUCTOR FUNCTION pt(x NUMBER) RETURN SELF AS RESULT IS BEGIN RETURN; END;\n"
                       "  MEMBER FUNCTION dist RETURN NUMBER IS BEGIN RETURN z; END;\n"
                       "END;"),
              "ERROR 警告: コンパイル・エラーがあります。");
    EXPECT_EQ(Rows("SELECT object_type || ':' || status FROM user_objects WHERE object_name = 'PT' "
                   "ORDER BY 1"),
              "TYPE BODY:INVALID|TYPE:VALID");
    EXPECT_EQ(Rows("SELECT line || ':' || position || ':' || text FROM user_errors WHERE name = 'PT' "
                   "AND text NOT LIKE 'PLS-00323%' ORDER BY sequence"),
              "3:47:PL/SQL: Statement ignored|3:54:PLS-00201: 識別子'Z'を宣言してください。");
    // Each method the body leaves out is an error of its own.
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM user_errors WHERE name = 'PT' AND text LIKE 'PLS-00323%'"), "4");
    // (the variable's declaration is passed over, and its use with it).
    EXPECT_EQ(OutputOf("DECLARE p pt := pt(3, 4); BEGIN dbms_output.put_line(p.dist); END;"),
              "ERROR ORA-06550: 行1、列17:|PLS-00905: オブジェクトPTは無効です。|ORA-06550: 行1、列11:|"
              "PL/SQL: Item ignored|ORA-06550: 行1、列54:|PLS-00320: "
              "この式の型宣言が不完全か、または形式が正しくありません。|ORA-06550: 行1、列33:|"
              "PL/SQL: Statement ignored");
    Exec("DROP TYPE BODY pt");
    EXPECT_EQ(Rows("SELECT object_type FROM user_objects WHERE object_name = 'PT'"), "TYPE");
    // Without its body, a method answers ORA-04067 when it runs.
    EXPECT_EQ(OutputOf("DECLARE p pt := pt(3, 4); BEGIN dbms_output.put_line(p.dist); END;"),
              "ERROR ORA-04067: 実行されていません。型本体\"PT\"は存在しません。|ORA-06508: PL/SQL: "
              "コールされているプログラム・ユニットが見つかりませんでした。|ORA-06512: 行1");
    Exec("DROP TYPE pt");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM user_source WHERE name = 'PT'"), "0");
}

// Faults a method's heading or body may have, answered when it compiles.
TEST_F(PlsqlObjectTypeTest, CompileErrorsAndRefusals) {
    const Case cases[] = {
        // A MEMBER function's SELF is IN: its attributes cannot be written.
        {"CREATE TYPE c1 AS OBJECT (n NUMBER, MEMBER FUNCTION f RETURN NUMBER);", ""},
        {"CREATE TYPE BODY c1 AS MEMBER FUNCTION f RETURN NUMBER IS BEGIN n := 1; RETURN n; END; END;",
         "ERROR 警告: コンパイル・エラーがあります。"},
        {"CREATE TYPE c2 AS OBJECT (n NUMBER, MAP MEMBER FUNCTION a RETURN NUMBER, ORDER MEMBER FUNCTION "
         "b(o c2) RETURN NUMBER);",
         "ERROR 警告: コンパイル・エラーがあります。"},
        {"CREATE TYPE c3 AS OBJECT (n NUMBER, OVERRIDING MEMBER FUNCTION f RETURN NUMBER);",
         "ERROR ORA-03001: 未実装の機能です: OVERRIDING は組込みデータベースでは使えません。"},
        {"CREATE TYPE c4 AS OBJECT (n NUMBER, NOT INSTANTIABLE MEMBER FUNCTION f RETURN NUMBER);",
         "ERROR ORA-03001: 未実装の機能です: NOT INSTANTIABLE は組込みデータベースでは使えません。"},
        {"CREATE TYPE BODY nothing_t AS MEMBER FUNCTION f RETURN NUMBER IS BEGIN RETURN 1; END; END;",
         "ERROR 警告: コンパイル・エラーがあります。"},
    };
    for (const Case& c : cases) EXPECT_EQ(OutputOf(c.block), c.answer) << c.block;
    EXPECT_EQ(Rows("SELECT name || ':' || text FROM user_errors WHERE text LIKE 'PLS%' ORDER BY name"),
              "C1:PLS-00363: 式'N'は代入ターゲットとして使用できません。|"
              "C2:PLS-00154: オブジェクト型に指定できるMAPまたはORDERファンクションは1つのみです。|"
              "NOTHING_T:PLS-00201: 識別子'NOTHING_T'を宣言してください。");
    Exec("CREATE TYPE c5 AS OBJECT (n NUMBER)");
    const Case blocks[] = {
        {"DECLARE a c5 := c5(1); b c5 := c5(2); BEGIN IF a = b THEN NULL; END IF; END;",
         "ERROR ORA-06550: 行1、列50:|PLS-00526: "
         "PL/SQLでオブジェクトを比較するには、MAPまたはORDERファンクションが必要です。"},
        {"DECLARE a c5 := c5(1); BEGIN dbms_output.put_line(a.g); END;",
         "ERROR ORA-06550: 行1、列53:|PLS-00302: コンポーネント'G'を宣言してください。|ORA-06550: "
         "行1、列30:|PL/SQL: Statement ignored"},
        // A procedure method changes its object: not one given IN.
        {"CREATE OR REPLACE PROCEDURE bump_it(p IN pt) IS BEGIN p.move(1); END;",
         "ERROR 警告: コンパイル・エラーがあります。"},
        {"DECLARE a c5 := c5(1, 2); BEGIN NULL; END;",
         "ERROR ORA-06550: 行1、列17:|PLS-00306: 'C5'の呼出しで、引数の数または型が正しくありません。|"
         "ORA-06550: 行1、列11:|PL/SQL: Item ignored"},
    };
    for (const Case& c : blocks) EXPECT_EQ(OutputOf(c.block), c.answer) << c.block;
    EXPECT_EQ(Rows("SELECT text FROM user_errors WHERE name = 'BUMP_IT' AND text LIKE 'PLS%'"),
              "PLS-00363: 式'P'は代入ターゲットとして使用できません。");
}

// A type made anew has its body compiled against it: a body that no longer
// fits is INVALID until it is made again; ALTER TYPE ... COMPILE compiles it.
TEST_F(PlsqlObjectTypeTest, ReplacingTheTypeRecompilesItsBody) {
    Exec("CREATE OR REPLACE TYPE pt AS OBJECT (x NUMBER, MEMBER FUNCTION dist RETURN NUMBER)");
    EXPECT_EQ(Rows("SELECT object_type || ':' || status FROM user_objects WHERE object_name = 'PT' "
                   "ORDER BY 1"),
              "TYPE BODY:INVALID|TYPE:VALID");
    Exec(
        "CREATE OR REPLACE TYPE pt AS OBJECT (x NUMBER, y NUMBER,\n"
        "  CONSTRUCTOR FUNCTION pt(x NUMBER) RETURN SELF AS RESULT,\n"
        "  MEMBER FUNCTION dist RETURN NUMBER,\n"
        "  MEMBER FUNCTION plus(other pt) RETURN pt,\n"
        "  MEMBER PROCEDURE move(dx NUMBER, dy NUMBER DEFAULT 0),\n"
        "  STATIC FUNCTION origin RETURN pt,\n"
        "  MAP MEMBER FUNCTION m RETURN NUMBER)");
    Exec("ALTER TYPE pt COMPILE");
    EXPECT_EQ(Rows("SELECT object_type || ':' || status FROM user_objects WHERE object_name = 'PT' "
                   "ORDER BY 1"),
              "TYPE BODY:VALID|TYPE:VALID");
    EXPECT_EQ(OutputOf("DECLARE p pt := pt(6, 8); BEGIN dbms_output.put_line(p.dist); END;"), "10");
    // SQL makes an object by its constructor and shows it so; a method of a
    // constructor's value is a call of no name SQL knows.
    EXPECT_EQ(Rows("SELECT pt(3, 4) FROM dual"), "PT(3, 4)");
    EXPECT_EQ(Rows("SELECT pt(3, 4).dist() FROM dual").substr(0, 15), "ERROR ORA-03001");
}

// An ORDER method compares two objects by its sign; NEW calls a constructor.
TEST_F(PlsqlObjectTypeTest, OrderMethodsAndNew) {
    Exec(
        "create or replace type money as object (amount number, currency varchar2(3),\n"
        "  constructor function money(amount number) return self as result,\n"
        "  order member function cmp(other money) return integer) not final");
    Exec(
        "create or replace type body money as\n"
        "  constructor function money(amount number) return self as result is\n"
        "  begin self.amount := amount; currency := 'JPY'; return; end;\n"
        "  order member function cmp(other money) return integer is\n"
        "  begin return sign(amount - other.amount); end;\n"
        "end;");
    const Case cases[] = {
        {"DECLARE a money := money(100); b money := NEW money(200, 'USD'); BEGIN IF a < b AND b > a AND a <> "
         "b AND a = money(100, 'EUR') THEN dbms_output.put_line(a.currency || b.currency); END IF; END;",
         "JPYUSD"},
        {"DECLARE a money := money(100); b money; BEGIN IF a = b OR a <> b THEN NULL; ELSE "
         "dbms_output.put_line('null'); END IF; END;",
         "null"},
    };
    for (const Case& c : cases) EXPECT_EQ(OutputOf(c.block), c.answer) << c.block;
}
