#include "commands/ReadFields.h"

#include "oracle/ODynaset.h"

void ReadFields(ODynaset& dynaset, std::string* values, int count) {
    for (int c = 0; c < count; ++c) {
        char buffer[4096] = {};
        dynaset.GetFieldValue(c, buffer, sizeof buffer);
        values[c] = buffer;
    }
}
