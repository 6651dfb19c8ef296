#pragma once

// PL/SQL: an object SQL hands a block, read back into its attributes.
#include <string>
#include <string_view>
#include <vector>

#include "engine/sqlite/plsql/CPlsqlCollection.h"
#include "engine/sqlite/plsql/CPlsqlType.h"
#include "engine/sqlite/plsql/CPlsqlValue.h"

// SQL reads an object column as its constructor's text ("T('a', 1,
// NULL)"; see CSqlEmitter's object types): texts quoted with '' for a
// quote, numbers in their exact digits, dates as stored. Read into the
// fields of an object variable of `type`; an attribute that is itself an
// object is held as its constructor's text, a collection is left NULL.
class CObjectText {
public:
    // False when `text` is no constructor of `type` (its name, then as
    // many attributes as the type has).
    static bool Read(std::string_view text, const CPlsqlType& type, std::vector<CPlsqlValue>& fields);
    // A nested table or VARRAY column's text ("T(1, 'a', NULL)", "T()")
    // read into the elements 1..n of a collection of `type`; an element
    // that is an object comes from its own constructor. False when `text`
    // is no constructor of `type`.
    static bool ReadElements(std::string_view text, const CPlsqlType& type, CPlsqlCollection& collection);
    // An object variable as SQL takes it from a block: {"type": name,
    // "attrs": [...]}, texts and numbers as JSON strings, NULL as null.
    static std::string Document(const std::vector<CPlsqlValue>& fields, const CPlsqlType& type);
    // The attributes alone, as an object column holds them: [a1, a2, ...].
    static std::string Attributes(const std::vector<CPlsqlValue>& fields, const CPlsqlType& type);
    // The constructor's text of an object of `type` with these attributes,
    // as Read takes it back (how a record's field holds an object).
    static std::string Constructor(const std::vector<CPlsqlValue>& fields, const CPlsqlType& type);

private:
    // `text` is "name(...)" for the type's name.
    static bool Named(std::string_view text, const std::string& name);
    // One attribute from `at`; `at` left after it. `nested` set for an
    // object or collection constructor.
    static bool Item(std::string_view text, std::size_t& at, std::string& value, bool& isNull, bool& quoted);
    static CPlsqlValue Typed(const std::string& value, bool isNull, const CPlsqlType& type);
};
