#pragma once

// A fresh default database on the embedded engine, with statements and
// queries written in UTF-8 as the tests are.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/sqlite/CSqliteConnection.h"
#include "tests/support/TempDir.h"
#include "text/Encoding.h"

class EngineFixture : public ::testing::Test {
protected:
    void SetUp() override {
        CEngineError error;
        m_connection = CSqliteConnection::Open("", error);
        ASSERT_NE(m_connection, nullptr) << error.message;
    }
    void Exec(const std::string& sql) { EXPECT_EQ(Failure(sql), "OK") << sql; }
    // "OK", or the message of the failure.
    std::string Failure(const std::string& sql) {
        long rows = 0;
        if (m_connection->Execute(encoding::Utf8ToCp932(sql), m_binds, rows)) return "OK";
        return Error();
    }
    // The rows, values joined by ',' and rows by '|'; NULL as "-".
    std::string Rows(const std::string& sql) {
        CEngineResult result;
        if (!m_connection->Query(encoding::Utf8ToCp932(sql), m_binds, result)) return "ERROR " + Error();
        std::string out;
        for (std::size_t row = 0; row < result.RowCount(); ++row) {
            if (row > 0) out += "|";
            for (std::size_t column = 0; column < result.Columns().size(); ++column) {
                if (column > 0) out += ",";
                out += result.IsNull(row, column) ? std::string("-")
                                                  : encoding::Cp932ToUtf8(result.Value(row, column));
            }
        }
        return out;
    }
    // The message in UTF-8.
    std::string Error() const { return encoding::Cp932ToUtf8(m_connection->LastError().message); }

    TempHome m_home;
    std::vector<CEngineBind> m_binds;
    std::unique_ptr<CSqliteConnection> m_connection;
};
