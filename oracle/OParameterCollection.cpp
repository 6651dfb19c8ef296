#include "oracle/OParameterCollection.h"

OParameter OParameterCollection::Add(const char* name, const OValue& initial, int ioType, int serverType,
                                     const char*) {
    std::string key = name != nullptr ? name : "";
    for (OParameter::Entry& entry : m_entries)
        if (entry.name == key) {
            entry.value = initial;
            entry.ioType = ioType;
            entry.serverType = serverType;
            return OParameter(&entry);
        }
    m_entries.push_back(OParameter::Entry{key, initial, ioType, serverType});
    return OParameter(&m_entries.back());
}

OParameter OParameterCollection::GetParameter(const char* name) {
    if (name == nullptr) return OParameter();
    for (OParameter::Entry& entry : m_entries)
        if (entry.name == name) return OParameter(&entry);
    return OParameter();
}
