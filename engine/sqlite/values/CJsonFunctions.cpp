#include "engine/sqlite/values/CJsonFunctions.h"

#include <sqlite3.h>

#include <cstdio>
#include <string>
#include <string_view>

#include "engine/sqlite/CDateFormat.h"
#include "engine/sqlite/SqliteApi.h"
#include "engine/sqlite/values/CNumberValue.h"
#include "engine/sqlite/values/CTimeZone.h"
#include "text/NumberFit.h"

namespace {

using sqliteapi::ResultText;
using sqliteapi::TextOf;

bool IsNull(sqlite3_value* value) { return sqlite3_value_type(value) == SQLITE_NULL; }

// `text` (UTF-8) as a JSON string: quotes, backslashes and control
// characters escaped, every other byte as it is.
std::string Quoted(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
                    out += escaped;
                } else {
                    out += c;
                }
        }
    }
    return out + "\"";
}

// A NUMBER's text as JSON takes it: ".5" is "0.5", "-.5" is "-0.5".
std::string NumberText(const CNumberDecimal& number) {
    std::string text = numberfit::ServerText(number.ToText());
    if (text.starts_with(".")) return "0" + text;
    if (text.starts_with("-.")) return "-0" + text.substr(1);
    return text;
}

// A stored date or timestamp in ISO 8601; zoned, with its offset at that time.
bool DateText(std::string_view stored, bool zoned, std::string& out) {
    std::string_view local = stored;
    std::string_view zoneText;
    if (zoned && !CTimeZone::Split(stored, local, zoneText)) zoned = false;
    CDateTime value;
    if (!CDateFormat::ParseStored(local, value)) return false;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02d", value.year, value.month, value.day,
                  value.hour, value.minute, value.second);
    out = buffer;
    if (value.nanos != 0) {
        std::snprintf(buffer, sizeof buffer, ".%09d", value.nanos);
        std::string fraction = buffer;
        while (fraction.back() == '0') fraction.pop_back();
        out += fraction;
    }
    if (!zoned) return true;
    CTimeZone zone;
    if (CTimeZone::Parse(zoneText, zone) != 0) return false;
    std::int32_t offset = zone.offset;
    if (zone.region && zone.OffsetOfLocal(CTimeZone::Seconds(value), offset) != 0) return false;
    out += CTimeZone::ShowOffset(offset);
    return true;
}

void Item(sqlite3_context* context, int, sqlite3_value** argv) {
    if (IsNull(argv[1])) return sqlite3_result_null(context);
    const std::string kind = TextOf(argv[0]);
    const int type = sqlite3_value_type(argv[1]);
    CNumberDecimal number;
    if ((kind == "N" || (kind == "U" && (type == SQLITE_INTEGER || type == SQLITE_FLOAT))) &&
        CNumberValue::Read(argv[1], number))
        return ResultText(context, NumberText(number));
    if (kind == "D" || kind == "T" || kind == "Z") {
        std::string text;
        if (DateText(TextOf(argv[1]), kind == "Z", text)) return ResultText(context, Quoted(text));
    }
    ResultText(context, Quoted(TextOf(argv[1])));
}

// The members of an object, or the elements of an array, from `first` on:
// `step` arguments each, the item last.
std::string Members(int argc, sqlite3_value** argv, int first, int step, bool absent) {
    std::string out;
    for (int k = first; k + step - 1 < argc; k += step) {
        sqlite3_value* item = argv[k + step - 1];
        if (absent && IsNull(item)) continue;
        // Note: a member without a key has no place in the object.
        if (step == 2 && IsNull(argv[k])) continue;
        if (!out.empty()) out += ',';
        if (step == 2) out += Quoted(TextOf(argv[k])) + ":";
        out += IsNull(item) ? std::string("null") : TextOf(item);
    }
    return out;
}

void Object(sqlite3_context* context, int argc, sqlite3_value** argv) {
    ResultText(context, "{" + Members(argc, argv, 1, 2, sqlite3_value_int(argv[0]) != 0) + "}");
}

void Array(sqlite3_context* context, int argc, sqlite3_value** argv) {
    ResultText(context, "[" + Members(argc, argv, 1, 1, sqlite3_value_int(argv[0]) != 0) + "]");
}

void Member(sqlite3_context* context, int argc, sqlite3_value** argv) {
    std::string member = Members(argc, argv, 1, 2, sqlite3_value_int(argv[0]) != 0);
    if (member.empty()) return sqlite3_result_null(context);
    ResultText(context, member);
}

constexpr sqliteapi::FunctionRule kRules[] = {
    {"ORA_JSON_ITEM", 2, Item},
    {"ORA_JSON_OBJECT", -1, Object},
    {"ORA_JSON_ARRAY", -1, Array},
    {"ORA_JSON_MEMBER", 3, Member},
};

}  // namespace

bool CJsonFunctions::Register(sqlite3* db) { return sqliteapi::RegisterFunctions(db, kRules, nullptr); }
