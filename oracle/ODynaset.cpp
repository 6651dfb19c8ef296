#include "oracle/ODynaset.h"

#include <cstring>

#include "engine/CEngineCursor.h"
#include "engine/CEngineResult.h"
#include "oracle/ODatabase.h"
#include "oracle/ODatabaseImpl.h"
#include "text/Cp932.h"

namespace {
// Rows asked of the engine at a time.
constexpr std::size_t kBatchRows = 100;
}  // namespace

struct ODynaset::Impl {
    ODatabase::Impl* database = nullptr;
    std::unique_ptr<CEngineCursor> cursor;
    std::vector<CEngineColumn> columns;
    CEngineResult batch;
    std::size_t current = 0;
    long before = 0;
    bool open = false;
    bool ended = false;
    bool failed = false;

    const CEngineColumn* Column(int index) const {
        if (!open || index < 0 || static_cast<std::size_t>(index) >= columns.size()) return nullptr;
        return &columns[static_cast<std::size_t>(index)];
    }

    // Reads the next batch; false on failure (the database keeps the error).
    bool NextBatch() {
        before += static_cast<long>(batch.RowCount());
        current = 0;
        if (ended || cursor == nullptr) {
            batch.SetColumns(columns);
            return true;
        }
        if (!cursor->Fetch(kBatchRows, batch)) {
            database->SetError(cursor->LastError());
            batch.SetColumns(columns);
            ended = failed = true;
            return false;
        }
        if (batch.RowCount() < kBatchRows) ended = true;
        return true;
    }
};

ODynaset::ODynaset() : m_impl(std::make_unique<Impl>()) {}

ODynaset::~ODynaset() = default;

oresult ODynaset::Open(ODatabase& database, const char* sql, long options, const void*) {
    Close();
    ODatabase::Impl& db = database.GetImpl();
    if (!db.RequireOpen()) return OFAILURE;
    std::vector<CEngineBind> binds = db.CollectBinds();
    const bool describeOnly = (options & ODYNASET_DESCRIBE_ONLY) != 0;
    std::unique_ptr<CEngineCursor> cursor = db.connection->OpenCursor(
        sql != nullptr ? sql : "", binds,
        describeOnly ? CEngineConnection::CursorMode::DescribeOnly : CEngineConnection::CursorMode::Rows);
    if (cursor == nullptr) {
        db.SetError(db.connection->LastError());
        return OFAILURE;
    }
    return Start(database, std::move(cursor), describeOnly);
}

oresult ODynaset::OpenCursorVariable(ODatabase& database, const char* name) {
    Close();
    ODatabase::Impl& db = database.GetImpl();
    if (!db.RequireOpen()) return OFAILURE;
    CEngineError error;
    std::unique_ptr<CEngineCursor> cursor =
        db.connection->TakeCursorVariable(name != nullptr ? name : "", error);
    if (cursor == nullptr) {
        db.SetError(error);
        return OFAILURE;
    }
    return Start(database, std::move(cursor), false);
}

oresult ODynaset::Start(ODatabase& database, std::unique_ptr<CEngineCursor> cursor, bool describeOnly) {
    ODatabase::Impl& db = database.GetImpl();
    db.ClearError();
    m_impl->database = &db;
    m_impl->cursor = std::move(cursor);
    m_impl->columns = m_impl->cursor->Columns();
    m_impl->open = true;
    m_impl->ended = describeOnly;
    m_impl->batch.SetColumns(m_impl->columns);
    if (m_impl->NextBatch()) return OSUCCESS;
    Close();
    return OFAILURE;
}

oresult ODynaset::OpenNested(ODatabase& database, const ODynaset& parent, int column) {
    Close();
    if (parent.IsEOF() || column < 0) return OFAILURE;
    const CEngineResult* nested =
        parent.m_impl->batch.Nested(parent.m_impl->current, static_cast<std::size_t>(column));
    if (nested == nullptr) return OFAILURE;
    return Start(database, std::make_unique<CMaterialisedCursor>(*nested), false);
}

bool ODynaset::IsOpen() const { return m_impl->open; }

void ODynaset::Close() { *m_impl = Impl(); }

int ODynaset::GetFieldCount() const { return m_impl->open ? static_cast<int>(m_impl->columns.size()) : 0; }

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

const char* ODynaset::GetFieldTypeName(int index) const {
    const CEngineColumn* column = m_impl->Column(index);
    return column != nullptr ? column->typeName.c_str() : "";
}

long ODynaset::GetFieldCharLength(int index) const {
    const CEngineColumn* column = m_impl->Column(index);
    return column != nullptr ? column->charLength : 0;
}

short ODynaset::GetFieldPrecision(int index) const {
    const CEngineColumn* column = m_impl->Column(index);
    return column != nullptr ? column->precision : 0;
}

short ODynaset::GetFieldScale(int index) const {
    const CEngineColumn* column = m_impl->Column(index);
    return column != nullptr ? column->scale : 0;
}

bool ODynaset::IsFieldNational(int index) const {
    const CEngineColumn* column = m_impl->Column(index);
    return column != nullptr && column->national;
}

bool ODynaset::IsFieldNullOK(int index) const {
    const CEngineColumn* column = m_impl->Column(index);
    return column != nullptr && column->nullable;
}

oresult ODynaset::GetFieldValue(int index, char* buffer, unsigned short maxLength) const {
    if (buffer == nullptr || maxLength == 0) return OFAILURE;
    buffer[0] = '\0';
    if (m_impl->Column(index) == nullptr || IsEOF()) return OFAILURE;
    std::string_view value = m_impl->batch.Value(m_impl->current, static_cast<std::size_t>(index));
    std::size_t room = static_cast<std::size_t>(maxLength) - 1;
    // A value that fits is copied whole (no character reaches past the end).
    std::size_t length = value.size() <= room ? value.size() : 0;
    while (length < value.size()) {
        std::size_t next = length + cp932::CharLength(value, length);
        if (next > room) break;
        length = next;
    }
    std::memcpy(buffer, value.data(), length);
    buffer[length] = '\0';
    return OSUCCESS;
}

bool ODynaset::IsEOF() const { return !m_impl->open || m_impl->current >= m_impl->batch.RowCount(); }

oresult ODynaset::MoveNext(bool) {
    if (IsEOF()) return OFAILURE;
    ++m_impl->current;
    if (m_impl->current < m_impl->batch.RowCount()) return OSUCCESS;
    return m_impl->NextBatch() ? OSUCCESS : OFAILURE;
}

long ODynaset::GetRecordCount() const {
    if (!m_impl->open) return 0;
    return m_impl->before + static_cast<long>(m_impl->batch.RowCount());
}

bool ODynaset::FetchFailed() const { return m_impl->failed; }

std::size_t ODynaset::GetReplacedCount() const {
    return m_impl->cursor != nullptr ? m_impl->cursor->ReplacedCharacters() : 0;
}
