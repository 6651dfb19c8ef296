#include "commands/ReportCommandText.h"

namespace reportcommand {

CScriptLines Lines(const std::vector<std::string>& lines) {
    CScriptLines out;
    out.assign(lines.begin(), lines.end());
    return out;
}

}  // namespace reportcommand
