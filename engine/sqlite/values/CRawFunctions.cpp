#include "engine/sqlite/values/CRawFunctions.h"

#include <nettle/md5.h>
#include <nettle/sha1.h>
#include <nettle/sha2.h>
#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/oci/COciNumber.h"
#include "engine/sqlite/CDateFormat.h"
#include "engine/sqlite/COraError.h"
#include "engine/sqlite/SqliteApi.h"
#include "engine/sqlite/values/CNumberValue.h"
#include "engine/sqlite/values/CTimeZone.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace {

using sqliteapi::ResultText;
using sqliteapi::TextOf;

constexpr int kTimestampZoneCode = CRawFunctions::kTimestampZone;

void Fail(sqlite3_context* context, int code, std::initializer_list<std::string_view> args = {},
          int at = -1) {
    std::string message = COraError::ForFunction(code, args, at);
    sqlite3_result_error(context, message.c_str(), -1);
}

// A DATE's seven bytes (century and year plus 100, month, day, hour, minute
// and second plus 1) and, with `nanos`, four of its nanoseconds, high first.
std::string DateBytes(const CDateTime& date, bool nanos) {
    const int fields[] = {date.year / 100 + 100, date.year % 100 + 100, date.month,     date.day,
                          date.hour + 1,         date.minute + 1,       date.second + 1};
    std::string out;
    for (int field : fields) out += static_cast<char>(field);
    for (int shift = 24; nanos && shift >= 0; shift -= 8)
        out += static_cast<char>((date.nanos >> shift) & 0xFF);
    return out;
}

// A stored zoned value's thirteen bytes; false for a region's zone, whose
// number in the server's zone file the engine does not know.
bool ZonedBytes(const std::string& text, std::string& out) {
    std::string_view local;
    std::string_view written;
    CTimeZone zone;
    CDateTime utc;
    if (!CTimeZone::Split(text, local, written) || CTimeZone::Parse(written, zone) != 0 || zone.region ||
        CTimeZone::Instant(text, zone, utc) != 0)
        return false;
    out = DateBytes(utc, true);
    out += static_cast<char>(zone.offset / 3600 + 20);
    out += static_cast<char>(zone.offset % 3600 / 60 + 60);
    return true;
}

// The bytes the server holds for `value` of type `type`; false when the
// value is not of that type (a text that is no number, ...).
bool BytesOf(sqlite3_value* value, int type, std::string& out) {
    if (type == CRawFunctions::kNumber) {
        CNumberDecimal number;
        unsigned char bytes[COciNumber::kSize] = {};
        if (!CNumberValue::Read(value, number) || !COciNumber::FromText(number.ToText(), bytes)) return false;
        out.assign(reinterpret_cast<const char*>(bytes + 1), bytes[0]);
        return true;
    }
    std::string text = TextOf(value);
    CDateTime date;
    if (type == CRawFunctions::kDateValue) {
        if (!CDateFormat::ParseStored(text, date)) return false;
        const int fields[] = {date.year & 0xFF, date.year >> 8, date.month,  date.day,
                              date.hour,        date.minute,    date.second, 0};
        out.clear();
        for (int field : fields) out += static_cast<char>(field);
        return true;
    }
    if (type == CRawFunctions::kTimestampZone) return ZonedBytes(text, out);
    if (type == CRawFunctions::kDate || type == CRawFunctions::kTimestamp ||
        type == CRawFunctions::kTimestampLocal) {
        if (!CDateFormat::ParseStored(text, date)) return false;
        out = DateBytes(date, type != CRawFunctions::kDate && date.nanos != 0);
        return true;
    }
    out = encoding::Utf8ToCp932(text);
    return true;
}

std::string Hex(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (char c : bytes) {
        auto byte = static_cast<unsigned char>(c);
        out += kDigits[byte >> 4];
        out += kDigits[byte & 15];
    }
    return out;
}

// One byte as DUMP writes it in `base` (8, 10 or 16; 17 the character).
std::string DumpByte(unsigned char byte, int base) {
    if (base == 17) {
        if (byte >= 0x20 && byte < 0x7F) return std::string(1, static_cast<char>(byte));
        base = 16;
    }
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    do {
        out.insert(out.begin(), kDigits[byte % base]);
        byte = static_cast<unsigned char>(byte / base);
    } while (byte != 0);
    return out;
}

// DUMP: "Typ=t Len=n[ CharacterSet=...]: b,b,..." of the bytes from
// `start` (1-based, from the end when negative) for `length` of them.
void Dump(sqlite3_context* context, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return ResultText(context, "NULL");
    const int type = sqlite3_value_int(argv[1]);
    const long format = sqlite3_value_int64(argv[2]);
    const int base = static_cast<int>(format % 1000);
    if (base != 8 && base != 10 && base != 16 && base != 17)
        return Fail(context, 1428, {std::to_string(format)});
    std::string bytes;
    if (!BytesOf(argv[0], type, bytes))
        return type == kTimestampZoneCode ? Fail(context, 3001, {"DUMP (TIME ZONE REGION)"})
                                          : Fail(context, 1722);
    const long size = static_cast<long>(bytes.size());
    long start = sqlite3_value_int64(argv[3]);
    long length = sqlite3_value_int64(argv[4]);
    start = start < 0 ? size + start : (start == 0 ? 0 : start - 1);
    if (start < 0) start = 0;
    if (length <= 0 || start + length > size) length = size - start;
    std::string out = "Typ=" + std::to_string(type) + " Len=" + std::to_string(size);
    bool text = type == CRawFunctions::kVarchar2 || type == CRawFunctions::kChar;
    if (format >= 1000 && text) out += " CharacterSet=JA16SJIS";
    out += ": ";
    for (long k = start; k < start + length; ++k)
        out += (k > start ? "," : "") +
               DumpByte(static_cast<unsigned char>(bytes[static_cast<std::size_t>(k)]), base);
    ResultText(context, out);
}

// ORA_HASH: a 32-bit FNV-1a hash of the value's bytes from seed_value, in
// 0 .. max_bucket.
void OraHash(sqlite3_context* context, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(context);
    const sqlite3_int64 buckets = sqlite3_value_int64(argv[1]);
    const sqlite3_int64 seedValue = sqlite3_value_int64(argv[2]);
    constexpr sqlite3_int64 kMost = 4294967295LL;
    if (buckets < 0 || buckets > kMost) return Fail(context, 1428, {std::to_string(buckets)});
    if (seedValue < 0 || seedValue > kMost) return Fail(context, 1428, {std::to_string(seedValue)});
    const int type =
        sqlite3_value_type(argv[0]) == SQLITE_TEXT ? CRawFunctions::kVarchar2 : CRawFunctions::kNumber;
    std::string bytes;
    if (!BytesOf(argv[0], type, bytes)) bytes = encoding::Utf8ToCp932(TextOf(argv[0]));
    std::uint32_t hash = 2166136261u ^ static_cast<std::uint32_t>(seedValue);
    for (char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    sqlite3_result_int64(context,
                         static_cast<sqlite3_int64>(hash % (static_cast<std::uint64_t>(buckets) + 1)));
}

template <typename Context, void (*Init)(Context*),
          void (*Update)(Context*, std::size_t, const std::uint8_t*),
          void (*Digest)(Context*, std::size_t, std::uint8_t*), std::size_t kSize>
std::string Digested(const std::string& bytes) {
    Context state;
    Init(&state);
    Update(&state, bytes.size(), reinterpret_cast<const std::uint8_t*>(bytes.data()));
    std::uint8_t out[kSize];
    Digest(&state, kSize, out);
    return std::string(reinterpret_cast<const char*>(out), kSize);
}

struct HashMethod {
    std::string_view name;
    std::string (*digest)(const std::string&);
};

constexpr HashMethod kMethods[] = {
    {"SHA1", Digested<sha1_ctx, nettle_sha1_init, nettle_sha1_update, nettle_sha1_digest, SHA1_DIGEST_SIZE>},
    {"SHA256", Digested<sha256_ctx, nettle_sha256_init, nettle_sha256_update, nettle_sha256_digest,
                        SHA256_DIGEST_SIZE>},
    {"SHA384", Digested<sha384_ctx, nettle_sha384_init, nettle_sha512_update, nettle_sha384_digest,
                        SHA384_DIGEST_SIZE>},
    {"SHA512", Digested<sha512_ctx, nettle_sha512_init, nettle_sha512_update, nettle_sha512_digest,
                        SHA512_DIGEST_SIZE>},
    {"MD5", Digested<md5_ctx, nettle_md5_init, nettle_md5_update, nettle_md5_digest, MD5_DIGEST_SIZE>},
};

// STANDARD_HASH: the digest of the value's bytes by the method named, as
// RAW.
void StandardHash(sqlite3_context* context, int, sqlite3_value** argv) {
    std::string method = cp932::ToUpperAscii(TextOf(argv[2]));
    const HashMethod* found = nullptr;
    for (const HashMethod& row : kMethods)
        if (row.name == method) found = &row;
    if (found == nullptr) return Fail(context, 1428, {encoding::Utf8ToCp932(TextOf(argv[2]))});
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(context);
    std::string bytes;
    if (!BytesOf(argv[0], sqlite3_value_int(argv[1]), bytes)) return Fail(context, 1722);
    ResultText(context, Hex(found->digest(bytes)));
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// HEXTORAW and RAWTOHEX: the digits upper-cased, an odd count led by a
// "0"; ORA-01465 for any other character (at the statement's offset given
// second, when a value is stored into a column).
void HexToRaw(sqlite3_context* context, int count, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(context);
    std::string text = TextOf(argv[0]);
    if (text.empty()) return sqlite3_result_null(context);
    std::string out = text.size() % 2 != 0 ? "0" : "";
    for (char c : text) {
        if (HexDigit(c) < 0) return Fail(context, 1465, {}, count > 1 ? sqlite3_value_int(argv[1]) : -1);
        out += static_cast<char>(c >= 'a' && c <= 'f' ? c - 'a' + 'A' : c);
    }
    ResultText(context, out);
}

// The bytes of a RAW's digits; false (ORA-01465) for another character.
bool RawBytes(sqlite3_context* context, sqlite3_value* value, std::string& out) {
    std::string digits = TextOf(value);
    if (digits.size() % 2 != 0) digits.insert(digits.begin(), '0');
    out.clear();
    for (std::size_t k = 0; k < digits.size(); k += 2) {
        int high = HexDigit(digits[k]);
        int low = HexDigit(digits[k + 1]);
        if (high < 0 || low < 0) return Fail(context, 1465), false;
        out += static_cast<char>(high * 16 + low);
    }
    return true;
}

// UTL_RAW.CAST_TO_RAW: the text's CP932 bytes; CAST_TO_VARCHAR2 the text
// of such bytes; LENGTH their number.
void CastToRaw(sqlite3_context* context, int, sqlite3_value** argv) {
    std::string text = TextOf(argv[0]);
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || text.empty()) return sqlite3_result_null(context);
    ResultText(context, Hex(encoding::Utf8ToCp932(text)));
}

void CastToVarchar2(sqlite3_context* context, int, sqlite3_value** argv) {
    std::string bytes;
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || !RawBytes(context, argv[0], bytes)) {
        if (sqlite3_value_type(argv[0]) == SQLITE_NULL) sqlite3_result_null(context);
        return;
    }
    if (bytes.empty()) return sqlite3_result_null(context);
    ResultText(context, encoding::Cp932ToUtf8(bytes));
}

void RawLength(sqlite3_context* context, int, sqlite3_value** argv) {
    std::string bytes;
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(context);
    if (RawBytes(context, argv[0], bytes))
        sqlite3_result_int64(context, static_cast<sqlite3_int64>(bytes.size()));
}

constexpr sqliteapi::FunctionRule kRules[] = {
    {"ORA_CAST_TO_RAW", 1, CastToRaw}, {"ORA_CAST_TO_VARCHAR2", 1, CastToVarchar2},
    {"ORA_RAW_LENGTH", 1, RawLength},  {"ORA_DUMP", 5, Dump},
    {"ORA_HASH", 3, OraHash},          {"ORA_STANDARD_HASH", 3, StandardHash},
    {"ORA_HEXTORAW", 1, HexToRaw},     {"ORA_RAWTOHEX", 1, HexToRaw},
    {"ORA_STORE_RAW", 2, HexToRaw},
};

}  // namespace

bool CRawFunctions::Register(sqlite3* db) { return sqliteapi::RegisterFunctions(db, kRules, nullptr); }
