#include <gtest/gtest.h>

#include "engine/sqlite/COracleDialect.h"
#include "engine/sqlite/CSqlRewrite.h"

TEST(COracleDialectTest, Translations) {
    struct Case {
        const char* oracle;
        const char* engine;
    } cases[] = {
        {"SELECT SYSDATE FROM DUAL", "SELECT SYSDATE() FROM DUAL"},
        {"SELECT sysdate, 'SYSDATE', T.SYSDATE, SYSDATE() FROM T",
         "SELECT SYSDATE(), 'SYSDATE', T.SYSDATE, SYSDATE() FROM T"},
        {"SELECT :NEW.A FROM T", "SELECT :NEW.A FROM T"},
        {"INSERT INTO T VALUES (S.NEXTVAL, S.CURRVAL + 1, X.S.NEXTVAL)",
         "INSERT INTO T VALUES (ORA_NEXTVAL('S'), ORA_ADD(ORA_CURRVAL('S') , 1), X.S.NEXTVAL)"},
        {"SELECT ROWNUM, (ROWNUM) FROM T WHERE ROWNUM < 3 AND A IN (SELECT ROWNUM FROM U)",
         "SELECT ROW_NUMBER() OVER (), (ROW_NUMBER() OVER ()) FROM T WHERE ROWNUM() < 3 AND A IN (SELECT "
         "ROW_NUMBER() "
         "OVER () FROM U)"},
        {"SELECT * FROM (SELECT A FROM T ORDER BY A)", "SELECT * FROM (SELECT A FROM T ORDER BY A)"},
        {"CREATE TABLE T (A VARCHAR2(10 BYTE), B CHAR(2 CHAR), C DATE DEFAULT SYSDATE, D CHAR)",
         "CREATE TABLE T (A VARCHAR2(10 ), B CHAR_CHAR(2 ), C DATE DEFAULT (SYSDATE()), D CHAR)"},
        {"DROP TABLE T CASCADE CONSTRAINTS PURGE", "DROP TABLE T "},
        {"DROP TABLE T PURGE", "DROP TABLE T "},
        {"DROP TABLE PURGE", "DROP TABLE PURGE"},
        {"ALTER TABLE T ADD (C NUMBER(5) DEFAULT (1))", "ALTER TABLE T ADD C NUMBER(5) DEFAULT (1)"},
        {"ALTER TABLE T ADD (C NUMBER, D DATE)", "ALTER TABLE T ADD (C NUMBER, D DATE)"},
        {"INSERT INTO T VALUES ('', ' ', )", "INSERT INTO T VALUES (NULL, ' ', )"},
        {"CREATE VIEW V AS SELECT 1 FROM DUAL, T JOIN DUAL ON 1 = 1 WHERE DUAL.DUMMY = 'DUAL'",
         "CREATE VIEW V AS SELECT 1 FROM (SELECT 'X' AS DUMMY), T JOIN (SELECT 'X' AS DUMMY) ON 1 = 1 "
         "WHERE DUAL.DUMMY = 'DUAL'"}};
    for (const Case& c : cases) EXPECT_EQ(COracleDialect::Translate(c.oracle).Text(), c.engine) << c.oracle;
}

TEST(COracleDialectTest, PositionsMapBackThroughRewriting) {
    std::string oracle = "SELECT SYSDATE, A / B FROM T WHERE X";
    CSqlRewrite rewrite = COracleDialect::Translate(oracle);
    std::string engine = rewrite.Text();
    struct Pair {
        const char* engine;
        const char* oracle;
    } pairs[] = {{"SELECT", "SELECT"}, {"SYSDATE", "SYSDATE"}, {"A ", "A "}, {"B)", "B "},
                 {"FROM", "FROM"},     {"WHERE", "WHERE"},     {"X", "X"}};
    for (const Pair& p : pairs)
        EXPECT_EQ(rewrite.MapBack(engine.find(p.engine)), oracle.find(p.oracle)) << p.engine;
    EXPECT_EQ(rewrite.MapBack(engine.find("()")), oracle.find("SYSDATE"));
    EXPECT_EQ(rewrite.MapBack(engine.find(", B")), oracle.find("/"));
    EXPECT_EQ(rewrite.MapBack(engine.find("ORA_DIV")), oracle.find("A /"));
    EXPECT_EQ(rewrite.MapBack(engine.size() + 3), oracle.size() + 3);
}
