#include "interpreter/CSQLProcessor.h"
#include "oracle/ODatabase.h"

CScriptLines& CSQLProcessor::AppendServerOutput(CScriptLines& output) {
    if (!IsConnected() || Database() == nullptr) return output;
    const std::string* value = m_context.GetSettings().Find("SERVEROUTPUT");
    if (value == nullptr || *value != "ON") return output;
    for (std::string& line : Database()->TakeServerOutput()) output.push_back(std::move(line));
    return output;
}
