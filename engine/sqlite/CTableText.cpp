#include "engine/sqlite/CTableText.h"

#include <algorithm>

#include "engine/sqlite/CReservedWords.h"
#include "engine/sqlite/SqliteApi.h"
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
    m_pendingName.clear();
    m_named = false;
    m_constraints.clear();
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

bool CTableText::IsReservedWord() const {
    return !AtEnd() && m_tokens[m_k].kind == Kind::Word &&
           CReservedWords::Is(m_sql.substr(m_tokens[m_k].begin, m_tokens[m_k].length));
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
    if (token.kind != Kind::Word) return Take();
    const std::string name = sqliteapi::NameOf(written);
    if (name == written) return Take();
    Append(m_end, m_sql.substr(m_end, token.begin - m_end), true);
    if (token.begin == m_end && !m_out.empty() && JoinsWords(m_out.back())) Append(token.begin, " ", false);
    Append(token.begin, name, false);
    Skip();
}

void CTableText::TakeCompiled() {
    const CColumnCompiler::Edit& part = m_compiled[m_next++];
    for (const Check& check : m_checks) {
        if (check.begin != part.begin) continue;
        CSqliteDictionary::Constraint c;
        c.name = check.name;
        c.generated = check.generated;
        c.condition = encoding::Cp932ToUtf8(check.condition);
        c.deferrable = check.deferrable;
        c.deferred = check.deferred;
        if (m_inColumn) c.columns = {m_columns.back()};
        AddConstraint(std::move(c));
    }
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
    if (IsReservedWord()) return Fail(903);
    if (m_nameAt == 0) {
        m_nameAt = Here();
        m_table = NameHere();
    }
    m_lastName = NameHere();
    TakeName();
    return true;
}

bool CTableText::NameList(std::vector<std::string>* names) {
    if (!IsSymbol('(')) return Fail(906);
    Take();
    do {
        if (!IsName()) return Fail(900);
        if (names != nullptr) names->push_back(NameHere());
        TakeName();
    } while (IsSymbol(',') && (Take(), true));
    if (!IsSymbol(')')) return Fail(907);
    Take();
    return true;
}

bool CTableText::Item() {
    m_inColumn = false;
    if (CompiledHere() != nullptr) {
        TakeCompiled();
        return true;
    }
    if (Is("CONSTRAINT") || Is("PRIMARY") || Is("UNIQUE") || Is("FOREIGN")) return TableConstraint();
    return Column();
}

bool CTableText::Column() {
    if (!IsName()) return Fail(900);
    if (IsReservedWord()) return Fail(200904);
    std::string name = NameHere();
    if (std::find(m_columns.begin(), m_columns.end(), name) != m_columns.end()) return Fail(957, name);
    m_columns.push_back(std::move(name));
    m_inColumn = true;
    TakeName();
    while (CompiledHere() != nullptr || (!AtEnd() && !IsSymbol(',') && !IsSymbol(')')))
        if (!ColumnConstraint()) return false;
    return true;
}

bool CTableText::ConstraintName() {
    Take();
    if (!IsName()) return Fail(900);
    m_pendingName = NameHere();
    m_named = true;
    TakeName();
    return true;
}

void CTableText::NameConstraint(CSqliteDictionary::Constraint& c) {
    c.generated = !m_named;
    if (m_named) {
        c.name = m_pendingName;
    } else if (m_namer) {
        c.name = encoding::Utf8ToCp932(m_namer());
        Append(Here(), " CONSTRAINT \"" + c.name + "\"", false);
    }
    m_named = false;
    m_pendingName.clear();
}

void CTableText::AddConstraint(CSqliteDictionary::Constraint c) {
    auto utf8 = [](std::vector<std::string>& names) {
        for (std::string& name : names) name = encoding::Cp932ToUtf8(name);
    };
    c.name = encoding::Cp932ToUtf8(c.name);
    c.table = encoding::Cp932ToUtf8(m_table);
    c.referencedTable = encoding::Cp932ToUtf8(c.referencedTable);
    utf8(c.columns);
    utf8(c.referencedColumns);
    if (c.type == 'C' && c.condition.empty()) c.condition = "\"" + c.columns.front() + "\" IS NOT NULL";
    m_constraints.push_back(std::move(c));
}

bool CTableText::ColumnConstraint() {
    if (CompiledHere() != nullptr) {
        m_named = false;
        m_pendingName.clear();
        TakeCompiled();
        return true;
    }
    if (Is("DEFAULT") && Is("ON", 1) && Is("NULL", 2)) return DefaultOnNull();
    if (Is("CONSTRAINT")) return ConstraintName();
    if (TakeWords({"DEFAULT"})) return CompiledHere() != nullptr || Fail(936);
    CSqliteDictionary::Constraint c;
    c.columns = {m_columns.back()};
    if (Is("REFERENCES")) {
        c.type = 'R';
        NameConstraint(c);
        if (!References(c)) return false;
        AddConstraint(std::move(c));
        return true;
    }
    if (Is("PRIMARY") && !SecondKey()) return false;
    if (TakeWords({"NULL"})) {
        m_named = false;
        States(false, c);
        return true;
    }
    c.type = Is("NOT") && Is("NULL", 1) ? 'C' : Is("PRIMARY") && Is("KEY", 1) ? 'P' : Is("UNIQUE") ? 'U' : 0;
    if (c.type != 0) {
        NameConstraint(c);
        if (c.type != 'U') Take();
        Take();
        States(false, c);
        AddConstraint(std::move(c));
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
    // Note: its NOT NULL is the catalog's, under a name of the system's.
    CSqliteDictionary::Constraint c;
    c.columns = {m_columns.back()};
    c.type = 'C';
    c.generated = true;
    if (m_namer) c.name = encoding::Utf8ToCp932(m_namer());
    Append(Here(), " NOT NULL", false);
    AddConstraint(std::move(c));
    return true;
}

bool CTableText::SecondKey() {
    if (m_primaryKey) return Fail(2260, m_table);
    m_primaryKey = true;
    return true;
}

bool CTableText::TableConstraint() {
    if (Is("CONSTRAINT") && !ConstraintName()) return false;
    if (Is("PRIMARY") && !SecondKey()) return false;
    CSqliteDictionary::Constraint c;
    c.type = Is("PRIMARY") && Is("KEY", 1)   ? 'P'
             : Is("UNIQUE")                  ? 'U'
             : Is("FOREIGN") && Is("KEY", 1) ? 'R'
                                             : 0;
    if (c.type == 0) return Fail(907);
    NameConstraint(c);
    if (c.type != 'U') Take();
    Take();
    if (!NameList(&c.columns)) return false;
    if (c.type == 'R' && !References(c)) return false;
    if (c.type != 'R') States(false, c);
    AddConstraint(std::move(c));
    return true;
}

bool CTableText::References(CSqliteDictionary::Constraint& c) {
    Take();
    if (!Name()) return false;
    c.referencedTable = m_lastName;
    if (IsSymbol('(') && !NameList(&c.referencedColumns)) return false;
    if (TakeWords({"ON"})) {
        if (!TakeWords({"DELETE"})) return Fail(905);
        c.deleteRule = Is("CASCADE") ? "CASCADE" : "SET NULL";
        if (!TakeWords({"CASCADE"}) && !TakeWords({"SET", "NULL"})) return Fail(905);
    }
    States(true, c);
    return true;
}

void CTableText::States(bool keep, CSqliteDictionary::Constraint& c) {
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
    c.deferrable = deferrable == "DEFERRABLE";
    c.deferred = initially == " INITIALLY DEFERRED";
    if (!keep || (deferrable.empty() && initially.empty())) return;
    // Note: INITIALLY alone belongs to a constraint that is not deferrable.
    if (deferrable.empty()) deferrable = "NOT DEFERRABLE";
    Append(from, " ", false);
    Append(from, std::string(deferrable) + std::string(initially), false);
}
