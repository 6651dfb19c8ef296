#include <chrono>
#include <string>

#include "interpreter/CSQLProcessor.h"
#include "interpreter/Messages.h"
#include "interpreter/ProcessorTables.h"
#include "interpreter/TextParse.h"
#include "oracle/ODatabase.h"
#include "oracle/ODynaset.h"
#include "oracle/OParameterCollection.h"
#include "text/Cp932.h"

namespace {

struct VariableType {
    const char* name;
    int serverType;
};

constexpr VariableType kVariableTypes[] = {
    {"NUMBER", OTYPE_NUMBER}, {"CHAR", OTYPE_CHAR},          {"VARCHAR2", OTYPE_VARCHAR2},
    {"NCHAR", OTYPE_CHAR},    {"NVARCHAR2", OTYPE_VARCHAR2}, {"CLOB", OTYPE_CLOB},
    {"NCLOB", OTYPE_CLOB},    {"REFCURSOR", OTYPE_CURSOR},
};

// Note: a character variable declared without a length holds one byte, as
// a column declared so would; lengths outside 0..32767 are refused.
constexpr int kDefaultCharLength = 1;

int LookupVariableType(const std::string& typeName) {
    for (const auto& row : kVariableTypes)
        if (typeName == row.name) return row.serverType;
    return 0;
}

bool IsCharacterType(int serverType) { return serverType == OTYPE_CHAR || serverType == OTYPE_VARCHAR2; }

}  // namespace

CScriptLines CSQLProcessor::DeclareVariable(const std::string& text) {
    if (!IsConnected() || m_database == nullptr) return CScriptLines(MessageText(Message::NotConnected));
    const std::size_t blank = text.find(' ');
    if (blank == std::string::npos) return PrintVariable(text);

    const std::string name = text.substr(0, blank);
    const std::string rest = textparse::TrimBlanks(std::string_view(text).substr(blank + 1));
    const std::size_t paren = rest.find('(');
    const bool hasLength = paren != std::string::npos;
    const std::string typeName =
        cp932::ToUpper(textparse::TrimBlanks(std::string_view(rest).substr(0, paren)));
    const int length =
        hasLength ? textparse::ParseLeadingInt(std::string_view(rest).substr(paren + 1)) : kDefaultCharLength;

    const int serverType = LookupVariableType(typeName);
    if (serverType == 0) return CScriptLines(MessageText(Message::VariableUsage));
    OParameterCollection& parameters = m_database->GetParameters();
    if (IsCharacterType(serverType)) {
        if (length < 0 || length > tables::kMaxColumnWidth)
            return CScriptLines(MessageText(Message::VariableUsage));
        parameters.Add(name.c_str(), OValue(std::string(static_cast<std::size_t>(length), ' ')),
                       OPARAMETER_INOUTVAR, serverType, nullptr);
    } else {
        parameters.Add(name.c_str(), OValue(), OPARAMETER_INOUTVAR, serverType, nullptr);
    }
    return {};
}

CScriptLines CSQLProcessor::ExecuteBlock(const CScriptLines& args) {
    if (!IsConnected() || m_database == nullptr) {
        NoteSqlFailure();
        return CScriptLines(MessageText(Message::NotConnected));
    }
    if (args.empty()) return CScriptLines(MessageText(Message::ExecuteUsage));
    m_execBlock = "BEGIN " + args[0] + "; END;";
    CScriptLines output;
    const auto started = std::chrono::steady_clock::now();
    if (m_database->ExecuteSQL(m_execBlock.c_str()) != OSUCCESS) {
        NoteSqlFailure();
        AppendServerError(output);
    } else if (IsFeedbackOn()) {
        output = {"", MessageText(Message::BlockCompleted), ""};
    }
    const auto elapsed = std::chrono::steady_clock::now() - started;
    AppendElapsed(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count(), output);
    return output;
}

CScriptLines CSQLProcessor::PrintVariable(const std::string& name) {
    if (!IsConnected() || m_database == nullptr) return CScriptLines(MessageText(Message::NotConnected));
    OParameter parameter = m_database->GetParameters().GetParameter(name.c_str());
    OValue value;
    if (parameter.GetValue(&value) != OSUCCESS)
        return CScriptLines(MessageText(Message::VariableNotDeclared));
    if (parameter.GetServerType() == OTYPE_CURSOR) {
        // A cursor variable prints its rows as a query result.
        ODynaset dynaset;
        CScriptLines output;
        if (dynaset.OpenCursorVariable(*m_database, name.c_str()) != OSUCCESS)
            return AppendServerError(output);
        return AppendRows(dynaset, output);
    }
    // Note: numbers show as the database wrote them, whole and exact; NULL
    // shows empty.
    return {"", name, std::string(20, '-'), value.ToText(), ""};
}
