#pragma once

#include <string>
#include <string_view>

#include "engine/EngineTypes.h"

// The object-relational features the embedded engine does not hold, refused
// by name (ORA-03001) before anything is made: object tables (CREATE TABLE t
// OF type), object views (CREATE VIEW v OF type), REF columns and the
// server's own object types as column types (XMLTYPE, SDO_GEOMETRY, ANYDATA).
class CObjectFeatures {
public:
    // False (the error set at the word) when `sql` (CP932) makes an object
    // table or an object view.
    static bool Allowed(std::string_view sql, CEngineError& error);
    // The feature a column's type (as written, upper case) names, CP932;
    // "" for a type the engine holds.
    static std::string RefusedType(std::string_view type);
};
