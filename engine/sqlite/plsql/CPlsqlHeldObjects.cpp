// PL/SQL: a record's field of an object type (a row of a table with an
// object column, a record type with an object field). The field holds the
// object as its constructor's text (see CObjectText), NULL for a NULL
// object; its attributes are read and written through that text.
#include "engine/sqlite/plsql/CObjectText.h"
#include "engine/sqlite/plsql/CPlsqlErrors.h"
#include "engine/sqlite/plsql/CPlsqlHost.h"
#include "engine/sqlite/plsql/CPlsqlInterpreter.h"

namespace {

CPlsqlTarget WholeField(const CPlsqlTarget& target) {
    CPlsqlTarget whole = target;
    whole.attribute = -1;
    whole.object.reset();
    whole.json = false;
    return whole;
}

}  // namespace

bool CPlsqlInterpreter::HeldObject(const CPlsqlTarget& target, const CPlsqlType& type,
                                   std::vector<CPlsqlValue>& fields) {
    CPlsqlValue held;
    fields.clear();
    if (!Read(WholeField(target), held)) return false;
    if (held.IsNull()) return true;
    if (held.GetKind() != CPlsqlValue::Kind::Text || !CObjectText::Read(held.TextValue(), type, fields))
        return Raise(932, CPlsqlErrors::Text(932), target.at);
    return true;
}

bool CPlsqlInterpreter::ReadHeld(const CPlsqlTarget& target, CPlsqlValue& out) {
    std::vector<CPlsqlValue> fields;
    if (!HeldObject(target, *target.object, fields)) return false;
    if (target.json) {
        out =
            fields.empty() ? CPlsqlValue() : CPlsqlValue::Text(CObjectText::Document(fields, *target.object));
        return true;
    }
    // Note: an attribute of a NULL object reads as NULL.
    auto attribute = static_cast<std::size_t>(target.attribute);
    out = attribute < fields.size() ? fields[attribute] : CPlsqlValue();
    const CPlsqlType* holder = target.object->fields[attribute].type.get();
    for (int deeper : target.deeper) {
        if (out.IsNull()) return true;
        if (out.GetKind() != CPlsqlValue::Kind::Text || !CObjectText::Read(out.TextValue(), *holder, fields))
            return Raise(932, CPlsqlErrors::Text(932), target.at);
        out = fields[static_cast<std::size_t>(deeper)];
        holder = holder->fields[static_cast<std::size_t>(deeper)].type.get();
    }
    return true;
}

bool CPlsqlInterpreter::WriteHeld(const CPlsqlTarget& target, const CPlsqlValue& value) {
    // The objects along the path, outermost first, each with its type and
    // the place of the attribute that leads on.
    struct Level {
        std::vector<CPlsqlValue> fields;
        const CPlsqlType* type;
        std::size_t attribute;
    };
    std::vector<Level> levels{{{}, target.object.get(), static_cast<std::size_t>(target.attribute)}};
    if (!HeldObject(target, *target.object, levels[0].fields)) return false;
    for (int deeper : target.deeper) {
        const Level& outer = levels.back();
        const CPlsqlType* type = outer.type->fields[outer.attribute].type.get();
        // Note: an attribute of a NULL object cannot be set (ACCESS_INTO_NULL).
        if (outer.fields.empty() || outer.fields[outer.attribute].IsNull())
            return Raise(6530, CPlsqlErrors::Text(6530), target.at);
        const CPlsqlValue held = outer.fields[outer.attribute];
        Level inner{{}, type, static_cast<std::size_t>(deeper)};
        if (held.GetKind() != CPlsqlValue::Kind::Text ||
            !CObjectText::Read(held.TextValue(), *type, inner.fields))
            return Raise(932, CPlsqlErrors::Text(932), target.at);
        levels.push_back(std::move(inner));
    }
    if (levels.back().fields.empty()) return Raise(6530, CPlsqlErrors::Text(6530), target.at);
    const CPlsqlType& type = *levels.back().type->fields[levels.back().attribute].type;
    CPlsqlValue converted = value;
    CPlsqlOperators::Failure failure;
    if (type.IsScalar() && type.base != CPlsqlType::Base::Any &&
        !CPlsqlOperators::Convert(value, type, m_showDate, m_host.SessionZone(), converted, failure))
        return RaiseFailure(failure, target.at);
    levels.back().fields[levels.back().attribute] = std::move(converted);
    for (std::size_t k = levels.size() - 1; k > 0; --k)
        levels[k - 1].fields[levels[k - 1].attribute] =
            CPlsqlValue::Text(CObjectText::Constructor(levels[k].fields, *levels[k].type));
    return Write(WholeField(target),
                 CPlsqlValue::Text(CObjectText::Constructor(levels[0].fields, *target.object)), nullptr);
}

bool CPlsqlInterpreter::StoreHeld(const CPlsqlTarget& target, const CPlsqlValue& value,
                                  const CPlsqlType& type) {
    std::vector<CPlsqlValue> fields;
    if (!value.IsNull() &&
        (value.GetKind() != CPlsqlValue::Kind::Text || !CObjectText::Read(value.TextValue(), type, fields)))
        return Raise(932, CPlsqlErrors::Text(932), target.at);
    return Write(target,
                 value.IsNull() ? CPlsqlValue() : CPlsqlValue::Text(CObjectText::Constructor(fields, type)),
                 nullptr);
}

bool CPlsqlInterpreter::HeldOf(CPlsqlExpr& source, const CPlsqlType& type, CPlsqlValue& out) {
    std::vector<CPlsqlValue> fields;
    if (!RecordOf(source, type, fields)) return false;
    out = fields.empty() ? CPlsqlValue() : CPlsqlValue::Text(CObjectText::Constructor(fields, type));
    return true;
}

bool CPlsqlInterpreter::AssignHeld(const CPlsqlStmt& statement, const CPlsqlType& type) {
    CPlsqlValue held;
    bool ok = HeldOf(*statement.exprs[0], type, held) && Write(statement.target, held, nullptr);
    if (!ok) m_raised.at = statement.at;
    return ok;
}
