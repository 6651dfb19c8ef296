#pragma once

#include <functional>

#include "text/CScriptLines.h"

class CReportWriter;
class ODynaset;

namespace queryreport {

// Lays the rows of the open result set out through `writer` into `output`
// (its columns described first, each value read as far as the layout
// needs it); the rows laid out. `afterRow`, when given, adds what follows
// each row (the rows of its cursor expressions).
long LayOut(ODynaset& dynaset, CReportWriter& writer, CScriptLines& output,
            const std::function<void(CScriptLines&)>& afterRow = nullptr);

}  // namespace queryreport
