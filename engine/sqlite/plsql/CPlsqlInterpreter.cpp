#include "engine/sqlite/plsql/CPlsqlInterpreter.h"

#include <sqlite3.h>

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "engine/sqlite/CReturningInto.h"
#include "engine/sqlite/CSqlScanner.h"
#include "engine/sqlite/CSqliteCatalog.h"
#include "engine/sqlite/CValueText.h"
#include "engine/sqlite/plsql/CCollectionJson.h"
#include "engine/sqlite/plsql/CObjectText.h"
#include "engine/sqlite/plsql/CPlsqlBuiltins.h"
#include "engine/sqlite/plsql/CPlsqlErrors.h"
#include "engine/sqlite/plsql/CPlsqlHost.h"
#include "engine/sqlite/plsql/CPlsqlInterval.h"
#include "engine/sqlite/plsql/CPlsqlMultiset.h"
#include "engine/sqlite/plsql/CPlsqlRefCursor.h"
#include "engine/sqlite/values/CFloatFunctions.h"
#include "engine/sqlite/values/CFloatValue.h"
#include "engine/sqlite/values/CTextLimit.h"
#include "engine/sqlite/values/CTimeZone.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace {

using Kind = CPlsqlValue::Kind;
using Op = CPlsqlExpr::Op;

// Nested blocks deeper than this answer STORAGE_ERROR rather than exhaust the stack.
constexpr int kMaxDepth = 200;
// Nor may they take more of the stack than this, however large a build's
// frames are (a checking build's are many times a release build's).
constexpr std::ptrdiff_t kStackBudget = 3 * 1024 * 1024;

// The blocks running on this thread, in every interpreter, and where the
// stack stood when the first began.
thread_local int t_runningBlocks = 0;
thread_local std::uintptr_t t_stackBase = 0;

// Counts a running block while it lives; `Deep` when it is past a bound.
class BlockDepth {
public:
    explicit BlockDepth(int& depth) : m_depth(++depth) {
        const char here = 0;
        const auto at = reinterpret_cast<std::uintptr_t>(&here);
        if (t_runningBlocks++ == 0) t_stackBase = at;
        m_used = static_cast<std::ptrdiff_t>(t_stackBase - at);
    }
    ~BlockDepth() {
        --m_depth;
        --t_runningBlocks;
    }
    BlockDepth(const BlockDepth&) = delete;
    BlockDepth& operator=(const BlockDepth&) = delete;
    bool Deep() const { return m_depth > kMaxDepth || m_used > kStackBudget || m_used < -kStackBudget; }

private:
    int& m_depth;
    std::ptrdiff_t m_used = 0;
};

const CEngineBind* FindBind(const std::vector<CEngineBind>& binds, const std::string& name) {
    for (const CEngineBind& bind : binds)
        if (cp932::ToUpperAscii(bind.name) == name) return &bind;
    return nullptr;
}

// A CHAR value without its trailing blanks (blank-padded comparison).
std::string Unpadded(const std::string& text) { return text.substr(0, text.find_last_not_of(' ') + 1); }

bool IsComparison(Op op) {
    return op == Op::Equal || op == Op::NotEqual || op == Op::Less || op == Op::LessEqual ||
           op == Op::Greater || op == Op::GreaterEqual;
}

bool Holds(Op op, int order) {
    switch (op) {
        case Op::Equal:
            return order == 0;
        case Op::NotEqual:
            return order != 0;
        case Op::Less:
            return order < 0;
        case Op::LessEqual:
            return order <= 0;
        case Op::Greater:
            return order > 0;
        default:
            return order >= 0;
    }
}

}  // namespace

CPlsqlInterpreter::CPlsqlInterpreter(CPlsqlUnit& unit, CPlsqlHost& host, std::vector<CEngineBind>& binds,
                                     int depth, std::vector<CPlsqlDatum>* slots)
    : m_unit(unit), m_host(host), m_binds(binds), m_slots(slots != nullptr ? *slots : m_own), m_calls(depth) {
    if (m_slots.size() < unit.slotTypes.size()) m_slots.resize(unit.slotTypes.size());
    m_cursors.resize(unit.cursors.size());
    // Note: a TIMESTAMP shows as the server's Japanese NLS_TIMESTAMP_FORMAT
    // ("RR-MM-DD HH24:MI:SSXFF") writes it, with the digits of a second its
    // variable's type keeps (six by default).
    m_showDate = [this](const std::string& stored, int fraction) {
        const int digits = fraction < 0 ? 6 : std::min(fraction, 9);
        const bool timestamp = stored.size() >= 29;
        if (std::string shown = timestamp ? m_host.ShowTimestamp(stored, digits) : std::string();
            !shown.empty())
            return shown;
        std::string_view local;
        std::string_view zone;
        // The radix and digits kept, none for a TIMESTAMP(0).
        auto kept = [digits](std::string_view text) {
            return std::string(text.substr(2, 17)) +
                   (digits > 0 ? std::string(text.substr(19, static_cast<std::size_t>(digits) + 1)) : "");
        };
        if (CTimeZone::Split(stored, local, zone) && local.size() >= 29)
            return kept(local) + " " + std::string(zone);
        return stored.size() == 29 ? kept(stored) : m_host.ShowDate(stored);
    };
}

CPlsqlInterpreter::~CPlsqlInterpreter() {
    for (auto& cursor : m_unit.cursors)
        if (cursor.query && cursor.query->statement) sqlite3_reset(cursor.query->statement.get());
}

bool CPlsqlInterpreter::Run(CEngineError& error) {
    if (!m_unit.block) MissingBody();
    Flow flow = m_unit.block ? RunBlock(*m_unit.block) : Flow::Raise;
    if (flow != Flow::Raise) return true;
    // Note: the cancel of the user is told alone, as the server does.
    std::string message = m_raised.id == 1013 ? m_raised.message : RaisedStack();
    // Note: a bind variable the console did not declare is shown where it is written.
    // Note: as the server, a block that fails while it runs points at its start.
    error.Set(message, m_raised.id == 1008 ? static_cast<int>(m_raised.at) : 0);
    error.code = m_raised.id < 0 ? 6510 : m_raised.id;
    return false;
}

void CPlsqlInterpreter::SetRecord(int slot, std::vector<CPlsqlValue> fields) {
    m_slots[static_cast<std::size_t>(slot)].fields = std::move(fields);
}

void CPlsqlInterpreter::SetValue(int slot, CPlsqlValue value) {
    m_slots[static_cast<std::size_t>(slot)].value = std::move(value);
}

const std::vector<CPlsqlValue>& CPlsqlInterpreter::Record(int slot) const {
    return m_slots[static_cast<std::size_t>(slot)].fields;
}

std::string CPlsqlInterpreter::TraceLine(std::size_t at) const {
    return CPlsqlErrors::Backtrace(m_unit.LineOf(at), m_unit.qualified);
}

std::vector<std::string> CPlsqlInterpreter::StackOf(const Raised& raised) const {
    std::vector<std::string> lines{raised.id < 0 ? CPlsqlErrors::Text(6510) : raised.message};
    lines.insert(lines.end(), raised.trace.begin(), raised.trace.end());
    lines.push_back(TraceLine(raised.at));
    lines.insert(lines.end(), raised.kept.begin(), raised.kept.end());
    return lines;
}

std::string CPlsqlInterpreter::ErrorStack(const Raised& raised) const {
    // Note: SQLERRM of a user exception is its own text.
    if (raised.kept.empty()) return raised.message;
    std::string stack;
    for (const std::string& line : StackOf(raised)) stack += (stack.empty() ? "" : "\n") + line;
    return stack;
}

std::string CPlsqlInterpreter::RaisedStack() const {
    std::string stack;
    for (const std::string& line : StackOf(m_raised)) stack += (stack.empty() ? "" : "\n") + line;
    return stack;
}

namespace {

// Note: the "ORA-06512" lines of an error are kept for the innermost units
// only (and the block's own line last): a runaway recursion answers a
// screenful, not one line a call.
constexpr std::size_t kTraceLines = 10;
// The lines of earlier errors an error keeps under it, at most.
constexpr std::size_t kKeptLines = 40;

// The body a package's member or a type's method lacks, as ORA-04067 names it.
std::string BodyName(const CPlsqlUnit& unit) {
    return encoding::Utf8ToCp932(unit.method.empty() ? "パッケージ本体" : "型本体") + "\"" + unit.qualified +
           "\"";
}

}  // namespace

// A member of a package whose body is gone has nothing to run.
bool CPlsqlInterpreter::MissingBody() {
    return Raise(4067, CPlsqlErrors::Text(4067, BodyName(m_unit)) + "\n" + CPlsqlErrors::Text(6508), 0);
}

bool CPlsqlInterpreter::Call(std::vector<CPlsqlValue>& arguments, const std::vector<bool>& given,
                             CPlsqlValue& result) {
    if (!m_unit.block) return MissingBody();
    for (std::size_t k = 0; k < m_unit.parameters.size(); ++k) {
        auto& parameter = m_unit.parameters[k];
        CPlsqlTarget target;
        target.slot = parameter.slot;
        const CPlsqlType& type = *m_unit.slotTypes[static_cast<std::size_t>(parameter.slot)];
        // Note: a collection or record argument was put in its slot by the caller.
        if (type.base == CPlsqlType::Base::Collection) continue;
        if (type.base == CPlsqlType::Base::Record) {
            auto& fields = m_slots[static_cast<std::size_t>(parameter.slot)].fields;
            if (fields.size() != type.fields.size() && !type.object)
                fields.assign(type.fields.size(), CPlsqlValue());
            continue;
        }
        CPlsqlValue value = arguments[k];
        if (!given[k] && parameter.fallback && !Eval(*parameter.fallback, value)) break;
        // Note: an OUT parameter begins NULL whatever the argument holds.
        if (parameter.mode == CPlsqlUnit::Mode::Out) value = CPlsqlValue();
        if (!Assign(target, value)) return false;
    }
    Flow flow = RunBlock(*m_unit.block);
    if (flow == Flow::Raise) return false;
    if (m_unit.type == "FUNCTION" && !m_hasReturned)
        return Raise(6503, CPlsqlErrors::Text(6503), m_unit.text.size());
    for (std::size_t k = 0; k < m_unit.parameters.size(); ++k)
        arguments[k] = m_slots[static_cast<std::size_t>(m_unit.parameters[k].slot)].value;
    result = m_returned;
    return true;
}

bool CPlsqlInterpreter::CallUnit(const std::weak_ptr<CPlsqlUnit>& called,
                                 std::vector<std::unique_ptr<CPlsqlExpr>>& args,
                                 const std::vector<CPlsqlTarget>* targets, std::size_t at,
                                 CPlsqlValue& result, bool nullSelf) {
    constexpr int kMaxCalls = 500;
    if (m_calls >= kMaxCalls) return Raise(6500, CPlsqlErrors::Text(6500), at);
    std::shared_ptr<CPlsqlUnit> callee = called.lock();
    if (callee && !callee->block && !callee->package.empty())
        return Raise(4067, CPlsqlErrors::Text(4067, BodyName(*callee)) + "\n" + CPlsqlErrors::Text(6508), at);
    if (!callee || !callee->block) return Raise(6508, CPlsqlErrors::Text(6508), at);
    std::vector<CPlsqlValue> arguments(args.size());
    std::vector<bool> given(args.size(), false);
    for (std::size_t k = 0; k < args.size(); ++k) {
        if (!args[k]) continue;
        given[k] = true;
        // Note: a collection or record argument is made into its parameter (PassData), not read as a value.
        const CPlsqlType& type = *callee->slotTypes[static_cast<std::size_t>(callee->parameters[k].slot)];
        if (callee->parameters[k].mode != CPlsqlUnit::Mode::Out &&
            type.base != CPlsqlType::Base::Collection && type.base != CPlsqlType::Base::Record &&
            !Eval(*args[k], arguments[k]))
            return false;
    }
    CPlsqlInterpreter child(*callee, m_host, m_binds, m_calls + 1);
    // Note: a cursor variable passed IN or IN OUT is the caller's cursor.
    for (std::size_t k = 0; k < args.size(); ++k) {
        const auto& parameter = callee->parameters[k];
        const CPlsqlType& type = *callee->slotTypes[static_cast<std::size_t>(parameter.slot)];
        if (args[k] && type.base == CPlsqlType::Base::Cursor && parameter.mode != CPlsqlUnit::Mode::Out &&
            !CursorOf(*args[k], child.m_slots[static_cast<std::size_t>(parameter.slot)].cursor))
            return false;
    }
    if (!PassData(*callee, args, child)) return false;
    if (!callee->method.empty()) {
        // A method called on a NULL object: SELF_IS_NULL, or NULL for the
        // MAP or ORDER method of a comparison.
        for (std::size_t k = 0; k < args.size(); ++k) {
            auto slot = static_cast<std::size_t>(callee->parameters[k].slot);
            bool object = args[k] && callee->slotTypes[slot]->object &&
                          callee->parameters[k].mode != CPlsqlUnit::Mode::Out;
            if (!object || !child.m_slots[slot].fields.empty()) continue;
            if (nullSelf) {
                result = CPlsqlValue();
                return true;
            }
            if (k == 0 && callee->parameters[0].name == "SELF" && callee->method != "CONSTRUCTOR")
                return Raise(30625, CPlsqlErrors::Text(30625), at);
        }
    }
    if (callee->level > 0) {
        // Note: a local subprogram sees the variables of the run of the unit
        // that declares it, however it was reached (itself, a sibling).
        CPlsqlInterpreter* link = this;
        for (int level = m_unit.level; level >= callee->level && link != nullptr; --level)
            link = link->m_outer;
        if (link == nullptr) return Raise(6508, CPlsqlErrors::Text(6508), at);
        child.m_outer = link;
    }
    if (!child.Call(arguments, given, result)) {
        m_raised = child.m_raised;
        if (m_raised.id == 1013) m_cancelled = true;
        if (m_raised.trace.size() < kTraceLines) m_raised.trace.push_back(child.TraceLine(child.m_raised.at));
        m_raised.at = at;
        return false;
    }
    m_cursorResult = child.m_returnedCursor;
    m_datumResult = std::move(child.m_returnedDatum);
    for (std::size_t k = 0; targets != nullptr && k < args.size(); ++k) {
        if (!given[k] || callee->parameters[k].mode == CPlsqlUnit::Mode::In) continue;
        auto slot = static_cast<std::size_t>(callee->parameters[k].slot);
        if (!callee->slotTypes[slot]->IsScalar() &&
            callee->slotTypes[slot]->base != CPlsqlType::Base::Cursor) {
            if (!ReturnData((*targets)[k], child.m_slots[slot])) return false;
            continue;
        }
        bool ok = callee->slotTypes[slot]->base == CPlsqlType::Base::Cursor
                      ? SetCursor((*targets)[k], child.m_slots[slot].cursor, at)
                      : Assign((*targets)[k], arguments[k]);
        if (!ok) {
            m_raised.at = at;
            return false;
        }
    }
    return true;
}

bool CPlsqlInterpreter::PassData(const CPlsqlUnit& callee, std::vector<std::unique_ptr<CPlsqlExpr>>& args,
                                 CPlsqlInterpreter& child) {
    for (std::size_t k = 0; k < args.size(); ++k) {
        const auto& parameter = callee.parameters[k];
        const CPlsqlType& type = *callee.slotTypes[static_cast<std::size_t>(parameter.slot)];
        if (!args[k] || parameter.mode == CPlsqlUnit::Mode::Out) continue;
        Datum& slot = child.m_slots[static_cast<std::size_t>(parameter.slot)];
        if (type.base == CPlsqlType::Base::Collection &&
            !MakeCollection(type, args[k].get(), slot.collection))
            return false;
        if (type.base == CPlsqlType::Base::Record && !RecordOf(*args[k], type, slot.fields)) return false;
    }
    return true;
}

bool CPlsqlInterpreter::ReturnData(const CPlsqlTarget& target, Datum& from) {
    // Note: an object a field or an attribute holds takes its constructor's text.
    const CPlsqlType* held = target.field >= 0 || target.object ? TypeOf(target) : nullptr;
    if (held != nullptr && held->object)
        return Write(target,
                     from.fields.empty() ? CPlsqlValue()
                                         : CPlsqlValue::Text(CObjectText::Constructor(from.fields, *held)),
                     nullptr);
    Datum* into = DatumOf(target);
    if (into == nullptr) return false;
    into->collection = std::move(from.collection);
    into->fields = std::move(from.fields);
    return true;
}

bool CPlsqlInterpreter::ReturnDatum(CPlsqlExpr& expr) {
    const CPlsqlType& type = *m_unit.returnType;
    if (type.base == CPlsqlType::Base::Collection)
        return MakeCollection(type, &expr, m_returnedDatum.collection);
    return RecordOf(expr, type, m_returnedDatum.fields);
}

bool CPlsqlInterpreter::CallBuiltin(int id, std::vector<std::unique_ptr<CPlsqlExpr>>& args, std::size_t at,
                                    CPlsqlValue& out) {
    std::vector<CPlsqlValue> values(args.size());
    for (std::size_t k = 0; k < args.size(); ++k)
        if (!Eval(*args[k], values[k])) return false;
    CPlsqlBuiltins::Context context;
    if (!m_handling.empty()) {
        const Raised& handled = m_handling.back();
        context.errorStack = (handled.id < 0 ? CPlsqlErrors::Text(6510) : ErrorStack(handled)) + "\n";
        for (const std::string& line : handled.trace) context.backtrace += line + "\n";
        context.backtrace += TraceLine(handled.at) + "\n";
    }
    context.random = &m_host.Random();
    context.cancelled = [this] { return Cancelled(); };
    context.db = m_host.Database();
    context.refresh = [this](const std::string& list, CEngineError& error) {
        return m_host.RefreshMviews(list, error);
    };
    int code = 0;
    auto member = static_cast<CPlsqlBuiltins::Id>(id);
    if (!CPlsqlBuiltins::Call(member, values, context, out, code))
        return Raise(code, context.message.empty() ? CPlsqlErrors::Text(code) : context.message, at);
    // Note: DBMS_LOB's writing calls change the LOB of their first argument.
    return !CPlsqlBuiltins::Of(member).writesFirst || Assign(args[0]->target, values[0]);
}

std::string CPlsqlInterpreter::ShowDate(const std::string& stored) { return m_host.ShowDate(stored); }

bool CPlsqlInterpreter::Cancelled() {
    if (!m_cancelled && m_host.Cancelled()) m_cancelled = true;
    return m_cancelled;
}

// ---- raising

bool CPlsqlInterpreter::Raise(int id, std::string message, std::size_t at) {
    m_raised.id = id;
    m_raised.message = std::move(message);
    m_raised.at = at;
    m_raised.trace.clear();
    return false;
}

bool CPlsqlInterpreter::RaiseFailure(const CPlsqlOperators::Failure& failure, std::size_t at) {
    if (failure.code == 6502) return Raise(6502, CPlsqlErrors::ValueErrorText(failure.detail), at);
    return Raise(failure.code, CPlsqlErrors::Text(failure.code, failure.argument), at);
}

bool CPlsqlInterpreter::RaiseError(const CEngineError& error, std::size_t at) {
    int code = error.code != 0 ? error.code : 600;
    if (code == 1013) m_cancelled = true;
    std::size_t end = error.message.find('\n');
    Raise(code, error.message.substr(0, end), at);
    // Note: the lines under the error (of the triggers and functions its
    // statement ran) stay under it, above this unit's own.
    while (end != std::string::npos) {
        std::size_t next = error.message.find('\n', end + 1);
        if (m_raised.trace.size() < kTraceLines)
            m_raised.trace.push_back(error.message.substr(end + 1, next - end - 1));
        end = next;
    }
    return false;
}

// ---- blocks and statements

CPlsqlInterpreter::Flow CPlsqlInterpreter::RunBlock(CPlsqlBlockNode& block) {
    const BlockDepth depth(m_depth);
    if (depth.Deep()) {
        Raise(6500, CPlsqlErrors::Text(6500), 0);
        return Flow::Raise;
    }
    // Note: an exception of the declarations goes to the enclosing block.
    Flow flow = RunBody(block.declarations);
    bool declared = flow == Flow::Normal;
    if (declared) flow = RunBody(block.body);
    if (flow == Flow::Raise && declared && !m_cancelled) {
        for (CPlsqlHandler& handler : block.handlers) {
            bool matches = handler.others;
            for (int id : handler.exceptions) matches = matches || id == m_raised.id;
            if (!matches) continue;
            m_handling.push_back(m_raised);
            flow = RunBody(handler.body);
            m_handling.pop_back();
            break;
        }
    }
    return flow;
}

CPlsqlInterpreter::Flow CPlsqlInterpreter::RunBody(CPlsqlBody& body) {
    for (std::size_t k = 0; k < body.size();) {
        Flow flow = Exec(*body[k]);
        if (flow == Flow::Normal) {
            ++k;
            continue;
        }
        // Note: a GOTO goes to the first sequence around it that has its label.
        if (flow != Flow::Goto) return flow;
        std::size_t target = Labelled(body, m_flowLabel);
        if (target == body.size()) return flow;
        if (Cancelled()) return Raise(1013, CPlsqlErrors::Text(1013), body[k]->at), Flow::Raise;
        m_flowLabel.clear();
        k = target;
    }
    return Flow::Normal;
}

std::size_t CPlsqlInterpreter::Labelled(const CPlsqlBody& body, const std::string& label) {
    for (std::size_t k = 0; k < body.size(); ++k)
        for (const std::string& name : body[k]->labels)
            if (name == label) return k;
    return body.size();
}

CPlsqlInterpreter::Flow CPlsqlInterpreter::Exec(CPlsqlStmt& statement) {
    using K = CPlsqlStmt::Kind;
    switch (statement.kind) {
        case K::Null:
            return Flow::Normal;
        case K::Assign:
        case K::Initialise:
            return ExecAssign(statement);
        case K::If:
            return ExecIf(statement);
        case K::Case:
            return ExecCase(statement);
        case K::Loop:
        case K::While:
            return ExecLoop(statement);
        case K::ForRange:
            return ExecForRange(statement);
        case K::ForCursor:
            return ExecForCursor(statement);
        case K::Exit:
        case K::Continue: {
            if (!statement.exprs.empty()) {
                bool holds = false;
                if (!Condition(*statement.exprs[0], holds)) return Flow::Raise;
                if (!holds) return Flow::Normal;
            }
            m_flowLabel = statement.label;
            return statement.kind == K::Exit ? Flow::Exit : Flow::Continue;
        }
        case K::Block:
            return RunBlock(*statement.block);
        case K::Goto:
            m_flowLabel = statement.label;
            return Flow::Goto;
        case K::Sql:
            return ExecSql(statement);
        case K::Open:
        case K::Fetch:
        case K::Close:
            return ExecCursor(statement);
        case CPlsqlStmt::Kind::OpenFor:
            return ExecOpenFor(statement);
        case K::Commit:
        case K::Rollback:
        case K::Savepoint:
        case K::RollbackTo:
            return ExecTransaction(statement);
        case K::ExecuteImmediate:
            return ExecImmediate(statement);
        case K::Raise:
            return ExecRaise(statement);
        case K::RaiseApplicationError:
            return ExecApplicationError(statement);
        case K::Output:
            return ExecOutput(statement);
        case K::Return:
            if (!statement.exprs.empty() && m_unit.returnType->base == CPlsqlType::Base::Cursor) {
                if (!CursorOf(*statement.exprs[0], m_returnedCursor)) return Flow::Raise;
                m_hasReturned = true;
            } else if (!statement.exprs.empty() && !m_unit.returnType->IsScalar()) {
                if (!ReturnDatum(*statement.exprs[0])) return Flow::Raise;
                m_hasReturned = true;
            } else if (!statement.exprs.empty()) {
                CPlsqlValue value;
                CPlsqlOperators::Failure failure;
                if (!Eval(*statement.exprs[0], value)) return Flow::Raise;
                if (!CPlsqlOperators::Convert(value, *m_unit.returnType, m_showDate, m_host.SessionZone(),
                                              m_returned, failure))
                    return RaiseFailure(failure, statement.at), Flow::Raise;
                m_hasReturned = true;
            }
            return Flow::Return;
        case K::CollectionMethod:
            return ExecMethod(statement);
        case K::ForAll:
            return ExecForAll(statement);
        case K::Builtin: {
            CPlsqlValue ignored;
            return CallBuiltin(statement.exception, statement.exprs, statement.at, ignored) ? Flow::Normal
                                                                                            : Flow::Raise;
        }
        case K::Call: {
            CPlsqlValue ignored;
            return CallUnit(statement.callee, statement.exprs, &statement.into, statement.at, ignored)
                       ? Flow::Normal
                       : Flow::Raise;
        }
    }
    return Flow::Normal;
}

CPlsqlInterpreter::Flow CPlsqlInterpreter::ExecAssign(CPlsqlStmt& statement) {
    const CPlsqlType* whole = statement.target.index ? nullptr : TypeOf(statement.target);
    if ((whole != nullptr && whole->base == CPlsqlType::Base::Cursor) ||
        (!statement.target.bind.empty() && !statement.exprs.empty() && YieldsCursor(*statement.exprs[0])))
        return AssignCursor(statement) ? Flow::Normal : Flow::Raise;
    if (whole != nullptr && whole->base == CPlsqlType::Base::Collection) {
        CPlsqlExpr* source = statement.exprs.empty() ? nullptr : statement.exprs[0].get();
        if (AssignCollection(statement.target, *whole, source)) return Flow::Normal;
        m_raised.at = statement.at;
        return Flow::Raise;
    }
    if (whole != nullptr && whole->base == CPlsqlType::Base::Record && statement.target.field < 0 &&
        !statement.exprs.empty())
        return AssignRecord(statement, *whole) ? Flow::Normal : Flow::Raise;
    if (!statement.target.index && statement.target.field >= 0 && statement.target.slot >= 0 &&
        statement.kind == CPlsqlStmt::Kind::Assign && SlotType(statement.target).object) {
        // An attribute of an object not made: ACCESS_INTO_NULL.
        Datum* datum = DatumOf(statement.target);
        if (datum != nullptr && datum->fields.empty())
            return Raise(6530, CPlsqlErrors::Text(6530), statement.at), Flow::Raise;
    }
    if (whole != nullptr && whole->object && statement.target.field >= 0 && !statement.exprs.empty())
        return AssignHeld(statement, *whole) ? Flow::Normal : Flow::Raise;
    const CPlsqlType* element = statement.target.index ? TypeOf(statement.target) : nullptr;
    if (element != nullptr && element->base == CPlsqlType::Base::Record && statement.target.field < 0 &&
        !statement.exprs.empty())
        return AssignRecordElement(statement, *element) ? Flow::Normal : Flow::Raise;
    CPlsqlValue value;
    if (!statement.exprs.empty() && !Eval(*statement.exprs[0], value)) return Flow::Raise;
    if (statement.kind == CPlsqlStmt::Kind::Initialise && statement.type->base == CPlsqlType::Base::Record) {
        Datum* datum = DatumOf(statement.target);
        if (datum == nullptr) return Flow::Raise;
        // Note: an object not yet made is null as a whole: it has no fields.
        if (statement.type->object) {
            datum->fields.clear();
            return Flow::Normal;
        }
        datum->fields.assign(statement.type->fields.size(), CPlsqlValue());
        return InitialiseFields(statement) ? Flow::Normal : Flow::Raise;
    }
    if (!Assign(statement.target, value)) {
        m_raised.at = statement.at;
        return Flow::Raise;
    }
    return Flow::Normal;
}

// A record declared: each field that has a default takes it, by its field's rules.
bool CPlsqlInterpreter::InitialiseFields(const CPlsqlStmt& statement) {
    const auto& defaults = statement.type->fieldDefaults;
    for (std::size_t k = 0; k < defaults.size(); ++k) {
        if (!defaults[k]) continue;
        CPlsqlValue value;
        if (!Eval(*defaults[k], value)) return false;
        CPlsqlTarget field = statement.target;
        field.field = static_cast<int>(k);
        if (!Write(field, value, statement.type->fields[k].type.get())) {
            m_raised.at = statement.at;
            return false;
        }
    }
    return true;
}

// record := record: the fields by their places, each by its field's rules.
bool CPlsqlInterpreter::AssignRecord(const CPlsqlStmt& statement, const CPlsqlType& type) {
    std::vector<CPlsqlValue> values;
    if (!RecordOf(*statement.exprs[0], type, values)) {
        m_raised.at = statement.at;
        return false;
    }
    if (values.empty() && type.object) {
        Datum* datum = DatumOf(statement.target);
        if (datum != nullptr) datum->fields.clear();
        return datum != nullptr;
    }
    for (std::size_t k = 0; k < values.size(); ++k) {
        CPlsqlTarget field = statement.target;
        field.field = static_cast<int>(k);
        if (!Write(field, values[k], type.fields[k].type.get())) {
            m_raised.at = statement.at;
            return false;
        }
    }
    return true;
}

bool CPlsqlInterpreter::RecordOf(CPlsqlExpr& source, const CPlsqlType& type,
                                 std::vector<CPlsqlValue>& fields) {
    auto mismatch = [&]() {
        return Raise(6502, CPlsqlErrors::ValueErrorText(CPlsqlErrors::ValueError::None), source.at);
    };
    if (source.kind == CPlsqlExpr::Kind::Literal && source.literal.IsNull()) {
        if (type.object)
            fields.clear();
        else
            fields.assign(type.fields.size(), CPlsqlValue());
        return true;
    }
    if (source.kind == CPlsqlExpr::Kind::Constructor && source.type && source.type->object) {
        if (source.args.size() != type.fields.size()) return mismatch();
        fields.resize(type.fields.size());
        for (std::size_t k = 0; k < fields.size(); ++k) {
            const CPlsqlType& field = *type.fields[k].type;
            if (field.object) {
                if (!HeldOf(*source.args[k], field, fields[k])) return false;
                continue;
            }
            CPlsqlValue value;
            if (!Eval(*source.args[k], value)) return false;
            CPlsqlOperators::Failure failure;
            fields[k] = value;
            if (field.IsScalar() && field.base != CPlsqlType::Base::Any &&
                !CPlsqlOperators::Convert(value, field, m_showDate, m_host.SessionZone(), fields[k], failure))
                return RaiseFailure(failure, source.args[k]->at);
        }
        return true;
    }
    if (source.kind == CPlsqlExpr::Kind::Call) {
        CPlsqlValue ignored;
        if (!CallUnit(source.callee, source.args, nullptr, source.at, ignored)) return false;
        fields = std::move(m_datumResult.fields);
        if (fields.size() != type.fields.size()) return mismatch();
        return true;
    }
    const bool attribute = source.kind == CPlsqlExpr::Kind::Variable && source.target.object;
    if (attribute || source.kind == CPlsqlExpr::Kind::Field) {
        // An object an attribute holds, by its constructor's text.
        const CPlsqlType* held =
            attribute ? TypeOf(source.target)
                      : source.type->fields[static_cast<std::size_t>(source.target.field)].type.get();
        CPlsqlValue text;
        if (held == nullptr || !held->object || held->name != type.name) return mismatch();
        if (!(attribute ? Read(source.target, text) : Eval(source, text))) return false;
        fields.clear();
        if (text.IsNull()) return true;
        if (text.GetKind() != Kind::Text || !CObjectText::Read(text.TextValue(), type, fields))
            return Raise(932, CPlsqlErrors::Text(932), source.at);
        return true;
    }
    if (source.kind == CPlsqlExpr::Kind::Variable && source.target.field >= 0 && !source.target.index &&
        !source.target.object) {
        const CPlsqlType* held = TypeOf(source.target);
        if (held == nullptr || !held->object || held->name != type.name) return mismatch();
        return HeldObject(source.target, type, fields);
    }
    if (source.kind != CPlsqlExpr::Kind::Variable || source.target.field >= 0) return mismatch();
    if (source.target.index) {
        const CPlsqlType* element = TypeOf(source.target);
        if (element == nullptr || element->base != CPlsqlType::Base::Record) return mismatch();
        fields.resize(element->fields.size());
        for (std::size_t k = 0; k < fields.size(); ++k) {
            CPlsqlTarget field = source.target;
            field.field = static_cast<int>(k);
            if (!ReadElement(field, fields[k])) return false;
        }
    } else {
        const Datum* from = DatumOf(source.target);
        if (from == nullptr) return false;
        fields = from->fields;
        if (type.object && fields.empty()) return true;
    }
    if (fields.size() != type.fields.size()) return mismatch();
    return true;
}

bool CPlsqlInterpreter::AssignRecordElement(CPlsqlStmt& statement, const CPlsqlType& type) {
    std::vector<CPlsqlValue> values;
    if (!RecordOf(*statement.exprs[0], type, values)) return false;
    for (std::size_t k = 0; k < values.size(); ++k) {
        CPlsqlTarget field = statement.target;
        field.field = static_cast<int>(k);
        if (!WriteElement(field, values[k])) return false;
    }
    return true;
}

CPlsqlInterpreter::Flow CPlsqlInterpreter::ExecIf(CPlsqlStmt& statement) {
    for (std::size_t k = 0; k < statement.exprs.size(); ++k) {
        bool holds = false;
        if (!Condition(*statement.exprs[k], holds)) return Flow::Raise;
        if (holds) return RunBody(statement.bodies[k]);
    }
    if (statement.hasElse) return RunBody(statement.bodies.back());
    return Flow::Normal;
}

CPlsqlInterpreter::Flow CPlsqlInterpreter::ExecCase(CPlsqlStmt& statement) {
    CPlsqlValue selector;
    bool simple = statement.exprs[0] != nullptr;
    if (simple && !Eval(*statement.exprs[0], selector)) return Flow::Raise;
    for (std::size_t k = 1; k < statement.exprs.size(); ++k) {
        bool holds = false;
        if (simple) {
            CPlsqlValue candidate;
            if (!Eval(*statement.exprs[k], candidate)) return Flow::Raise;
            int order = 0;
            CPlsqlOperators::Failure failure;
            if (!selector.IsNull() && !candidate.IsNull()) {
                if (!CPlsqlOperators::Compare(selector, candidate, order, failure, m_host.SessionZone()))
                    return RaiseFailure(failure, statement.exprs[k]->at), Flow::Raise;
                holds = order == 0;
            }
        } else if (!Condition(*statement.exprs[k], holds)) {
            return Flow::Raise;
        }
        if (holds) return RunBody(statement.bodies[k - 1]);
    }
    if (statement.hasElse) return RunBody(statement.bodies.back());
    Raise(6592, CPlsqlErrors::Text(6592), statement.at);
    return Flow::Raise;
}

bool CPlsqlInterpreter::LoopGoesOn(Flow body, const std::string& label, Flow& flow) {
    if (body == Flow::Normal) return true;
    bool mine = m_flowLabel.empty() || m_flowLabel == label;
    if (body == Flow::Continue && mine) {
        m_flowLabel.clear();
        return true;
    }
    if (body == Flow::Exit && mine) {
        m_flowLabel.clear();
        flow = Flow::Normal;
        return false;
    }
    flow = body;
    return false;
}

CPlsqlInterpreter::Flow CPlsqlInterpreter::ExecLoop(CPlsqlStmt& statement) {
    Flow flow = Flow::Normal;
    for (;;) {
        if (Cancelled()) return Raise(1013, CPlsqlErrors::Text(1013), statement.at), Flow::Raise;
        if (statement.kind == CPlsqlStmt::Kind::While) {
            bool holds = false;
            if (!Condition(*statement.exprs[0], holds)) return Flow::Raise;
            if (!holds) return Flow::Normal;
        }
        if (!LoopGoesOn(RunBody(statement.bodies[0]), statement.label, flow)) return flow;
    }
}

bool CPlsqlInterpreter::EvalBounds(CPlsqlStmt& statement, CPlsqlValue (&bounds)[2], bool atBound) {
    CPlsqlType integer;
    integer.base = CPlsqlType::Base::Integer;
    integer.minimum = INT64_MIN;
    integer.maximum = INT64_MAX;
    for (std::size_t k = 0; k < 2; ++k) {
        CPlsqlValue value;
        CPlsqlOperators::Failure failure;
        if (!Eval(*statement.exprs[k], value)) return false;
        if (value.IsNull() ||
            !CPlsqlOperators::Convert(value, integer, m_showDate, m_host.SessionZone(), bounds[k], failure)) {
            if (failure.code == 0) failure.code = 6502;
            RaiseFailure(failure, atBound ? statement.exprs[k]->at : statement.at);
            return false;
        }
    }
    return true;
}

CPlsqlInterpreter::Flow CPlsqlInterpreter::ExecForRange(CPlsqlStmt& statement) {
    CPlsqlValue bounds[2];
    if (!EvalBounds(statement, bounds, true)) return Flow::Raise;
    std::int64_t low = bounds[0].IntegerValue();
    std::int64_t high = bounds[1].IntegerValue();
    CPlsqlValue& index = m_slots[static_cast<std::size_t>(statement.slot)].value;
    Flow flow = Flow::Normal;
    for (std::int64_t step = 0; low <= high && step <= high - low; ++step) {
        if (Cancelled()) return Raise(1013, CPlsqlErrors::Text(1013), statement.at), Flow::Raise;
        index = CPlsqlValue::Integer(statement.reverse ? high - step : low + step);
        if (!LoopGoesOn(RunBody(statement.bodies[0]), statement.label, flow)) return flow;
        if (high - low == step) break;
    }
    return Flow::Normal;
}

CPlsqlInterpreter::Flow CPlsqlInterpreter::ExecForPackageCursor(CPlsqlStmt& statement) {
    if (!OpenRefCursor(statement)) return Flow::Raise;
    Datum* datum = DatumOf(statement.target);
    if (datum == nullptr) return Flow::Raise;
    std::shared_ptr<CPlsqlRefCursor> cursor = datum->cursor;
    Datum& record = m_slots[static_cast<std::size_t>(statement.slot)];
    Flow flow = Flow::Normal;
    std::vector<CPlsqlValue> row;
    while (cursor->IsOpen() && cursor->Fetch(row)) {
        if (Cancelled()) {
            flow = Flow::Raise;
            Raise(1013, CPlsqlErrors::Text(1013), statement.at);
            break;
        }
        record.fields = row;
        if (!LoopGoesOn(RunBody(statement.bodies[0]), statement.label, flow)) break;
    }
    cursor->Close();
    return flow;
}

CPlsqlInterpreter::Flow CPlsqlInterpreter::ExecForCursor(CPlsqlStmt& statement) {
    if (statement.packageCursor) return ExecForPackageCursor(statement);
    CPlsqlSql* sql = statement.sql.get();
    CPlsqlInterpreter& owner = Frame(statement.cursorOuter);
    if (statement.cursor >= 0) {
        if (!OpenCursor(statement.cursor, statement.cursorOuter, statement.exprs, statement.at))
            return Flow::Raise;
        sql = owner.m_unit.cursors[static_cast<std::size_t>(statement.cursor)].query.get();
    } else if (!BindSql(*sql)) {
        return Flow::Raise;
    }
    sqlite3_stmt* handle = sql->statement.get();
    Datum& record = m_slots[static_cast<std::size_t>(statement.slot)];
    Flow flow = Flow::Normal;
    CursorState* state =
        statement.cursor >= 0 ? &owner.m_cursors[static_cast<std::size_t>(statement.cursor)] : nullptr;
    for (;;) {
        if (Cancelled()) {
            flow = Flow::Raise;
            Raise(1013, CPlsqlErrors::Text(1013), statement.at);
            break;
        }
        int rc = sqlite3_step(handle);
        if (rc == SQLITE_DONE) break;
        if (rc != SQLITE_ROW) {
            StepFailed(*sql);
            flow = Flow::Raise;
            break;
        }
        if (state != nullptr) {
            ++state->rows;
            state->found = true;
            if (sql->skip > 0) state->rowid = CPlsqlValue::Integer(sqlite3_column_int64(handle, 0));
        }
        if (!StoreRow(handle, *sql, record)) {
            flow = Flow::Raise;
            break;
        }
        if (!LoopGoesOn(RunBody(statement.bodies[0]), statement.label, flow)) break;
    }
    sqlite3_reset(handle);
    if (state != nullptr) state->open = false;
    return flow;
}

CPlsqlInterpreter::Flow CPlsqlInterpreter::ExecMerge(CPlsqlStmt& statement) {
    CPlsqlSql& sql = *statement.sql;
    if (!Reachable(sql, statement.at)) return Flow::Raise;
    std::vector<CEngineBind> binds;
    for (std::size_t k = 0; k < sql.params.size(); ++k) {
        CPlsqlValue value;
        if (!Read(sql.params[k], value) || !BindText(sql.paramNames[k], value, statement.at, binds))
            return Flow::Raise;
        // Note: a date goes as the engine stores it.
        if (value.GetKind() == Kind::Date) binds.back().value = value.TextValue();
    }
    CEngineError error;
    if (!m_host.BeginWrite(error)) return RaiseError(error, statement.at), Flow::Raise;
    m_host.NextStatement();
    long rows = 0;
    if (!m_host.RunMerge(sql.text, binds, rows, error)) return RaiseError(error, statement.at), Flow::Raise;
    m_sqlRan = true;
    m_sqlRows = rows;
    m_rowsProcessed += rows;
    return Flow::Normal;
}

CPlsqlInterpreter::Flow CPlsqlInterpreter::ExecSql(CPlsqlStmt& statement) {
    CPlsqlSql& sql = *statement.sql;
    if (sql.merge) return ExecMerge(statement);
    if (!BindSql(sql)) return Flow::Raise;
    sqlite3_stmt* handle = sql.statement.get();
    CEngineError error;
    if (sql.bulk) {
        // Note: DML ... RETURNING BULK COLLECT fires its statement triggers
        // and is undone whole when it fails, as any DML.
        const bool dml = sql.kind == CPlsqlSql::Kind::Dml;
        if (dml && !m_host.BeginWrite(error)) return RaiseError(error, statement.at), Flow::Raise;
        if (dml) m_host.NextStatement();
        if (dml && !m_host.BeforeDml(sql.text, false, error)) {
            sqlite3_reset(handle);
            return RaiseError(error, statement.at), Flow::Raise;
        }
        long rows = 0;
        bool done = false;
        long changes = 0;
        std::vector<CPlsqlCollection*> collections;
        bool ok = dml ? FreshCollections(sql.into, collections) &&
                            ReturnBulk(sql, sql.into, collections, rows, changes)
                      : StoreBulk(handle, sql, sql.into, 0, rows, done);
        sqlite3_reset(handle);
        if (!ok) {
            m_raised.at = statement.at;
            EndDml(sql, false, statement.at);
            return Flow::Raise;
        }
        if (dml) rows = changes;
        if (dml) m_rowsProcessed += rows;
        if (!EndDml(sql, true, statement.at)) return Flow::Raise;
        m_sqlRan = true;
        m_sqlRows = rows;
        return Flow::Normal;
    }
    if (sqlite3_stmt_readonly(handle) == 0 && !m_host.BeginWrite(error))
        return RaiseError(error, statement.at), Flow::Raise;
    m_host.NextStatement();
    if (sql.kind == CPlsqlSql::Kind::Dml && !m_host.BeforeDml(sql.text, false, error)) {
        sqlite3_reset(handle);
        return RaiseError(error, statement.at), Flow::Raise;
    }
    int rc = sqlite3_step(handle);
    long rows = 0;
    std::vector<std::int64_t> rowids;
    if (rc == SQLITE_ROW && sql.readBack) rowids.push_back(sqlite3_column_int64(handle, 0));
    if (rc == SQLITE_ROW && !sql.into.empty()) {
        if (!Store(handle, sql, sql.into)) {
            sqlite3_reset(handle);
            m_raised.at = statement.at;
            EndDml(sql, false, statement.at);
            return Flow::Raise;
        }
        rows = 1;
        rc = sqlite3_step(handle);
        if (rc == SQLITE_ROW) {
            sqlite3_reset(handle);
            m_sqlRan = true;
            m_sqlRows = 2;
            EndDml(sql, false, statement.at);
            return Raise(1422, CPlsqlErrors::Text(1422), statement.at), Flow::Raise;
        }
    }
    while (rc == SQLITE_ROW) rc = sqlite3_step(handle);
    if (rc != SQLITE_DONE) {
        StepFailed(sql);
        sqlite3_reset(handle);
        m_raised.at = statement.at;
        EndDml(sql, false, statement.at);
        return Flow::Raise;
    }
    bool readBack = rows == 0 && sql.returning && !sql.into.empty();
    if (sql.kind == CPlsqlSql::Kind::Dml) {
        rows = m_host.Changes();
        m_rowsProcessed += rows;
    }
    sqlite3_reset(handle);
    if ((readBack && rows == 1 && !StoreInserted(sql)) || (rowids.size() == 1 && !StoreRow(sql, rowids))) {
        m_raised.at = statement.at;
        EndDml(sql, false, statement.at);
        return Flow::Raise;
    }
    if (!EndDml(sql, true, statement.at)) return Flow::Raise;
    m_sqlRan = true;
    m_sqlRows = rows;
    if (sql.kind == CPlsqlSql::Kind::Query && rows == 0)
        return Raise(1403, CPlsqlErrors::Text(1403), statement.at), Flow::Raise;
    return Flow::Normal;
}

bool CPlsqlInterpreter::StoreInserted(CPlsqlSql& sql) {
    std::vector<CSqlScanner::Token> first = CSqlScanner::Significant(sql.text, 1);
    if (first.empty() || !CSqlScanner::Is(sql.text, first[0], "INSERT")) return true;
    bool compiled = false;
    sqliteapi::Statement statement =
        ReadBackStatement(sql, sql.returningText, "ORDER BY rowid DESC LIMIT 1", compiled);
    // Note: a view's INSTEAD OF trigger leaves no row of its own to read back.
    if (!compiled) return true;
    if (!statement) return false;
    return sqlite3_step(statement.get()) != SQLITE_ROW || Store(statement.get(), sql, sql.into);
}

sqliteapi::Statement CPlsqlInterpreter::ReadBackStatement(CPlsqlSql& sql, const std::string& columns,
                                                          const std::string& which, bool& compiled) {
    const std::string query = CReturningInto::ReadBackText(CReturningInto::Target(sql.text), columns, which);
    sqlite3_stmt* raw = nullptr;
    compiled = sqlite3_prepare_v2(m_host.Database(), query.c_str(), -1, &raw, nullptr) == SQLITE_OK;
    sqliteapi::Statement statement(raw);
    if (!compiled) return {};
    for (std::size_t k = 0; k < sql.params.size(); ++k) {
        int index = sqlite3_bind_parameter_index(raw, (":" + sql.paramNames[k]).c_str());
        CPlsqlValue value;
        if (index > 0 && (!Read(sql.params[k], value) || !BindValue(raw, index, value))) return {};
    }
    return statement;
}

sqliteapi::Statement CPlsqlInterpreter::ReadBackQuery(CPlsqlSql& sql,
                                                      const std::vector<std::int64_t>& rowids) {
    std::string list;
    for (std::int64_t rowid : rowids) list += (list.empty() ? "" : ",") + std::to_string(rowid);
    // Note: the rows come in the order the statement touched them.
    bool compiled = false;
    sqliteapi::Statement statement = ReadBackStatement(
        sql, "rowid, " + sql.returningText,
        "WHERE rowid IN (" + list + ") ORDER BY instr('," + list + ",', ',' || rowid || ',')", compiled);
    if (!compiled) StepFailed(sql);
    return statement;
}

bool CPlsqlInterpreter::StoreRow(CPlsqlSql& sql, const std::vector<std::int64_t>& rowids) {
    sqliteapi::Statement statement = ReadBackQuery(sql, rowids);
    if (!statement) return false;
    return sqlite3_step(statement.get()) != SQLITE_ROW || Store(statement.get(), sql, sql.into);
}

bool CPlsqlInterpreter::StoreReadBack(CPlsqlSql& sql, long& rows) {
    sqlite3_stmt* handle = sql.statement.get();
    std::vector<std::int64_t> rowids;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(handle)) == SQLITE_ROW) rowids.push_back(sqlite3_column_int64(handle, 0));
    if (rc != SQLITE_DONE) return StepFailed(sql);
    sqlite3_reset(handle);
    sqliteapi::Statement statement;
    if (!rowids.empty() && !(statement = ReadBackQuery(sql, rowids))) return false;
    bool done = false;
    return StoreBulk(statement.get(), sql, sql.into, 0, rows, done);
}

bool CPlsqlInterpreter::EndDml(const CPlsqlSql& sql, bool ran, std::size_t at) {
    if (sql.kind != CPlsqlSql::Kind::Dml) return true;
    CEngineError error;
    if (m_host.AfterDml(ran, error) || !ran) return true;
    RaiseError(error, at);
    return false;
}

bool CPlsqlInterpreter::OpenCursor(int cursor, int outer, std::vector<std::unique_ptr<CPlsqlExpr>>& args,
                                   std::size_t at) {
    CPlsqlInterpreter& owner = Frame(outer);
    CPlsqlCursorDecl& declared = owner.m_unit.cursors[static_cast<std::size_t>(cursor)];
    CursorState& state = owner.m_cursors[static_cast<std::size_t>(cursor)];
    if (state.open) return Raise(6511, CPlsqlErrors::Text(6511), at);
    if (args.size() > declared.parameters.size())
        return Raise(6550, CPlsqlErrors::Compile(m_unit.LineOf(at), m_unit.ColumnOf(at), 306, declared.name),
                     at);
    for (std::size_t k = 0; k < declared.parameters.size(); ++k) {
        CPlsqlValue value;
        if (k < args.size() && args[k] != nullptr && !Eval(*args[k], value)) return false;
        CPlsqlExpr* fallback = k < args.size() && args[k] != nullptr ? nullptr : declared.defaults[k].get();
        if (fallback != nullptr && !owner.Eval(*fallback, value)) return Adopt(owner, at);
        CPlsqlTarget target;
        target.slot = declared.parameters[k];
        if (!owner.Assign(target, value)) return Adopt(owner, at);
    }
    if (!owner.BindSql(*declared.query)) return Adopt(owner, at);
    state.open = true;
    state.found = false;
    state.fetched = false;
    state.exhausted = false;
    state.rows = 0;
    return true;
}

CPlsqlInterpreter::Flow CPlsqlInterpreter::ExecOpenFor(CPlsqlStmt& statement) {
    if (statement.target.bind.empty()) return OpenRefCursor(statement) ? Flow::Normal : Flow::Raise;
    CPlsqlRefCursor opened;
    CPlsqlSql* sql = nullptr;
    std::vector<CPlsqlValue> values;
    if (!OpenedQuery(statement, opened, sql, values)) return Flow::Raise;
    CEngineError error;
    if (!m_host.OpenCursorVariable(statement.target.bind, opened.query, std::move(opened.binds), error))
        return RaiseError(error, statement.at), Flow::Raise;
    return Flow::Normal;
}

bool CPlsqlInterpreter::BindText(const std::string& name, const CPlsqlValue& value, std::size_t at,
                                 std::vector<CEngineBind>& binds) {
    CPlsqlOperators::Failure failure;
    std::string text;
    if (!CPlsqlOperators::ToText(value, m_showDate, text, failure)) return RaiseFailure(failure, at);
    int type = value.GetKind() == CPlsqlValue::Kind::Number ? servertype::kNumber : 1;
    binds.push_back(CEngineBind{name, text, value.IsNull(), type});
    return true;
}

bool CPlsqlInterpreter::OpenedQuery(CPlsqlStmt& statement, CPlsqlRefCursor& cursor, CPlsqlSql*& sql,
                                    std::vector<CPlsqlValue>& values) {
    if (sql == nullptr) sql = statement.sql.get();
    if (sql != nullptr) {
        values.resize(sql->params.size());
        for (std::size_t k = 0; k < sql->params.size(); ++k)
            if (!Read(sql->params[k], values[k])) return false;
    } else {
        CPlsqlValue text;
        std::string query;
        CPlsqlOperators::Failure failure;
        if (!Eval(*statement.exprs[0], text)) return false;
        if (!CPlsqlOperators::ToText(text, m_showDate, query, failure))
            return RaiseFailure(failure, statement.at);
        sql = DynamicSql(query, true, statement.at);
        if (sql == nullptr) return false;
        if (sql->paramNames.size() != statement.exprs.size() - 1)
            return Raise(1008, CPlsqlErrors::Text(1008), statement.at);
        values.resize(sql->paramNames.size());
        for (std::size_t k = 1; k < statement.exprs.size(); ++k)
            if (!Eval(*statement.exprs[k], values[k - 1])) return false;
    }
    if (!Reachable(*sql, statement.at)) return false;
    cursor.query = sql->text;
    cursor.binds.clear();
    for (std::size_t k = 0; k < values.size(); ++k)
        if (!BindText(sql->paramNames[k], values[k], statement.at, cursor.binds)) return false;
    return true;
}

CPlsqlSql* CPlsqlInterpreter::DynamicSql(const std::string& text, bool query, std::size_t at) {
    auto& kept = m_dynamic[text];
    if (kept) return kept.get();
    auto sql = std::make_unique<CPlsqlSql>();
    sql->kind = query ? CPlsqlSql::Kind::Query : CPlsqlSql::Kind::Dml;
    sql->at = at;
    std::size_t copied = 0;
    auto tokens = CSqlScanner::Significant(text);
    std::size_t end = text.size();
    int depth = 0;
    for (std::size_t k = 0; k < tokens.size(); ++k) {
        const auto& token = tokens[k];
        depth += CSqlScanner::IsSymbol(text, token, '(')   ? 1
                 : CSqlScanner::IsSymbol(text, token, ')') ? -1
                                                           : 0;
        bool returning =
            !query && k > 0 && depth == 0 &&
            (CSqlScanner::Is(text, token, "RETURNING") || CSqlScanner::Is(text, token, "RETURN"));
        if (returning) {
            // RETURNING expressions INTO :placeholders: the values the statement answers.
            std::size_t into = k + 1;
            while (into < tokens.size() && !CSqlScanner::Is(text, tokens[into], "INTO")) ++into;
            std::size_t from = token.begin + token.length;
            std::size_t to = into < tokens.size() ? tokens[into].begin : text.size();
            sql->returningText = CReturningInto::Unqualified(std::string_view(text).substr(0, token.begin),
                                                             std::string_view(text).substr(from, to - from));
            end = token.begin;
            break;
        }
        if (token.kind != CSqlScanner::Kind::Bind) continue;
        sql->text.append(text, copied, token.begin - copied);
        std::string name = "TARVEX_P" + std::to_string(sql->paramNames.size() + 1);
        sql->paramNames.push_back(name);
        sql->text += ":" + name;
        copied = token.begin + token.length;
    }
    sql->text.append(text, copied, end - copied);
    CEngineError error;
    if (!m_host.Prepare(*sql, error)) {
        m_dynamic.erase(text);
        RaiseError(error, at);
        return nullptr;
    }
    kept = std::move(sql);
    return kept.get();
}

CPlsqlSql* CPlsqlInterpreter::PackageCursorQuery(CPlsqlStmt& statement) {
    const CPlsqlTarget& target = statement.target;
    int query = SlotType(target).cursorQuery;
    bool invalid = false;
    auto package = m_host.FindPackage(target.package, invalid);
    if (!package || query < 0) return Raise(6508, CPlsqlErrors::Text(6508), statement.at), nullptr;
    CPlsqlCursorDecl& declared = package->frame->cursors[static_cast<std::size_t>(query)];
    if (statement.exprs.size() > declared.parameters.size())
        return Raise(6550,
                     CPlsqlErrors::Compile(m_unit.LineOf(statement.at), m_unit.ColumnOf(statement.at), 306,
                                           declared.name),
                     statement.at),
               nullptr;
    for (std::size_t k = 0; k < declared.parameters.size(); ++k) {
        CPlsqlValue value;
        CPlsqlExpr* source =
            k < statement.exprs.size() ? statement.exprs[k].get() : declared.defaults[k].get();
        if (source != nullptr && !Eval(*source, value)) return nullptr;
        CPlsqlTarget parameter;
        parameter.slot = declared.parameters[k];
        parameter.package = target.package;
        parameter.at = statement.at;
        if (!Assign(parameter, value)) return nullptr;
    }
    return declared.query.get();
}

bool CPlsqlInterpreter::OpenRefCursor(CPlsqlStmt& statement) {
    Datum* datum = DatumOf(statement.target);
    if (datum == nullptr) return false;
    auto opened = std::make_shared<CPlsqlRefCursor>();
    CPlsqlSql* sql = nullptr;
    bool packaged = statement.packageCursor;
    if (packaged) {
        // Note: a package's cursor is an explicit cursor: opened once at a time.
        if (datum->cursor && datum->cursor->IsOpen())
            return Raise(6511, CPlsqlErrors::Text(6511), statement.at);
        if ((sql = PackageCursorQuery(statement)) == nullptr) return false;
    }
    std::vector<CPlsqlValue> values;
    if (!OpenedQuery(statement, *opened, sql, values)) return false;
    if (statement.sql || packaged) {
        if (!BindSql(*sql)) return false;
    } else {
        sqlite3_reset(sql->statement.get());
        for (std::size_t k = 0; k < values.size(); ++k) {
            int index =
                sqlite3_bind_parameter_index(sql->statement.get(), (":" + sql->paramNames[k]).c_str());
            if (index > 0 && !BindValue(sql->statement.get(), index, values[k]))
                return m_raised.at = statement.at, false;
        }
    }
    sqlite3_stmt* handle = sql->statement.get();
    for (;;) {
        if (Cancelled()) return sqlite3_reset(handle), Raise(1013, CPlsqlErrors::Text(1013), statement.at);
        int rc = sqlite3_step(handle);
        if (rc == SQLITE_DONE) break;
        if (rc != SQLITE_ROW) return StepFailed(*sql), m_raised.at = statement.at, false;
        if (opened->rows.size() >= CPlsqlCollection::kMaxElements)
            return sqlite3_reset(handle), Raise(6500, CPlsqlErrors::Text(6500), statement.at);
        std::vector<CPlsqlValue> row(static_cast<std::size_t>(ColumnCount(handle, *sql)));
        for (std::size_t k = 0; k < row.size(); ++k) row[k] = Column(handle, *sql, static_cast<int>(k));
        opened->rows.push_back(std::move(row));
    }
    sqlite3_reset(handle);
    opened->columns = sql->columns;
    opened->Reopen();
    // Note: OPEN reopens the cursor the variable points to; a variable
    // assigned from this one sees the new rows too.
    if (datum->cursor)
        *datum->cursor = std::move(*opened);
    else
        datum->cursor = std::move(opened);
    return true;
}

CPlsqlInterpreter::Flow CPlsqlInterpreter::ExecRefCursor(CPlsqlStmt& statement) {
    Datum* datum = DatumOf(statement.target);
    if (datum == nullptr) return Flow::Raise;
    CPlsqlRefCursor* cursor = datum->cursor.get();
    if (cursor == nullptr || !cursor->IsOpen())
        return Raise(1001, CPlsqlErrors::Text(1001), statement.at), Flow::Raise;
    if (statement.kind == CPlsqlStmt::Kind::Close) {
        cursor->Close();
        return Flow::Normal;
    }
    std::vector<CPlsqlValue> row;
    if (!statement.bulk) {
        if (!cursor->Fetch(row)) return Flow::Normal;
        return StoreValues(row, statement.into) ? Flow::Normal : (m_raised.at = statement.at, Flow::Raise);
    }
    long limit = 0;
    if (!statement.exprs.empty() && !EvalLimit(*statement.exprs[0], statement.at, limit)) return Flow::Raise;
    std::vector<CPlsqlCollection*> collections;
    if (!FreshCollections(statement.into, collections)) return m_raised.at = statement.at, Flow::Raise;
    for (long rows = 0; limit <= 0 || rows < limit; ++rows) {
        if (!cursor->Fetch(row)) break;
        if (!AppendBulk(row, statement.into, collections, rows + 1))
            return m_raised.at = statement.at, Flow::Raise;
    }
    return Flow::Normal;
}

bool CPlsqlInterpreter::YieldsCursor(const CPlsqlExpr& expr) const {
    if (expr.kind == CPlsqlExpr::Kind::Call) {
        auto callee = expr.callee.lock();
        return callee && callee->returnType && callee->returnType->base == CPlsqlType::Base::Cursor;
    }
    const CPlsqlType* type = expr.kind == CPlsqlExpr::Kind::Variable ? TypeOf(expr.target) : nullptr;
    return type != nullptr && type->base == CPlsqlType::Base::Cursor;
}

bool CPlsqlInterpreter::CursorOf(CPlsqlExpr& expr, std::shared_ptr<CPlsqlRefCursor>& out) {
    if (expr.kind == CPlsqlExpr::Kind::Literal && expr.literal.IsNull()) {
        out.reset();
        return true;
    }
    if (!YieldsCursor(expr))
        return RaiseFailure(CPlsqlOperators::Failure{6502, CPlsqlErrors::ValueError::None, {}}, expr.at);
    if (expr.kind == CPlsqlExpr::Kind::Variable) {
        Datum* datum = DatumOf(expr.target);
        if (datum == nullptr) return false;
        out = datum->cursor;
        return true;
    }
    CPlsqlValue ignored;
    m_cursorResult.reset();
    if (!Eval(expr, ignored)) return false;
    out = std::move(m_cursorResult);
    return true;
}

bool CPlsqlInterpreter::SetCursor(const CPlsqlTarget& target, const std::shared_ptr<CPlsqlRefCursor>& cursor,
                                  std::size_t at) {
    if (target.bind.empty()) {
        Datum* datum = DatumOf(target);
        if (datum == nullptr) return false;
        datum->cursor = cursor;
        return true;
    }
    if (FindBind(m_binds, target.bind) == nullptr)
        return Raise(1008, CPlsqlErrors::Text(1008, target.bind), target.at);
    if (!cursor || !cursor->IsOpen()) return Raise(1001, CPlsqlErrors::Text(1001), at);
    CEngineError error;
    if (!m_host.GiveCursor(target.bind, *cursor, error)) return RaiseError(error, at);
    return true;
}

bool CPlsqlInterpreter::AssignCursor(CPlsqlStmt& statement) {
    std::shared_ptr<CPlsqlRefCursor> cursor;
    if (!statement.exprs.empty() && !CursorOf(*statement.exprs[0], cursor)) return false;
    return SetCursor(statement.target, cursor, statement.at);
}

CPlsqlInterpreter::Flow CPlsqlInterpreter::ExecCursor(CPlsqlStmt& statement) {
    if (statement.cursor < 0) return ExecRefCursor(statement);
    CPlsqlInterpreter& owner = Frame(statement.cursorOuter);
    CursorState& state = owner.m_cursors[static_cast<std::size_t>(statement.cursor)];
    CPlsqlSql& query = *owner.m_unit.cursors[static_cast<std::size_t>(statement.cursor)].query;
    if (statement.kind == CPlsqlStmt::Kind::Open)
        return OpenCursor(statement.cursor, statement.cursorOuter, statement.exprs, statement.at)
                   ? Flow::Normal
                   : Flow::Raise;
    if (!state.open) return Raise(1001, CPlsqlErrors::Text(1001), statement.at), Flow::Raise;
    if (statement.kind == CPlsqlStmt::Kind::Close) {
        sqlite3_reset(query.statement.get());
        state.open = false;
        return Flow::Normal;
    }
    state.fetched = true;
    if (statement.bulk) {
        long limit = 0;
        if (!statement.exprs.empty() && !EvalLimit(*statement.exprs[0], statement.at, limit))
            return Flow::Raise;
        long rows = 0;
        bool done = state.exhausted;
        if (!done && !StoreBulk(query.statement.get(), query, statement.into, limit, rows, done))
            return m_raised.at = statement.at, Flow::Raise;
        if (state.exhausted) StoreBulk(nullptr, query, statement.into, 0, rows, done);
        state.exhausted = done;
        state.rows += rows;
        state.found = !done;
        return Flow::Normal;
    }
    // Note: a cursor past its end stays there (SQLite would begin again).
    int rc = state.exhausted ? SQLITE_DONE : sqlite3_step(query.statement.get());
    if (rc == SQLITE_DONE) {
        state.found = false;
        state.exhausted = true;
        return Flow::Normal;
    }
    if (rc != SQLITE_ROW) return StepFailed(query), m_raised.at = statement.at, Flow::Raise;
    state.found = true;
    ++state.rows;
    if (query.skip > 0) state.rowid = CPlsqlValue::Integer(sqlite3_column_int64(query.statement.get(), 0));
    if (!Store(query.statement.get(), query, statement.into)) {
        m_raised.at = statement.at;
        return Flow::Raise;
    }
    return Flow::Normal;
}

CPlsqlInterpreter::Flow CPlsqlInterpreter::ExecTransaction(CPlsqlStmt& statement) {
    CEngineError error;
    bool ok = true;
    switch (statement.kind) {
        case CPlsqlStmt::Kind::Commit:
            ok = m_host.Commit(error);
            break;
        case CPlsqlStmt::Kind::Rollback:
            ok = m_host.Rollback(error);
            break;
        default:
            ok = m_host.Savepoint(statement.name, statement.kind == CPlsqlStmt::Kind::RollbackTo, error);
            break;
    }
    if (!ok) return RaiseError(error, statement.at), Flow::Raise;
    return Flow::Normal;
}

CPlsqlInterpreter::Flow CPlsqlInterpreter::ExecImmediate(CPlsqlStmt& statement) {
    CPlsqlValue textValue;
    if (!Eval(*statement.exprs[0], textValue)) return Flow::Raise;
    std::string text;
    CPlsqlOperators::Failure failure;
    if (!CPlsqlOperators::ToText(textValue, m_showDate, text, failure))
        return RaiseFailure(failure, statement.at), Flow::Raise;
    while (!text.empty() && (text.back() == ';' || text.back() == ' ' || text.back() == '\n')) {
        // Note: a block keeps its final ";"; a SQL statement may not have one.
        if (text.back() == ';' && cp932::ToUpperAscii(text).find("END") != std::string::npos &&
            (cp932::ToUpperAscii(text).rfind("BEGIN", 0) == 0 ||
             cp932::ToUpperAscii(text).rfind("DECLARE", 0) == 0))
            break;
        text.pop_back();
    }
    auto tokens = CSqlScanner::Significant(text, 1);
    auto first = [&](std::string_view word) {
        return !tokens.empty() && CSqlScanner::Is(text, tokens[0], word);
    };
    bool query = first("SELECT") || first("WITH");
    bool dml = first("INSERT") || first("UPDATE") || first("DELETE");
    CEngineError error;
    if (first("BEGIN") || first("DECLARE"))
        return ExecDynamicBlock(statement, text) ? Flow::Normal : Flow::Raise;
    if (!query && !dml) {
        if (statement.exprs.size() > 1 || !statement.into.empty())
            return Raise(3001, CPlsqlErrors::Text(3001, "EXECUTE IMMEDIATE ... USING"), statement.at),
                   Flow::Raise;
        long rows = 0;
        if (!m_host.ExecuteOther(text, rows, error)) return RaiseError(error, statement.at), Flow::Raise;
        m_sqlRan = true;
        m_sqlRows = rows;
        return Flow::Normal;
    }
    CPlsqlSql* kept = DynamicSql(text, query, statement.at);
    if (kept == nullptr || !Reachable(*kept, statement.at)) return Flow::Raise;
    CPlsqlSql& sql = *kept;
    sqlite3_stmt* handle = sql.statement.get();
    // DML ... RETURNING ... INTO :a: its values go to the RETURNING INTO
    // variables, or to the OUT arguments after the statement's inputs.
    std::size_t inputs = sql.paramNames.size();
    std::size_t returned = sql.returningText.empty() ? 0 : static_cast<std::size_t>(ColumnCount(handle, sql));
    bool outsInUsing = statement.into.empty() && returned > 0;
    std::size_t given = statement.exprs.size() - 1;
    if (given != inputs + (outsInUsing ? returned : 0))
        return Raise(1008, CPlsqlErrors::Text(1008, given < inputs ? sql.paramNames[given] : std::string()),
                     statement.at),
               Flow::Raise;
    sqlite3_reset(handle);
    for (std::size_t k = 0; k < inputs; ++k) {
        CPlsqlValue value;
        if (statement.usingModes[k] != 1 && !Eval(*statement.exprs[k + 1], value)) return Flow::Raise;
        int index = sqlite3_bind_parameter_index(handle, (":" + sql.paramNames[k]).c_str());
        if (index > 0 && !BindValue(handle, index, value)) return m_raised.at = statement.at, Flow::Raise;
    }
    std::vector<CPlsqlTarget> outs = statement.into;
    if (outsInUsing)
        outs.assign(statement.usingOut.begin() + static_cast<std::ptrdiff_t>(inputs),
                    statement.usingOut.end());
    if (sqlite3_stmt_readonly(handle) == 0 && !m_host.BeginWrite(error))
        return RaiseError(error, statement.at), Flow::Raise;
    m_host.NextStatement();
    if (!dml) return RunDynamic(statement, sql, outs, false, query);
    if (!m_host.BeforeDml(sql.text, false, error))
        return sqlite3_reset(handle), RaiseError(error, statement.at), Flow::Raise;
    Flow flow = RunDynamic(statement, sql, outs, true, query);
    return EndDml(sql, flow == Flow::Normal, statement.at) ? flow : Flow::Raise;
}

CPlsqlInterpreter::Flow CPlsqlInterpreter::RunDynamic(CPlsqlStmt& statement, CPlsqlSql& sql,
                                                      const std::vector<CPlsqlTarget>& outs, bool dml,
                                                      bool query) {
    sqlite3_stmt* handle = sql.statement.get();
    if (statement.bulk) {
        // BULK COLLECT INTO: every row, none raising nothing.
        long rows = 0;
        long changes = 0;
        bool done = false;
        std::vector<CPlsqlCollection*> collections;
        bool ok = dml && !outs.empty() ? FreshCollections(outs, collections) &&
                                             ReturnBulk(sql, outs, collections, rows, changes)
                                       : StoreBulk(handle, sql, outs, 0, rows, done);
        if (dml && outs.empty()) changes = m_host.Changes();
        sqlite3_reset(handle);
        if (!ok) return m_raised.at = statement.at, Flow::Raise;
        m_sqlRan = true;
        m_sqlRows = dml ? changes : rows;
        return Flow::Normal;
    }
    int rc = sqlite3_step(handle);
    long rows = 0;
    if (rc == SQLITE_ROW && !outs.empty()) {
        if (!Store(handle, sql, outs)) return sqlite3_reset(handle), m_raised.at = statement.at, Flow::Raise;
        rows = 1;
        if ((rc = sqlite3_step(handle)) == SQLITE_ROW)
            return sqlite3_reset(handle), Raise(1422, CPlsqlErrors::Text(1422), statement.at), Flow::Raise;
    }
    while (rc == SQLITE_ROW) rc = sqlite3_step(handle);
    if (rc != SQLITE_DONE) return StepFailed(sql), m_raised.at = statement.at, Flow::Raise;
    const bool stored = rows == 1;
    if (dml) rows = m_host.Changes();
    sqlite3_reset(handle);
    sqliteapi::Statement readBack;
    if (dml && !stored && rows == 1 && !outs.empty() && Reinserted(sql, readBack) &&
        (!readBack || (sqlite3_step(readBack.get()) == SQLITE_ROW && !Store(readBack.get(), sql, outs))))
        return m_raised.at = statement.at, Flow::Raise;
    m_sqlRan = true;
    m_sqlRows = rows;
    if (query && !statement.into.empty() && rows == 0)
        return Raise(1403, CPlsqlErrors::Text(1403), statement.at), Flow::Raise;
    return Flow::Normal;
}

bool CPlsqlInterpreter::ExecDynamicBlock(CPlsqlStmt& statement, const std::string& text) {
    // Note: in a block each distinct placeholder is one USING argument, by place.
    std::vector<std::string> names;
    for (const auto& token : CSqlScanner::Significant(text)) {
        if (token.kind != CSqlScanner::Kind::Bind) continue;
        std::string name = cp932::ToUpperAscii(CSqlScanner::BindName(text, token));
        if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
    }
    std::size_t given = statement.exprs.size() - 1;
    if (given != names.size())
        return Raise(1008, CPlsqlErrors::Text(1008, given < names.size() ? names[given] : std::string()),
                     statement.at);
    std::vector<CEngineBind> binds;
    for (std::size_t k = 0; k < given; ++k) {
        CPlsqlValue value;
        int mode = statement.usingModes[k];
        if (mode != 1 && !Eval(*statement.exprs[k + 1], value)) return false;
        if (!BindText(names[k], value, statement.at, binds)) return false;
        const CPlsqlType* type = mode != 0 ? TypeOf(statement.usingOut[k]) : nullptr;
        bool dated =
            value.GetKind() == Kind::Date || (type != nullptr && type->base == CPlsqlType::Base::Date);
        bool numeric = value.GetKind() == Kind::Number ||
                       (type != nullptr &&
                        (type->base == CPlsqlType::Base::Number || type->base == CPlsqlType::Base::Integer));
        // Note: a date goes as the engine stores it, so that it comes back a date.
        if (dated) binds.back().serverType = servertype::kDate;
        if (value.GetKind() == Kind::Date) binds.back().value = value.TextValue();
        if (numeric) binds.back().serverType = servertype::kNumber;
    }
    long rows = 0;
    CEngineError error;
    if (!m_host.ExecuteBlock(text, binds, rows, error)) return RaiseError(error, statement.at);
    for (std::size_t k = 0; k < given; ++k) {
        if (statement.usingModes[k] == 0) continue;
        const CEngineBind& bind = binds[k];
        CPlsqlValue value;
        CNumberDecimal number;
        if (bind.isNull)
            value = CPlsqlValue();
        else if (bind.serverType == servertype::kNumber && CNumberDecimal::FromText(bind.value, number))
            value = CPlsqlValue::Decimal(number);
        else if (bind.serverType == servertype::kDate && CValueText::IsStoredDate(bind.value))
            value = CPlsqlValue::Date(bind.value);
        else
            value = CPlsqlValue::Text(bind.value);
        if (!Assign(statement.usingOut[k], value)) return m_raised.at = statement.at, false;
    }
    m_sqlRan = true;
    m_sqlRows = rows;
    return true;
}

CPlsqlInterpreter::Flow CPlsqlInterpreter::ExecRaise(CPlsqlStmt& statement) {
    if (statement.exception == 0) {
        if (m_handling.empty()) return Raise(6550, CPlsqlErrors::Text(6510), statement.at), Flow::Raise;
        m_raised = m_handling.back();
        return Flow::Raise;
    }
    int id = statement.exception;
    std::string message = id < 0 ? std::string("User-Defined Exception")
                                 : (id == 6502 ? CPlsqlErrors::ValueErrorText(CPlsqlErrors::ValueError::None)
                                               : CPlsqlErrors::Text(id));
    Raise(id, message, statement.at);
    return Flow::Raise;
}

CPlsqlInterpreter::Flow CPlsqlInterpreter::ExecApplicationError(CPlsqlStmt& statement) {
    CPlsqlValue code;
    CPlsqlValue text;
    CPlsqlOperators::Failure failure;
    if (!Eval(*statement.exprs[0], code) || !Eval(*statement.exprs[1], text)) return Flow::Raise;
    // Note: the number is a BINARY_INTEGER parameter: rounded to a whole
    // number on the way in, as any such argument.
    CPlsqlType whole;
    whole.base = CPlsqlType::Base::Integer;
    whole.minimum = -2147483647LL;
    whole.maximum = 2147483647LL;
    CPlsqlValue number;
    if (!CPlsqlOperators::Convert(code, whole, m_showDate, m_host.SessionZone(), number, failure))
        return RaiseFailure(failure, statement.at), Flow::Raise;
    std::int64_t value = number.IsInteger() ? number.IntegerValue() : 0;
    if (number.IsNull() || value < -20999 || value > -20000)
        return Raise(21000, CPlsqlErrors::Text(21000, number.IsNull() ? std::string() : number.NumberText()),
                     statement.at),
               Flow::Raise;
    std::string message;
    if (!CPlsqlOperators::ToText(text, m_showDate, message, failure))
        return RaiseFailure(failure, statement.at), Flow::Raise;
    // Note: the server keeps 2048 bytes of the text.
    std::size_t kept = 0;
    while (kept < message.size() && kept + cp932::CharLength(message, kept) <= 2048)
        kept += cp932::CharLength(message, kept);
    message.resize(kept);
    std::vector<std::string> below;
    if (!ErrorsKept(statement, below)) return Flow::Raise;
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "ORA-%05d: ", static_cast<int>(-value));
    Raise(static_cast<int>(-value), prefix + message, statement.at);
    m_raised.kept = std::move(below);
    return Flow::Raise;
}

bool CPlsqlInterpreter::ErrorsKept(CPlsqlStmt& statement, std::vector<std::string>& below) {
    CPlsqlValue keep;
    if (statement.exprs.size() > 2 && !Eval(*statement.exprs[2], keep)) return false;
    if (!keep.IsNull() && keep.GetKind() != CPlsqlValue::Kind::Boolean)
        return RaiseFailure(CPlsqlOperators::Failure{6502, CPlsqlErrors::ValueError::None, {}}, statement.at);
    // Note: keep_errors TRUE puts the error above the one being handled (and
    // the errors that one kept); otherwise the error replaces them.
    if (!keep.IsNull() && keep.BoolValue() && !m_handling.empty()) below = StackOf(m_handling.back());
    if (below.size() > kKeptLines) below.resize(kKeptLines);
    return true;
}

CPlsqlInterpreter::Flow CPlsqlInterpreter::ExecOutput(CPlsqlStmt& statement) {
    using Call = CPlsqlStmt::OutputCall;
    std::string text;
    CEngineError error;
    if (statement.output == Call::GetLine) {
        std::string line;
        bool got = m_host.TakeLine(line);
        if (!Assign(statement.into[0], got ? CPlsqlValue::Text(line) : CPlsqlValue()) ||
            !Assign(statement.into[1], CPlsqlValue::Integer(got ? 0 : 1)))
            return m_raised.at = statement.at, Flow::Raise;
        return Flow::Normal;
    }
    if (statement.output == Call::GetLines) return ExecGetLines(statement);
    if (!statement.exprs.empty() && statement.output == Call::Enable) {
        // Note: ENABLE(NULL) is the unlimited buffer, given to the host as "NULL".
        CPlsqlValue size;
        if (!Eval(*statement.exprs[0], size)) return Flow::Raise;
        text = size.IsNull() ? "NULL" : size.GetKind() == Kind::Number ? size.NumberText() : size.TextValue();
    }
    if (!statement.exprs.empty() && (statement.output == Call::Put || statement.output == Call::PutLine)) {
        CPlsqlValue value;
        CPlsqlOperators::Failure failure;
        if (!Eval(*statement.exprs[0], value)) return Flow::Raise;
        if (!CPlsqlOperators::ToText(value, m_showDate, text, failure))
            return RaiseFailure(failure, statement.at), Flow::Raise;
    }
    if (!m_host.Output(statement.output, text, error)) return RaiseError(error, statement.at), Flow::Raise;
    return Flow::Normal;
}

CPlsqlInterpreter::Flow CPlsqlInterpreter::ExecGetLines(CPlsqlStmt& statement) {
    const CPlsqlTarget& lines = statement.into[0];
    if (lines.slot < 0 || lines.index || SlotType(lines).base != CPlsqlType::Base::Collection)
        return Raise(6550,
                     CPlsqlErrors::Compile(m_unit.LineOf(lines.at), m_unit.ColumnOf(lines.at), 306,
                                           "GET_LINES"),
                     statement.at),
               Flow::Raise;
    CPlsqlValue wanted;
    if (!Read(statement.into[1], wanted)) return m_raised.at = statement.at, Flow::Raise;
    std::int64_t count = 0;
    if (wanted.GetKind() == Kind::Number)
        count = wanted.IsInteger() ? wanted.IntegerValue()
                                   : static_cast<std::int64_t>(wanted.DecimalValue().Approximate());
    // Note: the lines fill 1..n of a new collection; the count says how many came.
    auto made = std::make_shared<CPlsqlCollection>();
    std::int64_t got = 0;
    for (std::string line; got < count && m_host.TakeLine(line);)
        made->elements[CPlsqlCollection::NumberKey(++got)].value = CPlsqlValue::Text(line);
    Datum* datum = DatumOf(lines);
    if (datum == nullptr) return m_raised.at = statement.at, Flow::Raise;
    datum->collection = std::move(made);
    if (!Assign(statement.into[1], CPlsqlValue::Integer(got))) return m_raised.at = statement.at, Flow::Raise;
    return Flow::Normal;
}

// ---- expressions

bool CPlsqlInterpreter::Condition(CPlsqlExpr& expr, bool& holds) {
    CPlsqlValue value;
    if (!Eval(expr, value)) return false;
    if (!value.IsNull() && value.GetKind() != Kind::Boolean) {
        CPlsqlOperators::Failure failure{6502, CPlsqlErrors::ValueError::None, {}};
        return RaiseFailure(failure, expr.at);
    }
    holds = !value.IsNull() && value.BoolValue();
    return true;
}

bool CPlsqlInterpreter::Eval(CPlsqlExpr& expr, CPlsqlValue& out) {
    using K = CPlsqlExpr::Kind;
    switch (expr.kind) {
        case K::Literal:
            out = expr.literal;
            return true;
        case K::Variable:
            return Read(expr.target, out);
        case K::Unary:
        case K::Binary:
            return EvalBinary(expr, out);
        case K::IsNull: {
            CPlsqlValue value;
            if (!Eval(*expr.args[0], value)) return false;
            if (expr.floatTest != 0) return FloatTest(expr, value, out);
            out = CPlsqlValue::Bool(value.IsNull() != expr.negated);
            return true;
        }
        case K::Between: {
            CPlsqlValue value;
            CPlsqlValue low;
            CPlsqlValue high;
            if (!Eval(*expr.args[0], value) || !Eval(*expr.args[1], low) || !Eval(*expr.args[2], high))
                return false;
            if (value.IsNull() || low.IsNull() || high.IsNull()) {
                out = CPlsqlValue();
                return true;
            }
            int a = 0;
            int b = 0;
            CPlsqlOperators::Failure failure;
            if (!CPlsqlOperators::Compare(value, low, a, failure, m_host.SessionZone()) ||
                !CPlsqlOperators::Compare(value, high, b, failure, m_host.SessionZone()))
                return RaiseFailure(failure, expr.at);
            out = CPlsqlValue::Bool((a >= 0 && b <= 0) != expr.negated);
            return true;
        }
        case K::In:
            return EvalIn(expr, out);
        case K::Case:
            return EvalCase(expr, out);
        case K::SqlCall:
            return EvalSql(expr, out);
        case K::SqlCode:
            out = CPlsqlValue::Integer(m_handling.empty() ? 0 : CPlsqlErrors::SqlCode(m_handling.back().id));
            return true;
        case K::SqlErrm:
            return EvalSqlErrm(expr, out);
        case K::CursorAttribute:
            return EvalAttribute(expr, out);
        case K::Call:
            return CallUnit(expr.callee, expr.args, nullptr, expr.at, out, expr.nullSelf);
        case K::Builtin:
            return CallBuiltin(expr.builtin, expr.args, expr.at, out);
        case K::CollectionMethod:
            return EvalMethod(expr, out);
        case K::Constructor:
            // Note: a constructor stands only where a collection is assigned.
            return RaiseFailure(CPlsqlOperators::Failure{6502, CPlsqlErrors::ValueError::None, {}}, expr.at);
        case K::Multiset:
            return EvalMultiset(expr, out);
        case K::Field: {
            std::vector<CPlsqlValue> fields;
            if (!RecordOf(*expr.args[0], *expr.type, fields)) return false;
            if (fields.empty()) return Raise(6530, CPlsqlErrors::Text(6530), expr.at);
            out = fields[static_cast<std::size_t>(expr.target.field)];
            return true;
        }
    }
    return true;
}

bool CPlsqlInterpreter::EvalSqlErrm(CPlsqlExpr& expr, CPlsqlValue& out) {
    static const std::string kNormal = "ORA-0000: normal, successful completion";
    if (expr.args.empty()) {
        out = CPlsqlValue::Text(m_handling.empty() ? kNormal : ErrorStack(m_handling.back()));
        return true;
    }
    CPlsqlValue code;
    CPlsqlValue number;
    CPlsqlOperators::Failure failure;
    if (!Eval(*expr.args[0], code)) return false;
    if (!CPlsqlOperators::ToNumber(code, number, failure)) return RaiseFailure(failure, expr.at);
    std::int64_t value = number.IsInteger() ? number.IntegerValue() : 0;
    // Note: SQLERRM(n) names the error of SQLCODE n: 100 is ORA-01403, a positive other a user exception.
    if (value == 0)
        out = CPlsqlValue::Text(kNormal);
    else if (value == 100)
        out = CPlsqlValue::Text(CPlsqlErrors::Text(1403));
    else if (value > 0)
        out = CPlsqlValue::Text("User-Defined Exception");
    else
        out = CPlsqlValue::Text(CPlsqlErrors::Text(static_cast<int>(-value)));
    return true;
}

bool CPlsqlInterpreter::EvalBinary(CPlsqlExpr& expr, CPlsqlValue& out) {
    if (expr.op == Op::And || expr.op == Op::Or || expr.op == Op::Not) return EvalLogical(expr, out);
    CPlsqlValue left;
    if (!Eval(*expr.args[0], left)) return false;
    CPlsqlOperators::Failure failure;
    if (expr.op == Op::Negate) {
        if (left.FloatWidth() != 0)
            return out = CPlsqlValue::Float(-left.DoubleValue(), left.FloatWidth()), true;
        if (left.IsInteger() && left.IntegerValue() != INT64_MIN) {
            out = CPlsqlValue::Integer(-left.IntegerValue());
            return true;
        }
        CIntervalFunctions::Value interval;
        if (left.GetKind() == CPlsqlValue::Kind::Text && CPlsqlInterval::Shown(left.TextValue(), interval)) {
            std::string negated;
            if (int code = CPlsqlInterval::Sum(CIntervalFunctions::Value{interval.yearToMonth, 0, 0, 0},
                                               interval, -1, negated);
                code != 0)
                return failure.code = code, RaiseFailure(failure, expr.at);
            out = CPlsqlValue::Text(std::move(negated));
            return true;
        }
        CPlsqlValue number;
        if (!CPlsqlOperators::ToNumber(left, number, failure)) return RaiseFailure(failure, expr.at);
        out = number.IsNull() ? number : CPlsqlValue::Decimal(number.DecimalValue().Negate());
        return true;
    }
    CPlsqlValue right;
    if (!Eval(*expr.args[1], right)) return false;
    if (expr.op == Op::Concat) {
        if (!CPlsqlOperators::Concat(left, right, m_showDate, out, failure))
            return RaiseFailure(failure, expr.at);
        return true;
    }
    if (IsComparison(expr.op)) {
        if (left.IsNull() || right.IsNull()) {
            out = CPlsqlValue();
            return true;
        }
        int order = 0;
        if (expr.padded && left.GetKind() == Kind::Text && right.GetKind() == Kind::Text) {
            left = CPlsqlValue::Text(Unpadded(left.TextValue()));
            right = CPlsqlValue::Text(Unpadded(right.TextValue()));
        }
        if (!CPlsqlOperators::Compare(left, right, order, failure, m_host.SessionZone()))
            return RaiseFailure(failure, expr.at);
        out = CPlsqlValue::Bool(Holds(expr.op, order));
        return true;
    }
    if (!CPlsqlOperators::Arithmetic(expr.op, left, right, m_host.SessionZone(), out, failure))
        return RaiseFailure(failure, expr.at);
    return true;
}

bool CPlsqlInterpreter::EvalLogical(CPlsqlExpr& expr, CPlsqlValue& out) {
    // Three-valued logic; the right operand is not evaluated when the left decides.
    auto truth = [&](CPlsqlExpr& operand, int& value) {
        CPlsqlValue v;
        if (!Eval(operand, v)) return false;
        if (!v.IsNull() && v.GetKind() != Kind::Boolean)
            return RaiseFailure(CPlsqlOperators::Failure{6502, CPlsqlErrors::ValueError::None, {}},
                                operand.at);
        value = v.IsNull() ? -1 : v.BoolValue() ? 1 : 0;
        return true;
    };
    int a = -1;
    if (!truth(*expr.args[0], a)) return false;
    auto set = [&](int value) { out = value < 0 ? CPlsqlValue() : CPlsqlValue::Bool(value == 1); };
    if (expr.op == Op::Not) {
        set(a < 0 ? -1 : 1 - a);
        return true;
    }
    if ((expr.op == Op::And && a == 0) || (expr.op == Op::Or && a == 1)) {
        set(a);
        return true;
    }
    int b = -1;
    if (!truth(*expr.args[1], b)) return false;
    if (expr.op == Op::And)
        set(b == 0 ? 0 : (a < 0 || b < 0) ? -1 : 1);
    else
        set(b == 1 ? 1 : (a < 0 || b < 0) ? -1 : 0);
    return true;
}

bool CPlsqlInterpreter::EvalIn(CPlsqlExpr& expr, CPlsqlValue& out) {
    CPlsqlValue value;
    if (!Eval(*expr.args[0], value)) return false;
    if (expr.padded && value.GetKind() == Kind::Text) value = CPlsqlValue::Text(Unpadded(value.TextValue()));
    bool sawNull = value.IsNull();
    for (std::size_t k = 1; k < expr.args.size() && !value.IsNull(); ++k) {
        CPlsqlValue candidate;
        if (!Eval(*expr.args[k], candidate)) return false;
        if (candidate.IsNull()) {
            sawNull = true;
            continue;
        }
        if (expr.padded && candidate.GetKind() == Kind::Text)
            candidate = CPlsqlValue::Text(Unpadded(candidate.TextValue()));
        int order = 0;
        CPlsqlOperators::Failure failure;
        if (!CPlsqlOperators::Compare(value, candidate, order, failure, m_host.SessionZone()))
            return RaiseFailure(failure, expr.at);
        if (order == 0) {
            out = CPlsqlValue::Bool(!expr.negated);
            return true;
        }
    }
    out = sawNull ? CPlsqlValue() : CPlsqlValue::Bool(expr.negated);
    return true;
}

bool CPlsqlInterpreter::EvalCase(CPlsqlExpr& expr, CPlsqlValue& out) {
    std::size_t k = 0;
    CPlsqlValue selector;
    if (expr.hasSelector && !Eval(*expr.args[k++], selector)) return false;
    std::size_t pairsEnd = expr.args.size() - (expr.hasElse ? 1 : 0);
    for (; k + 1 < pairsEnd + 1 && k < pairsEnd; k += 2) {
        bool holds = false;
        if (expr.hasSelector) {
            CPlsqlValue candidate;
            if (!Eval(*expr.args[k], candidate)) return false;
            int order = 0;
            CPlsqlOperators::Failure failure;
            if (!selector.IsNull() && !candidate.IsNull()) {
                if (!CPlsqlOperators::Compare(selector, candidate, order, failure, m_host.SessionZone()))
                    return RaiseFailure(failure, expr.at);
                holds = order == 0;
            }
        } else if (!Condition(*expr.args[k], holds)) {
            return false;
        }
        if (holds) return Eval(*expr.args[k + 1], out);
    }
    if (expr.hasElse) return Eval(*expr.args.back(), out);
    // Note: a CASE expression without ELSE is NULL when nothing matches.
    out = CPlsqlValue();
    return true;
}

bool CPlsqlInterpreter::EvalAttribute(CPlsqlExpr& expr, CPlsqlValue& out) {
    using A = CPlsqlExpr::Attribute;
    if (expr.attribute >= A::BulkRowCount) return EvalBulkAttribute(expr, out);
    if (expr.cursor < 0 && expr.target.slot >= 0) {
        Datum* datum = DatumOf(expr.target);
        if (datum == nullptr) return false;
        const CPlsqlRefCursor* cursor = datum->cursor.get();
        bool open = cursor != nullptr && cursor->IsOpen();
        if (expr.attribute == A::IsOpen) {
            out = CPlsqlValue::Bool(open);
            return true;
        }
        if (!open) return Raise(1001, CPlsqlErrors::Text(1001), expr.at);
        CPlsqlValue found = cursor->Found();
        if (expr.attribute == A::Found) out = found;
        if (expr.attribute == A::NotFound)
            out = found.IsNull() ? found : CPlsqlValue::Bool(!found.BoolValue());
        if (expr.attribute == A::RowCount) out = CPlsqlValue::Integer(cursor->RowCount());
        return true;
    }
    if (expr.cursor < 0) {
        switch (expr.attribute) {
            case A::Found:
                out = m_sqlRan ? CPlsqlValue::Bool(m_sqlRows > 0) : CPlsqlValue();
                break;
            case A::NotFound:
                out = m_sqlRan ? CPlsqlValue::Bool(m_sqlRows == 0) : CPlsqlValue();
                break;
            case A::RowCount:
                out = m_sqlRan ? CPlsqlValue::Integer(m_sqlRows) : CPlsqlValue();
                break;
            default:
                out = CPlsqlValue::Bool(false);
                break;
        }
        return true;
    }
    const CursorState& state = Frame(expr.cursorOuter).m_cursors[static_cast<std::size_t>(expr.cursor)];
    if (expr.attribute == A::IsOpen) {
        out = CPlsqlValue::Bool(state.open);
        return true;
    }
    if (!state.open) return Raise(1001, CPlsqlErrors::Text(1001), expr.at);
    switch (expr.attribute) {
        case A::Found:
            out = state.fetched ? CPlsqlValue::Bool(state.found) : CPlsqlValue();
            break;
        case A::NotFound:
            out = state.fetched ? CPlsqlValue::Bool(!state.found) : CPlsqlValue();
            break;
        default:
            out = CPlsqlValue::Integer(state.rows);
            break;
    }
    return true;
}

bool CPlsqlInterpreter::EvalSql(CPlsqlExpr& expr, CPlsqlValue& out) {
    CPlsqlSql& sql = *expr.sql;
    if (!BindSql(sql)) return false;
    sqlite3_stmt* handle = sql.statement.get();
    for (std::size_t k = 0; k < expr.args.size(); ++k) {
        CPlsqlValue value;
        if (!Eval(*expr.args[k], value)) return false;
        int index = sqlite3_bind_parameter_index(handle, (":" + sql.paramNames[k]).c_str());
        if (index > 0 && !BindValue(handle, index, value)) {
            m_raised.at = expr.at;
            return false;
        }
    }
    if (expr.failure != 0) return Raise(expr.failure, CPlsqlErrors::Text(expr.failure), expr.at);
    // Note: a block's built-in functions give a VARCHAR2 of PL/SQL's length.
    int rc = SQLITE_OK;
    {
        CTextLimit::Scope limit(CTextLimit::kPlsql);
        rc = sqlite3_step(handle);
    }
    if (rc != SQLITE_ROW) {
        bool failed = rc != SQLITE_DONE;
        if (failed) StepFailed(sql);
        // Note: outside SQL statements a text that is no number raises
        // VALUE_ERROR; INVALID_NUMBER is SQL's.
        if (failed && m_raised.id == 1722 && m_raised.trace.empty())
            Raise(6502, CPlsqlErrors::ValueErrorText(CPlsqlErrors::ValueError::Conversion), expr.at);
        sqlite3_reset(handle);
        if (!failed) out = CPlsqlValue();
        if (failed) m_raised.at = expr.at;
        return !failed;
    }
    out = Column(handle, sql, 0);
    sqlite3_reset(handle);
    if (expr.predicate && !out.IsNull()) out = CPlsqlValue::Bool(out.IsInteger() && out.IntegerValue() != 0);
    return true;
}

// ---- variables

const CPlsqlInterpreter& CPlsqlInterpreter::Frame(int outer) const {
    const CPlsqlInterpreter* frame = this;
    for (int k = 0; k < outer && frame->m_outer != nullptr; ++k) frame = frame->m_outer;
    return *frame;
}

CPlsqlInterpreter& CPlsqlInterpreter::Frame(int outer) {
    CPlsqlInterpreter* frame = this;
    for (int k = 0; k < outer && frame->m_outer != nullptr; ++k) frame = frame->m_outer;
    return *frame;
}

bool CPlsqlInterpreter::Adopt(const CPlsqlInterpreter& frame, std::size_t at) {
    if (&frame == this) return false;
    m_raised = frame.m_raised;
    m_raised.at = at;
    m_cancelled = m_cancelled || frame.m_cancelled;
    return false;
}

const CPlsqlType& CPlsqlInterpreter::SlotType(const CPlsqlTarget& target) const {
    if (target.outer > 0) return *Frame(target.outer).m_unit.slotTypes[static_cast<std::size_t>(target.slot)];
    if (!target.package.empty()) {
        bool invalid = false;
        if (auto package = m_host.FindPackage(target.package, invalid))
            return *package->frame->slotTypes[static_cast<std::size_t>(target.slot)];
    }
    return *m_unit.slotTypes[static_cast<std::size_t>(target.slot)];
}

CPlsqlInterpreter::Datum* CPlsqlInterpreter::DatumOf(const CPlsqlTarget& target) {
    if (target.outer > 0) {
        CPlsqlInterpreter* frame = this;
        for (int k = 0; k < target.outer && frame->m_outer != nullptr; ++k) frame = frame->m_outer;
        return &frame->m_slots[static_cast<std::size_t>(target.slot)];
    }
    if (target.package.empty() || (target.package == m_unit.name && m_unit.type == "PACKAGE"))
        return &m_slots[static_cast<std::size_t>(target.slot)];
    CEngineError error;
    std::vector<Datum>* slots = m_host.PackageSlots(target.package, error);
    if (slots == nullptr) {
        RaiseError(error, target.at);
        return nullptr;
    }
    return &(*slots)[static_cast<std::size_t>(target.slot)];
}

const CPlsqlType* CPlsqlInterpreter::TypeOf(const CPlsqlTarget& target) const {
    if (target.slot < 0) return nullptr;
    const CPlsqlType* type = &SlotType(target);
    if (target.index) type = type->element.get();
    if (type == nullptr) return nullptr;
    if (target.field >= 0) type = type->fields[static_cast<std::size_t>(target.field)].type.get();
    if (target.attribute >= 0 && target.object)
        type = target.object->fields[static_cast<std::size_t>(target.attribute)].type.get();
    for (int attribute : target.deeper) type = type->fields[static_cast<std::size_t>(attribute)].type.get();
    return type;
}

bool CPlsqlInterpreter::Read(const CPlsqlTarget& target, CPlsqlValue& out) {
    if (target.value) return Eval(*target.value, out);
    if (target.object) return ReadHeld(target, out);
    if (target.json && target.field >= 0 && !target.index) {
        // Note: a field's object reaches SQL as its document.
        const CPlsqlType* held = TypeOf(target);
        if (held != nullptr && held->object) {
            CPlsqlTarget whole = target;
            whole.object = std::make_shared<CPlsqlType>(*held);
            return ReadHeld(whole, out);
        }
    }
    if (target.json) {
        // Note: TABLE() of a collection not made gives no rows.
        Datum* datum = DatumOf(target);
        if (datum == nullptr) return false;
        if (SlotType(target).object) {
            out = datum->fields.empty()
                      ? CPlsqlValue()
                      : CPlsqlValue::Text(CObjectText::Document(datum->fields, SlotType(target)));
            return true;
        }
        out = datum->collection && !datum->collection->isNull
                  ? CPlsqlValue::Text(CCollectionJson::Document(*datum->collection, SlotType(target)))
                  : CPlsqlValue();
        return true;
    }
    if (target.index) return ReadElement(target, out);
    if (target.cursor >= 0) {
        const CursorState& state = Frame(target.outer).m_cursors[static_cast<std::size_t>(target.cursor)];
        if (!state.open) return Raise(1001, CPlsqlErrors::Text(1001), target.at);
        out = state.rowid;
        return true;
    }
    if (!target.bind.empty()) {
        const CEngineBind* bind = FindBind(m_binds, target.bind);
        if (bind == nullptr) return Raise(1008, CPlsqlErrors::Text(1008, target.bind), target.at);
        if (bind->isNull || bind->value.empty()) {
            out = CPlsqlValue();
        } else if (bind->serverType == servertype::kNumber) {
            CNumberDecimal number;
            out = CNumberDecimal::FromText(bind->value, number) ? CPlsqlValue::Decimal(number)
                                                                : CPlsqlValue::Text(bind->value);
        } else if (bind->serverType == servertype::kDate && CValueText::IsStoredDate(bind->value)) {
            out = CPlsqlValue::Date(bind->value);
        } else if (double number = 0;
                   servertype::FloatBytes(bind->serverType) != 0 && CFloatValue::Parse(bind->value, number)) {
            out = CPlsqlValue::Float(number, servertype::FloatBytes(bind->serverType));
        } else {
            out = CPlsqlValue::Text(bind->value);
        }
        return true;
    }
    const Datum* found = DatumOf(target);
    if (found == nullptr) return false;
    const Datum& datum = *found;
    if (target.field < 0 && target.slot >= 0 && SlotType(target).object) {
        // Note: an object read whole is only tested for IS [NOT] NULL.
        out = datum.fields.empty() ? CPlsqlValue() : CPlsqlValue::Bool(true);
        return true;
    }
    if (target.field < 0 && target.slot >= 0 && SlotType(target).base == CPlsqlType::Base::Collection) {
        // Note: so is a nested table or VARRAY: null until it is made.
        out = datum.collection && !datum.collection->isNull ? CPlsqlValue::Bool(true) : CPlsqlValue();
        return true;
    }
    if (target.field >= 0) {
        out = static_cast<std::size_t>(target.field) < datum.fields.size()
                  ? datum.fields[static_cast<std::size_t>(target.field)]
                  : CPlsqlValue();
        return true;
    }
    out = datum.value;
    return true;
}

bool CPlsqlInterpreter::Assign(const CPlsqlTarget& target, const CPlsqlValue& value) {
    return Write(target, value, TypeOf(target));
}

bool CPlsqlInterpreter::Write(const CPlsqlTarget& target, const CPlsqlValue& value, const CPlsqlType* type) {
    CPlsqlOperators::Failure failure;
    if (!target.bind.empty()) {
        auto found = std::find_if(m_binds.begin(), m_binds.end(), [&](const CEngineBind& bind) {
            return cp932::ToUpperAscii(bind.name) == target.bind;
        });
        if (found == m_binds.end()) return Raise(1008, CPlsqlErrors::Text(1008, target.bind), target.at);
        std::string text;
        if (!CPlsqlOperators::ToText(value, m_showDate, text, failure))
            return RaiseFailure(failure, target.at);
        if (found->serverType == servertype::kDate && value.GetKind() == Kind::Date) text = value.TextValue();
        if (int width = servertype::FloatBytes(found->serverType); width != 0 && !value.IsNull()) {
            // Note: a floating variable takes the value converted to its type.
            CPlsqlType floating;
            floating.base = CPlsqlType::Base::Number;
            floating.floatWidth = width;
            CPlsqlValue converted;
            if (!CPlsqlOperators::Convert(value, floating, m_showDate, m_host.SessionZone(), converted,
                                          failure))
                return RaiseFailure(failure, target.at);
            text = CFloatValue::Text(converted.DoubleValue(), width);
        }
        if (found->serverType == servertype::kNumber && !value.IsNull() && value.GetKind() != Kind::Number) {
            CPlsqlValue number;
            if (!CPlsqlOperators::ToNumber(value, number, failure)) return RaiseFailure(failure, target.at);
            text = number.NumberText();
        }
        // Note: a character variable of the console takes no more than its
        // declared bytes, as the server's bind buffer.
        if (found->size > 0 && static_cast<long>(text.size()) > found->size)
            return RaiseFailure(CPlsqlOperators::Failure{6502, CPlsqlErrors::ValueError::Buffer, {}},
                                target.at);
        found->value = text;
        found->isNull = value.IsNull();
        found->assigned = true;
        return true;
    }
    if (target.object) return WriteHeld(target, value);
    if (type != nullptr && type->object && target.field >= 0 && !target.index)
        return StoreHeld(target, value, *type);
    if (target.index) return WriteElement(target, value);
    Datum* found = DatumOf(target);
    if (found == nullptr) return false;
    Datum& datum = *found;
    CPlsqlValue converted;
    if (type != nullptr && type->base == CPlsqlType::Base::Record && target.field < 0) return true;
    if (type != nullptr && type->base != CPlsqlType::Base::Any && !type->ranged &&
        type->base == CPlsqlType::Base::Number && type->precision == 0 &&
        type->scale == CPlsqlType::kNoScale && !type->notNull && value.GetKind() == Kind::Number &&
        value.FloatWidth() == type->floatWidth) {
        converted = value;
    } else if (type != nullptr && !CPlsqlOperators::Convert(value, *type, m_showDate, m_host.SessionZone(),
                                                            converted, failure)) {
        return RaiseFailure(failure, target.at);
    } else if (type == nullptr) {
        converted = value;
    }
    if (target.field >= 0) {
        if (datum.fields.size() <= static_cast<std::size_t>(target.field))
            datum.fields.resize(static_cast<std::size_t>(target.field) + 1);
        datum.fields[static_cast<std::size_t>(target.field)] = std::move(converted);
    } else {
        datum.value = std::move(converted);
    }
    return true;
}

// ---- SQL

int CPlsqlInterpreter::ColumnCount(sqlite3_stmt* statement, const CPlsqlSql& sql) {
    return sqlite3_column_count(statement) - sql.skip;
}

CPlsqlValue CPlsqlInterpreter::Column(sqlite3_stmt* statement, const CPlsqlSql& sql, int logical) {
    int column = logical + sql.skip;
    int type = logical < static_cast<int>(sql.columnTypes.size())
                   ? sql.columnTypes[static_cast<std::size_t>(logical)]
                   : 0;
    const int floatWidth = logical < static_cast<int>(sql.columnFloats.size())
                               ? sql.columnFloats[static_cast<std::size_t>(logical)]
                               : 0;
    double real = 0;
    bool valid = true;
    if (floatWidth != 0 && CFloatFunctions::Read(sqlite3_column_value(statement, column), real, valid))
        return CPlsqlValue::Float(real, floatWidth);
    switch (sqlite3_column_type(statement, column)) {
        case SQLITE_NULL:
            return CPlsqlValue();
        case SQLITE_INTEGER:
            return CPlsqlValue::Integer(sqlite3_column_int64(statement, column));
        case SQLITE_FLOAT: {
            CNumberDecimal number;
            if (CNumberDecimal::FromDouble(sqlite3_column_double(statement, column), number))
                return CPlsqlValue::Decimal(number);
            return CPlsqlValue();
        }
        default:
            break;
    }
    const char* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    std::string value = encoding::Utf8ToCp932(text != nullptr ? text : "");
    if (type == static_cast<int>(CSqlType::Number)) {
        CNumberDecimal number;
        if (CNumberDecimal::FromText(value, number)) return CPlsqlValue::Decimal(number);
    }
    // Note: a TIMESTAMP is one by the statement's type, not by its text: a
    // whole second comes without digits and is given its nine.
    const bool stamp = logical < static_cast<int>(sql.columnFractions.size()) &&
                       sql.columnFractions[static_cast<std::size_t>(logical)] >= 0;
    if (stamp && CValueText::IsStoredDate(value))
        return CPlsqlValue::Date(CPlsqlOperators::Fraction(value, 9));
    if (type == static_cast<int>(CSqlType::Date) || (type == 0 && CValueText::IsStoredDate(value)))
        return CPlsqlValue::Date(value);
    return CPlsqlValue::Text(value);
}

bool CPlsqlInterpreter::StoreRow(sqlite3_stmt* statement, const CPlsqlSql& sql, Datum& record) {
    int count = ColumnCount(statement, sql);
    record.fields.resize(static_cast<std::size_t>(count));
    for (int k = 0; k < count; ++k) {
        const auto place = static_cast<std::size_t>(k);
        CPlsqlValue value = Column(statement, sql, k);
        // Note: a field of the row shows as its column's TIMESTAMP(n) does.
        if (value.GetKind() == Kind::Date && place < sql.columnFractions.size() &&
            sql.columnFractions[place] >= 0)
            value = CPlsqlValue::Date(value.TextValue(), sql.columnFractions[place]);
        record.fields[place] = std::move(value);
    }
    return true;
}

bool CPlsqlInterpreter::Store(sqlite3_stmt* statement, const CPlsqlSql& sql,
                              const std::vector<CPlsqlTarget>& targets) {
    std::vector<CPlsqlValue> row(static_cast<std::size_t>(ColumnCount(statement, sql)));
    for (std::size_t k = 0; k < row.size(); ++k) row[k] = Column(statement, sql, static_cast<int>(k));
    return StoreValues(row, targets);
}

bool CPlsqlInterpreter::StoreValues(const std::vector<CPlsqlValue>& row,
                                    const std::vector<CPlsqlTarget>& targets) {
    int count = static_cast<int>(row.size());
    const CPlsqlType* first = TypeOf(targets[0]);
    // Note: an object column comes as its constructor's text, read back into the object's attributes.
    if (targets.size() == 1 && first != nullptr && first->object && targets[0].field < 0 && count == 1 &&
        (row[0].IsNull() || row[0].GetKind() == Kind::Text))
        return StoreObject(row[0], targets[0], *first);
    if (targets.size() == 1 && first != nullptr && first->base == CPlsqlType::Base::Record &&
        targets[0].field < 0) {
        if (first->fields.size() != static_cast<std::size_t>(count))
            return Raise(count > static_cast<int>(first->fields.size()) ? 913 : 947,
                         CPlsqlErrors::Text(count > static_cast<int>(first->fields.size()) ? 913 : 947), 0);
        for (int k = 0; k < count; ++k) {
            CPlsqlTarget field = targets[0];
            field.field = k;
            if (!Assign(field, row[static_cast<std::size_t>(k)])) return false;
        }
        return true;
    }
    if (static_cast<int>(targets.size()) != count)
        return Raise(count > static_cast<int>(targets.size()) ? 913 : 947,
                     CPlsqlErrors::Text(count > static_cast<int>(targets.size()) ? 913 : 947), 0);
    for (std::size_t k = 0; k < row.size(); ++k) {
        // Note: a nested table or VARRAY variable takes a column's whole
        // collection; other collection targets are refused rather than left
        // as they were.
        const CPlsqlType* type = TypeOf(targets[k]);
        if (type != nullptr && type->collection != CPlsqlType::CollectionKind::None) {
            if (!StoresWholeCollection(targets[k], *type))
                return Raise(3001, CPlsqlErrors::Text(3001, "SELECT ... INTO collection"), targets[k].at);
            if (!StoreCollection(row[k], targets[k], *type)) return false;
            continue;
        }
        if (!Assign(targets[k], row[k])) return false;
    }
    return true;
}

bool CPlsqlInterpreter::StoresWholeCollection(const CPlsqlTarget& target, const CPlsqlType& type) {
    return type.collection != CPlsqlType::CollectionKind::Associative && target.slot >= 0 &&
           target.field < 0 && !target.index && !target.object && target.bind.empty();
}

bool CPlsqlInterpreter::StoreCollection(const CPlsqlValue& value, const CPlsqlTarget& target,
                                        const CPlsqlType& type) {
    auto made = std::make_shared<CPlsqlCollection>();
    made->isNull = value.IsNull();
    if (!value.IsNull() &&
        (value.GetKind() != Kind::Text || !CObjectText::ReadElements(value.TextValue(), type, *made)))
        return Raise(932, CPlsqlErrors::Text(932), target.at);
    Datum* into = DatumOf(target);
    if (into == nullptr) return false;
    into->collection = std::move(made);
    return true;
}

bool CPlsqlInterpreter::StoreObject(const CPlsqlValue& value, const CPlsqlTarget& target,
                                    const CPlsqlType& type) {
    std::vector<CPlsqlValue> fields;
    if (!value.IsNull() && !CObjectText::Read(value.TextValue(), type, fields))
        return Raise(932, CPlsqlErrors::Text(932), target.at);
    Datum* into = DatumOf(target);
    if (into == nullptr) return false;
    // Note: a NULL object has no attributes at all.
    into->fields = std::move(fields);
    return true;
}

bool CPlsqlInterpreter::FloatTest(const CPlsqlExpr& expr, const CPlsqlValue& value, CPlsqlValue& out) {
    if (value.IsNull()) return out = CPlsqlValue(), true;
    double number = 0;
    const bool read = value.GetKind() == Kind::Number
                          ? (number = value.DoubleValue(), true)
                          : value.GetKind() == Kind::Text && CFloatValue::Parse(value.TextValue(), number);
    if (!read)
        return RaiseFailure(CPlsqlOperators::Failure{6502, CPlsqlErrors::ValueError::Conversion, {}},
                            expr.at);
    const bool holds = expr.floatTest == 'N' ? std::isnan(number) : std::isinf(number);
    out = CPlsqlValue::Bool(holds != expr.negated);
    return true;
}

bool CPlsqlInterpreter::BindValue(sqlite3_stmt* statement, int index, const CPlsqlValue& value) {
    int rc = SQLITE_OK;
    switch (value.GetKind()) {
        case Kind::Null:
            rc = sqlite3_bind_null(statement, index);
            break;
        case Kind::Number: {
            double real = 0;
            // Note: a floating value goes as SQL holds one (NaN as its text).
            if (value.FloatWidth() != 0 && std::isnan(value.DoubleValue())) {
                rc = sqlite3_bind_text(statement, index, "NaN", 3, SQLITE_STATIC);
            } else if (value.FloatWidth() != 0) {
                rc = sqlite3_bind_double(statement, index, value.DoubleValue());
            } else if (value.IsInteger()) {
                rc = sqlite3_bind_int64(statement, index, value.IntegerValue());
            } else if (value.DecimalValue().ToDouble(real)) {
                rc = sqlite3_bind_double(statement, index, real);
            } else {
                std::string text = value.NumberText();
                rc = sqlite3_bind_text(statement, index, text.c_str(), static_cast<int>(text.size()),
                                       SQLITE_TRANSIENT);
            }
            break;
        }
        case Kind::Text:
        case Kind::Date: {
            std::string utf8 = encoding::Cp932ToUtf8(value.TextValue());
            rc = sqlite3_bind_text(statement, index, utf8.c_str(), static_cast<int>(utf8.size()),
                                   SQLITE_TRANSIENT);
            break;
        }
        case Kind::Boolean:
            return RaiseFailure(CPlsqlOperators::Failure{6502, CPlsqlErrors::ValueError::None, {}}, 0);
    }
    if (rc == SQLITE_OK) return true;
    return Raise(600, CPlsqlErrors::Text(600), 0);
}

bool CPlsqlInterpreter::Reachable(CPlsqlSql& sql, std::size_t at) {
    std::string table = m_host.Mutating(sql);
    return table.empty() || Raise(4091, CPlsqlErrors::Text(4091, table), at);
}

bool CPlsqlInterpreter::BindSql(CPlsqlSql& sql) {
    if (!Reachable(sql, sql.at)) return false;
    sqlite3_stmt* statement = sql.statement.get();
    sqlite3_reset(statement);
    if (sql.paramIndexes.empty() && !sql.params.empty())
        for (const std::string& name : sql.paramNames)
            sql.paramIndexes.push_back(sqlite3_bind_parameter_index(statement, (":" + name).c_str()));
    for (std::size_t k = 0; k < sql.params.size(); ++k) {
        CPlsqlValue value;
        if (!Read(sql.params[k], value)) return false;
        if (sql.paramIndexes[k] > 0 && !BindValue(statement, sql.paramIndexes[k], value)) {
            m_raised.at = sql.at;
            return false;
        }
    }
    return true;
}

bool CPlsqlInterpreter::StepFailed(const CPlsqlSql& sql) {
    CEngineError error;
    m_host.StepFailed(sql, error);
    sqlite3_reset(sql.statement.get());
    return RaiseError(error, sql.at);
}

// ---- collections

bool CPlsqlInterpreter::KeyOf(const CPlsqlTarget& target, const CPlsqlType& collection,
                              CPlsqlCollection::Key& key) {
    CPlsqlValue value;
    if (!Eval(*target.index, value)) return false;
    CPlsqlOperators::Failure failure;
    if (value.IsNull())
        return RaiseFailure(CPlsqlOperators::Failure{6502, CPlsqlErrors::ValueError::NullKey, {}}, target.at);
    if (collection.indexByText) {
        key.text = true;
        if (!CPlsqlOperators::ToText(value, m_showDate, key.name, failure))
            return RaiseFailure(failure, target.at);
        return true;
    }
    CPlsqlValue number;
    if (!CPlsqlOperators::ToNumber(value, number, failure)) return RaiseFailure(failure, target.at);
    if (!number.IsInteger()) number = CPlsqlValue::Decimal(number.DecimalValue().Round(0));
    if (!number.IsInteger())
        return RaiseFailure(CPlsqlOperators::Failure{6502, CPlsqlErrors::ValueError::None, {}}, target.at);
    key.number = number.IntegerValue();
    return true;
}

bool CPlsqlInterpreter::Made(const CPlsqlTarget& target, CPlsqlCollection*& collection) {
    Datum* datum = DatumOf(target);
    if (datum == nullptr) return false;
    collection = datum->collection.get();
    if (collection != nullptr && !collection->isNull) return true;
    return Raise(6531, CPlsqlErrors::Text(6531), target.at);
}

bool CPlsqlInterpreter::ReadElement(const CPlsqlTarget& target, CPlsqlValue& out) {
    const CPlsqlType& type = SlotType(target);
    CPlsqlCollection* collection = nullptr;
    CPlsqlCollection::Key key;
    if (!KeyOf(target, type, key) || !Made(target, collection)) return false;
    CPlsqlCollection::Element* element = collection->Find(key);
    if (element == nullptr) {
        bool beyond = type.collection != CPlsqlType::CollectionKind::Associative &&
                      (key.number < 1 || key.number > collection->Size());
        return beyond ? Raise(6533, CPlsqlErrors::Text(6533), target.at)
                      : Raise(1403, CPlsqlErrors::Text(1403), target.at);
    }
    if (target.field < 0) {
        out = element->value;
        return true;
    }
    auto field = static_cast<std::size_t>(target.field);
    out = field < element->fields.size() ? element->fields[field] : CPlsqlValue();
    return true;
}

bool CPlsqlInterpreter::WriteElement(const CPlsqlTarget& target, const CPlsqlValue& value) {
    const CPlsqlType& type = SlotType(target);
    CPlsqlCollection* collection = nullptr;
    CPlsqlCollection::Key key;
    if (!KeyOf(target, type, key)) return false;
    Datum* datum = DatumOf(target);
    if (datum == nullptr) return false;
    if (type.collection == CPlsqlType::CollectionKind::Associative && !datum->collection)
        datum->collection = std::make_shared<CPlsqlCollection>();
    if (!Made(target, collection)) return false;
    collection->Unpack();
    CPlsqlCollection::Element* element = collection->Find(key);
    if (element == nullptr) {
        // Note: a deleted element of a nested table keeps its place, and
        // a value written there brings it back.
        if (type.collection != CPlsqlType::CollectionKind::Associative &&
            (key.number < 1 || key.number > collection->Size()))
            return Raise(6533, CPlsqlErrors::Text(6533), target.at);
        if (collection->Count() >= CPlsqlCollection::kMaxElements)
            return Raise(6500, CPlsqlErrors::Text(6500), target.at);
        std::int64_t size = collection->Size();
        element = &collection->elements[key];
        if (type.collection != CPlsqlType::CollectionKind::Associative)
            collection->tail = size - (collection->Size() - collection->tail);
    }
    const CPlsqlType* elementType = TypeOf(target);
    CPlsqlValue converted = value;
    CPlsqlOperators::Failure failure;
    if (elementType != nullptr && elementType->IsScalar() && elementType->base != CPlsqlType::Base::Any &&
        !CPlsqlOperators::Convert(value, *elementType, m_showDate, m_host.SessionZone(), converted, failure))
        return RaiseFailure(failure, target.at);
    if (target.field < 0) {
        element->value = std::move(converted);
        return true;
    }
    auto field = static_cast<std::size_t>(target.field);
    if (element->fields.size() <= field) element->fields.resize(field + 1);
    element->fields[field] = std::move(converted);
    return true;
}

bool CPlsqlInterpreter::AssignCollection(const CPlsqlTarget& target, const CPlsqlType& type,
                                         CPlsqlExpr* source) {
    Datum* into = DatumOf(target);
    if (into == nullptr) return false;
    Datum& datum = *into;
    std::shared_ptr<CPlsqlCollection> made;
    if (!MakeCollection(type, source, made)) return false;
    datum.collection = std::move(made);
    return true;
}

bool CPlsqlInterpreter::MakeCollection(const CPlsqlType& type, CPlsqlExpr* source,
                                       std::shared_ptr<CPlsqlCollection>& made) {
    made = std::make_shared<CPlsqlCollection>();
    if (source != nullptr && source->kind == CPlsqlExpr::Kind::Call) {
        CPlsqlValue ignored;
        if (!CallUnit(source->callee, source->args, nullptr, source->at, ignored)) return false;
        if (m_datumResult.collection)
            made = std::move(m_datumResult.collection);
        else
            made->isNull = true;
        return true;
    }
    if (source == nullptr) {
        made->isNull = type.collection != CPlsqlType::CollectionKind::Associative;
    } else if (source->kind == CPlsqlExpr::Kind::Variable && !source->target.index &&
               source->target.slot >= 0) {
        const Datum* from = DatumOf(source->target);
        if (from == nullptr) return false;
        if (from->collection)
            *made = *from->collection;
        else
            made->isNull = true;
    } else if (source->kind == CPlsqlExpr::Kind::Constructor) {
        if (type.collection == CPlsqlType::CollectionKind::Varray &&
            static_cast<long>(source->args.size()) > type.varrayLimit)
            return Raise(6532, CPlsqlErrors::Text(6532), source->at);
        for (std::size_t k = 0; k < source->args.size(); ++k) {
            if (type.element && type.element->base == CPlsqlType::Base::Record) {
                auto& element = made->elements[CPlsqlCollection::NumberKey(static_cast<std::int64_t>(k) + 1)];
                if (!RecordOf(*source->args[k], *type.element, element.fields)) return false;
                continue;
            }
            CPlsqlValue value;
            CPlsqlValue converted;
            CPlsqlOperators::Failure failure;
            if (!Eval(*source->args[k], value)) return false;
            converted = value;
            if (type.element && type.element->IsScalar() && type.element->base != CPlsqlType::Base::Any &&
                !CPlsqlOperators::Convert(value, *type.element, m_showDate, m_host.SessionZone(), converted,
                                          failure))
                return RaiseFailure(failure, source->at);
            made->elements[CPlsqlCollection::NumberKey(static_cast<std::int64_t>(k) + 1)].value = converted;
        }
    } else if (source->kind == CPlsqlExpr::Kind::Multiset) {
        return Combine(*source, made);
    } else if (source->kind == CPlsqlExpr::Kind::Literal && source->literal.IsNull()) {
        made->isNull = type.collection != CPlsqlType::CollectionKind::Associative;
    } else {
        return RaiseFailure(CPlsqlOperators::Failure{6502, CPlsqlErrors::ValueError::None, {}}, source->at);
    }
    return true;
}

bool CPlsqlInterpreter::CollectionOperand(CPlsqlExpr& expr, std::shared_ptr<CPlsqlCollection>& out) {
    if (expr.kind == CPlsqlExpr::Kind::Variable && !expr.target.index && expr.target.field < 0 &&
        expr.target.slot >= 0) {
        const Datum* from = DatumOf(expr.target);
        if (from == nullptr) return false;
        out = from->collection;
        return true;
    }
    if (expr.kind == CPlsqlExpr::Kind::Multiset) return Combine(expr, out);
    static const CPlsqlType kNested = [] {
        CPlsqlType type;
        type.base = CPlsqlType::Base::Collection;
        type.collection = CPlsqlType::CollectionKind::Nested;
        return type;
    }();
    return MakeCollection(expr.type ? *expr.type : kNested, &expr, out);
}

bool CPlsqlInterpreter::Combine(CPlsqlExpr& expr, std::shared_ptr<CPlsqlCollection>& made) {
    using M = CPlsqlExpr::Multiset;
    static constexpr CPlsqlMultiset::Combine kCombine[] = {
        CPlsqlMultiset::Combine::Union, CPlsqlMultiset::Combine::Intersect, CPlsqlMultiset::Combine::Except};
    if (expr.multiset != M::Set && expr.multiset != M::Union && expr.multiset != M::Intersect &&
        expr.multiset != M::Except)
        return RaiseFailure(CPlsqlOperators::Failure{6502, CPlsqlErrors::ValueError::None, {}}, expr.at);
    std::shared_ptr<CPlsqlCollection> left;
    std::shared_ptr<CPlsqlCollection> right;
    if (!CollectionOperand(*expr.args[0], left)) return false;
    if (expr.args.size() > 1 && !CollectionOperand(*expr.args[1], right)) return false;
    made = std::make_shared<CPlsqlCollection>();
    CPlsqlOperators::Failure failure;
    bool done = expr.multiset == M::Set
                    ? CPlsqlMultiset::Distinct(left.get(), *made, failure, m_host.SessionZone())
                    : CPlsqlMultiset::Apply(
                          kCombine[static_cast<int>(expr.multiset) - static_cast<int>(M::Union)],
                          expr.distinct, left.get(), right.get(), *made, failure, m_host.SessionZone());
    return done || RaiseFailure(failure, expr.at);
}

bool CPlsqlInterpreter::EvalMultiset(CPlsqlExpr& expr, CPlsqlValue& out) {
    using M = CPlsqlExpr::Multiset;
    std::shared_ptr<CPlsqlCollection> left;
    std::shared_ptr<CPlsqlCollection> right;
    CPlsqlValue x;
    CPlsqlOperators::Failure failure;
    bool done = true;
    switch (expr.multiset) {
        case M::Member:
            if (!Eval(*expr.args[0], x) || !CollectionOperand(*expr.args[1], right)) return false;
            done = CPlsqlMultiset::Member(x, right.get(), out, failure, m_host.SessionZone());
            break;
        case M::Empty:
            if (!CollectionOperand(*expr.args[0], left)) return false;
            out = !left || left->isNull ? CPlsqlValue() : CPlsqlValue::Bool(left->Count() == 0);
            break;
        case M::ASet:
            if (!CollectionOperand(*expr.args[0], left)) return false;
            done = CPlsqlMultiset::IsASet(left.get(), out, failure, m_host.SessionZone());
            break;
        case M::Equal:
            if (!CollectionOperand(*expr.args[0], left) || !CollectionOperand(*expr.args[1], right))
                return false;
            done = CPlsqlMultiset::Equal(left.get(), right.get(), out, failure, m_host.SessionZone());
            break;
        case M::Submultiset:
            if (!CollectionOperand(*expr.args[0], left) || !CollectionOperand(*expr.args[1], right))
                return false;
            done = CPlsqlMultiset::Submultiset(left.get(), right.get(), out, failure, m_host.SessionZone());
            break;
        default:
            // Note: a collection's value stands only where a collection is assigned.
            return RaiseFailure(CPlsqlOperators::Failure{6502, CPlsqlErrors::ValueError::None, {}}, expr.at);
    }
    if (!done) return RaiseFailure(failure, expr.at);
    if (expr.negated && !out.IsNull()) out = CPlsqlValue::Bool(!out.BoolValue());
    return true;
}

bool CPlsqlInterpreter::EvalMethod(CPlsqlExpr& expr, CPlsqlValue& out) {
    using M = CPlsqlExpr::Method;
    const CPlsqlType& type = SlotType(expr.target);
    Datum* stored = DatumOf(expr.target);
    if (stored == nullptr) return false;
    Datum& datum = *stored;
    if (expr.method == M::Limit) {
        out = type.collection == CPlsqlType::CollectionKind::Varray ? CPlsqlValue::Integer(type.varrayLimit)
                                                                    : CPlsqlValue();
        return true;
    }
    CPlsqlCollection::Key key;
    CPlsqlCollection::Key found;
    if (expr.method == M::Exists || expr.method == M::Next || expr.method == M::Prior) {
        if (expr.args.size() != 1)
            return Raise(
                6550, CPlsqlErrors::Compile(m_unit.LineOf(expr.at), m_unit.ColumnOf(expr.at), 306, "EXISTS"),
                expr.at);
        CPlsqlTarget index = expr.target;
        index.index = std::shared_ptr<CPlsqlExpr>(expr.args[0].get(), [](CPlsqlExpr*) {});
        if (expr.method == M::Exists && (!datum.collection || datum.collection->isNull)) {
            out = CPlsqlValue::Bool(false);
            return true;
        }
        if (!KeyOf(index, type, key)) return false;
    }
    if (expr.method == M::Cardinality && (!datum.collection || datum.collection->isNull)) {
        out = CPlsqlValue();
        return true;
    }
    CPlsqlCollection* collection = nullptr;
    if (!Made(expr.target, collection)) return false;
    bool has = false;
    switch (expr.method) {
        case M::Count:
            out = CPlsqlValue::Integer(static_cast<std::int64_t>(collection->Count()));
            return true;
        case M::Cardinality:
            // Note: CARDINALITY of an empty collection is NULL, as of a null one.
            out = collection->Count() == 0
                      ? CPlsqlValue()
                      : CPlsqlValue::Integer(static_cast<std::int64_t>(collection->Count()));
            return true;
        case M::Exists:
            out = CPlsqlValue::Bool(collection->Find(key) != nullptr);
            return true;
        case M::First:
            has = collection->First(found);
            break;
        case M::Last:
            has = collection->Last(found);
            break;
        case M::Next:
            has = collection->Next(key, found);
            break;
        default:
            has = collection->Prior(key, found);
            break;
    }
    out = has ? CPlsqlCollection::KeyValue(found) : CPlsqlValue();
    return true;
}

CPlsqlInterpreter::Flow CPlsqlInterpreter::ExecMethod(CPlsqlStmt& statement) {
    using M = CPlsqlExpr::Method;
    const CPlsqlType& type = SlotType(statement.target);
    CPlsqlCollection* collection = nullptr;
    if (!Made(statement.target, collection)) return Flow::Raise;
    std::vector<CPlsqlCollection::Key> keys;
    for (auto& arg : statement.exprs) {
        CPlsqlTarget index = statement.target;
        index.index = std::shared_ptr<CPlsqlExpr>(arg.get(), [](CPlsqlExpr*) {});
        CPlsqlCollection::Key key;
        if (!KeyOf(index, statement.method == M::Delete ? type : CPlsqlType{}, key)) return Flow::Raise;
        keys.push_back(key);
    }
    long count = keys.empty() ? 1 : static_cast<long>(keys[0].number);
    switch (statement.method) {
        case M::Extend:
            if (count < 0)
                return Raise(6502, CPlsqlErrors::ValueErrorText(CPlsqlErrors::ValueError::None),
                             statement.at),
                       Flow::Raise;
            if (type.collection == CPlsqlType::CollectionKind::Varray &&
                static_cast<long>(collection->Count()) + count > type.varrayLimit)
                return Raise(6532, CPlsqlErrors::Text(6532), statement.at), Flow::Raise;
            if (collection->Count() + static_cast<std::size_t>(count) > CPlsqlCollection::kMaxElements)
                return Raise(6500, CPlsqlErrors::Text(6500), statement.at), Flow::Raise;
            return ExtendCopies(*collection, static_cast<std::size_t>(count), keys, statement.at);
        case M::Trim:
            if (count < 0 || count > collection->Size())
                return Raise(6533, CPlsqlErrors::Text(6533), statement.at), Flow::Raise;
            collection->Trim(static_cast<std::size_t>(count));
            return Flow::Normal;
        default:
            collection->Unpack();
            if (keys.empty()) {
                collection->elements.clear();
                collection->tail = 0;
            } else {
                collection->Erase(keys[0], keys.back());
            }
            return Flow::Normal;
    }
}

CPlsqlInterpreter::Flow CPlsqlInterpreter::ExtendCopies(CPlsqlCollection& collection, std::size_t count,
                                                        const std::vector<CPlsqlCollection::Key>& keys,
                                                        std::size_t at) {
    if (keys.size() < 2) return collection.Extend(count), Flow::Normal;
    // EXTEND(n, i): n copies of element i, which must be there.
    const CPlsqlCollection::Key& source = keys[1];
    if (source.number < 1 || source.number > collection.Size())
        return Raise(6533, CPlsqlErrors::Text(6533), at), Flow::Raise;
    const CPlsqlCollection::Element* element = collection.Find(source);
    if (element == nullptr) return Raise(1403, CPlsqlErrors::Text(1403), at), Flow::Raise;
    const CPlsqlCollection::Element copy = *element;
    collection.Extend(count, &copy);
    return Flow::Normal;
}

bool CPlsqlInterpreter::FreshCollections(const std::vector<CPlsqlTarget>& targets,
                                         std::vector<CPlsqlCollection*>& collections) {
    for (const CPlsqlTarget& target : targets) {
        const CPlsqlType* type = target.slot >= 0 ? &SlotType(target) : nullptr;
        if (type == nullptr || type->base != CPlsqlType::Base::Collection || target.index)
            return Raise(6550,
                         CPlsqlErrors::Compile(m_unit.LineOf(target.at), m_unit.ColumnOf(target.at), 382),
                         target.at);
        auto made = std::make_shared<CPlsqlCollection>();
        collections.push_back(made.get());
        Datum* datum = DatumOf(target);
        if (datum == nullptr) return false;
        datum->collection = std::move(made);
    }
    return true;
}

bool CPlsqlInterpreter::AppendBulk(const std::vector<CPlsqlValue>& row,
                                   const std::vector<CPlsqlTarget>& targets,
                                   const std::vector<CPlsqlCollection*>& collections, long number) {
    if (collections[0]->Count() >= CPlsqlCollection::kMaxElements)
        return Raise(6500, CPlsqlErrors::Text(6500), 0);
    auto key = CPlsqlCollection::NumberKey(number);
    const CPlsqlType* element = SlotType(targets[0]).element.get();
    if (targets.size() == 1 && element != nullptr && element->base == CPlsqlType::Base::Record) {
        std::vector<CPlsqlValue>& fields = collections[0]->elements[key].fields;
        fields = row;
        // Note: a TIMESTAMP(n) field holds its value as its type keeps it.
        for (std::size_t k = 0; k < fields.size() && k < element->fields.size(); ++k) {
            const CPlsqlType* field = element->fields[k].type.get();
            CPlsqlOperators::Failure failure;
            if (field != nullptr && field->base == CPlsqlType::Base::Date && field->fraction >= 0 &&
                fields[k].GetKind() == Kind::Date &&
                !CPlsqlOperators::Convert(row[k], *field, m_showDate, m_host.SessionZone(), fields[k],
                                          failure))
                return RaiseFailure(failure, targets[0].at);
        }
        return true;
    }
    if (targets.size() != row.size()) return Raise(947, CPlsqlErrors::Text(947), 0);
    for (std::size_t k = 0; k < row.size(); ++k) {
        CPlsqlTarget target = targets[k];
        // Note: scalars are packed as they come; a map of them would take
        // some twenty times the bytes of the values.
        bool failed = false;
        if (Pack(target, *collections[k], row[k], failed)) continue;
        if (failed) return false;
        collections[k]->Unpack();
        collections[k]->elements[key];
        target.index = std::make_shared<CPlsqlExpr>();
        target.index->literal = CPlsqlValue::Integer(number);
        if (!WriteElement(target, row[k])) return false;
    }
    return true;
}

bool CPlsqlInterpreter::StoreBulk(sqlite3_stmt* statement, const CPlsqlSql& sql,
                                  const std::vector<CPlsqlTarget>& targets, long limit, long& rows,
                                  bool& done) {
    std::vector<CPlsqlCollection*> collections;
    if (!FreshCollections(targets, collections)) return false;
    rows = 0;
    done = statement == nullptr;
    std::vector<CPlsqlValue> row;
    while (!done && (limit <= 0 || rows < limit)) {
        if (Cancelled()) return Raise(1013, CPlsqlErrors::Text(1013), 0);
        int rc = sqlite3_step(statement);
        if (rc == SQLITE_DONE) {
            done = true;
            break;
        }
        if (rc != SQLITE_ROW) return StepFailed(sql);
        row.resize(static_cast<std::size_t>(ColumnCount(statement, sql)));
        for (std::size_t k = 0; k < row.size(); ++k) row[k] = Column(statement, sql, static_cast<int>(k));
        if (!AppendBulk(row, targets, collections, ++rows)) return false;
    }
    return true;
}

bool CPlsqlInterpreter::EvalLimit(CPlsqlExpr& expr, std::size_t at, long& limit) {
    CPlsqlValue value;
    CPlsqlValue number;
    CPlsqlOperators::Failure failure;
    if (!Eval(expr, value)) return false;
    if (!CPlsqlOperators::ToNumber(value, number, failure) || !number.IsInteger() ||
        number.IntegerValue() < 1)
        return RaiseFailure(CPlsqlOperators::Failure{6502, CPlsqlErrors::ValueError::None, {}}, at);
    limit = static_cast<long>(number.IntegerValue());
    return true;
}

bool CPlsqlInterpreter::ForAllIndexes(CPlsqlStmt& statement, std::vector<std::int64_t>& indexes) {
    using B = CPlsqlStmt::Bounds;
    CPlsqlValue bounds[2];
    bool bounded = !statement.exprs.empty();
    if (bounded && !EvalBounds(statement, bounds, false)) return false;
    if (statement.bounds == B::Range) {
        for (std::int64_t i = bounds[0].IntegerValue(); i <= bounds[1].IntegerValue(); ++i) {
            if (indexes.size() >= CPlsqlCollection::kMaxElements)
                return Raise(6500, CPlsqlErrors::Text(6500), statement.at);
            indexes.push_back(i);
        }
        return true;
    }
    CPlsqlCollection* collection = nullptr;
    if (!Made(statement.target, collection)) return false;
    // Note: a collection filled by BULK COLLECT is packed until read so.
    collection->Unpack();
    for (const auto& [key, element] : collection->elements) {
        if (statement.bounds == B::Indices) {
            bool inside = !bounded ||
                          (key.number >= bounds[0].IntegerValue() && key.number <= bounds[1].IntegerValue());
            if (!key.text && inside) indexes.push_back(key.number);
            continue;
        }
        // VALUES OF: each element's value is an index of the statement's collections.
        CPlsqlValue number;
        CPlsqlOperators::Failure failure;
        if (element.value.IsNull() || !CPlsqlOperators::ToNumber(element.value, number, failure) ||
            !number.IsInteger())
            return RaiseFailure(CPlsqlOperators::Failure{6502, CPlsqlErrors::ValueError::None, {}},
                                statement.at);
        indexes.push_back(number.IntegerValue());
    }
    return true;
}

bool CPlsqlInterpreter::Pack(const CPlsqlTarget& target, CPlsqlCollection& collection,
                             const CPlsqlValue& value, bool& failed) {
    const CPlsqlType* element = SlotType(target).element.get();
    if (element == nullptr || !element->IsScalar() || target.field >= 0 ||
        (!collection.packed && !collection.elements.empty()))
        return false;
    CPlsqlValue converted = value;
    CPlsqlOperators::Failure failure;
    if (element->base != CPlsqlType::Base::Any &&
        !CPlsqlOperators::Convert(value, *element, m_showDate, m_host.SessionZone(), converted, failure))
        return failed = true, RaiseFailure(failure, target.at), false;
    if (!collection.packed) collection.packed = std::make_shared<CPlsqlPackedValues>();
    return collection.packed->Append(converted);
}

bool CPlsqlInterpreter::RunExecution(CPlsqlSql& sql, const std::vector<CPlsqlCollection*>& collections,
                                     long& returned, long& rows) {
    if (sql.bulk) return ReturnBulk(sql, sql.into, collections, returned, rows);
    int rc = sqlite3_step(sql.statement.get());
    while (rc == SQLITE_ROW) rc = sqlite3_step(sql.statement.get());
    if (rc != SQLITE_DONE) return StepFailed(sql);
    rows = m_host.Changes();
    return true;
}

CPlsqlInterpreter::Flow CPlsqlInterpreter::ExecForAll(CPlsqlStmt& statement) {
    std::vector<std::int64_t> indexes;
    if (!ForAllIndexes(statement, indexes)) return Flow::Raise;
    CPlsqlSql& sql = *statement.sql;
    CEngineError error;
    long total = 0;
    m_bulkRows.clear();
    m_bulkErrors.clear();
    // Note: RETURNING BULK COLLECT gathers the rows of every execution.
    std::vector<CPlsqlCollection*> collections;
    long returned = 0;
    if (sql.bulk && !FreshCollections(sql.into, collections)) return m_raised.at = statement.at, Flow::Raise;
    for (std::size_t iteration = 0; iteration < indexes.size(); ++iteration) {
        if (Cancelled()) return Raise(1013, CPlsqlErrors::Text(1013), statement.at), Flow::Raise;
        m_slots[static_cast<std::size_t>(statement.slot)].value = CPlsqlValue::Integer(indexes[iteration]);
        if (!m_host.BeginWrite(error)) return RaiseError(error, statement.at), Flow::Raise;
        m_host.NextStatement();
        // Note: each execution is a statement of its own, with its statement triggers.
        bool began = m_host.BeforeDml(sql.text, true, error);
        if (!began) RaiseError(error, statement.at);
        long rows = 0;
        bool ran = began && BindSql(sql) && RunExecution(sql, collections, returned, rows);
        if (began) ran = EndDml(sql, ran, statement.at) && ran;
        if (!ran) {
            // Note: SAVE EXCEPTIONS notes the failed execution and goes on;
            // the executions before a failure keep their changes either way.
            sqlite3_reset(sql.statement.get());
            m_sqlRan = true;
            m_sqlRows = total;
            if (!statement.saveExceptions || m_cancelled) return m_raised.at = statement.at, Flow::Raise;
            m_bulkErrors.emplace_back(static_cast<long>(iteration + 1), m_raised.id < 0 ? 6510 : m_raised.id);
            m_bulkRows[indexes[iteration]] = 0;
            continue;
        }
        m_bulkRows[indexes[iteration]] = rows;
        total += rows;
        sqlite3_reset(sql.statement.get());
    }
    m_sqlRan = true;
    m_sqlRows = total;
    m_rowsProcessed += total;
    if (!m_bulkErrors.empty()) return Raise(24381, CPlsqlErrors::Text(24381), statement.at), Flow::Raise;
    return Flow::Normal;
}

bool CPlsqlInterpreter::EvalBulkAttribute(CPlsqlExpr& expr, CPlsqlValue& out) {
    using A = CPlsqlExpr::Attribute;
    if (expr.attribute == A::BulkErrors) {
        out = CPlsqlValue::Integer(static_cast<std::int64_t>(m_bulkErrors.size()));
        return true;
    }
    CPlsqlValue value;
    CPlsqlValue number;
    CPlsqlOperators::Failure failure;
    if (!Eval(*expr.args[0], value)) return false;
    if (!CPlsqlOperators::ToNumber(value, number, failure) || !number.IsInteger())
        return RaiseFailure(CPlsqlOperators::Failure{6502, CPlsqlErrors::ValueError::None, {}}, expr.at);
    std::int64_t index = number.IntegerValue();
    if (expr.attribute == A::BulkRowCount) {
        auto found = m_bulkRows.find(index);
        out = found == m_bulkRows.end() ? CPlsqlValue() : CPlsqlValue::Integer(found->second);
        return true;
    }
    if (index < 1 || index > static_cast<std::int64_t>(m_bulkErrors.size()))
        return Raise(6533, CPlsqlErrors::Text(6533), expr.at);
    const auto& saved = m_bulkErrors[static_cast<std::size_t>(index - 1)];
    out = CPlsqlValue::Integer(expr.attribute == A::ErrorIndex ? saved.first : saved.second);
    return true;
}
