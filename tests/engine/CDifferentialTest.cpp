// Statements over a fixed schema whose answers were worked out from the
// server's rules by data/differential.py (not from this engine), checked
// exactly.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "tests/engine/EngineFixture.h"

namespace {

class CDifferentialTest : public EngineFixture {
protected:
    // The rows of a query, "" after another statement, or the error's
    // "ORA-nnnnn".
    std::string Answer(const std::string& sql) {
        if (sql.rfind("SELECT", 0) != 0) {
            const std::string failure = Failure(sql);
            return failure == "OK" ? "" : failure.substr(0, 9);
        }
        const std::string rows = Rows(sql);
        return rows.rfind("ERROR ", 0) == 0 ? rows.substr(6, 9) : rows;
    }
};

TEST_F(CDifferentialTest, EveryStatementGivesTheServersAnswer) {
    const char* source = std::getenv("TARVEX_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    std::ifstream in(std::string(source) + "/tests/engine/data/differential.txt");
    ASSERT_TRUE(in.good());
    m_connection->SetAutoCommit(true);
    int checked = 0;
    for (std::string line; std::getline(in, line);) {
        std::size_t tab = line.find('\t');
        std::size_t second = line.find('\t', tab + 1);
        std::string sql =
            line.substr(tab + 1, second == std::string::npos ? std::string::npos : second - tab - 1);
        if (line[0] == 'X') {
            ASSERT_EQ(Answer(sql), "") << sql;
            continue;
        }
        EXPECT_EQ(Answer(sql), line.substr(second + 1)) << sql;
        ++checked;
    }
    EXPECT_GT(checked, 300);
}

}  // namespace
