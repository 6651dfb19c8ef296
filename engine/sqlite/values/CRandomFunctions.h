#pragma once

#include <string_view>

struct sqlite3;

// Values: DBMS_RANDOM's functions in SQL, drawn from SQLite's randomness:
//   ORA_RANDOM_STRING(option, length)   `length` characters (at most 4000)
//       of the option's alphabet; NULL for none
//   ORA_RANDOM_NORMAL()                 a number of the standard normal
//       distribution
class CRandomFunctions {
public:
    // The characters DBMS_RANDOM.STRING draws by its option (U, L, A, X or
    // P, either case); any other option draws upper-case letters.
    static std::string_view Alphabet(char option);
    static bool Register(sqlite3* db);
};
