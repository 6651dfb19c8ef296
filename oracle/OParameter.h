#pragma once

#include <string>

#include "oracle/OTypes.h"
#include "oracle/OValue.h"

// A handle on one bind parameter of a database's collection.
class OParameter {
public:
    struct Entry {
        std::string name;
        OValue value;
        int ioType = OPARAMETER_INOUTVAR;
        int serverType = OTYPE_VARCHAR2;
        // A character variable's declared bytes: those of its initial
        // value; 0 for other types (no limit).
        long size = 0;
    };

    OParameter() = default;
    explicit OParameter(Entry* entry) : m_entry(entry) {}

    bool IsValid() const { return m_entry != nullptr; }
    // Fills `value`; fails on an empty handle (the name is not declared).
    oresult GetValue(OValue* value) const;
    oresult SetValue(const OValue& value);
    // Server type code, 0 on an empty handle.
    int GetServerType() const { return m_entry ? m_entry->serverType : 0; }
    std::string GetName() const { return m_entry ? m_entry->name : std::string(); }

private:
    Entry* m_entry = nullptr;
};
