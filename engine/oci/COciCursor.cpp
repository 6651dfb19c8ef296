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
    {SQLT_CHR, servertype::kVarchar2},
    {SQLT_NUM, servertype::kNumber},
    {SQLT_FLT, servertype::kNumber},
    {SQLT_IBFLOAT, servertype::kBinaryFloat},
    {SQLT_IBDOUBLE, servertype::kBinaryDouble},
    {SQLT_LNG, servertype::kLong},
    {SQLT_DAT, servertype::kDate},
    {SQLT_BIN, servertype::kRaw},
    {SQLT_LBI, servertype::kLongRaw},
    {SQLT_AFC, servertype::kChar},
    {SQLT_CLOB, servertype::kClob},
    {SQLT_BLOB, servertype::kBlob},
    {SQLT_BFILEE, servertype::kBfile},
    {SQLT_RSET, servertype::kCursor},
    {kTimestamp, servertype::kTimestamp},
    {kTimestampTz, servertype::kTimestampTz},
    {kTimestampLtz, servertype::kTimestampLtz},
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

enum : int { kText, kHex, kBool, kCursor, kNamed, kClob, kBlob, kFile };

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
    {SQLT_LNG, kText, SQLT_CHR, kLongRoom, 0, ""},
    // LOBs through their locators, read in pieces after each fetch.
    {SQLT_CLOB, kClob, SQLT_CLOB, sizeof(void*), 0, ""},
    {SQLT_BLOB, kBlob, SQLT_BLOB, sizeof(void*), 0, ""},
    {SQLT_BFILEE, kFile, SQLT_BFILEE, sizeof(void*), 0, ""},
    {kVector, kText, SQLT_CHR, kLongRoom, 0, ""},
    {SQLT_LBI, kHex, SQLT_LBI, kLongRoom, 0, ""},
    {kBoolean, kBool, SQLT_INT, sizeof(int), 0, ""},
    {SQLT_RSET, kCursor, SQLT_RSET, sizeof(void*), 0, ""},
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
    const Api& api = m_statement->Env().Api();
    for (Column& column : m_buffers) {
        for (OCIStmt* handle : column.cursors)
            if (handle != nullptr) api.HandleFree(handle, OCI_HTYPE_STMT);
        column.cursors.clear();
        for (OCILobLocator* locator : column.locators)
            if (locator != nullptr)
                api.DescriptorFree(locator, column.kind == Kind::File ? OCI_DTYPE_FILE : OCI_DTYPE_LOB);
        column.locators.clear();
    }
}

bool COciCursor::ReadNested(OCIStmt* handle, CEngineResult& nested) {
    CEngineError error;
    auto statement = std::make_unique<COciStatement>(m_statement->Env(), m_statement->Session(), error);
    statement->Borrow(handle);
    COciCursor cursor(std::move(statement), false);
    if (cursor.Describe() && cursor.Fetch(kNestedRows, nested)) {
        m_replaced += cursor.ReplacedCharacters();
        return true;
    }
    m_statement->Fail(OCI_ERROR);
    return false;
}

bool COciCursor::AllocateLocators(Column& column) {
    const Api& api = m_statement->Env().Api();
    column.locators.assign(m_arraySize, nullptr);
    for (OCILobLocator*& locator : column.locators)
        if (api.DescriptorAlloc(m_statement->Env().Handle(), reinterpret_cast<void**>(&locator),
                                column.kind == Kind::File ? OCI_DTYPE_FILE : OCI_DTYPE_LOB, 0,
                                nullptr) != OCI_SUCCESS) {
            m_statement->Fail(OCI_INVALID_HANDLE);
            return false;
        }
    return true;
}

bool COciCursor::ReadLob(const Column& column, OCILobLocator* locator, std::string& value) {
    const Api& api = m_statement->Env().Api();
    COciSessionState& session = m_statement->Session();
    if (column.kind == Kind::File) {
        OraText directory[128] = {};
        OraText name[1024] = {};
        ub2 directoryLength = sizeof directory;
        ub2 nameLength = sizeof name;
        sword status = api.LobFileGetName(m_statement->Env().Handle(), session.errorHandle, locator,
                                          directory, &directoryLength, name, &nameLength);
        if (status != OCI_SUCCESS) {
            m_statement->Fail(status);
            return false;
        }
        value = "BFILENAME('" + std::string(reinterpret_cast<char*>(directory), directoryLength) + "', '" +
                std::string(reinterpret_cast<char*>(name), nameLength) + "')";
        return true;
    }
    // Note: a CLOB is read by characters (four bytes each at most in
    // AL32UTF8), a BLOB by bytes; a piece shorter than asked is the last.
    constexpr std::uint64_t kPiece = 8192;
    std::vector<char> buffer(4 * kPiece);
    std::string bytes;
    std::uint64_t offset = 1;
    const std::size_t limit = session.longLimit > 0 ? static_cast<std::size_t>(session.longLimit) : kLobRoom;
    while (bytes.size() < limit) {
        const std::uint64_t piece = std::min<std::uint64_t>(kPiece, limit);
        std::uint64_t byteAmount = column.kind == Kind::Clob ? 0 : piece;
        std::uint64_t charAmount = column.kind == Kind::Clob ? piece : 0;
        sword status = OCI_SUCCESS;
        {
            COciBusy busy(session);
            status = api.LobRead2(session.service, session.errorHandle, locator, &byteAmount, &charAmount,
                                  offset, buffer.data(), buffer.size(), OCI_ONE_PIECE, nullptr, nullptr, 0,
                                  SQLCS_IMPLICIT);
        }
        if (status != OCI_SUCCESS && status != OCI_NO_DATA) {
            m_statement->Fail(status);
            return false;
        }
        byteAmount = std::min<std::uint64_t>(byteAmount, buffer.size());
        bytes.append(buffer.data(), static_cast<std::size_t>(byteAmount));
        const std::uint64_t advanced = column.kind == Kind::Clob ? charAmount : byteAmount;
        if (status == OCI_NO_DATA || advanced < piece || byteAmount == 0) break;
        offset += advanced;
    }
    if (column.kind == Kind::Blob) {
        value = Hex(bytes.data(), std::min(bytes.size(), limit));
        return true;
    }
    // Note: cut at the limit on a whole character.
    std::size_t cut = std::min(bytes.size(), limit);
    while (cut < bytes.size() && cut > 0 && (static_cast<unsigned char>(bytes[cut]) & 0xC0) == 0x80) --cut;
    bytes.resize(cut);
    value = COciEnvironment::FromServer(bytes, m_replaced);
    return true;
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
        ub1 charUsed = 0;
        ub2 charSize = 0;
        if (api.AttrGet(param, OCI_DTYPE_PARAM, &charUsed, nullptr, OCI_ATTR_CHAR_USED, err) != OCI_SUCCESS)
            charUsed = 0;
        if (charUsed != 0) api.AttrGet(param, OCI_DTYPE_PARAM, &charSize, nullptr, OCI_ATTR_CHAR_SIZE, err);
        ub1 charsetForm = 0;
        if (api.AttrGet(param, OCI_DTYPE_PARAM, &charsetForm, nullptr, OCI_ATTR_CHARSET_FORM, err) !=
            OCI_SUCCESS)
            charsetForm = 0;
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
        column.charLength = charUsed != 0 ? charSize : 0;
        column.national = charsetForm == SQLCS_NCHAR;
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
    // Note: statement handles and LOB locators come one a row.
    const bool cursors = std::any_of(m_buffers.begin(), m_buffers.end(), [](const Column& column) {
        return column.kind == Kind::Cursor || column.kind == Kind::Clob || column.kind == Kind::Blob ||
               column.kind == Kind::File;
    });
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
        if (column.kind == Kind::Clob || column.kind == Kind::Blob || column.kind == Kind::File) {
            if (!AllocateLocators(column)) return false;
            target = column.locators.data();
        }
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

bool COciCursor::AddValue(std::size_t c, std::size_t row, CEngineResult& batch) {
    const Column& column = m_buffers[c];
    if (column.kind == Kind::Named) {
        batch.AddValue(column.placeholder, false);
        return true;
    }
    if (column.indicators[row] == -1) {
        batch.AddValue({}, true);
        return true;
    }
    if (column.kind == Kind::Clob || column.kind == Kind::Blob || column.kind == Kind::File) {
        std::string value;
        if (!ReadLob(column, column.locators[row], value)) return false;
        batch.AddValue(value, false);
        return true;
    }
    const char* data = column.buffer.data() + row * column.width;
    const std::size_t length = std::min<std::size_t>(column.lengths[row], column.width);
    switch (column.kind) {
        case Kind::Hex:
            batch.AddValue(Hex(data, length), false);
            return true;
        case Kind::Boolean: {
            int value = 0;
            std::memcpy(&value, data, sizeof value);
            batch.AddValue(value != 0 ? "TRUE" : "FALSE", false);
            return true;
        }
        case Kind::Cursor: {
            CEngineResult nested;
            if (!ReadNested(column.cursors[row], nested)) return false;
            batch.SetNested(batch.RowCount(), c, std::move(nested));
            batch.AddValue("CURSOR STATEMENT : " + std::to_string(c + 1), false);
            return true;
        }
        default:
            batch.AddValue(COciEnvironment::FromServer(std::string_view(data, length), m_replaced), false);
            return true;
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
        for (std::size_t c = 0; c < m_buffers.size(); ++c)
            if (!AddValue(c, m_nextRow, batch)) return false;
        batch.EndRow();
        ++m_nextRow;
        ++added;
    }
    return true;
}
