// Object types with methods as teaching scripts write them: a rational
// number type with a MAP method, its body with STATIC and MEMBER methods,
// used in a block, in a table filled through its methods and from SQL, and
// its source and errors in the dictionary; each answer as the PL/SQL
// Language Reference gives it.
#include <gtest/gtest.h>

#include <string>

#include "e2e/ScriptRun.h"

namespace {

class ObjectMethods : public ScriptRun, public ::testing::WithParamInterface<Road> {
protected:
    ObjectMethods() { m_road = GetParam(); }
};

const char kRational[] =
    "CONNECT scott/tiger\n"
    "SET SERVEROUTPUT ON\n"
    "CREATE OR REPLACE TYPE rational AS OBJECT (\n"
    "  num INTEGER,\n"
    "  den INTEGER,\n"
    "  CONSTRUCTOR FUNCTION rational(n INTEGER) RETURN SELF AS RESULT,\n"
    "  STATIC FUNCTION gcd(x INTEGER, y INTEGER) RETURN INTEGER,\n"
    "  MEMBER PROCEDURE normalize,\n"
    "  MEMBER FUNCTION plus(other rational) RETURN rational,\n"
    "  MEMBER FUNCTION to_string RETURN VARCHAR2,\n"
    "  MAP MEMBER FUNCTION to_real RETURN NUMBER\n"
    ");\n"
    "/\n"
    "CREATE OR REPLACE TYPE BODY rational AS\n"
    "  CONSTRUCTOR FUNCTION rational(n INTEGER) RETURN SELF AS RESULT IS\n"
    "  BEGIN\n"
    "    num := n;\n"
    "    den := 1;\n"
    "    RETURN;\n"
    "  END;\n"
    "  STATIC FUNCTION gcd(x INTEGER, y INTEGER) RETURN INTEGER IS\n"
    "  BEGIN\n"
    "    IF y = 0 THEN RETURN x; END IF;\n"
    "    RETURN rational.gcd(y, MOD(x, y));\n"
    "  END;\n"
    "  MEMBER PROCEDURE normalize IS\n"
    "    g INTEGER := gcd(num, den);\n"
    "  BEGIN\n"
    "    num := num / g;\n"
    "    den := den / g;\n"
    "  END;\n"
    "  MEMBER FUNCTION plus(other rational) RETURN rational IS\n"
    "    r rational := rational(num * other.den + other.num * den, den * other.den);\n"
    "  BEGIN\n"
    "    r.normalize;\n"
    "    RETURN r;\n"
    "  END;\n"
    "  MEMBER FUNCTION to_string RETURN VARCHAR2 IS\n"
    "  BEGIN\n"
    "    RETURN num || '/' || den;\n"
    "  END;\n"
    "  MAP MEMBER FUNCTION to_real RETURN NUMBER IS\n"
    "  BEGIN\n"
    "    RETURN num / den;\n"
    "  END;\n"
    "END;\n"
    "/\n"
    "SHOW ERRORS\n";

TEST_P(ObjectMethods, ARationalTypeInABlockATableAndSql) {
    const RunResult r = ExpectRun(
        "ID         TEXT                 G          |"
        "---------- -------------------- ---------- |"
        "1          1/2                  2          |"
        "2          2/3                  4          |"
        "3          3/4                  2          |"
        "4          4/5                  4          ||"
        "4行が選択されました。||SQL> ",
        std::string(kRational) +
            "CREATE TABLE sums (id NUMBER, text VARCHAR2(20), val NUMBER);\nDECLARE\n"
            "  a rational := rational(1, 2);\n  b rational := rational(1, 3);\n  c rational;\n"
            "  w rational := rational(3);\nBEGIN\n  c := a.plus(b);\n"
            "  DBMS_OUTPUT.PUT_LINE(a.to_string || ' + ' || b.to_string || ' = ' || c.to_string());\n"
            "  IF a > b AND c > a AND NOT (a = b) THEN DBMS_OUTPUT.PUT_LINE('1/2 > 1/3'); END IF;\n"
            "  c := rational(6, 8);\n  c.normalize();\n"
            "  DBMS_OUTPUT.PUT_LINE('6/8 = ' || c.to_string || ', 3 = ' || w.to_string);\n"
            "  FOR i IN 1 .. 3 LOOP\n    c := rational(1, i).plus(rational(1, i + 1));\n  END LOOP;\nEND;\n"
            "/\nDECLARE\n  s rational := rational(0);\nBEGIN\n  FOR i IN 1 .. 4 LOOP\n"
            "    s := s.plus(rational(1, i * (i + 1)));\n"
            "    INSERT INTO sums VALUES (i, s.to_string, s.to_real);\n  END LOOP;\nEND;\n/\n"
            "SELECT id, text, rational.gcd(id * 6, 4) AS g FROM sums ORDER BY id;\n");
    EXPECT_NE(r.out.find(Console("SQL> SHOW ERRORS|エラーはありません。")), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(Console("PL/SQLプロシージャが正常に完了しました。|1/2 + 1/3 = 5/6|1/2 > 1/3|"
                                 "6/8 = 3/4, 3 = 3/1")),
              std::string::npos)
        << r.out;
}

TEST_P(ObjectMethods, ABodyWithErrorsIsInvalidAndShowErrorsListsThem) {
    const RunResult r = ExpectRun(
        "N          |---------- |0          ||1行が選択されました。||SQL> ",
        std::string(kRational) +
            "CREATE OR REPLACE TYPE BODY rational AS\n  MEMBER FUNCTION to_string RETURN VARCHAR2 IS\n"
            "  BEGIN\n    RETURN numerator || '/' || den;\n  END;\nEND;\n/\nSHOW ERRORS TYPE BODY rational\n"
            "SELECT object_type || ' ' || status AS s FROM user_objects WHERE object_name = 'RATIONAL' ORDER "
            "BY 1;\n"
            "DROP TYPE rational;\nSELECT COUNT(*) AS n FROM user_objects WHERE object_name = 'RATIONAL';\n");
    EXPECT_NE(r.out.find("警告: コンパイル・エラーがあります。"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(Console("4/12     PLS-00201: 識別子'NUMERATOR'を宣言してください。")),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("\nTYPE BODY INVALID "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\nTYPE VALID "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("型が削除されました。"), std::string::npos) << r.out;
}

INSTANTIATE_TEST_SUITE_P(Roads, ObjectMethods, ::testing::Values(Road::Embedded, Road::Server),
                         [](const ::testing::TestParamInfo<Road>& info) {
                             return info.param == Road::Embedded ? "Embedded" : "Server";
                         });

}  // namespace
