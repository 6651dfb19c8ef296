// Scripts of the kind DBAs and developers write, run through the batch
// runner on both engines: substitution variables, prompts, the statement
// buffer and nested scripts, with their exact console text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/ScriptRun.h"

namespace {

class ScriptControl : public ScriptRun, public ::testing::WithParamInterface<Road> {
protected:
    ScriptControl() { m_road = GetParam(); }
};

TEST_P(ScriptControl, CommitWithoutConnectionIsAnErrorButNoLostWork) {
    const RunResult r = RunScripts({"DISCONNECT\nCOMMIT;\n"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find("ORA-03114"), std::string::npos) << r.out;
}

INSTANTIATE_TEST_SUITE_P(Roads, ScriptControl, ::testing::Values(Road::Embedded, Road::Server),
                         [](const auto& info) { return info.param == Road::Server ? "Server" : "Embedded"; });

}  // namespace
