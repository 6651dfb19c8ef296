#pragma once

// PL/SQL: what the dictionary shows of a schema's type (USER_TYPES,
// USER_COLL_TYPES, USER_TYPE_ATTRS), read from the compiled type.
#include <string>

#include "engine/sqlite/plsql/CPlsqlType.h"

// The type as one JSON object (CP932 names): "name", "code" (OBJECT, COLLECTION),
// "final", for an object its "methods" ([name, kind, 1 for a function,
// parameters with SELF]), and for a collection "kind" (TABLE, VARYING ARRAY), "bound" and
// "element"; for an object "attrs" ([name, type, declared, kind], the kind
// OBJECT or COLLECTION for a schema type, else null). A type is [name, length, precision,
// scale], null where it has none. A collection also has "object" and
// "columns", the columns of TABLE() over it.
class CTypeShape {
public:
    static std::string Json(const CPlsqlType& type);

private:
    static std::string TypeJson(const CPlsqlType& type);
    static std::string Kind(const CPlsqlType& type);
    // ,"object":..., "columns":[[name, declared], ...] of TABLE() over the collection.
    static std::string Columns(const CPlsqlType& collection);
};
