// JSON kept in BLOB and RAW columns, as the sample schemas keep product
// details: the column holds the document's bytes, and every JSON reader
// takes them as the UTF-8 text they are; DBMS_LOB counts them as bytes.
#include <gtest/gtest.h>

#include "tests/engine/EngineFixture.h"

namespace {

class BinaryJsonTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        Exec(
            "CREATE TABLE products (id NUMBER, details BLOB CONSTRAINT products_json_c CHECK (details IS "
            "JSON))");
        Exec(
            "INSERT INTO products VALUES (1, UTL_RAW.CAST_TO_RAW('{\"colour\":\"red\",\"reviews\":"
            "[{\"rating\":8,\"review\":\"Laboris\"},{\"rating\":10,\"review\":\"Lorem\"}]}'))");
        Exec("INSERT INTO products VALUES (2, UTL_RAW.CAST_TO_RAW('{\"colour\":\"blue\",\"reviews\":[]}'))");
    }
};

}  // namespace

TEST_F(BinaryJsonTest, ChecksAndConditionsReadTheBytes) {
    EXPECT_EQ(Failure("INSERT INTO products VALUES (3, UTL_RAW.CAST_TO_RAW('colour: red'))"),
              "ORA-02290: チェック制約 PRODUCTS_JSON_C に違反しました。");
    Exec("CREATE TABLE later (id NUMBER, doc RAW(100))");
    Exec("ALTER TABLE later ADD CONSTRAINT later_json_c CHECK (doc IS JSON)");
    Exec("INSERT INTO later VALUES (1, UTL_RAW.CAST_TO_RAW('[1, 2]'))");
    EXPECT_EQ(Failure("INSERT INTO later VALUES (2, UTL_RAW.CAST_TO_RAW('[1, 2'))").substr(0, 9),
              "ORA-02290");
    // '7B7D' is no JSON as text; as the bytes of a RAW it is {}.
    Exec("CREATE TABLE kinds (t VARCHAR2(10), r RAW(10))");
    Exec("INSERT INTO kinds VALUES ('7B7D', HEXTORAW('7B7D'))");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM kinds WHERE t IS JSON"), "0");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM kinds WHERE r IS JSON"), "1");
}

TEST_F(BinaryJsonTest, ReadersTakeTheDocumentsText) {
    EXPECT_EQ(Rows("SELECT id, JSON_VALUE(details, '$.colour') FROM products ORDER BY id"), "1,red|2,blue");
    EXPECT_EQ(Rows("SELECT p.details.colour FROM products p ORDER BY p.id"), "red|blue");
    EXPECT_EQ(Rows("SELECT JSON_QUERY(details, '$.reviews[0]') FROM products WHERE id = 1"),
              "{\"rating\":8,\"review\":\"Laboris\"}");
    EXPECT_EQ(Rows("SELECT id FROM products WHERE JSON_EXISTS(details, '$.reviews[1]')"), "1");
    EXPECT_EQ(Rows("SELECT p.id, r.rating, r.review FROM products p, JSON_TABLE(p.details, '$' COLUMNS "
                   "(NESTED PATH '$.reviews[*]' COLUMNS (rating NUMBER PATH '$.rating', review VARCHAR2(20) "
                   "PATH '$.review'))) r WHERE p.id = 1 ORDER BY r.rating"),
              "1,8,Laboris|1,10,Lorem");
}

TEST_F(BinaryJsonTest, LobFunctionsCountBytes) {
    Exec("CREATE TABLE b (id NUMBER, d BLOB)");
    Exec("INSERT INTO b VALUES (1, UTL_RAW.CAST_TO_RAW('abcdef'))");
    EXPECT_EQ(Rows("SELECT DBMS_LOB.GETLENGTH(d), DBMS_LOB.SUBSTR(d, 2, 3), DBMS_LOB.SUBSTR(d, 100) FROM b"),
              "6,6364,616263646566");
    EXPECT_EQ(Failure("SELECT DBMS_LOB.INSTR(d, HEXTORAW('63')) FROM b").substr(0, 9), "ORA-03001");
}

// Text given to a BLOB or RAW column is read as hex digits, as the server
// reads it: upper-cased, an odd count led by 0, any other character refused.
TEST_F(BinaryJsonTest, TextStoredIntoBinaryColumnsIsHexDigits) {
    Exec("CREATE TABLE bin (b BLOB, r RAW(10))");
    Exec("INSERT INTO bin VALUES ('abc', '0a1b')");
    EXPECT_EQ(Rows("SELECT b, r FROM bin"), "0ABC,0A1B");
    EXPECT_EQ(Failure("INSERT INTO bin VALUES ('{\"a\":1}', NULL)"), "ORA-01465: 16 進数が無効です。");
    EXPECT_EQ(Failure("UPDATE bin SET r = 'zz'"), "ORA-01465: 16 進数が無効です。");
    EXPECT_EQ(Failure("INSERT INTO bin SELECT 'x1', NULL FROM dual"), "ORA-01465: 16 進数が無効です。");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM bin"), "1");
}
