// Statements over a fixed schema whose answers were worked out from the
// server's rules by data/differential.py (not from this engine), checked
// exactly.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "engine/sqlite/CSqliteConnection.h"
#include "tests/oracle/TempHome.h"
#include "text/Encoding.h"

namespace {

std::string Answer(CSqliteConnection& connection, const std::string& utf8) {
    std::vector<CEngineBind> binds;
    std::string sql = encoding::Utf8ToCp932(utf8);
    bool query = utf8.rfind("SELECT", 0) == 0;
    CEngineResult result;
    long rows = 0;
    bool ok = query ? connection.Query(sql, binds, result) : connection.Execute(sql, binds, rows);
    if (!ok) return connection.LastError().message.substr(0, 9);
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

}  // namespace

TEST(CDifferentialTest, EveryStatementGivesTheServersAnswer) {
    const char* source = std::getenv("TARVEX_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    std::ifstream in(std::string(source) + "/tests/engine/data/differential.txt");
    ASSERT_TRUE(in.good());
    TempHome home;
    CEngineError error;
    auto connection = CSqliteConnection::Open("", error);
    ASSERT_NE(connection, nullptr) << error.message;
    connection->SetAutoCommit(true);
    int checked = 0;
    for (std::string line; std::getline(in, line);) {
        std::size_t tab = line.find('\t');
        std::size_t second = line.find('\t', tab + 1);
        std::string sql =
            line.substr(tab + 1, second == std::string::npos ? std::string::npos : second - tab - 1);
        if (line[0] == 'X') {
            ASSERT_EQ(Answer(*connection, sql), "") << sql;
            continue;
        }
        EXPECT_EQ(Answer(*connection, sql), line.substr(second + 1)) << sql;
        ++checked;
    }
    EXPECT_GT(checked, 300);
}
