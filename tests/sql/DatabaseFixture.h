#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "interpreter/CSQLProcessor.h"
#include "interpreter/TestSupport.h"
#include "oracle/ODatabase.h"
#include "oracle/OSession.h"
#include "oracle/OStartup.h"
#include "tests/support/TempDir.h"

// One console's interpreter over the embedded database, in a directory of
// its own for each test.
class DatabaseFixture : public ::testing::Test {
protected:
    struct Console {
        OSession session;
        ODatabase database;
        CSQLProcessor processor;
    };

    void SetUp() override {
        OStartup(1);
        m_console = std::make_unique<Console>();
        m_console->processor.SetConnection(&m_console->session, &m_console->database);
    }

    void TearDown() override {
        m_console.reset();
        OShutdown();
    }

    CSQLProcessor& Processor() { return m_console->processor; }
    ODatabase& Database() { return m_console->database; }
    OSession& Session() { return m_console->session; }

    // Lines typed one after another; the output of every statement.
    CScriptLines Run(const std::vector<std::string>& lines) { return Feed(Processor(), lines); }

    void Connect() { ASSERT_EQ(Run({"connect scott/tiger"}), SjLines({"接続に成功しました。"})); }

    TempHome m_home;
    std::unique_ptr<Console> m_console;
};

// The same, connected before each test.
class ConnectedFixture : public DatabaseFixture {
protected:
    void SetUp() override {
        DatabaseFixture::SetUp();
        Connect();
    }
};
