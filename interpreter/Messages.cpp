#include "interpreter/Messages.h"

#include <array>
#include <charconv>
#include <iterator>
#include <string_view>

#include "text/Encoding.h"

namespace {

struct MessageRow {
    Message id;
    const char* utf8;
};

// Note: written here in UTF-8 for reading; converted to CP932 once.
constexpr MessageRow kMessages[] = {
    {Message::UnknownCommand, "不明なコマンドです。"},
    {Message::NoDatabase, "データベースに接続されていません。"},
    {Message::RowsSelected, "%d行が選択されました。"},
    {Message::ErrorLine, "エラー行: %d: エラーが発生しました。"},
    {Message::ConnectUsage, "ユーザ名/パスワードを指定して下さい。"},
    {Message::Connected, "接続に成功しました。"},
    {Message::Disconnected, "接続を切断しました"},
    {Message::NotConnected, "接続されていません。"},
    {Message::DescribeHeader, "名前                 NULL?    型"},
    {Message::DescribeRule, "-------------------- -------- --------------------"},
    {Message::DescribeNoObject, "ORA-04043: オブジェクト%sは存在しません。"},
    {Message::VariableUsage, "使用方法: VAR[IABLE] [<変数> [<タイプ>]]"},
    {Message::ExecuteUsage, "使用方法: EXEC(UTE) statement"},
    {Message::BlockCompleted, "PL/SQLプロシージャが正常に完了しました。"},
    {Message::VariableNotDeclared, "変数が宣言されていません。"},
    {Message::ServerOutputValue, "serveroutputをONまたはOFFに設定する必要があります。"},
    {Message::NumWidthRange, "numwidthオプション %sが範囲外です(範囲: 2～50)。"},
    {Message::AutoCommitValue, "不明なSET autocommitオプションです。"},
    {Message::HeadingValue, "headingをONまたはOFFに設定する必要があります。"},
    {Message::ShowUnknown, "不明なSHOWオプションです。"},
    {Message::FormatInvalid, "FORMAT文字列\"%s\"が不正です。"},
    {Message::StatementProcessed, "文が処理されました。"},
    {Message::WheneverUsage,
     "使用方法: WHENEVER SQLERROR|OSERROR {EXIT [SUCCESS|FAILURE|WARNING|n|SQL.SQLCODE] "
     "[COMMIT|ROLLBACK]|CONTINUE}"},
    {Message::OnOffValue, "%sをONまたはOFFに設定する必要があります。"},
    {Message::SetUnavailable, "SET %s は使用できません。"},
    {Message::Elapsed, "経過時間: %s"},
    {Message::NumWidthInvalid, "numwidthオプション %sは数値ではありません。"},
    {Message::LockWaitRange, "lockwaitオプション %sが範囲外です(範囲: 0～3600秒)。"},
    {Message::ArraySizeRange, "arraysizeオプション %sが範囲外です(範囲: 1～5000)。"},
    {Message::ArraySizeUsage, "使用方法: SET ARRAY[SIZE] 1～5000またはAUTO"},
    {Message::ServerOutputSize, "serveroutputのSIZEは2000～1000000またはUNLIMITEDで指定してください。"},
    {Message::ReplacedCharacters,
     "%d文字はCP932で表せないため〓で表示しました。表示された値をそのまま書き戻さないでください。"},
    {Message::ShowUser, "USERは\"%s\"です。"},
    {Message::NewPassword, "新しいパスワード: "},
    {Message::NewPasswordAgain, "新しいパスワードを再入力してください: "},
    {Message::PasswordMismatch, "パスワードが一致しません。パスワードは変更されていません。"},
    {Message::PasswordNotRead, "新しいパスワードを読み取れません。パスワードは変更されていません。"},
    {Message::PasswordChanged, "パスワードが変更されました。"},
    {Message::LongRange, "longオプション %sが範囲外です(範囲: 1～2000000000)。"},
    {Message::LongUsage, "使用方法: SET LONG n"},
    {Message::BlankLinesKept,
     "SQLBLANKLINES OFFは使用できません。文中の空行は常に文の一部として保持されます。"},
    {Message::CommitFailedStillConnected,
     "コミットできなかったため、接続は切断されていません。COMMITをやり直すか、ROLLBACKで取り消して下さい。"},
    {Message::CommitFailedNoExit,
     "コミットできなかったため、終了しませんでした。COMMITをやり直すか、ROLLBACKで取り消して下さい。"},
    {Message::NulInStatement, "NUL文字(0x00)を含む文は実行できません。"},
    {Message::NoErrors, "エラーはありません。"},
    {Message::ErrorsOf, "%sのエラーです。"},
    {Message::ErrorsHeader, "LINE/COL ERROR"},
    {Message::ErrorsRule, "-------- -----------------------------------------------------------------"},
    {Message::NumWidthUsage, "numwidthには2から50までの数値を指定する必要があります。"},
    {Message::LockWaitUsage, "lockwaitには0から3600までの秒数を指定する必要があります。"},
    {Message::FeedbackUsage, "%sにはON、OFFまたは行数を指定する必要があります。"},
    {Message::ReportOptionUsage, "%sに設定する値を指定する必要があります。"},
    {Message::MarkupUsage, "使用方法: SET MARKUP CSV {ON|OFF} [DELIMITER 文字] [QUOTE {ON|OFF}]"},
    {Message::EncodingUsage, "%sにはCP932またはUTF-8を指定する必要があります。"},
    {Message::SymbolUndefined, "シンボル%sは定義されていません。"},
    {Message::EnterValue, "%sに値を入力してください: "},
    {Message::VerifyOld, "旧"},
    {Message::VerifyNew, "新"},
    {Message::CharacterOptionUsage, "%sにはON、OFFまたは1文字を指定する必要があります。"},
    {Message::AcceptUsage,
     "使用方法: ACCEPT 変数 [NUMBER|CHAR|DATE] [FORMAT 書式] [DEFAULT 既定値] [PROMPT テキスト|NOPROMPT] "
     "[HIDE]"},
    {Message::NoValueForAccept, "変数%sの値が入力されませんでした。"},
    {Message::NotANumber, "\"%s\"は有効な数値ではありません。"},
    {Message::ScriptCannotOpen, "ファイルを開けません: "},
    {Message::ScriptCycle, "スクリプトの呼び出しが循環しています: "},
    {Message::ScriptTooDeep, "スクリプトの呼び出しが深すぎます: "},
    {Message::ScriptUnreadable, "スクリプトを読めません: "},
    {Message::ScriptTooLarge, "スクリプトの行数が上限(10000000行)を超えたため、以降を実行しません: "},
    {Message::BufferEmpty, "SQLバッファに行がありません。"},
    {Message::BufferBadLine, "行番号が不正です。"},
    {Message::BufferNothingToRun, "SQLバッファに実行する文がありません。"},
    {Message::ChangeUsage, "使用方法: C[HANGE] /旧/新/"},
    {Message::ChangeNotFound, "文字列が見つかりません。"},
    {Message::SaveUsage, "使用方法: SAVE ファイル名[.拡張子] [CREATE|REPLACE|APPEND]"},
    {Message::SaveExists, "ファイル\"%s\"はすでに存在します。SAVE ファイル名 REPLACE を使って下さい。"},
    {Message::SaveFailed, "ファイル%sに書き込めません。"},
    {Message::SaveCreated, "ファイル%sを作成しました。"},
    {Message::SaveReplaced, "ファイル%sに書き込みました。"},
    {Message::SaveAppended, "ファイル%sに追加しました。"},
    {Message::GetUsage, "使用方法: GET ファイル名[.拡張子]"},
    {Message::EditUnavailable,
     "EDITはウィンドウで使うコマンドです。ここではLIST、CHANGE、APPEND、INPUTで編集して下さい。"},
    {Message::ExitUsage,
     "使用方法: {EXIT|QUIT} [SUCCESS|FAILURE|WARNING|n|変数|:バインド変数] [COMMIT|ROLLBACK]"},
    {Message::ShowRelease, "リリース %s"},
    {Message::EnterUser, "ユーザー名を入力してください: "},
    {Message::EnterPassword, "パスワードを入力してください: "},
    {Message::UnheldCharacter, "文字%sはCP932で表せないため、この文は実行しませんでした。"},
    {Message::NoValueFor, "置換変数%sの値が入力されなかったため、文を実行しませんでした。"},
    {Message::ClearUsage, "使用方法: CLEAR {BREAKS|BUFFER|COLUMNS|COMPUTES|SCREEN|SQL|TIMING} ..."},
    {Message::ClearUnknown, "不明なCLEARオプション\"%s\"です。"},
    {Message::AcceptFormatMismatch, "\"%s\"は入力書式\"%s\"に一致しません。"},
    {Message::AcceptDateMismatch, "日付\"%s\"が無効か、書式\"%s\"に一致しません。"},
    {Message::AcceptSessionDateMismatch, "日付\"%s\"が無効か、セッションの日付書式に一致しません。"},
    {Message::AcceptFormatUsage, "%sの値には書式\"%s\"を使えません。"},
};

constexpr std::size_t kMessageCount = std::size(kMessages);

const std::array<std::string, kMessageCount>& ConvertedMessages() {
    static const std::array<std::string, kMessageCount> texts = [] {
        std::array<std::string, kMessageCount> out;
        for (const auto& row : kMessages)
            out[static_cast<std::size_t>(row.id)] = encoding::Utf8ToCp932(row.utf8);
        return out;
    }();
    return texts;
}

std::string ReplaceFirst(std::string_view format, std::string_view directive, std::string_view value) {
    const std::size_t at = format.find(directive);
    if (at == std::string_view::npos) return std::string(format);
    std::string out;
    out.reserve(format.size() - directive.size() + value.size());
    out.append(format.substr(0, at)).append(value).append(format.substr(at + directive.size()));
    return out;
}

}  // namespace

const std::string& MessageText(Message message) {
    return ConvertedMessages().at(static_cast<std::size_t>(message));
}

std::string FormatCount(const std::string& format, long value) {
    char digits[24];
    const char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    return ReplaceFirst(format, "%d", std::string_view(digits, static_cast<std::size_t>(end - digits)));
}

std::string FormatText(const std::string& format, const std::string& value) {
    return ReplaceFirst(format, "%s", value);
}
