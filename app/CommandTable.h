#pragma once

#include <span>

// The commands of the main frame: menus, accelerators, tool bar and the
// prompts shown in the status bar are rows of the tables below.
enum class CommandId {
    FileNew,
    FileOpen,
    FileSave,
    FileSaveAs,
    FilePrint,
    FilePrintPreview,
    FilePrintSetup,
    FileMru,
    AppExit,
    EditUndo,
    EditClear,
    EditCut,
    EditCopy,
    EditPaste,
    EditSelectAll,
    EditFind,
    EditFindNext,
    ViewToolBar,
    ViewStatusBar,
    ViewZoomIn,
    ViewZoomOut,
    ViewZoomReset,
    ViewFont,
    AppAbout,
    NextPane,
    PrevPane,
    Separator,
};

struct MenuRow {
    const char* menu;   // UTF-8 title of the top-level menu
    CommandId command;  // Separator: a separator line
    const char* label;  // UTF-8 item label, accelerator text after a tab
};

struct PromptRow {
    CommandId command;
    const char* prompt;  // status bar text, then "\n" and the tool tip
};

struct AcceleratorRow {
    const char* keys;  // in QKeySequence's portable text form
    CommandId command;
};

namespace commands {

std::span<const MenuRow> Menu();
std::span<const PromptRow> Prompts();
std::span<const AcceleratorRow> Accelerators();
// Tool bar buttons in order; Separator between groups.
std::span<const CommandId> ToolBar();

// The prompt of `command` up to its "\n" and the tool tip after it; empty
// texts for a command without a prompt.
const char* FindPrompt(CommandId command);

}  // namespace commands
