#include "engine/sqlite/CLiteralStore.h"

#include "engine/sqlite/CSqlScanner.h"
#include "engine/sqlite/CSqliteValueFunctions.h"
#include "engine/sqlite/CValueText.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

namespace {

using Outcome = CLiteralStore::Outcome;

Outcome TakeNumber(const CSqliteCatalog::Column& column, std::string_view literal,
                   CLiteralStore::Value& value, CLiteralStore::Refusal& refusal) {
    CNumberDecimal number;
    if (!CNumberDecimal::FromText(literal, number)) return Outcome::NotTaken;
    if (!CSqliteValueFunctions::FitNumber(number, column.precision, column.scale)) {
        refusal.code = 1438;
        return Outcome::Refused;
    }
    value.real = !number.ToInteger(value.integer);
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
                                           std::string_view literal, Value& value, Refusal& refusal) {
    bool number = kind == CSqlExpr::Kind::Number && !HasExponent(literal);
    if (column.type == CSqlType::Number && number) return TakeNumber(column, literal, value, refusal);
    // Note: N'...' and q'[...]' are stored as expressions.
    bool text = kind == CSqlExpr::Kind::String && literal.size() > 2 && CSqlScanner::IsPlainString(literal);
    if ((column.type != CSqlType::Text && column.type != CSqlType::Char) || !text) return Outcome::NotTaken;
    return TakeText(column, literal, value, refusal);
}
