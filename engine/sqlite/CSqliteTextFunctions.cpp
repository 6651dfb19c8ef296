#include "engine/sqlite/CSqliteTextFunctions.h"

#include <sqlite3.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "engine/sqlite/COraError.h"
#include "engine/sqlite/SqliteApi.h"
#include "engine/sqlite/values/CCaseMapping.h"
#include "engine/sqlite/values/CTextLimit.h"

namespace {

constexpr long long kMaxPadWidth = 32767;

// Byte offsets of the characters of UTF-8 text, and its size at the end.
std::vector<std::size_t> CharacterStarts(std::string_view text) {
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < text.size(); ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) starts.push_back(i);
    starts.push_back(text.size());
    return starts;
}

using sqliteapi::TextOf;

bool IsNull(sqlite3_value* value) { return sqlite3_value_type(value) == SQLITE_NULL; }

// Note: the server holds the empty text as NULL.
// Note: an empty text is NULL, as on the server.
void ResultText(sqlite3_context* context, const std::string& text) {
    if (text.empty())
        sqlite3_result_null(context);
    else
        sqliteapi::ResultText(context, text);
}

void Substr(sqlite3_context* context, int argc, sqlite3_value** argv) {
    for (int k = 0; k < argc; ++k)
        if (IsNull(argv[k])) return sqlite3_result_null(context);
    std::string text = TextOf(argv[0]);
    auto starts = CharacterStarts(text);
    auto count = static_cast<long long>(starts.size() - 1);
    long long position = sqlite3_value_int64(argv[1]);
    if (position == 0) position = 1;
    if (position < 0) position += count + 1;
    long long length = argc > 2 ? sqlite3_value_int64(argv[2]) : count;
    if (position < 1 || position > count || length < 1) return sqlite3_result_null(context);
    long long last = length > count - (position - 1) ? count : position - 1 + length;
    std::size_t from = starts[static_cast<std::size_t>(position - 1)];
    ResultText(context, text.substr(from, starts[static_cast<std::size_t>(last)] - from));
}

// Character position (from 1) of the `occurrence`-th match of `pattern` from
// `position` (negative: counted from the end, searching backwards); 0 if none.
long long Find(const std::string& text, const std::string& pattern, long long position,
               long long occurrence) {
    auto starts = CharacterStarts(text);
    auto count = static_cast<long long>(starts.size() - 1);
    if (pattern.empty() || position == 0 || occurrence < 1) return 0;
    long long step = position > 0 ? 1 : -1;
    long long at = position > 0 ? position : count + position + 1;
    for (; at >= 1 && at <= count; at += step)
        if (text.compare(starts[static_cast<std::size_t>(at - 1)], pattern.size(), pattern) == 0 &&
            --occurrence == 0)
            return at;
    return 0;
}

void Instr(sqlite3_context* context, int argc, sqlite3_value** argv) {
    for (int k = 0; k < argc; ++k)
        if (IsNull(argv[k])) return sqlite3_result_null(context);
    long long position = argc > 2 ? sqlite3_value_int64(argv[2]) : 1;
    long long occurrence = argc > 3 ? sqlite3_value_int64(argv[3]) : 1;
    sqlite3_result_int64(context, Find(TextOf(argv[0]), TextOf(argv[1]), position, occurrence));
}

void Replace(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (IsNull(argv[0])) return sqlite3_result_null(context);
    std::string text = TextOf(argv[0]);
    std::string from = IsNull(argv[1]) ? std::string() : TextOf(argv[1]);
    std::string to = argc > 2 && !IsNull(argv[2]) ? TextOf(argv[2]) : std::string();
    if (from.empty()) return ResultText(context, text);
    std::string out;
    std::size_t at = 0;
    for (std::size_t found = text.find(from); found != std::string::npos; found = text.find(from, at)) {
        out.append(text, at, found - at);
        out += to;
        at = found + from.size();
    }
    out.append(text, at, std::string::npos);
    // Note: beyond the longest VARCHAR2 as a concatenation is, in SQL.
    if (!CTextLimit::Fits(out)) {
        std::string message = CTextLimit::Bytes() == CTextLimit::kSql
                                  ? COraError::ForFunction(1489, {})
                                  : COraError::ForFunction(6502, {"REPLACE"});
        return sqlite3_result_error(context, message.c_str(), -1);
    }
    ResultText(context, out);
}

// The columns a character (UTF-8, `length` bytes at `at`) takes on the
// screen: one for ASCII and half-width katakana, two for the rest, as its
// bytes in CP932.
long long DisplayWidth(std::string_view text, std::size_t at, std::size_t length) {
    if (length == 1) return 1;
    // Note: U+FF61..U+FF9F (half-width katakana) are EF BD A1..EF BE 9F.
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[at + k]); };
    bool halfWidth = length == 3 && byte(0) == 0xEF &&
                     ((byte(1) == 0xBD && byte(2) >= 0xA1) || (byte(1) == 0xBE && byte(2) <= 0x9F));
    return halfWidth ? 1 : 2;
}

// LPAD and RPAD: `text` cut or padded with `pad` to `width` columns of the
// screen (the server's display length; a character cut in two is a blank).
void Pad(sqlite3_context* context, int argc, sqlite3_value** argv, bool left) {
    for (int k = 0; k < argc; ++k)
        if (IsNull(argv[k])) return sqlite3_result_null(context);
    std::string text = TextOf(argv[0]);
    long long width = sqlite3_value_int64(argv[1]);
    std::string pad = argc > 2 ? TextOf(argv[2]) : std::string(" ");
    if (width < 1 || pad.empty()) return sqlite3_result_null(context);
    if (width > kMaxPadWidth)
        return sqlite3_result_error(context, COraError::ForFunction(6502, {"LPAD/RPAD"}).c_str(), -1);
    // Note: SQL's LPAD and RPAD give at most the longest VARCHAR2.
    width = std::min(width, static_cast<long long>(CTextLimit::Bytes()));
    auto starts = CharacterStarts(text);
    std::string kept;
    long long used = 0;
    for (std::size_t c = 0; c + 1 < starts.size(); ++c) {
        long long columns = DisplayWidth(text, starts[c], starts[c + 1] - starts[c]);
        if (used + columns > width) {
            kept.append(static_cast<std::size_t>(width - used), ' ');
            used = width;
            break;
        }
        kept.append(text, starts[c], starts[c + 1] - starts[c]);
        used += columns;
    }
    auto padStarts = CharacterStarts(pad);
    std::string fill;
    for (std::size_t c = 0; used < width; c = (c + 1) % (padStarts.size() - 1)) {
        std::size_t length = padStarts[c + 1] - padStarts[c];
        long long columns = DisplayWidth(pad, padStarts[c], length);
        if (used + columns > width) {
            fill.append(static_cast<std::size_t>(width - used), ' ');
            break;
        }
        fill.append(pad, padStarts[c], length);
        used += columns;
    }
    ResultText(context, left ? fill + kept : kept + fill);
}

void Lpad(sqlite3_context* context, int argc, sqlite3_value** argv) { Pad(context, argc, argv, true); }
void Rpad(sqlite3_context* context, int argc, sqlite3_value** argv) { Pad(context, argc, argv, false); }

template <std::string (*Rule)(std::string_view)>
void CaseMapped(sqlite3_context* context, int, sqlite3_value** argv) {
    if (IsNull(argv[0])) return sqlite3_result_null(context);
    // Note: a number or a date keeps its text, mapped.
    ResultText(context, Rule(TextOf(argv[0])));
}

// GREATEST and LEAST: NULL when any argument is; numbers compare as numbers.
void Extreme(sqlite3_context* context, int argc, sqlite3_value** argv, bool greatest) {
    if (argc == 0)
        return sqlite3_result_error(context, COraError::ForFunction(909, {"GREATEST/LEAST"}).c_str(), -1);
    int best = 0;
    for (int k = 0; k < argc; ++k) {
        if (IsNull(argv[k])) return sqlite3_result_null(context);
        bool numeric = sqlite3_value_numeric_type(argv[0]) != SQLITE_TEXT;
        int order = numeric ? (sqlite3_value_double(argv[k]) < sqlite3_value_double(argv[best])   ? -1
                               : sqlite3_value_double(argv[k]) > sqlite3_value_double(argv[best]) ? 1
                                                                                                  : 0)
                            : TextOf(argv[k]).compare(TextOf(argv[best]));
        if (greatest ? order > 0 : order < 0) best = k;
    }
    sqlite3_result_value(context, argv[best]);
}

// GREATEST and LEAST of text (or dates, whose stored text sorts as they
// do): NULL when any argument is; compared byte by byte.
template <bool kGreatest>
void TextExtreme(sqlite3_context* context, int argc, sqlite3_value** argv) {
    int best = 0;
    for (int k = 0; k < argc; ++k) {
        if (IsNull(argv[k])) return sqlite3_result_null(context);
        int order = TextOf(argv[k]).compare(TextOf(argv[best]));
        if (kGreatest ? order > 0 : order < 0) best = k;
    }
    sqlite3_result_value(context, argv[best]);
}

void Greatest(sqlite3_context* context, int argc, sqlite3_value** argv) {
    Extreme(context, argc, argv, true);
}
void Least(sqlite3_context* context, int argc, sqlite3_value** argv) { Extreme(context, argc, argv, false); }

using sqliteapi::FunctionRule;

constexpr FunctionRule kFunctions[] = {
    {"SUBSTR", 2, Substr},
    {"SUBSTR", 3, Substr},
    {"INSTR", 2, Instr},
    {"INSTR", 3, Instr},
    {"INSTR", 4, Instr},
    {"REPLACE", 2, Replace},
    {"REPLACE", 3, Replace},
    {"LPAD", 2, Lpad},
    {"LPAD", 3, Lpad},
    {"RPAD", 2, Rpad},
    {"RPAD", 3, Rpad},
    {"UPPER", 1, CaseMapped<CCaseMapping::Upper>},
    {"LOWER", 1, CaseMapped<CCaseMapping::Lower>},
    {"INITCAP", 1, CaseMapped<CCaseMapping::Initcap>},
    {"GREATEST", -1, Greatest},
    {"LEAST", -1, Least},
    {"ORA_TEXT_GREATEST", -1, TextExtreme<true>},
    {"ORA_TEXT_LEAST", -1, TextExtreme<false>},
};

}  // namespace

bool CSqliteTextFunctions::Register(sqlite3* db) {
    return sqliteapi::RegisterFunctions(db, kFunctions, nullptr);
}
