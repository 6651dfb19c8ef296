#include "commands/CExecuteCommand.h"

#include <chrono>

#include "interpreter/CCommandContext.h"
#include "oracle/ODatabase.h"

CScriptLines CExecuteCommand::Run(CCommandContext& context, const CCommandArgs& args) {
    ODatabase* database = context.GetDatabase();
    if (!context.IsConnected() || database == nullptr) {
        context.NoteSqlFailure();
        return CScriptLines(MessageText(Message::NotConnected));
    }
    if (args.args.empty()) return CScriptLines(MessageText(Message::ExecuteUsage));
    // Note: the hyphen that continued the command is no minus sign of the block.
    m_execBlock = "BEGIN " + args.Joined(0) + "; END;";
    CScriptLines output;
    const auto started = std::chrono::steady_clock::now();
    if (database->ExecuteSQL(m_execBlock.c_str()) != OSUCCESS) {
        context.NoteSqlFailure();
        context.AppendServerError(output);
    } else if (context.IsFeedbackOn()) {
        output = {"", MessageText(Message::BlockCompleted), ""};
    }
    const auto elapsed = std::chrono::steady_clock::now() - started;
    context.AppendElapsed(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count(), output);
    return output;
}
