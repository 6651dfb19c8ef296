// Statements: prepare, bind by name, define by position, execute, fetch.
#include <algorithm>
#include <cstring>

#include "FakeOci.h"
#include "text/Cp932.h"

using namespace fakeoci;

namespace {

constexpr ub2 kSelect = 1;

struct Call {
    Stmt* stmt;
    Error* error;
};

bool Valid(const void* stmtHandle, const void* errorHandle, Call& call) {
    call.stmt = As<Stmt>(stmtHandle, kHtypeStmt);
    call.error = As<Error>(errorHandle, kHtypeError);
    if (call.stmt == nullptr || call.error == nullptr) return false;
    call.error->Clear();
    return true;
}

sword Fail(Error& error, sb4 code, const char* message) {
    error.Set(code, message);
    return kError;
}

sword FailFromEngine(Stmt& stmt, Error& error, const CEngineError& failure) {
    stmt.errorOffset = CharOffset(stmt.sql, failure.position);
    error.Set(failure.code, failure.message);
    return kError;
}

bool SameName(const std::string& a, const std::string& b) { return cp932::ToUpper(a) == cp932::ToUpper(b); }

// True when ":name" stands in the text as a placeholder (not inside quotes).
bool HasPlaceholder(const std::string& sql, const std::string& name) {
    const std::string upper = cp932::ToUpper(sql);
    const std::string wanted = ":" + cp932::ToUpper(name);
    bool quoted = false;
    for (std::size_t at = 0; at < upper.size();
         at += std::max<std::size_t>(cp932::CharLength(upper, at), 1)) {
        if (upper[at] == '\'') quoted = !quoted;
        if (quoted || upper.compare(at, wanted.size(), wanted) != 0) continue;
        const std::size_t end = at + wanted.size();
        const unsigned char next = end < upper.size() ? static_cast<unsigned char>(upper[end]) : ' ';
        if (!(std::isalnum(next) || next == '_' || next == '$' || next == '#')) return true;
    }
    return false;
}

std::string InputText(const Bind& bind) {
    const char* data = static_cast<const char*>(bind.value);
    if (bind.dty == kSqltStr) return std::string(data, strnlen(data, static_cast<std::size_t>(bind.size)));
    const std::size_t length = bind.length != nullptr ? *bind.length : static_cast<std::size_t>(bind.size);
    return std::string(data, std::min<std::size_t>(length, static_cast<std::size_t>(bind.size)));
}

std::vector<CEngineBind> EngineBinds(const Stmt& stmt) {
    std::vector<CEngineBind> binds;
    for (const auto& bind : stmt.binds) {
        CEngineBind engine;
        // Placeholder names are not case-sensitive.
        engine.name = cp932::ToUpper(bind->name);
        engine.isNull = bind->dty == kSqltRset || (bind->indicator != nullptr && *bind->indicator == -1);
        if (!engine.isNull) engine.value = InputText(*bind);
        binds.push_back(std::move(engine));
    }
    return binds;
}

// Writes the values a block assigned back into the bound buffers; false
// (ORA-06502) when one does not fit.
bool StoreBinds(Stmt& stmt, const std::vector<CEngineBind>& values, Error& error) {
    for (std::size_t k = 0; k < stmt.binds.size() && k < values.size(); ++k) {
        if (!values[k].assigned) continue;
        Bind& bind = *stmt.binds[k];
        if (bind.indicator != nullptr) *bind.indicator = values[k].isNull ? -1 : 0;
        if (values[k].isNull) continue;
        const std::size_t room = static_cast<std::size_t>(bind.size) - (bind.dty == kSqltStr ? 1 : 0);
        if (values[k].value.size() > room) {
            error.Set(6502, "ORA-06502: PL/SQL: numeric or value error: character string buffer too small");
            return false;
        }
        std::memcpy(bind.value, values[k].value.data(), values[k].value.size());
        if (bind.dty == kSqltStr) static_cast<char*>(bind.value)[values[k].value.size()] = '\0';
        if (bind.length != nullptr)
            *bind.length = static_cast<ub2>(values[k].value.size() + (bind.dty == kSqltStr ? 1 : 0));
    }
    return true;
}

// DBMS_OUTPUT.GET_LINE(:line, :status) answered from the embedded engine's
// output buffer, one line a call.
bool IsGetLine(const std::string& sql) {
    return cp932::ToUpper(sql).find("DBMS_OUTPUT.GET_LINE(") != std::string::npos;
}

sword GetLine(Stmt& stmt, SvcCtx& context, Error& error) {
    for (std::string& line : context.connection->TakeServerOutput())
        context.output.push_back(std::move(line));
    if (stmt.binds.size() != 2) return Fail(error, 1008, "ORA-01008: not all variables bound");
    std::vector<CEngineBind> values(2);
    values[0].assigned = values[1].assigned = true;
    values[1].isNull = false;
    if (context.output.empty()) {
        values[1].value = "1";
    } else {
        values[0].value = context.output.front();
        values[0].isNull = false;
        values[1].value = "0";
        context.output.pop_front();
    }
    return StoreBinds(stmt, values, error) ? kSuccess : kError;
}

// Copies one value into row `row` of a define; true when it was cut.
bool PutValue(const Define& define, std::size_t row, std::string_view value, bool isNull) {
    char* target = static_cast<char*>(define.value) + row * static_cast<std::size_t>(define.size);
    sb2* indicator = define.indicator != nullptr ? define.indicator + row : nullptr;
    ub2* length = define.length != nullptr ? define.length + row : nullptr;
    ub2* code = define.returnCode != nullptr ? define.returnCode + row : nullptr;
    if (code != nullptr) *code = 0;
    if (isNull) {
        if (indicator != nullptr) *indicator = -1;
        if (code != nullptr) *code = 1405;
        return false;
    }
    const bool terminated = define.dty == kSqltStr;
    const std::size_t room = static_cast<std::size_t>(define.size) - (terminated ? 1 : 0);
    const std::size_t copied = std::min(room, value.size());
    std::memcpy(target, value.data(), copied);
    if (terminated) target[copied] = '\0';
    if (length != nullptr) *length = static_cast<ub2>(copied);
    const bool cut = copied < value.size();
    if (indicator != nullptr)
        *indicator = cut ? (value.size() > 32767 ? -2 : static_cast<sb2>(value.size())) : 0;
    if (cut && code != nullptr) *code = 1406;
    return cut;
}

sword FetchRows(Stmt& stmt, Error& error, ub4 rows) {
    if (!stmt.executed || stmt.statementType != kSelect || stmt.describeOnly)
        return Fail(error, 24338, "ORA-24338: statement handle not executed");
    if (stmt.endReported) return Fail(error, 1002, "ORA-01002: fetch out of sequence");
    for (std::size_t c = 0; c < stmt.columns.size(); ++c)
        if (c >= stmt.defines.size() || stmt.defines[c] == nullptr)
            return Fail(error, 24374, "ORA-24374: define not done before fetch or execute and fetch");
    stmt.rowsFetched = 0;
    bool cut = false;
    while (stmt.rowsFetched < rows) {
        if (stmt.batchNext >= stmt.batch.RowCount()) {
            if (stmt.ended) break;
            if (!stmt.cursor->Fetch(std::max<ub4>(stmt.prefetch, 1), stmt.batch))
                return FailFromEngine(stmt, error, stmt.cursor->LastError());
            stmt.batchNext = 0;
            if (stmt.batch.RowCount() < std::max<ub4>(stmt.prefetch, 1)) stmt.ended = true;
            if (stmt.batch.RowCount() == 0) break;
        }
        for (std::size_t c = 0; c < stmt.columns.size(); ++c)
            cut = PutValue(*stmt.defines[c], stmt.rowsFetched, stmt.batch.Value(stmt.batchNext, c),
                           stmt.batch.IsNull(stmt.batchNext, c)) ||
                  cut;
        ++stmt.batchNext;
        ++stmt.rowsFetched;
    }
    stmt.rowCount += stmt.rowsFetched;
    if (stmt.rowsFetched < rows) {
        stmt.endReported = true;
        return kNoData;
    }
    if (cut) {
        error.Set(1406, "ORA-01406: fetched column value was truncated");
        return kSuccessWithInfo;
    }
    return kSuccess;
}

sword ExecuteQuery(Stmt& stmt, SvcCtx& context, Error& error, ub4 iters, ub4 mode) {
    std::vector<CEngineBind> binds = EngineBinds(stmt);
    stmt.describeOnly = (mode & kModeDescribeOnly) != 0;
    stmt.cursor =
        context.connection->OpenCursor(stmt.sql, binds,
                                       stmt.describeOnly ? CEngineConnection::CursorMode::DescribeOnly
                                                         : CEngineConnection::CursorMode::Rows);
    if (stmt.cursor == nullptr) return FailFromEngine(stmt, error, context.connection->LastError());
    stmt.columns = stmt.cursor->Columns();
    stmt.executed = true;
    return iters > 0 && !stmt.describeOnly ? FetchRows(stmt, error, iters) : kSuccess;
}

void ResetExecution(Stmt& stmt);

// A block's "OPEN :name FOR query;" for a cursor variable bound as
// SQLT_RSET: the embedded engine runs the block without it (NULL; in its
// place) and the query opens on the variable's statement handle.
std::string TakeCursorOpens(const Stmt& stmt, std::vector<std::pair<Stmt*, std::string>>& opened) {
    std::string sql = stmt.sql;
    for (const auto& bind : stmt.binds) {
        if (bind->dty != kSqltRset) continue;
        const std::string upper = cp932::ToUpper(sql);
        const std::size_t at = upper.find("OPEN :" + cp932::ToUpper(bind->name) + " FOR ");
        if (at == std::string::npos) continue;
        const std::size_t from = upper.find(" FOR ", at) + 5;
        std::size_t end = from;
        for (bool quoted = false; end < sql.size() && (quoted || sql[end] != ';'); ++end)
            if (sql[end] == '\'') quoted = !quoted;
        opened.emplace_back(As<Stmt>(*static_cast<void**>(bind->value), kHtypeStmt),
                            sql.substr(from, end - from));
        sql.replace(at, end - at, "NULL");
    }
    return sql;
}

sword ExecuteOther(Stmt& stmt, SvcCtx& context, Error& error, ub4 mode) {
    if (IsGetLine(stmt.sql)) return GetLine(stmt, context, error);
    std::vector<CEngineBind> binds = EngineBinds(stmt);
    std::vector<std::pair<Stmt*, std::string>> opened;
    const std::string sql = TakeCursorOpens(stmt, opened);
    long rows = 0;
    if (!context.connection->Execute(sql, binds, rows))
        return FailFromEngine(stmt, error, context.connection->LastError());
    for (auto& [target, query] : opened) {
        ResetExecution(*target);
        target->sql = query;
        target->prepared = true;
        target->statementType = kSelect;
        if (ExecuteQuery(*target, context, error, 0, 0) != kSuccess) return kError;
    }
    stmt.rowCount = static_cast<ub4>(std::max(rows, 0L));
    stmt.executed = true;
    if (!StoreBinds(stmt, binds, error)) return kError;
    if ((mode & kModeCommitOnSuccess) != 0 && !context.connection->Commit())
        return FailFromEngine(stmt, error, context.connection->LastError());
    return kSuccess;
}

void ResetExecution(Stmt& stmt) {
    stmt.cursor.reset();
    stmt.columns.clear();
    stmt.batch.Clear();
    stmt.batchNext = 0;
    stmt.executed = stmt.ended = stmt.endReported = stmt.describeOnly = false;
    stmt.rowCount = stmt.rowsFetched = 0;
    stmt.errorOffset = 0;
}

}  // namespace

extern "C" {

sword OCIStmtPrepare(OCIStmt* stmtHandle, OCIError* errorHandle, const text* sql, ub4 length, ub4 language,
                     ub4) {
    Call call{};
    if (!Valid(stmtHandle, errorHandle, call) || sql == nullptr) return kInvalidHandle;
    if (language != kNativeSyntax) return Fail(*call.error, 24313, "ORA-24313: unsupported language");
    Stmt& stmt = *call.stmt;
    ResetExecution(stmt);
    for (auto& bind : stmt.binds) Unregister(bind.get());
    for (auto& define : stmt.defines)
        if (define) Unregister(define.get());
    stmt.binds.clear();
    stmt.defines.clear();
    stmt.sql.assign(reinterpret_cast<const char*>(sql), length);
    stmt.statementType = StatementType(stmt.sql);
    stmt.prepared = true;
    return kSuccess;
}

sword OCIBindByName(OCIStmt* stmtHandle, OCIBind** bindOut, OCIError* errorHandle, const text* placeholder,
                    sb4 length, void* value, sb4 size, ub2 dty, void* indicator, ub2* valueLength,
                    ub2* returnCode, ub4, ub4*, ub4) {
    Call call{};
    if (!Valid(stmtHandle, errorHandle, call) || bindOut == nullptr || placeholder == nullptr)
        return kInvalidHandle;
    Stmt& stmt = *call.stmt;
    if (!stmt.prepared) return Fail(*call.error, 24337, "ORA-24337: statement handle not prepared");
    std::string name(reinterpret_cast<const char*>(placeholder),
                     static_cast<std::size_t>(std::max(length, 0)));
    if (!name.starts_with(":") || !HasPlaceholder(stmt.sql, name.substr(1)))
        return Fail(*call.error, 1036, "ORA-01036: illegal variable name/number");
    if (dty != kSqltStr && dty != kSqltChr && dty != kSqltAfc && dty != kSqltLng && dty != kSqltRset)
        return Fail(*call.error, 932, "ORA-00932: inconsistent datatypes");
    if (dty == kSqltRset &&
        (value == nullptr || As<Stmt>(*static_cast<void**>(value), kHtypeStmt) == nullptr))
        return kInvalidHandle;
    if (value == nullptr || (size <= 0 && dty != kSqltRset))
        return Fail(*call.error, 1459, "ORA-01459: invalid length for variable character string");
    name = name.substr(1);
    auto existing = std::find_if(stmt.binds.begin(), stmt.binds.end(),
                                 [&](const std::unique_ptr<Bind>& b) { return SameName(b->name, name); });
    if (existing == stmt.binds.end()) {
        stmt.binds.push_back(std::make_unique<Bind>());
        existing = stmt.binds.end() - 1;
        Register(existing->get());
    }
    Bind& bind = **existing;
    bind.name = name;
    bind.value = value;
    bind.size = size;
    bind.dty = dty;
    bind.indicator = static_cast<sb2*>(indicator);
    bind.length = valueLength;
    bind.returnCode = returnCode;
    *bindOut = Out<OCIBind>(&bind);
    return kSuccess;
}

sword OCIDefineByPos(OCIStmt* stmtHandle, OCIDefine** defineOut, OCIError* errorHandle, ub4 position,
                     void* value, sb4 size, ub2 dty, void* indicator, ub2* length, ub2* returnCode, ub4) {
    Call call{};
    if (!Valid(stmtHandle, errorHandle, call) || defineOut == nullptr) return kInvalidHandle;
    Stmt& stmt = *call.stmt;
    if (!stmt.executed) return Fail(*call.error, 24338, "ORA-24338: statement handle not executed");
    if (position == 0 || position > stmt.columns.size())
        return Fail(*call.error, 1007, "ORA-01007: variable not in select list");
    if (dty != kSqltStr && dty != kSqltChr && dty != kSqltAfc && dty != kSqltLng && dty != kSqltLbi &&
        dty != kSqltBin)
        return Fail(*call.error, 932, "ORA-00932: inconsistent datatypes");
    if (value == nullptr || size <= (dty == kSqltStr ? 1 : 0))
        return Fail(*call.error, 1459, "ORA-01459: invalid length for variable character string");
    if (stmt.defines.size() < stmt.columns.size()) stmt.defines.resize(stmt.columns.size());
    auto& slot = stmt.defines[position - 1];
    if (!slot) {
        slot = std::make_unique<Define>();
        Register(slot.get());
    }
    slot->position = position;
    slot->value = value;
    slot->size = size;
    slot->dty = dty;
    slot->indicator = static_cast<sb2*>(indicator);
    slot->length = length;
    slot->returnCode = returnCode;
    *defineOut = Out<OCIDefine>(slot.get());
    return kSuccess;
}

sword OCIStmtExecute(OCISvcCtx* service, OCIStmt* stmtHandle, OCIError* errorHandle, ub4 iters, ub4,
                     const OCISnapshot*, OCISnapshot*, ub4 mode) {
    Call call{};
    auto* context = As<SvcCtx>(service, kHtypeSvcCtx);
    if (!Valid(stmtHandle, errorHandle, call) || context == nullptr) return kInvalidHandle;
    Stmt& stmt = *call.stmt;
    if (!stmt.prepared) return Fail(*call.error, 24337, "ORA-24337: statement handle not prepared");
    ResetExecution(stmt);
    if (stmt.statementType == kSelect) return ExecuteQuery(stmt, *context, *call.error, iters, mode);
    if (iters == 0) return Fail(*call.error, 24333, "ORA-24333: zero iteration count");
    return ExecuteOther(stmt, *context, *call.error, mode);
}

sword OCIStmtFetch2(OCIStmt* stmtHandle, OCIError* errorHandle, ub4 rows, ub2 orientation, sb4, ub4) {
    Call call{};
    if (!Valid(stmtHandle, errorHandle, call)) return kInvalidHandle;
    if (orientation != kFetchNext) return Fail(*call.error, 24391, "ORA-24391: invalid fetch operation");
    return FetchRows(*call.stmt, *call.error, rows);
}

sword OCIParamGet(const void* stmtHandle, ub4 type, OCIError* errorHandle, void** out, ub4 position) {
    auto* stmt = As<Stmt>(stmtHandle, kHtypeStmt);
    auto* error = As<Error>(errorHandle, kHtypeError);
    if (type != kHtypeStmt || stmt == nullptr || error == nullptr || out == nullptr) return kInvalidHandle;
    if (!stmt->executed) return Fail(*error, 24338, "ORA-24338: statement handle not executed");
    if (position == 0 || position > stmt->columns.size())
        return Fail(*error, 24334, "ORA-24334: no descriptor for this position");
    auto* param = new Param();
    param->column = stmt->columns[position - 1];
    Register(param);
    *out = param;
    return kSuccess;
}

}  // extern "C"
