#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "text/CScriptLines.h"

namespace reportcommand {

// The arguments of a report command with its continuation hyphens (a lone
// "-" that ended a line) taken out.
std::string Arguments(std::string_view text);

CScriptLines Lines(const std::vector<std::string>& lines);

}  // namespace reportcommand
