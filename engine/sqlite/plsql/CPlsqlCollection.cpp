#include "engine/sqlite/plsql/CPlsqlCollection.h"

CPlsqlCollection::Element* CPlsqlCollection::Find(const Key& key) {
    auto found = elements.find(key);
    return found == elements.end() ? nullptr : &found->second;
}

bool CPlsqlCollection::First(Key& key) const {
    if (elements.empty()) return false;
    key = elements.begin()->first;
    return true;
}

bool CPlsqlCollection::Last(Key& key) const {
    if (elements.empty()) return false;
    key = elements.rbegin()->first;
    return true;
}

bool CPlsqlCollection::Next(const Key& key, Key& out) const {
    auto next = elements.upper_bound(key);
    if (next == elements.end()) return false;
    out = next->first;
    return true;
}

bool CPlsqlCollection::Prior(const Key& key, Key& out) const {
    auto at = elements.lower_bound(key);
    if (at == elements.begin()) return false;
    out = (--at)->first;
    return true;
}

void CPlsqlCollection::Extend(std::size_t count) {
    Key last;
    std::int64_t next = Last(last) ? last.number + 1 : 1;
    for (std::size_t k = 0; k < count; ++k) elements[NumberKey(next++)] = Element{};
}

void CPlsqlCollection::Trim(std::size_t count) {
    for (std::size_t k = 0; k < count && !elements.empty(); ++k) elements.erase(std::prev(elements.end()));
}

CPlsqlCollection::Key CPlsqlCollection::NumberKey(std::int64_t number) {
    Key key;
    key.number = number;
    return key;
}

CPlsqlValue CPlsqlCollection::KeyValue(const Key& key) {
    return key.text ? CPlsqlValue::Text(key.name) : CPlsqlValue::Integer(key.number);
}
