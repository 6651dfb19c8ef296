#include "engine/sqlite/CTableText.h"

#include <algorithm>

#include "text/Cp932.h"
#include "text/Encoding.h"

namespace {

using Kind = CSqlScanner::Kind;

// A byte a name or a word may end with: two of them need a space between.
bool JoinsWords(char c) {
    auto byte = static_cast<unsigned char>(c);
    return byte >= 0x80 || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
           c == '_' || c == '$' || c == '#' || c == '"';
}

}  // namespace

bool CTableText::Write(std::string_view sql, std::vector<CColumnCompiler::Edit> compiled, Failure& failure) {
    m_sql = sql;
    m_tokens = CSqlScanner::Significant(sql);
    // Note: one ";" may end the statement.
    if (!m_tokens.empty() && CSqlScanner::IsSymbol(sql, m_tokens.back(), ';')) m_tokens.pop_back();
    std::sort(
        compiled.begin(), compiled.end(),
        [](const CColumnCompiler::Edit& a, const CColumnCompiler::Edit& b) { return a.begin < b.begin; });
    m_compiled = std::move(compiled);
    m_next = 0;
    m_k = 0;
    m_end = 0;
    m_nameAt = 0;
    m_out.clear();
    m_chunks.clear();
    m_columns.clear();
    m_primaryKey = false;
    m_failure = &failure;
    if (!Is("CREATE")) return Fail(900);
    Take();
    if (Is("TEMP")) Take();
    if (!Is("TABLE")) return Fail(900);
    Take();
    if (!Name()) return false;
    if (!IsSymbol('(')) return Fail(906);
    Take();
    do {
        if (!Item()) return false;
    } while (IsSymbol(',') && (Take(), true));
    if (!IsSymbol(')')) return Fail(907);
    Take();
    if (!AtEnd()) return Fail(922);
    // Note: every compiled part has its place in the definition.
    return m_next == m_compiled.size() || (m_k = m_tokens.size(), Fail(900));
}

std::size_t CTableText::Origin(std::size_t offset) const {
    auto after = std::upper_bound(m_chunks.begin(), m_chunks.end(), offset,
                                  [](std::size_t at, const Chunk& chunk) { return at < chunk.out; });
    if (after == m_chunks.begin()) return offset;
    const Chunk& chunk = *(after - 1);
    return chunk.verbatim ? chunk.source + (offset - chunk.out) : chunk.source;
}

std::size_t CTableText::Here() const { return AtEnd() ? m_sql.size() : m_tokens[m_k].begin; }

bool CTableText::Is(std::string_view word, std::size_t ahead) const {
    return m_k + ahead < m_tokens.size() && m_tokens[m_k + ahead].kind == Kind::Word &&
           CSqlScanner::Is(m_sql, m_tokens[m_k + ahead], word);
}

bool CTableText::IsSymbol(char symbol) const {
    return !AtEnd() && CSqlScanner::IsSymbol(m_sql, m_tokens[m_k], symbol);
}

bool CTableText::IsName() const {
    return !AtEnd() && (m_tokens[m_k].kind == Kind::Word || m_tokens[m_k].kind == Kind::QuotedName);
}

bool CTableText::Fail(int code, std::string name) {
    m_failure->at = Here();
    m_failure->code = code;
    m_failure->name = std::move(name);
    return false;
}

const CColumnCompiler::Edit* CTableText::CompiledHere() const {
    // Note: a CHECK constraint is blanked in the text read, so its compiled
    // form goes before the token that follows it.
    if (m_next < m_compiled.size() && m_compiled[m_next].begin <= Here()) return &m_compiled[m_next];
    return nullptr;
}

void CTableText::Append(std::size_t source, std::string_view text, bool verbatim) {
    if (text.empty()) return;
    m_chunks.push_back({m_out.size(), source, verbatim});
    m_out.append(text);
}

void CTableText::Take() {
    const CSqlScanner::Token& token = m_tokens[m_k];
    Append(m_end, m_sql.substr(m_end, token.begin - m_end), true);
    if (token.begin == m_end && !m_out.empty() && token.kind != Kind::Symbol && JoinsWords(m_out.back()))
        Append(token.begin, " ", false);
    Append(token.begin, m_sql.substr(token.begin, token.length), true);
    Skip();
}

void CTableText::TakeName() {
    const CSqlScanner::Token& token = m_tokens[m_k];
    std::string_view written = m_sql.substr(token.begin, token.length);
    if (token.kind != Kind::Word || written.find('#') == std::string_view::npos) return Take();
    Append(m_end, m_sql.substr(m_end, token.begin - m_end), true);
    if (token.begin == m_end && !m_out.empty() && JoinsWords(m_out.back())) Append(token.begin, " ", false);
    Append(token.begin, "\"" + cp932::ToUpperAscii(written) + "\"", false);
    Skip();
}

void CTableText::TakeCompiled() {
    const CColumnCompiler::Edit& part = m_compiled[m_next++];
    if (part.begin > m_end) Append(m_end, m_sql.substr(m_end, part.begin - m_end), true);
    if (part.begin <= m_end && !m_out.empty() && JoinsWords(m_out.back())) Append(part.begin, " ", false);
    Append(part.begin, part.with, false);
    m_end = std::max(m_end, part.begin + part.length);
    while (!AtEnd() && m_tokens[m_k].begin < m_end) ++m_k;
}

bool CTableText::TakeWords(std::initializer_list<std::string_view> words) {
    std::size_t n = 0;
    for (std::string_view word : words)
        if (!Is(word, n++)) return false;
    for (n = 0; n < words.size(); ++n) Take();
    return true;
}

std::string CTableText::NameHere() const {
    std::string_view written = m_sql.substr(m_tokens[m_k].begin, m_tokens[m_k].length);
    if (m_tokens[m_k].kind == Kind::QuotedName) return std::string(written.substr(1, written.size() - 2));
    return cp932::ToUpperAscii(written);
}

bool CTableText::Name() {
    // Note: the schema before a table's name is the user's own, and the file has one.
    if (IsName() && m_k + 2 < m_tokens.size() && CSqlScanner::IsSymbol(m_sql, m_tokens[m_k + 1], '.')) {
        Skip();
        Skip();
    }
    if (!IsName()) return Fail(AtEnd() ? 906 : 903);
    if (m_nameAt == 0) {
        m_nameAt = Here();
        m_table = NameHere();
    }
    TakeName();
    return true;
}

bool CTableText::NameList() {
    if (!IsSymbol('(')) return Fail(906);
    Take();
    do {
        if (!IsName()) return Fail(900);
        TakeName();
    } while (IsSymbol(',') && (Take(), true));
    if (!IsSymbol(')')) return Fail(907);
    Take();
    return true;
}

bool CTableText::Item() {
    if (CompiledHere() != nullptr) {
        TakeCompiled();
        return true;
    }
    if (Is("CONSTRAINT") || Is("PRIMARY") || Is("UNIQUE") || Is("FOREIGN")) return TableConstraint();
    return Column();
}

bool CTableText::Column() {
    if (!IsName()) return Fail(900);
    std::string name = NameHere();
    if (std::find(m_columns.begin(), m_columns.end(), name) != m_columns.end()) return Fail(957, name);
    m_columns.push_back(std::move(name));
    TakeName();
    while (CompiledHere() != nullptr || (!AtEnd() && !IsSymbol(',') && !IsSymbol(')')))
        if (!ColumnConstraint()) return false;
    return true;
}

bool CTableText::ColumnConstraint() {
    if (CompiledHere() != nullptr) {
        TakeCompiled();
        return true;
    }
    if (Is("DEFAULT") && Is("ON", 1) && Is("NULL", 2)) return DefaultOnNull();
    if (Is("CONSTRAINT")) {
        Take();
        if (!IsName()) return Fail(900);
        TakeName();
        return true;
    }
    if (TakeWords({"DEFAULT"})) return CompiledHere() != nullptr || Fail(936);
    if (Is("REFERENCES")) return References();
    if (Is("PRIMARY") && !SecondKey()) return false;
    if (TakeWords({"NOT", "NULL"}) || TakeWords({"NULL"}) || TakeWords({"PRIMARY", "KEY"}) ||
        TakeWords({"UNIQUE"})) {
        States(false);
        return true;
    }
    // Note: a virtual column's clause is compiled (CColumnCompiler); one
    // that is not here could not be.
    if (Is("AS")) return Fail(3001, encoding::Utf8ToCp932("仮想列"));
    // Note: the catalog keeps which columns are INVISIBLE (CColumnOptions).
    if (Is("VISIBLE") || Is("INVISIBLE")) {
        Skip();
        return true;
    }
    return Fail(907);
}

bool CTableText::DefaultOnNull() {
    // Note: FOR INSERT ONLY is what DEFAULT ON NULL alone means; FOR INSERT
    // AND UPDATE would store the default for an UPDATE's NULL too.
    if (Is("FOR", 3) && !(Is("INSERT", 4) && Is("ONLY", 5))) {
        m_k += 3;
        return Fail(3001, "DEFAULT ON NULL FOR INSERT AND UPDATE");
    }
    Take();
    Skip();
    Skip();
    if (Is("FOR")) Skip(), Skip(), Skip();
    if (CompiledHere() == nullptr) return Fail(936);
    TakeCompiled();
    // The column takes no NULL: a NULL given is stored as the default.
    Append(Here(), " NOT NULL", false);
    return true;
}

bool CTableText::SecondKey() {
    if (m_primaryKey) return Fail(2260, m_table);
    m_primaryKey = true;
    return true;
}

bool CTableText::TableConstraint() {
    if (Is("CONSTRAINT")) {
        Take();
        if (!IsName()) return Fail(900);
        TakeName();
    }
    if (Is("PRIMARY") && !SecondKey()) return false;
    if (TakeWords({"PRIMARY", "KEY"}) || TakeWords({"UNIQUE"})) {
        if (!NameList()) return false;
        States(false);
        return true;
    }
    if (TakeWords({"FOREIGN", "KEY"})) return NameList() && References();
    return Fail(907);
}

bool CTableText::References() {
    Take();
    if (!Name()) return false;
    if (IsSymbol('(') && !NameList()) return false;
    if (TakeWords({"ON"}) &&
        (!TakeWords({"DELETE"}) || (!TakeWords({"CASCADE"}) && !TakeWords({"SET", "NULL"}))))
        return Fail(905);
    States(true);
    return true;
}

void CTableText::States(bool keep) {
    // Note: SQLite takes the words in one order only, and defers only foreign
    // keys; a key of the table is checked at once, as a key never deferred.
    std::string_view deferrable;
    std::string_view initially;
    std::size_t from = Here();
    for (bool more = true; more;) {
        more = false;
        if (Is("DEFERRABLE") || (Is("NOT") && Is("DEFERRABLE", 1))) {
            deferrable = Is("NOT") ? "NOT DEFERRABLE" : "DEFERRABLE";
            if (Is("NOT")) Skip();
            Skip();
            more = true;
        } else if (Is("INITIALLY") && (Is("IMMEDIATE", 1) || Is("DEFERRED", 1))) {
            initially = Is("DEFERRED", 1) ? " INITIALLY DEFERRED" : " INITIALLY IMMEDIATE";
            Skip();
            Skip();
            more = true;
        }
    }
    if (!keep || (deferrable.empty() && initially.empty())) return;
    // Note: INITIALLY alone belongs to a constraint that is not deferrable.
    if (deferrable.empty()) deferrable = "NOT DEFERRABLE";
    Append(from, " ", false);
    Append(from, std::string(deferrable) + std::string(initially), false);
}
