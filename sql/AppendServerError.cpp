#include "interpreter/CSQLProcessor.h"
#include "interpreter/Messages.h"
#include "oracle/ODatabase.h"

namespace {

void AppendErrorText(const std::string& text, CScriptLines& output) {
    std::size_t start = 0;
    while (true) {
        std::size_t feed = text.find('\n', start);
        if (feed == std::string::npos) {
            output.push_back(text.substr(start));
            return;
        }
        output.push_back(text.substr(start, feed - start));
        start = feed + 1;
    }
}

}  // namespace

CScriptLines& CSQLProcessor::AppendServerError(CScriptLines& output) {
    const std::string errorText = m_database ? m_database->GetErrorText() : std::string();
    long long pos = m_database ? m_database->ServerErrorSQLPos() : -1;
    if (m_database) {
        for (std::size_t index = 0; index < m_lines.size(); ++index) {
            const long long span = static_cast<long long>(m_lines[index].size()) + 1;
            if (pos >= span) {
                pos -= span;
                continue;
            }
            output.push_back(m_lines[index]);
            output.push_back(std::string(pos > 0 ? static_cast<std::size_t>(pos) : 0, ' ') + "*");
            output.push_back(FormatCount(MessageText(Message::ErrorLine), static_cast<long>(index)));
            break;
        }
    }
    AppendErrorText(errorText, output);
    return output;
}
