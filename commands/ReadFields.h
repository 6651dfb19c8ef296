#pragma once

#include <string>

class ODynaset;

// The text of the first `count` fields of the dynaset's current row.
void ReadFields(ODynaset& dynaset, std::string* values, int count);
