// Lines in, console text out: every line of the input is typed into one
// console and submitted, as the window and the batch runner do.
#include <cstddef>
#include <cstdint>
#include <string>

#include "console/CSQLEditor.h"
#include "tests/support/TempDir.h"

namespace {

bool TouchesFiles(const std::string& line) {
    const std::size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos) return false;
    if (line[start] == '@') return true;
    std::string word;
    for (std::size_t i = start; i < line.size() && line[i] != ' ' && line[i] != '\t'; ++i)
        word += static_cast<char>(line[i] >= 'a' && line[i] <= 'z' ? line[i] - 'a' + 'A' : line[i]);
    for (const char* command : {"START", "STA", "SAVE", "SAV", "GET"})
        if (word == command) return true;
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TempHome home;
    CSQLEditor editor;
    std::string text(reinterpret_cast<const char*>(data), size);
    std::size_t start = 0;
    int lines = 0;
    while (start <= text.size() && lines < 64) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        ++lines;
        // Scripts, GET and SAVE would read and write files of the machine.
        if (TouchesFiles(line)) continue;
        editor.InsertText(line);
        editor.Submit();
    }
    for (int i = -1; i <= editor.GetLineCount(); ++i) (void)editor.GetLine(i);
    return 0;
}
