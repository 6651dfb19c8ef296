#include "engine/sqlite/CLiteralStore.h"

#include "engine/sqlite/CSqlScanner.h"
#include "engine/sqlite/CSqliteValueFunctions.h"
#include "engine/sqlite/CValueText.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace {

using Outcome = CLiteralStore::Outcome;

constexpr std::size_t kShortDigits = 15;

// Note: a literal of at most 15 digits that the column takes without
// rounding is stored as written (normalised), without the exact decimal's
// work; false leaves every other literal to TakeNumber.
bool TakeShortNumber(const CSqliteCatalog::Column& column, std::string_view literal,
                     CLiteralStore::Value& value, Outcome& outcome) {
    const std::size_t point = literal.find('.');
    std::string_view whole = literal.substr(0, point);
    std::string_view fraction =
        point == std::string_view::npos ? std::string_view() : literal.substr(point + 1);
    if (whole.find_first_not_of("0123456789") != std::string_view::npos ||
        fraction.find_first_not_of("0123456789") != std::string_view::npos ||
        (whole.empty() && fraction.empty()))
        return false;
    while (!whole.empty() && whole.front() == '0') whole.remove_prefix(1);
    while (!fraction.empty() && fraction.back() == '0') fraction.remove_suffix(1);
    const bool scaled = column.scale != CSqliteCatalog::Column::kNoScale;
    if (whole.size() + fraction.size() > kShortDigits || (scaled && column.scale < 0) ||
        (scaled && fraction.size() > static_cast<std::size_t>(column.scale)) ||
        (whole.empty() && !fraction.empty() && column.precision > 0))
        return false;
    const int room = column.precision - (scaled ? column.scale : 0);
    if (column.precision > 0 && static_cast<int>(whole.size()) > room) {
        outcome = Outcome::Refused;
        return true;
    }
    value.text.assign(whole);
    if (!fraction.empty()) value.text.append(".").append(fraction);
    if (value.text.empty()) value.text = "0";
    value.real = !fraction.empty();
    value.integer = 0;
    for (char c : whole) value.integer = value.integer * 10 + (c - '0');
    value.number = true;
    outcome = Outcome::Stored;
    return true;
}

Outcome TakeNumber(const CSqliteCatalog::Column& column, std::string_view literal,
                   CLiteralStore::Value& value, CLiteralStore::Refusal& refusal) {
    if (Outcome outcome; TakeShortNumber(column, literal, value, outcome)) {
        if (outcome == Outcome::Refused) refusal.code = 1438;
        return outcome;
    }
    CNumberDecimal number;
    if (!CNumberDecimal::FromText(literal, number)) return Outcome::NotTaken;
    if (!CSqliteValueFunctions::FitNumber(number, column.precision, column.scale)) {
        refusal.code = 1438;
        return Outcome::Refused;
    }
    value.real = !number.ToInteger(value.integer);
    // Note: more digits than a double holds are stored by ORA_STORE_NUMBER,
    // which keeps them exact; a literal here would be read as a double.
    if (double real = 0; value.real && !number.ToDouble(real)) return Outcome::NotTaken;
    value.text = number.ToText();
    value.number = true;
    return Outcome::Stored;
}

Outcome TakeText(const CSqliteCatalog::Column& column, std::string_view literal, CLiteralStore::Value& value,
                 CLiteralStore::Refusal& refusal) {
    // The statement is CP932: the literal's bytes are the bytes it is stored in.
    std::string content;
    std::size_t characters = 0;
    std::string_view inner = literal.substr(1, literal.size() - 2);
    bool plain = encoding::IsAscii(inner) && inner.find('\'') == std::string_view::npos;
    if (plain) {
        content.assign(inner);
        characters = inner.size();
    }
    for (std::size_t k = 1; !plain && k + 1 < literal.size(); ++k) {
        if (literal[k] == '\'' && literal[k + 1] == '\'') ++k;
        std::size_t length = cp932::CharLength(literal, k);
        content.append(literal.substr(k, length));
        k += length - 1;
        ++characters;
    }
    std::size_t length = column.charSemantics ? characters : content.size();
    if (column.length > 0 && length > static_cast<std::size_t>(column.length)) {
        refusal.code = column.charSemantics ? 112899 : 12899;
        refusal.args = {std::to_string(length), std::to_string(column.length)};
        return Outcome::Refused;
    }
    if (column.type == CSqlType::Char && column.length > 0)
        content.append(static_cast<std::size_t>(column.length) - length, ' ');
    value.text = std::move(content);
    value.number = false;
    value.real = false;
    return Outcome::Stored;
}

}  // namespace

CLiteralStore::Outcome CLiteralStore::Take(const CSqliteCatalog::Column& column, CSqlExpr::Kind kind,
                                           std::string_view literal, Value& value, Refusal& refusal,
                                           bool negative) {
    // Note: a BINARY_FLOAT or BINARY_DOUBLE column takes its IEEE value.
    if (column.floatWidth != 0) return Outcome::NotTaken;
    bool number = kind == CSqlExpr::Kind::Number && !HasExponent(literal);
    if (negative && !number) return Outcome::NotTaken;
    if (column.type == CSqlType::Number && number) {
        Outcome outcome = TakeNumber(column, literal, value, refusal);
        // Note: rounding and the precision are the same either side of zero.
        if (negative && outcome == Outcome::Stored && value.text != "0") {
            value.text.insert(0, 1, '-');
            value.integer = -value.integer;
        }
        return outcome;
    }
    // Note: N'...' and q'[...]' are stored as expressions.
    bool text = kind == CSqlExpr::Kind::String && literal.size() > 2 && CSqlScanner::IsPlainString(literal);
    if ((column.type != CSqlType::Text && column.type != CSqlType::Char) || !text) return Outcome::NotTaken;
    return TakeText(column, literal, value, refusal);
}

char CLiteralStore::PlainNumberKind(std::string_view number) {
    std::size_t digits = 0;
    std::size_t points = 0;
    for (char c : number) {
        if (c == '.') {
            ++points;
        } else if (c < '0' || c > '9') {
            return 0;
        } else if (digits > 0 || c != '0') {
            ++digits;
        }
    }
    if (digits > kShortDigits || points > 1 || number.size() == points) return 0;
    return points == 0 ? 'i' : 'r';
}
