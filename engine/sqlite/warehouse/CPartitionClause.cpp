#include "engine/sqlite/warehouse/CPartitionClause.h"

#include "text/Cp932.h"
#include "text/Encoding.h"

namespace {

using Tokens = CPartitionClause::Tokens;

bool Is(std::string_view sql, const Tokens& tokens, std::size_t k, std::string_view word) {
    return k < tokens.size() && CSqlScanner::Is(sql, tokens[k], word);
}

bool IsSymbol(std::string_view sql, const Tokens& tokens, std::size_t k, char symbol) {
    return k < tokens.size() && CSqlScanner::IsSymbol(sql, tokens[k], symbol);
}

std::size_t At(std::string_view sql, const Tokens& tokens, std::size_t k) {
    return k < tokens.size() ? tokens[k].begin : sql.size();
}

bool Fail(CPartitionClause::Failure& failure, std::size_t at, int code, std::string name = {}) {
    failure = {at, code, std::move(name)};
    return false;
}

// Forms of partitioning the engine does not keep, refused by name.
struct Refused {
    std::string_view word;
    std::string_view what;  // UTF-8
};
constexpr Refused kRefused[] = {
    {"SUBPARTITION", "サブパーティション"},
    {"SUBPARTITIONS", "サブパーティション"},
    {"REFERENCE", "REFERENCE パーティション化"},
    {"SYSTEM", "SYSTEM パーティション化"},
    {"AUTOMATIC", "AUTOMATIC リスト・パーティション化"},
};

bool RefusedWord(std::string_view sql, const Tokens& tokens, std::size_t k,
                 CPartitionClause::Failure& failure) {
    for (const Refused& refused : kRefused)
        if (Is(sql, tokens, k, refused.word))
            return Fail(failure, tokens[k].begin, 3001, encoding::Utf8ToCp932(refused.what));
    return true;
}

// The token after the bracket that opens at `k`; tokens.size() when unclosed.
std::size_t PastBrackets(std::string_view sql, const Tokens& tokens, std::size_t k) {
    int depth = 0;
    for (; k < tokens.size(); ++k) {
        if (IsSymbol(sql, tokens, k, '(')) ++depth;
        if (IsSymbol(sql, tokens, k, ')') && --depth == 0) return k + 1;
    }
    return k;
}

}  // namespace

std::string CPartitionClause::Name(std::string_view sql, const CSqlScanner::Token& token) {
    std::string_view text = sql.substr(token.begin, token.length);
    if (text.size() >= 2 && text.front() == '"') return std::string(text.substr(1, text.size() - 2));
    return cp932::ToUpperAscii(text);
}

bool CPartitionClause::ReadCreate(std::string_view sql, bool& found, Failure& failure) {
    Tokens tokens = CSqlScanner::Significant(sql);
    found = false;
    int depth = 0;
    std::size_t k = 0;
    for (; k + 1 < tokens.size(); ++k) {
        if (IsSymbol(sql, tokens, k, '(')) ++depth;
        if (IsSymbol(sql, tokens, k, ')')) --depth;
        if (depth == 0 && Is(sql, tokens, k, "AS") && k > 3) return true;
        if (depth == 0 && Is(sql, tokens, k, "PARTITION") && Is(sql, tokens, k + 1, "BY")) break;
    }
    if (k + 1 >= tokens.size()) return true;
    found = true;
    k += 2;
    if (!ReadMethod(sql, tokens, k, failure)) return false;
    for (std::size_t t = k; t + 2 < tokens.size(); ++t)
        if (Is(sql, tokens, t, "ENABLE") && Is(sql, tokens, t + 1, "ROW") &&
            Is(sql, tokens, t + 2, "MOVEMENT"))
            rowMovement = true;
    return true;
}

bool CPartitionClause::ReadMethod(std::string_view sql, const Tokens& tokens, std::size_t& k,
                                  Failure& failure) {
    if (!RefusedWord(sql, tokens, k, failure)) return false;
    if (Is(sql, tokens, k, "LIST"))
        method = CPartitionScheme::Method::List;
    else if (Is(sql, tokens, k, "HASH"))
        method = CPartitionScheme::Method::Hash;
    else if (!Is(sql, tokens, k, "RANGE"))
        return Fail(failure, At(sql, tokens, k), 900);
    ++k;
    if (!IsSymbol(sql, tokens, k, '(')) return Fail(failure, At(sql, tokens, k), 906);
    for (++k; k < tokens.size() && !IsSymbol(sql, tokens, k, ')'); ++k) {
        if (IsSymbol(sql, tokens, k, ',')) continue;
        if (tokens[k].kind != CSqlScanner::Kind::Word && tokens[k].kind != CSqlScanner::Kind::QuotedName)
            return Fail(failure, tokens[k].begin, 904,
                        std::string(sql.substr(tokens[k].begin, tokens[k].length)));
        columns.push_back(Name(sql, tokens[k]));
        columnsAt.push_back(tokens[k].begin);
    }
    if (columns.empty()) return Fail(failure, At(sql, tokens, k), 904);
    ++k;
    if (Is(sql, tokens, k, "INTERVAL") && !ReadInterval(sql, tokens, k, failure)) return false;
    if (!RefusedWord(sql, tokens, k, failure)) return false;
    if (method == CPartitionScheme::Method::Hash && Is(sql, tokens, k, "PARTITIONS")) {
        ++k;
        if (k >= tokens.size() || tokens[k].kind != CSqlScanner::Kind::Number)
            return Fail(failure, At(sql, tokens, k), 2017);
        long count =
            std::strtol(std::string(sql.substr(tokens[k].begin, tokens[k].length)).c_str(), nullptr, 10);
        if (count < 1 || count > 1048575) return Fail(failure, tokens[k].begin, 2017);
        items.resize(static_cast<std::size_t>(count));
        ++k;
        return true;
    }
    return ReadItems(sql, tokens, k, failure);
}

// INTERVAL (expression) [STORE IN (tablespaces)] at token `k`, of a RANGE
// table with one key column (ORA-14750).
bool CPartitionClause::ReadInterval(std::string_view sql, const Tokens& tokens, std::size_t& k,
                                    Failure& failure) {
    if (method != CPartitionScheme::Method::Range) return Fail(failure, tokens[k].begin, 14752);
    if (columns.size() != 1) return Fail(failure, tokens[k].begin, 14750);
    ++k;
    if (!IsSymbol(sql, tokens, k, '(')) return Fail(failure, At(sql, tokens, k), 906);
    std::size_t end = PastBrackets(sql, tokens, k);
    if (end > tokens.size() || !IsSymbol(sql, tokens, end - 1, ')') || end == k + 2)
        return Fail(failure, At(sql, tokens, end - 1), 907);
    std::size_t begin = tokens[k + 1].begin;
    interval = std::string(sql.substr(begin, tokens[end - 1].begin - begin));
    while (!interval.empty() && (interval.back() == ' ' || interval.back() == '\n')) interval.pop_back();
    intervalAt = begin;
    k = end;
    if (Is(sql, tokens, k, "STORE") && Is(sql, tokens, k + 1, "IN")) k = PastBrackets(sql, tokens, k + 2);
    return true;
}

bool CPartitionClause::ReadItems(std::string_view sql, const Tokens& tokens, std::size_t& k,
                                 Failure& failure) {
    if (!IsSymbol(sql, tokens, k, '(')) return Fail(failure, At(sql, tokens, k), 906);
    ++k;
    for (;;) {
        Item item;
        if (!ReadItem(sql, tokens, k, item, failure)) return false;
        items.push_back(std::move(item));
        if (IsSymbol(sql, tokens, k, ')')) break;
        if (!IsSymbol(sql, tokens, k, ',')) return Fail(failure, At(sql, tokens, k), 907);
        ++k;
    }
    ++k;
    return true;
}

bool CPartitionClause::ReadItem(std::string_view sql, const Tokens& tokens, std::size_t& k, Item& item,
                                Failure& failure) const {
    if (!Is(sql, tokens, k, "PARTITION")) return Fail(failure, At(sql, tokens, k), 14004);
    item.at = tokens[k].begin;
    ++k;
    if (k < tokens.size() && !Is(sql, tokens, k, "VALUES") &&
        (tokens[k].kind == CSqlScanner::Kind::Word || tokens[k].kind == CSqlScanner::Kind::QuotedName) &&
        !Is(sql, tokens, k, "TABLESPACE")) {
        item.name = Name(sql, tokens[k]);
        item.at = tokens[k].begin;
        ++k;
    }
    if (Is(sql, tokens, k, "VALUES")) {
        ++k;
        bool range = Is(sql, tokens, k, "LESS");
        if (range && !(Is(sql, tokens, k + 1, "THAN"))) return Fail(failure, At(sql, tokens, k + 1), 14005);
        if (range && method != CPartitionScheme::Method::Range) return Fail(failure, tokens[k].begin, 14310);
        if (!range && method == CPartitionScheme::Method::Range)
            return Fail(failure, At(sql, tokens, k), 14005);
        if (range) k += 2;
        if (!ReadValues(sql, tokens, k, item.tuples, item.isDefault, failure)) return false;
    } else if (method != CPartitionScheme::Method::Hash) {
        return Fail(failure, At(sql, tokens, k), method == CPartitionScheme::Method::Range ? 14005 : 14310);
    }
    // Physical attributes up to the end of the description; a subpartition is refused.
    int depth = 0;
    for (; k < tokens.size(); ++k) {
        if (!RefusedWord(sql, tokens, k, failure)) return false;
        if (IsSymbol(sql, tokens, k, '(')) ++depth;
        if (depth == 0 && (IsSymbol(sql, tokens, k, ',') || IsSymbol(sql, tokens, k, ')') ||
                           IsSymbol(sql, tokens, k, ';') || Is(sql, tokens, k, "UPDATE") ||
                           Is(sql, tokens, k, "INVALIDATE")))
            break;
        if (IsSymbol(sql, tokens, k, ')')) --depth;
    }
    return true;
}

bool CPartitionClause::ReadValues(std::string_view sql, const Tokens& tokens, std::size_t& k,
                                  std::vector<std::vector<Value>>& tuples, bool& isDefault,
                                  Failure& failure) {
    if (!IsSymbol(sql, tokens, k, '(')) return Fail(failure, At(sql, tokens, k), 906);
    std::size_t end = PastBrackets(sql, tokens, k);
    if (end > tokens.size() || (end == tokens.size() && !IsSymbol(sql, tokens, end - 1, ')')))
        return Fail(failure, sql.size(), 907);
    if (Is(sql, tokens, k + 1, "DEFAULT") && k + 3 == end) {
        isDefault = true;
        k = end;
        return true;
    }
    // Each item at depth 1: a value, or a tuple (a, b) of a key of several columns.
    std::size_t close = end - 1;
    for (std::size_t t = k + 1; t < close;) {
        std::vector<Value> tuple;
        bool bracketed = IsSymbol(sql, tokens, t, '(');
        std::size_t stop = bracketed ? PastBrackets(sql, tokens, t) - 1 : close;
        std::size_t from = bracketed ? t + 1 : t;
        int depth = 0;
        std::size_t start = from;
        for (std::size_t u = from; u <= stop; ++u) {
            bool atEnd = u == stop;
            if (!atEnd && IsSymbol(sql, tokens, u, '(')) ++depth;
            if (!atEnd && IsSymbol(sql, tokens, u, ')')) --depth;
            if (!atEnd && !(depth == 0 && IsSymbol(sql, tokens, u, ','))) continue;
            if (start == u) return Fail(failure, At(sql, tokens, u), 936);
            std::size_t begin = tokens[start].begin;
            std::size_t finish = tokens[u - 1].begin + tokens[u - 1].length;
            Value value{std::string(sql.substr(begin, finish - begin)), begin,
                        start + 1 == u && Is(sql, tokens, start, "MAXVALUE")};
            tuple.push_back(std::move(value));
            start = u + 1;
            if (!bracketed && !atEnd) break;
        }
        tuples.push_back(std::move(tuple));
        t = bracketed ? stop + 1 : start;
        if (!bracketed && t == close + 1) break;
        if (IsSymbol(sql, tokens, t, ',')) ++t;
    }
    k = end;
    return true;
}

std::string CPartitionClause::BlankBeforeQuery(const std::string& sql) {
    Tokens tokens = CSqlScanner::Significant(sql);
    if (!Is(sql, tokens, 0, "CREATE") || !Is(sql, tokens, 1, "TABLE")) return sql;
    std::size_t k = tokens.size() > 3 && CSqlScanner::IsSymbol(sql, tokens[3], '.') ? 4 : 2;
    if (!Is(sql, tokens, k + 1, "PARTITION") || !Is(sql, tokens, k + 2, "BY")) return sql;
    int depth = 0;
    for (std::size_t t = k + 1; t < tokens.size(); ++t) {
        if (IsSymbol(sql, tokens, t, '(')) ++depth;
        if (IsSymbol(sql, tokens, t, ')')) --depth;
        if (depth != 0 || !Is(sql, tokens, t, "AS")) continue;
        std::string out = sql;
        for (std::size_t at = tokens[k + 1].begin; at < tokens[t].begin; ++at)
            if (out[at] != '\n') out[at] = ' ';
        return out;
    }
    return sql;
}
