#include "engine/sqlite/CSequenceOptions.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstdlib>

#include "engine/sqlite/COraError.h"
#include "engine/sqlite/SqliteApi.h"

namespace {

constexpr const char* kLargest = "9999999999999999999999999999";
constexpr const char* kSmallest = "-999999999999999999999999999";

// A limit as a whole number; false for one beyond 64 bits (never reached).
bool Whole(const std::string& text, long long& value) {
    errno = 0;
    char* end = nullptr;
    value = std::strtoll(text.c_str(), &end, 10);
    return errno == 0 && end != text.c_str() && *end == '\0';
}

// A signed whole number at tokens[k]; `k` moves past it.
bool ReadNumber(std::string_view text, const std::vector<CSqlScanner::Token>& tokens, std::size_t& k,
                std::string& out) {
    bool negative = k < tokens.size() && CSqlScanner::IsSymbol(text, tokens[k], '-');
    if (negative) ++k;
    if (k >= tokens.size() || tokens[k].kind != CSqlScanner::Kind::Number) return false;
    std::string digits(text.substr(tokens[k].begin, tokens[k].length));
    if (digits.find_first_not_of("0123456789") != std::string::npos) return false;
    digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size() - 1));
    out = (negative && digits != "0" ? "-" : "") + digits;
    ++k;
    return true;
}

// Whether `a` < `b` for whole numbers written as digits.
bool Less(const std::string& a, const std::string& b) {
    bool negativeA = !a.empty() && a[0] == '-';
    bool negativeB = !b.empty() && b[0] == '-';
    if (negativeA != negativeB) return negativeA;
    std::string_view x = std::string_view(a).substr(negativeA ? 1 : 0);
    std::string_view y = std::string_view(b).substr(negativeB ? 1 : 0);
    bool smaller = x.size() != y.size() ? x.size() < y.size() : x < y;
    bool equal = x == y;
    return !equal && (negativeA ? !smaller : smaller);
}

}  // namespace

CSequenceOptions::Outcome CSequenceOptions::Read(std::string_view text,
                                                 const std::vector<CSqlScanner::Token>& tokens,
                                                 std::size_t& k, CEngineError& error) {
    auto is = [&](const char* word) { return CSqlScanner::Is(text, tokens[k], word); };
    const struct {
        const char* word;
        bool* flag;
        bool value;
    } kFlags[] = {{"CYCLE", &cycle, true},
                  {"NOCYCLE", &cycle, false},
                  {"ORDER", &order, true},
                  {"NOORDER", &order, false}};
    for (const auto& flag : kFlags)
        if (is(flag.word)) {
            *flag.flag = flag.value;
            ++k;
            return Outcome::Read;
        }
    const struct {
        const char* word;
        std::string* limit;
    } kNoLimits[] = {{"NOMINVALUE", &minValue}, {"NOMAXVALUE", &maxValue}};
    for (const auto& none : kNoLimits)
        if (is(none.word)) {
            none.limit->clear();
            ++k;
            return Outcome::Read;
        }
    // Note: the server's other words change nothing a single session sees.
    for (const char* word : {"NOCACHE", "KEEP", "NOKEEP", "SCALE", "NOSCALE", "SESSION", "GLOBAL", "NOSHARD"})
        if (is(word)) {
            if (std::string_view(word) == "NOCACHE") cache = 0;
            ++k;
            return Outcome::Read;
        }
    bool minimum = is("MINVALUE");
    bool maximum = is("MAXVALUE");
    if (!minimum && !maximum && !is("CACHE")) return Outcome::NotAnOption;
    std::size_t at = k++;
    std::string value;
    if (!ReadNumber(text, tokens, k, value)) {
        COraError::Set(error, 1722, {}, static_cast<int>(tokens[at].begin));
        return Outcome::Refused;
    }
    if (minimum) minValue = value;
    if (maximum) maxValue = value;
    long long count = 0;
    if (!minimum && !maximum) {
        if (!Whole(value, count) || count < 2) {
            COraError::Set(error, 4010, {}, static_cast<int>(tokens[at].begin));
            return Outcome::Refused;
        }
        cache = count;
    }
    return Outcome::Read;
}

std::string CSequenceOptions::Minimum(long long step) const {
    return !minValue.empty() ? minValue : step > 0 ? "1" : kSmallest;
}

std::string CSequenceOptions::Maximum(long long step) const {
    return !maxValue.empty() ? maxValue : step > 0 ? kLargest : "-1";
}

bool CSequenceOptions::Check(long long step, long long first, int at, CEngineError& error) const {
    std::string low = Minimum(step);
    std::string high = Maximum(step);
    std::string start = std::to_string(first);
    int code = !Less(low, high) ? 4004 : Less(start, low) ? 4006 : Less(high, start) ? 4008 : 0;
    if (code == 0) return true;
    COraError::Set(error, code, {}, at);
    return false;
}

bool CSequenceOptions::Passes(long long step, long long value) const {
    long long limit = 0;
    if (step > 0) return Whole(Maximum(step), limit) && value > limit;
    return Whole(Minimum(step), limit) && value < limit;
}

long long CSequenceOptions::Restart(long long step) const {
    long long value = 0;
    Whole(step > 0 ? Minimum(step) : Maximum(step), value);
    return value;
}

bool CSequenceOptions::Save(sqlite3* db, const std::string& name, const CSequenceOptions& options,
                            CEngineError& error) {
    sqliteapi::Statement save = sqliteapi::Prepare(
        db, "INSERT OR REPLACE INTO main.TARVEX_SEQUENCE_OPTIONS VALUES (?1, ?2, ?3, ?4, ?5, ?6)");
    if (!save) {
        error.Set(sqliteapi::Cp932Of(sqlite3_errmsg(db)));
        return false;
    }
    sqlite3_bind_text(save.get(), 1, name.c_str(), -1, SQLITE_TRANSIENT);
    if (!options.minValue.empty())
        sqlite3_bind_text(save.get(), 2, options.minValue.c_str(), -1, SQLITE_TRANSIENT);
    if (!options.maxValue.empty())
        sqlite3_bind_text(save.get(), 3, options.maxValue.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(save.get(), 4, options.cycle ? "Y" : "N", -1, SQLITE_STATIC);
    sqlite3_bind_int64(save.get(), 5, options.cache);
    sqlite3_bind_text(save.get(), 6, options.order ? "Y" : "N", -1, SQLITE_STATIC);
    if (sqlite3_step(save.get()) == SQLITE_DONE) return true;
    error.Set(sqliteapi::Cp932Of(sqlite3_errmsg(db)));
    return false;
}

CSequenceOptions CSequenceOptions::Load(sqlite3* db, const std::string& name) {
    CSequenceOptions options;
    sqliteapi::Statement load = sqliteapi::Prepare(db,
                                                   "SELECT MIN_VALUE, MAX_VALUE, CYCLE_FLAG, CACHE_SIZE, "
                                                   "ORDER_FLAG FROM main.TARVEX_SEQUENCE_OPTIONS WHERE "
                                                   "NAME = ?1");
    if (!load) return options;
    sqlite3_bind_text(load.get(), 1, name.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(load.get()) != SQLITE_ROW) return options;
    auto text = [&](int column) {
        const unsigned char* value = sqlite3_column_text(load.get(), column);
        return value != nullptr ? std::string(reinterpret_cast<const char*>(value)) : std::string();
    };
    options.minValue = text(0);
    options.maxValue = text(1);
    options.cycle = text(2) == "Y";
    options.cache = sqlite3_column_int64(load.get(), 3);
    options.order = text(4) == "Y";
    return options;
}

void CSequenceOptions::Forget(sqlite3* db, const std::string& name) {
    sqliteapi::Statement forget =
        sqliteapi::Prepare(db, "DELETE FROM main.TARVEX_SEQUENCE_OPTIONS WHERE NAME = ?1");
    if (!forget) return;
    sqlite3_bind_text(forget.get(), 1, name.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_step(forget.get());
}
