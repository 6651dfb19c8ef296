#include "engine/sqlite/COraError.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "engine/sqlite/CSqliteName.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace {

// A message variant of the same server code is told apart by the hundred
// thousands of its key.
constexpr int kVariant = 100000;

struct MessageRow {
    int key;
    const char* utf8;
};

// Note: written here in UTF-8 for reading; converted to CP932 when used.
constexpr MessageRow kMessages[] = {
    {1, "一意制約 %1 に違反する値です。"},
    {54, "リソースがビジー状態です (他のセッションがロック中です)。"},
    {600, "組込みデータベースの内部エラーです。"},
    {900, "SQL 文が無効です。"},
    {100900, "%1 の付近の SQL 文が無効です。"},
    {904, "列 %1 は存在しません。"},
    {100904, "関数 %1 は存在しません。"},
    {200904, "無効な識別子です。"},
    {909, "関数 %1 の引数の個数が正しくありません。"},
    {911, "文字 %1 は使えません (バインド変数は :NAME と書きます)。"},
    {913, "値の個数が多すぎます。"},
    {918, "列 %1 の定義があいまいです。"},
    {921, "SQL 文が途中で終わっています。"},
    {933, "SQL コマンドが正しく終了していません (一度に実行できる文は一つです)。"},
    {934, "グループ関数はここでは使えません。"},
    {936, "式がありません。"},
    {923, "FROM キーワードが指定の位置にありません。"},
    {1740, "識別子に二重引用符がありません。"},
    {2000, "%1 キーワードがありません。"},
    {1756, "引用符付き文字列が正しく終了していません。"},
    {937, "列 %1 は単一グループのグループ関数と一緒に使えません。"},
    {979, "列 %1 は GROUP BY の式ではありません。"},
    {1785, "ORDER BY の項目は SELECT リストの式の番号である必要があります。"},
    {942, "表またはビュー %1 は存在しません。"},
    {947, "値の個数が足りません。"},
    {955, "名前 %1 はすでに使われています。"},
    {22816, "RETURNING句ではサポートされていない機能です。"},
    {22912, "指定された列または属性はネストした表の型ではありません。"},
    {957, "列名 %1 が重複しています。"},
    {1008, "バインド変数 %1 が宣言されていません。"},
    {1013, "ユーザーの要求で操作を取り消しました。"},
    {1400, "%1 には NULL を入れられません。"},
    {1453, "SET TRANSACTION はトランザクションの最初の文である必要があります。"},
    {1456, "READ ONLY トランザクションでは挿入、削除、更新の操作は実行できません。"},
    {1403, "データが見つかりません。"},
    {1418, "索引 %1 は存在しません。"},
    {1439, "データ型を変更する列は空である必要があります。"},
    {1440, "精度または位取りを小さくする列は空である必要があります。"},
    {1758, "必須(NOT NULL)列を追加するには、表は空であることが必要です。"},
    {1441, "値が長すぎる行があるため、列の長さを短くできません。"},
    {1422, "完全フェッチがリクエストよりも多くの行を戻しました。"},
    {1426, "数値のオーバーフローが発生しました。"},
    {1428, "引数 %1 が範囲外です。"},
    {1436, "CONNECT BY のループがユーザー・データ内にあります。"},
    {1438, "%1 の値が列の精度を超えています。"},
    {1465, "16 進数が無効です。"},
    {1476, "除数がゼロです。"},
    {1481, "数値書式モデル %1 が無効です。"},
    {1489, "文字列の連結の結果が長すぎます。"},
    {1722, "数値に変換できない値です。"},
    {1788, "この問合せブロックには CONNECT BY 句が必要です。"},
    {1821, "日付書式 %1 が無効です。"},
    {1830, "日付書式が入力文字列 %1 全体を変換する前に終了しました。"},
    {1839, "日付 %1 は存在しない日付です。"},
    {1841, "日付の年は -4713 から 9999 の間で、0 以外である必要があります。"},
    {1846, "曜日の指定が無効です。"},
    {1847, "日付は1からその月の最終日の間で指定してください (%1)。"},
    {1840, "入力値 %1 が日付書式に対して短すぎます。"},
    {1843, "指定した月が無効です (%1)。"},
    {1849, "時間は1から12の間で指定してください (%1)。"},
    {1850, "時間は0から23の間で指定してください (%1)。"},
    {1851, "分は0から59の間で指定してください (%1)。"},
    {1852, "秒は0から59の間で指定してください (%1)。"},
    {1855, "AM/A.M.またはPM/P.M.が必要です (%1)。"},
    {1730, "指定された列名の数が無効です。"},
    {2003, "USERENV パラメータ %1 は無効です。"},
    {2289, "順序 %1 は存在しません。"},
    {2251, "ここでは副問合せは使えません。"},
    {2290, "チェック制約 %1 に違反しました。"},
    {2291, "整合性制約 %1 に違反しました - 親キーがありません。"},
    {2292, "整合性制約 %1 に違反しました - 子レコードがあります。"},
    {102291, "整合性制約に違反しました - 親キーがありません。"},
    {102292, "整合性制約に違反しました - 子レコードがあります。"},
    {2436, "CHECK 制約に日付またはシステム変数は指定できません。"},
    {2443, "制約 %1 は存在しません。"},
    {2449, "表の一意キー/主キーが外部キーによって参照されています。"},
    {12983, "表のすべての列は削除できません。"},
    {25175, "PRIMARY KEY制約が見つかりません。"},
    {12991, "列は複数列制約で参照されています。"},
    {12992, "親キー列は削除できません。"},
    {54031, "削除する列は仮想列の式で使用されています。"},
    {23292, "制約 %1 は存在しません。"},
    {2260, "表 %1 にはすでに主キーがあります。"},
    {3001, "未実装の機能です: %1 は組込みデータベースでは使えません。"},
    {4002, "INCREMENT には 0 以外の整数を指定してください。"},
    {4004, "MINVALUE は MAXVALUE より小さい値を指定してください。"},
    {4006, "START WITH には MINVALUE より小さい値は指定できません。"},
    {4008, "START WITH には MAXVALUE を超える値は指定できません。"},
    {4010, "CACHE には 1 より大きい値を指定してください。"},
    {4080, "トリガー %1 は存在しません。"},
    {6502, "数値または値のエラーです: %1"},
    {8002, "順序 %1.CURRVAL はこのセッションではまだ定義されていません。"},
    {8004, "順序 %1.NEXTVAL が %2VALUE を超えたため、インスタンス化できません。"},
    {12702, "SQL 関数で無効な NLS パラメータ文字列 %1 が使用されました。"},
    {12705, "NLS データ・ファイルにアクセスできないか、無効な環境が指定されました。"},
    {12725, "正規表現の括弧が一致しないか、正規表現が不正です。"},
    {12899, "%1 の値が長すぎます (%2 バイト、最大 %3 バイト)。"},
    {112899, "%1 の値が長すぎます (%2 文字、最大 %3 文字)。"},
    {1157, "データベース %1 を開けません: %2"},
    {1031, "%1 は読取り専用です。"},
    {1747, "列の指定 %1 が無効です。"},
    {6550, "PL/SQL ブロックが無効です: %1"},
    {6552, "PL/SQL: Statement ignored\nORA-06553: PLS-382: 式の型が間違っています。"},
    {6553, "%1"},
    {20000, "ORU-10027: バッファがあふれました (上限 %1 バイト)。"},
    {24374, "問合せではない文です。"},
    {29275, "文が Shift-JIS (CP932) として正しくありません (%1 バイト目)。"},
    {1002, "順序 %1 の値が範囲を超えました。"},
    {1789, "問合せブロックの結果列の数が正しくありません。"},
    {1790, "問合せの列の個数と型が一致しません。"},
    {1427, "単一行副問合せが複数の行を戻しました。"},
    {30493, "百分位数の値は 0 から 1 の間の数値である必要があります。"},
    {30494, "バケット数が無効です。"},
    {30495, "引数の範囲が無効です (下限と上限が同じです)。"},
    {30485, "ウィンドウ指定に ORDER BY 式がありません。"},
    {30481, "GROUPING、GROUPING_ID および GROUP_ID は GROUP BY なしでは使用できません。"},
    {30487, "ここでは ORDER BY は使用できません。"},
    {30562, "SAMPLE の割合は 0.000001 以上 100 未満である必要があります。"},
    {40441, "JSON 構文エラーです。"},
    {40449, "戻り値のデータ型が無効です。"},
    {40456, "JSON_VALUE の評価結果がスカラー値ではありません。"},
    {40462, "JSON_VALUE の評価結果に値がありません。"},
    {40478, "出力値が大きすぎます。"},
    {40597, "JSON パス式の構文エラーです。"},
    {30926, "ソース表の行の安定したセットを取得できません。"},
    {30930, "CONNECT_BY_ISCYCLE 疑似列には NOCYCLE キーワードが必要です。"},
    {25001, "このタイプのトリガーはビューには作成できません。"},
    {25002, "表にはINSTEAD OFトリガーを作成できません。"},
    {32034, "WITH句の使用はサポートされていません。"},
    {32038, "WITH句の列別名の数が、SELECTリストの要素の数と一致しません。"},
    {38104, "ON 句で参照される列は更新できません: %1"},
    {1867, "期間が無効です。"},
    {1857, "有効なタイム・ゾーンではありません。"},
    {30076, "抽出ソースに対する抽出フィールドが無効です。"},
    {1874, "タイム・ゾーンの時間は-15から15の間にしてください。"},
    {1875, "タイム・ゾーンの分は-59から59の間にしてください。"},
    {1878, "指定されたフィールドが日時または期間に見つかりません (夏時間で飛ばされる時刻です)。"},
    {1882, "タイムゾーン・リージョンが見つかりません。"},
    {1760, "関数の引数が無効です。"},
    {1873, "期間の先行精度が小さすぎます。"},
    {30088, "日時/期間の精度が範囲外です。"},
    {40470, "JSON_VALUE の評価結果が複数の値になりました。"},
    {40480, "結果は配列ラッパーなしでは戻せません。"},
    {938, "関数の引数が不足しています。"},
    {905, "キーワードがありません。"},
    {903, "表名が無効です。"},
    {38307, "オブジェクトはごみ箱にありません。"},
    {1434, "削除するプライベート・シノニム %1 は存在しません。"},
    {939, "関数の引数が多すぎます。"},
    {1402, "ビューの WITH CHECK OPTION の WHERE 句に違反しています。"},
    {1732, "このビューではデータ操作はできません。"},
    {2149, "指定したパーティション %1 は存在しません。"},
    {14004, "PARTITION キーワードがありません。"},
    {14005, "RANGE パーティションには VALUES LESS THAN が必要です。"},
    {14016, "LOCAL 索引の基礎となる表はパーティション化されている必要があります。"},
    {2017, "整数値が必要です。"},
    {14017, "パーティションのバウンド・リストの要素が多すぎます。"},
    {14018, "パーティションのバウンド・リストの要素が少なすぎます。"},
    {14037, "パーティション %1 のバウンドが高すぎます。"},
    {14074, "パーティションのバウンドは最後のパーティションのバウンドより大きくする必要があります。"},
    {14080, "パーティションを指定した上限で分割できません。"},
    {14083, "パーティション表の唯一のパーティションは削除できません。"},
    {14012, "パーティション名 %1 は既存のパーティションの名前と重複しています。"},
    {14255, "表は RANGE または LIST でパーティション化されていません。"},
    {14259, "表は HASH でパーティション化されていません。"},
    {14274, "マージするパーティションが隣接していません。"},
    {14310, "VALUES LESS THAN は LIST パーティションには使えません。"},
    {14312, "値 %1 はすでにパーティション %2 にあります。"},
    {14324, "追加する値はすでに DEFAULT パーティションの行にあります。"},
    {14323, "DEFAULT パーティションがあるため、パーティションを追加できません。"},
    {14400, "挿入されたパーティション・キーはどのパーティションにもマップされません。"},
    {14750, "INTERVAL 句のあるレンジ・パーティション表のパーティション列は 1 つのみです。"},
    {14751, "INTERVAL パーティション表のパーティション列のデータ型が無効です。"},
    {14752, "INTERVAL の式が正しい型の定数ではありません。"},
    {14758, "レンジ・セクションの最後のパーティションは削除できません。"},
    {14760, "INTERVAL パーティション・オブジェクトには ADD PARTITION を実行できません。"},
    {14761, "INTERVAL パーティション・オブジェクトには MAXVALUE パーティションを指定できません。"},
    {14401, "挿入されたパーティション・キーが指定されたパーティションの範囲外です。"},
    {14402, "パーティション・キー列を更新するとパーティションが変更されます。"},
    {14095, "ALTER TABLE EXCHANGE にはパーティション化されていない表が必要です。"},
    {14096, "ALTER TABLE EXCHANGE PARTITION の表の列数が一致しません。"},
    {14097, "ALTER TABLE EXCHANGE PARTITION の列の型またはサイズが一致しません。"},
    {14099, "指定された表のすべての行がパーティションに収まりません。"},
    {14139, "表 %1.%2 はすでに読取り専用モードです。"},
    {14140, "表 %1.%2 はすでに読取り/書込みモードです。"},
    {14501, "表 %1 はパーティション化されていません。"},
    {12003, "マテリアライズド・ビュー %1 は存在しません。"},
    {12083, "マテリアライズド・ビューの表は DROP MATERIALIZED VIEW で削除してください。"},
    {1733, "仮想列はここでは使用できません。"},
    {1752, "キー保存表を1つのみ持つビュー以外からは削除できません。"},
    {1776, "結合ビューにより複数の実表を変更することはできません。"},
    {1779, "キー保存されていない表にマップする列は変更できません。"},
    {953, "索引名が無効です。"},
    {1502, "索引 '%1.%2' またはそのパーティションは使用不可の状態です。"},
    {1735, "ALTER TABLE オプションが無効です。"},
    {2243, "ALTER INDEX オプションが無効です。"},
    {12081, "表 \"%1\".\"%2\" では更新操作は許可されていません。"},
    {54013, "仮想列には INSERT 操作を実行できません。"},
    {54017, "仮想列には UPDATE 操作を実行できません。"},
    {1861, "リテラル %1 が書式文字列と一致しません。"},
    {1862, "数値が書式項目の長さと一致しません (%1)。"},
    {1858, "数字が必要な位置に数字以外があります (%1)。"},
    {2263, "順序名がありません。"},
    {902, "データ型が無効です。"},
    {906, "左括弧がありません。"},
    {907, "右括弧がありません。"},
    {2264, "名前 %1 はすでに制約に使われています。"},
    {2293, "チェック制約 %1 を検証できません - 違反する行があります。"},
    {2273, "この一意キーまたは主キー %1 は外部キーから参照されています。"},
    {2297, "制約 %1 は外部キーから参照されているため無効にできません。"},
    {2296, "%1 を NOT NULL にできません - NULL 値があります。"},
    {2298, "制約 %1 を検証できません - 親キーがありません。"},
    {2299, "一意制約 %1 を検証できません - 重複したキーがあります。"},
    {2430, "制約 %1 は存在しません。"},
    {2437, "主キー %1 を検証できません - 主キーに違反する行があります。"},
    {32795, "ALWAYS 指定の識別列 %1 には値を入れられません。"},
    {32796, "ALWAYS 指定の識別列は更新できません。"},
    {30673, "変更する列 %1 は識別列ではありません。"},
    {42399, "読取り専用のビューには DML 操作を実行できません。"},
    {2429, "一意キー/主キーの施行に使用されている索引 %1 は削除できません。"},
    {922, "オプションが無効です。"},
    {932, "データ型が一致しません。"},
    {22905, "ネストした表ではない項目の行にはアクセスできません。"},
    {4063, "%1 にエラーがあります。"},
    {22950, "MAP メソッドまたは ORDER メソッドのないオブジェクトは順序付けできません。"},
    {2315, "デフォルト・コンストラクタの引数の個数が正しくありません。"},
    {976, "ROWNUM はここでは使えません。"},
    {1468, "外部結合 (+) できる表は一つの述語に一つだけです。"},
    {1719, "外部結合 (+) は OR の中では使えません。"},
    {25128, "制約 (%1) が無効化され検証済みのため、表の挿入/更新/削除はできません。"},
    {25156, "外部結合 (+) は ANSI の結合と一緒に使えません。"},
    {30075, "%1 は組込みデータベースでは実行できません。"},
    {901, "CREATE コマンドが無効です。"},
    {1086, "セーブポイント %1 はこのセッションで設定されていないか、無効です。"},
    {1743, "関数索引に使える関数は決定的な関数だけです。"},
    {32038, "WITH 句の列名の数が選択リストの要素の数と一致しません。"},
    {30001, "トリム・セットには 1 文字だけを指定してください。"},
    {43907, "DEFAULT ... ON CONVERSION ERROR 句の値はリテラルかバインド変数である必要があります。"},
    {43928, "ここでは変換エラーの処理 (DEFAULT ... ON CONVERSION ERROR) は使えません。"},
    {30186, "'\\' の後には 4 桁の 16 進数か '\\' が必要です。"},
};

const MessageRow* FindMessage(int key) {
    for (const MessageRow& row : kMessages)
        if (row.key == key) return &row;
    return nullptr;
}

std::string Fill(std::string_view pattern, std::initializer_list<std::string_view> args) {
    std::vector<std::string_view> values(args);
    std::string out;
    for (std::size_t k = 0; k < pattern.size(); ++k) {
        if (pattern[k] == '%' && k + 1 < pattern.size() && pattern[k + 1] >= '1' && pattern[k + 1] <= '9') {
            auto index = static_cast<std::size_t>(pattern[k + 1] - '1');
            ++k;
            if (index < values.size() && !values[index].empty()) {
                out.append(values[index]);
                continue;
            }
            // No name to tell (SQLERRM of a bare code): the blanks that set
            // it apart go with it.
            if (!out.empty() && out.back() == ' ') out.pop_back();
            if (k + 1 < pattern.size() && pattern[k + 1] == ' ') ++k;
            continue;
        }
        out += pattern[k];
    }
    return out;
}

std::string Prefix(int code) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "ORA-%05d: ", code % kVariant);
    return buffer;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// The code of a message already in the server's form, 0 for any other.
int CodeOf(std::string_view message) {
    if (!StartsWith(message, "ORA-") || message.size() < 10) return 0;
    return std::atoi(std::string(message.substr(4, 5)).c_str());
}

// A message of the engine, recognised by how it starts, and the key of its
// server message; the rest of the message (upper-cased) fills %1.
struct Pattern {
    std::string_view start;
    int key;
};

// SQLite's refusals of DROP COLUMN a key holds: the server drops the key
// with its column, which the engine does not do; refused by name.
constexpr std::string_view kKeyColumnDrops[] = {"cannot drop PRIMARY KEY column",
                                                "cannot drop UNIQUE column"};

constexpr Pattern kPatterns[] = {
    {"cannot drop column ", 12983},
    {"no such table: ", 942},
    {"no such view: ", 942},
    {"no such column: ", 904},
    {"no such function: ", 100904},
    {"no such index: ", 1418},
    {"no such trigger: ", 4080},
    {"ambiguous column name: ", 918},
    {"duplicate column name: ", 957},
    {"NOT NULL constraint failed: ", 1400},
    {"CHECK constraint failed: ", 2290},
    {"UNIQUE constraint failed: ", 1},
    {"PRIMARY KEY must be unique", 1},
    {"database is locked", 54},
    {"database table is locked", 54},
    {"interrupted", 1013},
    {"incomplete input", 921},
    {"misuse of aggregate", 934},
    {"misuse of window function", 934},
    {"aggregate functions are not allowed", 934},
    {"wrong number of arguments to function ", 909},
    {"invalid number", 1722},
    {"divisor is equal to zero", 1476},
    {"attempt to write a readonly database", 1031},
    {"SELECTs to the left and right of ", 1790},
    {"sub-select returns ", 913},
    {"row value misused", 936},
    {"cannot modify ", 1031},
    {"numeric or value error", 6502},
    {"the expression gives no value", 1403},
};

// The name in a message such as "table T already exists".
bool AlreadyExists(std::string_view message, std::string& name) {
    for (std::string_view kind : {"table ", "index ", "view ", "trigger ", "sequence "}) {
        if (!StartsWith(message, kind)) continue;
        std::size_t end = message.find(" already exists");
        if (end == std::string_view::npos) return false;
        std::string_view written = message.substr(kind.size(), end - kind.size());
        // Note: SQLite tells the name as the statement wrote it; a quoted one
        // is kept as it stands between its quotes.
        name = written.size() >= 2 && written.front() == '"' && written.back() == '"'
                   ? std::string(written.substr(1, written.size() - 2))
                   : cp932::ToUpperAscii(written);
        return true;
    }
    return false;
}

// "table T has 2 columns but 3 values were supplied", "3 values for 2 columns".
bool ValueCount(std::string_view message, int& key) {
    std::size_t has = message.find(" columns but ");
    std::size_t values = message.find(" values for ");
    if (has == std::string_view::npos && values == std::string_view::npos) return false;
    long columns = 0;
    long supplied = 0;
    if (has != std::string_view::npos) {
        std::size_t count = message.rfind(' ', has - 1);
        columns = std::atol(std::string(message.substr(count + 1, has - count - 1)).c_str());
        supplied = std::atol(std::string(message.substr(has + 13)).c_str());
    } else {
        supplied = std::atol(std::string(message.substr(0, values)).c_str());
        columns = std::atol(std::string(message.substr(values + 12)).c_str());
    }
    key = supplied > columns ? 913 : 947;
    return true;
}

// "near "X": syntax error".
bool SyntaxError(std::string_view message, std::string& near) {
    if (!StartsWith(message, "near \"")) return false;
    std::size_t end = message.rfind("\": syntax error");
    if (end == std::string_view::npos || end < 6) return false;
    near = std::string(message.substr(6, end - 6));
    return true;
}

}  // namespace

std::string COraError::Text(int code, std::initializer_list<std::string_view> args) {
    const MessageRow* row = FindMessage(code);
    if (row == nullptr) return Prefix(code);
    std::vector<std::string> utf8;
    // Note: a name is told as the user wrote it, not as SQLite keeps it.
    for (std::string_view arg : args) utf8.push_back(encoding::Cp932ToUtf8(CSqliteName::NameOf(arg)));
    std::vector<std::string_view> views(utf8.begin(), utf8.end());
    std::string filled;
    switch (views.size()) {
        case 0:
            filled = Fill(row->utf8, {});
            break;
        case 1:
            filled = Fill(row->utf8, {views[0]});
            break;
        case 2:
            filled = Fill(row->utf8, {views[0], views[1]});
            break;
        default:
            filled = Fill(row->utf8, {views[0], views[1], views[2]});
            break;
    }
    return Prefix(code) + encoding::Utf8ToCp932(filled);
}

void COraError::Set(CEngineError& error, int code, std::initializer_list<std::string_view> args,
                    int position) {
    error.Set(Text(code, args), position);
    error.code = code % kVariant;
}

std::string COraError::ForFunction(int code, std::initializer_list<std::string_view> utf8Args, int position) {
    const MessageRow* row = FindMessage(code);
    std::string text = Prefix(code) + (row != nullptr ? Fill(row->utf8, utf8Args) : std::string());
    // Note: the position rides behind a NUL-free marker that Translate strips.
    if (position >= 0) text += "\x1F" + std::to_string(position);
    return text;
}

void COraError::Translate(CEngineError& error, Action action) {
    std::string& message = error.message;
    std::size_t marker = message.rfind('\x1F');
    if (marker != std::string::npos) {
        error.position = std::atoi(message.c_str() + marker + 1);
        message.erase(marker);
    }
    if (int code = CodeOf(message); code != 0) {
        error.code = code;
        return;
    }
    std::string name;
    int key = 0;
    if (StartsWith(message, "FOREIGN KEY constraint failed")) {
        Set(error, action == Action::Delete ? 102292 : 102291, {}, 0);
        return;
    }
    if (AlreadyExists(message, name)) {
        Set(error, 955, {name}, error.position);
        return;
    }
    if (ValueCount(message, key)) {
        Set(error, key, {}, error.position);
        return;
    }
    if (SyntaxError(message, name)) {
        Set(error, 100900, {name}, error.position);
        return;
    }
    if (StartsWith(message, "parser stack overflow")) {
        // Note: SQLite's parser holds few levels of nested queries (collection operators nest them).
        Set(error, 3001, {encoding::Utf8ToCp932("入れ子の深すぎる式")}, error.position);
        return;
    }
    for (std::string_view start : kKeyColumnDrops)
        if (StartsWith(message, start)) {
            Set(error, 3001, {encoding::Utf8ToCp932("主キー・一意キーの列の削除 (DROP COLUMN, SET UNUSED)")},
                error.position);
            return;
        }
    for (const Pattern& pattern : kPatterns) {
        if (!StartsWith(message, pattern.start)) continue;
        bool runtime = pattern.key == 1 || pattern.key == 1400 || pattern.key == 2290;
        // Note: a violation names the table, columns and constraint as the
        // file spells them, a quoted name in its own case.
        std::string rest(std::string_view(message).substr(pattern.start.size()));
        if (!runtime) rest = cp932::ToUpperAscii(rest);
        if (std::size_t because = rest.find(" because"); because != std::string::npos) rest.erase(because);
        if (std::size_t because = rest.find(" BECAUSE"); because != std::string::npos) rest.erase(because);
        // Note: the engine's own schema names (main, temp) are no user's.
        for (std::string_view schema : {"MAIN.", "TEMP.", "main.", "temp."})
            if (rest.compare(0, schema.size(), schema) == 0) rest.erase(0, schema.size());
        // Note: the server reports no token for a violation found while the
        // statement runs.
        Set(error, pattern.key, {rest}, runtime ? 0 : error.position);
        return;
    }
    Set(error, 600, {}, error.position);
}
