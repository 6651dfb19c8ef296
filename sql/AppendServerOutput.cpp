#include "interpreter/CSQLProcessor.h"
#include "oracle/ODatabase.h"

CScriptLines& CSQLProcessor::AppendServerOutput(CScriptLines& output) {
    if (!IsConnected() || m_database == nullptr) return output;
    const std::string* value = m_settings.Find("SERVEROUTPUT");
    if (value == nullptr || *value != "ON") return output;
    for (std::string& line : m_database->TakeServerOutput()) output.push_back(std::move(line));
    return output;
}
