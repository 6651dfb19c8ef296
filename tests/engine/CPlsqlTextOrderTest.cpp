// Texts in PL/SQL order as the database character set (AL32UTF8) sorts
// them in binary, by code point, as SQL orders them: 佐藤 (U+4F50) before
// 鈴木 (U+9234) before 高橋 (U+9AD8) before ＡＢ (U+FF21), though their
// CP932 bytes order them 高橋 (0x8D82), 佐藤 (0x8DB2), 鈴木 (0x97E9) and
// put ＡＢ (0x8260) first.
#include <gtest/gtest.h>

#include "tests/engine/EngineFixture.h"

namespace {

class PlsqlTextOrderTest : public OutputFixture {};

using Case = BlockCase;

}  // namespace

TEST_F(PlsqlTextOrderTest, OperatorsCompareByCodePoint) {
    const Case cases[] = {
        {"BEGIN IF '高橋' > '佐藤' THEN dbms_output.put_line('gt'); ELSE dbms_output.put_line('le'); END IF; "
         "END;",
         "gt"},
        {"BEGIN IF 'ＡＢ' >= '鈴木' AND 'abc' < '佐藤' AND '鈴木' <= '高橋' THEN dbms_output.put_line('y'); "
         "END IF; END;",
         "y"},
        {"DECLARE a VARCHAR2(10) := '高橋'; BEGIN IF a BETWEEN '佐藤' AND 'ＡＢ' THEN "
         "dbms_output.put_line('in'); END IF; IF a NOT BETWEEN 'ＡＢ' AND 'ｱ' THEN "
         "dbms_output.put_line('out'); END IF; END;",
         "in|out"},
        // A searched CASE and a simple CASE (whose selector compares by =).
        {"DECLARE s VARCHAR2(10) := '鈴木'; BEGIN dbms_output.put_line(CASE WHEN s < '高橋' THEN 'lt' ELSE "
         "'ge' END); dbms_output.put_line(CASE s WHEN '佐藤' THEN 'a' WHEN '鈴木' THEN 'b' END); END;",
         "lt|b"},
        {"BEGIN IF '鈴木' IN ('佐藤', '鈴木') AND '高橋' NOT IN ('佐藤', 'ＡＢ') THEN "
         "dbms_output.put_line('y'); "
         "END IF; END;",
         "y"},
        {"BEGIN dbms_output.put_line(GREATEST('高橋', '佐藤', '鈴木') || ' ' || LEAST('ＡＢ', '高橋', "
         "'鈴木')); "
         "END;",
         "高橋 鈴木"},
        // Half-width katakana (U+FF71) sort after full-width Latin.
        {"BEGIN IF 'ｱ' > 'ＡＢ' THEN dbms_output.put_line('kana last'); END IF; END;", "kana last"},
    };
    for (const Case& c : cases) EXPECT_EQ(OutputOf(c.block), c.answer) << c.block;
}

TEST_F(PlsqlTextOrderTest, AssociativeArrayKeysInCodePointOrder) {
    const std::string fill =
        "DECLARE TYPE m IS TABLE OF NUMBER INDEX BY VARCHAR2(20); x m; k VARCHAR2(20); BEGIN "
        "x('高橋') := 1; x('佐藤') := 2; x('鈴木') := 3; x('abc') := 4; x('ＡＢ') := 5; ";
    const Case cases[] = {
        {"k := x.FIRST; WHILE k IS NOT NULL LOOP dbms_output.put_line(k); k := x.NEXT(k); END LOOP; END;",
         "abc|佐藤|鈴木|高橋|ＡＢ"},
        {"k := x.LAST; WHILE k IS NOT NULL LOOP dbms_output.put_line(k); k := x.PRIOR(k); END LOOP; END;",
         "ＡＢ|高橋|鈴木|佐藤|abc"},
        // NEXT and PRIOR of a key the array does not hold.
        {"dbms_output.put_line(x.NEXT('佐') || ',' || x.PRIOR('高') || ',' || x.NEXT('ｱ')); END;",
         "佐藤,鈴木,"},
        // The same key assigned again replaces its element.
        {"x('高橋') := 9; dbms_output.put_line(x.COUNT || ' ' || x('高橋')); END;", "5 9"},
    };
    for (const Case& c : cases) EXPECT_EQ(OutputOf(fill + c.block), c.answer) << c.block;
}

TEST_F(PlsqlTextOrderTest, SqlAndPlsqlAgree) {
    Exec("CREATE TABLE names (n VARCHAR2(20))");
    Exec("INSERT INTO names VALUES ('高橋')");
    Exec("INSERT INTO names VALUES ('ＡＢ')");
    Exec("INSERT INTO names VALUES ('佐藤')");
    Exec("INSERT INTO names VALUES ('abc')");
    Exec("INSERT INTO names VALUES ('鈴木')");
    EXPECT_EQ(Rows("SELECT n FROM names ORDER BY n"), "abc|佐藤|鈴木|高橋|ＡＢ");
    EXPECT_EQ(Rows("SELECT CASE WHEN '高橋' > '佐藤' THEN 'gt' ELSE 'le' END FROM dual"), "gt");
    // The order a query gives is the order PL/SQL keeps: each row after the last.
    EXPECT_EQ(OutputOf("DECLARE prev VARCHAR2(20); BEGIN FOR r IN (SELECT n FROM names ORDER BY n) LOOP "
                       "IF prev IS NOT NULL AND NOT r.n > prev THEN dbms_output.put_line('out of order ' || "
                       "r.n); END IF; prev := r.n; END LOOP; dbms_output.put_line('done'); END;"),
              "done");
}
