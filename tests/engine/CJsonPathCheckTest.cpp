// The SQL/JSON paths the engine reads, and the steps it refuses by name
// rather than answer otherwise than the server.
#include <gtest/gtest.h>

#include "engine/sqlite/CJsonPathCheck.h"
#include "tests/engine/EngineFixture.h"
#include "text/Encoding.h"

namespace {

using Outcome = CJsonPathCheck::Outcome;
using Reads = CJsonPathCheck::Reads;

TEST(CJsonPathCheckTest, StepsReadRefusedOrMalformed) {
    struct Case {
        const char* path;
        CJsonPathCheck::Reads reads;
        Outcome outcome;
        const char* named;  // a piece of the refusal's text
    } cases[] = {
        {"$", Reads::One, Outcome::Read, ""},
        {"$.a.b[0].\"c d\"", Reads::One, Outcome::Read, ""},
        {"$.LineItems[*]", Reads::Rows, Outcome::Read, ""},
        {"$.LineItems[*]", Reads::One, Outcome::Refused, "[*]"},
        {"$.a[*].b", Reads::Rows, Outcome::Read, ""},
        {"$.a.*[*]", Reads::Rows, Outcome::Read, ""},
        {"$.a[*].b", Reads::One, Outcome::Refused, "[*]"},
        {"lax $.a", Reads::One, Outcome::Read, ""},
        {"$.a.size().b.", Reads::One, Outcome::Refused, "size()"},
        {"$.a.*", Reads::One, Outcome::Refused, ".*"},
        {"$.a.*.b[*].c", Reads::Many, Outcome::Read, ""},
        {"$.a[*]?(@ > 1)", Reads::Many, Outcome::Refused, "?(@ > 1)"},
        {"$.items.size()", Reads::One, Outcome::Refused, "size()"},
        {"$.a?(@.q > 6)", Reads::One, Outcome::Refused, "?(@.q > 6)"},
        {"$..price", Reads::One, Outcome::Refused, ".."},
        {"$.a[1 to 3]", Reads::One, Outcome::Refused, "[1 to 3]"},
        {"$.a[0, 2]", Reads::One, Outcome::Refused, "[0, 2]"},
        {"$.a[last]", Reads::One, Outcome::Refused, "[last]"},
        {"strict $.a", Reads::One, Outcome::Refused, "STRICT"},
        {"a.b", Reads::One, Outcome::Malformed, ""},
        {"$.", Reads::One, Outcome::Malformed, ""},
        {"$.a[", Reads::One, Outcome::Malformed, ""},
        {"$.a[x]", Reads::One, Outcome::Malformed, ""},
    };
    for (const Case& c : cases) {
        CJsonPathCheck::Verdict verdict = CJsonPathCheck::Check(c.path, c.reads);
        EXPECT_EQ(verdict.outcome, c.outcome) << c.path;
        EXPECT_NE(verdict.what.find(c.named), std::string::npos) << c.path << ": " << verdict.what;
    }
}

TEST(CJsonPathCheckTest, ADoubleByteKeyIsOneStep) {
    // "ソ" ends in 0x5C, the byte of a backslash.
    EXPECT_EQ(CJsonPathCheck::Check(encoding::Utf8ToCp932("$.ソフト[0]"), Reads::One).outcome, Outcome::Read);
}

class CJsonPathTest : public EngineFixture {};

TEST_F(CJsonPathTest, AStatementWithAPathBeyondTheEngineIsRefusedAtThePath) {
    EXPECT_EQ(Failure("SELECT JSON_VALUE('{\"a\":[1,2]}', '$.a.size()') FROM DUAL").substr(0, 9),
              "ORA-03001");
    EXPECT_EQ(Failure("SELECT COUNT(*) FROM DUAL WHERE JSON_EXISTS('[1]', '$[*]?(@ > 0)')").substr(0, 9),
              "ORA-03001");
    EXPECT_EQ(Failure("SELECT JSON_QUERY('{}', 'a') FROM DUAL").substr(0, 9), "ORA-40597");
    EXPECT_EQ(Rows("SELECT JSON_VALUE('{\"a\":[1,2]}', '$.a[1]') FROM DUAL"), "2");
}

}  // namespace
