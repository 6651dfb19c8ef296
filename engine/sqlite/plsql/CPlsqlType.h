#pragma once

// PL/SQL: the declared type of a variable and the rules of assigning to it.
#include <memory>
#include <string>
#include <vector>

struct CPlsqlExpr;

// What a variable was declared as: a scalar with its constraints, a record
// (fields in order) or a collection (its element type).
struct CPlsqlType {
    enum class Base { Number, Integer, Text, Char, Date, Boolean, Record, Collection, Cursor, Any };
    // What the collection is: INDEX BY (sparse), nested table or VARRAY.
    enum class CollectionKind { None, Associative, Nested, Varray };

    Base base = Base::Any;
    // NUMBER(p, s): precision 0 when none; scale kNoScale when none.
    static constexpr int kNoScale = -1000;
    int precision = 0;
    int scale = kNoScale;
    // VARCHAR2(n) / CHAR(n): bytes; 0 when none (up to the PL/SQL limit).
    long length = 0;
    // CLOB: no VARCHAR2 limit, up to the longest text a value may hold.
    bool lob = false;
    bool notNull = false;
    // TIMESTAMP(n): the digits of a second it keeps (6 when none is given);
    // -1 for a DATE, which keeps none.
    int fraction = -1;
    // TIMESTAMP WITH TIME ZONE ('Z'), WITH LOCAL TIME ZONE ('L'), or a DATE
    // or TIMESTAMP declared without one ('N'); 0 for a type that does not
    // tell (its values keep whatever zone they have).
    char zone = 0;
    // PLS_INTEGER family: the range it holds, and NATURAL/POSITIVE floors.
    long long minimum = 0;
    long long maximum = 0;
    bool ranged = false;
    // INTERVAL YEAR TO MONTH ('Y') or DAY TO SECOND ('D'), of base Text:
    // its leading field's digits in `precision`, its second's in `fraction`.
    char interval = 0;
    // BINARY_FLOAT (4) or BINARY_DOUBLE (8), of base Number: IEEE values.
    int floatWidth = 0;
    std::string name;  // the type's name, for messages (upper case)
    struct Field {
        std::string name;
        std::shared_ptr<CPlsqlType> type;
    };
    std::vector<Field> fields;
    // A record type's defaults of its fields (:= or DEFAULT), by the fields'
    // places; null for a field without one, empty when none has one.
    std::vector<std::shared_ptr<CPlsqlExpr>> fieldDefaults;
    CollectionKind collection = CollectionKind::None;
    std::shared_ptr<CPlsqlType> element;
    bool indexByText = false;
    long varrayLimit = 0;
    // A package's cursor (a cursor variable of the package's state): the
    // frame's declared cursor whose query OPEN runs; -1 for none.
    int cursorQuery = -1;
    // A record that is a schema's object type (CREATE TYPE ... AS OBJECT):
    // made by its constructor, name(attribute, ...).
    bool object = false;
    // NOT FINAL: the dictionary's FINAL column (subtypes are not made here).
    bool notFinal = false;
    // An object type's methods as its heading declares them: MEMBER, STATIC,
    // CONSTRUCTOR, MAP or ORDER; their bodies are compiled with the type's body.
    struct Method {
        std::string name;
        std::string kind;
        bool function = false;
        int parameters = 0;  // SELF included
    };
    std::vector<Method> methods;

    bool IsScalar() const { return base != Base::Record && base != Base::Collection; }
    // The field's place, -1 when the record has none of that name.
    int FieldIndex(const std::string& field) const;
};
