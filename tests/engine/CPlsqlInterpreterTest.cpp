// PL/SQL blocks on the embedded engine: each case is a block and what the
// server answers for it (the lines DBMS_OUTPUT prints, or the error text),
// as the PL/SQL Language Reference describes the language.
#include <gtest/gtest.h>

#include "tests/engine/EngineFixture.h"

namespace {

class PlsqlTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        Exec("BEGIN DBMS_OUTPUT.ENABLE; END;");
    }
    // The printed lines joined by '|', or "ERROR " and the message (its
    // lines joined by '|').
    std::string Block(const std::string& text) {
        long rows = 0;
        bool ok = m_connection->Execute(encoding::Utf8ToCp932(text), m_binds, rows);
        std::string out;
        for (const std::string& line : m_connection->TakeServerOutput())
            out += (out.empty() ? "" : "|") + encoding::Cp932ToUtf8(line);
        if (ok) return out;
        std::string message = Error();
        for (char& c : message)
            if (c == '\n') c = '|';
        return "ERROR " + message;
    }
};

struct Case {
    const char* block;
    const char* answer;
};

}  // namespace

TEST_F(PlsqlTest, DeclarationsAndControl) {
    const Case cases[] = {
        {"DECLARE n NUMBER := 0; BEGIN FOR i IN 1..5 LOOP n := n + i; END LOOP; dbms_output.put_line(n); "
         "END;",
         "15"},
        {"BEGIN FOR i IN REVERSE 1..3 LOOP dbms_output.put(i); END LOOP; dbms_output.new_line; END;", "321"},
        {"BEGIN FOR i IN 3..1 LOOP dbms_output.put_line(i); END LOOP; dbms_output.put_line('none'); END;",
         "none"},
        {"DECLARE c CONSTANT VARCHAR2(5) := 'ab'; v c%TYPE; BEGIN v := c || 'c'; dbms_output.put_line(v); "
         "END;",
         "abc"},
        {"DECLARE x NUMBER; BEGIN IF x IS NULL THEN dbms_output.put_line('null'); ELSIF x > 1 THEN NULL; "
         "ELSE "
         "dbms_output.put_line('else'); END IF; END;",
         "null"},
        {"DECLARE x NUMBER := 5; BEGIN IF x > 10 THEN dbms_output.put_line('big'); ELSIF x > 3 THEN "
         "dbms_output.put_line('mid'); ELSE dbms_output.put_line('small'); END IF; END;",
         "mid"},
        {"DECLARE g CHAR(1) := 'B'; BEGIN CASE g WHEN 'A' THEN dbms_output.put_line('one'); WHEN 'B' THEN "
         "dbms_output.put_line('two'); END CASE; END;",
         "two"},
        {"DECLARE n NUMBER := 7; BEGIN dbms_output.put_line(CASE WHEN n < 5 THEN 'lo' WHEN n < 10 THEN 'mid' "
         "END); "
         "dbms_output.put_line(CASE n WHEN 1 THEN 'a' ELSE 'z' END); END;",
         "mid|z"},
        {"DECLARE i PLS_INTEGER := 0; BEGIN LOOP i := i + 1; CONTINUE WHEN MOD(i, 2) = 0; EXIT WHEN i > 5; "
         "dbms_output.put(i); END LOOP; dbms_output.new_line; END;",
         "135"},
        {"DECLARE i NUMBER := 0; BEGIN WHILE i < 3 LOOP i := i + 1; END LOOP; dbms_output.put_line(i); END;",
         "3"},
        {"BEGIN <<outer>> FOR i IN 1..3 LOOP FOR j IN 1..3 LOOP EXIT outer WHEN j = 2; dbms_output.put(i || "
         "j || "
         "' '); END LOOP; END LOOP outer; dbms_output.new_line; END;",
         "11 "},
        {"DECLARE x NUMBER := 1; BEGIN DECLARE x NUMBER := 2; BEGIN dbms_output.put_line(x); END; "
         "dbms_output.put_line(x); END;",
         "2|1"},
        {"DECLARE b BOOLEAN := TRUE; BEGIN IF b AND NOT (1 = 2) THEN dbms_output.put_line('yes'); END IF; "
         "END;",
         "yes"},
        {"DECLARE x NUMBER; BEGIN IF x = 1 OR TRUE THEN dbms_output.put_line('t'); END IF; IF NOT (x = 1) "
         "THEN "
         "NULL; ELSE dbms_output.put_line('unknown'); END IF; END;",
         "t|unknown"},
        {"DECLARE n NUMBER := 10; BEGIN dbms_output.put_line(n / 4 || ' ' || 1/3 * 3 || ' ' || 2 ** 10); "
         "END;",
         "2.5 .9999999999999999999999999999999999999999 1024"},
        {"DECLARE a NUMBER := 0.1; BEGIN dbms_output.put_line(a + 0.2); END;", ".3"},
        {"DECLARE n NUMBER(5,2) := 3.14159; BEGIN dbms_output.put_line(n); END;", "3.14"},
        {"DECLARE s VARCHAR2(10) := UPPER('abc'); BEGIN dbms_output.put_line(s || LENGTH(s) || NVL(NULL, "
         "'x')); END;",
         "ABC3x"},
        {"DECLARE n NUMBER := 3; BEGIN IF n BETWEEN 1 AND 5 AND n IN (2, 3) AND n NOT IN (4) THEN "
         "dbms_output.put_line('in'); END IF; END;",
         "in"},
        {"DECLARE s VARCHAR2(10) := 'hello'; BEGIN IF s LIKE 'he%' THEN dbms_output.put_line('like'); END "
         "IF; END;",
         "like"},
        {"BEGIN NULL; END;", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(Block(c.block), c.answer) << c.block;
}
