#include "engine/sqlite/warehouse/CPartitionScheme.h"

#include <sqlite3.h>

#include "engine/sqlite/values/CNumberDecimal.h"
#include "engine/sqlite/values/CNumberValue.h"

namespace {

int Rank(CPartitionValue::Kind kind) {
    switch (kind) {
        case CPartitionValue::Kind::Number:
            return 0;
        case CPartitionValue::Kind::Text:
            return 1;
        case CPartitionValue::Kind::Null:
            return 2;
        case CPartitionValue::Kind::MaxValue:
            return 3;
    }
    return 3;
}

// FNV-1a over the key's kinds and bytes: the same key, the same partition.
std::uint32_t Hash(const CPartitionKey& key) {
    std::uint32_t hash = 2166136261u;
    auto mix = [&hash](unsigned char byte) {
        hash ^= byte;
        hash *= 16777619u;
    };
    for (const CPartitionValue& value : key) {
        mix(static_cast<unsigned char>(Rank(value.kind)));
        for (char c : value.bytes) mix(static_cast<unsigned char>(c));
    }
    return hash;
}

}  // namespace

CPartitionValue CPartitionValue::Of(sqlite3_value* value) {
    switch (sqlite3_value_type(value)) {
        case SQLITE_NULL:
            return {};
        case SQLITE_TEXT: {
            const char* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
            return Text(std::string(text, static_cast<std::size_t>(sqlite3_value_bytes(value))));
        }
        default: {
            CNumberDecimal number;
            if (!CNumberValue::Read(value, number)) return {};
            return {Kind::Number, number.SortKey()};
        }
    }
}

CPartitionValue CPartitionValue::Number(const std::string& digits) {
    CNumberDecimal number;
    CNumberDecimal::FromText(digits, number);
    return {Kind::Number, number.SortKey()};
}

int ComparePartitionValues(const CPartitionValue& a, const CPartitionValue& b) {
    if (a.kind != b.kind) return Rank(a.kind) < Rank(b.kind) ? -1 : 1;
    int order = a.bytes.compare(b.bytes);
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

const char* CPartitionScheme::MethodName(Method method) {
    switch (method) {
        case Method::Range:
            return "RANGE";
        case Method::List:
            return "LIST";
        case Method::Hash:
            return "HASH";
    }
    return "RANGE";
}

int CPartitionScheme::Find(const std::string& name) const {
    for (std::size_t k = 0; k < partitions.size(); ++k)
        if (partitions[k].name == name) return static_cast<int>(k);
    return -1;
}

int CPartitionScheme::Locate(const CPartitionKey& key) const {
    switch (method) {
        case Method::Range:
            return LocateRange(key);
        case Method::List:
            return LocateList(key);
        case Method::Hash:
            return LocateHash(key);
    }
    return -1;
}

// The first partition whose bound is above the key, column by column: a
// key equal to a bound belongs to the partition after it.
int CPartitionScheme::LocateRange(const CPartitionKey& key) const {
    for (std::size_t p = 0; p < partitions.size(); ++p) {
        const CPartitionKey& bound = partitions[p].values.empty() ? CPartitionKey() : partitions[p].values[0];
        int order = 0;
        for (std::size_t c = 0; c < key.size() && c < bound.size() && order == 0; ++c)
            order = ComparePartitionValues(key[c], bound[c]);
        if (order < 0) return static_cast<int>(p);
    }
    return -1;
}

int CPartitionScheme::LocateList(const CPartitionKey& key) const {
    int fallback = -1;
    for (std::size_t p = 0; p < partitions.size(); ++p) {
        if (partitions[p].isDefault) fallback = static_cast<int>(p);
        for (const CPartitionKey& listed : partitions[p].values)
            if (listed == key) return static_cast<int>(p);
    }
    return fallback;
}

// Linear hashing as the server spreads rows: the hash modulo the power of
// two at or above the count, folded to the power below when past the end.
int CPartitionScheme::LocateHash(const CPartitionKey& key) const {
    std::uint32_t count = static_cast<std::uint32_t>(partitions.size());
    if (count == 0) return -1;
    std::uint32_t power = 1;
    while (power < count) power <<= 1;
    std::uint32_t hash = Hash(key);
    std::uint32_t slot = hash & (power - 1);
    if (slot >= count) slot = hash & ((power >> 1) - 1);
    return static_cast<int>(slot);
}
