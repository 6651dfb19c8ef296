#include "commands/CPrintCommand.h"

#include <algorithm>

#include "interpreter/CCommandContext.h"
#include "interpreter/TextParse.h"
#include "oracle/ODatabase.h"
#include "oracle/ODynaset.h"
#include "oracle/OParameterCollection.h"
#include "text/NumberFit.h"

namespace {

bool IsFloating(int serverType) {
    return serverType == OTYPE_BINARY_FLOAT || serverType == OTYPE_BINARY_DOUBLE;
}

}  // namespace

CScriptLines CPrintCommand::Run(CCommandContext& context, const CCommandArgs& args) {
    return PrintVariable(context, args.Arg(0));
}

CScriptLines CPrintCommand::PrintVariable(CCommandContext& context, const std::string& name) {
    ODatabase* database = context.GetDatabase();
    if (!context.IsConnected() || database == nullptr)
        return CScriptLines(MessageText(Message::NotConnected));
    OParameter parameter = database->GetParameters().GetParameter(name.c_str());
    OValue value;
    if (parameter.GetValue(&value) != OSUCCESS)
        return CScriptLines(MessageText(Message::VariableNotDeclared));
    if (parameter.GetServerType() == OTYPE_CURSOR) {
        ODynaset dynaset;
        CScriptLines output;
        if (dynaset.OpenCursorVariable(*database, name.c_str()) != OSUCCESS)
            return context.AppendServerError(output);
        return context.AppendRows(dynaset, output);
    }
    // Note: numbers show as the database wrote them, whole and exact; NULL
    // shows empty. A floating value is fitted to NUMWIDTH as a query's
    // BINARY_FLOAT or BINARY_DOUBLE column shows it.
    std::string shown = value.ToText();
    if (IsFloating(parameter.GetServerType()))
        shown = numberfit::Fit(shown, std::max(textparse::ParseLeadingInt(context.Setting("NUMWIDTH")), 1));
    return {"", name, std::string(20, '-'), shown, ""};
}
