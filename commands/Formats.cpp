#include <string>

#include "interpreter/CSQLProcessor.h"
#include "interpreter/Messages.h"
#include "interpreter/ProcessorTables.h"
#include "interpreter/TextParse.h"

CScriptLines CSQLProcessor::SetColumnFormat(const std::string& column, const std::string& format) {
    const CScriptLines invalid(FormatText(MessageText(Message::FormatInvalid), format));
    if (format.find('A') == std::string::npos) return invalid;
    const int width = textparse::ParseLeadingInt(std::string_view(format).substr(1));
    // Note: a wider column is refused rather than laid out, and a negative
    // width would hide the column.
    if (width < 0 || width > tables::kMaxColumnWidth) return invalid;
    m_columnFormats.SetAt(column, std::to_string(width));
    return {};
}

CScriptLines CSQLProcessor::Define(const std::string& name, const std::string& value) {
    m_defines.SetAt(name, value);
    return {};
}

void CSQLProcessor::ClearColumns() { m_columnFormats.RemoveAll(); }

void CSQLProcessor::ClearScreen() {
    if (m_host != nullptr) m_host->SendCommand(CConsoleHost::Command::Clear);
}
