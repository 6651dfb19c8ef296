#include <gtest/gtest.h>

#include "app/CHistoryFile.h"
#include "tests/app/AppTestSupport.h"

namespace {

TEST(CHistoryFileTest, PasswordsNeverReachTheFile) {
    const struct {
        CScriptLines history;
        CScriptLines kept;
    } cases[] = {
        {{"CONNECT scott/tiger@db"}, {"CONNECT scott@db"}},
        {{"  conn scott/tiger"}, {"  conn scott"}},
        {{"connect scott/ti\x83\x40ger@db"}, {"connect scott@db"}},  // a trail byte "@" is not the end
        {{"CONNECT scott/tiger -", "@db", "REM next"}, {"REM next"}},
        {{"CONNECT -", "scott/tiger", "REM next"}, {"REM next"}},
        {{"ALTER USER x IDENTIFIED BY secret;", "SELECT 1 FROM DUAL;"}, {"SELECT 1 FROM DUAL;"}},
        {{"CONNECTED/x", "SELECT a/b FROM t;", ""}, {"CONNECTED/x", "SELECT a/b FROM t;", ""}},
        {{"connect u/\"pw 8\"@demo"}, {"connect u@demo"}},
        {{"connect u/\"pw 8\""}, {"connect u"}},
        {{"CONNECT u/\"a@b/c\" AS SYSDBA"}, {"CONNECT u AS SYSDBA"}},
        {{"connect \"we/ird\"/\"p w\"@//host:1521/svc"}, {"connect \"we/ird\"@//host:1521/svc"}},
        {{"connect u@//host/svc"}, {"connect u@//host/svc"}},
        {{"connect u/\"open quote @db"}, {"connect u"}},
        {{"CONNECT / AS SYSDBA", "conn /@db"}, {"CONNECT / AS SYSDBA", "conn /@db"}},
        {{"conn u[proxy]/pw@db"}, {"conn u[proxy]@db"}},
    };
    for (const auto& c : cases) EXPECT_EQ(CHistoryFile::Keep(c.history), c.kept) << c.history.front();
}

TEST(CHistoryFileTest, EntriesRoundTripWithLineBreaksAndBackslashes) {
    testfiles::ScratchDir files;
    const std::string path = files.Path("dir/history.txt");
    // "表" ends in the byte "\"; a pasted entry holds CR LF.
    const CScriptLines history = {"SELECT '\x95\x5c' FROM t;", "a\r\nb", "c:\\n\\", "", "\\r"};
    ASSERT_TRUE(CHistoryFile::Save(path, history));
    EXPECT_EQ(CHistoryFile::Load(path), history);
    EXPECT_EQ(testfiles::Read(path).find('\r'), std::string::npos);
}

TEST(CHistoryFileTest, AtMostTheLastThousandEntriesAreKept) {
    testfiles::ScratchDir files;
    const std::string path = files.Path("history.txt");
    CScriptLines history;
    for (int i = 0; i < 1500; ++i) history.push_back("REM " + std::to_string(i));
    ASSERT_TRUE(CHistoryFile::Save(path, history));
    CScriptLines loaded = CHistoryFile::Load(path);
    ASSERT_EQ(loaded.size(), CHistoryFile::kMaxEntries);
    EXPECT_EQ(loaded.front(), "REM 500");
    EXPECT_EQ(loaded.back(), "REM 1499");
    // A file written elsewhere with more lines is cut on reading too.
    std::string text;
    for (int i = 0; i < 1200; ++i) text += "x" + std::to_string(i) + "\r\n";
    files.Write("big.txt", text);
    loaded = CHistoryFile::Load(files.Path("big.txt"));
    ASSERT_EQ(loaded.size(), CHistoryFile::kMaxEntries);
    EXPECT_EQ(loaded.back(), "x1199");
    EXPECT_TRUE(CHistoryFile::Load(files.Path("missing.txt")).empty());
    EXPECT_FALSE(CHistoryFile::Save(files.Path("history.txt/inside"), history));
}

}  // namespace
