#include "engine/sqlite/values/CZoneFunctions.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>

#include "engine/sqlite/COraError.h"
#include "engine/sqlite/CSqliteSession.h"
#include "engine/sqlite/CTerritoryFormat.h"
#include "engine/sqlite/CTimestampText.h"
#include "engine/sqlite/CValueText.h"
#include "engine/sqlite/SqliteApi.h"
#include "engine/sqlite/values/CIntervalFunctions.h"
#include "engine/sqlite/values/CNumberDecimal.h"
#include "engine/sqlite/values/CNumberValue.h"
#include "engine/sqlite/values/CTimeZone.h"
#include "engine/sqlite/values/FormatText.h"

namespace {

using sqliteapi::ResultText;
using sqliteapi::TextOf;

constexpr std::int64_t kNanos = 1000000000;

// A value read: its local time and zone (the session's for a plain one).
struct Zoned {
    CDateTime local;
    CTimeZone zone;
    bool zoned = false;
};

CSqliteSession& SessionOf(sqlite3_context* context) {
    return *static_cast<CSqliteSession*>(sqlite3_user_data(context));
}

bool IsNull(sqlite3_value* value) { return sqlite3_value_type(value) == SQLITE_NULL; }

void Raise(sqlite3_context* context, int code, std::initializer_list<std::string_view> args = {},
           int at = -1) {
    std::string message = COraError::ForFunction(code, args, at);
    sqlite3_result_error(context, message.c_str(), static_cast<int>(message.size()));
}

std::string Upper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

// A stored value: 0, or ORA-00932 for one that is no date.
int ReadStored(const CSqliteSession& session, std::string_view text, Zoned& out) {
    std::string_view local;
    std::string_view zone;
    out.zone = session.timeZone;
    out.zoned = CTimeZone::Split(text, local, zone);
    if (out.zoned) {
        if (int code = CTimeZone::Parse(zone, out.zone); code != 0) return code;
        text = local;
    }
    return CValueText::HasStoredDatePrefix(text) && CDateFormat::ParseStored(text, out.local) ? 0 : 932;
}

// Text of a date and a zone read by `format` (the stored form and the
// session's timestamp form when null): the zone is the text after the last
// blank, or from its last sign on. 0, or the server's number.
int ReadText(const CSqliteSession& session, const std::string& text, const std::string* format, Zoned& out,
             CDateLanguage language) {
    if (ReadStored(session, text, out) == 0) return 0;
    // Note: RR reads four digits too; YYYY would take "20" for the year 20.
    static const std::array<std::string, 3> kForms = {"RR-MM-DD HH24:MI:SSXFF", "RR-MM-DD HH24:MI:SS",
                                                      "RR-MM-DD"};
    int failed = 1861;
    for (std::size_t split : {text.rfind(' '), text.find_last_of("+-")}) {
        if (split == std::string::npos || split < 8) continue;
        std::string zone = text.substr(split + (text[split] == ' ' ? 1 : 0));
        // Note: TZH alone ("+09") is an offset of whole hours.
        if (zone.find(':') == std::string::npos &&
            zone.find_first_not_of("+-0123456789") == std::string::npos)
            zone += ":00";
        std::string date = text.substr(0, split);
        while (!date.empty() && date.back() == ' ') date.pop_back();
        int code = 0;
        if (format != nullptr) {
            code = CDateFormat::Read(date, *format, out.local, language);
        } else {
            for (const std::string& form : kForms)
                if ((code = CDateFormat::Read(date, form, out.local, language)) == 0) break;
        }
        if (code != 0) {
            failed = code;
            continue;
        }
        out.zoned = true;
        return CTimeZone::Parse(zone, out.zone);
    }
    return failed;
}

// The instant of a value in seconds since 1970 UTC.
int Instant(const Zoned& value, std::int64_t& utc) {
    std::int32_t offset = 0;
    std::int64_t local = CTimeZone::Seconds(value.local);
    if (int code = value.zone.OffsetOfLocal(local, offset); code != 0) return code;
    utc = local - offset;
    return 0;
}

// The local time of the instant `utc` at `zone`.
CDateTime At(std::int64_t utc, int nanos, const CTimeZone& zone) {
    return CTimeZone::FromSeconds(utc + zone.OffsetAt(utc), nanos);
}

std::string Stored9(const CDateTime& v) {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d.%09d", v.year, v.month, v.day, v.hour,
                  v.minute, v.second, v.nanos);
    return buffer;
}

// Reads argument `k` of a call as a stored value; false (the error set) when it is none.
bool Argument(sqlite3_context* context, sqlite3_value* value, Zoned& out) {
    if (int code = ReadStored(SessionOf(context), TextOf(value), out); code != 0) {
        Raise(context, code, {TextOf(value)});
        return false;
    }
    return true;
}

bool Zone(sqlite3_context* context, sqlite3_value* value, CTimeZone& out) {
    if (int code = CTimeZone::Parse(TextOf(value), out); code != 0) {
        Raise(context, code, {TextOf(value)});
        return false;
    }
    return true;
}

void Difference(sqlite3_context* context, int, sqlite3_value** argv) {
    if (IsNull(argv[0]) || IsNull(argv[1])) return sqlite3_result_null(context);
    Zoned a;
    Zoned b;
    if (!Argument(context, argv[0], a) || !Argument(context, argv[1], b)) return;
    std::int64_t left = CTimeZone::Seconds(a.local);
    std::int64_t right = CTimeZone::Seconds(b.local);
    // Note: two values of one zone's clock differ by their clocks; with a
    // zone on either side, by their instants.
    if (a.zoned || b.zoned) {
        if (int code = Instant(a, left); code != 0) return Raise(context, code);
        if (int code = Instant(b, right); code != 0) return Raise(context, code);
    }
    CIntervalFunctions::Value interval;
    interval.seconds = left - right;
    interval.nanos = static_cast<std::int64_t>(a.local.nanos) - b.local.nanos;
    if (interval.seconds > 0 && interval.nanos < 0) {
        --interval.seconds;
        interval.nanos += kNanos;
    } else if (interval.seconds < 0 && interval.nanos > 0) {
        ++interval.seconds;
        interval.nanos -= kNanos;
    }
    ResultText(context, CIntervalFunctions::Show(interval));
}

void FromTz(sqlite3_context* context, int, sqlite3_value** argv) {
    if (IsNull(argv[0]) || IsNull(argv[1])) return sqlite3_result_null(context);
    Zoned value;
    CTimeZone zone;
    if (!Argument(context, argv[0], value) || !Zone(context, argv[1], zone)) return;
    std::int32_t offset = 0;
    if (int code = zone.OffsetOfLocal(CTimeZone::Seconds(value.local), offset); code != 0)
        return Raise(context, code);
    ResultText(context, CTimeZone::Store(value.local, zone));
}

void AtZone(sqlite3_context* context, const Zoned& value, const CTimeZone& zone) {
    std::int64_t utc = 0;
    if (int code = Instant(value, utc); code != 0) return Raise(context, code);
    ResultText(context, CTimeZone::Store(At(utc, value.local.nanos, zone), zone));
}

void AtTimeZone(sqlite3_context* context, int, sqlite3_value** argv) {
    if (IsNull(argv[0]) || IsNull(argv[1])) return sqlite3_result_null(context);
    Zoned value;
    CTimeZone zone;
    if (Argument(context, argv[0], value) && Zone(context, argv[1], zone)) AtZone(context, value, zone);
}

void AtLocal(sqlite3_context* context, int, sqlite3_value** argv) {
    if (IsNull(argv[0])) return sqlite3_result_null(context);
    Zoned value;
    if (Argument(context, argv[0], value)) AtZone(context, value, SessionOf(context).timeZone);
}

void ExtractUtc(sqlite3_context* context, int, sqlite3_value** argv) {
    if (IsNull(argv[0])) return sqlite3_result_null(context);
    Zoned value;
    std::int64_t utc = 0;
    if (!Argument(context, argv[0], value)) return;
    if (int code = Instant(value, utc); code != 0) return Raise(context, code);
    ResultText(context, CDateFormat::ToStored(CTimeZone::FromSeconds(utc, value.local.nanos)));
}

void TzOffset(sqlite3_context* context, int, sqlite3_value** argv) {
    if (IsNull(argv[0])) return sqlite3_result_null(context);
    CTimeZone zone;
    if (!Zone(context, argv[0], zone)) return;
    std::int64_t now = CDateFormat::NowMicros() / 1000000;
    ResultText(context, CTimeZone::ShowOffset(zone.OffsetAt(now)));
}

void SessionZone(sqlite3_context* context, int, sqlite3_value**) {
    ResultText(context, SessionOf(context).timeZone.Show());
}

void DatabaseZone(sqlite3_context* context, int, sqlite3_value**) {
    ResultText(context, SessionOf(context).dbTimeZone.Show());
}

// The time now as the machine's clock shows it, to the microsecond.
// Note: the clock is read once a statement, as the server does: SYSTIMESTAMP
// - SYSTIMESTAMP is zero.
CDateTime MachineNow(CSqliteSession& session) {
    if (session.clockMicros == 0) session.clockMicros = CDateFormat::NowMicros();
    CDateTime now =
        std::getenv("TARVEX_CLOCK") != nullptr
            ? CDateFormat::Now()
            : CTimeZone::FromSeconds(session.clockMicros / 1000000 + CTimeZone::Machine().offset, 0);
    now.nanos = static_cast<int>(session.clockMicros % 1000000) * 1000;
    return now;
}

CDateTime SessionNow(CSqliteSession& session) {
    CDateTime machine = MachineNow(session);
    std::int64_t utc = CTimeZone::Seconds(machine) - CTimeZone::Machine().offset;
    return At(utc, machine.nanos, session.timeZone);
}

void SysTimestamp(sqlite3_context* context, int, sqlite3_value**) {
    ResultText(context, CTimeZone::Store(MachineNow(SessionOf(context)), CTimeZone::Machine()));
}

void CurrentTimestamp(sqlite3_context* context, int, sqlite3_value**) {
    CSqliteSession& session = SessionOf(context);
    ResultText(context, CTimeZone::Store(SessionNow(session), session.timeZone));
}

void LocalTimestamp(sqlite3_context* context, int, sqlite3_value**) {
    ResultText(context, CDateFormat::ToStored(SessionNow(SessionOf(context))));
}

void CurrentDate(sqlite3_context* context, int, sqlite3_value**) {
    CDateTime now = SessionNow(SessionOf(context));
    now.nanos = 0;
    ResultText(context, CDateFormat::ToStored(now));
}

// (text, model or NULL[, NLS parameter], at).
void ToTimestampTz(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (IsNull(argv[0]) || (argc == 4 && IsNull(argv[2]))) return sqlite3_result_null(context);
    int at = sqlite3_value_int(argv[argc - 1]);
    std::string text = TextOf(argv[0]);
    const CSqliteSession& session = SessionOf(context);
    CDateLanguage language = session.dateLanguage;
    if (argc == 4 && !CDateFormat::LanguageOfParameter(TextOf(argv[2]), language))
        return Raise(context, 12702, {TextOf(argv[2])}, at);
    // Note: without a model the session's NLS_TIMESTAMP_TZ_FORMAT reads the
    // text; its default reads the forms a literal may take.
    const bool sessionModel =
        IsNull(argv[1]) && session.timestampTzFormat != CSqliteSession::kTimestampTzFormat;
    std::string format = sessionModel      ? CTimestampText::WithFraction(session.timestampTzFormat, 9)
                         : IsNull(argv[1]) ? std::string()
                                           : TextOf(argv[1]);
    // Note: the territory's DL, DS and TS read as its models do.
    if (std::string model; !format.empty()) {
        auto outcome = CTerritoryFormat::ForReading(format, session.territory, model);
        if (outcome == CTerritoryFormat::Outcome::Refused) return Raise(context, 1821, {format}, at);
        if (outcome == CTerritoryFormat::Outcome::Unknown)
            return Raise(context, 3001, {"DL/DS/TS (NLS_TERRITORY " + session.territory + ")"}, at);
        format = model;
    }
    std::string dateFormat = format;
    // Note: the zone's elements come last; the date is read by what precedes them.
    std::string upper = Upper(format);
    std::size_t zoneAt = std::string::npos;
    for (std::string_view element : {"TZH", "TZR", "TZM", "TZD"})
        zoneAt = std::min(zoneAt, upper.find(element));
    if (zoneAt != std::string::npos) {
        dateFormat = format.substr(0, zoneAt);
        while (!dateFormat.empty() && (dateFormat.back() == ' ' || dateFormat.back() == '"'))
            dateFormat.pop_back();
    }
    Zoned value;
    int code = 0;
    const bool modelled = !IsNull(argv[1]) || sessionModel;
    if (modelled && zoneAt == std::string::npos) {
        code = CDateFormat::Read(text, format, value.local, language);
        value.zone = session.timeZone;
    } else {
        code = ReadText(session, text, modelled ? &dateFormat : nullptr, value, language);
    }
    // Note: a model that is none fails as such, not as the text it reads.
    if (std::string written, error;
        code != 0 && modelled && !CDateFormat::Format(CDateFormat::Now(), dateFormat, written, error))
        return Raise(context, 1821, {format}, at);
    if (code != 0) return Raise(context, code, {text}, at);
    ResultText(context, CTimeZone::Store(value.local, value.zone));
}

// The second's fraction rounded to `digits`; false past the year 9999.
bool Round(CDateTime& value, int digits) {
    static constexpr int kUnits[] = {1000000000, 100000000, 10000000, 1000000, 100000,
                                     10000,      1000,      100,      10,      1};
    int unit = kUnits[std::clamp(digits, 0, 9)];
    int nanos = (value.nanos + unit / 2) / unit * unit;
    if (nanos < kNanos) return value.nanos = nanos, true;
    value = CTimeZone::FromSeconds(CTimeZone::Seconds(value) + 1, 0);
    return CDateFormat::IsValid(value);
}

void StoreZoned(sqlite3_context* context, int, sqlite3_value** argv) {
    if (IsNull(argv[0])) return sqlite3_result_null(context);
    int at = sqlite3_value_int(argv[1]);
    if (sqlite3_value_type(argv[0]) != SQLITE_TEXT) return Raise(context, 932, {}, at);
    const CSqliteSession& session = SessionOf(context);
    std::string text = TextOf(argv[0]);
    Zoned value;
    if (int code = ReadText(session, text, nullptr, value, session.dateLanguage); code != 0) {
        // Note: a text of the session's date format is a plain value.
        value = Zoned{};
        value.zone = session.timeZone;
        if (CDateFormat::Read(text, session.dateFormat, value.local, session.dateLanguage) != 0)
            return Raise(context, code, {text}, at);
    }
    if (!Round(value.local, sqlite3_value_int(argv[2]))) return Raise(context, 1841, {}, at);
    if (sqlite3_value_int(argv[3]) == 1)
        return ResultText(context, CTimeZone::Store(value.local, value.zone));
    CDateTime normal;
    if (int code = CTimeZone::Convert(value.local, value.zone, session.dbTimeZone, normal); code != 0)
        return Raise(context, code, {text}, at);
    ResultText(context, CDateFormat::ToStored(normal));
}

void LocalZone(sqlite3_context* context, int, sqlite3_value** argv) {
    if (IsNull(argv[0])) return sqlite3_result_null(context);
    const CSqliteSession& session = SessionOf(context);
    CDateTime stored;
    CDateTime shown;
    if (!CDateFormat::ParseStored(TextOf(argv[0]), stored) ||
        CTimeZone::Convert(stored, session.dbTimeZone, session.timeZone, shown) != 0)
        return sqlite3_result_value(context, argv[0]);
    ResultText(context, CDateFormat::ToStored(shown));
}

void Key(sqlite3_context* context, int, sqlite3_value** argv) {
    Zoned value;
    std::int64_t utc = 0;
    if (IsNull(argv[0]) || ReadStored(SessionOf(context), TextOf(argv[0]), value) != 0 ||
        Instant(value, utc) != 0)
        return sqlite3_result_value(context, argv[0]);
    ResultText(context, Stored9(CTimeZone::FromSeconds(utc, value.local.nanos)));
}

void ExtractZoned(sqlite3_context* context, int, sqlite3_value** argv) {
    if (IsNull(argv[1])) return sqlite3_result_null(context);
    std::string field = TextOf(argv[0]);
    Zoned value;
    std::int64_t utc = 0;
    if (!Argument(context, argv[1], value)) return;
    bool zoneField = field.starts_with("TIMEZONE_");
    // Note: a zone's fields need a zoned value (ORA-30076).
    if (zoneField && !value.zoned) return Raise(context, 30076);
    if (int code = Instant(value, utc); code != 0) return Raise(context, code);
    std::int32_t offset = value.zone.OffsetAt(utc);
    if (field == "TIMEZONE_HOUR") return sqlite3_result_int(context, offset / 3600);
    if (field == "TIMEZONE_MINUTE") return sqlite3_result_int(context, offset % 3600 / 60);
    if (field == "TIMEZONE_REGION")
        return ResultText(context, value.zone.region ? value.zone.name : std::string("UNKNOWN"));
    if (field == "TIMEZONE_ABBR") {
        std::string abbreviation = value.zone.Abbreviation(utc);
        return ResultText(context, abbreviation.empty() ? std::string("UNK") : abbreviation);
    }
    // Note: the fields of a zoned value are those of its instant in UTC.
    CDateTime inUtc = value.zoned ? CTimeZone::FromSeconds(utc, value.local.nanos) : value.local;
    const int parts[] = {inUtc.year, inUtc.month, inUtc.day, inUtc.hour, inUtc.minute};
    const char* const names[] = {"YEAR", "MONTH", "DAY", "HOUR", "MINUTE"};
    for (int k = 0; k < 5; ++k)
        if (field == names[k]) return sqlite3_result_int(context, parts[k]);
    if (field == "SECOND") return CZoneFunctions::ResultSecond(context, inUtc);
    sqlite3_result_null(context);
}

// NEW_TIME's zones: their offsets from UTC in minutes.
struct NewTimeZone {
    std::string_view name;
    int minutes;
};
constexpr NewTimeZone kNewTimeZones[] = {
    {"AST", -240}, {"ADT", -180}, {"BST", -660}, {"BDT", -600}, {"CST", -360}, {"CDT", -300},
    {"EST", -300}, {"EDT", -240}, {"GMT", 0},    {"HST", -600}, {"HDT", -540}, {"MST", -420},
    {"MDT", -360}, {"NST", -210}, {"PST", -480}, {"PDT", -420}, {"YST", -540}, {"YDT", -480},
};

const NewTimeZone* NewTimeZoneNamed(const std::string& name) {
    for (const NewTimeZone& zone : kNewTimeZones)
        if (zone.name == name) return &zone;
    return nullptr;
}

void NewTime(sqlite3_context* context, int, sqlite3_value** argv) {
    for (int k = 0; k < 3; ++k)
        if (IsNull(argv[k])) return sqlite3_result_null(context);
    const NewTimeZone* from = NewTimeZoneNamed(Upper(TextOf(argv[1])));
    const NewTimeZone* to = NewTimeZoneNamed(Upper(TextOf(argv[2])));
    if (from == nullptr || to == nullptr) return Raise(context, 1857);
    Zoned value;
    if (!Argument(context, argv[0], value)) return;
    value.local.nanos = 0;
    std::int64_t seconds = CTimeZone::Seconds(value.local) + (to->minutes - from->minutes) * 60;
    CDateTime out = CTimeZone::FromSeconds(seconds, 0);
    if (!CDateFormat::IsValid(out)) return Raise(context, 1841);
    ResultText(context, CDateFormat::ToStored(out));
}

// ORA_NLS_PARAMETER(name): NLS_TIMESTAMP_FORMAT or NLS_TIMESTAMP_TZ_FORMAT
// as the session has it.
void NlsParameter(sqlite3_context* context, int, sqlite3_value** argv) {
    const CSqliteSession& session = SessionOf(context);
    std::string name = Upper(TextOf(argv[0]));
    if (name == "NLS_TIMESTAMP_FORMAT") return ResultText(context, session.timestampFormatSetting);
    if (name == "NLS_TIMESTAMP_TZ_FORMAT") return ResultText(context, session.timestampTzFormatSetting);
    sqlite3_result_null(context);
}

// ORA_TS_TEXT(v, digits, zoned): TO_CHAR of a TIMESTAMP without a model, by
// the session's NLS_TIMESTAMP_FORMAT (NLS_TIMESTAMP_TZ_FORMAT when zoned).
void TimestampText(sqlite3_context* context, int, sqlite3_value** argv) {
    if (IsNull(argv[0])) return sqlite3_result_null(context);
    const CSqliteSession& session = SessionOf(context);
    bool zoned = sqlite3_value_int(argv[2]) != 0;
    std::string out;
    if (!CTimestampText::Show(TextOf(argv[0]), zoned ? session.timestampTzFormat : session.timestampFormat,
                              sqlite3_value_int(argv[1]), session.timeZone, session.dateLanguage, out))
        return sqlite3_result_value(context, argv[0]);
    ResultText(context, out);
}

// ORA_TO_TIMESTAMP(text, at): TO_TIMESTAMP without a model, by the
// session's NLS_TIMESTAMP_FORMAT; the engine's stored form is taken too.
void ToTimestamp(sqlite3_context* context, int, sqlite3_value** argv) {
    if (IsNull(argv[0])) return sqlite3_result_null(context);
    const CSqliteSession& session = SessionOf(context);
    std::string text = TextOf(argv[0]);
    CDateTime value;
    if (CValueText::HasStoredDatePrefix(text) && CDateFormat::ParseStored(text, value))
        return ResultText(context, CDateFormat::ToStored(value));
    int code = CDateFormat::Read(text, CTimestampText::WithFraction(session.timestampFormat, 9), value,
                                 session.dateLanguage);
    // Note: the default model reads a text without its fraction, or of the
    // session's date format, too.
    if (code != 0 && session.timestampFormat == CSqliteSession::kTimestampFormat) {
        for (const std::string& form : {std::string("RR-MM-DD HH24:MI:SS"), session.dateFormat})
            if (CDateFormat::Read(text, form, value, session.dateLanguage) == 0) {
                code = 0;
                break;
            }
    }
    if (code != 0) return Raise(context, code, {text}, sqlite3_value_int(argv[1]));
    ResultText(context, CDateFormat::ToStored(value));
}

struct Row {
    const char* name;
    int arguments;
    void (*function)(sqlite3_context*, int, sqlite3_value**);
    bool deterministic;
};

constexpr Row kFunctions[] = {
    {"ORA_TS_DIFF", 2, Difference, true},
    {"ORA_FROM_TZ", 2, FromTz, true},
    {"ORA_AT_ZONE", 2, AtTimeZone, true},
    {"ORA_AT_LOCAL", 1, AtLocal, false},
    {"ORA_SYS_EXTRACT_UTC", 1, ExtractUtc, false},
    {"ORA_TZ_OFFSET", 1, TzOffset, false},
    {"ORA_SESSIONTIMEZONE", 0, SessionZone, false},
    {"ORA_DBTIMEZONE", 0, DatabaseZone, false},
    {"ORA_SYSTIMESTAMP", 0, SysTimestamp, false},
    {"ORA_CURRENT_TIMESTAMP", 0, CurrentTimestamp, false},
    {"ORA_LOCALTIMESTAMP", 0, LocalTimestamp, false},
    {"ORA_CURRENT_DATE", 0, CurrentDate, false},
    {"ORA_TO_TIMESTAMP_TZ", 3, ToTimestampTz, false},
    {"ORA_TO_TIMESTAMP_TZ", 4, ToTimestampTz, false},
    {"ORA_STORE_TZ", 4, StoreZoned, false},
    {"ORA_LTZ", 1, LocalZone, false},
    {"ORA_TZ_KEY", 1, Key, false},
    {"ORA_EXTRACT_TZ", 2, ExtractZoned, false},
    {"ORA_NEW_TIME", 3, NewTime, true},
    {"ORA_NLS_PARAMETER", 1, NlsParameter, false},
    {"ORA_TS_TEXT", 3, TimestampText, false},
    {"ORA_TO_TIMESTAMP", 2, ToTimestamp, false},
};

}  // namespace

void CZoneFunctions::ResultSecond(sqlite3_context* context, const CDateTime& value) {
    if (value.nanos == 0) return sqlite3_result_int(context, value.second);
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "%d.%09d", value.second, value.nanos);
    CNumberDecimal second;
    if (!CNumberDecimal::FromText(buffer, second)) return sqlite3_result_null(context);
    CNumberValue::Result(context, second);
}

bool CZoneFunctions::Register(sqlite3* db, CSqliteSession* session) {
    for (const Row& row : kFunctions) {
        int flags = SQLITE_UTF8 | (row.deterministic ? SQLITE_DETERMINISTIC : 0);
        if (sqlite3_create_function(db, row.name, row.arguments, flags, session, row.function, nullptr,
                                    nullptr) != SQLITE_OK)
            return false;
    }
    return true;
}

std::string CZoneFunctions::WithZone(std::string_view format, const CTimeZone& zone, long long utc) {
    std::string out;
    std::int32_t offset = zone.OffsetAt(utc);
    char hour[8];
    char minute[8];
    std::snprintf(hour, sizeof hour, "%c%02d", offset < 0 ? '-' : '+', std::abs(offset) / 3600);
    std::snprintf(minute, sizeof minute, "%02d", std::abs(offset) % 3600 / 60);
    for (std::size_t k = 0; k < format.size();) {
        if (formattext::CopyQuoted(format, k, out)) continue;
        std::string element = Upper(format.substr(k, 3));
        std::string value;
        if (element == "TZH")
            value = hour;
        else if (element == "TZM")
            value = minute;
        else if (element == "TZR")
            value = zone.Show();
        else if (element == "TZD")
            value = zone.Abbreviation(utc);
        else {
            out += format[k++];
            continue;
        }
        out += "\"" + value + "\"";
        k += 3;
    }
    return out;
}
