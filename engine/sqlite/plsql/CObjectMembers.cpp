#include "engine/sqlite/plsql/CObjectMembers.h"

#include <sqlite3.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/sqlite/CSqliteConnection.h"
#include "engine/sqlite/CValueText.h"
#include "engine/sqlite/SqliteApi.h"
#include "engine/sqlite/plsql/CBlockHost.h"
#include "engine/sqlite/plsql/CCollectionJson.h"
#include "engine/sqlite/plsql/CPlsqlErrors.h"
#include "engine/sqlite/plsql/CPlsqlInterpreter.h"
#include "engine/sqlite/values/CNumberDecimal.h"
#include "text/Encoding.h"

namespace {

std::string TextOf(sqlite3_value* value) {
    const unsigned char* raw = sqlite3_value_text(value);
    return encoding::Utf8ToCp932(raw != nullptr ? reinterpret_cast<const char*>(raw) : "");
}

// The member function `method` of the type `type` taking `count` arguments
// besides SELF; null when there is none.
std::shared_ptr<CPlsqlUnit> FindMember(CBlockHost& host, const std::string& type, const std::string& method,
                                       std::size_t count) {
    bool invalid = false;
    auto package = host.FindPackage(type, invalid);
    if (!package) return nullptr;
    auto range = package->members.equal_range(method);
    for (auto it = range.first; it != range.second; ++it) {
        const CPlsqlUnit& unit = *it->second;
        bool member = !unit.method.empty() && unit.method != "STATIC" && unit.method != "CONSTRUCTOR";
        if (member && unit.type == "FUNCTION" && unit.parameters.size() == count + 1) return it->second;
    }
    return nullptr;
}

// A scalar attribute of a document as its field's type holds it.
CPlsqlValue FieldValue(const std::string& text, bool isNull, const CPlsqlType& type) {
    if (isNull) return CPlsqlValue();
    switch (type.base) {
        case CPlsqlType::Base::Number:
        case CPlsqlType::Base::Integer: {
            CNumberDecimal number;
            return CNumberDecimal::FromText(text, number) ? CPlsqlValue::Decimal(number) : CPlsqlValue();
        }
        case CPlsqlType::Base::Date:
            return CValueText::IsStoredDate(text) ? CPlsqlValue::Date(text) : CPlsqlValue();
        default:
            return CPlsqlValue::Text(text);
    }
}

// SELF's fields from the document: its scalar attributes (an object or a
// collection attribute is left NULL).
std::vector<CPlsqlValue> Fields(sqlite3* db, sqlite3_value* document, const CPlsqlType& type) {
    std::vector<CPlsqlValue> fields(type.fields.size());
    sqliteapi::Statement each = sqliteapi::Prepare(db, "SELECT key, value, type FROM json_each(?1)");
    if (!each) return fields;
    sqlite3_bind_value(each.get(), 1, document);
    while (sqlite3_step(each.get()) == SQLITE_ROW) {
        auto k = static_cast<std::size_t>(sqlite3_column_int(each.get(), 0));
        if (k >= fields.size() || !type.fields[k].type->IsScalar()) continue;
        const unsigned char* raw = sqlite3_column_text(each.get(), 1);
        std::string text = encoding::Utf8ToCp932(raw != nullptr ? reinterpret_cast<const char*>(raw) : "");
        const unsigned char* kind = sqlite3_column_text(each.get(), 2);
        bool isNull = kind == nullptr || std::string(reinterpret_cast<const char*>(kind)) == "null";
        fields[k] = FieldValue(text, isNull, *type.fields[k].type);
    }
    return fields;
}

}  // namespace

void CObjectMembers::Member(sqlite3_context* context, int count, sqlite3_value** values) {
    auto* connection = static_cast<CSqliteConnection*>(sqlite3_user_data(context));
    if (count < 2) return sqlite3_result_null(context);
    // Note: a member of a NULL object answers NULL in SQL.
    if (sqlite3_value_type(values[1]) == SQLITE_NULL) return sqlite3_result_null(context);
    std::string name = TextOf(values[0]);
    std::size_t dot = name.find('.');
    CBlockHost host(*connection);
    auto unit = dot == std::string::npos ? nullptr
                                         : FindMember(host, name.substr(0, dot), name.substr(dot + 1),
                                                      static_cast<std::size_t>(count) - 2);
    if (!unit) {
        std::string failure = encoding::Cp932ToUtf8(CPlsqlErrors::Compile(1, 1, 904, name));
        return sqlite3_result_error(context, failure.c_str(), static_cast<int>(failure.size()));
    }
    // Note: the statement that calls the member keeps what the connection
    // holds of it (its result types, its error).
    auto types = connection->m_resultTypes;
    CEngineError saved = connection->m_error;
    std::vector<CPlsqlValue> arguments(unit->parameters.size());
    std::vector<bool> given(unit->parameters.size(), true);
    for (int k = 2; k < count; ++k)
        arguments[static_cast<std::size_t>(k) - 1] = CBlockHost::FromSqlite(values[k]);
    std::vector<CEngineBind> binds;
    CPlsqlInterpreter interpreter(*unit, host, binds, 1);
    const auto& self = unit->parameters[0];
    const CPlsqlType& selfType = *unit->slotTypes[static_cast<std::size_t>(self.slot)];
    interpreter.SetRecord(self.slot, Fields(sqlite3_context_db_handle(context), values[1], selfType));
    CPlsqlValue result;
    bool ran = interpreter.Call(arguments, given, result);
    connection->m_resultTypes = std::move(types);
    connection->m_error = saved;
    if (ran) return CBlockHost::ToSqlite(context, result);
    std::string failure = interpreter.RaisedStack();
    std::string utf8 = encoding::Cp932ToUtf8(failure);
    sqlite3_result_error(context, utf8.c_str(), static_cast<int>(utf8.size()));
}

void CObjectMembers::Result(sqlite3_context* context, int count, sqlite3_value** values) {
    auto* connection = static_cast<CSqliteConnection*>(sqlite3_user_data(context));
    if (count < 3) return sqlite3_result_null(context);
    CBlockHost host(*connection);
    auto unit = FindMember(host, TextOf(values[0]), TextOf(values[1]),
                           static_cast<std::size_t>(sqlite3_value_int(values[2])));
    if (!unit || !unit->returnType) return sqlite3_result_null(context);
    std::string declared = CCollectionJson::Declared(*unit->returnType);
    sqlite3_result_text(context, declared.c_str(), static_cast<int>(declared.size()), SQLITE_TRANSIENT);
}

void CObjectMembers::Register(CSqliteConnection& connection) {
    sqlite3* db = connection.m_db;
    sqlite3_create_function_v2(db, "TARVEX_MEMBER", -1, SQLITE_UTF8, &connection, CObjectMembers::Member,
                               nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "TARVEX_MEMBER_RESULT", 3, SQLITE_UTF8, &connection,
                               CObjectMembers::Result, nullptr, nullptr, nullptr);
}
