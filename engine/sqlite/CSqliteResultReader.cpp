#include "engine/sqlite/CSqliteResultReader.h"

#include <sqlite3.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <optional>

#include "engine/sqlite/CDateFormat.h"
#include "engine/sqlite/CDeclaredType.h"
#include "engine/sqlite/CSqliteSession.h"
#include "engine/sqlite/CTimestampText.h"
#include "engine/sqlite/CValueText.h"
#include "engine/sqlite/SqliteApi.h"
#include "engine/sqlite/values/CFloatFunctions.h"
#include "engine/sqlite/values/CFloatValue.h"
#include "engine/sqlite/values/CTimeZone.h"
#include "text/Encoding.h"

namespace {

bool IsAscii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

std::string Hex(const void* data, int size) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (int k = 0; k < size; ++k) {
        out += kDigits[bytes[k] >> 4];
        out += kDigits[bytes[k] & 0x0F];
    }
    return out;
}

using ColumnPlan = CSqliteResultReader::ColumnPlan;

// The session's timestamp format for the column; null for the default.
const std::string* TimestampFormat(const ColumnPlan& plan) {
    const std::string* format = plan.zone ? plan.timestampTzFormat : plan.timestampFormat;
    const char* fallback = plan.zone ? CSqliteSession::kTimestampTzFormat : CSqliteSession::kTimestampFormat;
    return format != nullptr && *format != fallback ? format : nullptr;
}

// A stored timestamp by a format the session set.
std::string ShowByFormat(std::string_view stored, const ColumnPlan& plan, const std::string& format) {
    std::string out;
    if (!CValueText::HasStoredDatePrefix(stored) ||
        !CTimestampText::Show(stored, format, plan.fraction, CTimeZone::Machine(), plan.language, out))
        return std::string(stored);
    return IsAscii(out) ? out : encoding::Utf8ToCp932(out);
}

// A stored timestamp as the server's Japanese NLS_TIMESTAMP_FORMAT shows
// it ("RR-MM-DD HH24:MI:SSXFF", TZH:TZM after it for a time zone).
std::string ShowTimestamp(std::string_view stored, const ColumnPlan& plan) {
    if (const std::string* format = TimestampFormat(plan)) return ShowByFormat(stored, plan, *format);
    CDateTime value;
    if (!CValueText::HasStoredDatePrefix(stored) || !CDateFormat::ParseStored(stored, value))
        return std::string(stored);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%02d-%02d-%02d %02d:%02d:%02d", value.year % 100, value.month,
                  value.day, value.hour, value.minute, value.second);
    std::string out = buffer;
    if (plan.fraction > 0) {
        std::snprintf(buffer, sizeof buffer, ".%09d", value.nanos);
        out.append(buffer, static_cast<std::size_t>(plan.fraction) + 1);
    }
    // Note: TZR shows a value's region, else its offset.
    std::string_view local;
    std::string_view zone;
    if (CTimeZone::Split(stored, local, zone))
        out += " " + std::string(zone);
    else if (plan.zone)
        out += " " + CTimeZone::MachineOffset();
    return out;
}

// The width of a timestamp as ShowTimestamp writes it.
// Note: a zone is an offset or a region's name, the longest 32 bytes
// (America/Argentina/ComodRivadavia): a column never cuts one.
long TimestampWidth(int fraction, bool zone) {
    return 17 + (fraction > 0 ? fraction + 1 : 0) + (zone ? 33 : 0);
}

// The width of a timestamp column as the session's format writes it.
long TimestampWidth(const ColumnPlan& plan) {
    const std::string* format = TimestampFormat(plan);
    long width = format != nullptr ? CTimestampText::Width(*format, plan.fraction, plan.language) : 0;
    return width > 0 ? width : TimestampWidth(plan.fraction, plan.zone);
}

// A stored date as the session shows it; other text unchanged.
std::string ShowDate(std::string_view stored, const ColumnPlan& plan) {
    if (plan.fraction >= 0) return ShowTimestamp(stored, plan);
    const std::string* format = plan.dateFormat;
    if (format == nullptr || *format == "RR-MM-DD") return CValueText::ShowDate(stored);
    CDateTime value;
    std::string out;
    std::string error;
    if (!CValueText::HasStoredDatePrefix(stored) || !CDateFormat::ParseStored(stored, value) ||
        !CDateFormat::Format(value, *format, out, error, plan.language))
        return std::string(stored);
    // Note: month and day names of JAPANESE are made in UTF-8.
    return IsAscii(out) ? out : encoding::Utf8ToCp932(out);
}

// An expression described by its static type; false when the type is unknown.
bool DescribeTyped(const CValueType& type, CEngineColumn& column, ColumnPlan& plan) {
    switch (type.kind) {
        case CSqlType::Number:
            if (type.floatWidth != 0) {
                column.serverType = type.floatWidth == CFloatValue::kSingle ? servertype::kBinaryFloat
                                                                            : servertype::kBinaryDouble;
                column.size = type.floatWidth;
                return true;
            }
            // Note: the server describes a computed number as NUMBER with
            // neither precision nor scale.
            column.serverType = servertype::kNumber;
            column.size = 22;
            column.precision = 0;
            column.scale = -127;
            return true;
        case CSqlType::Date:
            column.serverType = servertype::kDate;
            column.size = 7;
            plan.isDate = true;
            plan.fraction = type.fraction;
            plan.zone = type.zone;
            if (type.fraction >= 0) {
                column.serverType = type.zone        ? servertype::kTimestampTz
                                    : type.localZone ? servertype::kTimestampLtz
                                                     : servertype::kTimestamp;
                column.size = TimestampWidth(plan);
                column.scale = static_cast<short>(type.fraction);
            }
            return true;
        case CSqlType::Text:
        case CSqlType::Char:
            // Note: a text literal is CHAR of its length, as on the server.
            column.serverType = type.kind == CSqlType::Char ? servertype::kChar : servertype::kVarchar2;
            // Note: a length in characters is up to two bytes of CP932 each.
            column.size = type.chars ? type.length * 2 : type.length;
            column.charLength = type.chars ? type.length : 0;
            column.typeName = type.typeName;
            plan.sizeFromValues = type.length <= 0;
            return true;
        case CSqlType::Unknown:
            break;
    }
    return false;
}

// A column of a compound query is declared as its first branch's; the
// others may hold longer text.
void WidenToCompound(const CValueType* type, CEngineColumn& column, ColumnPlan& plan) {
    bool text = column.serverType == servertype::kVarchar2 || column.serverType == servertype::kChar;
    if (type == nullptr || !text || (type->kind != CSqlType::Text && type->kind != CSqlType::Char)) return;
    if (type->length <= 0) plan.sizeFromValues = true;
    long bytes = type->chars ? type->length * 2 : type->length;
    if (bytes > column.size) column.size = bytes;
    if (type->kind == CSqlType::Text) column.serverType = servertype::kVarchar2;
}

CEngineColumn DescribeColumn(sqlite3* db, sqlite3_stmt* statement, int index, ColumnPlan& plan,
                             const CValueType* type) {
    const char* declared = sqlite3_column_decltype(statement, index);
    CEngineColumn column;
    if (declared != nullptr) {
        CDeclaredType::Description description = CDeclaredType::Describe(declared);
        column = description.column;
        plan.sizeFromValues = description.sizeFromValues;
        plan.isDate = description.isDate;
        plan.fraction = description.fraction;
        plan.zone = description.zone;
        if (description.fraction >= 0) column.size = TimestampWidth(plan);
        if (description.roundsToScale) plan.scale = description.column.scale;
        WidenToCompound(type, column, plan);
    } else if (type == nullptr || !DescribeTyped(*type, column, plan)) {
        plan.expression = true;
    }
    if (column.serverType == servertype::kBinaryFloat || column.serverType == servertype::kBinaryDouble)
        plan.floatWidth =
            column.serverType == servertype::kBinaryFloat ? CFloatValue::kSingle : CFloatValue::kDouble;
    plan.isNumber = !plan.expression && (column.serverType == servertype::kNumber ||
                                         column.serverType == servertype::kBinaryFloat ||
                                         column.serverType == servertype::kBinaryDouble);
    column.name = sqliteapi::Cp932Of(sqlite3_column_name(statement, index));
    const char* database = sqlite3_column_database_name(statement, index);
    const char* table = sqlite3_column_table_name(statement, index);
    const char* origin = sqlite3_column_origin_name(statement, index);
    int notNull = 0;
    int primaryKey = 0;
    if (type != nullptr && type->notNull) column.nullable = false;
    if (database != nullptr && table != nullptr && origin != nullptr &&
        sqlite3_table_column_metadata(db, database, table, origin, nullptr, nullptr, &notNull, &primaryKey,
                                      nullptr) == SQLITE_OK)
        column.nullable = notNull == 0 && primaryKey == 0;
    return column;
}

// A number rounded half away from zero to `scale` decimals (negative: to
// tens, hundreds, ...).
std::string RoundedText(double value, int scale) {
    // Powers of ten up to 1e22 are exact doubles.
    static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                         1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    double factor = scale >= 0 && scale <= 22 ? kPowers[scale] : std::pow(10.0, scale);
    double rounded = std::round(value * factor) / factor;
    return std::isfinite(rounded) ? CValueText::FromDouble(rounded) : CValueText::FromDouble(value);
}

// The text of one value as the server shows it; false for NULL.
bool ReadValue(sqlite3_stmt* statement, int index, int storage, const ColumnPlan& plan, std::string& text,
               bool& isNumber) {
    isNumber = false;
    if (plan.floatWidth != 0 && storage != SQLITE_NULL) {
        isNumber = true;
        double value = 0;
        bool valid = true;
        if (CFloatFunctions::Read(sqlite3_column_value(statement, index), value, valid)) {
            text = CFloatValue::Text(value, plan.floatWidth);
            return true;
        }
    }
    switch (storage) {
        case SQLITE_NULL:
            return false;
        case SQLITE_INTEGER:
            isNumber = true;
            if (plan.scale && *plan.scale < 0)
                text = RoundedText(static_cast<double>(sqlite3_column_int64(statement, index)), *plan.scale);
            else
                text = CValueText::FromInteger(sqlite3_column_int64(statement, index));
            return true;
        case SQLITE_FLOAT:
            isNumber = true;
            text = plan.scale ? RoundedText(sqlite3_column_double(statement, index), *plan.scale)
                              : CValueText::FromDouble(sqlite3_column_double(statement, index));
            return true;
        case SQLITE_BLOB:
            if (plan.isNumber) {
                isNumber = true;
                text.assign(static_cast<const char*>(sqlite3_column_blob(statement, index)),
                            static_cast<std::size_t>(sqlite3_column_bytes(statement, index)));
                return true;
            }
            text = Hex(sqlite3_column_blob(statement, index), sqlite3_column_bytes(statement, index));
            return true;
        default:
            break;
    }
    const char* utf8 = reinterpret_cast<const char*>(sqlite3_column_text(statement, index));
    std::string_view view(utf8 != nullptr ? utf8 : "",
                          static_cast<std::size_t>(sqlite3_column_bytes(statement, index)));
    if (IsAscii(view))
        text.assign(view);
    else
        text = encoding::Utf8ToCp932(view);
    if (plan.isDate) text = ShowDate(text, plan);
    return true;
}

void Observe(ColumnPlan& plan, int storage, const std::string& text, bool isNumber) {
    if (text.size() > plan.widest) plan.widest = text.size();
    if (isNumber) {
        plan.sawNumber = true;
        if (storage == SQLITE_FLOAT && text.find('.') != std::string::npos) plan.sawFraction = true;
    } else if (storage == SQLITE_BLOB) {
        plan.sawBlob = true;
    } else {
        plan.sawText = true;
        if (!CValueText::IsStoredDate(text)) plan.allStoredDates = false;
    }
}

// Sets the type and size of a column whose description depends on its values.
void Finish(ColumnPlan& plan, std::size_t index, CEngineResult& result) {
    CEngineColumn& column = result.Columns()[index];
    long widest = static_cast<long>(plan.widest > 0 ? plan.widest : 1);
    if (plan.sizeFromValues) column.size = widest;
    if (!plan.expression) return;
    if (plan.sawText && plan.allStoredDates && !plan.sawNumber && !plan.sawBlob) {
        column.serverType = servertype::kDate;
        column.size = 7;
        for (std::size_t row = 0; row < result.RowCount(); ++row)
            if (!result.IsNull(row, index))
                result.SetValue(row, index, ShowDate(result.Value(row, index), plan));
    } else if (plan.sawText || (!plan.sawNumber && !plan.sawBlob)) {
        column.serverType = servertype::kVarchar2;
        column.size = widest;
    } else if (plan.sawNumber) {
        column.serverType = servertype::kNumber;
        column.size = 22;
        column.precision = 38;
        column.scale = plan.sawFraction ? -127 : 0;
    } else {
        column.serverType = servertype::kRaw;
        column.size = widest;
    }
}

}  // namespace

void CSqliteResultReader::Describe(sqlite3* db, sqlite3_stmt* statement,
                                   const std::vector<CSelectList::Item>& items,
                                   std::vector<CEngineColumn>& columns, std::vector<ColumnPlan>& plans,
                                   const CSqliteSession* session, const std::vector<CValueType>* types) {
    int count = sqlite3_column_count(statement);
    ColumnPlan start;
    if (session != nullptr) {
        start.dateFormat = &session->dateFormat;
        start.timestampFormat = &session->timestampFormat;
        start.timestampTzFormat = &session->timestampTzFormat;
        start.language = session->dateLanguage;
    }
    plans.assign(static_cast<std::size_t>(count), start);
    columns.clear();
    for (int index = 0; index < count; ++index) {
        auto at = static_cast<std::size_t>(index);
        const CValueType* type = types != nullptr && types->size() == plans.size() ? &(*types)[at] : nullptr;
        columns.push_back(DescribeColumn(db, statement, index, plans[at], type));
        if (at < items.size() && !items[at].named) columns.back().name = items[at].heading;
    }
}

void CSqliteResultReader::AddRow(sqlite3_stmt* statement, std::vector<ColumnPlan>& plans,
                                 CEngineResult& result) {
    thread_local std::string text;
    const int count = static_cast<int>(plans.size());
    for (int index = 0; index < count; ++index) {
        ColumnPlan& plan = plans[static_cast<std::size_t>(index)];
        bool isNumber = false;
        int storage = sqlite3_column_type(statement, index);
        if (!ReadValue(statement, index, storage, plan, text, isNumber)) {
            result.AddValue({}, true);
            continue;
        }
        Observe(plan, storage, text, isNumber);
        result.AddValue(text, false);
    }
    result.EndRow();
}

bool CSqliteResultReader::Read(sqlite3* db, sqlite3_stmt* statement,
                               const std::vector<CSelectList::Item>& items, CEngineResult& result,
                               CEngineError& error, const std::vector<CValueType>& types,
                               const CSqliteSession* session) {
    std::vector<ColumnPlan> plans;
    std::vector<CEngineColumn> columns;
    Describe(db, statement, items, columns, plans, session, &types);
    result.SetColumns(std::move(columns));
    int rc = SQLITE_OK;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) AddRow(statement, plans, result);
    if (rc != SQLITE_DONE) {
        result.Clear();
        error.Set(sqliteapi::Cp932Of(sqlite3_errmsg(db)));
        return false;
    }
    for (std::size_t index = 0; index < plans.size(); ++index) {
        if (index < items.size() && items[index].textConversion) plans[index].allStoredDates = false;
        // Note: with the types known, text is a date only when typed one.
        if (types.size() == plans.size() && types[index].kind != CSqlType::Date)
            plans[index].allStoredDates = false;
        Finish(plans[index], index, result);
    }
    return true;
}

bool CSqliteResultReader::ValueText(sqlite3_stmt* statement, int index, std::string& text, bool& isNumber,
                                    bool number) {
    ColumnPlan plan;
    plan.isNumber = number;
    return ReadValue(statement, index, sqlite3_column_type(statement, index), plan, text, isNumber);
}
