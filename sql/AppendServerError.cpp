#include "interpreter/CSQLProcessor.h"
#include "interpreter/Messages.h"
#include "oracle/ODatabase.h"

CScriptLines& CSQLProcessor::AppendErrorReport(const CScriptLines& lines, long long position,
                                               const std::string& errorText, CScriptLines& output) {
    for (std::size_t index = 0; index < lines.size(); ++index) {
        const long long span = static_cast<long long>(lines[index].size()) + 1;
        if (position >= span) {
            position -= span;
            continue;
        }
        output.push_back(lines[index]);
        output.push_back(std::string(position > 0 ? static_cast<std::size_t>(position) : 0, ' ') + "*");
        output.push_back(FormatCount(MessageText(Message::ErrorLine), static_cast<long>(index)));
        break;
    }
    std::size_t start = 0;
    for (std::size_t feed = errorText.find('\n'); feed != std::string::npos;
         feed = errorText.find('\n', start)) {
        output.push_back(errorText.substr(start, feed - start));
        start = feed + 1;
    }
    output.push_back(errorText.substr(start));
    return output;
}

CScriptLines& CSQLProcessor::AppendServerError(CScriptLines& output) {
    if (Database() == nullptr) return AppendErrorReport({}, 0, std::string(), output);
    return AppendErrorReport(m_lines, Database()->ServerErrorSQLPos(), Database()->GetErrorText(), output);
}
