#include "engine/sqlite/values/CStatisticFunctions.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <map>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "engine/sqlite/COraError.h"
#include "engine/sqlite/SqliteApi.h"
#include "engine/sqlite/values/CNumberValue.h"

namespace {

using sqliteapi::TextOf;

void Raise(sqlite3_context* context, int code) {
    std::string message = COraError::ForFunction(code, {});
    sqlite3_result_error(context, message.c_str(), static_cast<int>(message.size()));
}

bool IsNull(sqlite3_value* value) { return sqlite3_value_type(value) == SQLITE_NULL; }

CNumberDecimal Integer(std::int64_t value) { return CNumberDecimal::FromInteger(value); }

// The state of an aggregate, made on its first row and freed by its final.
template <typename T>
T* State(sqlite3_context* context, bool create) {
    auto** state = static_cast<T**>(sqlite3_aggregate_context(context, create ? sizeof(T*) : 0));
    if (state == nullptr) return nullptr;
    if (*state == nullptr && create) *state = new (std::nothrow) T();
    return *state;
}

template <typename T>
void Free(sqlite3_context* context) {
    auto** state = static_cast<T**>(sqlite3_aggregate_context(context, 0));
    if (state == nullptr) return;
    delete *state;
    *state = nullptr;
}

// A value of an ordering key: NULL, a number, or text compared by its bytes.
struct Key {
    bool null = true;
    bool number = false;
    CNumberDecimal value;
    std::string text;

    static Key Of(sqlite3_value* argument) {
        Key key;
        int type = sqlite3_value_type(argument);
        key.null = type == SQLITE_NULL;
        key.number = type == SQLITE_INTEGER || type == SQLITE_FLOAT || type == SQLITE_BLOB;
        if (key.number && !CNumberValue::Read(argument, key.value)) key.number = false;
        if (!key.null && !key.number) key.text = TextOf(argument);
        return key;
    }
};

// The order of two keys: NULL last ascending and first descending, unless
// told otherwise; <0 when `a` comes first.
struct Order {
    bool descending = false;
    bool nullsFirst = false;

    int Compare(const Key& a, const Key& b) const {
        if (a.null || b.null) return a.null == b.null ? 0 : ((a.null == nullsFirst) ? -1 : 1);
        int order = a.number && b.number ? a.value.Compare(b.value) : a.text.compare(b.text);
        order = order < 0 ? -1 : (order > 0 ? 1 : 0);
        return descending ? -order : order;
    }
};

// Sums of x, y, x², y² and xy over the rows counted.
struct Moments {
    long long count = 0;
    CNumberDecimal x;
    CNumberDecimal y;
    CNumberDecimal xx;
    CNumberDecimal yy;
    CNumberDecimal xy;

    // A row in, or (`remove`) out again as a window moves on.
    void Add(const CNumberDecimal& a, const CNumberDecimal& b, bool remove = false) {
        count += remove ? -1 : 1;
        auto add = [remove](CNumberDecimal& sum, const CNumberDecimal& value) {
            sum = remove ? sum.Subtract(value) : sum.Add(value);
        };
        add(x, a);
        add(y, b);
        add(xx, a.Multiply(a));
        add(yy, b.Multiply(b));
        add(xy, a.Multiply(b));
    }
    // n·Σab − Σa·Σb: n² times the population co-moment, exact.
    CNumberDecimal Spread(const CNumberDecimal& ab, const CNumberDecimal& a, const CNumberDecimal& b) const {
        return Integer(count).Multiply(ab).Subtract(a.Multiply(b));
    }
};

// The statistic `kind` of the moments; false for NULL.
bool Statistic(std::string_view kind, const Moments& m, CNumberDecimal& out) {
    if (m.count == 0) return false;
    CNumberDecimal n = Integer(m.count);
    CNumberDecimal population = n.Multiply(n);
    CNumberDecimal sample = n.Multiply(Integer(m.count - 1));
    bool pairs = kind.rfind("COVAR", 0) == 0 || kind == "CORR";
    CNumberDecimal spread = pairs ? m.Spread(m.xy, m.x, m.y) : m.Spread(m.xx, m.x, m.x);
    if (kind == "CORR") {
        CNumberDecimal product = m.Spread(m.xx, m.x, m.x).Multiply(m.Spread(m.yy, m.y, m.y));
        CNumberDecimal root;
        if (!product.SquareRoot(root) || root.IsZero()) return false;
        return spread.Divide(root, out);
    }
    bool samp = kind.find("SAMP") != std::string_view::npos;
    // Note: VARIANCE and STDDEV of one row are 0, their _SAMP forms NULL.
    bool one = kind == "VARIANCE" || kind == "STDDEV";
    if (m.count == 1 && (samp || one)) return one ? (out = CNumberDecimal(), true) : false;
    CNumberDecimal variance;
    spread.Divide(samp || one ? sample : population, variance);
    if (kind.rfind("STDDEV", 0) != 0) return out = variance, true;
    return variance.Server().SquareRoot(out);
}

struct StatState {
    std::string kind;
    Moments moments;
};

template <bool kRemove>
void StatStep(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (IsNull(argv[1]) || (argc > 2 && IsNull(argv[2]))) return;
    CNumberDecimal a;
    CNumberDecimal b;
    if (!CNumberValue::Read(argv[1], a) || (argc > 2 && !CNumberValue::Read(argv[2], b)))
        return Raise(context, 1722);
    auto* state = State<StatState>(context, true);
    if (state == nullptr) return sqlite3_result_error_nomem(context);
    if (state->kind.empty()) state->kind = TextOf(argv[0]);
    state->moments.Add(a, argc > 2 ? b : a, kRemove);
}

void StatValue(sqlite3_context* context) {
    auto* state = State<StatState>(context, false);
    CNumberDecimal out;
    if (state != nullptr && Statistic(state->kind, state->moments, out))
        CNumberValue::Result(context, out);
    else
        sqlite3_result_null(context);
}

void StatFinal(sqlite3_context* context) {
    StatValue(context);
    Free<StatState>(context);
}

struct PercentileState {
    bool continuous = true;
    bool descending = false;
    CNumberDecimal p;
    std::vector<CNumberDecimal> values;
};

void PercentileStep(sqlite3_context* context, int, sqlite3_value** argv) {
    auto* state = State<PercentileState>(context, true);
    if (state == nullptr) return sqlite3_result_error_nomem(context);
    if (state->values.empty()) {
        CNumberDecimal p;
        if (IsNull(argv[1]) || !CNumberValue::Read(argv[1], p) || p.Sign() < 0 || p.Compare(Integer(1)) > 0)
            return Raise(context, 30493);
        state->p = p;
        state->continuous = TextOf(argv[0]) == "CONT";
        state->descending = sqlite3_value_int(argv[3]) != 0;
    }
    if (IsNull(argv[2])) return;
    CNumberDecimal value;
    if (!CNumberValue::Read(argv[2], value)) return Raise(context, 1722);
    state->values.push_back(std::move(value));
}

// PERCENTILE_CONT: the value at row 1 + p(n − 1), interpolated between the
// rows around it; PERCENTILE_DISC: the first value whose cumulative
// distribution reaches p.
CNumberDecimal Percentile(PercentileState& state) {
    auto& values = state.values;
    std::sort(values.begin(), values.end(), [&state](const CNumberDecimal& a, const CNumberDecimal& b) {
        return state.descending ? b.Compare(a) < 0 : a.Compare(b) < 0;
    });
    CNumberDecimal n = Integer(static_cast<std::int64_t>(values.size()));
    if (!state.continuous) {
        CNumberDecimal position = state.p.Multiply(n);
        CNumberDecimal whole = position.Truncate(0);
        std::int64_t k = 0;
        whole.ToInteger(k);
        if (position.Compare(whole) > 0) ++k;
        return values[static_cast<std::size_t>(std::max<std::int64_t>(k, 1) - 1)];
    }
    CNumberDecimal row = state.p.Multiply(n.Subtract(Integer(1)));  // from 0
    CNumberDecimal below = row.Truncate(0);
    std::int64_t k = 0;
    below.ToInteger(k);
    auto at = static_cast<std::size_t>(k);
    CNumberDecimal fraction = row.Subtract(below);
    if (fraction.IsZero() || at + 1 >= values.size()) return values[at];
    CNumberDecimal rest = Integer(1).Subtract(fraction);
    return rest.Multiply(values[at]).Add(fraction.Multiply(values[at + 1]));
}

void PercentileValue(sqlite3_context* context) {
    auto* state = State<PercentileState>(context, false);
    if (state == nullptr || state->values.empty())
        sqlite3_result_null(context);
    else
        CNumberValue::Result(context, Percentile(*state));
}

void PercentileFinal(sqlite3_context* context) {
    PercentileValue(context);
    Free<PercentileState>(context);
}

// A row leaving the window takes one equal value out again.
void PercentileInverse(sqlite3_context* context, int, sqlite3_value** argv) {
    auto* state = State<PercentileState>(context, false);
    CNumberDecimal value;
    if (state == nullptr || IsNull(argv[2]) || !CNumberValue::Read(argv[2], value)) return;
    auto& values = state->values;
    auto found = std::find_if(values.begin(), values.end(),
                              [&value](const CNumberDecimal& held) { return held.Compare(value) == 0; });
    if (found != values.end()) values.erase(found);
}

// Several keys in order, each with its own direction.
struct Keys {
    std::vector<Key> values;

    static Keys Of(sqlite3_value** argv, int count) {
        Keys out;
        for (int k = 0; k < count; ++k) out.values.push_back(Key::Of(argv[k]));
        return out;
    }
};

int CompareKeys(const std::vector<Order>& orders, const Keys& a, const Keys& b) {
    for (std::size_t k = 0; k < orders.size(); ++k)
        if (int order = orders[k].Compare(a.values[k], b.values[k]); order != 0) return order;
    return 0;
}

// The directions of `count` keys from their flags: descending, then (when
// `nulls`) NULLS FIRST; NULLS FIRST descending otherwise.
std::vector<Order> OrdersOf(sqlite3_value** argv, int count, bool nulls) {
    std::vector<Order> out(static_cast<std::size_t>(count));
    for (int k = 0; k < count; ++k) {
        out[static_cast<std::size_t>(k)].descending = sqlite3_value_int(argv[k]) != 0;
        out[static_cast<std::size_t>(k)].nullsFirst =
            nulls ? sqlite3_value_int(argv[count + k]) != 0 : out[static_cast<std::size_t>(k)].descending;
    }
    return out;
}

struct HypotheticalState {
    std::string kind;
    std::vector<Order> orders;
    Keys value;
    std::vector<Keys> keys;
    bool started = false;
};

// (kind, n, v1..vn, key1..keyn, descending1..descendingn)
void HypotheticalStep(sqlite3_context* context, int argc, sqlite3_value** argv) {
    int count = sqlite3_value_int(argv[1]);
    if (count < 1 || argc != 2 + 3 * count) return Raise(context, 909);
    auto* state = State<HypotheticalState>(context, true);
    if (state == nullptr) return sqlite3_result_error_nomem(context);
    if (!state->started) {
        state->started = true;
        state->kind = TextOf(argv[0]);
        state->value = Keys::Of(argv + 2, count);
        state->orders = OrdersOf(argv + 2 + 2 * count, count, false);
    }
    state->keys.push_back(Keys::Of(argv + 2 + count, count));
}

// The rank the value would take among the keys (ties after none of them).
CNumberDecimal Hypothetical(HypotheticalState& state) {
    std::vector<const Keys*> before;
    std::int64_t notAfter = 0;
    for (const Keys& key : state.keys) {
        int order = CompareKeys(state.orders, key, state.value);
        if (order < 0) before.push_back(&key);
        if (order <= 0) ++notAfter;
    }
    auto rows = static_cast<std::int64_t>(state.keys.size());
    auto rank = static_cast<std::int64_t>(before.size()) + 1;
    CNumberDecimal out;
    if (state.kind == "RANK") return Integer(rank);
    if (state.kind == "PERCENT_RANK") {
        Integer(rank - 1).Divide(Integer(rows), out);
        return out;
    }
    if (state.kind == "CUME_DIST") {
        Integer(notAfter + 1).Divide(Integer(rows + 1), out);
        return out;
    }
    std::sort(before.begin(), before.end(),
              [&state](const Keys* a, const Keys* b) { return CompareKeys(state.orders, *a, *b) < 0; });
    std::int64_t distinct = 0;
    for (std::size_t k = 0; k < before.size(); ++k)
        if (k == 0 || CompareKeys(state.orders, *before[k - 1], *before[k]) != 0) ++distinct;
    return Integer(distinct + 1);
}

void HypotheticalFinal(sqlite3_context* context) {
    auto* state = State<HypotheticalState>(context, false);
    // Note: over no rows the answer is the caller's (see CStatisticFunctions).
    if (state == nullptr) return sqlite3_result_null(context);
    CNumberValue::Result(context, Hypothetical(*state).Server());
    Free<HypotheticalState>(context);
}

struct KeepState {
    std::string function;
    bool first = true;
    std::vector<Order> orders;
    Keys best;
    bool any = false;
    std::vector<sqlite3_value*> values;

    ~KeepState() { Clear(); }
    void Clear() {
        for (sqlite3_value* value : values) sqlite3_value_free(value);
        values.clear();
    }
};

// (function, first, value, n, key1..keyn, descending1..n, nullsFirst1..n)
void KeepStep(sqlite3_context* context, int argc, sqlite3_value** argv) {
    int count = sqlite3_value_int(argv[3]);
    if (count < 1 || argc != 4 + 3 * count) return Raise(context, 909);
    auto* state = State<KeepState>(context, true);
    if (state == nullptr) return sqlite3_result_error_nomem(context);
    if (!state->any) {
        state->function = TextOf(argv[0]);
        state->first = sqlite3_value_int(argv[1]) != 0;
        state->orders = OrdersOf(argv + 4 + count, count, true);
    }
    Keys key = Keys::Of(argv + 4, count);
    int order = state->any ? CompareKeys(state->orders, key, state->best) : (state->first ? -1 : 1);
    if (!state->first) order = -order;
    if (order > 0) return;
    if (order < 0) {
        state->Clear();
        state->best = std::move(key);
        state->any = true;
    }
    if (IsNull(argv[2])) return;
    sqlite3_value* copy = sqlite3_value_dup(argv[2]);
    if (copy == nullptr) return sqlite3_result_error_nomem(context);
    state->values.push_back(copy);
}

// The aggregate `function` of the kept values.
void KeepResult(sqlite3_context* context, KeepState& state) {
    const std::string& function = state.function;
    if (function == "COUNT")
        return sqlite3_result_int64(context, static_cast<sqlite3_int64>(state.values.size()));
    if (state.values.empty()) return sqlite3_result_null(context);
    if (function == "MIN" || function == "MAX") {
        Order order;
        sqlite3_value* chosen = state.values[0];
        for (sqlite3_value* value : state.values) {
            int compared = order.Compare(Key::Of(value), Key::Of(chosen));
            if (function == "MIN" ? compared < 0 : compared > 0) chosen = value;
        }
        return sqlite3_result_value(context, chosen);
    }
    Moments moments;
    for (sqlite3_value* value : state.values) {
        CNumberDecimal number;
        if (!CNumberValue::Read(value, number)) return Raise(context, 1722);
        moments.Add(number, number);
    }
    CNumberDecimal out;
    if (function == "SUM") return CNumberValue::Result(context, moments.x);
    if (function == "AVG") {
        moments.x.Divide(Integer(moments.count), out);
        return CNumberValue::Result(context, out);
    }
    if (!Statistic(function, moments, out)) return sqlite3_result_null(context);
    CNumberValue::Result(context, out);
}

void KeepFinal(sqlite3_context* context) {
    auto* state = State<KeepState>(context, false);
    // Note: over no rows, NULL (the caller makes COUNT's 0).
    if (state == nullptr) return sqlite3_result_null(context);
    KeepResult(context, *state);
    Free<KeepState>(context);
}

// STATS_MODE: each value by its bytes (a number by its exact value), with
// how often it came and the first row's value to answer.
struct ModeState {
    struct Seen {
        long long count = 0;
        sqlite3_value* value = nullptr;
    };
    std::map<std::string, Seen> values;
    ~ModeState() {
        for (auto& [key, seen] : values) sqlite3_value_free(seen.value);
    }
};

void ModeStep(sqlite3_context* context, int, sqlite3_value** argv) {
    Key key = Key::Of(argv[0]);
    if (key.null) return;
    auto* state = State<ModeState>(context, true);
    if (state == nullptr) return sqlite3_result_error_nomem(context);
    ModeState::Seen& seen = state->values[key.number ? "n" + key.value.SortKey() : "t" + key.text];
    if (seen.value == nullptr) seen.value = sqlite3_value_dup(argv[0]);
    ++seen.count;
}

void ModeFinal(sqlite3_context* context) {
    auto* state = State<ModeState>(context, false);
    if (state == nullptr) return sqlite3_result_null(context);
    // Note: of several modes the least value is the answer (the server picks one).
    const ModeState::Seen* mode = nullptr;
    for (const auto& [key, seen] : state->values)
        if (mode == nullptr || seen.count > mode->count) mode = &seen;
    if (mode == nullptr || mode->value == nullptr)
        sqlite3_result_null(context);
    else
        sqlite3_result_value(context, mode->value);
    Free<ModeState>(context);
}

// COUNT, SUM and AVG of the distinct values of a window: how often each
// value is in it, and the value as a number for the sums.
enum class Distinct { Count, Sum, Average };

struct DistinctEntry {
    long long rows = 0;
    CNumberDecimal value;
};

struct DistinctState {
    std::map<std::string, DistinctEntry> values;
};

template <Distinct kKind, bool kInverse>
void DistinctStep(sqlite3_context* context, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return;
    auto* state = State<DistinctState>(context, true);
    if (state == nullptr) return sqlite3_result_error_nomem(context);
    std::string key;
    CNumberDecimal number;
    if (kKind == Distinct::Count) {
        Key value = Key::Of(argv[0]);
        key = value.number ? "n" + value.value.SortKey() : "t" + value.text;
    } else {
        if (!CNumberValue::Read(argv[0], number)) return Raise(context, 1722);
        key = number.SortKey();
    }
    if (!kInverse) {
        DistinctEntry& entry = state->values[key];
        if (entry.rows++ == 0) entry.value = number;
        return;
    }
    auto found = state->values.find(key);
    if (found != state->values.end() && --found->second.rows == 0) state->values.erase(found);
}

template <Distinct kKind>
void DistinctValue(sqlite3_context* context) {
    auto* state = State<DistinctState>(context, false);
    const std::size_t count = state == nullptr ? 0 : state->values.size();
    if (kKind == Distinct::Count) return sqlite3_result_int64(context, static_cast<long long>(count));
    if (count == 0) return sqlite3_result_null(context);
    CNumberDecimal total = Integer(0);
    for (const auto& entry : state->values) total = total.Add(entry.second.value);
    if (kKind == Distinct::Sum) return CNumberValue::Result(context, total);
    CNumberDecimal average;
    total.Divide(Integer(static_cast<std::int64_t>(count)), average);
    CNumberValue::Result(context, average);
}

template <Distinct kKind>
void DistinctFinal(sqlite3_context* context) {
    DistinctValue<kKind>(context);
    Free<DistinctState>(context);
}

template <Distinct kKind>
bool RegisterDistinct(sqlite3* db, const char* name) {
    return sqlite3_create_window_function(db, name, 1, SQLITE_UTF8, nullptr, DistinctStep<kKind, false>,
                                          DistinctFinal<kKind>, DistinctValue<kKind>,
                                          DistinctStep<kKind, true>, nullptr) == SQLITE_OK;
}

// NTH_VALUE(x, n, from last, ignore nulls) over a window: the values of the
// rows in it, in order, each with the number of its row, so that a row
// leaving the window takes its value (if kept) along. The place asked for is
// kept from the rows, as the value is given no arguments.
struct NthState {
    std::deque<std::pair<long long, sqlite3_value*>> values;
    long long added = 0;
    long long removed = 0;
    long long nth = 1;
    bool fromLast = false;

    NthState() = default;
    NthState(const NthState&) = delete;
    NthState& operator=(const NthState&) = delete;
    ~NthState() {
        for (auto& entry : values) sqlite3_value_free(entry.second);
    }
};

template <bool kInverse>
void NthStep(sqlite3_context* context, int, sqlite3_value** argv) {
    auto* state = State<NthState>(context, true);
    if (state == nullptr) return sqlite3_result_error_nomem(context);
    if (kInverse) {
        long long row = state->removed++;
        if (!state->values.empty() && state->values.front().first == row) {
            sqlite3_value_free(state->values.front().second);
            state->values.pop_front();
        }
        return;
    }
    long long row = state->added++;
    state->nth = sqlite3_value_int64(argv[1]);
    state->fromLast = sqlite3_value_int(argv[2]) != 0;
    if (IsNull(argv[0]) && sqlite3_value_int(argv[3]) != 0) return;
    sqlite3_value* copy = sqlite3_value_dup(argv[0]);
    if (copy == nullptr) return sqlite3_result_error_nomem(context);
    state->values.emplace_back(row, copy);
}

void NthValue(sqlite3_context* context) {
    auto* state = State<NthState>(context, false);
    if (state == nullptr || state->nth < 1 || static_cast<std::size_t>(state->nth) > state->values.size())
        return sqlite3_result_null(context);
    std::size_t at = static_cast<std::size_t>(state->nth - 1);
    if (state->fromLast) at = state->values.size() - 1 - at;
    sqlite3_result_value(context, state->values[at].second);
}

void NthFinal(sqlite3_context* context) {
    NthValue(context);
    Free<NthState>(context);
}

}  // namespace

bool CStatisticFunctions::Register(sqlite3* db) {
    struct Aggregate {
        const char* name;
        int arguments;
        void (*step)(sqlite3_context*, int, sqlite3_value**);
        void (*final)(sqlite3_context*);
    };
    constexpr Aggregate kAggregates[] = {
        {"ORA_HYPOTHETICAL", -1, HypotheticalStep, HypotheticalFinal},
        {"ORA_KEEP", -1, KeepStep, KeepFinal},
        {"ORA_STATS_MODE", 1, ModeStep, ModeFinal},
    };
    // Note: the statistics also serve as window functions, rows leaving the
    // window taken out of the sums again.
    for (int arguments : {2, 3})
        if (sqlite3_create_window_function(db, "ORA_STAT", arguments, SQLITE_UTF8, nullptr, StatStep<false>,
                                           StatFinal, StatValue, StatStep<true>, nullptr) != SQLITE_OK)
            return false;
    if (!RegisterDistinct<Distinct::Count>(db, "ORA_COUNT_DISTINCT") ||
        !RegisterDistinct<Distinct::Sum>(db, "ORA_SUM_DISTINCT") ||
        !RegisterDistinct<Distinct::Average>(db, "ORA_AVG_DISTINCT"))
        return false;
    if (sqlite3_create_window_function(db, "ORA_PERCENTILE", 4, SQLITE_UTF8, nullptr, PercentileStep,
                                       PercentileFinal, PercentileValue, PercentileInverse,
                                       nullptr) != SQLITE_OK)
        return false;
    if (sqlite3_create_window_function(db, "ORA_NTH_VALUE", 4, SQLITE_UTF8, nullptr, NthStep<false>, NthFinal,
                                       NthValue, NthStep<true>, nullptr) != SQLITE_OK)
        return false;
    for (const Aggregate& row : kAggregates)
        if (sqlite3_create_function(db, row.name, row.arguments, SQLITE_UTF8, nullptr, nullptr, row.step,
                                    row.final) != SQLITE_OK)
            return false;
    return true;
}
