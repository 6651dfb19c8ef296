#include "oracle/OParameterCollection.h"

namespace {

// Note: a character variable starts as blanks of its declared length.
long DeclaredSize(const OValue& initial, int serverType) {
    const bool character = serverType == OTYPE_VARCHAR2 || serverType == OTYPE_CHAR;
    return character ? static_cast<long>(initial.ToText().size()) : 0;
}

}  // namespace

OParameter OParameterCollection::Add(const char* name, const OValue& initial, int ioType, int serverType,
                                     const char*) {
    std::string key = name != nullptr ? name : "";
    for (OParameter::Entry& entry : m_entries)
        if (entry.name == key) {
            entry.value = initial;
            entry.ioType = ioType;
            entry.serverType = serverType;
            entry.size = DeclaredSize(initial, serverType);
            return OParameter(&entry);
        }
    m_entries.push_back(
        OParameter::Entry{key, initial, ioType, serverType, DeclaredSize(initial, serverType)});
    return OParameter(&m_entries.back());
}

OParameter OParameterCollection::GetParameter(const char* name) {
    if (name == nullptr) return OParameter();
    for (OParameter::Entry& entry : m_entries)
        if (entry.name == name) return OParameter(&entry);
    return OParameter();
}
