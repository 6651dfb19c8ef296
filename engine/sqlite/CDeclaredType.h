#pragma once

#include <string_view>

#include "engine/EngineTypes.h"

// The column description of a declared column type, such as "VARCHAR2(20)"
// or "NUMBER(7,2)". Declared types the server does not know are shown as
// VARCHAR2 columns as wide as their widest value.
class CDeclaredType {
public:
    struct Description {
        CEngineColumn column;
        // The size is the widest value of the result (at least 1).
        bool sizeFromValues = false;
        bool isDate = false;
        // TIMESTAMP(n): the digits of a second shown; -1 for a DATE.
        int fraction = -1;
        // TIMESTAMP ... WITH TIME ZONE: its values carry their zone.
        bool zone = false;
        // NUMBER(p, s): values are shown rounded to the scale, as the server
        // stores them.
        bool roundsToScale = false;
    };

    static Description Describe(std::string_view declared);
    // Whether `word` (upper case), the first word of a declared type, names
    // a type of the server the engine keeps (INTERVAL, ROWID and the rest too).
    static bool IsTypeWord(std::string_view word);
};
