#include "engine/sqlite/plsql/CPlsqlOverloads.h"

#include <string_view>

#include "engine/sqlite/CSqliteCatalog.h"
#include "text/Cp932.h"

namespace {

using Family = CPlsqlOverloads::Family;
using Op = CPlsqlExpr::Op;

struct NumericRank {
    const char* name;
    int rank;
};

constexpr NumericRank kNumericRanks[] = {
    {"BINARY_FLOAT", 2},
    {"BINARY_DOUBLE", 3},
};

// SQL functions whose result has the type of one of their arguments (by
// place): TRUNC and ROUND of a date are dates, of a number numbers.
struct ArgumentTyped {
    std::string_view name;
    std::size_t argument;
};

constexpr ArgumentTyped kArgumentTyped[] = {
    {"TRUNC", 0}, {"ROUND", 0},  {"NVL", 0},  {"COALESCE", 0}, {"GREATEST", 0},
    {"LEAST", 0}, {"NULLIF", 0}, {"NVL2", 1}, {"DECODE", 2},
};

// The argument a SQL function call takes its type from, when it is one of those.
const CPlsqlExpr* TypingArgument(const CPlsqlExpr& expr) {
    constexpr std::string_view kSelect = "SELECT ";
    std::string_view text = expr.sql->text;
    if (!text.starts_with(kSelect)) return nullptr;
    text.remove_prefix(kSelect.size());
    std::size_t open = text.find('(');
    if (open == std::string_view::npos) return nullptr;
    std::string name = cp932::ToUpperAscii(std::string(text.substr(0, open)));
    for (const ArgumentTyped& row : kArgumentTyped)
        if (row.name == name && row.argument < expr.args.size() && expr.args[row.argument])
            return expr.args[row.argument].get();
    return nullptr;
}

bool Converts(Family family) {
    return family == Family::Number || family == Family::Text || family == Family::Date;
}

CPlsqlOverloads::Shape OfColumn(const CPlsqlSql& sql) {
    CPlsqlOverloads::Shape shape;
    switch (static_cast<CSqlType>(sql.columnTypes[0])) {
        case CSqlType::Number:
            shape.family = Family::Number;
            // Note: BINARY_FLOAT and BINARY_DOUBLE results rank as their types.
            if (!sql.columnFloats.empty() && sql.columnFloats[0] != 0)
                shape.rank = sql.columnFloats[0] == 4 ? 2 : 3;
            break;
        case CSqlType::Text:
        case CSqlType::Char:
            shape.family = Family::Text;
            break;
        case CSqlType::Date:
            shape.family = Family::Date;
            // Note: a TIMESTAMP is described with the digits of its second.
            if (!sql.columnFractions.empty() && sql.columnFractions[0] >= 0)
                shape.variety = !sql.columnZones.empty() && sql.columnZones[0] ? 2 : 1;
            break;
        default:
            break;
    }
    return shape;
}

// VARCHAR2 and CHAR 0, CLOB 1, INTERVAL YEAR TO MONTH 2, DAY TO SECOND 3.
int TextVariety(const CPlsqlType& type) {
    if (type.interval != 0) return type.interval == 'Y' ? 2 : 3;
    return type.lob ? 1 : 0;
}

// DATE 0, TIMESTAMP 1, WITH TIME ZONE 2, WITH LOCAL TIME ZONE 3.
int DateVariety(const CPlsqlType& type) {
    if (type.fraction < 0) return 0;
    return type.zone == 'Z' ? 2 : type.zone == 'L' ? 3 : 1;
}

CPlsqlOverloads::Match Fits(int level, Family family, int closeness = 0) {
    CPlsqlOverloads::Match match;
    match.level = level;
    match.family = family;
    match.closeness = closeness;
    return match;
}

}  // namespace

CPlsqlOverloads::Shape CPlsqlOverloads::OfType(const CPlsqlType& type) {
    Shape shape;
    shape.type = &type;
    switch (type.base) {
        case CPlsqlType::Base::Number:
        case CPlsqlType::Base::Integer:
            shape.family = Family::Number;
            shape.rank = type.ranged ? 0 : 1;
            for (const NumericRank& row : kNumericRanks)
                if (type.name == row.name) shape.rank = row.rank;
            break;
        case CPlsqlType::Base::Text:
        case CPlsqlType::Base::Char:
            shape.family = Family::Text;
            shape.variety = TextVariety(type);
            break;
        case CPlsqlType::Base::Date:
            shape.family = Family::Date;
            shape.variety = DateVariety(type);
            break;
        case CPlsqlType::Base::Boolean:
            shape.family = Family::Boolean;
            break;
        case CPlsqlType::Base::Record:
            shape.family = Family::Record;
            break;
        case CPlsqlType::Base::Collection:
            shape.family = Family::Collection;
            break;
        case CPlsqlType::Base::Cursor:
            shape.family = Family::Cursor;
            break;
        case CPlsqlType::Base::Any:
            break;
    }
    return shape;
}

CPlsqlOverloads::Shape CPlsqlOverloads::OfExpr(const CPlsqlExpr& expr, const TypeOfTarget& typeOf) {
    using K = CPlsqlExpr::Kind;
    Shape shape;
    switch (expr.kind) {
        case K::Literal:
            switch (expr.literal.GetKind()) {
                case CPlsqlValue::Kind::Number:
                    shape.family = Family::Number;
                    break;
                case CPlsqlValue::Kind::Text:
                    shape.family = Family::Text;
                    break;
                case CPlsqlValue::Kind::Date:
                    shape.family = Family::Date;
                    break;
                case CPlsqlValue::Kind::Boolean:
                    shape.family = Family::Boolean;
                    break;
                case CPlsqlValue::Kind::Null:
                    break;
            }
            return shape;
        case K::Variable: {
            if (expr.target.slot < 0) return shape;
            std::shared_ptr<CPlsqlType> type = typeOf(expr.target);
            const CPlsqlType* seen = type.get();
            if (seen != nullptr && expr.target.index) seen = seen->element.get();
            if (seen != nullptr && expr.target.field >= 0 &&
                static_cast<std::size_t>(expr.target.field) < seen->fields.size())
                seen = seen->fields[static_cast<std::size_t>(expr.target.field)].type.get();
            if (expr.target.object && expr.target.attribute >= 0)
                seen = expr.target.object->fields[static_cast<std::size_t>(expr.target.attribute)].type.get();
            for (int deeper : expr.target.deeper)
                if (seen != nullptr) seen = seen->fields[static_cast<std::size_t>(deeper)].type.get();
            // Note: the type outlives the call's choice (the unit keeps it).
            return seen != nullptr ? OfType(*seen) : shape;
        }
        case K::Unary:
        case K::Binary:
            if (expr.op == Op::Concat)
                shape.family = Family::Text;
            else if (expr.op >= Op::Equal && expr.op <= Op::Not)
                shape.family = Family::Boolean;
            else if (expr.op == Op::Plus && !expr.args.empty())
                return OfExpr(*expr.args[0], typeOf);
            else
                shape.family = Family::Number;
            if ((expr.op == Op::Add || expr.op == Op::Subtract) && expr.args.size() == 2) {
                // Date arithmetic: a date and days make a date, two dates a number of days.
                bool left = OfExpr(*expr.args[0], typeOf).family == Family::Date;
                bool right = OfExpr(*expr.args[1], typeOf).family == Family::Date;
                if ((left || right) && !(left && right && expr.op == Op::Subtract))
                    shape.family = Family::Date;
            }
            return shape;
        case K::IsNull:
        case K::Between:
        case K::In:
            shape.family = Family::Boolean;
            return shape;
        case K::Call: {
            auto callee = expr.callee.lock();
            return callee && callee->returnType ? OfType(*callee->returnType) : shape;
        }
        case K::SqlCall:
            if (expr.predicate)
                shape.family = Family::Boolean;
            else if (expr.sql && !expr.sql->columnTypes.empty())
                shape = OfColumn(*expr.sql);
            // Note: SQL describes TRUNC(:date) as of no type until it runs.
            if (shape.family == Family::Unknown && expr.sql)
                if (const CPlsqlExpr* typing = TypingArgument(expr)) return OfExpr(*typing, typeOf);
            return shape;
        case K::SqlCode:
            shape.family = Family::Number;
            return shape;
        case K::Constructor:
            if (expr.type) return OfType(*expr.type);
            return shape;
        case K::SqlErrm:
            shape.family = Family::Text;
            return shape;
        case K::Case:
            return expr.args.size() > (expr.hasSelector ? 2u : 1u)
                       ? OfExpr(*expr.args[expr.hasSelector ? 2 : 1], typeOf)
                       : shape;
        default:
            return shape;
    }
}

CPlsqlOverloads::Match CPlsqlOverloads::Fit(const Shape& argument, const CPlsqlType& formal) {
    Shape wanted = OfType(formal);
    if (wanted.family == Family::Unknown || argument.family == Family::Unknown) return Fits(2, wanted.family);
    if (argument.family == wanted.family) {
        if (wanted.family == Family::Number) {
            // Note: a number goes to its own type, else the nearest wider one;
            // narrower types are all as far.
            if (argument.rank == wanted.rank) return Fits(4, Family::Number);
            if (argument.rank < wanted.rank) return Fits(3, Family::Number, argument.rank - wanted.rank);
            return Fits(2, Family::Number);
        }
        bool composite = wanted.family == Family::Record || wanted.family == Family::Collection;
        if (composite && argument.type != nullptr && argument.type != &formal &&
            argument.type->name != formal.name) {
            bool similar =
                argument.type->fields.size() == formal.fields.size() && wanted.family == Family::Record;
            return similar ? Fits(2, wanted.family) : Match();
        }
        return Fits(argument.variety == wanted.variety ? 4 : 3, wanted.family);
    }
    // Note: a DATE and a NUMBER do not convert into each other implicitly.
    const bool dateNumber = (argument.family == Family::Date && wanted.family == Family::Number) ||
                            (argument.family == Family::Number && wanted.family == Family::Date);
    if (!Converts(argument.family) || !Converts(wanted.family) || dateNumber) return Match();
    // A text goes to the first of the number types that takes it.
    return Fits(1, wanted.family, wanted.family == Family::Number ? -wanted.rank : 0);
}

int CPlsqlOverloads::Compare(const Match& a, const Match& b) {
    if (a.level != b.level) return a.level > b.level ? 1 : -1;
    if (a.family != b.family || a.closeness == b.closeness) return 0;
    return a.closeness > b.closeness ? 1 : -1;
}

int CPlsqlOverloads::Score(const Match& match) {
    return match.level < 0 ? -1 : match.level * 10 + match.closeness;
}

bool CPlsqlOverloads::SameHeading(const CPlsqlUnit& a, const CPlsqlUnit& b) {
    if (a.type != b.type || a.parameters.size() != b.parameters.size()) return false;
    for (std::size_t k = 0; k < a.parameters.size(); ++k) {
        const auto& left = a.parameters[k];
        const auto& right = b.parameters[k];
        if (left.name != right.name || left.mode != right.mode) return false;
        const CPlsqlType& one = *a.slotTypes[static_cast<std::size_t>(left.slot)];
        const CPlsqlType& two = *b.slotTypes[static_cast<std::size_t>(right.slot)];
        if (one.base != two.base || one.name != two.name) return false;
    }
    if (!a.returnType || !b.returnType) return a.returnType == b.returnType;
    return a.returnType->base == b.returnType->base && a.returnType->name == b.returnType->name;
}

bool CPlsqlOverloads::DifferInModesOnly(const CPlsqlUnit& a, const CPlsqlUnit& b) {
    if (a.type != b.type || a.parameters.size() != b.parameters.size()) return false;
    bool modes = false;
    for (std::size_t k = 0; k < a.parameters.size(); ++k) {
        const auto& left = a.parameters[k];
        const auto& right = b.parameters[k];
        if (left.name != right.name) return false;
        const CPlsqlType& one = *a.slotTypes[static_cast<std::size_t>(left.slot)];
        const CPlsqlType& two = *b.slotTypes[static_cast<std::size_t>(right.slot)];
        if (OfType(one).family != OfType(two).family || one.name != two.name) return false;
        modes = modes || left.mode != right.mode;
    }
    return modes;
}
