#include "report/CColumnSettings.h"

#include "report/ReportMessages.h"
#include "report/ReportText.h"

namespace {

constexpr int kMaxTextWidth = 32767;

const char* JustifyName(CColumnSettings::Justify justify) {
    switch (justify) {
        case CColumnSettings::Justify::Left:
            return "LEFT";
        case CColumnSettings::Justify::Center:
            return "CENTER";
        case CColumnSettings::Justify::Right:
            return "RIGHT";
        case CColumnSettings::Justify::Default:
            break;
    }
    return nullptr;
}

const char* FoldName(CColumnSettings::Fold fold) {
    switch (fold) {
        case CColumnSettings::Fold::Wrapped:
            return "WRAPPED";
        case CColumnSettings::Fold::WordWrapped:
            return "WORD_WRAPPED";
        case CColumnSettings::Fold::Truncated:
            return "TRUNCATED";
        case CColumnSettings::Fold::Default:
            break;
    }
    return nullptr;
}

}  // namespace

std::string CColumnSettings::SetFormat(std::string_view text) {
    const std::string refused = ReportText(ReportMessage::FormatInvalid, text);
    if (!text.empty() && (text[0] == 'A' || text[0] == 'a')) {
        int width = 0;
        if (!reporttext::ParseInt(text.substr(1), 1, kMaxTextWidth, width)) return refused;
        format = std::string(text);
        textWidth = width;
        number.reset();
        return {};
    }
    CNumberFormat model;
    std::string error;
    if (!CNumberFormat::Parse(text, model, error)) return refused;
    format = std::string(text);
    textWidth = -1;
    number = model;
    return {};
}

std::vector<std::string> CColumnSettings::Describe(std::string_view name) const {
    std::vector<std::string> lines{"COLUMN " + std::string(name) + (on ? " ON" : " OFF")};
    if (heading) lines.push_back("HEADING " + reporttext::Quoted(*heading));
    if (!format.empty()) lines.push_back("FORMAT " + format);
    if (const char* justifyName = JustifyName(justify))
        lines.push_back(std::string("JUSTIFY ") + justifyName);
    if (nullText) lines.push_back("NULL " + reporttext::Quoted(*nullText));
    if (noPrint) lines.emplace_back("NOPRINT");
    if (!newValue.empty()) lines.push_back("NEW_VALUE " + newValue);
    if (!oldValue.empty()) lines.push_back("OLD_VALUE " + oldValue);
    if (const char* foldName = FoldName(fold)) lines.emplace_back(foldName);
    if (!alias.empty()) lines.push_back("ALIAS " + alias);
    return lines;
}
