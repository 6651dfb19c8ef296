#pragma once

#include "text/CScriptLines.h"

class CReportWriter;
class ODynaset;

namespace queryreport {

// Lays the rows of the open result set out through `writer` into `output`
// (its columns described first, each value read as far as the layout
// needs it); the rows laid out.
long LayOut(ODynaset& dynaset, CReportWriter& writer, CScriptLines& output);

}  // namespace queryreport
