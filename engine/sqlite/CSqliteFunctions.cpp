#include "engine/sqlite/CSqliteFunctions.h"

#include <sqlite3.h>
#include <unistd.h>

#include <cctype>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/sqlite/CDateFormat.h"
#include "engine/sqlite/COraError.h"
#include "engine/sqlite/CSqliteSession.h"
#include "engine/sqlite/CTerritoryFormat.h"
#include "engine/sqlite/CValueText.h"
#include "engine/sqlite/SqliteApi.h"
#include "engine/sqlite/plsql/CPlsqlInterval.h"
#include "engine/sqlite/values/CConstructorJson.h"
#include "engine/sqlite/values/CNumberFunctions.h"
#include "engine/sqlite/values/CNumberValue.h"
#include "engine/sqlite/values/CTextLimit.h"
#include "engine/sqlite/values/CTimeZone.h"
#include "engine/sqlite/values/CZoneFunctions.h"
#include "text/CNumberFormat.h"
#include "text/Cp932.h"
#include "text/Encoding.h"
#include "text/NumberFit.h"

namespace {

using sqliteapi::TextOf;

bool IsNumeric(sqlite3_value* value) {
    int type = sqlite3_value_type(value);
    return type == SQLITE_INTEGER || type == SQLITE_FLOAT;
}

// A numeric argument, or text that reads as a number.
bool NumberOf(sqlite3_value* value, double& number) {
    if (IsNumeric(value)) {
        number = sqlite3_value_double(value);
        return true;
    }
    return CValueText::ParseNumber(TextOf(value), number);
}

using sqliteapi::ResultText;

// The text of a number without a model (TO_CHAR(n), n || text, a number
// kept in a VARCHAR2): see numberfit::ServerText.
std::string NumberText(sqlite3_value* value) {
    if (sqlite3_value_type(value) == SQLITE_INTEGER)
        return CValueText::FromInteger(sqlite3_value_int64(value));
    CNumberDecimal number;
    if (!CNumberValue::Read(value, number)) return TextOf(value);
    return numberfit::ServerText(number.ToText());
}

void ResultNumber(sqlite3_context* context, double number) {
    if (std::trunc(number) == number && std::fabs(number) < 9e15)
        sqlite3_result_int64(context, static_cast<sqlite3_int64>(number));
    else
        sqlite3_result_double(context, number);
}

void ResultError(sqlite3_context* context, int code, std::initializer_list<std::string_view> args = {},
                 int at = -1) {
    std::string message = COraError::ForFunction(code, args, at);
    sqlite3_result_error(context, message.c_str(), static_cast<int>(message.size()));
}

CDateLanguage LanguageOf(sqlite3_context* context) {
    auto* session = static_cast<CSqliteSession*>(sqlite3_user_data(context));
    return session != nullptr ? session->dateLanguage : CDateLanguage::Japanese;
}

bool LanguageOfParameter(std::string_view text, CDateLanguage& language) {
    return CDateFormat::LanguageOfParameter(text, language);
}

const std::string& TerritoryOf(sqlite3_context* context) {
    static const std::string kDefault = "JAPAN";
    auto* session = static_cast<CSqliteSession*>(sqlite3_user_data(context));
    return session != nullptr ? session->territory : kDefault;
}

// A model with the territory's DL, DS and TS in place: 0, or the server's
// number for a model that cannot be read (ORA-01821) or a territory whose
// models the engine lacks (ORA-03001, `refused` naming it).
int TerritoryModel(sqlite3_context* context, std::string_view format, bool reading, std::string& model,
                   std::string& refused) {
    const std::string& territory = TerritoryOf(context);
    auto outcome = reading ? CTerritoryFormat::ForReading(format, territory, model)
                           : CTerritoryFormat::ForWriting(format, territory, model);
    if (outcome == CTerritoryFormat::Outcome::Refused) return 1821;
    if (outcome == CTerritoryFormat::Outcome::Unknown) {
        refused = "DL/DS/TS (NLS_TERRITORY " + territory + ")";
        return 3001;
    }
    return 0;
}

const std::string& DateFormatOf(sqlite3_context* context) {
    static const std::string kDefault = "RR-MM-DD";
    auto* session = static_cast<CSqliteSession*>(sqlite3_user_data(context));
    return session != nullptr ? session->dateFormat : kDefault;
}

bool AnyNull(int argc, sqlite3_value** argv) {
    for (int k = 0; k < argc; ++k)
        if (sqlite3_value_type(argv[k]) == SQLITE_NULL) return true;
    return false;
}

void Sysdate(sqlite3_context* context, int, sqlite3_value**) {
    ResultText(context, CDateFormat::ToStored(CDateFormat::Now()));
}

void Nvl(sqlite3_context* context, int, sqlite3_value** argv) {
    sqlite3_result_value(context, sqlite3_value_type(argv[0]) != SQLITE_NULL ? argv[0] : argv[1]);
}

void Nvl2(sqlite3_context* context, int, sqlite3_value** argv) {
    sqlite3_result_value(context, sqlite3_value_type(argv[0]) != SQLITE_NULL ? argv[1] : argv[2]);
}

bool SameValue(sqlite3_value* a, sqlite3_value* b) {
    bool aNull = sqlite3_value_type(a) == SQLITE_NULL;
    bool bNull = sqlite3_value_type(b) == SQLITE_NULL;
    if (aNull || bNull) return aNull && bNull;
    if (IsNumeric(a) && IsNumeric(b)) return sqlite3_value_double(a) == sqlite3_value_double(b);
    return TextOf(a) == TextOf(b);
}

// DECODE(expr, search1, result1, ..., [default]); NULL matches NULL.
void Decode(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (argc < 3) {
        ResultError(context, 909, {"DECODE"});
        return;
    }
    int k = 1;
    for (; k + 1 < argc; k += 2)
        if (SameValue(argv[0], argv[k])) {
            sqlite3_result_value(context, argv[k + 1]);
            return;
        }
    if (k < argc)
        sqlite3_result_value(context, argv[k]);
    else
        sqlite3_result_null(context);
}

// TO_DATE(text [, format]), and TO_DATE(text, format or NULL, at) or
// TO_DATE(text, format, nls parameter, at) as the compiled statement writes
// it, with the offset of the text for an error.
void ToDate(sqlite3_context* context, int argc, sqlite3_value** argv) {
    const bool positioned = argc >= 3;
    const int at = positioned ? sqlite3_value_int(argv[argc - 1]) : -1;
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || (argc == 2 && AnyNull(argc, argv)) ||
        (argc == 4 && sqlite3_value_type(argv[2]) == SQLITE_NULL))
        return sqlite3_result_null(context);
    CDateLanguage language = LanguageOf(context);
    if (argc == 4 && !LanguageOfParameter(TextOf(argv[2]), language))
        return ResultError(context, 12702, {TextOf(argv[2])}, at);
    bool formatted = argc > 1 && sqlite3_value_type(argv[1]) != SQLITE_NULL;
    std::string text = TextOf(argv[0]);
    CDateTime value;
    int code = 0;
    if (formatted) {
        std::string model;
        std::string refused;
        if (int failed = TerritoryModel(context, TextOf(argv[1]), true, model, refused); failed != 0)
            return ResultError(context, failed, {failed == 3001 ? refused : TextOf(argv[1])}, at);
        code = CDateFormat::Read(text, model, value, language);
        // Note: a model that is none fails as such, not as the text it reads.
        if (std::string written, error;
            code != 0 && !CDateFormat::Format(CDateFormat::Now(), model, written, error))
            return ResultError(context, 1821, {TextOf(argv[1])}, at);
    } else if (!CValueText::HasStoredDatePrefix(text) || !CDateFormat::ParseStored(text, value))
        code = CDateFormat::Read(text, DateFormatOf(context), value, language);
    if (code == 0) return ResultText(context, CDateFormat::ToStored(value));
    // Note: a year before the common era is refused by name, never misread.
    if (code == 3001) return ResultError(context, code, {"紀元前の年 (SYYYY)"}, at);
    ResultError(context, code, {text}, at);
}

void ToChar(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    std::string out;
    std::string error;
    bool ok = true;
    CDateTime date;
    std::string text = TextOf(argv[0]);
    CDateLanguage language = LanguageOf(context);
    if (argc == 3 && (IsNumeric(argv[0]) || !LanguageOfParameter(TextOf(argv[2]), language)))
        return ResultError(context, 12702, {TextOf(argv[2])});
    if (!IsNumeric(argv[0]) && CValueText::HasStoredDatePrefix(text) &&
        CDateFormat::ParseStored(text, date)) {
        std::string format;
        std::string refused;
        if (int failed = TerritoryModel(context, argc > 1 ? TextOf(argv[1]) : DateFormatOf(context), false,
                                        format, refused);
            failed != 0)
            return ResultError(context, failed, {refused});
        // Note: TZH, TZM, TZR and TZD write a zoned value's zone.
        std::string_view local;
        std::string_view written;
        CTimeZone zone;
        if (CTimeZone::Split(text, local, written) && CTimeZone::Parse(written, zone) == 0) {
            std::int32_t offset = 0;
            std::int64_t seconds = CTimeZone::Seconds(date);
            zone.OffsetOfLocal(seconds, offset);
            format = CZoneFunctions::WithZone(format, zone, seconds - offset);
        }
        ok = CDateFormat::Format(date, format, out, error, language);
        if (!ok) return ResultError(context, 1821, {TextOf(argv[1])});
    } else if (CNumberDecimal number; argc > 1 && CNumberValue::Read(argv[0], number)) {
        // Note: every digit goes to the model, those beyond a double's 15 and
        // those of a number held as text or as a column's digits.
        ok = CNumberFormat::Format(number.ToText(), TextOf(argv[1]), out, error);
        if (!ok) return ResultError(context, 1481, {TextOf(argv[1])});
        // Note: the currency is CP932 text; the engine's values are UTF-8.
        out = encoding::Cp932ToUtf8(out);
    } else if (IsNumeric(argv[0])) {
        out = NumberText(argv[0]);
    } else {
        out = text;
    }
    (void)ok;
    ResultText(context, out);
}

// ORA_NUMBER_TEXT(n): a NUMBER as the server converts it to text without a
// model; a value that is no number keeps its text.
void OraNumberText(sqlite3_context* context, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(context);
    ResultText(context, NumberText(argv[0]));
}

// The group and decimal characters an NLS_NUMERIC_CHARACTERS parameter
// names ("NLS_NUMERIC_CHARACTERS = ',.'", decimal first); false for any
// other parameter.
bool NumericCharacters(std::string_view text, char& group, char& point) {
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) return false;
    std::string key;
    for (char c : text.substr(0, equals))
        if (c != ' ' && c != '\t') key += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    std::string_view value = text.substr(equals + 1);
    while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
    while (!value.empty() && value.back() == ' ') value.remove_suffix(1);
    if (value.size() >= 2 && (value.front() == '\'' || value.front() == '"') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    if (key != "NLS_NUMERIC_CHARACTERS" || value.size() != 2 || value[0] == value[1]) return false;
    point = value[0];
    group = value[1];
    return true;
}

// TO_NUMBER(text, at), TO_NUMBER(text, model, at) and TO_NUMBER(text, model,
// nls, at), `at` the offset of the text.
void ToNumber(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(context);
    const int at = argc > 1 ? sqlite3_value_int(argv[argc - 1]) : -1;
    CNumberDecimal number;
    if (argc <= 2 || IsNumeric(argv[0])) {
        if (!CNumberValue::Read(argv[0], number)) return ResultError(context, 1722, {}, at);
        return CNumberValue::Result(context, number);
    }
    if (AnyNull(argc, argv)) return sqlite3_result_null(context);
    char group = ',';
    char point = '.';
    if (argc == 4 && !NumericCharacters(TextOf(argv[2]), group, point))
        return ResultError(context, 12702, {TextOf(argv[2])});
    std::string text;
    const std::string model = TextOf(argv[1]);
    if (CNumberFormat::Read(encoding::Utf8ToCp932(TextOf(argv[0])), model, text, group, point) &&
        CNumberDecimal::FromText(text, number))
        return CNumberValue::Result(context, number);
    // Note: a model that is none fails as such, not as the text it reads.
    CNumberFormat parsed;
    std::string error;
    if (!CNumberFormat::IsHexadecimal(model) && !CNumberFormat::Parse(model, parsed, error))
        return ResultError(context, 1481, {model}, at);
    ResultError(context, 1722, {}, at);
}

// MOD(m, n): the remainder with the sign of m; m when n is 0.
void Mod(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv)) return sqlite3_result_null(context);
    CNumberDecimal a;
    CNumberDecimal b;
    if (!CNumberValue::Read(argv[0], a) || !CNumberValue::Read(argv[1], b)) return ResultError(context, 1722);
    CNumberValue::Result(context, a.Mod(b));
}

void Trunc(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv)) return sqlite3_result_null(context);
    CDateTime date;
    std::string text = TextOf(argv[0]);
    if (!IsNumeric(argv[0]) && CValueText::HasStoredDatePrefix(text) &&
        CDateFormat::ParseStored(text, date)) {
        date.hour = date.minute = date.second = 0;
        return ResultText(context, CDateFormat::ToStored(date));
    }
    CNumberDecimal number;
    if (!CNumberValue::Read(argv[0], number)) return ResultError(context, 1722);
    CNumberValue::Result(context, number.Truncate(argc > 1 ? sqlite3_value_int(argv[1]) : 0));
}

// The text of a value in a concatenation: numbers in the server's form.
std::string ConcatText(sqlite3_value* value) {
    switch (sqlite3_value_type(value)) {
        case SQLITE_NULL:
            return {};
        case SQLITE_INTEGER:
        case SQLITE_FLOAT:
            return NumberText(value);
        default:
            return TextOf(value);
    }
}

// A joined text: ORA-01489 beyond the longest VARCHAR2.
void ResultJoined(sqlite3_context* context, const std::string& text) {
    if (!CTextLimit::Fits(text)) return ResultError(context, 1489);
    ResultText(context, text);
}

void Concat(sqlite3_context* context, int, sqlite3_value** argv) {
    ResultJoined(context, ConcatText(argv[0]) + ConcatText(argv[1]));
}

// A value that is a date: text in the stored date form.
bool DateOf(sqlite3_value* value, CDateTime& date) {
    if (sqlite3_value_type(value) != SQLITE_TEXT) return false;
    std::string text = TextOf(value);
    return CValueText::IsStoredDate(text) && CDateFormat::ParseStored(text, date);
}

void ResultDate(sqlite3_context* context, const CDateTime& date, double days) {
    CDateTime out;
    if (CDateFormat::AddDays(date, days, out))
        ResultText(context, CDateFormat::ToStored(out));
    else
        ResultError(context, 1841);
}

// "+" as the server reads it: a date plus a number of days is a date.
// A date moved by an interval's text, as intervals travel (a PL/SQL
// INTERVAL variable bound to the statement); false when `value` is no interval.
bool ShiftByInterval(sqlite3_context* context, const CDateTime& date, sqlite3_value* value, int sign) {
    CIntervalFunctions::Value interval;
    std::string text = sqlite3_value_type(value) == SQLITE_TEXT ? TextOf(value) : std::string();
    if (text.empty() || !CPlsqlInterval::Read(text, interval)) return false;
    std::string moved;
    int code = CPlsqlInterval::Shift(CDateFormat::ToStored(date), text, sign, moved);
    if (code != 0) return ResultError(context, code, {code == 1839 ? moved : std::string()}), true;
    ResultText(context, moved);
    return true;
}

void OraAdd(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv)) {
        sqlite3_result_null(context);
        return;
    }
    CDateTime date;
    double days = 0;
    bool first = DateOf(argv[0], date);
    if (first || DateOf(argv[1], date)) {
        if (ShiftByInterval(context, date, argv[first ? 1 : 0], 1)) return;
        if (!NumberOf(argv[first ? 1 : 0], days))
            ResultError(context, 932);
        else
            ResultDate(context, date, days);
        return;
    }
    CNumberFunctions::AddValues(context, argv[0], argv[1], false);
}

// "-" as the server reads it: date - days is a date, date - date the days
// between them.
void OraSub(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv)) {
        sqlite3_result_null(context);
        return;
    }
    CDateTime left;
    CDateTime right;
    double days = 0;
    bool leftDate = DateOf(argv[0], left);
    bool rightDate = DateOf(argv[1], right);
    if (leftDate && rightDate)
        ResultNumber(context, CDateFormat::DaysBetween(left, right));
    else if (rightDate)
        ResultError(context, 932);
    else if (leftDate && ShiftByInterval(context, left, argv[1], -1))
        return;
    else if (!leftDate)
        CNumberFunctions::AddValues(context, argv[0], argv[1], true);
    else if (!NumberOf(argv[1], days))
        ResultError(context, 932);
    else
        ResultDate(context, left, -days);
}

// "||" as the server reads it: NULL is the empty text.
void OraConcat(sqlite3_context* context, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL && sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    ResultJoined(context, ConcatText(argv[0]) + ConcatText(argv[1]));
}

// Length in bytes of the CP932 text of a value.
void LengthB(sqlite3_context* context, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    std::string text = ConcatText(argv[0]);
    sqlite3_result_int64(context, static_cast<sqlite3_int64>(encoding::Utf8ToCp932(text).size()));
}

void AddMonths(sqlite3_context* context, int argc, sqlite3_value** argv) {
    CDateTime date;
    CDateTime out;
    if (AnyNull(argc, argv)) {
        sqlite3_result_null(context);
    } else if (!DateOf(argv[0], date)) {
        ResultError(context, 932);
    } else if (!CDateFormat::AddMonths(date, sqlite3_value_int64(argv[1]), out)) {
        ResultError(context, 1841);
    } else {
        ResultText(context, CDateFormat::ToStored(out));
    }
}

void LastDay(sqlite3_context* context, int, sqlite3_value** argv) {
    CDateTime date;
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
    } else if (!DateOf(argv[0], date)) {
        ResultError(context, 932);
    } else {
        date.day = CDateFormat::LastDayOfMonth(date.year, date.month);
        ResultText(context, CDateFormat::ToStored(date));
    }
}

void NextDay(sqlite3_context* context, int, sqlite3_value** argv) {
    CDateTime date;
    CDateTime out;
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL)
        return sqlite3_result_null(context);
    if (!DateOf(argv[0], date)) return ResultError(context, 932);
    if (!CDateFormat::NextDay(date, TextOf(argv[1]), LanguageOf(context), out))
        return ResultError(context, 1846);
    out.nanos = 0;
    ResultText(context, CDateFormat::ToStored(out));
}

using sqliteapi::FunctionRule;

const CSqliteSession* SessionOf(sqlite3_context* context) {
    return static_cast<const CSqliteSession*>(sqlite3_user_data(context));
}

// USER: the session's user.
void User(sqlite3_context* context, int, sqlite3_value**) {
    const CSqliteSession* session = SessionOf(context);
    if (session == nullptr || session->user.empty()) return sqlite3_result_null(context);
    ResultText(context, encoding::Cp932ToUtf8(session->user));
}

// UID: one number for the one user of an embedded database.
void Uid(sqlite3_context* context, int, sqlite3_value**) { sqlite3_result_int(context, 100); }

// SYS_CONTEXT('USERENV', parameter): the session's facts; ORA-02003 for a
// parameter the namespace does not have, NULL for another namespace.
void SysContext(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv)) return sqlite3_result_null(context);
    std::string space = cp932::ToUpper(TextOf(argv[0]));
    if (space != "USERENV") return sqlite3_result_null(context);
    const CSqliteSession* session = SessionOf(context);
    std::string user = session != nullptr ? encoding::Cp932ToUtf8(session->user) : std::string();
    std::string database = session != nullptr ? encoding::Cp932ToUtf8(session->database) : std::string();
    const struct {
        const char* name;
        std::string value;
    } kParameters[] = {
        {"SESSION_USER", user},
        {"CURRENT_USER", user},
        {"CURRENT_SCHEMA", user},
        {"AUTHENTICATED_IDENTITY", user},
        {"DB_NAME", database},
        {"INSTANCE_NAME", database},
        {"SERVICE_NAME", database},
        {"DB_UNIQUE_NAME", database},
        {"CON_NAME", database},
        {"SESSION_USERID", "100"},
        {"CURRENT_SCHEMAID", "100"},
        {"CURRENT_USERID", "100"},
        {"ISDBA", "FALSE"},
        {"LANGUAGE", session != nullptr ? session->language + "_" + session->territory + ".JA16SJISTILDE"
                                        : std::string("JAPANESE_JAPAN.JA16SJISTILDE")},
        {"LANG", session != nullptr && session->language != "JAPANESE" ? "US" : "JA"},
        {"NLS_TERRITORY", session != nullptr ? session->territory : std::string("JAPAN")},
        {"NLS_CALENDAR", "GREGORIAN"},
        {"NLS_DATE_FORMAT", session != nullptr ? session->dateFormatSetting : std::string("RR-MM-DD")},
        {"NLS_DATE_LANGUAGE",
         session != nullptr && session->dateLanguage == CDateLanguage::American ? "AMERICAN" : "JAPANESE"},
        {"NLS_SORT", "BINARY"},
        {"DATABASE_ROLE", "PRIMARY"},
        // Note: the one session of V$SESSION.
        {"SID", "1"},
        {"SESSIONID", std::to_string(getpid())},
    };
    std::string parameter = cp932::ToUpper(TextOf(argv[1]));
    for (const auto& row : kParameters)
        if (parameter == row.name)
            return row.value.empty() ? sqlite3_result_null(context) : ResultText(context, row.value);
    ResultError(context, 2003, {TextOf(argv[1])});
}

// TARVEX_OBJECT_JSON(value): an object's document (a JSON array) as it is;
// an object kept as its constructor's text (how a collection's element held
// an object attribute in older files) as the document it stands for; NULL
// for a text that is neither.
void ObjectJson(sqlite3_context* context, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(context);
    std::string text = TextOf(argv[0]);
    if (!text.empty() && text.front() == '[') return ResultText(context, text);
    std::string json;
    if (!CConstructorJson::ToJson(text, json)) return sqlite3_result_null(context);
    ResultText(context, json);
}

// ORA_NOCYCLE(found, nocycle): 1 for a row not met above itself; else 0
// with NOCYCLE, ORA-01436 without.
void NoCycle(sqlite3_context* context, int, sqlite3_value** argv) {
    if (sqlite3_value_int(argv[0]) == 0) return sqlite3_result_int(context, 1);
    if (sqlite3_value_int(argv[1]) != 0) return sqlite3_result_int(context, 0);
    ResultError(context, 1436);
}

constexpr FunctionRule kFunctions[] = {
    {"SYSDATE", 0, Sysdate, false},
    {"NVL", 2, Nvl, true},
    {"NVL2", 3, Nvl2, true},
    {"DECODE", -1, Decode, true},
    {"TO_DATE", 1, ToDate, true},
    {"TO_DATE", 2, ToDate, true},
    {"TO_CHAR", 1, ToChar, true},
    {"TO_CHAR", 2, ToChar, true},
    {"TO_CHAR", 3, ToChar, true},
    {"TO_NUMBER", 1, ToNumber, true},
    {"TO_NUMBER", 2, ToNumber, true},
    {"TO_NUMBER", 3, ToNumber, true},
    {"TO_NUMBER", 4, ToNumber, true},
    {"TO_DATE", 3, ToDate, true},
    {"TO_DATE", 4, ToDate, true},
    {"MOD", 2, Mod, true},
    {"TRUNC", 1, Trunc, true},
    {"TRUNC", 2, Trunc, true},
    {"CONCAT", 2, Concat, true},
    {"ORA_ADD", 2, OraAdd, true},
    {"ORA_USER", 0, User, false},
    {"ORA_NOCYCLE", 2, NoCycle, true},
    {"ORA_UID", 0, Uid, true},
    {"ORA_SYS_CONTEXT", 2, SysContext, false},
    {"ORA_SUB", 2, OraSub, true},
    {"ORA_CONCAT", 2, OraConcat, true},
    {"LENGTHB", 1, LengthB, true},
    {"ADD_MONTHS", 2, AddMonths, true},
    {"LAST_DAY", 1, LastDay, true},
    {"NEXT_DAY", 2, NextDay, true},
    {"ORA_NUMBER_TEXT", 1, OraNumberText, true},
    {"TARVEX_OBJECT_JSON", 1, ObjectJson, true},
};

// Note: the server numbers the rows as they are read; counting the calls of
// a function that is never taken for constant does the same for WHERE
// ROWNUM <= n and for ROWNUM in the select list.
void RowNumber(sqlite3_context* context, int, sqlite3_value**) {
    auto* counter = static_cast<long long*>(sqlite3_user_data(context));
    sqlite3_result_int64(context, ++*counter);
}

}  // namespace

bool CSqliteFunctions::Register(sqlite3* db, long long* rowNumber, CSqliteSession* session) {
    if (sqlite3_create_function(db, "ROWNUM", 0, SQLITE_UTF8, rowNumber, RowNumber, nullptr, nullptr) !=
        SQLITE_OK)
        return false;
    return sqliteapi::RegisterFunctions(db, kFunctions, session);
}
