#include "interpreter/CSQLProcessor.h"
#include "oracle/ODatabase.h"

CScriptLines& CSQLProcessor::AppendServerOutput(CScriptLines& output) {
    if (!IsConnected() || m_database == nullptr) return output;
    try {
        if (m_settings.Lookup("SERVEROUTPUT") != "ON") return output;
    } catch (const CHashTableException&) {
        return output;
    }
    for (std::string& line : m_database->TakeServerOutput()) output.push_back(std::move(line));
    return output;
}
