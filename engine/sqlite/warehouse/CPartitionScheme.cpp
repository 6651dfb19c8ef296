#include "engine/sqlite/warehouse/CPartitionScheme.h"

#include <sqlite3.h>

#include <algorithm>

#include "engine/sqlite/CDateFormat.h"
#include "engine/sqlite/values/CIntervalFunctions.h"
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

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
long long DaysOf(int year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    long long era = (year >= 0 ? year : year - 399) / 400;
    long long yoe = year - era * 400;
    long long doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

long long SecondsOf(const CDateTime& t) {
    return DaysOf(t.year, t.month, t.day) * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

CDateTime DateOf(long long seconds) {
    long long days = seconds >= 0 ? seconds / 86400 : -((-seconds + 86399) / 86400);
    long long rest = seconds - days * 86400;
    days += 719468;
    long long era = (days >= 0 ? days : days - 146096) / 146097;
    long long doe = days - era * 146097;
    long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    long long mp = (5 * doy + 2) / 153;
    CDateTime out;
    out.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    out.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    out.year = static_cast<int>(yoe + era * 400 + (out.month <= 2 ? 1 : 0));
    out.hour = static_cast<int>(rest / 3600);
    out.minute = static_cast<int>(rest / 60 % 60);
    out.second = static_cast<int>(rest % 60);
    return out;
}

// `t` moved by `months`; a day past the month's end is its last day.
CDateTime AddMonths(CDateTime t, long long months) {
    long long index = t.year * 12LL + (t.month - 1) + months;
    t.year = static_cast<int>(index / 12);
    t.month = static_cast<int>(index % 12 + 1);
    static constexpr int kLast[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (t.year % 4 == 0 && t.year % 100 != 0) || t.year % 400 == 0;
    int last = kLast[t.month - 1] + (t.month == 2 && leap ? 1 : 0);
    if (t.day > last) t.day = last;
    return t;
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
    bool stepped = !interval.empty() && ranges > 0 && ranges <= partitions.size();
    std::size_t last = stepped ? ranges : partitions.size();
    for (std::size_t p = 0; p < last; ++p) {
        const CPartitionKey& bound = partitions[p].values.empty() ? CPartitionKey() : partitions[p].values[0];
        int order = 0;
        for (std::size_t c = 0; c < key.size() && c < bound.size() && order == 0; ++c)
            order = ComparePartitionValues(key[c], bound[c]);
        if (order < 0) return static_cast<int>(p);
    }
    // Note: interval partitions are kept in the order they were made; each
    // is found by its bound.
    std::string bound;
    if (!stepped || !IntervalBound(key, bound)) return -1;
    for (std::size_t p = ranges; p < partitions.size(); ++p)
        if (!partitions[p].values.empty() && partitions[p].values[0].size() == 1 &&
            partitions[p].values[0][0].bytes == bound)
            return static_cast<int>(p);
    return -1;
}

bool CPartitionScheme::IntervalBound(const CPartitionKey& key, std::string& bound) const {
    const CPartitionKey& top =
        partitions[ranges - 1].values.empty() ? CPartitionKey() : partitions[ranges - 1].values[0];
    CDateTime start;
    CDateTime row;
    CIntervalFunctions::Value by;
    if (key.size() != 1 || key[0].kind != CPartitionValue::Kind::Text || top.size() != 1 ||
        top[0].kind != CPartitionValue::Kind::Text || !CDateFormat::ParseStored(top[0].bytes, start) ||
        !CDateFormat::ParseStored(key[0].bytes, row) || !CIntervalFunctions::Read(step, by))
        return false;
    if (by.yearToMonth) {
        if (by.months <= 0) return false;
        long long apart = (row.year - start.year) * 12LL + (row.month - start.month);
        long long k = std::max(1LL, apart / by.months);
        auto at = [&](long long n) { return CDateFormat::ToStored(AddMonths(start, n * by.months)); };
        while (at(k) <= key[0].bytes) ++k;
        while (k > 1 && at(k - 1) > key[0].bytes) --k;
        bound = at(k);
        return true;
    }
    if (by.seconds <= 0 || by.nanos != 0) return false;
    long long from = SecondsOf(start);
    long long k = (SecondsOf(row) - from) / by.seconds + 1;
    if (k < 1) return false;
    bound = CDateFormat::ToStored(DateOf(from + k * by.seconds));
    return true;
}

bool CPartitionScheme::IntervalPartition(const CPartitionKey& key, Partition& out) const {
    std::string bound;
    if (interval.empty() || ranges == 0 || ranges > partitions.size() || Locate(key) >= 0 ||
        !IntervalBound(key, bound))
        return false;
    out = Partition();
    out.highValue =
        "TO_DATE(' " + bound.substr(0, 19) + "', 'SYYYY-MM-DD HH24:MI:SS', 'NLS_CALENDAR=GREGORIAN')";
    out.values.push_back({CPartitionValue::Text(bound)});
    return true;
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
