#include "app/CommandTable.h"

namespace commands {
namespace {

constexpr char kFile[] = "ﾌｧｲﾙ(&F)";
constexpr char kEdit[] = "編集(&E)";
constexpr char kView[] = "表示(&V)";
constexpr char kHelp[] = "ﾍﾙﾌﾟ(&H)";

constexpr MenuRow kMenu[] = {
    {kFile, CommandId::FileNew, "新規(&N)\tCtrl+N"},
    {kFile, CommandId::FileOpen, "開く(&O)...\tCtrl+O"},
    {kFile, CommandId::FileSave, "上書き保存(&S)\tCtrl+S"},
    {kFile, CommandId::FileSaveAs, "名前を付けて保存(&A)..."},
    {kFile, CommandId::Separator, nullptr},
    {kFile, CommandId::FilePrint, "印刷(&P)...\tCtrl+P"},
    {kFile, CommandId::FilePrintPreview, "印刷ﾌﾟﾚﾋﾞｭｰ(&V)"},
    {kFile, CommandId::FilePrintSetup, "ﾌﾟﾘﾝﾀの設定(&R)..."},
    {kFile, CommandId::Separator, nullptr},
    {kFile, CommandId::FileMru, "最近使ったﾌｧｲﾙ"},
    {kFile, CommandId::Separator, nullptr},
    {kFile, CommandId::AppExit, "ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)"},
    {kEdit, CommandId::EditUndo, "元に戻す(&U)\tCtrl+Z"},
    {kEdit, CommandId::Separator, nullptr},
    {kEdit, CommandId::EditClear, "ｸﾘｱ(&L)"},
    {kEdit, CommandId::EditCut, "切り取り(&T)\tCtrl+X"},
    {kEdit, CommandId::EditCopy, "ｺﾋﾟｰ(&C)\tCtrl+C"},
    {kEdit, CommandId::EditPaste, "貼り付け(&P)\tCtrl+V"},
    {kEdit, CommandId::Separator, nullptr},
    {kEdit, CommandId::EditSelectAll, "すべて選択(&A)\tCtrl+A"},
    {kEdit, CommandId::Separator, nullptr},
    {kEdit, CommandId::EditFind, "検索(&F)...\tCtrl+F"},
    {kEdit, CommandId::EditFindNext, "次を検索(&N)\tF3"},
    {kView, CommandId::ViewToolBar, "ﾂｰﾙ ﾊﾞｰ(&T)"},
    {kView, CommandId::ViewStatusBar, "ｽﾃｰﾀｽ ﾊﾞｰ(&S)"},
    {kView, CommandId::Separator, nullptr},
    {kView, CommandId::ViewZoomIn, "拡大(&I)\tCtrl++"},
    {kView, CommandId::ViewZoomOut, "縮小(&O)\tCtrl+-"},
    {kView, CommandId::ViewZoomReset, "標準の大きさ(&R)\tCtrl+0"},
    {kView, CommandId::ViewFont, "ﾌｫﾝﾄ(&F)..."},
    {kHelp, CommandId::AppAbout, "ﾊﾞｰｼﾞｮﾝ情報(&A)..."},
};

constexpr PromptRow kPrompts[] = {
    {CommandId::FileNew, "新規にﾌｧｲﾙを作成\n新規ﾌｧｲﾙ"},
    {CommandId::FileOpen, "既存のﾌｧｲﾙを開く\n開く"},
    {CommandId::FileSave, "作業中のﾌｧｲﾙを上書きして保存\n保存"},
    {CommandId::FileSaveAs, "作業中のﾌｧｲﾙを新しい名前で保存\n名前をつけて保存"},
    {CommandId::FilePrint, "作業中のﾌｧｲﾙを印刷\n印刷"},
    {CommandId::FilePrintPreview, "印刷ｲﾒｰｼﾞを表示\n印刷ﾌﾟﾚﾋﾞｭｰ"},
    {CommandId::FilePrintSetup, "ﾌﾟﾘﾝﾀ/印刷ｵﾌﾟｼｮﾝの変更\n印刷設定"},
    {CommandId::EditClear, "選択範囲を消去\n消去"},
    {CommandId::EditCut, "選択範囲を切り取ってｸﾘｯﾌﾟﾎﾞｰﾄﾞに保存\n切り取り"},
    {CommandId::EditCopy, "選択範囲をｺﾋﾟｰしてｸﾘｯﾌﾟﾎﾞｰﾄﾞに保存\nｺﾋﾟｰ"},
    {CommandId::EditPaste, "ｸﾘｯﾌﾟﾎﾞｰﾄﾞの内容を貼り付け\n貼り付け"},
    {CommandId::EditSelectAll, "ｺﾝｿｰﾙ全体を選択\nすべて選択"},
    {CommandId::EditFind, "ｺﾝｿｰﾙ内の文字列を検索\n検索"},
    {CommandId::EditFindNext, "同じ文字列の次を検索\n次を検索"},
    {CommandId::EditUndo, "直前に行った動作を元に戻す\n元に戻す"},
    {CommandId::AppAbout, "ﾌﾟﾛｸﾞﾗﾑの情報、ﾊﾞｰｼﾞｮﾝそして著作権を表示\nﾊﾞｰｼﾞｮﾝ情報"},
    {CommandId::AppExit, "ｱﾌﾟﾘｹｰｼｮﾝを終了し、ﾌｧｲﾙの保存を指示\n終了"},
    {CommandId::ViewToolBar, "ﾂｰﾙ ﾊﾞｰの 表示/非表示\nﾂｰﾙ ﾊﾞｰの表示切り替え"},
    {CommandId::ViewStatusBar, "ｽﾃｰﾀｽ ﾊﾞｰの 表示/非表示\nｽﾃｰﾀｽ ﾊﾞｰの表示切り替え"},
};

constexpr AcceleratorRow kAccelerators[] = {
    {"Ctrl+N", CommandId::FileNew},       {"Ctrl+O", CommandId::FileOpen},
    {"Ctrl+S", CommandId::FileSave},      {"Ctrl+P", CommandId::FilePrint},
    {"Ctrl+Z", CommandId::EditUndo},      {"Ctrl+X", CommandId::EditCut},
    {"Ctrl+C", CommandId::EditCopy},      {"Ctrl+V", CommandId::EditPaste},
    {"Ctrl+A", CommandId::EditSelectAll}, {"Alt+Backspace", CommandId::EditUndo},
    {"Shift+Del", CommandId::EditCut},    {"Ctrl+Ins", CommandId::EditCopy},
    {"Shift+Ins", CommandId::EditPaste},  {"F6", CommandId::NextPane},
    {"Shift+F6", CommandId::PrevPane},    {"Ctrl+F", CommandId::EditFind},
    {"F3", CommandId::EditFindNext},      {"Ctrl++", CommandId::ViewZoomIn},
    {"Ctrl+=", CommandId::ViewZoomIn},    {"Ctrl+-", CommandId::ViewZoomOut},
    {"Ctrl+0", CommandId::ViewZoomReset},
};

constexpr CommandId kToolBar[] = {
    CommandId::FileNew,   CommandId::FileOpen,  CommandId::FileSave,  CommandId::Separator,
    CommandId::EditCut,   CommandId::EditCopy,  CommandId::EditPaste, CommandId::Separator,
    CommandId::FilePrint, CommandId::Separator, CommandId::AppAbout,
};

}  // namespace

std::span<const MenuRow> Menu() { return kMenu; }
std::span<const PromptRow> Prompts() { return kPrompts; }
std::span<const AcceleratorRow> Accelerators() { return kAccelerators; }
std::span<const CommandId> ToolBar() { return kToolBar; }

const char* FindPrompt(CommandId command) {
    for (const auto& row : kPrompts)
        if (row.command == command) return row.prompt;
    return "";
}

}  // namespace commands
