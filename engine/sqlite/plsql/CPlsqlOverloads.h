#pragma once

// PL/SQL: which of several subprograms of one name a call means.
#include <functional>
#include <memory>

#include "engine/sqlite/plsql/CPlsqlTree.h"

// The rules the compiler picks an overload by: each argument fits a formal
// parameter of its own type family best, one of a type it converts to
// (NUMBER, VARCHAR2 and DATE among themselves) least; BOOLEAN, records and
// collections fit only their own kind.
class CPlsqlOverloads {
public:
    enum class Family { Unknown, Number, Text, Date, Boolean, Record, Collection, Cursor };
    // What is known of an argument before it runs. Numbers rank as the
    // server orders them: PLS_INTEGER, NUMBER, BINARY_FLOAT, BINARY_DOUBLE.
    struct Shape {
        Family family = Family::Unknown;
        int rank = 1;
        const CPlsqlType* type = nullptr;
    };
    using TypeOfTarget = std::function<std::shared_ptr<CPlsqlType>(const CPlsqlTarget&)>;

    static Shape OfType(const CPlsqlType& type);
    static Shape OfExpr(const CPlsqlExpr& expr, const TypeOfTarget& typeOf);
    // How well an argument fits a formal parameter: -1 not at all, the
    // higher the better.
    static int Fit(const Shape& argument, const CPlsqlType& formal);
    // Two headings of one subprogram (a declaration and its body): the same
    // kind, parameters of the same names, modes and types.
    static bool SameHeading(const CPlsqlUnit& a, const CPlsqlUnit& b);
};
