#pragma once

// Warehouse: partitioned tables and materialized views of the embedded engine.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct sqlite3_value;

// One value of a partition key or bound, in a form that compares as the
// server compares the key: numbers by their exact value, text and dates
// (kept as text of a sortable form) by their bytes.
struct CPartitionValue {
    enum class Kind { Null, Number, Text, MaxValue };
    Kind kind = Kind::Null;
    std::string bytes;  // Number: CNumberDecimal::SortKey; Text: the bytes

    static CPartitionValue Of(sqlite3_value* value);
    static CPartitionValue Number(const std::string& digits);
    static CPartitionValue Text(std::string text) { return {Kind::Text, std::move(text)}; }
    static CPartitionValue Max() { return {Kind::MaxValue, {}}; }
    bool operator==(const CPartitionValue& other) const = default;
};

using CPartitionKey = std::vector<CPartitionValue>;

// A table's partitions and the rule that maps a row's key to one of them.
struct CPartitionScheme {
    enum class Method { Range, List, Hash };
    struct Partition {
        std::string name;       // upper case, UTF-8 (as the catalog keeps names)
        std::string highValue;  // as the dictionary shows it; "" for HASH
        // RANGE: one tuple, the bound; LIST: the tuples listed.
        std::vector<CPartitionKey> values;
        bool isDefault = false;  // LIST ... VALUES (DEFAULT)
    };

    std::string table;
    Method method = Method::Range;
    std::vector<std::string> columns;  // the key, upper case
    std::vector<Partition> partitions;
    bool rowMovement = false;
    // INTERVAL (step): beyond the bound of the first `ranges` partitions (the
    // transition point) a row makes the partition of its interval. The step
    // as written (UTF-8, empty for none) and its value as an interval's text.
    std::string interval;
    std::string step;
    std::size_t ranges = 0;

    // The position (0-based) of the partition `key` maps to; -1 for none
    // (ORA-14400).
    int Locate(const CPartitionKey& key) const;
    // The partition an INTERVAL table makes for `key` (a date or timestamp
    // beyond the transition point) when none takes it; false when none may
    // be made. Its name is left to the caller.
    bool IntervalPartition(const CPartitionKey& key, Partition& out) const;
    // -1 when no partition has that name.
    int Find(const std::string& name) const;
    static const char* MethodName(Method method);

private:
    int LocateRange(const CPartitionKey& key) const;
    int LocateList(const CPartitionKey& key) const;
    int LocateHash(const CPartitionKey& key) const;
    // The upper bound of the interval `key` falls in (a stored date).
    bool IntervalBound(const CPartitionKey& key, std::string& bound) const;
};

// Orders two values as a range bound does: NULL above every value, MAXVALUE
// above NULL; a number below a text.
int ComparePartitionValues(const CPartitionValue& a, const CPartitionValue& b);
