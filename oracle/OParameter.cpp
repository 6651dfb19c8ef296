#include "oracle/OParameter.h"

oresult OParameter::GetValue(OValue* value) const {
    if (m_entry == nullptr || value == nullptr) return OFAILURE;
    *value = m_entry->value;
    return OSUCCESS;
}

oresult OParameter::SetValue(const OValue& value) {
    if (m_entry == nullptr) return OFAILURE;
    m_entry->value = value;
    return OSUCCESS;
}
