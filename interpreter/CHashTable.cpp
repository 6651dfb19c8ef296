#include "interpreter/CHashTable.h"

void CHashTable::SetAt(const std::string& key, const std::string& value) {
    for (std::size_t i = 0; i < m_keys.size(); ++i) {
        if (m_keys[i] == key) {
            m_values[i] = value;
            return;
        }
    }
    m_keys.push_back(key);
    m_values.push_back(value);
}

std::string CHashTable::Lookup(const std::string& key) const {
    if (const std::string* value = Find(key)) return *value;
    throw CHashTableException();
}

const std::string* CHashTable::Find(std::string_view key) const {
    for (std::size_t i = 0; i < m_keys.size(); ++i)
        if (m_keys[i] == key) return &m_values[i];
    return nullptr;
}

CScriptLines& CHashTable::GetKeys(CScriptLines& out) const {
    out = m_keys;
    return out;
}

void CHashTable::RemoveAll() {
    m_keys.clear();
    m_values.clear();
}

bool CHashTable::Remove(const std::string& key) {
    for (std::size_t i = 0; i < m_keys.size(); ++i) {
        if (m_keys[i] != key) continue;
        m_keys.erase(m_keys.begin() + static_cast<std::ptrdiff_t>(i));
        m_values.erase(m_values.begin() + static_cast<std::ptrdiff_t>(i));
        return true;
    }
    return false;
}
