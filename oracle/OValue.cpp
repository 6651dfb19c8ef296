#include "oracle/OValue.h"

#include "text/LeadingInt.h"

int OValue::ToInt() const { return m_null ? 0 : textparse::ParseLeadingInt(m_text); }
