#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "engine/sqlite/CDatabaseLocation.h"

namespace {

// Sets (or, for nullptr, removes) an environment variable for one test.
class EnvironmentOverride {
public:
    EnvironmentOverride(const char* name, const char* value) : m_name(name) {
        const char* old = getenv(name);
        m_had = old != nullptr;
        if (m_had) m_old = old;
        if (value != nullptr)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~EnvironmentOverride() {
        if (m_had)
            setenv(m_name, m_old.c_str(), 1);
        else
            unsetenv(m_name);
    }

private:
    const char* m_name;
    bool m_had = false;
    std::string m_old;
};

}  // namespace

TEST(CDatabaseLocationTest, AllowedAndRefusedNames) {
    struct Case {
        std::string name;
        bool allowed;
    } cases[] = {
        {"TEST", true},
        {"A.B", true},
        {"X$1#_-", true},
        {"\x93\xfa\x96\x7b", true},
        {"\x83\x5c", true},
        {"../X", false},
        {"A/B", false},
        {"A\\B", false},
        {"..", false},
        {".X", false},
        {"A..B", false},
        {"A\tB", false},
        {"A\x7f", false},
        {"C:", false},
        {"A?", false},
        {"A|B", false},
        {"\x81", false},
        {std::string(101, 'A'), false},
        {std::string(100, 'A'), true},
    };
    for (const Case& c : cases) EXPECT_EQ(CDatabaseLocation::CheckName(c.name).empty(), c.allowed) << c.name;
}

TEST(CDatabaseLocationTest, FileNamesAreLowerCase) {
    EXPECT_EQ(CDatabaseLocation::FileName(""), "default.db");
    EXPECT_EQ(CDatabaseLocation::FileName("SALES"), "sales.db");
    EXPECT_EQ(CDatabaseLocation::FileName("Sales_2"), "sales_2.db");
    // A double-byte character's trail byte is never lower-cased: "ソ" is 0x83 0x5C.
    EXPECT_EQ(CDatabaseLocation::FileName("\x83\x5c"
                                          "A"),
              "\xe3\x82\xbd"
              "a.db");
}

TEST(CDatabaseLocationTest, DataDirectoryPrecedence) {
    {
        EnvironmentOverride home("TARVEX_HOME", "/x/home");
        EnvironmentOverride xdg("XDG_DATA_HOME", "/x/xdg");
        EXPECT_EQ(CDatabaseLocation::DataDirectory(), "/x/home");
    }
    {
        EnvironmentOverride home("TARVEX_HOME", nullptr);
        EnvironmentOverride xdg("XDG_DATA_HOME", "/x/xdg");
        EXPECT_EQ(CDatabaseLocation::DataDirectory(), "/x/xdg/tarvex");
    }
    {
        EnvironmentOverride home("TARVEX_HOME", "");
        EnvironmentOverride xdg("XDG_DATA_HOME", nullptr);
        EnvironmentOverride user("HOME", "/x/user");
        EXPECT_EQ(CDatabaseLocation::DataDirectory(), "/x/user/.local/share/tarvex");
    }
}

TEST(CDatabaseLocationTest, ResolveTrimsBlanksAndRefusesBlankNames) {
    char pattern[] = "/tmp/tarvex-location-XXXXXX";
    std::string dir = mkdtemp(pattern);
    EnvironmentOverride home("TARVEX_HOME", (dir + "/new").c_str());
    std::string path;
    std::string error;
    ASSERT_TRUE(CDatabaseLocation::Resolve("  SALES  ", path, error)) << error;
    EXPECT_EQ(path, dir + "/new/sales.db");
    EXPECT_TRUE(std::filesystem::is_directory(dir + "/new"));
    ASSERT_TRUE(CDatabaseLocation::Resolve("", path, error));
    EXPECT_EQ(path, dir + "/new/default.db");
    EXPECT_FALSE(CDatabaseLocation::Resolve("   ", path, error));
    EXPECT_NE(error, "");
    EXPECT_FALSE(CDatabaseLocation::Resolve(" ../ETC ", path, error));
    std::filesystem::remove_all(dir);
}

TEST(CDatabaseLocationTest, UnusableDataDirectoryIsReported) {
    char pattern[] = "/tmp/tarvex-location-XXXXXX";
    std::string dir = mkdtemp(pattern);
    std::string file = dir + "/plain-file";
    FILE* f = fopen(file.c_str(), "w");
    fclose(f);
    EnvironmentOverride home("TARVEX_HOME", file.c_str());
    std::string path;
    std::string error;
    EXPECT_FALSE(CDatabaseLocation::Resolve("X", path, error));
    EXPECT_NE(error.find("data directory"), std::string::npos) << error;
    std::filesystem::remove_all(dir);
}
