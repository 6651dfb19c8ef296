// Statements: prepare, bind by name, define by position, execute, fetch.
#include <algorithm>
#include <cstring>

#include "FakeOci.h"
#include "engine/sqlite/values/CFloatValue.h"
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
    UseCharsetOf(*call.stmt);
    return true;
}

sword Fail(Error& error, sb4 code, const char* message) {
    error.Set(code, message);
    return kError;
}

// Note: the documentation gives the parse error offset in bytes of the
// statement as the client sent it; 0 when the failure points nowhere.
sword FailFromEngine(Stmt& stmt, Error& error, const CEngineError& failure) {
    stmt.errorOffset = ClientOffset(stmt.sql, failure.position);
    error.Set(failure.code, ToClient(failure.message));
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

// Placeholder names in the order they stand in the text, outside quotes.
std::vector<std::string> PlaceholderOrder(const Stmt& stmt) {
    std::vector<std::string> names;
    const std::string& sql = stmt.sql;
    bool quoted = false;
    for (std::size_t at = 0; at < sql.size(); at += std::max<std::size_t>(cp932::CharLength(sql, at), 1)) {
        if (sql[at] == '\'') quoted = !quoted;
        if (quoted || sql[at] != ':') continue;
        std::size_t end = at + 1;
        while (end < sql.size() && (std::isalnum(static_cast<unsigned char>(sql[end])) || sql[end] == '_' ||
                                    sql[end] == '$' || sql[end] == '#'))
            ++end;
        if (end > at + 1) names.push_back(sql.substr(at + 1, end - at - 1));
    }
    return names;
}

// The types a column of each server type may be defined as, as the
// documentation's conversion table allows; 0 ends a row.
struct DefineRule {
    int serverType;
    ub2 allowed[10];
};

constexpr DefineRule kDefineRules[] = {
    {1, {kSqltChr, kSqltStr, kSqltAfc, kSqltLng, kSqltNum, kSqltVnu, kSqltInt, kSqltFlt, kSqltDat, 0}},
    {96, {kSqltChr, kSqltStr, kSqltAfc, kSqltLng, kSqltNum, kSqltVnu, kSqltInt, kSqltFlt, kSqltDat, 0}},
    {2, {kSqltChr, kSqltStr, kSqltAfc, kSqltLng, kSqltNum, kSqltVnu, kSqltInt, kSqltFlt, 0}},
    {8, {kSqltChr, kSqltStr, kSqltAfc, kSqltLng, 0}},
    {12, {kSqltChr, kSqltStr, kSqltAfc, kSqltLng, kSqltDat, 0}},
    {23, {kSqltBin, kSqltLbi, kSqltChr, kSqltStr, kSqltAfc, 0}},
    {24, {kSqltBin, kSqltLbi, 0}},
    {104, {kSqltChr, kSqltStr, kSqltAfc, kSqltRdd, 0}},
    {100, {kSqltChr, kSqltStr, kSqltAfc, kSqltIbFloat, kSqltIbDouble, kSqltFlt, 0}},
    {101, {kSqltChr, kSqltStr, kSqltAfc, kSqltIbFloat, kSqltIbDouble, kSqltFlt, 0}},
    // LOBs: a locator, or the data interface.
    {112, {kSqltClob, kSqltChr, kSqltAfc, kSqltLng, 0}},
    {113, {kSqltBlob, kSqltBin, kSqltLbi, 0}},
    {114, {kSqltBfile, 0}},
    {116, {kSqltRset, 0}},
};

bool DefineAllowed(int serverType, ub2 dty) {
    for (const auto& rule : kDefineRules) {
        if (rule.serverType != serverType) continue;
        for (ub2 allowed : rule.allowed)
            if (allowed == dty) return true;
        return false;
    }
    // Note: the types this table does not list (datetimes, intervals) convert
    // to text only.
    return dty == kSqltChr || dty == kSqltStr || dty == kSqltAfc;
}

bool IsTextBind(ub2 dty) { return dty == kSqltChr || dty == kSqltStr || dty == kSqltAfc || dty == kSqltLng; }

bool IsBlockType(ub2 statementType) {
    return statementType == 8 || statementType == 9 || statementType == 10;
}

// A character bind larger than a VARCHAR2 is a LONG bind in SQL; the
// documentation asks that LONG binds come after every other bind.
sword CheckLongBinds(const Stmt& stmt, Error& error) {
    if (IsBlockType(stmt.statementType)) return kSuccess;
    bool longSeen = false;
    for (const std::string& name : PlaceholderOrder(stmt)) {
        auto it = std::find_if(stmt.binds.begin(), stmt.binds.end(),
                               [&](const std::unique_ptr<Bind>& b) { return SameName(b->name, name); });
        if (it == stmt.binds.end()) continue;
        const bool isLong = IsTextBind((*it)->dty) && ((*it)->size > 4000 || (*it)->dty == kSqltLng);
        if (longSeen && !isLong)
            return Fail(error, 24816,
                        "ORA-24816: Expanded non LONG bind data supplied after actual LONG or LOB column");
        longSeen = longSeen || isLong;
    }
    return kSuccess;
}

// The locator a LOB bind holds now (null: none that lives).
const Lob* BoundLob(const Bind& bind) {
    return bind.dty == kSqltClob ? As<Lob>(*static_cast<void* const*>(bind.value), kDtypeLob) : nullptr;
}

// Every LOB bound must point at a value when the statement runs.
sword CheckLobBinds(const Stmt& stmt, Error& error) {
    for (const auto& bind : stmt.binds) {
        if (bind->dty != kSqltClob || (bind->indicator != nullptr && *bind->indicator == -1)) continue;
        const Lob* lob = BoundLob(*bind);
        if (lob == nullptr || !lob->set)
            return Fail(error, 22275, "ORA-22275: invalid LOB locator specified");
    }
    return kSuccess;
}

// The server's text of a native float or double bound.
std::string NativeText(const Bind& bind) {
    if (bind.dty == kSqltBFloat) {
        float single = 0;
        std::memcpy(&single, bind.value, sizeof single);
        return CFloatValue::Text(single, CFloatValue::kSingle);
    }
    double number = 0;
    std::memcpy(&number, bind.value, sizeof number);
    return CFloatValue::Text(number, CFloatValue::kDouble);
}

std::string InputText(const Bind& bind) {
    const char* data = static_cast<const char*>(bind.value);
    if (bind.dty == kSqltClob) return FromClient(BoundLob(bind)->value);
    if (bind.dty == kSqltVnu) return VnuToText(static_cast<const unsigned char*>(bind.value));
    if (bind.dty == kSqltBFloat || bind.dty == kSqltBDouble) return NativeText(bind);
    if (bind.dty == kSqltStr)
        return FromClient(std::string(data, strnlen(data, static_cast<std::size_t>(bind.size))));
    const std::size_t length = bind.length != nullptr ? *bind.length : static_cast<std::size_t>(bind.size);
    return FromClient(std::string(data, std::min<std::size_t>(length, static_cast<std::size_t>(bind.size))));
}

std::vector<CEngineBind> EngineBinds(const Stmt& stmt) {
    std::vector<CEngineBind> binds;
    for (const auto& bind : stmt.binds) {
        CEngineBind engine;
        // Placeholder names are not case-sensitive.
        engine.name = cp932::ToUpper(bind->name);
        engine.isNull = bind->dty == kSqltRset || (bind->indicator != nullptr && *bind->indicator == -1);
        if (!engine.isNull) engine.value = InputText(*bind);
        // A native float keeps its type in the block it is bound to.
        if (bind->dty == kSqltBFloat) engine.serverType = servertype::kBinaryFloat;
        if (bind->dty == kSqltBDouble) engine.serverType = servertype::kBinaryDouble;
        // A text buffer is as large as the value the server may write back:
        // a longer one fails the statement, which the server then undoes.
        if (bind->dty == kSqltChr || bind->dty == kSqltStr)
            engine.size = std::max<long>(bind->size - (bind->dty == kSqltStr ? 1 : 0), 0);
        binds.push_back(std::move(engine));
    }
    return binds;
}

// Writes `value` into element `element` of a bound buffer; false
// (ORA-06502) when it does not fit.
bool PutBindValue(Bind& bind, std::size_t element, const std::string& value, Error& error) {
    if (bind.dty == kSqltClob) {
        auto* lob = As<Lob>(*static_cast<void**>(bind.value), kDtypeLob);
        if (lob != nullptr) {
            lob->value = value;
            lob->set = true;
        }
        if (bind.indicator != nullptr) bind.indicator[element] = 0;
        return true;
    }
    if (bind.dty == kSqltVnu) {
        if (TextToVnu(value, static_cast<unsigned char*>(bind.value))) {
            if (bind.indicator != nullptr) bind.indicator[element] = 0;
            return true;
        }
        error.Set(6502, "ORA-06502: PL/SQL: numeric or value error: character to number conversion error");
        return false;
    }
    if (bind.dty == kSqltBFloat || bind.dty == kSqltBDouble) {
        double number = 0;
        if (!CFloatValue::Parse(value, number)) {
            error.Set(6502, "ORA-06502: PL/SQL: numeric or value error");
            return false;
        }
        const float single = static_cast<float>(number);
        if (bind.dty == kSqltBFloat)
            std::memcpy(bind.value, &single, sizeof single);
        else
            std::memcpy(bind.value, &number, sizeof number);
        if (bind.indicator != nullptr) bind.indicator[element] = 0;
        return true;
    }
    const std::size_t room = static_cast<std::size_t>(bind.size) - (bind.dty == kSqltStr ? 1 : 0);
    if (value.size() > room) {
        error.Set(6502, "ORA-06502: PL/SQL: numeric or value error: character string buffer too small");
        return false;
    }
    char* target = static_cast<char*>(bind.value) + element * static_cast<std::size_t>(bind.size);
    std::memcpy(target, value.data(), value.size());
    if (bind.dty == kSqltStr) target[value.size()] = '\0';
    if (bind.indicator != nullptr) bind.indicator[element] = 0;
    if (bind.length != nullptr)
        bind.length[element] = static_cast<ub2>(value.size() + (bind.dty == kSqltStr ? 1 : 0));
    return true;
}

// Writes the values a block assigned back into the bound buffers; false
// (ORA-06502) when one does not fit.
bool StoreBinds(Stmt& stmt, const std::vector<CEngineBind>& values, Error& error) {
    for (std::size_t k = 0; k < stmt.binds.size() && k < values.size(); ++k) {
        if (!values[k].assigned) continue;
        Bind& bind = *stmt.binds[k];
        if (bind.indicator != nullptr) *bind.indicator = values[k].isNull ? -1 : 0;
        if (values[k].isNull) continue;
        if (!PutBindValue(bind, 0, ToClient(values[k].value), error)) return false;
    }
    return true;
}

// DBMS_OUTPUT.GET_LINE(:line, :status) and GET_LINES(:lines, :count)
// answered from the embedded engine's output buffer.
bool IsGetLine(const std::string& sql) {
    return cp932::ToUpper(sql).find("DBMS_OUTPUT.GET_LINE(") != std::string::npos;
}

bool IsGetLines(const std::string& sql) {
    return cp932::ToUpper(sql).find("DBMS_OUTPUT.GET_LINES(") != std::string::npos;
}

void TakeOutput(SvcCtx& context) {
    for (std::string& line : context.connection->TakeServerOutput())
        context.output.push_back(std::move(line));
}

// Note: as documented, the array is a PL/SQL table bound with its element
// count; the count in is the most lines wanted, out the lines given.
sword GetLines(Stmt& stmt, SvcCtx& context, Error& error) {
    TakeOutput(context);
    if (stmt.binds.size() != 2) return Fail(error, 1008, "ORA-01008: not all variables bound");
    Bind* lines = stmt.binds[0]->maxArray > 0 ? stmt.binds[0].get() : stmt.binds[1].get();
    Bind* count = lines == stmt.binds[0].get() ? stmt.binds[1].get() : stmt.binds[0].get();
    if (lines->maxArray == 0 || lines->current == nullptr || count->maxArray != 0)
        return Fail(error, 6550,
                    "ORA-06550: PLS-00306: wrong number or types of arguments in call to 'GET_LINES'");
    const long wanted = std::atol(InputText(*count).c_str());
    ub4 given = 0;
    while (given < lines->maxArray && static_cast<long>(given) < wanted && !context.output.empty()) {
        if (!PutBindValue(*lines, given, ToClient(context.output.front()), error)) return kError;
        context.output.pop_front();
        ++given;
    }
    *lines->current = given;
    return PutBindValue(*count, 0, std::to_string(given), error) ? kSuccess : kError;
}

sword GetLine(Stmt& stmt, SvcCtx& context, Error& error) {
    TakeOutput(context);
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

// The bytes a RAW value's hex digits stand for.
std::string FromHex(std::string_view hex) {
    std::string bytes;
    for (std::size_t at = 0; at + 1 < hex.size(); at += 2)
        bytes += static_cast<char>(std::stoi(std::string(hex.substr(at, 2)), nullptr, 16));
    return bytes;
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
    if (define.dty == kSqltClob || define.dty == kSqltBlob) {
        // Note: a LOB define fills the locator the row's slot points at.
        Lob* lob = As<Lob>(*reinterpret_cast<void**>(target), kDtypeLob);
        if (lob != nullptr) {
            lob->binary = define.dty == kSqltBlob;
            lob->value = lob->binary ? FromHex(value) : ToClient(std::string(value));
            lob->set = true;
        }
        if (indicator != nullptr) *indicator = lob != nullptr ? 0 : -1;
        return false;
    }
    std::string converted;
    if (define.dty == kSqltBin || define.dty == kSqltLbi) {
        converted = FromHex(value);
    } else {
        converted = ToClient(std::string(value));
    }
    value = converted;
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

// Opens the cursor expression of column `column` for row `row` on the
// statement handle the define's slot holds.
bool OpenCursorValue(Stmt& stmt, const Define& define, std::size_t row, std::size_t column, Error& error);

// Reads up to `rows` next rows from the engine in one round trip.
sword Refill(Stmt& stmt, Error& error, ub4 rows) {
    if (sword status = RoundTrip(*stmt.context, error); status != kSuccess) return status;
    rows = std::max<ub4>(rows, 1);
    if (!stmt.cursor->Fetch(rows, stmt.batch)) return FailFromEngine(stmt, error, stmt.cursor->LastError());
    stmt.batchNext = 0;
    if (stmt.batch.RowCount() < rows) stmt.ended = true;
    return kSuccess;
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
            // One round trip brings what the call asks, or the prefetch
            // count when that is more.
            if (sword status = Refill(stmt, error, std::max<ub4>(stmt.prefetch, rows - stmt.rowsFetched));
                status != kSuccess)
                return status;
            if (stmt.batch.RowCount() == 0) break;
        }
        for (std::size_t c = 0; c < stmt.columns.size(); ++c) {
            if (stmt.defines[c]->dty == kSqltRset) {
                if (!OpenCursorValue(stmt, *stmt.defines[c], stmt.rowsFetched, c, error)) return kError;
                continue;
            }
            cut = PutValue(*stmt.defines[c], stmt.rowsFetched, stmt.batch.Value(stmt.batchNext, c),
                           stmt.batch.IsNull(stmt.batchNext, c)) ||
                  cut;
        }
        ++stmt.batchNext;
        ++stmt.rowsFetched;
    }
    stmt.rowCount += stmt.rowsFetched;
    if (stmt.rowsFetched < rows) {
        stmt.endReported = true;
        return kNoData;
    }
    if (cut) {
        error.Set(24345, "ORA-24345: A Truncation or null fetch error occurred");
        return kSuccessWithInfo;
    }
    return kSuccess;
}

// "SELECT USER FROM DUAL": the session's user, which the embedded engine
// does not know.
bool IsUserQuery(const std::string& sql) {
    std::string words;
    for (char c : cp932::ToUpper(sql))
        if (c != ' ' && c != '\n' && c != '\t' && c != '\r') words += c;
    return words == "SELECTUSERFROMDUAL";
}

std::unique_ptr<CEngineCursor> UserCursor(const SvcCtx& context) {
    CEngineResult result;
    CEngineColumn column;
    column.name = "USER";
    column.size = 128;
    result.SetColumns({column});
    result.AddValue(context.session != nullptr ? context.session->user : "", false);
    result.EndRow();
    return std::make_unique<CMaterialisedCursor>(std::move(result));
}

// Takes the cursor expressions (CURSOR(query)) out of a select list: each
// becomes NULL for the embedded engine, and its position and query are
// kept, so that each row's value can be opened on a statement handle.
std::string TakeCursorExpressions(const std::string& sql,
                                  std::vector<std::pair<std::size_t, std::string>>& found) {
    const std::string upper = cp932::ToUpper(sql);
    std::string out;
    std::size_t position = 0;
    int depth = 0;
    bool quoted = false;
    bool listing = false;
    for (std::size_t at = 0; at < sql.size(); ++at) {
        const char c = sql[at];
        if (c == '\'') quoted = !quoted;
        if (!quoted && !listing && upper.compare(at, 6, "SELECT") == 0) listing = true;
        if (!quoted && listing && depth == 0 && upper.compare(at, 6, " FROM ") == 0) listing = false;
        if (!quoted && listing && depth == 0 && upper.compare(at, 7, "CURSOR(") == 0) {
            std::size_t end = at + 7;
            for (int inner = 1; end < sql.size() && inner > 0; ++end) {
                if (sql[end] == '(') ++inner;
                if (sql[end] == ')') --inner;
            }
            found.emplace_back(position, sql.substr(at + 7, end - at - 8));
            out += "NULL";
            at = end - 1;
            continue;
        }
        if (!quoted && c == '(') ++depth;
        if (!quoted && c == ')') --depth;
        if (!quoted && listing && depth == 0 && c == ',') ++position;
        out += c;
    }
    return out;
}

sword ExecuteQuery(Stmt& stmt, SvcCtx& context, Error& error, ub4 iters, ub4 mode) {
    std::vector<CEngineBind> binds = EngineBinds(stmt);
    stmt.cursorColumns.clear();
    const std::string sql = TakeCursorExpressions(stmt.sql, stmt.cursorColumns);
    stmt.describeOnly = (mode & kModeDescribeOnly) != 0;
    stmt.context = &context;
    if (IsUserQuery(stmt.sql))
        stmt.cursor = UserCursor(context);
    else
        stmt.cursor =
            context.connection->OpenCursor(sql, binds,
                                           stmt.describeOnly ? CEngineConnection::CursorMode::DescribeOnly
                                                             : CEngineConnection::CursorMode::Rows);
    if (stmt.cursor == nullptr) return FailFromEngine(stmt, error, context.connection->LastError());
    stmt.columns = stmt.cursor->Columns();
    for (const auto& [position, query] : stmt.cursorColumns) {
        if (position >= stmt.columns.size()) continue;
        stmt.columns[position].serverType = kSqltRset;
        if (cp932::ToUpper(stmt.columns[position].name) == "NULL")
            stmt.columns[position].name = cp932::ToUpper("CURSOR(" + query + ")");
    }
    stmt.executed = true;
    if (stmt.describeOnly) return kSuccess;
    // Note: the execution's round trip brings the prefetched rows with it.
    if (stmt.prefetch > 0 && iters == 0) {
        if (!stmt.cursor->Fetch(stmt.prefetch, stmt.batch))
            return FailFromEngine(stmt, error, stmt.cursor->LastError());
        if (stmt.batch.RowCount() < stmt.prefetch) stmt.ended = true;
    }
    return iters > 0 ? FetchRows(stmt, error, iters) : kSuccess;
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

// DBMS_OUTPUT.ENABLE's buffer: ENABLE() keeps the package's default of
// 20,000 bytes, ENABLE(NULL) is unlimited, ENABLE(n) is n bytes.
void NoteOutputLimit(const std::string& sql, SvcCtx& context) {
    const std::string upper = cp932::ToUpper(sql);
    const std::string call = "DBMS_OUTPUT.ENABLE";
    const std::size_t at = upper.find(call);
    if (at == std::string::npos) return;
    std::size_t open = upper.find_first_not_of(" \t\n", at + call.size());
    std::string argument;
    if (open != std::string::npos && upper[open] == '(') {
        const std::size_t close = upper.find(')', open);
        argument = upper.substr(open + 1, close == std::string::npos ? std::string::npos : close - open - 1);
        argument.erase(0, argument.find_first_not_of(" \t\n"));
        argument.erase(argument.find_last_not_of(" \t\n") + 1);
    }
    context.outputLimit = argument.empty() ? 20000 : argument == "NULL" ? -1 : std::atol(argument.c_str());
}

// The output a block wrote must fit the buffer, as on the server.
sword CheckOutputLimit(SvcCtx& context, Error& error) {
    TakeOutput(context);
    if (context.outputLimit < 0) return kSuccess;
    std::size_t bytes = 0;
    for (const std::string& line : context.output) bytes += line.size();
    if (bytes <= static_cast<std::size_t>(context.outputLimit)) return kSuccess;
    context.output.clear();
    error.Set(20000, "ORA-20000: ORU-10027: buffer overflow, limit of " +
                         std::to_string(context.outputLimit) + " bytes");
    return kError;
}

sword ExecuteOther(Stmt& stmt, SvcCtx& context, Error& error, ub4 mode) {
    NoteOutputLimit(stmt.sql, context);
    if (IsGetLines(stmt.sql)) return GetLines(stmt, context, error);
    if (IsGetLine(stmt.sql)) return GetLine(stmt, context, error);
    if (sword status = CheckLongBinds(stmt, error); status != kSuccess) return status;
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
    // A cursor the block gave the variable otherwise (a function's or a
    // procedure's cursor result) is the one the engine kept for it.
    for (const auto& bind : stmt.binds) {
        if (bind->dty != kSqltRset) continue;
        Stmt* target = As<Stmt>(*static_cast<void**>(bind->value), kHtypeStmt);
        CEngineError none;
        std::unique_ptr<CEngineCursor> cursor = context.connection->TakeCursorVariable(bind->name, none);
        if (target == nullptr || cursor == nullptr) continue;
        ResetExecution(*target);
        target->prepared = true;
        target->statementType = kSelect;
        target->context = &context;
        target->columns = cursor->Columns();
        target->cursor = std::move(cursor);
        target->executed = true;
    }
    if (sword status = CheckOutputLimit(context, error); status != kSuccess) return status;
    stmt.rowCount = static_cast<ub4>(std::max(rows, 0L));
    stmt.executed = true;
    if (!StoreBinds(stmt, binds, error)) return kError;
    if ((mode & kModeCommitOnSuccess) != 0 && !context.connection->Commit())
        return FailFromEngine(stmt, error, context.connection->LastError());
    return kSuccess;
}

bool OpenCursorValue(Stmt& stmt, const Define& define, std::size_t row, std::size_t column, Error& error) {
    auto query = std::find_if(stmt.cursorColumns.begin(), stmt.cursorColumns.end(),
                              [&](const auto& entry) { return entry.first == column; });
    Stmt* target = As<Stmt>(static_cast<void**>(define.value)[row], kHtypeStmt);
    if (query == stmt.cursorColumns.end() || target == nullptr) {
        error.Set(24338, "ORA-24338: statement handle not executed");
        return false;
    }
    ResetExecution(*target);
    target->sql = query->second;
    target->prepared = true;
    target->statementType = kSelect;
    if (define.indicator != nullptr) define.indicator[row] = 0;
    return ExecuteQuery(*target, *stmt.context, error, 0, 0) == kSuccess;
}

void ResetExecution(Stmt& stmt) {
    stmt.batch.SetColumns({});
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
    stmt.sql = FromClient(std::string(reinterpret_cast<const char*>(sql), length));
    stmt.statementType = StatementType(stmt.sql);
    stmt.prepared = true;
    return kSuccess;
}

sword OCIBindByName(OCIStmt* stmtHandle, OCIBind** bindOut, OCIError* errorHandle, const text* placeholder,
                    sb4 length, void* value, sb4 size, ub2 dty, void* indicator, ub2* valueLength,
                    ub2* returnCode, ub4 maxArray, ub4* current, ub4) {
    Call call{};
    if (!Valid(stmtHandle, errorHandle, call) || bindOut == nullptr || placeholder == nullptr)
        return kInvalidHandle;
    Stmt& stmt = *call.stmt;
    if (!stmt.prepared) return Fail(*call.error, 24337, "ORA-24337: statement handle not prepared");
    std::string name(reinterpret_cast<const char*>(placeholder),
                     static_cast<std::size_t>(std::max(length, 0)));
    if (!name.starts_with(":") || !HasPlaceholder(stmt.sql, name.substr(1)))
        return Fail(*call.error, 1036, "ORA-01036: illegal variable name/number");
    if (dty != kSqltStr && dty != kSqltChr && dty != kSqltAfc && dty != kSqltLng && dty != kSqltRset &&
        dty != kSqltVnu && dty != kSqltClob && dty != kSqltBFloat && dty != kSqltBDouble)
        return Fail(*call.error, 932, "ORA-00932: inconsistent datatypes");
    // A native float or double is bound in exactly its size.
    if ((dty == kSqltBFloat && size != static_cast<sb4>(sizeof(float))) ||
        (dty == kSqltBDouble && size != static_cast<sb4>(sizeof(double))))
        return Fail(*call.error, 1459, "ORA-01459: invalid length for variable character string");
    // A LOB is bound by the address of its locator.
    if (dty == kSqltClob && (value == nullptr || size != static_cast<sb4>(sizeof(void*)) ||
                             As<Lob>(*static_cast<void**>(value), kDtypeLob) == nullptr))
        return kInvalidHandle;
    if (dty == kSqltVnu && size < 22)
        return Fail(*call.error, 1459, "ORA-01459: invalid length for variable character string");
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
    bind.maxArray = maxArray;
    bind.current = current;
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
    if (!DefineAllowed(stmt.columns[position - 1].serverType, dty))
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
    if (!context->connection) return kInvalidHandle;
    InCall busy(*context);
    const std::string dieOn = cp932::ToUpper(KnobText("TARVEX_FAKEOCI_DIE_ON"));
    if (!dieOn.empty() && cp932::ToUpper(stmt.sql).find(dieOn) != std::string::npos) context->dead = true;
    if (sword status = RoundTrip(*context, *call.error); status != kSuccess) return status;
    if (sword status = CheckLobBinds(stmt, *call.error); status != kSuccess) return status;
    stmt.context = context;
    if (stmt.statementType == kSelect) return ExecuteQuery(stmt, *context, *call.error, iters, mode);
    if (iters == 0) return Fail(*call.error, 24333, "ORA-24333: zero iteration count");
    return ExecuteOther(stmt, *context, *call.error, mode);
}

// Reads from a LOB as the documentation says: offsets from 1, in characters
// for a CLOB (whole UTF-8 characters when the client speaks AL32UTF8) and in
// bytes for a BLOB; the amounts say on return what was read.
sword OCILobRead2(OCISvcCtx* service, OCIError* errorHandle, OCILobLocator* locator,
                  std::uint64_t* byteAmount, std::uint64_t* charAmount, std::uint64_t offset, void* buffer,
                  std::uint64_t size, ub1, void*,
                  sb4 (*)(void*, const void*, std::uint64_t, ub1, void**, std::uint64_t*), ub2, ub1) {
    auto* context = As<SvcCtx>(service, kHtypeSvcCtx);
    auto* error = As<Error>(errorHandle, kHtypeError);
    Lob* lob = As<Lob>(locator, kDtypeLob);
    if (context == nullptr || error == nullptr || lob == nullptr || byteAmount == nullptr ||
        buffer == nullptr)
        return kInvalidHandle;
    UseCharsetOf(*lob);
    error->Clear();
    if (!lob->set) return Fail(*error, 22275, "ORA-22275: invalid LOB locator specified");
    if (offset == 0) return Fail(*error, 24801, "ORA-24801: illegal parameter value in OCI lob function");
    InCall busy(*context);
    if (sword status = RoundTrip(*context, *error); status != kSuccess) return status;
    const bool characters = !lob->binary && charAmount != nullptr && *charAmount > 0;
    const std::string& value = lob->value;
    const bool utf8 = !lob->binary && ClientCharset() == kUtf8Charset;
    // Byte position of character `n` (from 0) of the value.
    const auto byteOf = [&](std::uint64_t n) {
        std::size_t at = 0;
        for (std::uint64_t k = 0; k < n && at < value.size(); ++k) {
            const auto lead = static_cast<unsigned char>(value[at]);
            at += !utf8 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        }
        return std::min(at, value.size());
    };
    const std::size_t begin =
        lob->binary || !utf8 ? std::min<std::size_t>(offset - 1, value.size()) : byteOf(offset - 1);
    if (begin >= value.size()) {
        *byteAmount = 0;
        if (charAmount != nullptr) *charAmount = 0;
        return kNoData;
    }
    std::size_t end = characters ? byteOf(offset - 1 + *charAmount)
                                 : std::min<std::size_t>(value.size(), begin + *byteAmount);
    end = std::min<std::size_t>(end, begin + size);
    if (utf8 && characters)
        while (end > begin && end < value.size() && (static_cast<unsigned char>(value[end]) & 0xC0) == 0x80)
            --end;
    std::memcpy(buffer, value.data() + begin, end - begin);
    *byteAmount = end - begin;
    if (charAmount != nullptr) {
        std::uint64_t count = 0;
        for (std::size_t at = begin; at < end; ++at)
            if (!utf8 || (static_cast<unsigned char>(value[at]) & 0xC0) != 0x80) ++count;
        *charAmount = lob->binary ? 0 : count;
    }
    return kSuccess;
}

sword OCILobFileGetName(OCIEnv*, OCIError* errorHandle, const OCILobLocator* locator, text*, ub2*, text*,
                        ub2*) {
    auto* error = As<Error>(errorHandle, kHtypeError);
    if (error == nullptr || As<Lob>(locator, kDtypeFile) == nullptr) return kInvalidHandle;
    return Fail(*error, 22285, "ORA-22285: non-existent directory or file for FILEOPEN operation");
}

sword OCIStmtPrepare2(OCISvcCtx* service, OCIStmt** stmtOut, OCIError* errorHandle, const text* sql,
                      ub4 length, const text*, ub4, ub4 language, ub4) {
    auto* context = As<SvcCtx>(service, kHtypeSvcCtx);
    auto* error = As<Error>(errorHandle, kHtypeError);
    if (context == nullptr || error == nullptr || stmtOut == nullptr || sql == nullptr) return kInvalidHandle;
    UseCharsetOf(*context);
    const std::string clientText(reinterpret_cast<const char*>(sql), length);
    auto cached = std::find_if(context->cache.begin(), context->cache.end(),
                               [&](const auto& entry) { return entry.first == clientText; });
    if (cached != context->cache.end()) {
        NoteCacheHit();
        *stmtOut = Out<OCIStmt>(cached->second);
        context->cache.erase(cached);
        return kSuccess;
    }
    auto* stmt = new Stmt();
    stmt->charset = context->charset;
    Register(stmt);
    *stmtOut = Out<OCIStmt>(stmt);
    return OCIStmtPrepare(*stmtOut, errorHandle, sql, length, language, 0);
}

sword OCIStmtRelease(OCIStmt* stmtHandle, OCIError* errorHandle, const text*, ub4, ub4) {
    Call call{};
    if (!Valid(stmtHandle, errorHandle, call)) return kInvalidHandle;
    Stmt& stmt = *call.stmt;
    SvcCtx* context = stmt.context;
    if (context != nullptr && As<SvcCtx>(context, kHtypeSvcCtx) != nullptr && context->cacheSize > 0) {
        ResetExecution(stmt);
        context->cache.emplace_back(ToClient(stmt.sql), &stmt);
        if (context->cache.size() <= context->cacheSize) return kSuccess;
        Stmt* oldest = context->cache.front().second;
        context->cache.erase(context->cache.begin());
        return OCIHandleFree(oldest, kHtypeStmt);
    }
    return OCIHandleFree(&stmt, kHtypeStmt);
}

sword OCIStmtFetch2(OCIStmt* stmtHandle, OCIError* errorHandle, ub4 rows, ub2 orientation, sb4, ub4) {
    Call call{};
    if (!Valid(stmtHandle, errorHandle, call)) return kInvalidHandle;
    if (orientation != kFetchNext) return Fail(*call.error, 24391, "ORA-24391: invalid fetch operation");
    if (call.stmt->context == nullptr)
        return Fail(*call.error, 24338, "ORA-24338: statement handle not executed");
    InCall busy(*call.stmt->context);
    return FetchRows(*call.stmt, *call.error, rows);
}

sword OCIParamGet(const void* stmtHandle, ub4 type, OCIError* errorHandle, void** out, ub4 position) {
    auto* stmt = As<Stmt>(stmtHandle, kHtypeStmt);
    auto* error = As<Error>(errorHandle, kHtypeError);
    if (type != kHtypeStmt || stmt == nullptr || error == nullptr || out == nullptr) return kInvalidHandle;
    if (!stmt->executed) return Fail(*error, 24338, "ORA-24338: statement handle not executed");
    if (position == 0 || position > stmt->columns.size())
        return Fail(*error, 24334, "ORA-24334: no descriptor for this position");
    UseCharsetOf(*stmt);
    auto* param = new Param();
    param->column = stmt->columns[position - 1];
    param->column.name = ToClient(param->column.name);
    Register(param);
    *out = param;
    return kSuccess;
}

}  // extern "C"
