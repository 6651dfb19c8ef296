// JSON_TABLE in FROM (row paths, typed columns, FOR ORDINALITY, FORMAT
// JSON, NESTED PATH) and JSON_VALUE's RETURNING and ON ERROR / ON EMPTY
// handlers, with the answers the server's JSON rules give.
#include "tests/engine/EngineFixture.h"

namespace {

class CJsonTableTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        Exec("CREATE TABLE PO (ID NUMBER, DOC VARCHAR2(4000))");
        Exec(
            "INSERT INTO PO VALUES (1, '{\"Requestor\":\"Alexis "
            "Bull\",\"LineItems\":[{\"ItemNumber\":1,\"Part\":{\"Description\":\"One Magic "
            "Christmas\",\"UnitPrice\":19.95},\"Quantity\":9.0,\"Tags\":[\"dvd\",\"xmas\"]},{\"ItemNumber\":"
            "2,\"Part\":{\"Description\":\"Lethal "
            "Weapon\",\"UnitPrice\":12345678901234567890.12},\"Quantity\":\"5\"}]}')");
        Exec("INSERT INTO PO VALUES (2, '{\"Requestor\":\"Sarah Bell\",\"LineItems\":[]}')");
        Exec("INSERT INTO PO VALUES (3, 'no JSON at all')");
        Exec("INSERT INTO PO VALUES (4, NULL)");
    }
};

// Each element of the row path's array is a row, numbered from 1; a value
// the column's type does not take, or a path that finds nothing, is NULL.
TEST_F(CJsonTableTest, RowsOfAnArrayWithTypedColumns) {
    EXPECT_EQ(Rows("SELECT P.ID, J.* FROM PO P, JSON_TABLE(P.DOC, '$.LineItems[*]' COLUMNS ("
                   "N FOR ORDINALITY, DESCR VARCHAR2(13) PATH '$.Part.Description', "
                   "PRICE NUMBER PATH '$.Part.UnitPrice', QTY NUMBER(4) PATH '$.Quantity', "
                   "MISSING NUMBER PATH '$.Nope')) J ORDER BY P.ID, J.N"),
              "1,1,-,19.95,9,-|1,2,Lethal Weapon,12345678901234567890.12,5,-");
    EXPECT_EQ(Rows("SELECT SUM(J.QTY * J.PRICE) FROM PO P, JSON_TABLE(P.DOC, '$.LineItems[*]' COLUMNS ("
                   "QTY NUMBER PATH '$.Quantity', PRICE NUMBER PATH '$.Part.UnitPrice')) J"),
              "61728394506172839630.15");
}

// A row path without [*] gives one row; NESTED PATH joins the rows below
// each row, a row without any kept with NULLs.
TEST_F(CJsonTableTest, NestedPathsAndOneRowPaths) {
    EXPECT_EQ(
        Rows("SELECT J.WHO, J.ITEM, J.TAG FROM PO P, JSON_TABLE(P.DOC, '$' COLUMNS (WHO VARCHAR2(20) PATH "
             "'$.Requestor', NESTED PATH '$.LineItems[*]' COLUMNS (ITEM NUMBER PATH '$.ItemNumber', NESTED "
             "PATH '$.Tags[*]' COLUMNS (TAG VARCHAR2(5) PATH '$')))) J ORDER BY 1, 2, 3"),
        "Alexis Bull,1,dvd|Alexis Bull,1,xmas|Alexis Bull,2,-|Sarah Bell,-,-");
    EXPECT_EQ(Rows("SELECT * FROM JSON_TABLE('[1, \"two\", 3.5, {\"a\": true}, null]', '$[*]' COLUMNS ("
                   "I FOR ORDINALITY, V VARCHAR2(10) PATH '$', N NUMBER PATH '$', "
                   "J VARCHAR2(20) FORMAT JSON PATH '$', B VARCHAR2(5) PATH '$.a'))"),
              "1,1,1,-,-|2,two,-,-,-|3,3.5,3.5,-,-|4,-,-,{\"a\":true},true|5,-,-,-,-");
    EXPECT_EQ(Rows("SELECT TO_CHAR(D, 'YYYY-MM-DD HH24:MI') FROM JSON_TABLE("
                   "'{\"d\":\"2024-02-29T10:11:12Z\"}', '$' COLUMNS (D DATE PATH '$.d'))"),
              "2024-02-29 10:11");
    EXPECT_EQ(Rows("SELECT \"Requestor\" FROM PO, JSON_TABLE(DOC, '$' COLUMNS (\"Requestor\")) WHERE ID = 2"),
              "Sarah Bell");
    EXPECT_EQ(Failure("SELECT * FROM JSON_TABLE('{}', '$' COLUMNS (A, A))").substr(0, 9), "ORA-00957");
}

// A row path finds its rows in lax mode: wildcards anywhere, an array step
// on an object reads it as the one element of an array; each value found
// is a row, kept as written (true, a number of many digits).
TEST_F(CJsonTableTest, RowPathsWithWildcardsAnywhere) {
    const struct {
        const char* query;
        const char* answer;
    } cases[] = {
        {"SELECT J.* FROM PO P, JSON_TABLE(P.DOC, '$.LineItems[*].Tags[*]' COLUMNS (N FOR ORDINALITY, "
         "T VARCHAR2(5) PATH '$')) J",
         "1,dvd|2,xmas"},
        {"SELECT J.* FROM PO P, JSON_TABLE(P.DOC, '$.LineItems[*].Part' COLUMNS (N FOR ORDINALITY, "
         "D VARCHAR2(20) PATH '$.Description')) J",
         "1,One Magic Christmas|2,Lethal Weapon"},
        {"SELECT J.* FROM PO P, JSON_TABLE(P.DOC, '$.LineItems[1].Part.*' COLUMNS (V VARCHAR2(30) PATH '$')) "
         "J",
         "Lethal Weapon|12345678901234567890.12"},
        {"SELECT * FROM JSON_TABLE('{\"a\":{\"b\":1}}', '$.a[*]' COLUMNS (B NUMBER PATH '$.b'))", "1"},
        {"SELECT * FROM JSON_TABLE('[true, 12345678901234567890.12, \"x\"]', '$[*]' COLUMNS ("
         "V VARCHAR2(30) PATH '$', N NUMBER PATH '$'))",
         "true,-|12345678901234567890.12,12345678901234567890.12|x,-"},
        {"SELECT COUNT(*) FROM JSON_TABLE('{\"a\":[]}', '$.a[*].b' COLUMNS (B NUMBER PATH '$'))", "0"},
    };
    for (const auto& c : cases) EXPECT_EQ(Rows(c.query), c.answer) << c.query;
}

// FORMAT JSON columns: an object or array as it is (a scalar is NULL
// without a wrapper); WITH WRAPPER gathers what the path finds, wildcards
// and all, CONDITIONAL leaves one object or array alone. Without a row
// path the document is the one row.
TEST_F(CJsonTableTest, FormatJsonColumnsWithWrappers) {
    EXPECT_EQ(Rows("SELECT * FROM JSON_TABLE('{\"a\":[1,2],\"b\":{\"c\":3},\"s\":\"x\"}' COLUMNS (A "
                   "VARCHAR2(20) FORMAT JSON PATH '$.a', S VARCHAR2(20) FORMAT JSON PATH '$.s', W "
                   "VARCHAR2(20) FORMAT JSON WITH WRAPPER PATH '$.a[*]', WS VARCHAR2(20) FORMAT JSON WITH "
                   "ARRAY WRAPPER PATH '$.s', C VARCHAR2(20) FORMAT JSON WITH CONDITIONAL WRAPPER PATH "
                   "'$.b', CS VARCHAR2(20) FORMAT JSON WITH CONDITIONAL WRAPPER PATH '$.s', N VARCHAR2(20) "
                   "FORMAT JSON WITHOUT WRAPPER PATH '$.b'))"),
              "[1,2],-,[1,2],[\"x\"],{\"c\":3},[\"x\"],{\"c\":3}");
    EXPECT_EQ(
        Failure("SELECT * FROM JSON_TABLE('{}', '$' COLUMNS (A VARCHAR2(20) FORMAT JSON PATH '$.a[*]'))")
            .substr(0, 9),
        "ORA-03001");
}

// Sibling NESTED PATHs follow one another (each row has the others'
// columns NULL); a parent row whose nested paths find nothing stays once;
// FOR ORDINALITY in a nested path numbers that path's rows.
TEST_F(CJsonTableTest, SiblingNestedPathsAreAUnionJoin) {
    const std::string doc =
        "'[{\"id\":1,\"phones\":[\"p1\",\"p2\"],\"items\":[{\"n\":7}]},"
        "{\"id\":2,\"phones\":[],\"items\":[{\"n\":8},{\"n\":9}]},{\"id\":3}]'";
    EXPECT_EQ(Rows("SELECT * FROM JSON_TABLE(" + doc +
                   ", '$[*]' COLUMNS (ID NUMBER PATH '$.id', "
                   "NESTED PATH '$.phones[*]' COLUMNS (PN FOR ORDINALITY, PHONE VARCHAR2(5) PATH '$'), "
                   "NESTED PATH '$.items[*]' COLUMNS (N NUMBER PATH '$.n')))"),
              "1,1,p1,-|1,2,p2,-|1,-,-,7|2,-,-,8|2,-,-,9|3,-,-,-");
    EXPECT_EQ(Rows("SELECT COUNT(*), COUNT(PHONE), COUNT(N) FROM JSON_TABLE(" + doc +
                   ", '$[*]' COLUMNS (NESTED PATH '$.phones[*]' COLUMNS (PHONE PATH '$'), "
                   "NESTED PATH '$.items[*]' COLUMNS (N NUMBER PATH '$.n'), "
                   "NESTED PATH '$.none[*]' COLUMNS (X PATH '$')))"),
              "6,2,3");
}

// EXISTS PATH columns, and each column's ON ERROR and ON EMPTY (the
// table's ON ERROR their default; NULL when neither is given).
TEST_F(CJsonTableTest, ExistsColumnsAndErrorHandlers) {
    const std::string rows = "'[{\"a\":1,\"b\":\"x\"},{\"a\":\"zz\"},{\"b\":[1]}]'";
    EXPECT_EQ(
        Rows("SELECT * FROM JSON_TABLE(" + rows +
             ", '$[*]' COLUMNS (A NUMBER PATH '$.a' DEFAULT -1 ON ERROR DEFAULT 0 ON EMPTY, "
             "HAS_B VARCHAR2(5) EXISTS PATH '$.b', NB NUMBER EXISTS PATH '$.b', B VARCHAR2(5) PATH '$.b'))"),
        "1,true,1,x|-1,false,0,-|0,true,1,-");
    struct Case {
        const char* tail;
        const char* outcome;
    } cases[] = {
        {"'$[*]' COLUMNS (A NUMBER PATH '$.a' ERROR ON ERROR))", "ORA-01722"},
        {"'$[*]' ERROR ON ERROR COLUMNS (A NUMBER PATH '$.a'))", "ORA-01722"},
        {"'$[*]' ERROR ON ERROR COLUMNS (A NUMBER PATH '$.a' NULL ON ERROR))", "OK"},
        {"'$[*]' COLUMNS (A NUMBER PATH '$.c' ERROR ON EMPTY))", "ORA-40462"},
        {"'$[*]' COLUMNS (B NUMBER PATH '$.b' ERROR ON ERROR NULL ON EMPTY))", "ORA-01722"},
    };
    for (const Case& c : cases) {
        std::string outcome = Failure("SELECT * FROM JSON_TABLE(" + rows + ", " + c.tail);
        EXPECT_EQ(outcome.substr(0, std::string(c.outcome).size()), c.outcome) << c.tail;
    }
    EXPECT_EQ(Failure("SELECT * FROM JSON_TABLE('oops', '$' ERROR ON ERROR COLUMNS (A))").substr(0, 9),
              "ORA-40441");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM JSON_TABLE('oops', '$' COLUMNS (A))"), "0");
}

// JSON_TABLE's rows are rows like any: a hierarchy walks them, a view keeps
// them (and takes no DML).
TEST_F(CJsonTableTest, AHierarchyOverJsonRowsAndAViewOfThem) {
    EXPECT_EQ(Rows("SELECT ID, LEVEL FROM JSON_TABLE('[{\"id\":1},{\"id\":3,\"up\":2},{\"id\":2,\"up\":1}]', "
                   "'$[*]' COLUMNS (ID NUMBER PATH '$.id', UP NUMBER PATH '$.up')) START WITH UP IS NULL "
                   "CONNECT BY PRIOR ID = UP"),
              "1,1|2,2|3,3");
    Exec("CREATE VIEW JV AS SELECT * FROM JSON_TABLE('[{\"a\":1}]', '$[*]' COLUMNS (A NUMBER PATH '$.a'))");
    EXPECT_EQ(Rows("SELECT A FROM JV"), "1");
    EXPECT_EQ(Failure("INSERT INTO JV VALUES (5)").substr(0, 9), "ORA-01732");
}

TEST_F(CJsonTableTest, JsonValueReturningAndHandlers) {
    const struct {
        const char* call;
        const char* answer;
    } cases[] = {
        {"JSON_VALUE('{\"a\":12.50}', '$.a' RETURNING NUMBER) + 1", "13.5"},
        {"JSON_VALUE('{\"a\":123456789012345678901234567890.5}', '$.a' RETURNING NUMBER)",
         "123456789012345678901234567890.5"},
        {"JSON_VALUE('{\"a\":\"abc\"}', '$.a' RETURNING NUMBER DEFAULT -1 ON ERROR)", "-1"},
        {"JSON_VALUE('{\"a\":\"abc\"}', '$.b' DEFAULT 'none' ON EMPTY)", "none"},
        {"JSON_VALUE('{\"a\":\"abc\"}', '$.b' DEFAULT 'err' ON ERROR)", "err"},
        {"JSON_VALUE('{\"a\":\"abc\"}', '$.b' ERROR ON ERROR NULL ON EMPTY)", "-"},
        {"JSON_VALUE('{\"a\":\"abcdef\"}', '$.a' RETURNING VARCHAR2(3))", "-"},
        {"JSON_VALUE('{\"a\":[1]}', '$.a' DEFAULT 'x' ON ERROR)", "x"},
        {"JSON_VALUE('{\"a\":null}', '$.a' ERROR ON ERROR)", "-"},
        {"JSON_VALUE('{\"a\":false}', '$.a')", "false"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Rows(std::string("SELECT ") + c.call + " FROM DUAL"), c.answer) << c.call;
    const struct {
        const char* call;
        const char* code;
    } errors[] = {
        {"JSON_VALUE('{\"a\":1}', '$.b' ERROR ON ERROR)", "ORA-40462"},
        {"JSON_VALUE('{\"a\":[1]}', '$.a' ERROR ON ERROR)", "ORA-40456"},
        {"JSON_VALUE('oops', '$.a' ERROR ON ERROR)", "ORA-40441"},
        {"JSON_VALUE('{\"a\":\"x\"}', '$.a' RETURNING NUMBER ERROR ON ERROR)", "ORA-01722"},
        {"JSON_VALUE('{\"a\":\"abcd\"}', '$.a' RETURNING VARCHAR2(3) ERROR ON ERROR)", "ORA-40478"},
        {"JSON_VALUE('{\"a\":1}', '$.b' NULL ON ERROR ERROR ON EMPTY)", "ORA-40462"},
        {"JSON_QUERY('{\"a\":1}', '$.a' ERROR ON ERROR)", "ORA-40480"},
        {"JSON_VALUE('{\"a\":\"2024-13-02\"}', '$.a' RETURNING DATE ERROR ON ERROR)", "ORA-01861"},
    };
    for (const auto& e : errors)
        EXPECT_EQ(Failure(std::string("SELECT ") + e.call + " FROM DUAL").substr(0, 9), e.code) << e.call;
    // A date the type does not take names the text it met.
    EXPECT_NE(Failure("SELECT * FROM JSON_TABLE('[\"2024-02-30\"]', '$[*]' COLUMNS (D DATE PATH '$' ERROR ON "
                      "ERROR))")
                  .find("2024-02-30"),
              std::string::npos);
    EXPECT_EQ(Rows("SELECT JSON_VALUE('{\"a\":\"2024-13-02\"}', '$.a' RETURNING DATE) FROM DUAL"), "-");
    // The handlers decide per row, over a table's documents.
    EXPECT_EQ(Rows("SELECT ID, JSON_VALUE(DOC, '$.Requestor' DEFAULT '?' ON ERROR) FROM PO ORDER BY ID"),
              "1,Alexis Bull|2,Sarah Bell|3,?|4,-");
}

}  // namespace
