#include "engine/sqlite/CMultiTableInsert.h"

#include "engine/sqlite/CSqlScanner.h"

namespace {

using Tokens = std::vector<CSqlScanner::Token>;

struct Into {
    std::size_t at = 0;  // the INTO keyword
    std::string target;  // table and column list, as written
    std::size_t targetAt = 0;
    std::string values;  // the VALUES list without its brackets; "" for *
    std::size_t valuesAt = 0;
    std::size_t when = 0;  // 1-based WHEN the clause belongs to; 0 unconditional or ELSE
    bool otherwise = false;
};

class Reader {
public:
    Reader(std::string_view sql, const Tokens& tokens) : m_sql(sql), m_tokens(tokens) {}

    bool Is(std::string_view word) const {
        return m_k < m_tokens.size() && CSqlScanner::Is(m_sql, m_tokens[m_k], word);
    }
    bool IsSymbol(char symbol) const {
        return m_k < m_tokens.size() && CSqlScanner::IsSymbol(m_sql, m_tokens[m_k], symbol);
    }
    std::size_t At() const { return m_k < m_tokens.size() ? m_tokens[m_k].begin : m_sql.size(); }
    bool AtEnd() const { return m_k >= m_tokens.size(); }
    void Next() { ++m_k; }

    // The text from the current token up to (not with) the first of `stops`
    // at bracket depth 0; false when a bracket does not close.
    bool Until(std::initializer_list<std::string_view> stops, std::string& text) {
        std::size_t begin = At();
        int depth = 0;
        for (; !AtEnd(); Next()) {
            if (depth == 0 && IsSymbol(';')) break;
            bool stop = false;
            for (std::string_view word : stops) stop = stop || (depth == 0 && Is(word));
            if (stop) break;
            if (IsSymbol('(')) ++depth;
            if (IsSymbol(')') && --depth < 0) return false;
        }
        text = std::string(m_sql.substr(begin, At() - begin));
        while (!text.empty() &&
               (text.back() == ' ' || text.back() == '\n' || text.back() == '\r' || text.back() == '\t'))
            text.pop_back();
        return depth == 0;
    }
    // A bracketed list; its text without the brackets.
    bool Bracketed(std::string& text) {
        if (!IsSymbol('(')) return false;
        std::size_t begin = m_tokens[m_k].begin + 1;
        int depth = 0;
        for (; !AtEnd(); Next()) {
            if (IsSymbol('(')) ++depth;
            if (IsSymbol(')') && --depth == 0) break;
        }
        if (AtEnd()) return false;
        text = std::string(m_sql.substr(begin, m_tokens[m_k].begin - begin));
        Next();
        return true;
    }

private:
    std::string_view m_sql;
    const Tokens& m_tokens;
    std::size_t m_k = 0;
};

// INTO table [alias] [(columns)] [VALUES (values)]
bool ReadInto(Reader& reader, Into& into) {
    into.at = reader.At();
    reader.Next();  // INTO
    into.targetAt = reader.At();
    if (!reader.Until({"VALUES", "INTO", "WHEN", "ELSE", "SELECT", "WITH"}, into.target)) return false;
    if (!reader.Is("VALUES")) return true;
    reader.Next();
    into.valuesAt = reader.At() + 1;
    return reader.Bracketed(into.values);
}

// A statement made of pieces of the text typed and words of its own.
class Builder {
public:
    explicit Builder(std::size_t intoAt) { m_made.intoAt = intoAt; }
    Builder& Own(std::string_view words) {
        m_made.text += words;
        return *this;
    }
    Builder& Typed(std::string_view piece, std::size_t at) {
        m_made.pieces.push_back({m_made.text.size(), at, piece.size()});
        m_made.text += piece;
        return *this;
    }
    CMultiTableInsert::Made Take() { return std::move(m_made); }

private:
    CMultiTableInsert::Made m_made;
};

// Whether `word` (upper case) stands at `at` in any case, followed by no
// letter, digit or "_".
bool StartsWord(std::string_view sql, std::size_t at, std::string_view word) {
    if (at + word.size() > sql.size()) return false;
    for (std::size_t k = 0; k < word.size(); ++k)
        if ((sql[at + k] & ~0x20) != word[k]) return false;
    if (at + word.size() == sql.size()) return true;
    const char after = sql[at + word.size()];
    return !((after >= 'A' && after <= 'Z') || (after >= 'a' && after <= 'z') ||
             (after >= '0' && after <= '9') || after == '_' || after == '$' || after == '#');
}

}  // namespace

bool CMultiTableInsert::Takes(std::string_view sql) {
    // Note: most statements are told at once by their first letters: UPDATE,
    // DELETE, or INSERT INTO written plainly.
    std::size_t at = 0;
    while (at < sql.size() && (sql[at] == ' ' || sql[at] == '\t' || sql[at] == '\n' || sql[at] == '\r')) ++at;
    if (at < sql.size() && (sql[at] & ~0x20) != 'I' && sql[at] != '-' && sql[at] != '/') return false;
    if (StartsWord(sql, at, "INSERT")) {
        std::size_t next = at + 6;
        while (next < sql.size() && (sql[next] == ' ' || sql[next] == '\t')) ++next;
        if (next > at + 6 && StartsWord(sql, next, "INTO")) return false;
    }
    CSqlScanner::Token tokens[2];
    return CSqlScanner::Significant(sql, tokens, 2) == 2 && CSqlScanner::Is(sql, tokens[0], "INSERT") &&
           (CSqlScanner::Is(sql, tokens[1], "ALL") || CSqlScanner::Is(sql, tokens[1], "FIRST"));
}

CMultiTableInsert::Split CMultiTableInsert::Read(std::string_view sql) {
    Split split;
    auto tokens = CSqlScanner::Significant(sql);
    Reader reader(sql, tokens);
    reader.Next();
    bool first = reader.Is("FIRST");
    reader.Next();
    std::vector<Into> intos;
    std::vector<std::string> conditions;
    std::vector<std::size_t> conditionsAt;
    bool otherwise = false;
    while (!reader.AtEnd() && !reader.Is("SELECT") && !reader.Is("WITH") && !reader.IsSymbol('(')) {
        if (reader.Is("WHEN")) {
            reader.Next();
            std::string condition;
            conditionsAt.push_back(reader.At());
            if (!reader.Until({"THEN"}, condition) || !reader.Is("THEN"))
                return split.failedAt = reader.At(), split;
            reader.Next();
            conditions.push_back(condition);
            continue;
        }
        if (reader.Is("ELSE")) {
            reader.Next();
            otherwise = true;
            continue;
        }
        if (!reader.Is("INTO")) return split.failedAt = reader.At(), split;
        Into into;
        into.when = otherwise ? 0 : conditions.size();
        into.otherwise = otherwise;
        if (!ReadInto(reader, into)) return split.failedAt = reader.At(), split;
        intos.push_back(into);
    }
    std::string query;
    std::size_t queryAt = reader.At();
    if (intos.empty() || reader.AtEnd() || !reader.Until({}, query)) return split.failedAt = queryAt, split;
    // Note: a row meets the WHENs in order; FIRST takes the first it passes.
    auto pick = [&](Builder& made) {
        made.Own("CASE");
        for (std::size_t k = 0; k < conditions.size(); ++k)
            made.Own(" WHEN (").Typed(conditions[k], conditionsAt[k]).Own(") THEN " + std::to_string(k + 1));
        made.Own(" ELSE 0 END");
    };
    for (const Into& into : intos) {
        Builder made(into.at);
        made.Own("INSERT INTO ").Typed(into.target, into.targetAt).Own(" SELECT ");
        if (into.values.empty())
            made.Own("*");
        else
            made.Typed(into.values, into.valuesAt);
        made.Own(" FROM (").Typed(query, queryAt).Own(")");
        if (into.otherwise) {
            // ELSE: no WHEN was true for the row.
            made.Own(" WHERE CASE");
            for (std::size_t k = 0; k < conditions.size(); ++k)
                made.Own(" WHEN (").Typed(conditions[k], conditionsAt[k]).Own(") THEN 1");
            made.Own(" ELSE 0 END = 0");
        } else if (into.when > 0 && first) {
            made.Own(" WHERE ");
            pick(made);
            made.Own(" = " + std::to_string(into.when));
        } else if (into.when > 0) {
            made.Own(" WHERE (").Typed(conditions[into.when - 1], conditionsAt[into.when - 1]).Own(")");
        }
        split.made.push_back(made.Take());
    }
    return split;
}

std::size_t CMultiTableInsert::Made::Typed(std::size_t position) const {
    for (const Piece& piece : pieces)
        if (position >= piece.madeAt && position < piece.madeAt + piece.length)
            return piece.typedAt + (position - piece.madeAt);
    return intoAt;
}
