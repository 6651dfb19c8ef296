#include "engine/oci/COciStatement.h"

#include <algorithm>
#include <cstring>

#include "text/Cp932.h"
#include "text/Encoding.h"

using namespace oci;

namespace {

// Room for a bound value: PL/SQL's longest character value, and the text of
// any number.
constexpr std::size_t kTextRoom = 32767 + 1;
constexpr std::size_t kNumberRoom = 128;

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

COciStatement::COciStatement(const COciEnvironment& env, OCISvcCtx* service, OCIError* errorHandle,
                             CEngineError& error)
    : m_env(env), m_service(service), m_errorHandle(errorHandle), m_error(error) {}

COciStatement::~COciStatement() {
    for (auto& cursor : m_cursors) m_env.Api().HandleFree(cursor.second, OCI_HTYPE_STMT);
    if (m_statement != nullptr) m_env.Api().HandleFree(m_statement, OCI_HTYPE_STMT);
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
    sword status = api.BindByName(m_statement, &bind, m_errorHandle,
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
    m_env.ReadError(m_errorHandle, status, m_error);
    if (m_statement == nullptr) return;
    ub2 offset = 0;
    m_env.Api().AttrGet(m_statement, OCI_HTYPE_STMT, &offset, nullptr, OCI_ATTR_PARSE_ERROR_OFFSET,
                        m_errorHandle);
    // Note: the server reports 0 when it points at nothing; such a report
    // shows its message lines only.
    if (offset > 0) m_error.position = COciEnvironment::CharOffsetToByte(m_sql, offset);
}

bool COciStatement::Prepare(const std::string& sql) {
    m_sql = sql;
    const Api& api = m_env.Api();
    sword status =
        api.HandleAlloc(m_env.Handle(), reinterpret_cast<void**>(&m_statement), OCI_HTYPE_STMT, 0, nullptr);
    if (status != OCI_SUCCESS) {
        m_statement = nullptr;
        m_error.Set(encoding::Utf8ToCp932("文ハンドルを割り当てられません。"));
        return false;
    }
    status = api.StmtPrepare(m_statement, m_errorHandle, reinterpret_cast<const OraText*>(sql.data()),
                             static_cast<ub4>(sql.size()), OCI_NTV_SYNTAX, OCI_DEFAULT);
    if (status != OCI_SUCCESS) {
        Fail(status);
        return false;
    }
    return true;
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
    for (const std::string& name : Placeholders(m_sql)) {
        auto it = std::find_if(binds.begin(), binds.end(),
                               [&](const CEngineBind& b) { return SameName(b.name, name); });
        if (it == binds.end()) continue;
        if (it->serverType == servertype::kCursor) {
            if (!BindCursor(it->name, name)) return false;
            continue;
        }
        BoundValue& bound = m_bound.emplace_back();
        bound.bind = static_cast<std::size_t>(it - binds.begin());
        const std::size_t room = it->serverType == servertype::kNumber ? kNumberRoom : kTextRoom;
        bound.buffer.assign(room, '\0');
        const std::size_t length = std::min(it->value.size(), room - 1);
        std::memcpy(bound.buffer.data(), it->value.data(), length);
        bound.indicator = it->isNull ? -1 : 0;
        bound.length = static_cast<ub2>(length + 1);
        const std::string placeholder = ":" + name;
        sword status = m_env.Api().BindByName(
            m_statement, &bound.handle, m_errorHandle, reinterpret_cast<const OraText*>(placeholder.data()),
            static_cast<sb4>(placeholder.size()), bound.buffer.data(), static_cast<sb4>(room), SQLT_STR,
            &bound.indicator, &bound.length, nullptr, 0, nullptr, OCI_DEFAULT);
        if (status != OCI_SUCCESS) {
            Fail(status);
            return false;
        }
    }
    return true;
}

bool COciStatement::Execute(ub4 iters, ub4 mode) {
    sword status =
        m_env.Api().StmtExecute(m_service, m_statement, m_errorHandle, iters, 0, nullptr, nullptr, mode);
    if (status == OCI_SUCCESS) return true;
    if (status == OCI_SUCCESS_WITH_INFO) {
        CEngineError info;
        m_env.ReadError(m_errorHandle, status, info);
        if (info.code != kCompiledWithErrors) return true;
        m_error.Set(encoding::Utf8ToCp932("警告: コンパイル・エラーがあります。"));
        m_error.code = info.code;
        return false;
    }
    Fail(status);
    return false;
}

void COciStatement::StoreBinds(std::vector<CEngineBind>& binds) const {
    for (const BoundValue& bound : m_bound) {
        CEngineBind& bind = binds[bound.bind];
        bind.isNull = bound.indicator == -1;
        bind.value =
            bind.isNull ? std::string()
                        : std::string(bound.buffer.data(), strnlen(bound.buffer.data(), bound.buffer.size()));
        bind.assigned = true;
    }
}

ub2 COciStatement::Type() const {
    ub2 type = 0;
    m_env.Api().AttrGet(m_statement, OCI_HTYPE_STMT, &type, nullptr, OCI_ATTR_STMT_TYPE, m_errorHandle);
    return type;
}

long COciStatement::RowCount() const {
    ub4 rows = 0;
    m_env.Api().AttrGet(m_statement, OCI_HTYPE_STMT, &rows, nullptr, OCI_ATTR_ROW_COUNT, m_errorHandle);
    return static_cast<long>(rows);
}
