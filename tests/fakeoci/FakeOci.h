#pragma once

// The stand-in client library: the OCI entry points a console needs, with
// their documented signatures, handle types, modes and return codes,
// answered by the embedded engine. Each server connection opens the
// embedded database named by its service (//localhost/X opens X).

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "engine/CEngineConnection.h"

// The handle types of the interface, opaque to its callers.
struct OCIEnv;
struct OCIError;
struct OCISvcCtx;
struct OCIStmt;
struct OCIBind;
struct OCIDefine;
struct OCISnapshot;

namespace fakeoci {

using ub1 = std::uint8_t;
using sb1 = std::int8_t;
using ub2 = std::uint16_t;
using sb2 = std::int16_t;
using ub4 = std::uint32_t;
using sb4 = std::int32_t;
using sword = int;
using text = unsigned char;

enum : sword { kSuccess = 0, kSuccessWithInfo = 1, kNoData = 100, kError = -1, kInvalidHandle = -2 };

enum : ub4 {
    kHtypeEnv = 1,
    kHtypeError = 2,
    kHtypeSvcCtx = 3,
    kHtypeStmt = 4,
    kHtypeBind = 5,
    kHtypeDefine = 6,
    kDtypeParam = 53,
};

enum : ub4 { kModeDescribeOnly = 0x10, kModeCommitOnSuccess = 0x20 };
constexpr ub2 kFetchNext = 0x02;
constexpr ub4 kNativeSyntax = 1;

enum : ub4 {
    kAttrDataSize = 1,
    kAttrDataType = 2,
    kAttrName = 4,
    kAttrPrecision = 5,
    kAttrScale = 6,
    kAttrIsNull = 7,
    kAttrRowCount = 9,
    kAttrPrefetchRows = 11,
    kAttrParamCount = 18,
    kAttrStmtType = 24,
    kAttrParseErrorOffset = 129,
    kAttrRowsFetched = 197,
};

enum : ub2 {
    kSqltChr = 1,
    kSqltStr = 5,
    kSqltLng = 8,
    kSqltBin = 23,
    kSqltLbi = 24,
    kSqltAfc = 96,
    kSqltRset = 116
};

// Every handle starts with its type; live handles are kept in a registry so
// that a stale or foreign pointer is refused rather than read.
struct Handle {
    explicit Handle(ub4 t) : type(t) {}
    virtual ~Handle() = default;
    ub4 type;
};

struct Env : Handle {
    Env() : Handle(kHtypeEnv) {}
    ub2 charset = 0;
};

struct Error : Handle {
    Error() : Handle(kHtypeError) {}
    sb4 code = 0;
    std::string message;
    void Set(sb4 c, const std::string& text);
    void Clear() {
        code = 0;
        message.clear();
    }
};

struct SvcCtx : Handle {
    SvcCtx() : Handle(kHtypeSvcCtx) {}
    std::unique_ptr<CEngineConnection> connection;
    std::deque<std::string> output;
};

struct Param : Handle {
    Param() : Handle(kDtypeParam) {}
    CEngineColumn column;
};

struct Bind : Handle {
    Bind() : Handle(kHtypeBind) {}
    std::string name;
    void* value = nullptr;
    sb4 size = 0;
    ub2 dty = 0;
    sb2* indicator = nullptr;
    ub2* length = nullptr;
    ub2* returnCode = nullptr;
};

struct Define : Handle {
    Define() : Handle(kHtypeDefine) {}
    ub4 position = 0;
    void* value = nullptr;
    sb4 size = 0;
    ub2 dty = 0;
    sb2* indicator = nullptr;
    ub2* length = nullptr;
    ub2* returnCode = nullptr;
};

struct Stmt : Handle {
    Stmt() : Handle(kHtypeStmt) {}
    std::string sql;
    bool prepared = false;
    ub2 statementType = 0;
    std::vector<std::unique_ptr<Bind>> binds;
    std::vector<std::unique_ptr<Define>> defines;
    std::unique_ptr<CEngineCursor> cursor;
    std::vector<CEngineColumn> columns;
    bool executed = false;
    bool describeOnly = false;
    bool ended = false;
    bool endReported = false;
    ub4 rowCount = 0;
    ub4 rowsFetched = 0;
    ub4 prefetch = 1;
    ub2 errorOffset = 0;
    CEngineResult batch;
    std::size_t batchNext = 0;
};

// The registry of live handles.
void Register(Handle* handle);
void Unregister(Handle* handle);
// The live handle `pointer` when it has type `type`, else null.
Handle* Find(const void* pointer, ub4 type);
template <typename T>
T* As(const void* pointer, ub4 type) {
    return static_cast<T*>(Find(pointer, type));
}
// A handle as the caller sees it.
template <typename Opaque>
Opaque* Out(Handle* handle) {
    return reinterpret_cast<Opaque*>(handle);
}

// Known character sets by name (case-insensitive); 0 when unknown.
ub2 CharsetId(const std::string& name);
constexpr ub2 kCp932Charset = 838;

// Statement type of a text by its first word (OCI_STMT_* numbers).
ub2 StatementType(const std::string& sql);
// Character count of the first `bytes` bytes of CP932 text.
ub2 CharOffset(const std::string& sql, int bytes);

}  // namespace fakeoci
