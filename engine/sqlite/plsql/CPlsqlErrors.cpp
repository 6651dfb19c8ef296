#include "engine/sqlite/plsql/CPlsqlErrors.h"

#include <cstdio>

#include "engine/sqlite/COraError.h"
#include "text/Encoding.h"

namespace {

struct Message {
    int code;
    const char* utf8;
};

// Note: written in UTF-8 for reading; converted to CP932 when used.
constexpr Message kMessages[] = {
    {36, "再帰SQLレベルの最大値(%1)を超えました。"},
    {1001, "カーソルが無効です。"},
    {20000, "表%1を分析できません。権限が不足しているか、表が存在しません。"},
    {3001, "未実装の機能です: %1 は組込みデータベースでは使えません。"},
    {1013, "ユーザーの要求で操作を取り消しました。"},
    {1086, "セーブポイント'%1'は、このセッションで設定されていないか、無効です。"},
    {4043, "オブジェクト%1は存在しません。"},
    {2303, "型または表の依存性がある型は削除または置換できません。"},
    {4080, "トリガー'%1'は存在しません。"},
    {4084, "このトリガー・タイプではNEW値を変更できません。"},
    {4088, "トリガー'%1'の実行中にエラーが発生しました"},
    {4098, "トリガー'%1'が無効で、再検証に失敗しました。"},
    {4091, "表%1は変更中です。トリガー/ファンクションで参照できない可能性があります。"},
    {4092, "トリガー内ではCOMMITまたはROLLBACKを実行できません。"},
    {25021, "別の表に定義されたトリガーは参照できません。"},
    {14551, "問合せの中ではDML操作を実行できません。"},
    {14552, "問合せまたはDMLの中ではDDL、コミットまたはロールバックを実行できません。"},
    {1403, "データが見つかりません。"},
    {1465, "16進数が無効です。"},
    {21560, "引数2がNULL、無効または範囲外です。"},
    {1422, "完全フェッチがリクエストよりも多くの行を戻しました。"},
    {1476, "除数がゼロです。"},
    {1722, "数値が無効です。"},
    {4067, "実行されていません。%1は存在しません。"},
    {30625, "NULL SELF引数でのメソッド・ディスパッチは許可されていません。"},
    {6500, "PL/SQL: 記憶域エラーが発生しました。"},
    {6502, "PL/SQL: 数値または値のエラーです。"},
    {6503, "PL/SQL: ファンクションが値なしで戻りました。"},
    {6508, "PL/SQL: コールされているプログラム・ユニットが見つかりませんでした。"},
    {6510, "PL/SQL: ユーザー定義の例外が処理されませんでした。"},
    {6511, "PL/SQL: カーソルはすでにオープンしています。"},
    {6530, "初期化されていないコンポジットを参照しています。"},
    {6531, "初期化されていないコレクションを参照しています。"},
    {6532, "添字が制限を超えています。"},
    {6533, "添字がカウントを超えています。"},
    {6592, "PL/SQL: CASE文の実行時にCASEが見つかりません。"},
    {24381, "配列DMLでエラーが発生しました。"},
    {21000, "-20000..-20999の範囲外のraise_application_errorの引数エラー数%1です。"},
};

struct Pls {
    int code;
    const char* utf8;
};

constexpr Pls kPls[] = {
    {49, "バインド変数'%1'が正しくありません。"},
    {103, "記号\"%1\"が見つかりました。"},
    {123, "プログラムが大きすぎます (ネストが深すぎます)。"},
    {154, "オブジェクト型に指定できるMAPまたはORDERファンクションは1つのみです。"},
    {201, "識別子'%1'を宣言してください。"},
    {218, "NOT NULLと宣言された変数には、初期化代入が必要です。"},
    {221, "'%1'はプロシージャではないか、または定義されていません。"},
    {222, "この有効範囲には'%1'という名前のファンクションは存在しません。"},
    {302, "コンポーネント'%1'を宣言してください。"},
    {306, "'%1'の呼出しで、引数の数または型が正しくありません。"},
    {307, "この呼出しと一致する'%1'の宣言が多すぎます。"},
    {312, "位置指定パラメータの関連付けは、名前付きの関連付けの後には指定できません。"},
    {320, "この式の型宣言が不完全か、または形式が正しくありません。"},
    {322, "定数'%1'の宣言には初期化代入が必要です。"},
    {323,
     "サブプログラムまたはカーソル'%1'"
     "はパッケージ仕様部で宣言されているため、パッケージ本体で定義する必要があります。"},
    {328, "サブプログラムの本体は、前方宣言%1に対して定義される必要があります。"},
    {355, "このコンテキストではPL/SQL表を使用できません。"},
    {363, "式'%1'は代入ターゲットとして使用できません。"},
    {364, "ループ索引変数'%1'の使用方法が無効です。"},
    {372, "プロシージャ内のRETURN文には式を指定できません。"},
    {375, "GOTO文が不正です。このGOTOはラベル'%1'に分岐できません。"},
    {376, "EXIT文がLOOPの外側にあります。"},
    {382, "式の型が間違っています。"},
    {410, "RECORD、TABLEまたは引数リストのフィールドの重複は許可されていません。"},
    {428, "このSELECT文にはINTO句が必要です。"},
    {503, "ファンクションからの戻りにはRETURN <値>文が必要です。"},
    {526, "PL/SQLでオブジェクトを比較するには、MAPまたはORDERファンクションが必要です。"},
    {538,
     "サブプログラムまたはカーソル'%1'"
     "はオブジェクト型本体で定義されているため、オブジェクト型仕様部で宣言する必要があり"
     "ます。"},
    {589, "オブジェクト型に属性が見つかりません。"},
    {703, "名前付き引数のインスタンスがリストに複数あります。"},
    {905, "オブジェクト%1は無効です。"},
};

struct Predefined {
    const char* name;
    int code;
};

constexpr Predefined kPredefined[] = {
    {"ACCESS_INTO_NULL", 6530},        {"CASE_NOT_FOUND", 6592},    {"COLLECTION_IS_NULL", 6531},
    {"CURSOR_ALREADY_OPEN", 6511},     {"DUP_VAL_ON_INDEX", 1},     {"INVALID_CURSOR", 1001},
    {"INVALID_NUMBER", 1722},          {"LOGIN_DENIED", 1017},      {"NO_DATA_FOUND", 1403},
    {"NOT_LOGGED_ON", 1012},           {"PROGRAM_ERROR", 6501},     {"ROWTYPE_MISMATCH", 6504},
    {"SELF_IS_NULL", 30625},           {"STORAGE_ERROR", 6500},     {"SUBSCRIPT_BEYOND_COUNT", 6533},
    {"SUBSCRIPT_OUTSIDE_LIMIT", 6532}, {"SYS_INVALID_ROWID", 1410}, {"TIMEOUT_ON_RESOURCE", 51},
    {"TOO_MANY_ROWS", 1422},           {"VALUE_ERROR", 6502},       {"ZERO_DIVIDE", 1476},
};

std::string Fill(const char* utf8, std::string_view arg) {
    std::string out(utf8);
    if (std::size_t at = out.find("%1"); at != std::string::npos)
        out.replace(at, 2, encoding::Cp932ToUtf8(arg));
    return encoding::Utf8ToCp932(out);
}

std::string Code(const char* prefix, int code) {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "%s-%05d: ", prefix, code);
    return buffer;
}

}  // namespace

std::string CPlsqlErrors::Text(int code, std::string_view arg) {
    for (const Message& message : kMessages)
        if (message.code == code) return Code("ORA", code) + Fill(message.utf8, arg);
    return COraError::Text(code, {arg});
}

void CPlsqlErrors::Set(CEngineError& error, int code, std::string_view arg, int position) {
    error.Set(Text(code, arg), position);
    error.code = code;
}

std::string CPlsqlErrors::ValueErrorText(ValueError what) {
    static constexpr const char* kDetails[] = {
        "", ": 文字列バッファが小さすぎます。", ": 文字から数値への変換エラー。",
        ": 数値の精度が大きすぎます。", ": NULL インデックス表のキー値です。"};
    std::string text = Text(6502);
    if (what == ValueError::None) return text;
    // Note: the detail follows the message without its final full stop.
    text.erase(text.size() - encoding::Utf8ToCp932("。").size());
    return text + encoding::Utf8ToCp932(kDetails[static_cast<int>(what)]);
}

std::string CPlsqlErrors::Compile(int line, int column, int pls, std::string_view arg) {
    std::string head = Code("ORA", 6550) + encoding::Utf8ToCp932("行" + std::to_string(line) + "、列" +
                                                                 std::to_string(column) + ":");
    for (const Pls& row : kPls)
        if (row.code == pls) return head + "\n" + Code("PLS", pls) + Fill(row.utf8, arg);
    return head + "\n" + Code("PLS", pls);
}

std::string CPlsqlErrors::Backtrace(int line, const std::string& unit) {
    std::string where = unit.empty() ? std::string() : "\"" + unit + "\", ";
    return Code("ORA", 6512) + where + encoding::Utf8ToCp932("行" + std::to_string(line));
}

int CPlsqlErrors::Predefined(std::string_view name) {
    for (const auto& row : kPredefined)
        if (name == row.name) return row.code;
    return 0;
}

int CPlsqlErrors::SqlCode(int code) {
    if (code < 0) return 1;
    return code == 1403 ? 100 : -code;
}
