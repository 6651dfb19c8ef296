#pragma once

// PL/SQL: the elements of an associative array, nested table or VARRAY.
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/sqlite/plsql/CPlsqlPackedValues.h"
#include "engine/sqlite/plsql/CPlsqlValue.h"
#include "text/TextOrder.h"

class CPlsqlRefCursor;

// Elements by key, in key order: numbers for INDEX BY PLS_INTEGER, nested
// tables and VARRAYs (1..n), texts for INDEX BY VARCHAR2. A nested table or
// VARRAY not yet made (no constructor, no BULK COLLECT) is null.
class CPlsqlCollection {
public:
    struct Key {
        bool text = false;
        std::int64_t number = 0;
        std::string name;
        bool operator<(const Key& other) const {
            if (text != other.text) return !text;
            return text ? textorder::Less(name, other.name) : number < other.number;
        }
    };
    struct Element {
        CPlsqlValue value;
        std::vector<CPlsqlValue> fields;  // an element that is a record
    };

    bool isNull = false;
    std::map<Key, Element> elements;
    // Elements 1..n of scalar values packed, as BULK COLLECT leaves them;
    // `elements` is then empty until Unpack (before any change).
    std::shared_ptr<CPlsqlPackedValues> packed;
    // Deleted elements of a nested table after its last one: they keep
    // their places, which EXTEND appends after and TRIM takes away.
    std::int64_t tail = 0;

    // The most elements any collection holds; more answer an error.
    static constexpr std::size_t kMaxElements = 10000000;

    // Note: an element of a packed collection is read into one element
    // the collection keeps, valid until the next Find; Unpack before writing.
    Element* Find(const Key& key);
    std::size_t Count() const { return packed ? packed->Size() : elements.size(); }
    // The packed elements moved into `elements`.
    void Unpack();
    // The first or last key; false when empty.
    bool First(Key& key) const;
    bool Last(Key& key) const;
    // The key after (or before) `key`; false when none.
    bool Next(const Key& key, Key& out) const;
    bool Prior(const Key& key, Key& out) const;
    // The places 1..n of a nested table or VARRAY, deleted ones counted.
    std::int64_t Size() const;
    // Appends `count` elements after the last place (EXTEND): nulls, or
    // copies of `fill`.
    void Extend(std::size_t count, const Element* fill = nullptr);
    // Removes the last `count` places, deleted ones counted (TRIM).
    void Trim(std::size_t count);
    // Removes the elements from `from` to `to` (DELETE); their places stay.
    void Erase(const Key& from, const Key& to);
    static Key NumberKey(std::int64_t number);
    static CPlsqlValue KeyValue(const Key& key);

private:
    Element m_read;
};

// What a variable holds while its block runs: a value, a record's fields or
// a collection.
struct CPlsqlDatum {
    CPlsqlValue value;
    std::vector<CPlsqlValue> fields;
    std::shared_ptr<CPlsqlCollection> collection;
    // A cursor variable: the cursor it points to (null before OPEN).
    std::shared_ptr<CPlsqlRefCursor> cursor;
};
