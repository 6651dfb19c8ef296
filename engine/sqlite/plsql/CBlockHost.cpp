#include "engine/sqlite/plsql/CBlockHost.h"

#include <sqlite3.h>

#include <algorithm>
#include <functional>

#include "engine/sqlite/CForeignKeyProbe.h"
#include "engine/sqlite/COraError.h"
#include "engine/sqlite/CReturningInto.h"
#include "engine/sqlite/CSqlScanner.h"
#include "engine/sqlite/CSqliteCatalog.h"
#include "engine/sqlite/CSqliteConnection.h"
#include "engine/sqlite/CSqliteSession.h"
#include "engine/sqlite/CStatementTables.h"
#include "engine/sqlite/CValueText.h"
#include "engine/sqlite/plsql/CCollectionJson.h"
#include "engine/sqlite/plsql/CObjectMembers.h"
#include "engine/sqlite/plsql/CObjectText.h"
#include "engine/sqlite/plsql/CPlsqlErrors.h"
#include "engine/sqlite/plsql/CPlsqlInterpreter.h"
#include "engine/sqlite/plsql/CPlsqlOverloads.h"
#include "engine/sqlite/plsql/CPlsqlParser.h"
#include "engine/sqlite/plsql/CPlsqlRefCursor.h"
#include "engine/sqlite/plsql/CPlsqlSession.h"
#include "engine/sqlite/plsql/CTriggerFiring.h"
#include "engine/sqlite/plsql/CTypeShape.h"
#include "engine/sqlite/plsql/CUnitCatalog.h"
#include "engine/sqlite/values/CNumberValue.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace {

constexpr const char* kSavepoint = "SAVEPOINT TARVEX_BLOCK";
constexpr const char* kRollback = "ROLLBACK TO TARVEX_BLOCK";
constexpr const char* kRelease = "RELEASE TARVEX_BLOCK";

std::shared_ptr<CPlsqlType> TypeOfColumn(const CSqliteCatalog::Column& column) {
    auto type = std::make_shared<CPlsqlType>();
    switch (column.type) {
        case CSqlType::Number:
            type->base = CPlsqlType::Base::Number;
            type->precision = column.precision;
            type->scale =
                column.scale == CSqliteCatalog::Column::kNoScale ? CPlsqlType::kNoScale : column.scale;
            if (column.integer && type->scale == CPlsqlType::kNoScale) type->scale = 0;
            break;
        case CSqlType::Text:
        case CSqlType::Char:
            type->base = column.type == CSqlType::Char ? CPlsqlType::Base::Char : CPlsqlType::Base::Text;
            // Note: a length in characters holds as many double-byte characters.
            type->length = column.charSemantics ? column.length * 2 : column.length;
            break;
        case CSqlType::Date:
            type->base = CPlsqlType::Base::Date;
            type->fraction = column.fraction;
            type->zone = column.zone == CSqliteCatalog::Column::kZoned       ? 'Z'
                         : column.zone == CSqliteCatalog::Column::kLocalZone ? 'L'
                                                                             : 'N';
            break;
        default:
            type->base = CPlsqlType::Base::Any;
            break;
    }
    return type;
}

}  // namespace

bool CBlockHost::Run(const std::string& text, std::vector<CEngineBind>& binds, long& rows,
                     CEngineError& error) {
    m_connection.m_cancelRequested = false;
    CPlsqlParser parser(text, *this);
    m_consoleBinds = &binds;
    std::shared_ptr<CPlsqlUnit> unit = parser.Parse(error);
    m_consoleBinds = nullptr;
    if (!unit) return false;
    std::vector<CEngineBind> work = binds;
    bool ok = false;
    {
        CPlsqlInterpreter interpreter(*unit, *this, work);
        ok = interpreter.Run(error);
        rows = ok ? interpreter.RowsProcessed() : 0;
    }
    if (!ok) {
        Undo();
        return false;
    }
    binds = std::move(work);
    if (!Finish()) {
        error = m_connection.m_error;
        return false;
    }
    return true;
}

sqlite3* CBlockHost::Database() { return m_connection.m_db; }

bool CBlockHost::TableColumns(const std::string& name, std::vector<CPlsqlType::Field>& out) {
    const auto* columns = m_connection.m_catalog->Columns(name);
    if (columns == nullptr) return false;
    out.clear();
    for (const auto& column : *columns) {
        out.push_back({column.name, TypeOfColumn(column)});
        // Note: a row's field of an object column holds an object of the column's type.
        bool invalid = false;
        if (!column.objectType.empty())
            if (auto object = SchemaType(column.objectType, invalid); object && object->object)
                out.back().type = object;
    }
    return true;
}

int CBlockHost::BindFloatWidth(const std::string& name) const {
    if (m_consoleBinds == nullptr) return 0;
    for (const CEngineBind& bind : *m_consoleBinds)
        if (cp932::ToUpperAscii(bind.name) == name) return servertype::FloatBytes(bind.serverType);
    return 0;
}

bool CBlockHost::Prepare(CPlsqlSql& sql, CEngineError& error) {
    std::vector<CEngineBind> binds;
    for (std::size_t k = 0; k < sql.paramNames.size(); ++k) {
        CEngineBind bind;
        bind.name = sql.paramNames[k];
        // Note: a floating parameter is typed so, that SQL computes with it as the server does.
        int width = k < sql.paramFloats.size() ? sql.paramFloats[k] : 0;
        if (width != 0) bind.serverType = width == 4 ? servertype::kBinaryFloat : servertype::kBinaryDouble;
        binds.push_back(bind);
    }
    CSqliteConnection::Statement statement;
    m_connection.m_error.Clear();
    if (!PrepareStatement(sql, binds, statement)) {
        m_connection.Finish(false, sql.text);
        error = m_connection.m_error;
        return false;
    }
    sql.columns.clear();
    sql.columnTypes.clear();
    sql.columnFloats.clear();
    sql.columnFractions.clear();
    sql.columnZones.clear();
    int count = sqlite3_column_count(statement.get());
    for (int k = 0; k < count; ++k) {
        const char* name = sqlite3_column_name(statement.get(), k);
        // Note: the compiled query names its columns as the server does (a
        // quoted name in its own case).
        sql.columns.push_back(encoding::Utf8ToCp932(name != nullptr ? name : ""));
        CSqlType type = static_cast<std::size_t>(k) < m_connection.m_resultTypes.size()
                            ? m_connection.m_resultTypes[static_cast<std::size_t>(k)].kind
                            : CSqlType::Unknown;
        sql.columnTypes.push_back(static_cast<int>(type));
        sql.columnFloats.push_back(static_cast<std::size_t>(k) < m_connection.m_resultTypes.size()
                                       ? m_connection.m_resultTypes[static_cast<std::size_t>(k)].floatWidth
                                       : 0);
        const CValueType* described = static_cast<std::size_t>(k) < m_connection.m_resultTypes.size()
                                          ? &m_connection.m_resultTypes[static_cast<std::size_t>(k)]
                                          : nullptr;
        sql.columnFractions.push_back(described != nullptr ? described->fraction : -1);
        sql.columnZones.push_back(described != nullptr && described->zone && !described->localZone);
    }
    // Note: the leading rowid of a statement read back is no column of its own.
    for (int k = 0; k < sql.skip && sql.readBack && !sql.columns.empty(); ++k) {
        sql.columns.erase(sql.columns.begin());
        sql.columnTypes.erase(sql.columnTypes.begin());
        sql.columnFloats.erase(sql.columnFloats.begin());
    }
    sql.statement = std::move(statement);
    sql.paramIndexes.clear();
    return true;
}

bool CBlockHost::PrepareStatement(CPlsqlSql& sql, const std::vector<CEngineBind>& binds,
                                  sqliteapi::Statement& statement) {
    CSqliteConnection::Piece piece{sql.text, 0};
    if (sql.returningText.empty()) return m_connection.Prepare(piece, {}, binds, statement);
    if (CReturningInto::InsertsQuery(sql.text)) {
        COraError::Set(m_connection.m_error, 933, {}, static_cast<int>(sql.text.size()));
        return false;
    }
    const std::string table = CReturningInto::Target(sql.text);
    // Note: the server returns nothing through a view's INSTEAD OF triggers.
    if (CTriggerFiring::HasInsteadOf(m_connection, table)) {
        COraError::Set(m_connection.m_error, 22816, {}, 0);
        return false;
    }
    std::vector<CSqlScanner::Token> first = CSqlScanner::Significant(sql.text, 1);
    sql.readBack = !first.empty() && CSqlScanner::Is(sql.text, first[0], "UPDATE") &&
                   CTriggerFiring::RewritesUpdates(m_connection, table);
    sql.skip = sql.readBack ? 1 : 0;
    std::string compiled;
    if (!m_connection.Compile(piece, compiled, nullptr, nullptr, &binds)) return false;
    if (compiled.empty()) {
        COraError::Set(m_connection.m_error, 3001, {"RETURNING"}, static_cast<int>(sql.text.size()));
        return false;
    }
    compiled += (sql.readBack ? " RETURNING rowid, " : " RETURNING ") + sql.returningText;
    return m_connection.PrepareCompiled(piece, compiled, statement) &&
           m_connection.Bind(piece, binds, statement.get());
}

void CBlockHost::StepFailed(const CPlsqlSql& sql, CEngineError& error) {
    m_connection.SetEngineError();
    CForeignKeyProbe::Name(m_connection.m_db, sql.statement.get(), m_connection.m_error);
    m_connection.Finish(false, sql.text);
    error = m_connection.m_error;
}

bool CBlockHost::BeginWrite(CEngineError& error) {
    if (m_inQuery) {
        CPlsqlErrors::Set(error, 14551);
        return false;
    }
    if (m_savepoint || m_inTrigger) return true;
    bool began = !m_connection.InTransaction();
    if (!m_connection.BeginWrite() || !m_connection.ExecPlain(kSavepoint)) {
        error = m_connection.m_error;
        return false;
    }
    m_began = m_began || began;
    m_savepoint = true;
    return true;
}

bool CBlockHost::Commit(CEngineError& error) {
    if (m_inTrigger || m_inQuery) {
        CPlsqlErrors::Set(error, 4092);
        return false;
    }
    // Note: a commit inside the block ends its savepoint; what follows is
    // undone back to the commit only.
    m_savepoint = false;
    m_began = false;
    if (m_connection.CommitWork()) return true;
    error = m_connection.m_error;
    return false;
}

bool CBlockHost::Rollback(CEngineError& error) {
    if (m_inTrigger || m_inQuery) {
        CPlsqlErrors::Set(error, 4092);
        return false;
    }
    m_savepoint = false;
    m_began = false;
    if (!m_connection.InTransaction() || m_connection.ExecPlain("ROLLBACK")) return true;
    error = m_connection.m_error;
    return false;
}

bool CBlockHost::Savepoint(const std::string& name, bool rollbackTo, CEngineError& error) {
    if (!BeginWrite(error)) return false;
    std::string statement = (rollbackTo ? "ROLLBACK TO " : "SAVEPOINT ") + encoding::Cp932ToUtf8(name);
    if (m_connection.ExecPlain(statement.c_str())) return true;
    error = m_connection.m_error;
    if (rollbackTo) CPlsqlErrors::Set(error, 1086, name);
    return false;
}

bool CBlockHost::ExecuteOther(const std::string& text, long& rows, CEngineError& error) {
    std::vector<CEngineBind> none;
    // Note: DDL commits first, as on the server; the block's savepoint goes
    // with it. A nested block keeps it.
    StatementKind kind = CStatementClassifier::Classify(text);
    // Note: what commits cannot run in a trigger, nor in a function a
    // query or a DML statement calls.
    constexpr StatementKind kCommitting[] = {
        StatementKind::Ddl,
        StatementKind::Truncate,
        StatementKind::ReplaceObject,
        StatementKind::Commit,
        StatementKind::Rollback,
        StatementKind::StoredCode,
        StatementKind::CreateSequence,
        StatementKind::DropSequence,
        StatementKind::Synonym,
    };
    if ((m_inTrigger || m_inQuery) &&
        std::find(std::begin(kCommitting), std::end(kCommitting), kind) != std::end(kCommitting)) {
        CPlsqlErrors::Set(error, m_inTrigger ? 4092 : 14552);
        return false;
    }
    if (kind != StatementKind::Block && kind != StatementKind::DeclareBlock) {
        m_savepoint = false;
        m_began = false;
    }
    if (m_connection.ExecuteStatement(text, none, rows)) return true;
    m_connection.Finish(false, text);
    error = m_connection.m_error;
    return false;
}

bool CBlockHost::ExecuteBlock(const std::string& text, std::vector<CEngineBind>& binds, long& rows,
                              CEngineError& error) {
    // Note: the block runs inside this one's transaction and savepoint.
    if (m_connection.ExecuteStatement(text, binds, rows)) return true;
    m_connection.Finish(false, text);
    error = m_connection.m_error;
    return false;
}

bool CBlockHost::Output(CPlsqlStmt::OutputCall call, const std::string& text, CEngineError& error) {
    using Call = CPlsqlStmt::OutputCall;
    bool ok = true;
    switch (call) {
        case Call::Enable:
            m_connection.EnableOutput(text);
            break;
        case Call::Disable:
            m_connection.m_outputEnabled = false;
            m_connection.m_outputLimit = 0;
            m_connection.TakeServerOutput();
            break;
        case Call::Put:
            ok = m_connection.AppendOutput(text, false);
            break;
        case Call::PutLine:
            ok = m_connection.AppendOutput(text, true);
            break;
        case Call::NewLine:
            ok = m_connection.AppendOutput({}, true);
            break;
        default:
            break;
    }
    if (!ok) error = m_connection.m_error;
    return ok;
}

bool CBlockHost::TakeLine(std::string& line) {
    auto& output = m_connection.m_output;
    std::size_t complete = output.size() - (m_connection.m_outputLineOpen ? 1 : 0);
    if (output.empty() || complete == 0) return false;
    line = output.front();
    m_connection.m_outputBytes -= std::min(m_connection.m_outputBytes, line.size());
    output.erase(output.begin());
    return true;
}

bool CBlockHost::Cancelled() { return m_connection.m_cancelRequested.load(std::memory_order_relaxed); }

std::string CBlockHost::ShowDate(const std::string& stored) { return m_connection.ShowDate(stored); }

std::string CBlockHost::ShowTimestamp(const std::string& stored, int digits) {
    return m_connection.ShowTimestamp(stored, digits);
}

const CTimeZone& CBlockHost::SessionZone() { return m_connection.m_session->timeZone; }

void CBlockHost::Undo() {
    if (!m_savepoint) return;
    CEngineError failure = m_connection.m_error;
    const char* undo[] = {kRollback, kRelease, m_began ? "ROLLBACK" : nullptr};
    for (const char* statement : undo)
        if (statement != nullptr && m_connection.InTransaction() &&
            !sqliteapi::Undo(m_connection.m_db, statement))
            m_connection.m_transactionLost = true;
    m_connection.m_error = failure;
    m_savepoint = false;
}

bool CBlockHost::Finish() {
    if (!m_savepoint) return true;
    m_savepoint = false;
    return m_connection.ExecPlain(kRelease);
}

// ---- stored units

namespace {

using Token = CSqlScanner::Token;

// The name a data type goes by in USER_ARGUMENTS.
std::string DataType(const CPlsqlType& type) {
    switch (type.base) {
        case CPlsqlType::Base::Number:
            return "NUMBER";
        case CPlsqlType::Base::Integer:
            return type.name == "BINARY_INTEGER" ? "BINARY_INTEGER" : "PLS_INTEGER";
        case CPlsqlType::Base::Text:
            return type.name == "CLOB" ? "CLOB" : "VARCHAR2";
        case CPlsqlType::Base::Char:
            return "CHAR";
        case CPlsqlType::Base::Date:
            return "DATE";
        case CPlsqlType::Base::Boolean:
            return "PL/SQL BOOLEAN";
        case CPlsqlType::Base::Record:
            return type.object ? "OBJECT" : "PL/SQL RECORD";
        case CPlsqlType::Base::Collection:
            return type.collection == CPlsqlType::CollectionKind::Varray   ? "VARRAY"
                   : type.collection == CPlsqlType::CollectionKind::Nested ? "TABLE"
                                                                           : "PL/SQL TABLE";
        case CPlsqlType::Base::Cursor:
            return "REF CURSOR";
        default:
            return "";
    }
}

constexpr const char* kModes[] = {"IN", "OUT", "IN/OUT"};

// The rows of USER_ARGUMENTS for `unit`: its result at position 0 (the first
// in sequence), its parameters from 1.
void AddArguments(const CPlsqlUnit& unit, const std::string& package, int overload,
                  std::vector<CUnitCatalog::Argument>& out) {
    int first = unit.returnType ? 1 : 0;
    if (unit.returnType)
        out.push_back({"", DataType(*unit.returnType), "OUT", unit.name, package, overload, 0, 1});
    for (std::size_t k = 0; k < unit.parameters.size(); ++k) {
        const auto& parameter = unit.parameters[k];
        int position = static_cast<int>(k) + 1;
        out.push_back({parameter.name, DataType(*unit.slotTypes[static_cast<std::size_t>(parameter.slot)]),
                       kModes[static_cast<int>(parameter.mode)], unit.name, package, overload, position,
                       position + first});
    }
}

// The rows of the members a package's heading declares; the members of one
// name numbered (OVERLOAD) in the order they are declared.
std::vector<CUnitCatalog::Argument> PackageArguments(const CPlsqlPackage& package, const std::string& name) {
    std::vector<CUnitCatalog::Argument> out;
    for (const std::string& member : package.publicMembers) {
        auto range = package.members.equal_range(member);
        bool overloaded = std::distance(range.first, range.second) > 1;
        int overload = 0;
        for (auto it = range.first; it != range.second; ++it)
            AddArguments(*it->second, name, overloaded ? ++overload : 0, out);
    }
    return out;
}

std::string WordAt(std::string_view text, const std::vector<Token>& tokens, std::size_t k) {
    if (k >= tokens.size()) return {};
    std::string_view written = text.substr(tokens[k].begin, tokens[k].length);
    if (written.size() >= 2 && written.front() == '"')
        return std::string(written.substr(1, written.size() - 2));
    return cp932::ToUpperAscii(written);
}

struct FunctionName {
    CSqliteConnection* connection;
    std::string name;
    // TARVEX_WITH_CALL(id, name, ...): a function of a query's WITH clause.
    bool declared = false;
};

// The WITH units a call resolves among while it runs.
class LocalScope {
public:
    LocalScope(CPlsqlSession& session, std::shared_ptr<CWithUnits> units)
        : m_session(session), m_saved(std::move(session.local)) {
        session.local = std::move(units);
    }
    ~LocalScope() { m_session.local = std::move(m_saved); }
    LocalScope(const LocalScope&) = delete;
    LocalScope& operator=(const LocalScope&) = delete;

private:
    CPlsqlSession& m_session;
    std::shared_ptr<CWithUnits> m_saved;
};

// "PLS-00201: ..." as ORA-06553 writes it: "PLS-201: ...".
std::string ShortPls(const std::string& text) {
    if (text.compare(0, 4, "PLS-") != 0) return text;
    std::size_t digits = 4;
    while (digits + 1 < text.size() && text[digits] == '0' && text[digits + 1] != ':') ++digits;
    return "PLS-" + text.substr(digits);
}

// The result type of a function, or of PACKAGE.FUNCTION (of an overloaded
// name, the one of `arguments` parameters, else the first declared); null
// when there is none.
std::shared_ptr<CPlsqlType> FunctionResultType(CBlockHost& host, const std::string& name, int arguments) {
    bool invalid = false;
    std::size_t dot = name.find('.');
    if (dot == std::string::npos) {
        auto unit = host.FindUnit(name, invalid);
        return unit && unit->type == "FUNCTION" ? unit->returnType : nullptr;
    }
    auto package = host.FindPackage(name.substr(0, dot), invalid);
    if (!package) return nullptr;
    auto range = package->members.equal_range(name.substr(dot + 1));
    std::shared_ptr<CPlsqlType> first;
    for (auto it = range.first; it != range.second; ++it) {
        if (it->second->type != "FUNCTION") continue;
        if (static_cast<int>(it->second->parameters.size()) == arguments) return it->second->returnType;
        if (!first) first = it->second->returnType;
    }
    return first;
}

// TARVEX_TYPE_SHAPE(name): the schema's type as the dictionary shows it; NULL
// for a type that does not compile.
void TypeShape(sqlite3_context* context, int count, sqlite3_value** values) {
    auto* connection = static_cast<CSqliteConnection*>(sqlite3_user_data(context));
    if (count < 1) return sqlite3_result_null(context);
    const unsigned char* raw = sqlite3_value_text(values[0]);
    std::string name = encoding::Utf8ToCp932(raw != nullptr ? reinterpret_cast<const char*>(raw) : "");
    CBlockHost host(*connection);
    bool invalid = false;
    std::shared_ptr<CPlsqlType> type;
    // A function's name: the type of its result.
    if (count > 1 && sqlite3_value_int(values[1]) != 0) {
        type = FunctionResultType(host, name, count > 2 ? sqlite3_value_int(values[2]) : -1);
    } else {
        type = host.SchemaType(name, invalid);
    }
    if (!type) return sqlite3_result_null(context);
    std::string json = encoding::Cp932ToUtf8(CTypeShape::Json(*type));
    sqlite3_result_text(context, json.c_str(), static_cast<int>(json.size()), SQLITE_TRANSIENT);
}

CPlsqlValue ValueOf(sqlite3_value* value) {
    switch (sqlite3_value_type(value)) {
        case SQLITE_NULL:
            return CPlsqlValue();
        case SQLITE_INTEGER:
            return CPlsqlValue::Integer(sqlite3_value_int64(value));
        case SQLITE_FLOAT: {
            CNumberDecimal number;
            return CNumberDecimal::FromDouble(sqlite3_value_double(value), number)
                       ? CPlsqlValue::Decimal(number)
                       : CPlsqlValue();
        }
        default: {
            const unsigned char* text = sqlite3_value_text(value);
            std::string cp932 =
                encoding::Utf8ToCp932(text != nullptr ? reinterpret_cast<const char*>(text) : "");
            return CValueText::IsStoredDate(cp932) ? CPlsqlValue::Date(cp932) : CPlsqlValue::Text(cp932);
        }
    }
}

void Result(sqlite3_context* context, const CPlsqlValue& value) {
    switch (value.GetKind()) {
        case CPlsqlValue::Kind::Null:
            sqlite3_result_null(context);
            return;
        case CPlsqlValue::Kind::Number:
            if (value.IsInteger()) return sqlite3_result_int64(context, value.IntegerValue());
            CNumberValue::Result(context, value.DecimalValue());
            return;
        case CPlsqlValue::Kind::Boolean:
            sqlite3_result_int(context, value.BoolValue() ? 1 : 0);
            return;
        default: {
            std::string utf8 = encoding::Cp932ToUtf8(value.TextValue());
            sqlite3_result_text(context, utf8.c_str(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
            return;
        }
    }
}

// The rows of USER_ERRORS of a unit that failed to compile: each error,
// after the statement it made the compiler pass over, by line and column.
std::vector<CUnitCatalog::Error> ErrorRows(const CPlsqlParser::CompileError& failure) {
    std::vector<CUnitCatalog::Error> rows;
    auto add = [&rows](const CPlsqlParser::CompileError& error) {
        if (error.ignoredLine > 0)
            rows.push_back({error.ignoredLine, error.ignoredColumn, error.ignoredText});
        rows.push_back({error.line, error.column, error.text});
    };
    if (failure.terminated) rows.push_back({0, 0, "PL/SQL: Compilation unit analysis terminated"});
    add(failure);
    for (const auto& other : failure.others) add(other);
    std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) {
        return a.line != b.line ? a.line < b.line : a.position < b.position;
    });
    return rows;
}

}  // namespace

std::shared_ptr<CPlsqlUnit> CBlockHost::FindUnit(const std::string& name, bool& invalid) {
    invalid = false;
    CPlsqlSession& session = *m_connection.m_plsql;
    // Note: a function of the query's WITH clause hides a stored one of its name.
    if (session.local)
        if (auto found = session.local->units.find(name); found != session.local->units.end())
            return found->second;
    if (auto found = session.units.find(name); found != session.units.end()) return found->second;
    if (auto found = session.compiling.find(name); found != session.compiling.end()) return found->second;
    CUnitCatalog::Unit stored;
    if (!CUnitCatalog::Find(m_connection.m_db, name, stored)) return nullptr;
    CPlsqlParser parser(stored.source, *this);
    CPlsqlParser::CompileError failure;
    auto unit = parser.ParseUnit(Owner(), failure);
    session.compiling.erase(name);
    if (!unit) {
        invalid = true;
        return nullptr;
    }
    session.units[name] = unit;
    if (!stored.valid) Revalidated(name, stored.type);
    return unit;
}

std::shared_ptr<CPlsqlUnit> CBlockHost::FindCallable(const std::string& name,
                                                     const std::vector<CPlsqlValue>& arguments,
                                                     bool& invalid) {
    std::size_t dot = name.find('.');
    if (dot == std::string::npos) return FindUnit(name, invalid);
    auto package = FindPackage(name.substr(0, dot), invalid);
    if (!package) return nullptr;
    std::string member = name.substr(dot + 1);
    bool visible = std::find(package->publicMembers.begin(), package->publicMembers.end(), member) !=
                   package->publicMembers.end();
    // Note: from SQL an overloaded function is told apart by the number and
    // the kinds of the values it is given, the best fit first.
    std::shared_ptr<CPlsqlUnit> best;
    int bestScore = -1;
    auto range = package->members.equal_range(member);
    for (auto it = range.first; it != range.second && visible; ++it) {
        const CPlsqlUnit& unit = *it->second;
        bool method = !unit.method.empty() && unit.method != "STATIC";
        if (unit.type != "FUNCTION" || method || unit.parameters.size() < arguments.size()) continue;
        int score = 0;
        for (std::size_t k = 0; k < unit.parameters.size() && score >= 0; ++k) {
            if (k >= arguments.size()) {
                score = unit.parameters[k].fallback ? score : -1;
                continue;
            }
            CPlsqlOverloads::Shape shape;
            auto kind = arguments[k].GetKind();
            shape.family = kind == CPlsqlValue::Kind::Number ? CPlsqlOverloads::Family::Number
                           : kind == CPlsqlValue::Kind::Date ? CPlsqlOverloads::Family::Date
                           : kind == CPlsqlValue::Kind::Text ? CPlsqlOverloads::Family::Text
                                                             : CPlsqlOverloads::Family::Unknown;
            int fit = CPlsqlOverloads::Score(CPlsqlOverloads::Fit(
                shape, *unit.slotTypes[static_cast<std::size_t>(unit.parameters[k].slot)]));
            score = fit < 0 ? -1 : score + fit;
        }
        if (score > bestScore) {
            bestScore = score;
            best = it->second;
        }
    }
    return best;
}

std::shared_ptr<CWithUnits> CBlockHost::CompileWith(
    const std::string& text, const std::vector<CWithDeclarations::Declaration>& declarations,
    std::map<std::string, std::string>& results) {
    CPlsqlSession& session = *m_connection.m_plsql;
    auto units = std::make_shared<CWithUnits>();
    units->id = ++session.withNext;
    LocalScope scope(session, units);
    for (const auto& declaration : declarations) {
        std::string source = text.substr(declaration.begin, declaration.end - declaration.begin);
        CPlsqlParser parser(source, *this);
        CPlsqlParser::CompileError failure;
        auto unit = parser.ParseUnit(Owner(), failure);
        session.compiling.clear();
        if (failure.refused) {
            m_connection.m_error.Set(failure.text, static_cast<int>(declaration.begin + failure.at));
            m_connection.m_error.code = 3001;
            return nullptr;
        }
        if (!unit) {
            COraError::Set(m_connection.m_error, 6553, {ShortPls(failure.text)},
                           static_cast<int>(declaration.begin));
            return nullptr;
        }
        // Note: a name is declared once in the clause (no overloading here).
        if (units->units.count(unit->name) > 0) {
            COraError::Set(m_connection.m_error, 3001,
                           {encoding::Utf8ToCp932("WITH 句の同名の関数 ") + unit->name},
                           static_cast<int>(declaration.begin));
            return nullptr;
        }
        units->units[unit->name] = unit;
        std::vector<CUnitCatalog::Argument> arguments;
        if (unit->type == "FUNCTION") AddArguments(*unit, {}, 0, arguments);
        if (!arguments.empty()) results[unit->name] = arguments.front().type;
    }
    for (auto it = session.withUnits.begin(); it != session.withUnits.end();)
        it = it->second.expired() ? session.withUnits.erase(it) : std::next(it);
    session.withUnits[units->id] = units;
    return units;
}

void CBlockHost::Compiling(const std::shared_ptr<CPlsqlUnit>& unit) {
    m_connection.m_plsql->compiling[unit->name] = unit;
}

std::string CBlockHost::Owner() { return m_connection.m_session->user; }

bool CBlockHost::RunMerge(const std::string& text, std::vector<CEngineBind>& binds, long& rows,
                          CEngineError& error) {
    if (!CTriggerFiring::Begin(*this, text, !m_inTrigger && !m_inQuery, error)) return false;
    bool ran = m_connection.RunMerge(CSqliteConnection::Piece{text, 0}, binds, rows);
    if (!ran) error = m_connection.m_error;
    CEngineError after;
    bool ended = CTriggerFiring::End(*this, ran, after);
    if (ran && !ended) error = after;
    return ran && ended;
}

bool CBlockHost::CheckMerge(const CPlsqlSql& sql, CEngineError& error) {
    m_connection.m_error.Clear();
    if (m_connection.CheckMerge(CSqliteConnection::Piece{sql.text, 0})) return true;
    error = m_connection.m_error;
    return false;
}

std::string CBlockHost::Mutating(CPlsqlSql& sql) {
    const std::vector<std::string>& mutating = m_connection.m_plsql->mutating;
    if (mutating.empty()) return {};
    if (!sql.tablesRead) sql.tablesRead = CStatementTables::Of(sql.text, sql.tables) || true;
    for (const std::string& table : sql.tables)
        if (std::find(mutating.begin(), mutating.end(), table) != mutating.end())
            return Owner().empty() ? table : Owner() + "." + table;
    return {};
}

std::mt19937_64& CBlockHost::Random() { return m_connection.m_plsql->random; }

bool CBlockHost::BeforeDml(const std::string& text, bool bulk, CEngineError& error) {
    if (m_connection.RefuseInReadOnlyTransaction(error)) return false;
    return CTriggerFiring::Begin(*this, text, !m_inTrigger && !m_inQuery, error, bulk);
}

bool CBlockHost::AfterDml(bool ran, CEngineError& error) { return CTriggerFiring::End(*this, ran, error); }

std::shared_ptr<CPlsqlPackage> CBlockHost::CompilePackage(const std::string& name, const std::string& type,
                                                          const std::string& source,
                                                          CPlsqlParser::CompileError& failure) {
    std::string heading = source;
    std::string body;
    if (type == "PACKAGE BODY") {
        CUnitCatalog::Unit stored;
        if (!CUnitCatalog::Find(m_connection.m_db, name, stored, "PACKAGE")) {
            failure = {1, 1,
                       CPlsqlErrors::Compile(1, 1, 201, name)
                           .substr(CPlsqlErrors::Compile(1, 1, 201, name).find('\n') + 1)};
            return nullptr;
        }
        heading = stored.source;
        body = source;
    }
    CPlsqlParser parser(heading, *this);
    bool inBody = false;
    auto package = parser.ParsePackage(Owner(), body, failure, inBody);
    // Note: a body whose heading does not compile has that one error; the
    // heading's own errors are the heading's.
    if (!package && !inBody && type == "PACKAGE BODY") {
        std::string invalid = CPlsqlErrors::Compile(1, 1, 905, name);
        invalid = invalid.substr(invalid.find('\n') + 1);
        if (failure.refused)
            failure.text = invalid;
        else
            failure = {1, 1, invalid};
    }
    return package;
}

bool CBlockHost::HasSchemaType(const std::string& name) {
    if (m_connection.m_plsql->types.count(name) > 0) return true;
    CUnitCatalog::Unit unit;
    return CUnitCatalog::Find(m_connection.m_db, name, unit, "TYPE");
}

std::shared_ptr<CPlsqlType> CBlockHost::SchemaType(const std::string& name, bool& invalid) {
    invalid = false;
    CPlsqlSession& session = *m_connection.m_plsql;
    if (auto found = session.types.find(name); found != session.types.end()) return found->second;
    CUnitCatalog::Unit unit;
    if (!CUnitCatalog::Find(m_connection.m_db, name, unit, "TYPE")) return nullptr;
    if (!session.typesCompiling.insert(name).second) {
        invalid = true;
        return nullptr;
    }
    CPlsqlParser parser(unit.source, *this);
    CPlsqlParser::CompileError failure;
    std::vector<std::pair<std::string, std::string>> references;
    auto type = parser.ParseSchemaType(failure, references);
    session.typesCompiling.erase(name);
    invalid = type == nullptr;
    if (type) session.types[name] = type;
    return type;
}

std::shared_ptr<CPlsqlPackage> CBlockHost::FindPackage(const std::string& name, bool& invalid) {
    invalid = false;
    CPlsqlSession& session = *m_connection.m_plsql;
    if (auto found = session.packages.find(name); found != session.packages.end()) return found->second;
    CUnitCatalog::Unit heading;
    if (!CUnitCatalog::Find(m_connection.m_db, name, heading, "PACKAGE")) return TypeMethods(name, invalid);
    CUnitCatalog::Unit body;
    bool hasBody = CUnitCatalog::Find(m_connection.m_db, name, body, "PACKAGE BODY");
    CPlsqlParser::CompileError failure;
    auto package = CompilePackage(name, hasBody ? "PACKAGE BODY" : "PACKAGE",
                                  hasBody ? body.source : heading.source, failure);
    if (!package) {
        invalid = true;
        return nullptr;
    }
    session.packages[name] = package;
    if (!heading.valid) Revalidated(name, "PACKAGE");
    if (hasBody && !body.valid) Revalidated(name, "PACKAGE BODY");
    return package;
}

std::shared_ptr<CPlsqlPackage> CBlockHost::TypeMethods(const std::string& name, bool& invalid) {
    CPlsqlSession& session = *m_connection.m_plsql;
    CUnitCatalog::Unit heading;
    if (!CUnitCatalog::Find(m_connection.m_db, name, heading, "TYPE")) return nullptr;
    auto type = SchemaType(name, invalid);
    if (!type || type->methods.empty()) return nullptr;
    // Note: two types whose bodies call each other are compiled once each.
    std::string guard = name + " BODY";
    if (!session.typesCompiling.insert(guard).second) return nullptr;
    CUnitCatalog::Unit body;
    bool hasBody = CUnitCatalog::Find(m_connection.m_db, name, body, "TYPE BODY");
    CPlsqlParser parser(heading.source, *this);
    CPlsqlParser::CompileError failure;
    bool inBody = false;
    auto package =
        parser.ParseTypeMethods(Owner(), type, hasBody ? body.source : std::string(), failure, inBody);
    session.typesCompiling.erase(guard);
    if (!package) {
        invalid = true;
        return nullptr;
    }
    session.packages[name] = package;
    if (hasBody && !body.valid) Revalidated(name, "TYPE BODY");
    return package;
}

std::shared_ptr<CPlsqlPackage> CBlockHost::CompileTypeBody(const std::string& name, const std::string& source,
                                                           CPlsqlParser::CompileError& failure) {
    bool invalid = false;
    CUnitCatalog::Unit heading;
    auto type =
        CUnitCatalog::Find(m_connection.m_db, name, heading, "TYPE") ? SchemaType(name, invalid) : nullptr;
    if (!type) {
        std::string text = CPlsqlErrors::Compile(1, 1, invalid ? 905 : 201, name);
        failure = {1, 1, text.substr(text.find('\n') + 1)};
        return nullptr;
    }
    CPlsqlParser parser(heading.source, *this);
    bool inBody = false;
    return parser.ParseTypeMethods(Owner(), type, source, failure, inBody);
}

void CBlockHost::Revalidated(const std::string& name, const std::string& type) {
    // Note: a function called from a query leaves the catalog as it is;
    // the next use outside one notes the unit VALID.
    if (m_inQuery || sqlite3_db_readonly(m_connection.m_db, "main") == 1) return;
    CEngineError ignored;
    CUnitCatalog::SetValid(m_connection.m_db, name, type, ignored);
}

std::vector<CPlsqlDatum>* CBlockHost::PackageSlots(const std::string& name, CEngineError& error) {
    CPlsqlSession& session = *m_connection.m_plsql;
    if (auto found = session.states.find(name); found != session.states.end()) return &found->second;
    bool invalid = false;
    auto package = FindPackage(name, invalid);
    if (!package) {
        error.Set(CPlsqlErrors::Compile(1, 1, invalid ? 905 : 201, name));
        error.code = 6550;
        return nullptr;
    }
    auto& slots = session.states[name];
    slots.resize(package->frame->slotTypes.size());
    // Note: the package's declarations and initialisation run at its first use in the session.
    std::vector<CEngineBind> binds;
    CPlsqlInterpreter initialise(*package->frame, *this, binds, 1, &slots);
    std::vector<CPlsqlValue> none;
    CPlsqlValue result;
    if (initialise.Call(none, {}, result)) return &session.states[name];
    error.Set(initialise.RaisedStack());
    error.code = initialise.RaisedCode() < 0 ? 6510 : initialise.RaisedCode();
    session.states.erase(name);
    return nullptr;
}

void CBlockHost::NextStatement() {
    if (m_inTrigger) return;
    ++m_connection.m_plsql->statement;
}

long CBlockHost::Changes() { return m_connection.Changes(); }

bool CBlockHost::OpenCursorVariable(const std::string& name, const std::string& query,
                                    std::vector<CEngineBind> binds, CEngineError& error) {
    // Note: the block's statement keeps what the connection holds of it.
    auto types = m_connection.m_resultTypes;
    CEngineError saved = m_connection.m_error;
    CEngineResult rows;
    bool ok = m_connection.RunQuery(query, binds, rows);
    if (ok)
        m_connection.m_cursorVariables[name] = std::move(rows);
    else
        error = m_connection.m_error;
    m_connection.m_resultTypes = std::move(types);
    m_connection.m_error = saved;
    return ok;
}

bool CBlockHost::GiveCursor(const std::string& name, const CPlsqlRefCursor& cursor, CEngineError& error) {
    auto types = m_connection.m_resultTypes;
    CEngineError saved = m_connection.m_error;
    CEngineResult described;
    std::vector<CEngineBind> binds = cursor.binds;
    // Note: the query is run again for its columns only; the rows are the
    // ones the cursor read at OPEN.
    bool ok = m_connection.RunQuery(cursor.query, binds, described);
    if (ok) {
        CEngineResult rows;
        rows.SetColumns(described.Columns());
        for (std::size_t row = cursor.Position(); row < cursor.rows.size(); ++row) {
            for (const CPlsqlValue& value : cursor.rows[row]) {
                std::string text = value.GetKind() == CPlsqlValue::Kind::Number ? value.NumberText()
                                   : value.GetKind() == CPlsqlValue::Kind::Date ? ShowDate(value.TextValue())
                                                                                : value.TextValue();
                rows.AddValue(text, value.IsNull());
            }
            rows.EndRow();
        }
        m_connection.m_cursorVariables[name] = std::move(rows);
    } else {
        error = m_connection.m_error;
    }
    m_connection.m_resultTypes = std::move(types);
    m_connection.m_error = saved;
    return ok;
}

bool CBlockHost::RunUnitStatement(const std::string& text, std::vector<CEngineBind>& binds, long& rows,
                                  bool& handled) {
    auto tokens = CSqlScanner::Significant(text, 8);
    std::size_t k = 0;
    handled = false;
    std::string first = WordAt(text, tokens, 0);
    if (first == "CALL" && tokens.size() > 1) {
        handled = true;
        std::string body = text.substr(tokens[1].begin);
        while (!body.empty() && (body.back() == ';' || body.back() == ' ' || body.back() == '\n'))
            body.pop_back();
        return Run("BEGIN " + body + "; END;", binds, rows, m_connection.m_error);
    }
    if (first == "CREATE") {
        k = 1;
        bool replace = WordAt(text, tokens, 1) == "OR" && WordAt(text, tokens, 2) == "REPLACE";
        if (replace) k = 3;
        if (WordAt(text, tokens, k) == "EDITIONABLE" || WordAt(text, tokens, k) == "NONEDITIONABLE") ++k;
        std::string type = WordAt(text, tokens, k);
        if (type == "PACKAGE" || type == "TYPE") {
            handled = true;
            return CreateUnit(text, tokens[k].begin, replace);
        }
        if (type == "TRIGGER") {
            handled = true;
            return CreateTrigger(text, tokens[k].begin, replace);
        }
        if (type != "PROCEDURE" && type != "FUNCTION") return true;
        handled = true;
        return CreateUnit(text, tokens[k].begin, replace);
    }
    std::string type = WordAt(text, tokens, 1);
    // ALTER TABLE t ENABLE | DISABLE ALL TRIGGERS: each of its triggers.
    std::string action = WordAt(text, tokens, 3);
    if (first == "ALTER" && type == "TABLE" && (action == "ENABLE" || action == "DISABLE") &&
        WordAt(text, tokens, 4) == "ALL" && WordAt(text, tokens, 5) == "TRIGGERS") {
        // Note: a table without triggers is the schema's to check.
        auto names = CUnitCatalog::TriggersOf(m_connection.m_db, WordAt(text, tokens, 2));
        handled = !names.empty();
        for (const std::string& name : names)
            if (!AlterTrigger(name, action)) return false;
        return true;
    }
    if (type == "TRIGGER" && (first == "DROP" || first == "ALTER")) {
        std::string name = WordAt(text, tokens, 2);
        std::size_t next = 3;
        if (WordAt(text, tokens, 3) == ".") {
            name = WordAt(text, tokens, 4);
            next = 5;
        }
        CUnitCatalog::Trigger trigger;
        if (!CUnitCatalog::FindTrigger(m_connection.m_db, name, trigger)) return true;
        handled = true;
        return first == "DROP" ? DropTrigger(name) : AlterTrigger(name, WordAt(text, tokens, next));
    }
    if (first == "DROP" && type == "TYPE") {
        handled = true;
        return DropType(text, tokens);
    }
    if (first == "ALTER" && type == "TYPE" && WordAt(text, tokens, 3) == "COMPILE") {
        handled = true;
        std::string name = WordAt(text, tokens, 2);
        CUnitCatalog::Unit stored;
        if (!CUnitCatalog::Find(m_connection.m_db, name, stored, "TYPE")) {
            CPlsqlErrors::Set(m_connection.m_error, 4043, name, static_cast<int>(tokens[2].begin));
            return false;
        }
        // Note: a type keeps no code of its own; its body is compiled again.
        if (!CUnitCatalog::Find(m_connection.m_db, name, stored, "TYPE BODY")) return true;
        return CreateUnit(stored.source, 0, true);
    }
    bool package = type == "PACKAGE";
    if ((first != "DROP" && first != "ALTER") || (type != "PROCEDURE" && type != "FUNCTION" && !package))
        return true;
    handled = true;
    std::size_t at = package && WordAt(text, tokens, 2) == "BODY" ? 3 : 2;
    if (at == 3) type = "PACKAGE BODY";
    std::string name = WordAt(text, tokens, at);
    if (WordAt(text, tokens, at + 1) == ".") name = WordAt(text, tokens, at + 2);
    if (package) m_connection.m_plsql->states.erase(name);
    if (first == "DROP") return DropUnit(text, type, name);
    // ALTER ... COMPILE: the unit is compiled again now, its status and
    // errors kept as CREATE keeps them.
    if (package) {
        std::size_t next = WordAt(text, tokens, at + 1) == "." ? at + 4 : at + 2;
        return RecompilePackage(name, at == 3 ? "BODY" : WordAt(text, tokens, next));
    }
    CUnitCatalog::Unit stored;
    if (CUnitCatalog::Find(m_connection.m_db, name, stored, type)) return CreateUnit(stored.source, 0, true);
    CPlsqlErrors::Set(m_connection.m_error, 4043, name);
    return false;
}

bool CBlockHost::RecompilePackage(const std::string& name, const std::string& part) {
    CUnitCatalog::Unit heading;
    CUnitCatalog::Unit body;
    bool hasBody = CUnitCatalog::Find(m_connection.m_db, name, body, "PACKAGE BODY");
    if (!CUnitCatalog::Find(m_connection.m_db, name, heading, "PACKAGE") || (part == "BODY" && !hasBody)) {
        CPlsqlErrors::Set(m_connection.m_error, 4043, name);
        return false;
    }
    // Note: COMPILE alone (or COMPILE PACKAGE) compiles the heading and the
    // body; the heading's own word, the heading only; BODY, the body only.
    bool ok = part == "BODY" || CreateUnit(heading.source, 0, true);
    CEngineError warning = m_connection.m_error;
    if (hasBody && part != "SPECIFICATION" && !CreateUnit(body.source, 0, true)) return false;
    m_connection.m_error = warning;
    return ok;
}

bool CBlockHost::CreateUnit(const std::string& text, std::size_t unitStart, bool replace) {
    CEngineError& error = m_connection.m_error;
    std::string source = text.substr(unitStart);
    while (!source.empty() &&
           (source.back() == ' ' || source.back() == '\n' || source.back() == '\r' || source.back() == '\t'))
        source.pop_back();
    auto tokens = CSqlScanner::Significant(source, 5);
    std::string type = WordAt(source, tokens, 0);
    std::size_t nameToken = 1;
    if ((type == "PACKAGE" || type == "TYPE") && WordAt(source, tokens, 1) == "BODY") {
        type += " BODY";
        nameToken = 2;
    }
    bool isBody = type == "PACKAGE BODY" || type == "TYPE BODY";
    std::string name = WordAt(source, tokens, nameToken);
    if (WordAt(source, tokens, nameToken + 1) == ".") name = WordAt(source, tokens, nameToken + 2);
    if (!m_connection.CommitWork()) return false;
    CUnitCatalog::Unit existing;
    bool exists = CUnitCatalog::Find(m_connection.m_db, name, existing, isBody ? type : "");
    std::vector<CPlsqlType::Field> columns;
    if ((exists && (!replace || existing.type != type)) || TableColumns(name, columns)) {
        COraError::Set(error, 955, {name}, static_cast<int>(unitStart + tokens[nameToken].begin));
        return false;
    }
    bool isType = type == "TYPE";
    std::size_t forceAt = nameToken + (WordAt(source, tokens, nameToken + 1) == "." ? 3 : 1);
    if (isType && exists && WordAt(source, tokens, forceAt) != "FORCE" &&
        TypeInUse(name, unitStart + tokens[nameToken].begin))
        return false;
    m_connection.m_plsql->Forget();
    m_connection.m_plsql->states.erase(name);
    CPlsqlParser parser(source, *this);
    CPlsqlParser::CompileError failure;
    std::shared_ptr<CPlsqlUnit> unit;
    std::shared_ptr<CPlsqlPackage> package;
    bool isPackage = type.rfind("PACKAGE", 0) == 0;
    if (isPackage) {
        package = CompilePackage(name, type, source, failure);
        if (package) unit = package->frame;
    } else if (isType) {
        std::vector<std::pair<std::string, std::string>> references;
        if (auto made = parser.ParseSchemaType(failure, references)) {
            // Note: a type keeps no code; its unit carries what it names.
            // The headings of its methods are compiled to be checked.
            CPlsqlParser methods(source, *this);
            bool inBody = false;
            if (made->methods.empty() || methods.ParseTypeMethods(Owner(), made, {}, failure, inBody)) {
                unit = std::make_shared<CPlsqlUnit>();
                unit->dependencies = std::move(references);
            }
        }
    } else if (type == "TYPE BODY") {
        package = CompileTypeBody(name, source, failure);
        if (package) unit = package->frame;
        package = nullptr;
    } else {
        unit = parser.ParseUnit(Owner(), failure);
    }
    m_connection.m_plsql->compiling.clear();
    m_connection.m_plsql->Forget();
    if (failure.refused) {
        error.Set(failure.text, static_cast<int>(unitStart + failure.at));
        error.code = 3001;
        return false;
    }
    CUnitCatalog::Unit stored{name, type, source, unit != nullptr};
    std::vector<CUnitCatalog::Error> errors;
    if (!unit) errors = ErrorRows(failure);
    std::vector<CUnitCatalog::Argument> arguments;
    if (package && type == "PACKAGE") arguments = PackageArguments(*package, name);
    if (unit && !isPackage && !isBody) AddArguments(*unit, {}, 0, arguments);
    CEngineError stored_error;
    bool ok = m_connection.ExecPlain("BEGIN IMMEDIATE") &&
              CUnitCatalog::Store(m_connection.m_db, stored, errors, arguments, stored_error) &&
              CUnitCatalog::StoreDependencies(m_connection.m_db, name, type,
                                              unit ? unit->dependencies : decltype(unit->dependencies){},
                                              stored_error) &&
              m_connection.CommitWork();
    if (!ok) {
        if (m_connection.InTransaction()) sqliteapi::Undo(m_connection.m_db, "ROLLBACK");
        if (error.message.empty()) error = stored_error;
        return false;
    }
    if (type == "FUNCTION") RegisterFunction(m_connection, name);
    CUnitCatalog::Unit body;
    if (unit && isType && CUnitCatalog::Find(m_connection.m_db, name, body, "TYPE BODY")) {
        // Note: a type made anew has its body compiled against it; one that
        // no longer fits is kept INVALID, the type itself made.
        CreateUnit(body.source, 0, true);
        error.Clear();
    }
    if (unit) return true;
    // Note: the unit is kept, INVALID, and the statement answers the
    // server's warning; SHOW ERRORS reads its errors.
    error.Set(encoding::Utf8ToCp932("警告: コンパイル・エラーがあります。"), 0);
    error.code = 24344;
    return false;
}

bool CBlockHost::DropUnit(const std::string& text, const std::string& type, const std::string& name,
                          bool dropColumns) {
    CEngineError& error = m_connection.m_error;
    if (!m_connection.CommitWork() || !m_connection.ExecPlain("BEGIN IMMEDIATE")) return false;
    CEngineError dropError;
    bool dropped = CUnitCatalog::Drop(m_connection.m_db, name, type, dropError) &&
                   (!dropColumns || CUnitCatalog::DropTypedColumns(m_connection.m_db, name, dropError));
    if (!dropped || !m_connection.CommitWork()) {
        if (m_connection.InTransaction()) sqliteapi::Undo(m_connection.m_db, "ROLLBACK");
        if (!dropped && dropError.message.empty()) {
            auto tokens = CSqlScanner::Significant(text, 3);
            CPlsqlErrors::Set(error, 4043, name, tokens.size() > 2 ? static_cast<int>(tokens[2].begin) : 0);
        } else if (error.message.empty()) {
            error = dropError;
        }
        return false;
    }
    m_connection.m_plsql->Forget();
    if (type == "FUNCTION")
        sqlite3_create_function_v2(m_connection.m_db, encoding::Cp932ToUtf8(name).c_str(), -1, SQLITE_UTF8,
                                   nullptr, nullptr, nullptr, nullptr, nullptr);
    return true;
}

bool CBlockHost::TypeInUse(const std::string& name, std::size_t at) {
    if (!CUnitCatalog::HasTypeDependents(m_connection.m_db, name)) return false;
    CPlsqlErrors::Set(m_connection.m_error, 2303, {}, static_cast<int>(at));
    return true;
}

bool CBlockHost::DropType(const std::string& text, const std::vector<CSqlScanner::Token>& tokens) {
    std::size_t at = WordAt(text, tokens, 2) == "BODY" ? 3 : 2;
    std::string name = WordAt(text, tokens, at);
    std::size_t next = at + 1;
    if (WordAt(text, tokens, next) == ".") {
        name = WordAt(text, tokens, at + 2);
        next = at + 3;
    }
    CUnitCatalog::Unit stored;
    if (!CUnitCatalog::Find(m_connection.m_db, name, stored, at == 3 ? "TYPE BODY" : "TYPE")) {
        CPlsqlErrors::Set(m_connection.m_error, 4043, name,
                          tokens.size() > at ? static_cast<int>(tokens[at].begin) : 0);
        return false;
    }
    if (at == 3) return DropUnit(text, "TYPE BODY", name);
    bool force = WordAt(text, tokens, next) == "FORCE";
    if (!force && TypeInUse(name, tokens[at].begin)) return false;
    return DropUnit(text, "TYPE", name, force);
}

void CBlockHost::RegisterFunctions(CSqliteConnection& connection) {
    CTriggerFiring::Register(connection);
    for (const std::string& name : CUnitCatalog::Functions(connection.m_db))
        RegisterFunction(connection, name);
    // Note: a package's functions are called through one function whose
    // first argument names the member ("PKG.FUNC").
    RegisterFunction(connection, {}, "TARVEX_CALL");
    sqlite3_create_function_v2(connection.m_db, "TARVEX_WITH_CALL", -1, SQLITE_UTF8,
                               new FunctionName{&connection, {}, true}, Dispatch, nullptr, nullptr,
                               [](void* p) { delete static_cast<FunctionName*>(p); });
    sqlite3_create_function_v2(connection.m_db, "TARVEX_TYPE_SHAPE", -1, SQLITE_UTF8, &connection, TypeShape,
                               nullptr, nullptr, nullptr);
    CObjectMembers::Register(connection);
    CBlockHost host(connection);
    CTriggerFiring::Upgrade(host);
}

void CBlockHost::RegisterFunction(CSqliteConnection& connection, const std::string& name,
                                  const char* sqlName) {
    auto* data = new FunctionName{&connection, name};
    std::string registered = sqlName != nullptr ? std::string(sqlName) : encoding::Cp932ToUtf8(name);
    sqlite3_create_function_v2(connection.m_db, registered.c_str(), -1, SQLITE_UTF8, data, Dispatch, nullptr,
                               nullptr, [](void* p) { delete static_cast<FunctionName*>(p); });
}

void CBlockHost::Dispatch(sqlite3_context* context, int count, sqlite3_value** values) {
    auto* data = static_cast<FunctionName*>(sqlite3_user_data(context));
    CSqliteConnection& connection = *data->connection;
    // Note: the statement that calls the function keeps what the
    // connection holds of it (its result types, its error).
    auto types = connection.m_resultTypes;
    CEngineError saved = connection.m_error;
    CBlockHost host(connection);
    host.m_inQuery = true;
    bool invalid = false;
    std::string name = data->name;
    std::shared_ptr<CWithUnits> declared;
    if (data->declared && count > 1) {
        auto found =
            connection.m_plsql->withUnits.find(static_cast<unsigned long>(sqlite3_value_int64(values[0])));
        if (found != connection.m_plsql->withUnits.end()) declared = found->second.lock();
        ++values;
        --count;
    }
    // Note: a stored function called from the query does not see its WITH units.
    LocalScope scope(*connection.m_plsql, declared);
    if (data->declared && !declared) count = 0;
    if (name.empty() && count > 0) {
        const unsigned char* raw = sqlite3_value_text(values[0]);
        name = encoding::Utf8ToCp932(raw != nullptr ? reinterpret_cast<const char*>(raw) : "");
        ++values;
        --count;
    }
    std::vector<CPlsqlValue> given(static_cast<std::size_t>(count));
    for (int k = 0; k < count; ++k) given[static_cast<std::size_t>(k)] = ValueOf(values[k]);
    auto unit = host.FindCallable(name, given, invalid);
    std::string failure;
    // Note: a parameter with no default must be given (PLS-00306 as on the server).
    const auto unset = [&] {
        for (std::size_t k = static_cast<std::size_t>(count); k < unit->parameters.size(); ++k)
            if (!unit->parameters[k].fallback) return true;
        return false;
    };
    if (!unit || static_cast<std::size_t>(count) > unit->parameters.size() || unset()) {
        CPlsqlParser::CompileError none;
        failure = invalid ? CPlsqlErrors::Compile(1, 1, 905, name) : CPlsqlErrors::Compile(1, 1, 306, name);
    } else {
        std::vector<CPlsqlValue> arguments = given;
        arguments.resize(unit->parameters.size());
        std::vector<bool> passed(unit->parameters.size(), false);
        for (int k = 0; k < count; ++k) passed[static_cast<std::size_t>(k)] = true;
        std::vector<CEngineBind> binds;
        CPlsqlInterpreter interpreter(*unit, host, binds, 1);
        CPlsqlValue result;
        if (interpreter.Call(arguments, passed, result)) {
            // Note: a collection reaches SQL as its JSON document, for TABLE().
            const auto& returned = unit->returnType;
            if (returned && returned->base == CPlsqlType::Base::Collection)
                result =
                    interpreter.ReturnedData().collection && !interpreter.ReturnedData().collection->isNull
                        ? CPlsqlValue::Text(
                              CCollectionJson::Document(*interpreter.ReturnedData().collection, *returned))
                        : CPlsqlValue();
            // Note: an object reaches SQL as its attributes, as a column holds them.
            if (returned && returned->object)
                result = interpreter.ReturnedData().fields.empty()
                             ? CPlsqlValue()
                             : CPlsqlValue::Text(
                                   CObjectText::Attributes(interpreter.ReturnedData().fields, *returned));
            Result(context, result);
        } else {
            failure = interpreter.RaisedStack();
        }
    }
    connection.m_resultTypes = std::move(types);
    connection.m_error = saved;
    if (!failure.empty()) {
        std::string utf8 = encoding::Cp932ToUtf8(failure);
        sqlite3_result_error(context, utf8.c_str(), static_cast<int>(utf8.size()));
    }
}

// ---- triggers

bool CBlockHost::CheckOrder(const CTriggerDefinition& definition, std::size_t triggerStart) {
    for (const auto* names : {&definition.follows, &definition.precedes})
        for (const std::string& name : *names) {
            CUnitCatalog::Trigger other;
            bool found = CUnitCatalog::FindTrigger(m_connection.m_db, name, other);
            int code = !found ? 4080 : other.table != definition.table ? 25021 : 0;
            if (code == 0) continue;
            m_connection.m_error.Set(CPlsqlErrors::Text(code, name),
                                     static_cast<int>(triggerStart + definition.orderAt));
            m_connection.m_error.code = code;
            return false;
        }
    return true;
}

bool CBlockHost::CreateTrigger(const std::string& text, std::size_t triggerStart, bool replace) {
    CEngineError& error = m_connection.m_error;
    std::string source = text.substr(triggerStart);
    while (!source.empty() && (source.back() == ' ' || source.back() == '\n' || source.back() == '\r'))
        source.pop_back();
    CTriggerDefinition definition;
    std::string what;
    std::size_t at = 0;
    if (!CTriggerDefinition::Read(source, definition, what, at)) {
        COraError::Set(error, 3001, {what}, static_cast<int>(triggerStart + at));
        return false;
    }
    std::vector<CPlsqlType::Field> columns;
    if (!TableColumns(definition.table, columns)) {
        COraError::Set(error, 942, {definition.table}, -1);
        return false;
    }
    // Note: INSTEAD OF triggers are made on views only, the others on tables.
    std::string viewText;
    bool readOnly = false;
    bool checkOption = false;
    bool view = m_connection.m_catalog->View(definition.table, viewText, readOnly, checkOption);
    if (view != (definition.timing == "INSTEAD OF")) {
        COraError::Set(error, view ? 25001 : 25002, {}, static_cast<int>(triggerStart));
        return false;
    }
    if (!CheckOrder(definition, triggerStart) || !m_connection.CommitWork()) return false;
    CUnitCatalog::Trigger existing;
    CUnitCatalog::Unit unitRow;
    bool exists = CUnitCatalog::FindTrigger(m_connection.m_db, definition.name, existing);
    if ((exists && !replace) ||
        (!exists && CUnitCatalog::Find(m_connection.m_db, definition.name, unitRow))) {
        COraError::Set(error, 955, {definition.name}, static_cast<int>(triggerStart + definition.nameAt));
        return false;
    }
    m_connection.m_plsql->Forget();
    CPlsqlParser parser(source, *this);
    CPlsqlParser::CompileError failure;
    auto unit = parser.ParseTrigger(Owner(), definition.name, definition.bodyStart, columns,
                                    definition.newName, definition.oldName, failure);
    if (failure.refused) {
        error.Set(failure.text, static_cast<int>(triggerStart + failure.at));
        error.code = 3001;
        return false;
    }
    if (unit && unit->assignsNew && (definition.timing == "AFTER" || !definition.forEachRow)) {
        unit.reset();
        failure = {1, 1, CPlsqlErrors::Text(4084)};
    }
    std::vector<CUnitCatalog::Error> errors;
    if (!unit) errors = ErrorRows(failure);
    CUnitCatalog::Unit stored{definition.name, "TRIGGER", source, unit != nullptr};
    CUnitCatalog::Trigger trigger{definition.name,    definition.table, definition.TriggerType(),
                                  definition.Event(), definition.when,  definition.enabled};
    CEngineError storeError;
    bool ok = m_connection.ExecPlain("BEGIN IMMEDIATE");
    ok = ok && CUnitCatalog::Store(m_connection.m_db, stored, errors, {}, storeError) &&
         CUnitCatalog::StoreDependencies(m_connection.m_db, definition.name, "TRIGGER",
                                         unit ? unit->dependencies : decltype(unit->dependencies){},
                                         storeError) &&
         CUnitCatalog::StoreTrigger(m_connection.m_db, trigger, storeError) &&
         (!exists || existing.table == definition.table || CTriggerFiring::Rebuild(*this, existing.table)) &&
         CTriggerFiring::Rebuild(*this, definition.table) && m_connection.CommitWork();
    if (!ok) {
        CEngineError failed = error.message.empty() ? storeError : error;
        if (m_connection.InTransaction()) sqliteapi::Undo(m_connection.m_db, "ROLLBACK");
        error = failed;
        m_connection.m_plsql->Forget();
        return false;
    }
    m_connection.m_catalog->Invalidate();
    if (unit) return true;
    error.Set(encoding::Utf8ToCp932("警告: コンパイル・エラーがあります。"), 0);
    error.code = 24344;
    return false;
}

bool CBlockHost::DropTrigger(const std::string& name) {
    CEngineError storeError;
    CUnitCatalog::Trigger trigger;
    CUnitCatalog::FindTrigger(m_connection.m_db, name, trigger);
    bool ok = m_connection.CommitWork() && m_connection.ExecPlain("BEGIN IMMEDIATE");
    ok = ok && CUnitCatalog::DropTrigger(m_connection.m_db, name, storeError) &&
         CTriggerFiring::Rebuild(*this, trigger.table) && m_connection.CommitWork();
    if (!ok && m_connection.InTransaction()) sqliteapi::Undo(m_connection.m_db, "ROLLBACK");
    if (!ok && m_connection.m_error.message.empty()) m_connection.m_error = storeError;
    m_connection.m_plsql->Forget();
    return ok;
}

bool CBlockHost::AlterTrigger(const std::string& name, const std::string& action) {
    CTriggerDefinition definition;
    FindTrigger(name, definition);
    if (action == "COMPILE") return true;
    if (action != "ENABLE" && action != "DISABLE") {
        COraError::Set(m_connection.m_error, 922);
        return false;
    }
    CUnitCatalog::Unit stored;
    CUnitCatalog::Find(m_connection.m_db, name, stored);
    CTriggerDefinition read;
    std::string what;
    std::size_t at = 0;
    CTriggerDefinition::Read(stored.source, read, what, at);
    CUnitCatalog::Trigger trigger{read.name,    read.table, read.TriggerType(),
                                  read.Event(), read.when,  action == "ENABLE"};
    CEngineError storeError;
    bool ok = m_connection.CommitWork() && m_connection.ExecPlain("BEGIN IMMEDIATE");
    ok = ok && CUnitCatalog::StoreTrigger(m_connection.m_db, trigger, storeError) &&
         CTriggerFiring::Rebuild(*this, read.table) && m_connection.CommitWork();
    if (!ok && m_connection.InTransaction()) sqliteapi::Undo(m_connection.m_db, "ROLLBACK");
    if (!ok && m_connection.m_error.message.empty()) m_connection.m_error = storeError;
    m_connection.m_plsql->Forget();
    return ok;
}

std::shared_ptr<CPlsqlUnit> CBlockHost::FindTrigger(const std::string& name, CTriggerDefinition& definition) {
    CPlsqlSession& session = *m_connection.m_plsql;
    std::string key = "TRIGGER " + name;
    // Note: a trigger compiled once fires without reading the catalog again.
    if (auto found = session.units.find(key); found != session.units.end()) return found->second;
    CUnitCatalog::Unit stored;
    if (!CUnitCatalog::Find(m_connection.m_db, name, stored, "TRIGGER")) return nullptr;
    std::string what;
    std::size_t at = 0;
    if (!CTriggerDefinition::Read(stored.source, definition, what, at)) return nullptr;
    std::vector<CPlsqlType::Field> columns;
    if (!TableColumns(definition.table, columns)) return nullptr;
    CPlsqlParser parser(stored.source, *this);
    CPlsqlParser::CompileError failure;
    auto unit = parser.ParseTrigger(Owner(), name, definition.bodyStart, columns, definition.newName,
                                    definition.oldName, failure);
    if (unit) session.units[key] = unit;
    return unit;
}

std::string CBlockHost::RunTrigger(CPlsqlUnit& unit, char event, std::vector<CPlsqlValue> newRow,
                                   std::vector<CPlsqlValue> oldRow, const std::string& qualified,
                                   std::vector<CPlsqlValue>* newOut,
                                   const std::vector<std::string>* updated) {
    bool inTrigger = m_inTrigger;
    m_inTrigger = true;
    std::vector<CEngineBind> binds;
    CPlsqlInterpreter interpreter(unit, *this, binds, 1);
    interpreter.SetRecord(0, std::move(newRow));
    interpreter.SetRecord(1, std::move(oldRow));
    interpreter.SetValue(2, CPlsqlValue::Bool(event == 'I'));
    interpreter.SetValue(3, CPlsqlValue::Bool(event == 'U'));
    interpreter.SetValue(4, CPlsqlValue::Bool(event == 'D'));
    // Note: where the statement's columns are not known, every column counts.
    for (const auto& [slot, column] : unit.updatingColumns)
        interpreter.SetValue(
            slot, CPlsqlValue::Bool(event == 'U' &&
                                    (updated == nullptr ||
                                     std::find(updated->begin(), updated->end(), column) != updated->end())));
    std::vector<CPlsqlValue> none;
    CPlsqlValue result;
    bool ok = interpreter.Call(none, {}, result);
    m_inTrigger = inTrigger;
    if (ok) {
        if (unit.assignsNew && newOut != nullptr) *newOut = interpreter.Record(0);
        return {};
    }
    std::string failure = interpreter.RaisedStack();
    return failure + "\n" + CPlsqlErrors::Text(4088, qualified);
}

CPlsqlValue CBlockHost::FromSqlite(sqlite3_value* value) { return ValueOf(value); }

void CBlockHost::ToSqlite(sqlite3_context* context, const CPlsqlValue& value) { Result(context, value); }

bool CBlockHost::RefreshMviews(const std::string& list, CEngineError& error) {
    // Note: the server commits a refresh.
    return m_connection.RefreshMviews(list, error) && Commit(error);
}
