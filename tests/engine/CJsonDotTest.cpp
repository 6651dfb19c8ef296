// Dot notation over JSON text: fields matched in the case written, arrays
// unwrapped on the way, one value as itself (a string unquoted), several
// as an array, none as NULL.
#include <gtest/gtest.h>

#include "engine/sqlite/values/CJsonDot.h"
#include "tests/engine/EngineFixture.h"

namespace {

constexpr const char* kOrder =
    R"({"PONumber": 1600, "Requestor": "Alexis \"AB\" Bull\u00e9", "LineItems": [)"
    R"({"ItemNumber": 1, "Part": {"Description": "Magic", "UnitPrice": 19.95}},)"
    R"({"ItemNumber": 2, "Part": {"Description": "Weapon", "UnitPrice": 5}}], "Empty": [], "Obj": {"a": [1, {"b": null}]}})";

TEST(CJsonDotTest, FieldsReachValuesAsTheNotationAnswersThem) {
    struct Case {
        std::vector<std::string> fields;
        const char* answer;  // nullptr: NULL
    } cases[] = {
        {{"PONumber"}, "1600"},
        {{"ponumber"}, nullptr},
        {{"Requestor"}, "Alexis \"AB\" Bull\xc3\xa9"},
        {{"LineItems", "Part", "Description"}, R"(["Magic","Weapon"])"},
        {{"LineItems", "Part", "UnitPrice"}, "[19.95,5]"},
        {{"Obj"}, R"({"a":[1,{"b":null}]})"},
        {{"Obj", "a", "b"}, "null"},
        {{"Empty", "x"}, nullptr},
        {{"LineItems", "Missing"}, nullptr},
    };
    for (const Case& c : cases) {
        std::vector<std::string_view> found;
        ASSERT_TRUE(CJsonDot::Find(kOrder, c.fields, found));
        std::string answer;
        bool any = CJsonDot::Answer(found, answer);
        EXPECT_EQ(any, c.answer != nullptr) << c.fields.back();
        if (any && c.answer != nullptr) {
            EXPECT_EQ(answer, c.answer) << c.fields.back();
        }
    }
}

TEST(CJsonDotTest, TextThatIsNoJsonFindsNothing) {
    for (const char* text : {"", "{", "{\"a\":}", "[1,]", "{\"a\":1} x", "\"open", "oops", "{\"a\":tru}",
                             "[01]", "[1.]", "{\"a\":-}"}) {
        std::vector<std::string_view> found;
        EXPECT_FALSE(CJsonDot::Find(text, {"a"}, found)) << text;
        EXPECT_FALSE(CJsonDot::FindPath(text, "$", found)) << text;
    }
}

TEST(CJsonDotTest, PathsReadInLaxMode) {
    struct Case {
        const char* path;
        const char* values;  // joined by "|"
    } cases[] = {
        {"$.LineItems[*].Part.Description", R"("Magic"|"Weapon")"},
        {"$.LineItems.ItemNumber", "1|2"},
        {"$.LineItems[1].ItemNumber", "2"},
        {"$.LineItems[2]", ""},
        {"$.PONumber[0]", "1600"},
        {"$.PONumber[1]", ""},
        {"$.Obj.*[*]", R"(1|{"b": null})"},
        {"$.\"Obj\".a[1].b", "null"},
    };
    for (const Case& c : cases) {
        std::vector<std::string_view> found;
        ASSERT_TRUE(CJsonDot::FindPath(kOrder, c.path, found)) << c.path;
        std::string joined;
        for (std::size_t k = 0; k < found.size(); ++k) joined += (k > 0 ? "|" : "") + std::string(found[k]);
        EXPECT_EQ(joined, c.values) << c.path;
    }
    std::vector<std::string_view> found;
    EXPECT_FALSE(CJsonDot::FindPath(kOrder, "$.a[x]", found));
}

class CJsonDotQueryTest : public EngineFixture {};

TEST_F(CJsonDotQueryTest, AnAliasAndATextColumnReadTheDocument) {
    Exec("CREATE TABLE PO (ID NUMBER, DOC VARCHAR2(400) CONSTRAINT PO_JSON CHECK (DOC IS JSON))");
    Exec("INSERT INTO PO VALUES (1, '{\"PONumber\":7,\"Lines\":[{\"Qty\":2},{\"Qty\":3}],\"Who\":\"Ann\"}')");
    EXPECT_EQ(Rows("SELECT p.doc.PONumber, p.doc.Who, p.doc.Lines.Qty FROM PO p"), "7,Ann,[2,3]");
    EXPECT_EQ(Rows("SELECT p.doc.ponumber FROM PO p"), "-");
    EXPECT_EQ(Failure("SELECT doc.PONumber FROM PO").substr(0, 9), "ORA-00904");
    EXPECT_EQ(Failure("SELECT p.id.PONumber FROM PO p").substr(0, 9), "ORA-00904");
    EXPECT_EQ(Rows("SELECT JSON_QUERY(DOC, '$.Lines[*].Qty' WITH WRAPPER), JSON_QUERY(DOC, '$.Who' WITH "
                   "CONDITIONAL WRAPPER), JSON_QUERY(DOC, '$.Lines[0]' WITH CONDITIONAL WRAPPER), "
                   "JSON_QUERY(DOC, '$.Who' WITHOUT WRAPPER) FROM PO"),
              R"([2,3],["Ann"],{"Qty":2},-)");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM PO WHERE JSON_EXISTS(DOC, '$.Lines.Qty') AND NOT "
                   "JSON_EXISTS(DOC, '$.Lines[*].Price') AND JSON_EXISTS(DOC, '$.*')"),
              "1");
    EXPECT_EQ(Failure("SELECT JSON_QUERY(DOC, '$.Lines[*].Qty') FROM PO").substr(0, 9), "ORA-03001");
    Exec("CREATE VIEW POV AS SELECT p.doc.Who WHO FROM PO p");
    EXPECT_EQ(Rows("SELECT DATA_LENGTH FROM USER_TAB_COLUMNS WHERE TABLE_NAME = 'POV'"), "4000");
}

}  // namespace
