#include "oracle/ODynaset.h"

#include <cstring>

#include "engine/CEngineResult.h"
#include "oracle/ODatabase.h"
#include "oracle/ODatabaseImpl.h"
#include "text/Cp932.h"

struct ODynaset::Impl {
    CEngineResult result;
    bool open = false;
    std::size_t current = 0;

    const CEngineColumn* Column(int index) const {
        if (!open || index < 0 || static_cast<std::size_t>(index) >= result.Columns().size()) return nullptr;
        return &result.Columns()[static_cast<std::size_t>(index)];
    }
};

ODynaset::ODynaset() : m_impl(std::make_unique<Impl>()) {}

ODynaset::~ODynaset() = default;

oresult ODynaset::Open(ODatabase& database, const char* sql, long, const void*) {
    Close();
    ODatabase::Impl& db = database.GetImpl();
    if (!db.RequireOpen()) return OFAILURE;
    std::vector<CEngineBind> binds = db.CollectBinds();
    if (!db.connection->Query(sql != nullptr ? sql : "", binds, m_impl->result)) {
        db.SetError(db.connection->LastError());
        return OFAILURE;
    }
    db.ClearError();
    m_impl->open = true;
    m_impl->current = 0;
    return OSUCCESS;
}

bool ODynaset::IsOpen() const { return m_impl->open; }

void ODynaset::Close() {
    m_impl->result.Clear();
    m_impl->open = false;
    m_impl->current = 0;
}

int ODynaset::GetFieldCount() const {
    return m_impl->open ? static_cast<int>(m_impl->result.Columns().size()) : 0;
}

const char* ODynaset::GetFieldName(int index) const {
    const CEngineColumn* column = m_impl->Column(index);
    return column != nullptr ? column->name.c_str() : "";
}

short ODynaset::GetFieldServerType(int index) const {
    const CEngineColumn* column = m_impl->Column(index);
    return column != nullptr ? static_cast<short>(column->serverType) : 0;
}

long ODynaset::GetFieldSize(int index) const {
    const CEngineColumn* column = m_impl->Column(index);
    return column != nullptr ? column->size : 0;
}

short ODynaset::GetFieldPrecision(int index) const {
    const CEngineColumn* column = m_impl->Column(index);
    return column != nullptr ? column->precision : 0;
}

short ODynaset::GetFieldScale(int index) const {
    const CEngineColumn* column = m_impl->Column(index);
    return column != nullptr ? column->scale : 0;
}

bool ODynaset::IsFieldNullOK(int index) const {
    const CEngineColumn* column = m_impl->Column(index);
    return column != nullptr && column->nullable;
}

oresult ODynaset::GetFieldValue(int index, char* buffer, unsigned short maxLength) const {
    if (buffer == nullptr || maxLength == 0) return OFAILURE;
    buffer[0] = '\0';
    if (m_impl->Column(index) == nullptr || IsEOF()) return OFAILURE;
    std::string_view value = m_impl->result.Value(m_impl->current, static_cast<std::size_t>(index));
    std::size_t room = static_cast<std::size_t>(maxLength) - 1;
    std::size_t length = 0;
    while (length < value.size()) {
        std::size_t next = length + cp932::CharLength(value, length);
        if (next > room) break;
        length = next;
    }
    std::memcpy(buffer, value.data(), length);
    buffer[length] = '\0';
    return OSUCCESS;
}

bool ODynaset::IsEOF() const { return !m_impl->open || m_impl->current >= m_impl->result.RowCount(); }

oresult ODynaset::MoveNext(bool) {
    if (IsEOF()) return OFAILURE;
    ++m_impl->current;
    return OSUCCESS;
}

long ODynaset::GetRecordCount() const {
    return m_impl->open ? static_cast<long>(m_impl->result.RowCount()) : 0;
}
