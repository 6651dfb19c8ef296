#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "engine/sqlite/CDatabaseLocation.h"
#include "tests/support/TempDir.h"
#include "text/Encoding.h"

namespace {

// Sets (or, for nullptr, removes) an environment variable for one scope.
class EnvironmentOverride {
public:
    EnvironmentOverride(const char* name, const char* value) : m_name(name), m_had(getenv(name) != nullptr) {
        if (m_had) m_old = getenv(name);
        value != nullptr ? setenv(name, value, 1) : unsetenv(name);
    }
    ~EnvironmentOverride() { m_had ? setenv(m_name, m_old.c_str(), 1) : unsetenv(m_name); }

private:
    const char* m_name;
    bool m_had;
    std::string m_old;
};

}  // namespace

TEST(CDatabaseLocationTest, AllowedAndRefusedNames) {
    const std::vector<std::string> allowed = {
        "TEST", "A.B", "X$1#_-", "\x93\xfa\x96\x7b", "\x83\x5c", std::string(100, 'A')};
    const std::vector<std::string> refused = {"../X", "A/B",  "A\\B",   "..",    ".X",
                                              "A..B", "A\tB", "A\001B", "A\x7f", "C:",
                                              "A?",   "A*",   "A|B",    "\x81",  std::string(101, 'A')};
    for (const std::string& name : allowed) EXPECT_EQ(CDatabaseLocation::CheckName(name), "") << name;
    for (const std::string& name : refused) EXPECT_NE(CDatabaseLocation::CheckName(name), "") << name;
}

TEST(CDatabaseLocationTest, FileNamesAreLowerCase) {
    EXPECT_EQ(CDatabaseLocation::FileName(""), "default.db");
    EXPECT_EQ(CDatabaseLocation::FileName("Sales_2"), "sales_2.db");
    // A double-byte character's trail byte is never lower-cased: "ソ" is 0x83 0x5C.
    EXPECT_EQ(CDatabaseLocation::FileName("\x83\x5c"
                                          "A"),
              "\xe3\x82\xbd"
              "a.db");
}

TEST(CDatabaseLocationTest, DataDirectoryPrecedence) {
    {
        EnvironmentOverride home("TARVEX_HOME", "/x/home"), xdg("XDG_DATA_HOME", "/x/xdg");
        EXPECT_EQ(CDatabaseLocation::DataDirectory(), "/x/home");
    }
    {
        EnvironmentOverride home("TARVEX_HOME", nullptr), xdg("XDG_DATA_HOME", "/x/xdg");
        EXPECT_EQ(CDatabaseLocation::DataDirectory(), "/x/xdg/tarvex");
    }
    EnvironmentOverride home("TARVEX_HOME", ""), xdg("XDG_DATA_HOME", nullptr), user("HOME", "/x/user");
    EXPECT_EQ(CDatabaseLocation::DataDirectory(), "/x/user/.local/share/tarvex");
}

TEST(CDatabaseLocationTest, ResolveCreatesTheDirectoryTrimsBlanksAndRefusesBadNames) {
    testfiles::TempDir temp;
    const std::string& dir = temp.Path();
    std::string path, error;
    {
        EnvironmentOverride home("TARVEX_HOME", (dir + "/new/a").c_str());
        ASSERT_TRUE(CDatabaseLocation::Resolve("  SALES  ", path, error)) << error;
        EXPECT_EQ(path, dir + "/new/a/sales.db");
        EXPECT_TRUE(std::filesystem::is_directory(dir + "/new/a"));
        ASSERT_TRUE(CDatabaseLocation::Resolve("", path, error));
        EXPECT_EQ(path, dir + "/new/a/default.db");
        EXPECT_FALSE(CDatabaseLocation::Resolve("   ", path, error));
        EXPECT_NE(error, "");
        EXPECT_FALSE(CDatabaseLocation::Resolve(" ../ETC ", path, error));
    }
    std::ofstream(dir + "/plain-file") << "";
    EnvironmentOverride home("TARVEX_HOME", (dir + "/plain-file").c_str());
    EXPECT_FALSE(CDatabaseLocation::Resolve("X", path, error));
    EXPECT_NE(encoding::Cp932ToUtf8(error).find("データ・ディレクトリ"), std::string::npos);
    std::filesystem::remove_all(dir);
}
