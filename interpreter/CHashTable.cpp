#include "interpreter/CHashTable.h"

#include <atomic>

namespace {

// Note: versions are counted over every table, so a table replaced by
// another (or by a copy) never shows a version that stood for other
// contents.
std::size_t NextVersion() {
    static std::atomic<std::size_t> counter{0};
    return ++counter;
}

}  // namespace

void CHashTable::SetAt(const std::string& key, const std::string& value) {
    m_version = NextVersion();
    if (const auto found = m_index.find(key); found != m_index.end()) {
        m_values[found->second] = value;
        return;
    }
    m_index.emplace(key, m_keys.size());
    m_keys.push_back(key);
    m_values.push_back(value);
}

std::string CHashTable::Lookup(const std::string& key) const {
    if (const std::string* value = Find(key)) return *value;
    throw CHashTableException();
}

const std::string* CHashTable::Find(std::string_view key) const {
    const auto found = m_index.find(key);
    return found == m_index.end() ? nullptr : &m_values[found->second];
}

CScriptLines& CHashTable::GetKeys(CScriptLines& out) const {
    out = m_keys;
    return out;
}

void CHashTable::RemoveAll() {
    m_version = NextVersion();
    m_keys.clear();
    m_values.clear();
    m_index.clear();
}

bool CHashTable::Remove(const std::string& key) {
    const auto found = m_index.find(key);
    if (found == m_index.end()) return false;
    m_version = NextVersion();
    const auto at = static_cast<std::ptrdiff_t>(found->second);
    m_keys.erase(m_keys.begin() + at);
    m_values.erase(m_values.begin() + at);
    Reindex();
    return true;
}

void CHashTable::Reindex() {
    m_index.clear();
    for (std::size_t i = 0; i < m_keys.size(); ++i) m_index.emplace(m_keys[i], i);
}
