#pragma once

// PL/SQL: the multiset conditions and operators over nested tables and
// VARRAYs (MEMBER OF, IS A SET, =, SET, MULTISET UNION / INTERSECT /
// EXCEPT). A collection not made is null; a condition answers TRUE, FALSE or
// NULL as a BOOLEAN value.
#include <vector>

#include "engine/sqlite/plsql/CPlsqlCollection.h"
#include "engine/sqlite/plsql/CPlsqlOperators.h"

class CPlsqlMultiset {
public:
    using Failure = CPlsqlOperators::Failure;
    enum class Combine { Union, Intersect, Except };

    // x MEMBER OF c: NULL when x is null, c is null or empty, or no element
    // equals x while one is null.
    static bool Member(const CPlsqlValue& x, CPlsqlCollection* c, CPlsqlValue& out, Failure& failure,
                       const CTimeZone& session);
    // c IS A SET: NULL when c is null; an empty collection is a set.
    static bool IsASet(CPlsqlCollection* c, CPlsqlValue& out, Failure& failure, const CTimeZone& session);
    // a = b: the same elements in any order; NULL when either is null or
    // holds a null element (and the counts agree).
    static bool Equal(CPlsqlCollection* a, CPlsqlCollection* b, CPlsqlValue& out, Failure& failure,
                      const CTimeZone& session);
    // a SUBMULTISET OF b: each element of a matched by one of b; NULL when
    // either is null, or when only null elements of a are left unmatched.
    static bool Submultiset(CPlsqlCollection* a, CPlsqlCollection* b, CPlsqlValue& out, Failure& failure,
                            const CTimeZone& session);
    // SET(c): the elements without repeats, in their first order (null for null).
    static bool Distinct(CPlsqlCollection* c, CPlsqlCollection& out, Failure& failure,
                         const CTimeZone& session);
    // a MULTISET op [ALL | DISTINCT] b; null when either is null.
    static bool Apply(Combine op, bool distinct, CPlsqlCollection* a, CPlsqlCollection* b,
                      CPlsqlCollection& out, Failure& failure, const CTimeZone& session);

private:
    using Elements = std::vector<CPlsqlCollection::Element>;
    static bool IsNull(const CPlsqlCollection* c) { return c == nullptr || c->isNull; }
    static Elements ElementsOf(CPlsqlCollection& c);
    static bool IsNullElement(const CPlsqlCollection::Element& element);
    // Two elements are the same value (two nulls are the same).
    static bool Same(const CPlsqlCollection::Element& a, const CPlsqlCollection::Element& b, bool& same,
                     Failure& failure, const CTimeZone& session);
    static bool Find(const Elements& in, const CPlsqlCollection::Element& element, std::size_t& at,
                     Failure& failure, const CTimeZone& session);
    static bool Unique(const Elements& in, Elements& out, Failure& failure, const CTimeZone& session);
    static void Fill(const Elements& in, CPlsqlCollection& out);
};
