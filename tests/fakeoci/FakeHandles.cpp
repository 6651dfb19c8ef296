// Handles, environments, attributes and error records.
#include <algorithm>
#include <cstring>
#include <mutex>
#include <unordered_set>

#include "FakeOci.h"
#include "text/Cp932.h"
#include "text/Encoding.h"

using namespace fakeoci;

namespace {

std::mutex g_registryMutex;
std::unordered_set<const Handle*>& Registry() {
    static std::unordered_set<const Handle*> live;
    return live;
}

struct CharsetName {
    const char* name;
    ub2 id;
};

constexpr CharsetName kCharsets[] = {
    {"US7ASCII", 1}, {"JA16SJIS", 832}, {"JA16SJISTILDE", 838}, {"AL32UTF8", 873}, {"UTF8", 871},
};

struct KeywordType {
    const char* word;
    ub2 type;
};

constexpr KeywordType kStatementTypes[] = {
    {"SELECT", 1}, {"WITH", 1},  {"UPDATE", 2}, {"DELETE", 3},  {"INSERT", 4}, {"CREATE", 5},
    {"DROP", 6},   {"ALTER", 7}, {"BEGIN", 8},  {"DECLARE", 9}, {"CALL", 10},  {"MERGE", 16},
};

sword SetParamAttribute(const Param& param, void* out, ub4* size, ub4 attribute, Error* error) {
    const CEngineColumn& c = param.column;
    switch (attribute) {
        case kAttrDataSize:
            *static_cast<ub2*>(out) = static_cast<ub2>(std::clamp<long>(c.size, 0, 65535));
            return kSuccess;
        case kAttrDataType:
            *static_cast<ub2*>(out) = static_cast<ub2>(c.serverType);
            return kSuccess;
        case kAttrName:
            *static_cast<const text**>(out) = reinterpret_cast<const text*>(c.name.c_str());
            if (size != nullptr) *size = static_cast<ub4>(c.name.size());
            return kSuccess;
        case kAttrPrecision:
            *static_cast<sb2*>(out) = c.precision;
            return kSuccess;
        case kAttrScale:
            *static_cast<sb1*>(out) = static_cast<sb1>(c.scale);
            return kSuccess;
        case kAttrIsNull:
            *static_cast<ub1*>(out) = c.nullable ? 1 : 0;
            return kSuccess;
        case kAttrCharUsed:
            *static_cast<ub1*>(out) = c.charLength > 0 ? 1 : 0;
            return kSuccess;
        case kAttrCharsetForm:
            // SQLCS_IMPLICIT (1), or SQLCS_NCHAR (2) for NCHAR and NVARCHAR2.
            *static_cast<ub1*>(out) = c.national ? 2 : 1;
            return kSuccess;
        case kAttrCharSize:
            *static_cast<ub2*>(out) = static_cast<ub2>(std::clamp<long>(c.charLength, 0, 65535));
            return kSuccess;
        default:
            if (error) error->Set(24315, "ORA-24315: illegal attribute type");
            return kError;
    }
}

sword Fail(Error& error, sb4 code, const char* message) {
    error.Set(code, message);
    return kError;
}

sword SetContextAttribute(void* target, void* value, ub4 attribute, Error& error) {
    auto* context = As<SvcCtx>(target, kHtypeSvcCtx);
    if (context == nullptr) return kInvalidHandle;
    switch (attribute) {
        case kAttrServer:
            context->server = As<Server>(value, kHtypeServer);
            return context->server != nullptr ? kSuccess : kInvalidHandle;
        case kAttrSession:
            context->session = As<Session>(value, kHtypeSession);
            return context->session != nullptr ? kSuccess : kInvalidHandle;
        case kAttrStmtCacheSize:
            context->cacheSize = *static_cast<ub4*>(value);
            return kSuccess;
        default:
            return Fail(error, 24315, "ORA-24315: illegal attribute type");
    }
}

sword SetStmtAttribute(const Stmt& stmt, void* out, ub4 attribute, Error* error) {
    switch (attribute) {
        case kAttrStmtType:
            *static_cast<ub2*>(out) = stmt.statementType;
            return kSuccess;
        case kAttrRowCount:
            *static_cast<ub4*>(out) = stmt.rowCount;
            return kSuccess;
        case kAttrRowsFetched:
            *static_cast<ub4*>(out) = stmt.rowsFetched;
            return kSuccess;
        case kAttrPrefetchRows:
            *static_cast<ub4*>(out) = stmt.prefetch;
            return kSuccess;
        case kAttrParseErrorOffset:
            *static_cast<ub2*>(out) = stmt.errorOffset;
            return kSuccess;
        case kAttrParamCount:
            if (!stmt.executed) {
                if (error) error->Set(24338, "ORA-24338: statement handle not executed");
                return kError;
            }
            *static_cast<ub4*>(out) = static_cast<ub4>(stmt.columns.size());
            return kSuccess;
        default:
            if (error) error->Set(24315, "ORA-24315: illegal attribute type");
            return kError;
    }
}

}  // namespace

namespace fakeoci {

void Error::Set(sb4 c, const std::string& text) {
    // Note: the embedded engine may know no number for a failure; a record
    // always carries one.
    code = c != 0 ? c : 20000;
    message = text;
}

void Register(Handle* handle) {
    std::lock_guard<std::mutex> lock(g_registryMutex);
    Registry().insert(handle);
}

void Unregister(Handle* handle) {
    std::lock_guard<std::mutex> lock(g_registryMutex);
    Registry().erase(handle);
}

Handle* Find(const void* pointer, ub4 type) {
    if (pointer == nullptr) return nullptr;
    std::lock_guard<std::mutex> lock(g_registryMutex);
    auto it = Registry().find(static_cast<const Handle*>(pointer));
    if (it == Registry().end() || (*it)->type != type) return nullptr;
    return const_cast<Handle*>(*it);
}

ub2 CharsetId(const std::string& name) {
    const std::string upper = cp932::ToUpper(name);
    for (const auto& row : kCharsets)
        if (upper == row.name) return row.id;
    return 0;
}

ub2 StatementType(const std::string& sql) {
    std::size_t begin = sql.find_first_not_of(" \t\r\n(");
    if (begin == std::string::npos) return 0;
    std::size_t end = begin;
    while (end < sql.size() && std::isalpha(static_cast<unsigned char>(sql[end]))) ++end;
    const std::string word = cp932::ToUpper(std::string_view(sql).substr(begin, end - begin));
    for (const auto& row : kStatementTypes)
        if (word == row.word) return row.type;
    return 0;
}

namespace {
thread_local ub2 g_clientCharset = kCp932Charset;

void AppendUtf8(unsigned long code, std::string& out) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// UTF-8 with every \uXXXX escape (four or, after \U, six hex digits) made
// the character it names.
std::string Unescape(const std::string& utf8) {
    if (utf8.find('\\') == std::string::npos) return utf8;
    std::string out;
    for (std::size_t at = 0; at < utf8.size(); ++at) {
        const std::size_t digits = utf8.compare(at, 2, "\\u") == 0   ? 4
                                   : utf8.compare(at, 2, "\\U") == 0 ? 6
                                                                     : 0;
        if (digits != 0 && at + 2 + digits <= utf8.size() &&
            utf8.find_first_not_of("0123456789abcdefABCDEF", at + 2) >= at + 2 + digits) {
            AppendUtf8(std::stoul(utf8.substr(at + 2, digits), nullptr, 16), out);
            at += 1 + digits;
            continue;
        }
        out += utf8[at];
    }
    return out;
}
}  // namespace

bool IsClientCharset(ub2 id) { return id == kCp932Charset || id == 832 || id == kUtf8Charset; }

ub2 ClientCharset() { return g_clientCharset; }

void UseCharsetOf(const Handle& handle) { g_clientCharset = handle.charset; }

std::string FromClient(const std::string& text) {
    return ClientCharset() == kUtf8Charset ? encoding::Utf8ToCp932(text, '?') : text;
}

std::string ToClient(const std::string& cp932) {
    return ClientCharset() == kUtf8Charset ? Unescape(encoding::Cp932ToUtf8(cp932)) : cp932;
}

ub2 ClientOffset(const std::string& cp932, int offset) {
    if (offset <= 0) return 0;
    const std::size_t bytes = std::min<std::size_t>(static_cast<std::size_t>(offset), cp932.size());
    const std::size_t client =
        ClientCharset() == kUtf8Charset ? encoding::Cp932ToUtf8(cp932.substr(0, bytes)).size() : bytes;
    return static_cast<ub2>(std::min<std::size_t>(client, 65535));
}

}  // namespace fakeoci

extern "C" {

sword OCIEnvCreate(OCIEnv** envp, ub4, void*, void* (*)(void*, std::size_t),
                   void* (*)(void*, void*, std::size_t), void (*)(void*, void*), std::size_t, void**) {
    if (envp == nullptr) return kInvalidHandle;
    auto* env = new Env();
    Register(env);
    *envp = Out<OCIEnv>(env);
    return kSuccess;
}

sword OCIEnvNlsCreate(OCIEnv** envp, ub4 mode, void* context, void* (*m)(void*, std::size_t),
                      void* (*r)(void*, void*, std::size_t), void (*f)(void*, void*), std::size_t extra,
                      void** user, ub2 charset, ub2) {
    if (charset != 0 && !IsClientCharset(charset)) return kError;
    sword status = OCIEnvCreate(envp, mode, context, m, r, f, extra, user);
    if (status == kSuccess && charset != 0) As<Env>(*envp, kHtypeEnv)->charset = charset;
    return status;
}

ub2 OCINlsCharSetNameToId(void* envp, const text* name) {
    if (As<Env>(envp, kHtypeEnv) == nullptr || name == nullptr) return 0;
    return CharsetId(reinterpret_cast<const char*>(name));
}

sword OCIHandleAlloc(const void* parent, void** out, ub4 type, std::size_t, void**) {
    if (As<Env>(parent, kHtypeEnv) == nullptr || out == nullptr) return kInvalidHandle;
    Handle* handle = nullptr;
    if (type == kHtypeError) handle = new Error();
    if (type == kHtypeStmt) handle = new Stmt();
    if (type == kHtypeSvcCtx) handle = new SvcCtx();
    if (type == kHtypeServer) handle = new Server();
    if (type == kHtypeSession) handle = new Session();
    if (handle == nullptr) return kInvalidHandle;
    handle->charset = As<Env>(parent, kHtypeEnv)->charset;
    Register(handle);
    *out = handle;
    return kSuccess;
}

sword OCIHandleFree(void* pointer, ub4 type) {
    Handle* handle = Find(pointer, type);
    if (handle == nullptr || type == kHtypeBind || type == kHtypeDefine) return kInvalidHandle;
    if (type == kHtypeSvcCtx) {
        auto* context = static_cast<SvcCtx*>(handle);
        std::vector<std::pair<std::string, Stmt*>> cached;
        cached.swap(context->cache);
        for (auto& entry : cached) OCIHandleFree(entry.second, kHtypeStmt);
    }
    if (type == kHtypeStmt) {
        auto* stmt = static_cast<Stmt*>(handle);
        for (auto& bind : stmt->binds) Unregister(bind.get());
        for (auto& define : stmt->defines) Unregister(define.get());
    }
    Unregister(handle);
    delete handle;
    return kSuccess;
}

sword OCIDescriptorAlloc(const void* parent, void** out, ub4 type, std::size_t, void**) {
    if (As<Env>(parent, kHtypeEnv) == nullptr || out == nullptr) return kInvalidHandle;
    if (type != kDtypeLob && type != kDtypeFile) return kInvalidHandle;
    auto* lob = new Lob(type);
    lob->charset = As<Env>(parent, kHtypeEnv)->charset;
    Register(lob);
    *out = lob;
    return kSuccess;
}

sword OCIDescriptorFree(void* pointer, ub4 type) {
    Handle* handle = Find(pointer, type);
    if (handle == nullptr || (type != kDtypeParam && type != kDtypeLob && type != kDtypeFile))
        return kInvalidHandle;
    Unregister(handle);
    delete handle;
    return kSuccess;
}

sword OCIErrorGet(void* pointer, ub4 record, text* sqlstate, sb4* code, text* buffer, ub4 size, ub4 type) {
    auto* error = As<Error>(pointer, type == kHtypeError ? kHtypeError : ~0u);
    if (error == nullptr || record == 0 || buffer == nullptr || size == 0) return kInvalidHandle;
    if (record > 1 || error->code == 0) return kNoData;
    if (code != nullptr) *code = error->code;
    if (sqlstate != nullptr) std::memcpy(sqlstate, "HY000", 6);
    const std::string message = error->message + "\n";
    const std::size_t length = std::min<std::size_t>(message.size(), size - 1);
    std::memcpy(buffer, message.data(), length);
    buffer[length] = '\0';
    return kSuccess;
}

sword OCIAttrGet(const void* target, ub4 targetType, void* out, ub4* size, ub4 attribute,
                 OCIError* errorHandle) {
    auto* error = As<Error>(errorHandle, kHtypeError);
    if (out == nullptr) return kInvalidHandle;
    if (targetType == kDtypeParam) {
        const Param* param = As<Param>(target, kDtypeParam);
        return param == nullptr ? kInvalidHandle : SetParamAttribute(*param, out, size, attribute, error);
    }
    const Stmt* stmt = As<Stmt>(target, kHtypeStmt);
    if (targetType != kHtypeStmt || stmt == nullptr || error == nullptr) return kInvalidHandle;
    return SetStmtAttribute(*stmt, out, attribute, error);
}

sword OCIAttrSet(void* target, ub4 targetType, void* value, ub4 size, ub4 attribute, OCIError* errorHandle) {
    auto* error = As<Error>(errorHandle, kHtypeError);
    if (error == nullptr || value == nullptr) return kInvalidHandle;
    if (targetType == kHtypeSvcCtx) return SetContextAttribute(target, value, attribute, *error);
    if (targetType == kHtypeSession) {
        auto* session = As<Session>(target, kHtypeSession);
        if (session == nullptr) return kInvalidHandle;
        const std::string text(static_cast<const char*>(value), size);
        if (attribute == kAttrUsername)
            session->user = text;
        else if (attribute == kAttrPassword)
            session->password = text;
        else
            return Fail(*error, 24315, "ORA-24315: illegal attribute type");
        return kSuccess;
    }
    Stmt* stmt = As<Stmt>(target, kHtypeStmt);
    if (targetType != kHtypeStmt || stmt == nullptr) return kInvalidHandle;
    if (attribute != kAttrPrefetchRows) return Fail(*error, 24315, "ORA-24315: illegal attribute type");
    stmt->prefetch = *static_cast<ub4*>(value);
    return kSuccess;
}

}  // extern "C"
