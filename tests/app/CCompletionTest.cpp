#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "app/CCompletion.h"
#include "console/CSQLEditor.h"
#include "tests/support/TempDir.h"

namespace {

using Names = std::vector<std::string>;

TEST(CCompletion, WordsCompleteFromKeywordsAndDictionaryNames) {
    CCompletion completion;
    completion.SetNames({"EMP", "EMPLOYEES", "DEPT", "SELECTION"});
    const struct {
        std::string input;
        int caret;
        int wordStart;
        std::string insertion;
        Names candidates;
    } cases[] = {
        {"sel", 3, 0, "ect", {"select", "selection"}},
        {"SELECT * FROM EM", 16, 14, "P", {"EMP", "EMPLOYEES"}},
        {"SELECT * FROM em", 16, 14, "p", {"emp", "employees"}},
        {"select * from empl", 18, 14, "oyees", {"employees"}},
        {"select * from emp where x", 17, 14, "", {"emp", "employees"}},  // caret after "emp"
        {"select dep", 10, 7, "t", {"dept"}},
        {"select de", 9, 7, "", {"declare", "default", "define", "delete", "dept", "desc", "describe"}},
        {"select ", 7, 7, "", {}},
        {"x \x83\x41"
         "E",
         5,
         4,
         "",
         {}},  // "ア" ends in the byte "A": only "E" is the word
        {"x \x83\x41"
         "DEP",
         7,
         4,
         "T",
         {"DEPT"}},
        {"zzz", 3, 0, "", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        const auto result = completion.Complete(c.input, c.caret);
        EXPECT_EQ(result.wordStart, c.wordStart);
        EXPECT_EQ(result.insertion, c.insertion);
        if (!c.candidates.empty() || c.input == "zzz") {
            EXPECT_EQ(result.candidates, c.candidates);
        }
    }
    EXPECT_FALSE(completion
                     .Complete("x \x83\x41"
                               "E",
                               5)
                     .candidates.empty());
}

TEST(CCompletion, ScriptCallsCompleteFileNames) {
    testfiles::ScratchDir dir;
    dir.Write("emp.sql", "");
    dir.Write("employees.sql", "");
    std::filesystem::create_directory("reports");
    dir.Write("reports/daily.sql", "");
    CCompletion completion;
    completion.SetNames({"EMPTY"});
    const struct {
        std::string input;
        std::string insertion;
        Names candidates;
    } cases[] = {
        {"@em", "p", {"emp.sql", "employees.sql"}},
        {"@emp.", "sql", {"emp.sql"}},
        {"@@rep", "orts/", {"reports/"}},
        {"  start reports/d", "aily.sql", {"reports/daily.sql"}},
        {"@nothing", "", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        const auto result = completion.Complete(c.input, static_cast<int>(c.input.size()));
        EXPECT_EQ(result.insertion, c.insertion);
        EXPECT_EQ(result.candidates, c.candidates);
    }
}

// The names come from the dictionary of the database connected, on the
// embedded engine and through the client library alike.
TEST(CCompletion, NamesComeFromTheConnectedDictionaryOnBothEngines) {
    testfiles::ScratchDir dir;
    setenv("TARVEX_HOME", dir.Path().c_str(), 1);
    const char* library = std::getenv("TARVEX_FAKEOCI");
    for (const std::string& target : {std::string("names"), std::string("//localhost/NAMES")}) {
        SCOPED_TRACE(target);
        if (target[0] == '/') {
            if (library == nullptr) GTEST_SKIP() << "TARVEX_FAKEOCI is not set";
            setenv("TARVEX_OCI_LIBRARY", library, 1);
        }
        CSQLEditor editor;
        EXPECT_TRUE(CCompletion::ReadNames(editor.GetDatabase()).empty());  // not connected
        std::istringstream script("CONNECT u/p@" + target +
                                  "\nCREATE TABLE orders (order_id NUMBER, placed DATE);\n"
                                  "CREATE VIEW recent AS SELECT order_id FROM orders;\n");
        editor.Load(script);
        std::vector<std::string> names = CCompletion::ReadNames(editor.GetDatabase());
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (Names{"ORDERS", "ORDER_ID", "PLACED", "RECENT"}));
    }
    unsetenv("TARVEX_OCI_LIBRARY");
}

}  // namespace
