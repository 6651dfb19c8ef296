#pragma once

#include <string>
#include <vector>

#include "console/CSQLEditor.h"

// Every line of the console, the input line last.
inline std::vector<std::string> EditorLines(const CSQLEditor& editor) {
    std::vector<std::string> lines;
    for (int i = 0; i < editor.GetLineCount(); ++i) lines.push_back(editor.GetLine(i));
    return lines;
}
