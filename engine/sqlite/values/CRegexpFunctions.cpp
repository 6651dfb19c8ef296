#include "engine/sqlite/values/CRegexpFunctions.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>
#include <sqlite3.h>

#include <string>
#include <string_view>

#include "engine/sqlite/COraError.h"
#include "engine/sqlite/SqliteApi.h"

namespace {

using sqliteapi::TextOf;

void Raise(sqlite3_context* context, int code, std::initializer_list<std::string_view> args = {}) {
    std::string message = COraError::ForFunction(code, args);
    sqlite3_result_error(context, message.c_str(), static_cast<int>(message.size()));
}

bool IsNull(sqlite3_value* value) { return sqlite3_value_type(value) == SQLITE_NULL; }

// The options of the server's match flags; the last of i and c wins.
uint32_t Options(std::string_view flags) {
    uint32_t options = PCRE2_UTF;
    for (char flag : flags) switch (flag) {
            case 'i':
                options |= PCRE2_CASELESS;
                break;
            case 'c':
                options &= ~static_cast<uint32_t>(PCRE2_CASELESS);
                break;
            case 'n':
                options |= PCRE2_DOTALL;
                break;
            case 'm':
                options |= PCRE2_MULTILINE;
                break;
            case 'x':
                options |= PCRE2_EXTENDED;
                break;
            default:
                break;
        }
    return options;
}

// One compiled pattern with its match data, freed with it.
class Pattern {
public:
    Pattern(const std::string& pattern, uint32_t options) {
        int error = 0;
        PCRE2_SIZE offset = 0;
        m_code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(), options, &error,
                               &offset, nullptr);
        if (m_code != nullptr) m_match = pcre2_match_data_create_from_pattern(m_code, nullptr);
    }
    ~Pattern() {
        pcre2_match_data_free(m_match);
        pcre2_code_free(m_code);
    }
    Pattern(const Pattern&) = delete;
    Pattern& operator=(const Pattern&) = delete;

    bool Valid() const { return m_code != nullptr && m_match != nullptr; }
    // The next match at or after byte `from`; false when none.
    bool Find(const std::string& text, std::size_t from) {
        return pcre2_match(m_code, reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(), from, 0, m_match,
                           nullptr) >= 0;
    }
    // Byte range of group `group` of the last match (0: the whole); false
    // when the group took no part.
    bool Group(int group, std::size_t& begin, std::size_t& end) const {
        if (group < 0 || static_cast<uint32_t>(group) >= pcre2_get_ovector_count(m_match)) return false;
        const PCRE2_SIZE* vector = pcre2_get_ovector_pointer(m_match);
        if (vector[2 * group] == PCRE2_UNSET) return false;
        begin = vector[2 * group];
        end = vector[2 * group + 1];
        return true;
    }

private:
    pcre2_code* m_code = nullptr;
    pcre2_match_data* m_match = nullptr;
};

// The byte at which character `position` (from 1) starts; the end when past it.
std::size_t ByteOf(const std::string& text, long long position) {
    std::size_t at = 0;
    for (long long k = 1; k < position && at < text.size(); ++k) {
        ++at;
        while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) ++at;
    }
    return at;
}

long long CharacterOf(const std::string& text, std::size_t byte) {
    long long count = 1;
    for (std::size_t k = 0; k < byte && k < text.size(); ++k)
        if ((static_cast<unsigned char>(text[k]) & 0xC0) != 0x80) ++count;
    return count;
}

// Where to look after a match ending at `end` (an empty match moves on a character).
std::size_t After(const std::string& text, std::size_t begin, std::size_t end) {
    if (end > begin) return end;
    std::size_t next = end + 1;
    while (next < text.size() && (static_cast<unsigned char>(text[next]) & 0xC0) == 0x80) ++next;
    return next;
}

// The call's arguments: the text, its pattern, and the optional numbers
// and flags at the indexes the function gives.
struct Call {
    std::string text;
    std::string pattern;
    long long position = 1;
    long long occurrence = 1;
    std::string flags;
    int group = 0;
};

long long Int(int argc, sqlite3_value** argv, int index, long long fallback) {
    return index < argc ? sqlite3_value_int64(argv[index]) : fallback;
}

// Reads the call; false (the result set) when it answers NULL or fails.
bool Read(sqlite3_context* context, int argc, sqlite3_value** argv, int positionAt, int occurrenceAt,
          int flagsAt, int groupAt, Call& call) {
    for (int k = 0; k < argc; ++k)
        if (IsNull(argv[k]) && k != flagsAt) {
            sqlite3_result_null(context);
            return false;
        }
    call.text = TextOf(argv[0]);
    call.pattern = TextOf(argv[1]);
    call.position = positionAt >= 0 ? Int(argc, argv, positionAt, 1) : 1;
    call.occurrence = occurrenceAt >= 0 ? Int(argc, argv, occurrenceAt, 1) : 1;
    call.flags = flagsAt >= 0 && flagsAt < argc ? TextOf(argv[flagsAt]) : std::string();
    call.group = static_cast<int>(groupAt >= 0 ? Int(argc, argv, groupAt, 0) : 0);
    if (call.position < 1 || call.occurrence < 0 || call.group < 0 || call.group > 9) {
        Raise(context, 1428, {std::to_string(call.position < 1 ? call.position : call.occurrence)});
        return false;
    }
    return true;
}

// The `occurrence`-th match from the call's position; false when none.
bool Nth(Pattern& pattern, const Call& call, std::size_t& begin, std::size_t& end) {
    std::size_t from = ByteOf(call.text, call.position);
    for (long long found = 0; from <= call.text.size() && pattern.Find(call.text, from);) {
        pattern.Group(0, begin, end);
        if (++found == call.occurrence) return true;
        from = After(call.text, begin, end);
    }
    return false;
}

void Like(sqlite3_context* context, int argc, sqlite3_value** argv) {
    Call call;
    if (!Read(context, argc, argv, -1, -1, 2, -1, call)) return;
    Pattern pattern(call.pattern, Options(call.flags));
    if (!pattern.Valid()) return Raise(context, 12725);
    sqlite3_result_int(context, pattern.Find(call.text, 0) ? 1 : 0);
}

void Count(sqlite3_context* context, int argc, sqlite3_value** argv) {
    Call call;
    if (!Read(context, argc, argv, 2, -1, 3, -1, call)) return;
    Pattern pattern(call.pattern, Options(call.flags));
    if (!pattern.Valid()) return Raise(context, 12725);
    long long count = 0;
    std::size_t begin = 0;
    std::size_t end = 0;
    for (std::size_t from = ByteOf(call.text, call.position);
         from <= call.text.size() && pattern.Find(call.text, from); from = After(call.text, begin, end)) {
        pattern.Group(0, begin, end);
        ++count;
    }
    sqlite3_result_int64(context, count);
}

void Substr(sqlite3_context* context, int argc, sqlite3_value** argv) {
    Call call;
    if (!Read(context, argc, argv, 2, 3, 4, 5, call)) return;
    Pattern pattern(call.pattern, Options(call.flags));
    if (!pattern.Valid()) return Raise(context, 12725);
    std::size_t begin = 0;
    std::size_t end = 0;
    if (!Nth(pattern, call, begin, end) || !pattern.Group(call.group, begin, end) || end == begin)
        return sqlite3_result_null(context);
    sqliteapi::ResultText(context, call.text.substr(begin, end - begin));
}

void Instr(sqlite3_context* context, int argc, sqlite3_value** argv) {
    Call call;
    if (!Read(context, argc, argv, 2, 3, 5, 6, call)) return;
    bool after = Int(argc, argv, 4, 0) != 0;
    Pattern pattern(call.pattern, Options(call.flags));
    if (!pattern.Valid()) return Raise(context, 12725);
    std::size_t begin = 0;
    std::size_t end = 0;
    if (!Nth(pattern, call, begin, end) || !pattern.Group(call.group, begin, end))
        return sqlite3_result_int(context, 0);
    sqlite3_result_int64(context, CharacterOf(call.text, after ? end : begin));
}

// The replacement for the last match: \1 to \9 are its groups.
std::string Replacement(const Pattern& pattern, const std::string& text, const std::string& with) {
    std::string out;
    for (std::size_t k = 0; k < with.size(); ++k) {
        if (with[k] == '\\' && k + 1 < with.size() && with[k + 1] >= '0' && with[k + 1] <= '9') {
            std::size_t begin = 0;
            std::size_t end = 0;
            if (pattern.Group(with[k + 1] - '0', begin, end)) out += text.substr(begin, end - begin);
            ++k;
            continue;
        }
        out += with[k];
    }
    return out;
}

void Replace(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (IsNull(argv[0])) return sqlite3_result_null(context);
    // Note: a NULL pattern or replacement leaves the text or removes the matches.
    if (IsNull(argv[1])) return sqlite3_result_value(context, argv[0]);
    Call call;
    call.text = TextOf(argv[0]);
    call.pattern = TextOf(argv[1]);
    std::string with = argc > 2 ? TextOf(argv[2]) : std::string();
    call.position = Int(argc, argv, 3, 1);
    call.occurrence = Int(argc, argv, 4, 0);
    call.flags = argc > 5 ? TextOf(argv[5]) : std::string();
    if (call.position < 1 || call.occurrence < 0)
        return Raise(context, 1428, {std::to_string(call.position)});
    Pattern pattern(call.pattern, Options(call.flags));
    if (!pattern.Valid()) return Raise(context, 12725);
    std::string out;
    std::size_t copied = 0;
    std::size_t from = ByteOf(call.text, call.position);
    std::size_t begin = 0;
    std::size_t end = 0;
    for (long long found = 0; from <= call.text.size() && pattern.Find(call.text, from);
         from = After(call.text, begin, end)) {
        pattern.Group(0, begin, end);
        if (++found != call.occurrence && call.occurrence != 0) continue;
        out += call.text.substr(copied, begin - copied) + Replacement(pattern, call.text, with);
        copied = end;
        if (call.occurrence != 0) break;
    }
    out += call.text.substr(copied);
    if (out.empty()) return sqlite3_result_null(context);
    sqliteapi::ResultText(context, out);
}

}  // namespace

bool CRegexpFunctions::Register(sqlite3* db) {
    const struct {
        const char* name;
        int least;
        int most;
        void (*function)(sqlite3_context*, int, sqlite3_value**);
    } kFunctions[] = {
        {"ORA_REGEXP_LIKE", 2, 3, Like},       {"ORA_REGEXP_COUNT", 2, 4, Count},
        {"ORA_REGEXP_SUBSTR", 2, 6, Substr},   {"ORA_REGEXP_INSTR", 2, 7, Instr},
        {"ORA_REGEXP_REPLACE", 2, 6, Replace},
    };
    for (const auto& row : kFunctions)
        for (int arguments = row.least; arguments <= row.most; ++arguments)
            if (sqlite3_create_function(db, row.name, arguments, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                        row.function, nullptr, nullptr) != SQLITE_OK)
                return false;
    return true;
}
