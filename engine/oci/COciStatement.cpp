#include "engine/oci/COciStatement.h"

#include <algorithm>
#include <cstring>

#include "engine/oci/COciNumber.h"
#include "engine/sqlite/values/CFloatValue.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

using namespace oci;

namespace {

// Room for a bound text: PL/SQL's longest character value in a block; in
// SQL the longest VARCHAR2, so that the server never takes the bind for a
// LONG one.
constexpr std::size_t kBlockRoom = 32767;
constexpr std::size_t kSqlRoom = 4000;

// Server errors after which the session is gone.
constexpr int kSessionEnders[] = {28, 1012, 1092, 2396, 3113, 3114, 3135, 12537, 12547, 12570};

// Note: written here in UTF-8 for reading; the engine's text is CP932.
constexpr const char* kLostWithWork =
    "サーバーとの接続が失われました。コミットされていない変更は失われました。"
    "CONNECT で接続し直してください。";
constexpr const char* kLost = "サーバーとの接続が失われました。CONNECT で接続し直してください。";

// The IEEE value a native BINARY_FLOAT (4 bytes) or BINARY_DOUBLE bind holds.
double NativeFloat(const std::vector<char>& buffer, int bytes) {
    if (bytes == sizeof(float)) {
        float single = 0;
        std::memcpy(&single, buffer.data(), sizeof single);
        return single;
    }
    double value = 0;
    std::memcpy(&value, buffer.data(), sizeof value);
    return value;
}

bool IsNameByte(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '$' || c == '#' || c >= 0x80;
}

// Skips a quoted text, a comment or one character starting at `at`.
std::size_t SkipToken(const std::string& sql, std::size_t at) {
    if (sql[at] == '\'' || sql[at] == '"') {
        const std::size_t end = sql.find(sql[at], at + 1);
        return end == std::string::npos ? sql.size() : end + 1;
    }
    if (sql.compare(at, 2, "--") == 0) {
        const std::size_t end = sql.find('\n', at);
        return end == std::string::npos ? sql.size() : end + 1;
    }
    if (sql.compare(at, 2, "/*") == 0) {
        const std::size_t end = sql.find("*/", at + 2);
        return end == std::string::npos ? sql.size() : end + 2;
    }
    return at + std::max<std::size_t>(cp932::CharLength(sql, at), 1);
}

bool SameName(const std::string& a, const std::string& b) { return cp932::ToUpper(a) == cp932::ToUpper(b); }

}  // namespace

COciStatement::COciStatement(const COciEnvironment& env, COciSessionState& session, CEngineError& error)
    : m_env(env), m_session(session), m_error(error) {}

COciStatement::~COciStatement() {
    FreeLobs();
    for (auto& cursor : m_cursors) m_env.Api().HandleFree(cursor.second, OCI_HTYPE_STMT);
    if (m_statement == nullptr || m_borrowed) return;
    if (m_cached)
        m_env.Api().StmtRelease(m_statement, m_session.errorHandle, nullptr, 0, OCI_DEFAULT);
    else
        m_env.Api().HandleFree(m_statement, OCI_HTYPE_STMT);
}

bool COciStatement::EndsSession(int code) {
    for (int ender : kSessionEnders)
        if (code == ender) return true;
    return false;
}

void COciStatement::NoteLostSession() {
    if (!m_session.lost) {
        m_session.lost = true;
        m_session.lostWork = m_session.uncommitted;
    }
    m_error.message += "\n" + encoding::Utf8ToCp932(m_session.lostWork ? kLostWithWork : kLost);
    m_error.sessionLost = true;
}

bool COciStatement::BindCursor(const std::string& variable, const std::string& placeholderName) {
    const Api& api = m_env.Api();
    OCIStmt* cursor = nullptr;
    if (api.HandleAlloc(m_env.Handle(), reinterpret_cast<void**>(&cursor), OCI_HTYPE_STMT, 0, nullptr) !=
        OCI_SUCCESS) {
        m_error.Set(encoding::Utf8ToCp932("文ハンドルを割り当てられません。"));
        return false;
    }
    m_cursors.emplace_back(variable, cursor);
    const std::string placeholder = ":" + placeholderName;
    OCIBind* bind = nullptr;
    sword status = api.BindByName(m_statement, &bind, m_session.errorHandle,
                                  reinterpret_cast<const OraText*>(placeholder.data()),
                                  static_cast<sb4>(placeholder.size()), &m_cursors.back().second, 0,
                                  SQLT_RSET, nullptr, nullptr, nullptr, 0, nullptr, OCI_DEFAULT);
    if (status != OCI_SUCCESS) {
        Fail(status);
        return false;
    }
    return true;
}

std::vector<std::pair<std::string, OCIStmt*>> COciStatement::TakeCursorVariables() {
    std::vector<std::pair<std::string, OCIStmt*>> cursors(m_cursors.begin(), m_cursors.end());
    m_cursors.clear();
    return cursors;
}

void COciStatement::Fail(sword status) {
    m_env.ReadError(m_session.errorHandle, status, m_error);
    // Note: after a break the documentation asks for a reset before the
    // session is used again.
    if (m_error.code == kCancelled) m_env.Api().Reset(m_session.service, m_session.errorHandle);
    if (EndsSession(m_error.code)) NoteLostSession();
    if (m_statement == nullptr || m_sql.empty()) return;
    ub2 offset = 0;
    m_env.Api().AttrGet(m_statement, OCI_HTYPE_STMT, &offset, nullptr, OCI_ATTR_PARSE_ERROR_OFFSET,
                        m_session.errorHandle);
    // Note: the offset counts bytes of the text the server read (UTF-8); 0
    // is a position too (a failure that points at nothing in particular
    // shows the statement's first byte, as the embedded engine does).
    m_error.position = COciEnvironment::ServerOffsetToCp932(m_sql, offset);
}

bool COciStatement::Prepare(const std::string& sql) {
    m_sql = sql;
    m_serverSql = COciEnvironment::ToServer(sql);
    sword status = m_env.Api().StmtPrepare2(m_session.service, &m_statement, m_session.errorHandle,
                                            reinterpret_cast<const OraText*>(m_serverSql.data()),
                                            static_cast<ub4>(m_serverSql.size()), nullptr, 0, OCI_NTV_SYNTAX,
                                            OCI_DEFAULT);
    if (status != OCI_SUCCESS) {
        Fail(status);
        if (m_statement != nullptr) m_cached = true;
        return false;
    }
    m_cached = true;
    return true;
}

bool COciStatement::BindText(const std::string& placeholder, char* buffer, sb4 size, ub2* length,
                             sb2* indicator) {
    return BindArray(placeholder, buffer, size, length, indicator, 0, nullptr);
}

bool COciStatement::BindArray(const std::string& placeholder, char* buffer, sb4 size, ub2* lengths,
                              sb2* indicators, ub4 count, ub4* current) {
    OCIBind* bind = nullptr;
    sword status = m_env.Api().BindByName(m_statement, &bind, m_session.errorHandle,
                                          reinterpret_cast<const OraText*>(placeholder.data()),
                                          static_cast<sb4>(placeholder.size()), buffer, size, SQLT_CHR,
                                          indicators, lengths, nullptr, count, current, OCI_DEFAULT);
    if (status == OCI_SUCCESS) return true;
    Fail(status);
    return false;
}

std::vector<std::string> COciStatement::Placeholders(const std::string& sql) {
    std::vector<std::string> names;
    std::size_t at = 0;
    while (at < sql.size()) {
        if (sql[at] != ':') {
            at = SkipToken(sql, at);
            continue;
        }
        std::size_t end = at + 1;
        while (end < sql.size() && IsNameByte(static_cast<unsigned char>(sql[end])))
            end += std::max<std::size_t>(cp932::CharLength(sql, end), 1);
        end = std::min(end, sql.size());
        if (end > at + 1) {
            std::string name = sql.substr(at + 1, end - at - 1);
            if (std::none_of(names.begin(), names.end(),
                             [&](const std::string& n) { return SameName(n, name); }))
                names.push_back(name);
        }
        at = std::max(end, at + 1);
    }
    return names;
}

bool COciStatement::Bind(const std::vector<CEngineBind>& binds) {
    const bool block = IsBlock();
    for (const std::string& name : Placeholders(m_sql)) {
        auto it = std::find_if(binds.begin(), binds.end(),
                               [&](const CEngineBind& b) { return SameName(b.name, name); });
        if (it == binds.end()) continue;
        if (it->serverType == servertype::kCursor) {
            if (!BindCursor(it->name, name)) return false;
            continue;
        }
        bool failed = false;
        if (it->serverType == servertype::kNumber &&
            BindNumber(*it, static_cast<std::size_t>(it - binds.begin()), ":" + name, failed))
            continue;
        if (failed) return false;
        if (servertype::FloatBytes(it->serverType) != 0 &&
            BindFloat(*it, static_cast<std::size_t>(it - binds.begin()), ":" + name, failed))
            continue;
        if (failed) return false;
        BoundValue& bound = m_bound.emplace_back();
        bound.bind = static_cast<std::size_t>(it - binds.begin());
        const std::string value = it->isNull ? std::string() : COciEnvironment::ToServer(it->value);
        // Note: a text longer than a VARCHAR2 (SQL's, or PL/SQL's in a block)
        // goes as a temporary CLOB: as a LONG bind it would have to come
        // after every other bind, and its length would not fit the 16 bits
        // of a bind's length.
        if (value.size() > (block ? kBlockRoom : kSqlRoom)) {
            if (!BindLob(":" + name, value, bound)) return false;
            continue;
        }
        // Note: sized by the value and the statement: a block may write back
        // up to PL/SQL's limit; SQL gets a VARCHAR2-sized bind.
        // A declared size is the room, so that the server refuses a longer
        // value as it does for any variable of that length, from a block or
        // from a statement's RETURNING ... INTO.
        const std::size_t room = it->size > 0 && value.size() <= static_cast<std::size_t>(it->size)
                                     ? static_cast<std::size_t>(it->size)
                                     : std::max(value.size(), block ? kBlockRoom : kSqlRoom);
        bound.buffer.assign(room, '\0');
        std::memcpy(bound.buffer.data(), value.data(), value.size());
        bound.indicator = it->isNull ? -1 : 0;
        bound.length = static_cast<ub2>(std::min<std::size_t>(value.size(), 65535));
        if (!BindText(":" + name, bound.buffer.data(), static_cast<sb4>(room), &bound.length,
                      &bound.indicator))
            return false;
    }
    return true;
}

bool COciStatement::BindLob(const std::string& placeholder, const std::string& value, BoundValue& bound) {
    const Api& api = m_env.Api();
    if (api.DescriptorAlloc(m_env.Handle(), reinterpret_cast<void**>(&bound.lob), OCI_DTYPE_LOB, 0,
                            nullptr) != OCI_SUCCESS) {
        bound.lob = nullptr;
        m_error.Set(encoding::Utf8ToCp932("LOB ロケータを割り当てられません。"));
        return false;
    }
    std::uint64_t bytes = value.size();
    std::uint64_t characters = 0;
    sword status = OCI_SUCCESS;
    {
        COciBusy busy(m_session);
        status = api.LobCreateTemporary(m_session.service, m_session.errorHandle, bound.lob, 0,
                                        SQLCS_IMPLICIT, OCI_TEMP_CLOB, 0, OCI_DURATION_SESSION);
        if (status == OCI_SUCCESS)
            status = api.LobWrite2(m_session.service, m_session.errorHandle, bound.lob, &bytes, &characters,
                                   1, const_cast<char*>(value.data()), value.size(), OCI_ONE_PIECE, nullptr,
                                   nullptr, 0, SQLCS_IMPLICIT);
    }
    if (status == OCI_SUCCESS)
        status = api.BindByName(m_statement, &bound.handle, m_session.errorHandle,
                                reinterpret_cast<const OraText*>(placeholder.data()),
                                static_cast<sb4>(placeholder.size()), &bound.lob,
                                static_cast<sb4>(sizeof bound.lob), SQLT_CLOB, &bound.indicator, nullptr,
                                nullptr, 0, nullptr, OCI_DEFAULT);
    if (status == OCI_SUCCESS) return true;
    Fail(status);
    return false;
}

bool COciStatement::ReadLob(OCILobLocator* lob, std::string& bytes) const {
    // Note: read by characters (four bytes each at most in AL32UTF8); a
    // piece shorter than asked is the last.
    constexpr std::uint64_t kPiece = 8192;
    std::vector<char> buffer(4 * kPiece);
    std::uint64_t offset = 1;
    bytes.clear();
    while (true) {
        std::uint64_t byteAmount = 0;
        std::uint64_t charAmount = kPiece;
        COciBusy busy(m_session);
        const sword status = m_env.Api().LobRead2(m_session.service, m_session.errorHandle, lob, &byteAmount,
                                                  &charAmount, offset, buffer.data(), buffer.size(),
                                                  OCI_ONE_PIECE, nullptr, nullptr, 0, SQLCS_IMPLICIT);
        if (status == OCI_NO_DATA) return true;
        if (status != OCI_SUCCESS) return false;
        bytes.append(buffer.data(),
                     static_cast<std::size_t>(std::min<std::uint64_t>(byteAmount, buffer.size())));
        if (charAmount < kPiece || byteAmount == 0) return true;
        offset += charAmount;
    }
}

void COciStatement::FreeLobs() {
    const Api& api = m_env.Api();
    for (BoundValue& bound : m_bound) {
        if (bound.lob == nullptr) continue;
        api.LobFreeTemporary(m_session.service, m_session.errorHandle, bound.lob);
        api.DescriptorFree(bound.lob, OCI_DTYPE_LOB);
        bound.lob = nullptr;
    }
}

bool COciStatement::BindNumber(const CEngineBind& bind, std::size_t index, const std::string& placeholder,
                               bool& failed) {
    unsigned char number[COciNumber::kSize] = {};
    if (!bind.isNull && !COciNumber::FromText(bind.value, number)) return false;
    BoundValue& bound = m_bound.emplace_back();
    bound.bind = index;
    bound.number = true;
    bound.buffer.assign(reinterpret_cast<const char*>(number),
                        reinterpret_cast<const char*>(number) + sizeof number);
    bound.indicator = bind.isNull ? -1 : 0;
    bound.length = static_cast<ub2>(sizeof number);
    sword status = m_env.Api().BindByName(m_statement, &bound.handle, m_session.errorHandle,
                                          reinterpret_cast<const OraText*>(placeholder.data()),
                                          static_cast<sb4>(placeholder.size()), bound.buffer.data(),
                                          static_cast<sb4>(sizeof number), SQLT_VNU, &bound.indicator,
                                          nullptr, nullptr, 0, nullptr, OCI_DEFAULT);
    if (status == OCI_SUCCESS) return true;
    Fail(status);
    failed = true;
    return false;
}

bool COciStatement::BindFloat(const CEngineBind& bind, std::size_t index, const std::string& placeholder,
                              bool& failed) {
    double value = 0;
    if (!bind.isNull && !CFloatValue::Parse(bind.value, value)) return false;
    BoundValue& bound = m_bound.emplace_back();
    bound.bind = index;
    bound.floatBytes = servertype::FloatBytes(bind.serverType);
    bound.buffer.assign(sizeof(double), '\0');
    if (bound.floatBytes == sizeof(float)) {
        const float single = static_cast<float>(value);
        std::memcpy(bound.buffer.data(), &single, sizeof single);
    } else {
        std::memcpy(bound.buffer.data(), &value, sizeof value);
    }
    bound.indicator = bind.isNull ? -1 : 0;
    bound.length = static_cast<ub2>(bound.floatBytes);
    const ub2 type = bound.floatBytes == sizeof(float) ? SQLT_BFLOAT : SQLT_BDOUBLE;
    sword status = m_env.Api().BindByName(m_statement, &bound.handle, m_session.errorHandle,
                                          reinterpret_cast<const OraText*>(placeholder.data()),
                                          static_cast<sb4>(placeholder.size()), bound.buffer.data(),
                                          static_cast<sb4>(bound.floatBytes), type, &bound.indicator, nullptr,
                                          nullptr, 0, nullptr, OCI_DEFAULT);
    if (status == OCI_SUCCESS) return true;
    Fail(status);
    failed = true;
    return false;
}

bool COciStatement::Execute(ub4 iters, ub4 mode) {
    COciBusy busy(m_session);
    sword status = m_env.Api().StmtExecute(m_session.service, m_statement, m_session.errorHandle, iters, 0,
                                           nullptr, nullptr, mode);
    if (status == OCI_SUCCESS) return true;
    if (status == OCI_SUCCESS_WITH_INFO) {
        CEngineError info;
        m_env.ReadError(m_session.errorHandle, status, info);
        if (info.code != kCompiledWithErrors) {
            m_warning = info.message;
            return true;
        }
        m_error.Set(encoding::Utf8ToCp932("警告: コンパイル・エラーがあります。"));
        m_error.code = info.code;
        return false;
    }
    Fail(status);
    return false;
}

void COciStatement::StoreBinds(std::vector<CEngineBind>& binds) const {
    const bool block = IsBlock();
    for (const BoundValue& bound : m_bound) {
        // Note: SQL does not write to a CLOB it was given; a block may.
        std::string text;
        if (bound.lob != nullptr && (!block || !ReadLob(bound.lob, text))) continue;
        CEngineBind& bind = binds[bound.bind];
        if (bound.lob != nullptr) {
            std::size_t replaced = 0;
            bind.isNull = bound.indicator == -1;
            bind.value = bind.isNull ? std::string() : COciEnvironment::FromServer(text, replaced);
            bind.assigned = true;
            continue;
        }
        bind.isNull = bound.indicator == -1;
        bind.assigned = true;
        if (bound.floatBytes != 0) {
            bind.value = bind.isNull ? std::string()
                                     : CFloatValue::Text(NativeFloat(bound.buffer, bound.floatBytes),
                                                         bound.floatBytes);
            continue;
        }
        if (bound.number) {
            unsigned char number[COciNumber::kSize] = {};
            std::copy(bound.buffer.begin(), bound.buffer.begin() + sizeof number, number);
            bind.value = bind.isNull ? std::string() : COciNumber::ToText(number);
            continue;
        }
        std::size_t replaced = 0;
        bind.value = bind.isNull
                         ? std::string()
                         : COciEnvironment::FromServer(
                               std::string_view(bound.buffer.data(),
                                                std::min<std::size_t>(bound.length, bound.buffer.size())),
                               replaced);
        bind.assigned = true;
    }
}

ub2 COciStatement::Type() const {
    ub2 type = 0;
    m_env.Api().AttrGet(m_statement, OCI_HTYPE_STMT, &type, nullptr, OCI_ATTR_STMT_TYPE,
                        m_session.errorHandle);
    return type;
}

bool COciStatement::IsBlock() const {
    const ub2 type = Type();
    return type == OCI_STMT_BEGIN || type == OCI_STMT_DECLARE || type == OCI_STMT_CALL;
}

long COciStatement::RowCount() const {
    ub4 rows = 0;
    m_env.Api().AttrGet(m_statement, OCI_HTYPE_STMT, &rows, nullptr, OCI_ATTR_ROW_COUNT,
                        m_session.errorHandle);
    return static_cast<long>(rows);
}
