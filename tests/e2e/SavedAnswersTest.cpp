// A console that answered questions, saved and run again as a script, asks
// only for what it never showed (a hidden answer) and shows the same text,
// on both engines.
#include <gtest/gtest.h>

#include <string>

#include "e2e/ScriptRun.h"

namespace {

class SavedAnswers : public ScriptRun, public ::testing::WithParamInterface<Road> {
protected:
    SavedAnswers() { m_road = GetParam(); }
};

TEST_P(SavedAnswers, ASavedSessionReplaysToTheSameConsole) {
    const std::string session = "CONNECT scott/tiger@" + Named("ANSWERS") +
                                "\n"
                                "CREATE TABLE dept (deptno NUMBER, dname VARCHAR2(14));\n"
                                "INSERT INTO dept VALUES (10, 'ACCOUNTING');\n"
                                "INSERT INTO dept VALUES (20, 'RESEARCH');\n"
                                "ACCEPT d NUMBER PROMPT '部門番号: '\n"
                                "SELECT dname FROM dept WHERE deptno = &d;\n"
                                "SET VERIFY ON\n"
                                "SELECT '&&who' AS who, '&x' || '&x' AS xx FROM dual;\n"
                                "SELECT '&&who' AS again FROM dual;\n"
                                "SET VERIFY OFF\n"
                                "ACCEPT secret CHAR PROMPT 'Secret: ' HIDE\n"
                                "SELECT LENGTH('&secret') AS n FROM dual;\n"
                                "ACCEPT later DEFAULT 'none' PROMPT 'Later? '\n"
                                "PROMPT &later\n"
                                "DROP TABLE dept;\n";
    const RunResult first = RunScripts({session}, "20\n高橋\nab\ncd\ns3cr3t\n\n");
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_NE(first.out.find("部門番号: 20\n"), std::string::npos) << first.out;
    EXPECT_NE(first.out.find("xに値を入力してください: cd\n"), std::string::npos) << first.out;
    EXPECT_NE(first.out.find("Later? none\n"), std::string::npos) << first.out;
    EXPECT_EQ(first.out.find("s3cr3t"), std::string::npos);

    // Only the hidden answer is read again; another question would take it.
    const RunResult again = RunScripts({first.out}, "s3cr3t\n");
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(again.out, first.out);
}

INSTANTIATE_TEST_SUITE_P(Roads, SavedAnswers, ::testing::Values(Road::Embedded, Road::Server),
                         [](const auto& info) { return info.param == Road::Server ? "Server" : "Embedded"; });

}  // namespace
