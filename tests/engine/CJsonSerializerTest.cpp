// JSON text written again (compact, PRETTY, ASCII) and cut to a length, and
// JSON_SERIALIZE and JSON_QUERY's output clauses over them.
#include <gtest/gtest.h>

#include "engine/sqlite/values/CJsonSerializer.h"
#include "tests/engine/EngineFixture.h"

namespace {

std::string Written(std::string_view json, bool pretty, bool ascii) {
    std::string out;
    if (!CJsonSerializer::Write(json, CJsonSerializer::Options{pretty, ascii}, out)) return "NO JSON";
    return out;
}

TEST(CJsonSerializerTest, CompactAndAsciiText) {
    struct Case {
        const char* json;
        bool ascii;
        const char* written;
    } cases[] = {
        {" { \"a\" : [ 1 , 2.50, -0e1 ] , \"b\":{ } ,\"c\":[]} ", false,
         "{\"a\":[1,2.50,-0e1],\"b\":{},\"c\":[]}"},
        {"\"\\u0041\\/\\t\\u0001\"", false, "\"A/\\t\\u0001\""},
        {"\"caf\u00e9 \u20ac\"", false, "\"caf\u00e9 \u20ac\""},
        {"\"caf\u00e9 \u20ac\"", true, "\"caf\\u00E9 \\u20AC\""},
        {"\"\\ud83d\\ude00\"", true, "\"\\uD83D\\uDE00\""},
        {"{\"\u30ad\u30fc\":true}", true, "{\"\\u30AD\\u30FC\":true}"},
        {"null", false, "null"},
        {"{\"a\":1,}", false, "NO JSON"},
        {"{a:[1,2],$b_2:x}", false, "NO JSON"},
        {"{a:[1,2],$b_2:0.5e-3}", false, "{\"a\":[1,2],\"$b_2\":0.5e-3}"},
        {"{2a:1}", false, "NO JSON"},
        {"[01]", false, "NO JSON"},
        {"[1.]", false, "NO JSON"},
        {"[1] 2", false, "NO JSON"},
        {"", false, "NO JSON"},
    };
    for (const Case& c : cases) EXPECT_EQ(Written(c.json, false, c.ascii), c.written) << c.json;
}

// A member or element a line, two blanks a level; "key" : value; an object
// or array that is a member's value opens on the next line at the key's
// indentation; empty ones stay whole.
TEST(CJsonSerializerTest, PrettyLayout) {
    EXPECT_EQ(Written("{\"PONumber\":1600,\"Phone\":[{\"type\":\"Office\"},[]],\"Empty\":{},\"Note\":null}",
                      true, false),
              "{\n"
              "  \"PONumber\" : 1600,\n"
              "  \"Phone\" :\n"
              "  [\n"
              "    {\n"
              "      \"type\" : \"Office\"\n"
              "    },\n"
              "    []\n"
              "  ],\n"
              "  \"Empty\" : {},\n"
              "  \"Note\" : null\n"
              "}");
    EXPECT_EQ(Written("[1,[2]]", true, false), "[\n  1,\n  [\n    2\n  ]\n]");
    EXPECT_EQ(Written("\"x\"", true, false), "\"x\"");
}

// Lengths count CP932 bytes (a kanji is two) or characters; a character is
// never split.
TEST(CJsonSerializerTest, CutKeepsWholeCharacters) {
    const std::string text = "{\"\u6f22\u5b57\":1}";
    EXPECT_EQ(CJsonSerializer::Cut(text, 3, false), "{\"");
    EXPECT_EQ(CJsonSerializer::Cut(text, 4, false), "{\"\u6f22");
    EXPECT_EQ(CJsonSerializer::Cut(text, 3, true), "{\"\u6f22");
    EXPECT_EQ(CJsonSerializer::Cut(text, 100, false), text);
}

class CJsonSerializeTest : public EngineFixture {};

TEST_F(CJsonSerializeTest, SerializeAndQueryOutputClauses) {
    Exec("CREATE TABLE D (ID NUMBER, J VARCHAR2(200) CHECK (J IS JSON))");
    Exec("INSERT INTO D VALUES (1, '{ \"a\" : [1, 2, 3, 4], \"s\" : \"\\u30bd\" }')");
    Exec("INSERT INTO D VALUES (2, NULL)");
    const struct {
        const char* query;
        const char* answer;
    } cases[] = {
        {"SELECT JSON_SERIALIZE(J) FROM D WHERE ID = 1", "{\"a\":[1,2,3,4],\"s\":\"\u30bd\"}"},
        {"SELECT JSON_SERIALIZE(J ASCII) FROM D WHERE ID = 1", "{\"a\":[1,2,3,4],\"s\":\"\\u30BD\"}"},
        {"SELECT JSON_SERIALIZE(J RETURNING VARCHAR2(3) TRUNCATE) FROM D WHERE ID = 1", "{\"a"},
        {"SELECT JSON_SERIALIZE(J RETURNING VARCHAR2(3) NULL ON ERROR) FROM D WHERE ID = 1", "-"},
        {"SELECT JSON_SERIALIZE(J RETURNING CLOB PRETTY) FROM D WHERE ID = 1",
         "{\n  \"a\" :\n  [\n    1,\n    2,\n    3,\n    4\n  ],\n  \"s\" : \"\u30bd\"\n}"},
        {"SELECT JSON_SERIALIZE(J) FROM D WHERE ID = 2", "-"},
        {"SELECT JSON_SERIALIZE('oops' NULL ON ERROR) FROM DUAL", "-"},
        {"SELECT JSON_SERIALIZE('{a:[1,2,3,4]}' RETURNING VARCHAR2(3) TRUNCATE ERROR ON ERROR) FROM DUAL",
         "{\"a"},
        {"SELECT JSON_QUERY(J, '$.a' PRETTY) FROM D WHERE ID = 1", "[\n  1,\n  2,\n  3,\n  4\n]"},
        {"SELECT JSON_QUERY(J, '$.s' ASCII WITH WRAPPER) FROM D WHERE ID = 1", "[\"\\u30BD\"]"},
        {"SELECT JSON_QUERY(J, '$.a' RETURNING VARCHAR2(8)) FROM D WHERE ID = 1", "-"},
        {"SELECT JSON_QUERY(J, '$.a' RETURNING VARCHAR2(9)) FROM D WHERE ID = 1", "[1,2,3,4]"},
    };
    for (const auto& c : cases) EXPECT_EQ(Rows(c.query), c.answer) << c.query;
    const struct {
        const char* query;
        const char* code;
    } errors[] = {
        {"SELECT JSON_SERIALIZE(J RETURNING VARCHAR2(3)) FROM D", "ORA-40478"},
        {"SELECT JSON_SERIALIZE('{a:1') FROM DUAL", "ORA-40441"},
        {"SELECT JSON_SERIALIZE(J RETURNING NUMBER) FROM D", "ORA-40449"},
        {"SELECT JSON_SERIALIZE(J ORDERED) FROM D", "ORA-03001"},
        {"SELECT JSON_SERIALIZE(J RETURNING BLOB) FROM D", "ORA-03001"},
        {"SELECT JSON_SERIALIZE(J EMPTY ON ERROR) FROM D", "ORA-03001"},
        {"SELECT JSON_SERIALIZE(J, 1) FROM D", "ORA-00907"},
    };
    for (const auto& e : errors) EXPECT_EQ(Failure(e.query).substr(0, 9), e.code) << e.query;
}

}  // namespace
