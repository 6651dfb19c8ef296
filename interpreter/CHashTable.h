#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "text/CScriptLines.h"

// Raised by CHashTable::Lookup for a key that is not stored.
class CHashTableException {};

// Small string-to-string table kept in insertion order; keys compare byte
// for byte (case matters).
class CHashTable {
public:
    // Replaces the value of an existing key in place, else appends the pair.
    void SetAt(const std::string& key, const std::string& value);
    // Throws CHashTableException when the key is absent.
    std::string Lookup(const std::string& key) const;
    // The value of `key`; null when it is absent.
    const std::string* Find(std::string_view key) const;
    CScriptLines& GetKeys(CScriptLines& out) const;
    // Removes `key` and its value; false when it is absent.
    bool Remove(const std::string& key);
    void RemoveAll();
    // Changes whenever a value is set or removed, so that what is derived
    // from the table can be kept until it changes.
    std::size_t Version() const { return m_version; }

private:
    struct KeyHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view key) const { return std::hash<std::string_view>{}(key); }
    };

    CScriptLines m_keys;
    CScriptLines m_values;
    // Where each key stands in m_keys, so that a lookup does not walk them
    // (the interpreter reads its settings for every statement).
    std::unordered_map<std::string, std::size_t, KeyHash, std::equal_to<>> m_index;
    std::size_t m_version = 0;

    void Reindex();
};
