#include "engine/sqlite/plsql/CPlsqlMultiset.h"

#include <algorithm>
#include <cstdint>

CPlsqlMultiset::Elements CPlsqlMultiset::ElementsOf(CPlsqlCollection& c) {
    Elements elements;
    elements.reserve(c.Count());
    CPlsqlCollection::Key key;
    CPlsqlCollection::Key next;
    for (bool has = c.First(key); has; has = c.Next(key, next), key = next) {
        const CPlsqlCollection::Element* element = c.Find(key);
        if (element != nullptr) elements.push_back(*element);
    }
    return elements;
}

bool CPlsqlMultiset::IsNullElement(const CPlsqlCollection::Element& element) {
    return element.value.IsNull() && std::all_of(element.fields.begin(), element.fields.end(),
                                                 [](const CPlsqlValue& field) { return field.IsNull(); });
}

bool CPlsqlMultiset::Same(const CPlsqlCollection::Element& a, const CPlsqlCollection::Element& b, bool& same,
                          Failure& failure, const CTimeZone& session) {
    auto sameValue = [&failure, &session](const CPlsqlValue& x, const CPlsqlValue& y, bool& equal) {
        if (x.IsNull() || y.IsNull()) {
            equal = x.IsNull() && y.IsNull();
            return true;
        }
        int order = 0;
        if (!CPlsqlOperators::Compare(x, y, order, failure, session)) return false;
        equal = order == 0;
        return true;
    };
    same = a.fields.size() == b.fields.size();
    if (!same) return true;
    if (!sameValue(a.value, b.value, same)) return false;
    for (std::size_t k = 0; same && k < a.fields.size(); ++k)
        if (!sameValue(a.fields[k], b.fields[k], same)) return false;
    return true;
}

bool CPlsqlMultiset::Find(const Elements& in, const CPlsqlCollection::Element& element, std::size_t& at,
                          Failure& failure, const CTimeZone& session) {
    for (at = 0; at < in.size(); ++at) {
        bool same = false;
        if (!Same(in[at], element, same, failure, session)) return false;
        if (same) return true;
    }
    return true;
}

bool CPlsqlMultiset::Unique(const Elements& in, Elements& out, Failure& failure, const CTimeZone& session) {
    out.clear();
    for (const auto& element : in) {
        std::size_t at = 0;
        if (!Find(out, element, at, failure, session)) return false;
        if (at == out.size()) out.push_back(element);
    }
    return true;
}

void CPlsqlMultiset::Fill(const Elements& in, CPlsqlCollection& out) {
    out = CPlsqlCollection();
    for (std::size_t k = 0; k < in.size(); ++k)
        out.elements[CPlsqlCollection::NumberKey(static_cast<std::int64_t>(k) + 1)] = in[k];
}

bool CPlsqlMultiset::Member(const CPlsqlValue& x, CPlsqlCollection* c, CPlsqlValue& out, Failure& failure,
                            const CTimeZone& session) {
    out = CPlsqlValue();
    if (x.IsNull() || IsNull(c) || c->Count() == 0) return true;
    CPlsqlCollection::Element wanted;
    wanted.value = x;
    bool sawNull = false;
    for (const auto& element : ElementsOf(*c)) {
        if (IsNullElement(element)) {
            sawNull = true;
            continue;
        }
        bool same = false;
        if (!Same(element, wanted, same, failure, session)) return false;
        if (same) {
            out = CPlsqlValue::Bool(true);
            return true;
        }
    }
    if (!sawNull) out = CPlsqlValue::Bool(false);
    return true;
}

bool CPlsqlMultiset::IsASet(CPlsqlCollection* c, CPlsqlValue& out, Failure& failure,
                            const CTimeZone& session) {
    out = CPlsqlValue();
    if (IsNull(c)) return true;
    Elements elements = ElementsOf(*c);
    Elements unique;
    if (!Unique(elements, unique, failure, session)) return false;
    out = CPlsqlValue::Bool(unique.size() == elements.size());
    return true;
}

bool CPlsqlMultiset::Equal(CPlsqlCollection* a, CPlsqlCollection* b, CPlsqlValue& out, Failure& failure,
                           const CTimeZone& session) {
    out = CPlsqlValue();
    if (IsNull(a) || IsNull(b)) return true;
    if (a->Count() != b->Count()) {
        out = CPlsqlValue::Bool(false);
        return true;
    }
    Elements left = ElementsOf(*a);
    Elements right = ElementsOf(*b);
    if (std::any_of(left.begin(), left.end(), IsNullElement) ||
        std::any_of(right.begin(), right.end(), IsNullElement))
        return true;
    for (const auto& element : left) {
        std::size_t at = 0;
        if (!Find(right, element, at, failure, session)) return false;
        if (at == right.size()) {
            out = CPlsqlValue::Bool(false);
            return true;
        }
        right.erase(right.begin() + static_cast<std::ptrdiff_t>(at));
    }
    out = CPlsqlValue::Bool(true);
    return true;
}

bool CPlsqlMultiset::Submultiset(CPlsqlCollection* a, CPlsqlCollection* b, CPlsqlValue& out, Failure& failure,
                                 const CTimeZone& session) {
    out = CPlsqlValue();
    if (IsNull(a) || IsNull(b)) return true;
    Elements right = ElementsOf(*b);
    bool unmatchedNull = false;
    for (const auto& element : ElementsOf(*a)) {
        if (IsNullElement(element)) {
            unmatchedNull = true;
            continue;
        }
        std::size_t at = 0;
        if (!Find(right, element, at, failure, session)) return false;
        if (at == right.size()) {
            out = CPlsqlValue::Bool(false);
            return true;
        }
        right.erase(right.begin() + static_cast<std::ptrdiff_t>(at));
    }
    if (!unmatchedNull) out = CPlsqlValue::Bool(true);
    return true;
}

bool CPlsqlMultiset::Distinct(CPlsqlCollection* c, CPlsqlCollection& out, Failure& failure,
                              const CTimeZone& session) {
    out = CPlsqlCollection();
    if (IsNull(c)) {
        out.isNull = true;
        return true;
    }
    Elements unique;
    if (!Unique(ElementsOf(*c), unique, failure, session)) return false;
    Fill(unique, out);
    return true;
}

bool CPlsqlMultiset::Apply(Combine op, bool distinct, CPlsqlCollection* a, CPlsqlCollection* b,
                           CPlsqlCollection& out, Failure& failure, const CTimeZone& session) {
    out = CPlsqlCollection();
    if (IsNull(a) || IsNull(b)) {
        out.isNull = true;
        return true;
    }
    Elements left = ElementsOf(*a);
    Elements right = ElementsOf(*b);
    Elements result;
    if (op == Combine::Union) {
        result = std::move(left);
        result.insert(result.end(), right.begin(), right.end());
    } else {
        // Note: ALL matches each element of `b` once (INTERSECT ALL keeps
        // min(m, n) copies, EXCEPT ALL max(m - n, 0)); DISTINCT asks only
        // whether the value is in `b` at all.
        for (const auto& element : left) {
            std::size_t at = 0;
            if (!Find(right, element, at, failure, session)) return false;
            bool found = at < right.size();
            if (found && !distinct) right.erase(right.begin() + static_cast<std::ptrdiff_t>(at));
            if (found == (op == Combine::Intersect)) result.push_back(element);
        }
    }
    if (distinct) {
        Elements unique;
        if (!Unique(result, unique, failure, session)) return false;
        result = std::move(unique);
    }
    Fill(result, out);
    return true;
}
