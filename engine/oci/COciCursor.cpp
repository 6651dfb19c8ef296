#include "engine/oci/COciCursor.h"

#include <algorithm>
#include <cstring>

#include "text/Cp932.h"

using namespace oci;

namespace {

struct TypeCode {
    ub2 dataType;
    int serverType;
};

constexpr TypeCode kTypeCodes[] = {
    {SQLT_CHR, servertype::kVarchar2},    {SQLT_NUM, servertype::kNumber},
    {SQLT_FLT, servertype::kNumber},      {SQLT_IBFLOAT, servertype::kNumber},
    {SQLT_IBDOUBLE, servertype::kNumber}, {SQLT_LNG, servertype::kLong},
    {SQLT_DAT, servertype::kDate},        {SQLT_BIN, servertype::kRaw},
    {SQLT_LBI, servertype::kLongRaw},     {SQLT_AFC, servertype::kChar},
    {SQLT_CLOB, servertype::kClob},       {SQLT_BLOB, servertype::kBlob},
    {SQLT_BFILEE, servertype::kBfile},    {SQLT_RSET, servertype::kCursor},
};

// The widest value read back: the widest column a query shows.
constexpr std::size_t kLongRoom = 32767 + 1;

// Bytes of text room for a column of that description.
std::size_t Room(ub2 dataType, ub2 size) {
    switch (dataType) {
        case SQLT_CHR:
        case SQLT_AFC:
        case SQLT_BIN:
            // Note: CP932 needs at most two bytes for what one byte holds in
            // the database's character set, and RAW shows two hex digits.
            return 2 * static_cast<std::size_t>(std::max<ub2>(size, 1)) + 1;
        case SQLT_LNG:
        case SQLT_CLOB:
        case SQLT_LBI:
        case SQLT_BLOB:
            return kLongRoom;
        case SQLT_NUM:
        case SQLT_FLT:
        case SQLT_IBFLOAT:
        case SQLT_IBDOUBLE:
            return 128;
        default:
            return 256;
    }
}

bool IsBinary(ub2 dataType) { return dataType == SQLT_BLOB || dataType == SQLT_LBI; }

std::string Hex(const char* data, std::size_t size) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (std::size_t k = 0; k < size; ++k) {
        const auto byte = static_cast<unsigned char>(data[k]);
        text += kDigits[byte >> 4];
        text += kDigits[byte & 15];
    }
    return text;
}

// The text up to its terminator, without a double-byte character cut in two.
std::string_view WholeText(const char* data, std::size_t room) {
    std::string_view text(data, strnlen(data, room));
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t next = at + cp932::CharLength(text, at);
        if (next > text.size()) break;
        at = next;
    }
    return text.substr(0, at);
}

}  // namespace

int COciCursor::ServerType(ub2 dataType) {
    for (const auto& row : kTypeCodes)
        if (row.dataType == dataType) return row.serverType;
    return dataType;
}

COciCursor::COciCursor(std::unique_ptr<COciStatement> statement, bool describeOnly, std::atomic<bool>* busy)
    : m_statement(std::move(statement)), m_describeOnly(describeOnly), m_busy(busy) {}

bool COciCursor::Describe() {
    const Api& api = m_statement->Env().Api();
    OCIError* err = m_statement->ErrorHandle();
    OCIStmt* stmt = m_statement->Handle();
    ub4 count = 0;
    api.AttrGet(stmt, OCI_HTYPE_STMT, &count, nullptr, OCI_ATTR_PARAM_COUNT, err);
    for (ub4 position = 1; position <= count; ++position) {
        void* param = nullptr;
        sword status = api.ParamGet(stmt, OCI_HTYPE_STMT, err, &param, position);
        if (status != OCI_SUCCESS) {
            m_statement->Fail(status);
            return false;
        }
        OraText* name = nullptr;
        ub4 nameLength = 0;
        ub2 dataType = 0;
        ub2 size = 0;
        sb2 precision = 0;
        sb1 scale = 0;
        ub1 nullable = 1;
        api.AttrGet(param, OCI_DTYPE_PARAM, &name, &nameLength, OCI_ATTR_NAME, err);
        api.AttrGet(param, OCI_DTYPE_PARAM, &dataType, nullptr, OCI_ATTR_DATA_TYPE, err);
        api.AttrGet(param, OCI_DTYPE_PARAM, &size, nullptr, OCI_ATTR_DATA_SIZE, err);
        api.AttrGet(param, OCI_DTYPE_PARAM, &precision, nullptr, OCI_ATTR_PRECISION, err);
        api.AttrGet(param, OCI_DTYPE_PARAM, &scale, nullptr, OCI_ATTR_SCALE, err);
        api.AttrGet(param, OCI_DTYPE_PARAM, &nullable, nullptr, OCI_ATTR_IS_NULL, err);
        CEngineColumn column;
        // The name lives in the descriptor: copied before it is freed.
        column.name = name != nullptr ? std::string(reinterpret_cast<const char*>(name), nameLength) : "";
        api.DescriptorFree(param, OCI_DTYPE_PARAM);
        column.serverType = ServerType(dataType);
        column.size = size;
        column.precision = precision;
        column.scale = scale;
        column.nullable = nullable != 0;
        m_columns.push_back(std::move(column));
        Column buffer;
        buffer.width = Room(dataType, size);
        buffer.binary = IsBinary(dataType);
        m_buffers.push_back(std::move(buffer));
    }
    return m_describeOnly || Define();
}

bool COciCursor::Define() {
    const Api& api = m_statement->Env().Api();
    for (std::size_t c = 0; c < m_buffers.size(); ++c) {
        Column& column = m_buffers[c];
        column.buffer.assign(column.width * kFetchRows, '\0');
        column.indicators.assign(kFetchRows, 0);
        column.lengths.assign(kFetchRows, 0);
        OCIDefine* define = nullptr;
        sword status = api.DefineByPos(m_statement->Handle(), &define, m_statement->ErrorHandle(),
                                       static_cast<ub4>(c + 1), column.buffer.data(),
                                       static_cast<sb4>(column.width), column.binary ? SQLT_LBI : SQLT_STR,
                                       column.indicators.data(), column.lengths.data(), nullptr, OCI_DEFAULT);
        if (status != OCI_SUCCESS) {
            m_statement->Fail(status);
            return false;
        }
    }
    return true;
}

bool COciCursor::FetchArray() {
    m_rowsInBuffer = 0;
    m_nextRow = 0;
    const Api& api = m_statement->Env().Api();
    if (m_busy != nullptr) *m_busy = true;
    sword status = api.StmtFetch2(m_statement->Handle(), m_statement->ErrorHandle(), kFetchRows,
                                  OCI_FETCH_NEXT, 0, OCI_DEFAULT);
    if (m_busy != nullptr) *m_busy = false;
    if (status == OCI_ERROR || status == OCI_INVALID_HANDLE) {
        m_statement->Fail(status);
        return false;
    }
    // Note: a value cut to its buffer (ORA-01406) arrives with
    // OCI_SUCCESS_WITH_INFO; it is shown as far as it came.
    ub4 fetched = 0;
    api.AttrGet(m_statement->Handle(), OCI_HTYPE_STMT, &fetched, nullptr, OCI_ATTR_ROWS_FETCHED,
                m_statement->ErrorHandle());
    m_rowsInBuffer = std::min<std::size_t>(fetched, kFetchRows);
    if (status == OCI_NO_DATA || fetched < kFetchRows) m_finished = true;
    return true;
}

void COciCursor::AddValue(std::size_t c, std::size_t row, CEngineResult& batch) const {
    const Column& column = m_buffers[c];
    if (column.indicators[row] == -1) {
        batch.AddValue({}, true);
        return;
    }
    const char* data = column.buffer.data() + row * column.width;
    if (column.binary) {
        batch.AddValue(Hex(data, std::min<std::size_t>(column.lengths[row], column.width)), false);
        return;
    }
    batch.AddValue(WholeText(data, column.width), false);
}

bool COciCursor::Fetch(std::size_t maxRows, CEngineResult& batch) {
    batch.SetColumns(m_columns);
    if (m_describeOnly) return true;
    std::size_t added = 0;
    while (added < maxRows) {
        if (m_nextRow >= m_rowsInBuffer) {
            if (m_finished) break;
            if (!FetchArray()) return false;
            if (m_rowsInBuffer == 0) break;
        }
        for (std::size_t c = 0; c < m_buffers.size(); ++c) AddValue(c, m_nextRow, batch);
        batch.EndRow();
        ++m_nextRow;
        ++added;
    }
    return true;
}
