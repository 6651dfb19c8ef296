// A console file in, a console file out: the bytes are loaded as opening a
// file does (every line replayed into a fresh console, scripts included from
// a scratch directory), then the console is saved again.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "console/CSQLEditor.h"
#include "tests/support/TempDir.h"

namespace {

// Scripts an input may name after "@": one includes the other.
void WriteScripts(const std::string& dir) {
    std::ofstream(dir + "/a.sql") << "SHOW NUM\n@b.sql\n";
    std::ofstream(dir + "/b.sql") << "CONNECT a/b\r\nSELECT 1 FROM dual;\n@a.sql\n";
}

// Lines naming files outside the scratch directory are dropped: they would
// read the machine's files.
std::string KeepInside(const std::string& text) {
    std::istringstream in(text);
    std::string out;
    for (std::string line; std::getline(in, line);) {
        const std::size_t at = line.find('@');
        if (at != std::string::npos &&
            (line.find('/', at) != std::string::npos || line.find("..", at) != std::string::npos))
            continue;
        out += line + "\n";
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Note: scripts are named relative to the working directory, which the
    // fuzzer's own relative paths need back afterwards.
    static const std::filesystem::path start = std::filesystem::current_path();
    TempHome home;
    if (chdir(home.Path().c_str()) != 0) return 0;
    WriteScripts(home.Path());
    std::istringstream file(KeepInside(std::string(reinterpret_cast<const char*>(data), size)));
    {
        CSQLEditor editor;
        editor.Load(file);
        std::ostringstream saved;
        if (!editor.Store(saved)) std::abort();
        if (saved.str().size() < 5 || saved.str().compare(saved.str().size() - 5, 5, "SQL> ") != 0)
            std::abort();
        for (int i = -1; i <= editor.GetLineCount(); ++i) (void)editor.GetLine(i);
    }
    std::filesystem::current_path(start);
    return 0;
}
