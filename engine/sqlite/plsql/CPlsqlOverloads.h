#pragma once

// PL/SQL: which of several subprograms of one name a call means.
#include <functional>
#include <memory>

#include "engine/sqlite/plsql/CPlsqlTree.h"

// The rules the compiler picks an overload by: each argument fits a formal
// parameter of its own type best, another type of its family next (a
// number the nearest wider number type), one of a type it converts to
// (NUMBER, VARCHAR2 and DATE among themselves) least; BOOLEAN, records and
// collections fit only their own kind. One overload is chosen when it fits
// every argument at least as well as each other overload and one argument
// better; otherwise the call is ambiguous.
class CPlsqlOverloads {
public:
    enum class Family { Unknown, Number, Text, Date, Boolean, Record, Collection, Cursor };
    // What is known of an argument before it runs. Numbers rank as the
    // server orders them: PLS_INTEGER, NUMBER, BINARY_FLOAT, BINARY_DOUBLE;
    // texts and dates by their own type (VARCHAR2 and CHAR, CLOB, the
    // intervals; DATE, TIMESTAMP and its zoned kinds).
    struct Shape {
        Family family = Family::Unknown;
        int rank = 1;
        int variety = 0;  // a text's or a date's own type among its family
        const CPlsqlType* type = nullptr;
    };
    // How an argument fits a formal parameter: `level` -1 not at all, the
    // higher the better; `closeness` orders fits of one level into one family.
    struct Match {
        int level = -1;
        Family family = Family::Unknown;
        int closeness = 0;
    };
    using TypeOfTarget = std::function<std::shared_ptr<CPlsqlType>(const CPlsqlTarget&)>;

    static Shape OfType(const CPlsqlType& type);
    static Shape OfExpr(const CPlsqlExpr& expr, const TypeOfTarget& typeOf);
    static Match Fit(const Shape& argument, const CPlsqlType& formal);
    // Which fit is better: above 0 the first, below 0 the second, 0 neither.
    static int Compare(const Match& a, const Match& b);
    // One number for a fit, to add over a call's arguments: -1 not at all.
    static int Score(const Match& match);
    // Two headings of one subprogram (a declaration and its body): the same
    // kind, parameters of the same names, modes and types.
    // (of functions, the same return type too).
    static bool SameHeading(const CPlsqlUnit& a, const CPlsqlUnit& b);
    // Two subprograms whose parameters differ in their modes only: no call
    // tells them apart.
    static bool DifferInModesOnly(const CPlsqlUnit& a, const CPlsqlUnit& b);
};
