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
    return true;
}

bool CPlsqlInterpreter::WriteHeld(const CPlsqlTarget& target, const CPlsqlValue& value) {
    std::vector<CPlsqlValue> fields;
    if (!HeldObject(target, *target.object, fields)) return false;
    // Note: an attribute of a NULL object cannot be set (ACCESS_INTO_NULL).
    if (fields.empty()) return Raise(6530, CPlsqlErrors::Text(6530), target.at);
    auto attribute = static_cast<std::size_t>(target.attribute);
    const CPlsqlType& type = *target.object->fields[attribute].type;
    CPlsqlValue converted = value;
    CPlsqlOperators::Failure failure;
    if (type.IsScalar() && type.base != CPlsqlType::Base::Any &&
        !CPlsqlOperators::Convert(value, type, m_showDate, m_host.SessionZone(), converted, failure))
        return RaiseFailure(failure, target.at);
    fields[attribute] = std::move(converted);
    return Write(WholeField(target), CPlsqlValue::Text(CObjectText::Constructor(fields, *target.object)),
                 nullptr);
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

bool CPlsqlInterpreter::AssignHeld(const CPlsqlStmt& statement, const CPlsqlType& type) {
    std::vector<CPlsqlValue> fields;
    bool ok =
        RecordOf(*statement.exprs[0], type, fields) &&
        Write(statement.target,
              fields.empty() ? CPlsqlValue() : CPlsqlValue::Text(CObjectText::Constructor(fields, type)),
              nullptr);
    if (!ok) m_raised.at = statement.at;
    return ok;
}
