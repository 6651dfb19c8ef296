#include "report/ReportMessages.h"

#include <array>
#include <iterator>

#include "text/Encoding.h"

namespace {

struct MessageRow {
    ReportMessage id;
    const char* utf8;
};

// Note: written here in UTF-8 for reading; converted to CP932 once.
constexpr MessageRow kMessages[] = {
    {ReportMessage::ColumnUnknownOption, "COLUMNのオプション%sは不明です。"},
    {ReportMessage::ColumnNotDefined, "列%sは定義されていません。"},
    {ReportMessage::ColumnMissingValue, "COLUMNのオプション%sに値がありません。"},
    {ReportMessage::FormatInvalid, "FORMAT文字列\"%s\"が不正です。"},
    {ReportMessage::OptionRange, "%sオプション %sが範囲外です(範囲: %s～%s)。"},
    {ReportMessage::OptionValue, "%sオプションの値%sが不正です。"},
    {ReportMessage::OptionUnknown, "%sは使用できません。"},
    {ReportMessage::BreakNone, "ブレークは定義されていません。"},
    {ReportMessage::BreakUsage,
     "使用方法: BREAK ON {列|REPORT} [SKIP n|SKIP PAGE] [NODUPLICATES|DUPLICATES] ..."},
    {ReportMessage::ComputeNone, "COMPUTEは定義されていません。"},
    {ReportMessage::ComputeUsage,
     "使用方法: COMPUTE {SUM|AVG|COUNT|MIN|MAX|NUMBER|STD|VARIANCE} [LABEL テキスト] ... OF 列 ... ON "
     "{列|REPORT}"},
    {ReportMessage::ComputeNoBreak, "COMPUTEの%sにはBREAKがありません。"},
    {ReportMessage::TitleUsage,
     "使用方法: %s [LEFT|CENTER|RIGHT テキスト] [SQL.PNO] [SKIP n] ... | ON | OFF"},
    {ReportMessage::SpoolNotSpooling, "現在スプールしていません。"},
    {ReportMessage::SpoolSpooling, "現在%sにスプールしています。"},
    {ReportMessage::SpoolOpenFailed, "スプール・ファイル%sを開けません: %s"},
    {ReportMessage::SpoolExists, "ファイル%sはすでに存在します。REPLACEかAPPENDを指定して下さい。"},
    {ReportMessage::SpoolWriteFailed, "スプール・ファイル%sへの書込みに失敗しました: %s"},
    {ReportMessage::SpoolUsage, "使用方法: SPOOL {ファイル名 [CREATE|REPLACE|APPEND] | OFF}"},
};

}  // namespace

const std::string& ReportText(ReportMessage message) {
    static const auto texts = [] {
        std::array<std::string, std::size(kMessages)> converted;
        for (const auto& row : kMessages)
            converted[static_cast<std::size_t>(row.id)] = encoding::Utf8ToCp932(row.utf8);
        return converted;
    }();
    return texts[static_cast<std::size_t>(message)];
}

std::string ReportText(ReportMessage message, std::string_view first, std::string_view second,
                       std::string_view third, std::string_view fourth) {
    const std::string& format = ReportText(message);
    const std::string_view fields[] = {first, second, third, fourth};
    std::string out;
    std::size_t field = 0;
    for (std::size_t at = 0; at < format.size(); ++at) {
        if (format[at] == '%' && at + 1 < format.size() && format[at + 1] == 's' &&
            field < std::size(fields)) {
            out.append(fields[field++]);
            ++at;
        } else {
            out += format[at];
        }
    }
    return out;
}
