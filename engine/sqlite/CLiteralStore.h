#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/sqlite/CSqlTree.h"
#include "engine/sqlite/CSqliteCatalog.h"

// A literal stored into a column by the column's declared type, checked as
// the statement is compiled: a number rounded to the column's scale and
// refused beyond its precision, a text refused beyond its length and a CHAR
// padded with blanks.
class CLiteralStore {
public:
    enum class Outcome { NotTaken, Stored, Refused };
    // What is stored: the number's digits, or the text's bytes (CP932).
    struct Value {
        std::string text;
        bool number = false;
        // A number written with a point, or too large for 64 bits: SQLite
        // reads it as a floating-point value; else `integer` holds it.
        bool real = false;
        std::int64_t integer = 0;
    };
    // A refused value: the server's error number and what follows the
    // column's name in its message.
    struct Refusal {
        int code = 0;
        std::vector<std::string> args;
    };

    // NotTaken when `literal` (a literal token of `kind`) is no value these
    // rules take at once; the caller then stores it as an expression.
    // A number literal written with an exponent ("1E5").
    static bool HasExponent(std::string_view number) {
        for (char c : number)
            if (c == 'e' || c == 'E') return true;
        return false;
    }

    // `negative`: a number literal written after a minus sign.
    static Outcome Take(const CSqliteCatalog::Column& column, CSqlExpr::Kind kind, std::string_view literal,
                        Value& value, Refusal& refusal, bool negative = false);
    // How SQLite reads a number literal written as it stands: 'i' an
    // integer, 'r' a floating-point value (digits and a point); 0 for any
    // other literal (an exponent, a suffix, more than 15 digits).
    static char PlainNumberKind(std::string_view number);
};
