// Editing operations on the input line in any order, checking after each
// that the caret stays on the input line and nothing reads past its end.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "console/CSQLEditor.h"

namespace {

void Check(const CSQLEditor& editor) {
    auto [column, row] = editor.GetCaretPos();
    std::string line = editor.GetLine(editor.GetLineCount() - 1);
    if (column < 5 || column > static_cast<int>(line.size())) std::abort();
    if (row != editor.GetLineCount() - 1) std::abort();
    if (editor.GetSelectedText().size() > line.size()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CSQLEditor editor;
    std::size_t i = 0;
    auto next = [&]() -> uint8_t { return i < size ? data[i++] : 0; };
    while (i < size) {
        uint8_t op = next();
        bool shift = (op & 0x80) != 0;
        switch (op & 0x0F) {
            case 0: {
                std::string text(1, static_cast<char>(next()));
                if (op & 0x40) text += static_cast<char>(next());
                editor.InsertText(text);
                break;
            }
            case 1:
                editor.DeleteForward();
                break;
            case 2:
                editor.DeleteBackward();
                break;
            case 3:
                editor.MoveCaret(-1, shift);
                break;
            case 4:
                editor.MoveCaret(+1, shift);
                break;
            case 5:
                editor.MoveCaret(0, shift);
                break;
            case 6:
                editor.MoveCaretHome(shift);
                break;
            case 7:
                editor.MoveCaretEnd(shift);
                break;
            case 8:
                editor.SetCaretColumn(static_cast<int>(next()) - 16, 0, shift);
                break;
            case 9:
                editor.RecallHistory((op & 0x40) ? -1 : +1);
                break;
            case 10:
                editor.Undo();
                break;
            case 11:
                editor.ToggleOverwrite();
                break;
            case 12:
                editor.ClearSelection();
                break;
            case 13:
                if (op & 0x40) editor.Clear();
                break;
            case 14: {
                // Submit only text that cannot reach a database or a file.
                std::string line = editor.GetLine(editor.GetLineCount() - 1).substr(5);
                if (line.empty() || (line[0] != '@' && line.find('/') == std::string::npos)) editor.Submit();
                break;
            }
            default:
                (void)editor.IsSelected(static_cast<int>(next()));
                break;
        }
        Check(editor);
    }
    return 0;
}
