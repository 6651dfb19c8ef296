// JSON_OBJECT, JSON_ARRAY, JSON_ARRAYAGG and JSON_OBJECTAGG: JSON text built
// of SQL values, as the server writes them (numbers as numbers, dates in
// ISO 8601, NULL as null or left out, the results of other generating
// functions and FORMAT JSON values as JSON).
#include "tests/engine/EngineFixture.h"

namespace {

class CJsonGenerationTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        Exec("CREATE TABLE E (ID NUMBER(4), NAME VARCHAR2(10), DEPT NUMBER(2), HIRED DATE, PAY NUMBER(8,2))");
        Exec("INSERT INTO E VALUES (1, 'Ann', 10, DATE '2006-04-06', 2500.5)");
        Exec("INSERT INTO E VALUES (2, 'Bob', 10, NULL, NULL)");
        Exec("INSERT INTO E VALUES (3, 'Cy \"Q\"', 20, DATE '2010-12-31', 0.25)");
    }
};

TEST_F(CJsonGenerationTest, ValuesAreWrittenByTheirTypes) {
    struct Case {
        const char* expression;
        const char* json;
    } cases[] = {
        {"JSON_OBJECT('n' VALUE PAY, 'd' VALUE HIRED, 's' VALUE NAME)",
         R"({"n":2500.5,"d":"2006-04-06T00:00:00","s":"Ann"})"},
        {"JSON_OBJECT(KEY 'frac' IS 1/4, 'neg' : -PAY / 10000)", R"({"frac":0.25,"neg":-0.25005})"},
        {"JSON_OBJECT('exact' VALUE 0.1 + 0.2, 'third' VALUE 1/3)",
         R"({"exact":0.3,"third":0.3333333333333333333333333333333333333333})"},
        {"JSON_OBJECT('big' VALUE 12345678901234567890123)", R"({"big":12345678901234567890123})"},
        {"JSON_OBJECT('t' VALUE TIMESTAMP '2020-01-02 03:04:05.25')", R"({"t":"2020-01-02T03:04:05.25"})"},
        {"JSON_OBJECT('z' VALUE TIMESTAMP '2020-07-02 03:04:05 America/New_York')",
         R"({"z":"2020-07-02T03:04:05-04:00"})"},
        {"JSON_OBJECT('q' VALUE 'a\"b\\c')", R"({"q":"a\"b\\c"})"},
        {"JSON_OBJECT('nested' VALUE JSON_ARRAY(1, 'x'), 'raw' VALUE '{\"k\":[true]}' FORMAT JSON)",
         R"({"nested":[1,"x"],"raw":{"k":[true]}})"},
        {"JSON_ARRAY(JSON_OBJECT('a' VALUE 1), JSON_QUERY('{\"b\":[2]}', '$.b'))", R"([{"a":1},[2]])"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Rows(std::string("SELECT ") + c.expression + " FROM E WHERE ID = 1"), c.json)
            << c.expression;
}

TEST_F(CJsonGenerationTest, NullIsNullOrLeftOutAsEachFunctionDefaults) {
    EXPECT_EQ(Rows("SELECT JSON_OBJECT('p' VALUE PAY) FROM E WHERE ID = 2"), R"({"p":null})");
    EXPECT_EQ(Rows("SELECT JSON_OBJECT('p' VALUE PAY ABSENT ON NULL) FROM E WHERE ID = 2"), "{}");
    EXPECT_EQ(Rows("SELECT JSON_ARRAY(ID, PAY) FROM E WHERE ID = 2"), "[2]");
    EXPECT_EQ(Rows("SELECT JSON_ARRAY(ID, PAY NULL ON NULL) FROM E WHERE ID = 2"), "[2,null]");
    EXPECT_EQ(Rows("SELECT JSON_ARRAYAGG(PAY ORDER BY ID) FROM E"), "[2500.5,0.25]");
    EXPECT_EQ(Rows("SELECT JSON_ARRAYAGG(PAY NULL ON NULL) FROM E WHERE ID < 3"), "[2500.5,null]");
    EXPECT_EQ(Rows("SELECT JSON_OBJECTAGG(KEY NAME VALUE PAY) FROM E WHERE ID < 3"),
              R"({"Ann":2500.5,"Bob":null})");
    EXPECT_EQ(Rows("SELECT JSON_OBJECTAGG(KEY NAME VALUE PAY ABSENT ON NULL) FROM E WHERE ID < 3"),
              R"({"Ann":2500.5})");
}

TEST_F(CJsonGenerationTest, AggregatesGroupOrderAndAnswerNullForNoRows) {
    EXPECT_EQ(Rows("SELECT DEPT, JSON_ARRAYAGG(ID ORDER BY ID DESC) FROM E GROUP BY DEPT ORDER BY DEPT"),
              "10,[2,1]|20,[3]");
    EXPECT_EQ(Rows("SELECT JSON_ARRAYAGG(ID) FROM E WHERE ID > 9"), "-");
    EXPECT_EQ(Rows("SELECT JSON_OBJECTAGG(KEY NAME VALUE ID) FROM E WHERE ID > 9"), "-");
}

TEST_F(CJsonGenerationTest, WildcardsAndColumnsNamedAloneAreTheirOwnKeys) {
    EXPECT_EQ(Rows("SELECT JSON_OBJECT(*) FROM E WHERE ID = 3"),
              R"({"ID":3,"NAME":"Cy \"Q\"","DEPT":20,"HIRED":"2010-12-31T00:00:00","PAY":0.25})");
    EXPECT_EQ(Rows("SELECT JSON_OBJECT(x.ID, X.NAME) FROM E x WHERE ID = 1"), R"({"ID":1,"NAME":"Ann"})");
    // Note: a column's key is its name in the case written.
    EXPECT_EQ(Rows("SELECT JSON_OBJECT(id, Name) FROM E WHERE ID = 1"), R"({"id":1,"Name":"Ann"})");
    EXPECT_EQ(Rows("SELECT JSON_OBJECT(e.*) FROM E e WHERE ID = 2"),
              R"({"ID":2,"NAME":"Bob","DEPT":10,"HIRED":null,"PAY":null})");
    EXPECT_EQ(Failure("SELECT JSON_OBJECT(z.*) FROM E").substr(0, 9), "ORA-00904");
}

TEST_F(CJsonGenerationTest, ClausesAreTakenOrRefusedByName) {
    EXPECT_EQ(Failure("SELECT JSON_OBJECT('a' VALUE 'no json' FORMAT JSON) FROM DUAL").substr(0, 9),
              "ORA-40441");
    EXPECT_EQ(Failure("SELECT JSON_OBJECT('a' VALUE 1 STRICT) FROM DUAL").substr(0, 9), "ORA-03001");
    EXPECT_EQ(Failure("SELECT JSON_OBJECT('a' VALUE 1 WITH UNIQUE KEYS) FROM DUAL").substr(0, 9),
              "ORA-03001");
    EXPECT_EQ(Rows("SELECT JSON_OBJECT('a' VALUE 1 WITHOUT UNIQUE KEYS) FROM DUAL"), R"({"a":1})");
    EXPECT_EQ(Failure("SELECT JSON_ARRAYAGG() FROM DUAL").substr(0, 9), "ORA-00938");
    EXPECT_EQ(Rows("SELECT JSON_MERGEPATCH('{\"a\":1,\"b\":{\"c\":2,\"d\":3}}', "
                   "'{\"a\":null,\"b\":{\"d\":4},\"e\":[5]}') FROM DUAL"),
              R"({"b":{"c":2,"d":4},"e":[5]})");
    EXPECT_EQ(Rows("SELECT JSON_MERGEPATCH('no json', '{}') FROM DUAL"), "-");
    Exec(
        "CREATE VIEW JV AS SELECT JSON_OBJECT('a' VALUE ID) J, JSON_ARRAY(ID RETURNING VARCHAR2(50)) K FROM "
        "E");
    EXPECT_EQ(Rows("SELECT COLUMN_NAME, DATA_TYPE, DATA_LENGTH FROM USER_TAB_COLUMNS WHERE TABLE_NAME = 'JV' "
                   "ORDER BY COLUMN_ID"),
              "J,VARCHAR2,4000|K,VARCHAR2,50");
}

}  // namespace
