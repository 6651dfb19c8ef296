#include "engine/sqlite/CReturningInto.h"

#include <sqlite3.h>

#include "engine/sqlite/COraError.h"
#include "engine/sqlite/CSqlScanner.h"
#include "engine/sqlite/CSqliteCatalog.h"
#include "engine/sqlite/CSqliteConnection.h"
#include "engine/sqlite/CValueText.h"
#include "engine/sqlite/plsql/CPlsqlErrors.h"
#include "engine/sqlite/plsql/CTriggerFiring.h"
#include "engine/sqlite/values/CNumberValue.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace {

using Tokens = std::vector<CSqlScanner::Token>;

constexpr const char* kSavepoint = "SAVEPOINT TARVEX_RETURNING";
constexpr const char* kRollbackTo = "ROLLBACK TO TARVEX_RETURNING";
constexpr const char* kRelease = "RELEASE TARVEX_RETURNING";

bool IsDml(std::string_view sql, const Tokens& tokens) {
    return !tokens.empty() &&
           (CSqlScanner::Is(sql, tokens[0], "INSERT") || CSqlScanner::Is(sql, tokens[0], "UPDATE") ||
            CSqlScanner::Is(sql, tokens[0], "DELETE"));
}

// The INTO list after RETURNING: binds separated by commas up to the end
// (a closing ";" allowed); false when anything else stands there.
bool ReadTargets(std::string_view sql, const Tokens& tokens, std::size_t k, std::vector<std::string>& out) {
    for (bool expectBind = true; k < tokens.size(); ++k, expectBind = !expectBind) {
        const CSqlScanner::Token& token = tokens[k];
        if (CSqlScanner::IsSymbol(sql, token, ';')) return !expectBind && k + 1 == tokens.size();
        if (expectBind != (token.kind == CSqlScanner::Kind::Bind)) return false;
        if (expectBind)
            out.push_back(cp932::ToUpperAscii(CSqlScanner::BindName(sql, token)));
        else if (!CSqlScanner::IsSymbol(sql, token, ','))
            return false;
    }
    return !out.empty() && tokens.back().kind == CSqlScanner::Kind::Bind;
}

// The table the statement writes: INSERT INTO t, UPDATE t, DELETE [FROM] t.
std::string TargetTable(std::string_view sql, const Tokens& tokens) {
    std::size_t k = 1;
    if (k < tokens.size() &&
        (CSqlScanner::Is(sql, tokens[k], "INTO") || CSqlScanner::Is(sql, tokens[k], "FROM")))
        ++k;
    // Note: a schema-qualified name is the user's own table (one user a file).
    if (k + 2 < tokens.size() && CSqlScanner::IsSymbol(sql, tokens[k + 1], '.')) k += 2;
    if (k >= tokens.size()) return {};
    const CSqlScanner::Token& name = tokens[k];
    if (name.kind == CSqlScanner::Kind::QuotedName)
        return std::string(sql.substr(name.begin + 1, name.length - 2));
    if (name.kind != CSqlScanner::Kind::Word) return {};
    return cp932::ToUpperAscii(std::string(sql.substr(name.begin, name.length)));
}

// A name as the catalog compares it: a word in upper case, a quoted name as written.
std::string NameOf(std::string_view sql, const CSqlScanner::Token& token) {
    if (token.kind == CSqlScanner::Kind::QuotedName)
        return std::string(sql.substr(token.begin + 1, token.length - 2));
    if (token.kind != CSqlScanner::Kind::Word) return {};
    return cp932::ToUpperAscii(std::string(sql.substr(token.begin, token.length)));
}

// The words that may follow the table of INSERT, UPDATE or DELETE where
// no alias stands.
constexpr const char* kAfterTable[] = {"SET", "WHERE", "VALUES", "RETURNING", "RETURN", "PARTITION", "LOG"};

// The alias given the table the statement writes, "" when none.
std::string TargetAlias(std::string_view sql, const Tokens& tokens) {
    std::size_t k = 1;
    if (k < tokens.size() &&
        (CSqlScanner::Is(sql, tokens[k], "INTO") || CSqlScanner::Is(sql, tokens[k], "FROM")))
        ++k;
    if (k + 2 < tokens.size() && CSqlScanner::IsSymbol(sql, tokens[k + 1], '.')) k += 2;
    if (k + 1 >= tokens.size()) return {};
    const CSqlScanner::Token& alias = tokens[k + 1];
    for (const char* word : kAfterTable)
        if (CSqlScanner::Is(sql, alias, word)) return {};
    return NameOf(sql, alias);
}

// The expressions of RETURNING split at their top-level commas, trimmed.
std::vector<std::string> SplitExpressions(std::string_view text) {
    std::vector<std::string> out;
    std::string current;
    int depth = 0;
    for (const CSqlScanner::Token& token : CSqlScanner::Tokenize(text)) {
        std::string_view piece = text.substr(token.begin, token.length);
        if (CSqlScanner::IsSymbol(text, token, '(')) ++depth;
        if (CSqlScanner::IsSymbol(text, token, ')')) --depth;
        if (depth == 0 && CSqlScanner::IsSymbol(text, token, ',')) {
            out.push_back(std::move(current));
            current.clear();
            continue;
        }
        if (token.kind != CSqlScanner::Kind::Space && token.kind != CSqlScanner::Kind::Comment)
            current.append(piece);
        else if (!current.empty())
            current += ' ';
    }
    while (!current.empty() && current.back() == ' ') current.pop_back();
    out.push_back(std::move(current));
    return out;
}

// Whether "RETURN" and a ":" stand anywhere in the text, in any case: most
// DML has no such clause and is not tokenized a second time.
bool MentionsReturn(std::string_view sql) {
    constexpr std::string_view kWord = "RETURN";
    // Note: the clause ends in a bind (":x"); most statements hold none.
    if (sql.size() < kWord.size() || sql.find(':') == std::string_view::npos) return false;
    const std::size_t last = sql.size() - kWord.size();
    for (std::size_t k = 0; k <= last; ++k) {
        if ((sql[k] & ~0x20) != 'R') continue;
        std::size_t n = 1;
        while (n < kWord.size() && (sql[k + n] & ~0x20) == kWord[n]) ++n;
        if (n == kWord.size()) return true;
    }
    return false;
}

CEngineBind* FindBind(std::vector<CEngineBind>& binds, const std::string& name) {
    for (CEngineBind& bind : binds)
        if (cp932::ToUpperAscii(bind.name) == name) return &bind;
    return nullptr;
}

}  // namespace

std::string CReturningInto::Target(std::string_view sql) {
    return TargetTable(sql, CSqlScanner::Significant(sql, 6));
}

std::string CReturningInto::Unqualified(std::string_view sql, std::string_view expressions) {
    Tokens head = CSqlScanner::Significant(sql, 6);
    const std::string table = TargetTable(sql, head);
    const std::string alias = TargetAlias(sql, head);
    Tokens tokens = CSqlScanner::Significant(expressions);
    std::string out;
    std::size_t copied = 0;
    for (std::size_t k = 0; k + 2 < tokens.size(); ++k) {
        bool qualifies = CSqlScanner::IsSymbol(expressions, tokens[k + 1], '.') &&
                         (k == 0 || !CSqlScanner::IsSymbol(expressions, tokens[k - 1], '.'));
        std::string name = qualifies ? NameOf(expressions, tokens[k]) : std::string();
        if (name.empty() || (name != alias && name != table)) continue;
        out.append(expressions, copied, tokens[k].begin - copied);
        copied = tokens[k + 2].begin;
        ++k;
    }
    out.append(expressions, copied, std::string_view::npos);
    return out;
}

bool CReturningInto::InsertsQuery(std::string_view sql) {
    Tokens tokens = CSqlScanner::Significant(sql);
    if (tokens.empty() || !CSqlScanner::Is(sql, tokens[0], "INSERT")) return false;
    int depth = 0;
    for (const CSqlScanner::Token& token : tokens) {
        if (CSqlScanner::IsSymbol(sql, token, '(')) ++depth;
        if (CSqlScanner::IsSymbol(sql, token, ')')) --depth;
        if (depth == 0 && CSqlScanner::Is(sql, token, "VALUES")) return false;
    }
    return true;
}

std::string CReturningInto::ReadBackText(const std::string& table, const std::string& columns,
                                         const std::string& which) {
    return "SELECT " + encoding::Cp932ToUtf8(columns) + " FROM \"" + encoding::Cp932ToUtf8(table) + "\" " +
           which;
}

CReturningInto::Clause CReturningInto::Find(std::string_view sql) {
    Clause clause;
    if (!MentionsReturn(sql)) return clause;
    Tokens tokens = CSqlScanner::Significant(sql);
    if (!IsDml(sql, tokens)) return clause;
    int depth = 0;
    for (std::size_t k = 1; k < tokens.size(); ++k) {
        const CSqlScanner::Token& token = tokens[k];
        if (CSqlScanner::IsSymbol(sql, token, '(')) ++depth;
        if (CSqlScanner::IsSymbol(sql, token, ')')) --depth;
        if (depth != 0 || token.kind != CSqlScanner::Kind::Word ||
            !(CSqlScanner::Is(sql, token, "RETURNING") || CSqlScanner::Is(sql, token, "RETURN")))
            continue;
        std::size_t into = k + 1;
        for (int inner = 0; into < tokens.size(); ++into) {
            if (CSqlScanner::IsSymbol(sql, tokens[into], '(')) ++inner;
            if (CSqlScanner::IsSymbol(sql, tokens[into], ')')) --inner;
            if (inner == 0 && CSqlScanner::Is(sql, tokens[into], "INTO")) break;
        }
        if (into == k + 1 || into >= tokens.size() || !ReadTargets(sql, tokens, into + 1, clause.targets))
            return Clause{};
        std::size_t from = token.begin + token.length;
        clause.expressions = Unqualified(sql, sql.substr(from, tokens[into].begin - from));
        clause.at = token.begin;
        return clause;
    }
    return clause;
}

namespace {

// The type of the column an expression names, Unknown for any other
// expression.
CSqlType TypeOf(const std::vector<CSqliteCatalog::Column>* columns, const std::string& expression) {
    if (columns == nullptr) return CSqlType::Unknown;
    std::string name =
        expression.substr(expression.rfind('.') == std::string::npos ? 0 : expression.rfind('.') + 1);
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
        name = name.substr(1, name.size() - 2);
    else
        name = cp932::ToUpperAscii(name);
    name = encoding::Cp932ToUtf8(name);
    for (const CSqliteCatalog::Column& column : *columns)
        if (column.name == name) return column.type;
    return CSqlType::Unknown;
}

std::string Hex(const unsigned char* bytes, int size) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (int k = 0; k < size; ++k) {
        out += kDigits[bytes[k] >> 4];
        out += kDigits[bytes[k] & 15];
    }
    return out;
}

}  // namespace

bool CReturningInto::Run(const std::string& sql, const Clause& clause, std::vector<CEngineBind>& binds,
                         long& rowsProcessed) {
    CSqliteConnection& c = m_connection;
    const int at = static_cast<int>(clause.at);
    std::vector<std::string> expressions = SplitExpressions(clause.expressions);
    if (expressions.size() != clause.targets.size()) {
        COraError::Set(c.m_error, expressions.size() > clause.targets.size() ? 913 : 947, {}, at);
        return false;
    }
    std::vector<CEngineBind*> targets;
    for (const std::string& name : clause.targets) {
        targets.push_back(FindBind(binds, name));
        if (targets.back() == nullptr) {
            COraError::Set(c.m_error, 1008, {name}, at);
            return false;
        }
    }
    if (InsertsQuery(std::string_view(sql).substr(0, clause.at))) {
        COraError::Set(c.m_error, 933, {}, at);
        return false;
    }
    const std::string table = TargetTable(sql, CSqlScanner::Significant(sql, 6));
    // Note: the server returns nothing through a view's INSTEAD OF triggers.
    if (CTriggerFiring::HasInsteadOf(c, table)) {
        COraError::Set(c.m_error, 22816, {}, at);
        return false;
    }
    // Note: a BEFORE ROW trigger's :NEW values are written after RETURNING
    // read the row; the row is then read back as stored, by its rowid.
    const bool update = CSqlScanner::Is(sql, CSqlScanner::Significant(sql, 1)[0], "UPDATE");
    const bool readBack = update && CTriggerFiring::RewritesUpdates(c, table);
    CSqliteConnection::Piece piece{std::string_view(sql).substr(0, clause.at), 0};
    std::string compiled;
    if (!c.Compile(piece, compiled, nullptr, nullptr, &binds)) return false;
    if (compiled.empty()) {
        COraError::Set(c.m_error, 3001, {"RETURNING"}, at);
        return false;
    }
    compiled += readBack ? std::string(" RETURNING rowid") : " RETURNING " + clause.expressions;
    sqliteapi::Statement statement;
    if (!c.PrepareCompiled(piece, compiled, statement) || !c.Bind(piece, binds, statement.get()))
        return false;
    const auto* columns = c.m_catalog->Columns(table);
    std::vector<CSqlType> types;
    for (const std::string& expression : expressions) types.push_back(TypeOf(columns, expression));

    bool started = !c.InTransaction();
    if (!c.BeginWrite() || !c.ExecPlain(kSavepoint)) return false;
    std::vector<CEngineBind> values(targets.size());
    int rc = sqlite3_step(statement.get());
    bool ok = true;
    const bool returned = rc == SQLITE_ROW;
    sqlite3_int64 rowid = 0;
    if (returned) {
        if (readBack)
            rowid = sqlite3_column_int64(statement.get(), 0);
        else
            ok = Read(statement.get(), types, targets, values);
        rc = sqlite3_step(statement.get());
        if (ok && rc == SQLITE_ROW) {
            COraError::Set(c.m_error, 1422, {}, 0);
            ok = false;
        }
    }
    if (ok && rc != SQLITE_DONE) ok = c.SetStepError();
    long rows = ok ? c.Changes() : 0;
    statement.reset();
    if (ok && returned && readBack)
        ok = ReadBack(table, clause.expressions, "WHERE rowid = " + std::to_string(rowid), types, targets,
                      values);
    // Note: a row a BEFORE ROW trigger wrote anew is inserted by the trigger,
    // not by the statement, and is read back as the last row of the table.
    if (ok && !returned && rows == 1 && CSqlScanner::Is(sql, CSqlScanner::Significant(sql, 1)[0], "INSERT"))
        ok = ReadBack(table, clause.expressions, "ORDER BY rowid DESC LIMIT 1", types, targets, values);
    if (!ok) {
        const char* undo = started ? "ROLLBACK" : kRollbackTo;
        if (!sqliteapi::Undo(c.m_db, undo) || (!started && !c.ExecPlain(kRelease)))
            c.m_transactionLost = true;
        return false;
    }
    for (std::size_t k = 0; k < targets.size(); ++k) {
        targets[k]->value = values[k].value;
        targets[k]->isNull = values[k].isNull;
        targets[k]->assigned = true;
    }
    rowsProcessed += rows;
    return c.ExecPlain(kRelease);
}

bool CReturningInto::Read(sqlite3_stmt* statement, const std::vector<CSqlType>& types,
                          const std::vector<CEngineBind*>& targets, std::vector<CEngineBind>& values) {
    for (std::size_t k = 0; k < values.size(); ++k) {
        sqlite3_value* value = sqlite3_column_value(statement, static_cast<int>(k));
        int kind = sqlite3_value_type(value);
        CEngineBind& out = values[k];
        out.isNull = kind == SQLITE_NULL;
        if (out.isNull) continue;
        CNumberDecimal number;
        if ((kind == SQLITE_INTEGER || kind == SQLITE_FLOAT || types[k] == CSqlType::Number) &&
            CNumberValue::Read(value, number)) {
            out.value = number.ToText();
        } else if (kind == SQLITE_BLOB) {
            out.value =
                Hex(static_cast<const unsigned char*>(sqlite3_value_blob(value)), sqlite3_value_bytes(value));
        } else {
            const char* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
            out.value = encoding::Utf8ToCp932(text != nullptr ? text : "");
            bool date = types[k] == CSqlType::Date ||
                        (types[k] == CSqlType::Unknown && CValueText::IsStoredDate(out.value));
            if (date) out.value = m_connection.ShowDate(out.value);
        }
        if (targets[k]->serverType == servertype::kNumber && !CNumberDecimal::FromText(out.value, number)) {
            COraError::Set(m_connection.m_error, 1722, {}, 0);
            return false;
        }
        // Note: an empty text is NULL, as the server holds it.
        out.isNull = out.value.empty();
        if (!Fits(*targets[k], out)) return false;
    }
    return true;
}

bool CReturningInto::Fits(const CEngineBind& target, const CEngineBind& value) {
    // Note: a character variable takes no more bytes than it was declared
    // with, as the server's bind buffer; the statement fails whole.
    if (value.isNull || target.size <= 0 || static_cast<long>(value.value.size()) <= target.size) return true;
    m_connection.m_error.Set(CPlsqlErrors::ValueErrorText(CPlsqlErrors::ValueError::Buffer), 0);
    m_connection.m_error.code = 6502;
    return false;
}

bool CReturningInto::ReadBack(const std::string& table, const std::string& expressions,
                              const std::string& which, const std::vector<CSqlType>& types,
                              const std::vector<CEngineBind*>& targets, std::vector<CEngineBind>& values) {
    const std::string query = ReadBackText(table, expressions, which);
    sqlite3_stmt* raw = nullptr;
    bool ok = sqlite3_prepare_v2(m_connection.m_db, query.c_str(), -1, &raw, nullptr) == SQLITE_OK;
    sqliteapi::Statement statement(raw);
    if (!ok) return m_connection.SetEngineError(), false;
    int rc = sqlite3_step(raw);
    if (rc == SQLITE_ROW) return Read(raw, types, targets, values);
    return rc == SQLITE_DONE || (m_connection.SetEngineError(), false);
}
