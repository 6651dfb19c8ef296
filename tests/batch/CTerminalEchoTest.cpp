// The terminal's echo around a hidden answer, on a pseudo-terminal put in
// the place of standard input for the test.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>

#include "batch/CTerminalEcho.h"

namespace {

class CTerminalEchoTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_master = posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(m_master, 0);
        ASSERT_EQ(grantpt(m_master), 0);
        ASSERT_EQ(unlockpt(m_master), 0);
        m_slave = open(ptsname(m_master), O_RDWR | O_NOCTTY);
        ASSERT_GE(m_slave, 0);
        m_stdin = dup(STDIN_FILENO);
        ASSERT_GE(dup2(m_slave, STDIN_FILENO), 0);
    }
    void TearDown() override {
        CTerminalEcho::Restore();
        if (m_stdin >= 0) dup2(m_stdin, STDIN_FILENO);
        for (int fd : {m_stdin, m_slave, m_master})
            if (fd >= 0) close(fd);
    }
    bool Echoes() const {
        struct termios mode {};
        tcgetattr(m_slave, &mode);
        return (mode.c_lflag & ECHO) != 0;
    }
    int m_master = -1;
    int m_slave = -1;
    int m_stdin = -1;
};

}  // namespace

TEST_F(CTerminalEchoTest, HiddenOnlyUntilRestoredAndNeverTwice) {
    ASSERT_TRUE(Echoes());
    EXPECT_TRUE(CTerminalEcho::Hide());
    EXPECT_FALSE(Echoes());
    // A second Hide must not take the quiet mode as the one to restore.
    EXPECT_FALSE(CTerminalEcho::Hide());
    CTerminalEcho::Restore();
    EXPECT_TRUE(Echoes());
    CTerminalEcho::Restore();
    EXPECT_TRUE(Echoes());
}

TEST(CTerminalEchoNoTerminal, LeavesOtherInputAlone) {
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    int saved = dup(STDIN_FILENO);
    dup2(pipeEnds[0], STDIN_FILENO);
    EXPECT_FALSE(CTerminalEcho::Hide());
    dup2(saved, STDIN_FILENO);
    for (int fd : {saved, pipeEnds[0], pipeEnds[1]}) close(fd);
}
