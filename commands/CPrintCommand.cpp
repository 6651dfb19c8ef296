#include "commands/CPrintCommand.h"

#include "interpreter/CCommandContext.h"
#include "oracle/ODatabase.h"
#include "oracle/ODynaset.h"
#include "oracle/OParameterCollection.h"

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
    // shows empty.
    return {"", name, std::string(20, '-'), value.ToText(), ""};
}
