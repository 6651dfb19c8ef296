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
