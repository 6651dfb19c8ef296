#include "engine/sqlite/CSqliteFailure.h"

#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>

#include "engine/sqlite/COraError.h"
#include "text/Encoding.h"

namespace {

struct FailureText {
    int resultCode;
    int serverCode;
    const char* utf8;  // "%d": the lock wait in seconds
};

// Note: written here in UTF-8 for reading; converted to CP932 when used.
constexpr FailureText kFailures[] = {
    {SQLITE_BUSY, 54,
     "ORA-00054: リソース・ビジーです。他のプロセスがデータベースをロックしているため、%d秒待っても"
     "実行できませんでした。"},
    {SQLITE_LOCKED, 54,
     "ORA-00054: リソース・ビジーです。他のプロセスがデータベースをロックしているため、%d秒待っても"
     "実行できませんでした。"},
    {SQLITE_READONLY, 16000, "ORA-16000: データベースは読取り専用です。書き込めません: "},
    {SQLITE_FULL, 1653, "ORA-01653: ディスクがいっぱいのため、データベースに書き込めません: "},
    {SQLITE_IOERR, 1114, "ORA-01114: データベース・ファイルの入出力でエラーが発生しました: "},
    {SQLITE_NOMEM, 4030, "ORA-04030: メモリーが不足しています。"},
    {SQLITE_INTERRUPT, 1013, "ORA-01013: 操作は取り消されました。"},
};

constexpr int kTransactionCode = 2091;
constexpr const char* kRolledBack =
    "ORA-02091: トランザクション全体がロールバックされました。ROLLBACKを実行するまで、以降の文は実行"
    "されません。";
constexpr const char* kLost =
    "ORA-02091: トランザクションはロールバックされています。ROLLBACKを実行するまで文は実行されません。";
constexpr const char* kNotCommitted =
    "ORA-02091: トランザクションはロールバックされています。変更はコミットされていません。ROLLBACKを実行"
    "してください。";
constexpr int kInvalidCharacterCode = 911;
constexpr const char* kNulInStatement = "ORA-00911: 文にNUL文字(0x00)が含まれているため実行できません。";
constexpr const char* kNulInBind =
    "ORA-00911: バインド変数の値にNUL文字(0x00)が含まれているため実行できません: ";
constexpr const char* kReadOnlyDirectory =
    "ORA-16000: データベースのディレクトリが読取り専用のため、書き込めません: ";

const FailureText* Find(int resultCode) {
    for (const auto& row : kFailures)
        if (row.resultCode == (resultCode & 0xFF)) return &row;
    return nullptr;
}

std::string Text(const char* utf8) { return encoding::Utf8ToCp932(utf8); }

void Set(CEngineError& error, int code, std::string message, int position = -1) {
    error.Set(std::move(message), position);
    error.code = code;
}

}  // namespace

bool CSqliteFailure::IsConnectionFailure(int resultCode) {
    return Find(resultCode) != nullptr || (resultCode & 0xFF) == SQLITE_CANTOPEN;
}

void CSqliteFailure::Describe(sqlite3* db, int lockWaitSeconds, const std::string& path,
                              CEngineError& error) {
    // Note: a journal that cannot be created beside the file means the
    // directory is read-only.
    if ((sqlite3_extended_errcode(db) & 0xFF) == SQLITE_CANTOPEN && !path.empty()) {
        std::string directory = std::filesystem::path(path).parent_path().string();
        if (access(directory.empty() ? "." : directory.c_str(), W_OK) != 0)
            return SetReadOnlyDirectory(error, path);
    }
    const FailureText* row = Find(sqlite3_extended_errcode(db));
    if (row == nullptr) {
        const char* message = sqlite3_errmsg(db);
        error.Set(message != nullptr ? encoding::Utf8ToCp932(message) : std::string());
        return;
    }
    std::string text = Text(row->utf8);
    if (std::size_t at = text.find("%d"); at != std::string::npos)
        text.replace(at, 2, std::to_string(lockWaitSeconds));
    // Texts that end in ": " name the file.
    if (text.ends_with(": ")) text += encoding::Utf8ToCp932(path);
    Set(error, row->serverCode, std::move(text));
}

void CSqliteFailure::AddTransactionRolledBack(CEngineError& error) {
    std::string cause = error.message;
    Set(error, kTransactionCode, (cause.empty() ? "" : cause + "\n") + Text(kRolledBack), error.position);
}

void CSqliteFailure::AddDeferredRollback(CEngineError& error) {
    Set(error, kTransactionCode,
        Text("ORA-02091: トランザクションがロールバックされました。") + "\n" + error.message);
}

void CSqliteFailure::SetTransactionLost(CEngineError& error) { Set(error, kTransactionCode, Text(kLost)); }

void CSqliteFailure::SetNotCommitted(CEngineError& error) {
    Set(error, kTransactionCode, Text(kNotCommitted));
}

void CSqliteFailure::SetNulInStatement(CEngineError& error, int position) {
    Set(error, kInvalidCharacterCode, Text(kNulInStatement), position);
}

void CSqliteFailure::SetNulInBind(CEngineError& error, const std::string& bindName) {
    Set(error, kInvalidCharacterCode, Text(kNulInBind) + bindName);
}

void CSqliteFailure::SetTooComplex(CEngineError& error, int position, std::size_t limit) {
    const std::string what = Text("演算子を") + std::to_string(limit) + Text("個より多くつなげた式");
    COraError::Set(error, 3001, {what}, position);
}

void CSqliteFailure::SetBusy(CEngineError& error, int lockWaitSeconds) {
    std::string text = Text(kFailures[0].utf8);
    text.replace(text.find("%d"), 2, std::to_string(lockWaitSeconds));
    Set(error, kFailures[0].serverCode, std::move(text));
}

void CSqliteFailure::SetReadOnlyDirectory(CEngineError& error, const std::string& path) {
    Set(error, 16000, Text(kReadOnlyDirectory) + encoding::Utf8ToCp932(path));
}
