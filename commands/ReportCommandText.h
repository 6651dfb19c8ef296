#pragma once

#include <string>
#include <vector>

#include "text/CScriptLines.h"

namespace reportcommand {

CScriptLines Lines(const std::vector<std::string>& lines);

}  // namespace reportcommand
