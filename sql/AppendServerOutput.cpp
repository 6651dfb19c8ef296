#include "interpreter/CSQLProcessor.h"
#include "oracle/ODatabase.h"

CScriptLines& CSQLProcessor::AppendServerOutput(CScriptLines& output) {
    if (!IsConnected() || Database() == nullptr) return output;
    // The server's warnings (a password about to expire ...) follow the
    // feedback line.
    for (std::string& line : Database()->TakeWarnings()) output.push_back(std::move(line));
    if (!m_context.IsServerOutputOn()) return output;
    for (std::string& line : Database()->TakeServerOutput()) output.push_back(std::move(line));
    return output;
}
