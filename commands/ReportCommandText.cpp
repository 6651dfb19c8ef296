#include "commands/ReportCommandText.h"

namespace reportcommand {

std::string Arguments(std::string_view text) {
    std::string out(text);
    for (std::size_t at = 0; at < out.size(); ++at) {
        if (out[at] == '\n') out[at] = ' ';
        const bool alone = out[at] == '-' && (at == 0 || out[at - 1] == ' ') &&
                           (at + 1 == out.size() || out[at + 1] == ' ' || out[at + 1] == '\n');
        if (alone) out[at] = ' ';
    }
    return out;
}

CScriptLines Lines(const std::vector<std::string>& lines) {
    CScriptLines out;
    out.assign(lines.begin(), lines.end());
    return out;
}

}  // namespace reportcommand
