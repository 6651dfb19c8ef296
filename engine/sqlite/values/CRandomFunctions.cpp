#include "engine/sqlite/values/CRandomFunctions.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "engine/sqlite/SqliteApi.h"

namespace {

struct AlphabetRow {
    char option;
    std::string_view characters;
};

constexpr AlphabetRow kAlphabets[] = {
    {'U', "ABCDEFGHIJKLMNOPQRSTUVWXYZ"},
    {'L', "abcdefghijklmnopqrstuvwxyz"},
    {'A', "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"},
    {'X', "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"},
    {'P',
     " !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~"},
};

// A number drawn from [0, 1).
double Unit() {
    std::uint64_t bits = 0;
    sqlite3_randomness(sizeof bits, &bits);
    return static_cast<double>(bits >> 11) / 9007199254740992.0;
}

void RandomString(sqlite3_context* context, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[1]) == SQLITE_NULL) return sqlite3_result_null(context);
    const unsigned char* option = sqlite3_value_text(argv[0]);
    std::string_view characters =
        CRandomFunctions::Alphabet(option != nullptr ? static_cast<char>(*option) : 'U');
    double length = std::min(sqlite3_value_double(argv[1]), 4000.0);
    std::string out;
    for (long k = 0; k < static_cast<long>(length); ++k)
        out += characters[std::min(static_cast<std::size_t>(Unit() * static_cast<double>(characters.size())),
                                   characters.size() - 1)];
    if (out.empty()) return sqlite3_result_null(context);
    sqliteapi::ResultText(context, out);
}

// Box and Muller's transform of two uniform numbers.
void RandomNormal(sqlite3_context* context, int, sqlite3_value**) {
    double u = 1.0 - Unit();
    double v = Unit();
    sqlite3_result_double(context, std::sqrt(-2.0 * std::log(u)) * std::cos(2.0 * M_PI * v));
}

constexpr sqliteapi::FunctionRule kRules[] = {
    {"ORA_RANDOM_STRING", 2, RandomString, false},
    {"ORA_RANDOM_NORMAL", 0, RandomNormal, false},
};

}  // namespace

std::string_view CRandomFunctions::Alphabet(char option) {
    char upper = option >= 'a' && option <= 'z' ? static_cast<char>(option - 'a' + 'A') : option;
    for (const AlphabetRow& row : kAlphabets)
        if (row.option == upper) return row.characters;
    return kAlphabets[0].characters;
}

bool CRandomFunctions::Register(sqlite3* db) { return sqliteapi::RegisterFunctions(db, kRules, nullptr); }
