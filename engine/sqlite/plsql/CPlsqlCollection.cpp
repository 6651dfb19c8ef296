#include "engine/sqlite/plsql/CPlsqlCollection.h"

CPlsqlCollection::Element* CPlsqlCollection::Find(const Key& key) {
    if (packed) {
        if (key.text || key.number < 1 || static_cast<std::uint64_t>(key.number) > packed->Size())
            return nullptr;
        m_read.value = packed->At(static_cast<std::size_t>(key.number - 1));
        return &m_read;
    }
    auto found = elements.find(key);
    return found == elements.end() ? nullptr : &found->second;
}

void CPlsqlCollection::Unpack() {
    if (!packed) return;
    auto values = std::move(packed);
    for (std::size_t k = 0; k < values->Size(); ++k)
        elements[NumberKey(static_cast<std::int64_t>(k) + 1)].value = values->At(k);
}

bool CPlsqlCollection::First(Key& key) const {
    if (packed) return packed->Size() > 0 && (key = NumberKey(1), true);
    if (elements.empty()) return false;
    key = elements.begin()->first;
    return true;
}

bool CPlsqlCollection::Last(Key& key) const {
    if (packed)
        return packed->Size() > 0 && (key = NumberKey(static_cast<std::int64_t>(packed->Size())), true);
    if (elements.empty()) return false;
    key = elements.rbegin()->first;
    return true;
}

bool CPlsqlCollection::Next(const Key& key, Key& out) const {
    if (packed) {
        auto size = static_cast<std::int64_t>(packed->Size());
        if (key.text || size == 0 || key.number >= size) return false;
        out = NumberKey(key.number < 1 ? 1 : key.number + 1);
        return true;
    }
    auto next = elements.upper_bound(key);
    if (next == elements.end()) return false;
    out = next->first;
    return true;
}

bool CPlsqlCollection::Prior(const Key& key, Key& out) const {
    if (packed) {
        auto size = static_cast<std::int64_t>(packed->Size());
        if (key.text || key.number <= 1 || size == 0) return false;
        out = NumberKey(key.number > size ? size : key.number - 1);
        return true;
    }
    auto at = elements.lower_bound(key);
    if (at == elements.begin()) return false;
    out = (--at)->first;
    return true;
}

std::int64_t CPlsqlCollection::Size() const {
    Key last;
    return (Last(last) && !last.text ? last.number : 0) + tail;
}

void CPlsqlCollection::Extend(std::size_t count, const Element* fill) {
    Unpack();
    Element copy = fill != nullptr ? *fill : Element{};
    std::int64_t next = Size() + 1;
    tail = 0;
    for (std::size_t k = 0; k < count; ++k) elements[NumberKey(next++)] = copy;
}

void CPlsqlCollection::Trim(std::size_t count) {
    Unpack();
    std::int64_t size = Size() - static_cast<std::int64_t>(count);
    elements.erase(elements.upper_bound(NumberKey(size)), elements.end());
    tail = size - (Size() - tail);
}

void CPlsqlCollection::Erase(const Key& from, const Key& to) {
    Unpack();
    std::int64_t size = Size();
    if (to < from) return;
    elements.erase(elements.lower_bound(from), elements.upper_bound(to));
    if (!from.text) tail = size - (Size() - tail);
}

CPlsqlCollection::Key CPlsqlCollection::NumberKey(std::int64_t number) {
    Key key;
    key.number = number;
    return key;
}

CPlsqlValue CPlsqlCollection::KeyValue(const Key& key) {
    return key.text ? CPlsqlValue::Text(key.name) : CPlsqlValue::Integer(key.number);
}
