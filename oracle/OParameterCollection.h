#pragma once

#include <deque>
#include <string>

#include "oracle/OParameter.h"
#include "oracle/OValue.h"

// The bind parameters of one database, kept by name (exact, case-sensitive).
class OParameterCollection {
public:
    // Declares a parameter; a name already declared is replaced (type and
    // value). Returns the parameter.
    OParameter Add(const char* name, const OValue& initial, int ioType, int serverType,
                   const char* objectTypeName = nullptr);
    // The parameter of that name; an empty handle (whose GetValue fails)
    // when none is declared.
    OParameter GetParameter(const char* name);
    long GetCount() const { return static_cast<long>(m_entries.size()); }
    void RemoveAll() { m_entries.clear(); }

    // Used by the layer to bind and write back values.
    std::deque<OParameter::Entry>& Entries() { return m_entries; }

private:
    std::deque<OParameter::Entry> m_entries;
};
