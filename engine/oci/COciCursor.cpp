#include "engine/oci/COciCursor.h"

#include <algorithm>
#include <cstring>

#include "text/Cp932.h"
#include "text/Encoding.h"

using namespace oci;

namespace {

// External types the describe reports that this file names itself.
constexpr ub2 kBfloat = 21;
constexpr ub2 kBdouble = 22;
constexpr ub2 kNamedType = 108;
constexpr ub2 kRef = 110;
constexpr ub2 kJson = 119;
constexpr ub2 kVector = 127;
constexpr ub2 kTimestamp = 180;
constexpr ub2 kTimestampTz = 181;
constexpr ub2 kIntervalYm = 182;
constexpr ub2 kIntervalDs = 183;
constexpr ub2 kUrowid = 208;
constexpr ub2 kTimestampLtz = 231;
constexpr ub2 kBoolean = 252;
constexpr ub2 SQLT_INT = 3;

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

// The longest value read of a LONG, LOB or LONG RAW column.
constexpr std::size_t kLongRoom = 32767;

// How a column of a described type is defined. `room` is fixed bytes, or
// with `perByte` that many bytes per byte of the described size (AL32UTF8
// takes up to four for a character the server holds in one).
struct DefineRule {
    ub2 dataType;
    int kind;
    ub2 defineType;
    std::size_t room;
    std::size_t perByte;
    const char* name;
};

enum : int { kText, kHex, kBool, kCursor, kNamed };

constexpr DefineRule kDefineRules[] = {
    {SQLT_CHR, kText, SQLT_CHR, 0, 4, ""},
    {SQLT_AFC, kText, SQLT_CHR, 0, 4, ""},
    {SQLT_NUM, kText, SQLT_CHR, 64, 0, ""},
    {SQLT_FLT, kText, SQLT_CHR, 64, 0, ""},
    {SQLT_IBFLOAT, kText, SQLT_CHR, 64, 0, ""},
    {SQLT_IBDOUBLE, kText, SQLT_CHR, 64, 0, ""},
    {kBfloat, kText, SQLT_CHR, 64, 0, ""},
    {kBdouble, kText, SQLT_CHR, 64, 0, ""},
    {SQLT_DAT, kText, SQLT_CHR, 128, 0, ""},
    {kTimestamp, kText, SQLT_CHR, 128, 0, ""},
    {kTimestampTz, kText, SQLT_CHR, 128, 0, ""},
    {kTimestampLtz, kText, SQLT_CHR, 128, 0, ""},
    {kIntervalYm, kText, SQLT_CHR, 128, 0, ""},
    {kIntervalDs, kText, SQLT_CHR, 128, 0, ""},
    {SQLT_RDD, kText, SQLT_CHR, 4000, 0, ""},
    {SQLT_RID, kText, SQLT_CHR, 4000, 0, ""},
    {kUrowid, kText, SQLT_CHR, 4000, 0, ""},
    // RAW converts to its hex digits on the server.
    {SQLT_BIN, kText, SQLT_CHR, 0, 2, ""},
    // LOBs through the documented data interface, up to the longest value.
    {SQLT_LNG, kText, SQLT_CHR, kLongRoom, 0, ""},
    {SQLT_CLOB, kText, SQLT_CHR, kLongRoom, 0, ""},
    {kVector, kText, SQLT_CHR, kLongRoom, 0, ""},
    {SQLT_LBI, kHex, SQLT_LBI, kLongRoom, 0, ""},
    {SQLT_BLOB, kHex, SQLT_LBI, kLongRoom, 0, ""},
    {kBoolean, kBool, SQLT_INT, sizeof(int), 0, ""},
    {SQLT_RSET, kCursor, SQLT_RSET, sizeof(void*), 0, ""},
    {SQLT_BFILEE, kNamed, 0, 0, 0, "BFILE"},
    {kNamedType, kNamed, 0, 0, 0, ""},
    {kRef, kNamed, 0, 0, 0, "REF"},
    {kJson, kNamed, 0, 0, 0, "JSON"},
};

const DefineRule* RuleOf(ub2 dataType) {
    for (const auto& rule : kDefineRules)
        if (rule.dataType == dataType) return &rule;
    return nullptr;
}

std::string Hex(const char* data, std::size_t size) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(2 * size);
    for (std::size_t k = 0; k < size; ++k) {
        const auto byte = static_cast<unsigned char>(data[k]);
        text += kDigits[byte >> 4];
        text += kDigits[byte & 15];
    }
    return text;
}

}  // namespace

int COciCursor::ServerType(ub2 dataType) {
    for (const auto& row : kTypeCodes)
        if (row.dataType == dataType) return row.serverType;
    return dataType;
}

COciCursor::COciCursor(std::unique_ptr<COciStatement> statement, bool describeOnly)
    : m_statement(std::move(statement)), m_describeOnly(describeOnly) {
    const int fixed = m_statement->Session().arraySize;
    if (fixed > 0) m_arraySize = static_cast<ub4>(fixed);
}

COciCursor::~COciCursor() { FreeCursorHandles(); }

void COciCursor::FreeCursorHandles() {
    for (Column& column : m_buffers) {
        for (OCIStmt* handle : column.cursors)
            if (handle != nullptr) m_statement->Env().Api().HandleFree(handle, OCI_HTYPE_STMT);
        column.cursors.clear();
    }
}

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
        OraText* typeName = nullptr;
        ub4 typeNameLength = 0;
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
        if (dataType == kNamedType)
            api.AttrGet(param, OCI_DTYPE_PARAM, &typeName, &typeNameLength, OCI_ATTR_TYPE_NAME, err);
        CEngineColumn column;
        // The names live in the descriptor: copied before it is freed.
        column.name = name != nullptr
                          ? COciEnvironment::FromServer(
                                std::string_view(reinterpret_cast<const char*>(name), nameLength), m_replaced)
                          : "";
        const std::string type =
            typeName != nullptr ? std::string(reinterpret_cast<const char*>(typeName), typeNameLength) : "";
        api.DescriptorFree(param, OCI_DTYPE_PARAM);
        column.serverType = ServerType(dataType);
        column.size = size;
        column.precision = precision;
        column.scale = scale;
        column.nullable = nullable != 0;
        m_columns.push_back(std::move(column));
        Column buffer;
        const DefineRule* rule = RuleOf(dataType);
        if (rule == nullptr) {
            buffer.kind = Kind::Named;
            buffer.placeholder = "(" + std::to_string(dataType) + ")";
        } else {
            buffer.kind = static_cast<Kind>(rule->kind);
            buffer.defineType = rule->defineType;
            buffer.width = rule->perByte != 0 ? rule->perByte * std::max<std::size_t>(size, 1) : rule->room;
            buffer.placeholder = std::string("(") + (type.empty() ? rule->name : type.c_str()) + ")";
        }
        m_buffers.push_back(std::move(buffer));
    }
    // Note: wide rows take fewer rows a fetch, so that one fetch's buffers
    // stay within the budget.
    if (m_arraySize > MostRows()) m_arraySize = MostRows();
    return m_describeOnly || Define();
}

ub4 COciCursor::MostRows() const {
    const std::size_t fitting = std::max<std::size_t>(kFetchBudget / std::max<std::size_t>(RowWidth(), 1), 1);
    const bool cursors = std::any_of(m_buffers.begin(), m_buffers.end(),
                                     [](const Column& column) { return column.kind == Kind::Cursor; });
    return static_cast<ub4>(std::min<std::size_t>(fitting, cursors ? kCursorRows : kMostRows));
}

std::size_t COciCursor::RowWidth() const {
    std::size_t width = 0;
    for (const Column& column : m_buffers) width += column.width + sizeof(sb2) + sizeof(ub2);
    return width;
}

bool COciCursor::Define() {
    const Api& api = m_statement->Env().Api();
    FreeCursorHandles();
    for (std::size_t c = 0; c < m_buffers.size(); ++c) {
        Column& column = m_buffers[c];
        if (column.kind == Kind::Named) continue;
        column.buffer.assign(column.width * m_arraySize, '\0');
        column.indicators.assign(m_arraySize, 0);
        column.lengths.assign(m_arraySize, 0);
        void* target = column.buffer.data();
        if (column.kind == Kind::Cursor) {
            column.cursors.assign(m_arraySize, nullptr);
            for (OCIStmt*& handle : column.cursors)
                api.HandleAlloc(m_statement->Env().Handle(), reinterpret_cast<void**>(&handle),
                                OCI_HTYPE_STMT, 0, nullptr);
            target = column.cursors.data();
        }
        OCIDefine* define = nullptr;
        sword status = api.DefineByPos(m_statement->Handle(), &define, m_statement->ErrorHandle(),
                                       static_cast<ub4>(c + 1), target, static_cast<sb4>(column.width),
                                       column.defineType, column.indicators.data(), column.lengths.data(),
                                       nullptr, OCI_DEFAULT);
        if (status != OCI_SUCCESS) {
            m_statement->Fail(status);
            return false;
        }
    }
    m_definedRows = m_arraySize;
    return true;
}

bool COciCursor::FetchArray() {
    m_rowsInBuffer = 0;
    m_nextRow = 0;
    if (m_arraySize != m_definedRows && !Define()) return false;
    const Api& api = m_statement->Env().Api();
    sword status = OCI_SUCCESS;
    {
        COciBusy busy(m_statement->Session());
        status = api.StmtFetch2(m_statement->Handle(), m_statement->ErrorHandle(), m_arraySize,
                                OCI_FETCH_NEXT, 0, OCI_DEFAULT);
    }
    if (status == OCI_ERROR || status == OCI_INVALID_HANDLE) {
        m_statement->Fail(status);
        return false;
    }
    // Note: a value cut to its buffer arrives with OCI_SUCCESS_WITH_INFO
    // (ORA-24345, the column's code 1406); it is shown as far as it came.
    ub4 fetched = 0;
    api.AttrGet(m_statement->Handle(), OCI_HTYPE_STMT, &fetched, nullptr, OCI_ATTR_ROWS_FETCHED,
                m_statement->ErrorHandle());
    m_rowsInBuffer = std::min<std::size_t>(fetched, m_arraySize);
    if (status == OCI_NO_DATA || fetched < m_arraySize) m_finished = true;
    // Note: a result that goes on takes more rows a round trip next time.
    if (m_statement->Session().arraySize <= 0 && !m_finished)
        m_arraySize = std::min<ub4>(m_arraySize * 2, MostRows());
    return true;
}

void COciCursor::AddValue(std::size_t c, std::size_t row, CEngineResult& batch) {
    const Column& column = m_buffers[c];
    if (column.kind == Kind::Named) {
        batch.AddValue(column.placeholder, false);
        return;
    }
    if (column.indicators[row] == -1) {
        batch.AddValue({}, true);
        return;
    }
    const char* data = column.buffer.data() + row * column.width;
    const std::size_t length = std::min<std::size_t>(column.lengths[row], column.width);
    switch (column.kind) {
        case Kind::Hex:
            batch.AddValue(Hex(data, length), false);
            return;
        case Kind::Boolean: {
            int value = 0;
            std::memcpy(&value, data, sizeof value);
            batch.AddValue(value != 0 ? "TRUE" : "FALSE", false);
            return;
        }
        case Kind::Cursor:
            batch.AddValue("CURSOR STATEMENT : " + std::to_string(c + 1), false);
            return;
        default:
            batch.AddValue(COciEnvironment::FromServer(std::string_view(data, length), m_replaced), false);
    }
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
