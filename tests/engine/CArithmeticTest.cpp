#include <gtest/gtest.h>

#include "engine/sqlite/COracleDialect.h"

TEST(CArithmeticTest, ChainsBecomeNestedCallsInServerPrecedence) {
    struct Case {
        const char* oracle;
        const char* engine;
    } cases[] = {
        {"SELECT A || 'X' FROM T", "SELECT ORA_CONCAT(A , 'X') FROM T"},
        {"SELECT T.A||B.C||-1 FROM T", "SELECT ORA_CONCAT(ORA_CONCAT(T.A,B.C),-1) FROM T"},
        {"SELECT X = A + 1 || B * 2 FROM T", "SELECT X = ORA_CONCAT(ORA_ADD(A , 1) , B * 2) FROM T"},
        {"SELECT UPPER(A) || (B + 1) FROM T", "SELECT ORA_CONCAT(UPPER(A) , (ORA_ADD(B , 1))) FROM T"},
        {"SELECT 'a||b', 1.5 || :X FROM T", "SELECT 'a||b', ORA_CONCAT(1.5 , :X) FROM T"},
        {"SELECT -A + B - C FROM T", "SELECT ORA_SUB(ORA_ADD(-A , B) , C) FROM T"},
        {"SELECT 1.5E-3 - .5 FROM T", "SELECT ORA_SUB(1.5E-3 , .5) FROM T"},
        {"SELECT (A + B) - C, A + (B - C) FROM T",
         "SELECT ORA_SUB((ORA_ADD(A , B)) , C), ORA_ADD(A , (ORA_SUB(B , C))) FROM T"},
        {"SELECT COUNT(*) - 1, A * -B + C, A - -B FROM T",
         "SELECT ORA_SUB(COUNT(*) , 1), ORA_ADD(A * -B , C), ORA_SUB(A , -B) FROM T"},
        {"SELECT A FROM T WHERE D > SYSDATE - 7", "SELECT A FROM T WHERE D > ORA_SUB(SYSDATE() , 7)"},
        {"CREATE TABLE T (A NUMBER DEFAULT -1, B NUMBER CHECK (B - 1 > 0))",
         "CREATE TABLE T (A NUMBER DEFAULT -1, B NUMBER CHECK (ORA_SUB(B , 1) > 0))"},
        {"SELECT A / 2 + 1 FROM T", "SELECT ORA_ADD(ORA_DIV(A , 2) , 1) FROM T"},
        {"SELECT A / -B * C / (D + 1) FROM T",
         "SELECT ORA_DIV(ORA_DIV(A , -B) * C , (ORA_ADD(D , 1))) FROM T"},
        {"SELECT X + A / -B FROM T", "SELECT ORA_ADD(X , ORA_DIV(A , -B)) FROM T"},
        {"SELECT A * B / C - D FROM T", "SELECT ORA_SUB(ORA_DIV(A * B , C) , D) FROM T"},
        {"SELECT '1/2' /* a/b */ FROM T", "SELECT '1/2' /* a/b */ FROM T"},
        {"SELECT CASE WHEN A THEN 1 END || 'X' FROM T", "SELECT CASE WHEN A THEN 1 END || 'X' FROM T"},
        {"SELECT A || FROM T", "SELECT A || FROM T"},
        {"SELECT A | B FROM T", "SELECT A | B FROM T"},
        {"SELECT -1, +2 FROM T", "SELECT -1, +2 FROM T"}};
    for (const Case& c : cases) EXPECT_EQ(COracleDialect::Translate(c.oracle).Text(), c.engine) << c.oracle;
}
