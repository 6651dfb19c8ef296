// Every function of the server either answers or is refused by its name
// (ORA-03001), whatever clauses its arguments take; a name the server does
// not know is no function (ORA-00904).
#include "tests/engine/EngineFixture.h"

namespace {

class CFunctionChecklistTest : public EngineFixture {};

struct Refusal {
    const char* expression;
    const char* named;  // what the message names
};

constexpr Refusal kRefused[] = {
    {"CON_ID_TO_DBID(1)", "CON_ID_TO_DBID"},
    {"TIME_BUCKET(SYSDATE, INTERVAL '1' DAY, SYSDATE)", "TIME_BUCKET"},
    {"VECTOR_DISTANCE(TO_VECTOR('[1,2]'), TO_VECTOR('[1,3]'), COSINE)", "VECTOR_DISTANCE"},
    {"UUID()", "UUID"},
    {"FUZZY_MATCH(LEVENSHTEIN, 'a', 'b')", "FUZZY_MATCH"},
    {"PREDICTION_COST(m USING *)", "PREDICTION_COST"},
    {"DOMAIN_DISPLAY(1)", "DOMAIN_DISPLAY"},
    // Clauses of functions the engine lacks.
    {"FROM_VECTOR(TO_VECTOR('[1]') RETURNING CLOB)", "FROM_VECTOR (RETURNING)"},
    // EXTRACT of an XML document by a path, beside EXTRACT of a date's field.
    {"EXTRACT(X, '/a')", "EXTRACT (XML)"},
};

TEST_F(CFunctionChecklistTest, TheServersFunctionsAreRefusedByName) {
    for (const Refusal& c : kRefused) {
        std::string error = Failure(std::string("SELECT ") + c.expression + " FROM DUAL");
        EXPECT_EQ(error.substr(0, 9), "ORA-03001") << c.expression << ": " << error;
        EXPECT_NE(error.find(c.named), std::string::npos) << error;
    }
}

TEST_F(CFunctionChecklistTest, NamesTheServerLacksAreNoFunctions) {
    for (const char* call : {"TO_MULTIBYTE('a')", "UUIDS()", "VECTOR_LENGTH(1)", "NCHAR(65)"})
        EXPECT_EQ(Failure(std::string("SELECT ") + call + " FROM DUAL").substr(0, 9), "ORA-00904") << call;
}

// PERCENTILE_CONT and PERCENTILE_DISC are ordered-set functions only.
TEST_F(CFunctionChecklistTest, InverseDistributionsNeedWithinGroup) {
    for (const char* name : {"PERCENTILE_CONT", "PERCENTILE_DISC"}) {
        std::string error = Failure(std::string("SELECT ") + name + "(0.5) FROM DUAL");
        EXPECT_EQ(error.substr(0, 9), "ORA-02000") << name;
        EXPECT_NE(error.find("WITHIN"), std::string::npos) << error;
        EXPECT_EQ(Rows(std::string("SELECT ") + name +
                       "(0.5) WITHIN GROUP (ORDER BY LEVEL) FROM DUAL CONNECT BY LEVEL <= 3"),
                  "2");
    }
}

}  // namespace
