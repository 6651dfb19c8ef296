#include "commands/CColumnCommand.h"

#include "interpreter/Messages.h"
#include "interpreter/ProcessorTables.h"
#include "interpreter/TextParse.h"

CScriptLines CColumnCommand::Run(CCommandContext&, const CCommandArgs& args) {
    return SetColumnFormat(args.Arg(0), args.Arg(1));
}

CScriptLines CColumnCommand::SetColumnFormat(const std::string& column, const std::string& format) {
    const CScriptLines invalid(FormatText(MessageText(Message::FormatInvalid), format));
    if (format.find('A') == std::string::npos) return invalid;
    const int width = textparse::ParseLeadingInt(std::string_view(format).substr(1));
    // Note: a wider column is refused rather than laid out, and a negative
    // width would hide the column.
    if (width < 0 || width > tables::kMaxColumnWidth) return invalid;
    m_columnFormats.SetAt(column, std::to_string(width));
    return {};
}
