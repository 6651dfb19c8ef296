#pragma once

#include <string>

#include "text/CScriptLines.h"

class ODatabase;

// DESCRIBE of a schema's type, read from the dictionary as the server's
// DESCRIBE shows it: an object type's attributes on the columns' grid
// (name, NULL?, type; an attribute of a schema type by the type's name), a
// collection type as one line ("PHONE_LIST_TYP VARRAY(5) OF VARCHAR2(25)",
// "T TABLE OF ELEM_TYP") and, for elements of an object type, their
// attributes below it.
class CTypeDescription {
public:
    // `name` as DESCRIBE was given it ([owner.]type, quoted or not). False
    // when no type has that name, or the dictionary could not be read.
    static bool Describe(ODatabase& database, const std::string& name, CScriptLines& output);

private:
    struct Named {
        std::string owner;  // "" for the user's own
        std::string type;
    };
    static Named Split(const std::string& name);
    static bool Attributes(ODatabase& database, const Named& named, CScriptLines& output);
    static bool Collection(ODatabase& database, const Named& named, CScriptLines& output);
    // The type text of a dictionary row's type name, length, precision, scale and owner.
    static std::string TypeText(const std::string* values);
};
