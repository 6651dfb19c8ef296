#include "commands/CVariableCommand.h"

#include "commands/CPrintCommand.h"
#include "interpreter/CCommandContext.h"
#include "interpreter/ProcessorTables.h"
#include "interpreter/TextParse.h"
#include "oracle/ODatabase.h"
#include "oracle/OParameterCollection.h"
#include "text/Cp932.h"

namespace {

struct VariableType {
    const char* name;
    int serverType;
};

constexpr VariableType kVariableTypes[] = {
    {"NUMBER", OTYPE_NUMBER},
    {"CHAR", OTYPE_CHAR},
    {"VARCHAR2", OTYPE_VARCHAR2},
    {"NCHAR", OTYPE_CHAR},
    {"NVARCHAR2", OTYPE_VARCHAR2},
    {"CLOB", OTYPE_CLOB},
    {"NCLOB", OTYPE_CLOB},
    {"REFCURSOR", OTYPE_CURSOR},
    {"BINARY_FLOAT", OTYPE_BINARY_FLOAT},
    {"BINARY_DOUBLE", OTYPE_BINARY_DOUBLE},
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

CScriptLines CVariableCommand::Run(CCommandContext& context, const CCommandArgs& args) {
    return DeclareVariable(context, args.Arg(0));
}

CScriptLines CVariableCommand::DeclareVariable(CCommandContext& context, const std::string& text) {
    ODatabase* database = context.GetDatabase();
    if (!context.IsConnected() || database == nullptr)
        return CScriptLines(MessageText(Message::NotConnected));
    const std::size_t blank = text.find(' ');
    if (blank == std::string::npos) return context.Command<CPrintCommand>().PrintVariable(context, text);

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
    OParameterCollection& parameters = database->GetParameters();
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
