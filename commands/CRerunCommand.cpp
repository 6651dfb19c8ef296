#include "commands/CRerunCommand.h"

#include "interpreter/CCommandContext.h"
#include "interpreter/CConsoleHost.h"

// Note: the host recalls the line two steps back and submits it; the
// nested submission starts a statement of its own.
CScriptLines CRerunCommand::Run(CCommandContext& context, const CCommandArgs&) {
    CConsoleHost* host = context.GetHost();
    if (host == nullptr || m_rerunDepth > 0) return {};
    context.ResetStatement();
    struct DepthGuard {
        int& depth;
        explicit DepthGuard(int& d) : depth(d) { ++depth; }
        ~DepthGuard() { --depth; }
    } guard(m_rerunDepth);
    host->SendKey(CConsoleHost::Key::Up);
    host->SendKey(CConsoleHost::Key::Up);
    host->SendKey(CConsoleHost::Key::Return);
    return {};
}
