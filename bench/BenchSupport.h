#pragma once

// What the benchmarks share: a scratch data directory, typing into a
// console, and a long console to work on.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

#include "console/CSQLEditor.h"

namespace benchsupport {

// A fresh data directory for this process ("name-pid" in the temporary
// folder), made TARVEX_HOME once.
inline std::filesystem::path Home(const std::string& name) {
    static std::filesystem::path home = [&name] {
        std::filesystem::path dir =
            std::filesystem::temp_directory_path() / (name + "-" + std::to_string(::getpid()));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        ::setenv("TARVEX_HOME", dir.c_str(), 1);
        return dir;
    }();
    return home;
}

// `line` typed at the prompt and submitted.
inline void Type(CSQLEditor& editor, const std::string& line) {
    editor.InsertText(line);
    editor.Submit();
}

// A console of `lines` lines: comment lines, each echoed after the prompt.
inline void Fill(CSQLEditor& editor, int lines) {
    std::string text;
    for (int i = 1; i < lines; ++i) text += "REM line " + std::to_string(i) + " of the console\n";
    std::istringstream in(text);
    editor.Load(in);
}

}  // namespace benchsupport
