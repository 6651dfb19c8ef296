#pragma once

// The stand-in client library: the OCI entry points a console needs, with
// their documented signatures, handle types, modes and return codes,
// answered by the embedded engine. Each server connection opens the
// embedded database named by its service (//localhost/X opens X).
//
// Test knobs, read from the environment at each call:
//   TARVEX_FAKEOCI_DELAY_MS     each round trip to the "server" takes this long
//   TARVEX_FAKEOCI_LOGON_INFO   logons succeed with this warning (28002 ...)
//   TARVEX_FAKEOCI_EXPIRED      logons of this user fail with ORA-28001 until
//                               the password is changed (OCIPasswordChange)
//   TARVEX_FAKEOCI_COMMIT_INFO  commits succeed with this warning
//   TARVEX_FAKEOCI_DIE_AFTER    sessions die (ORA-03113) at this round trip
//   TARVEX_FAKEOCI_DIE_ON       a session dies running a statement holding
//                               this text
//   TARVEX_FAKEOCI_OS_USER      the user external credentials log on as
// and from tests in the same process through the fakeoci_* functions
// (fakeoci_TemporaryLobs: temporary LOBs not yet freed).

#include <atomic>
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
struct OCIServer;
struct OCISession;
struct OCILobLocator;

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
    kHtypeServer = 8,
    kHtypeSession = 9,
    kDtypeLob = 50,
    kDtypeFile = 56,
    kDtypeParam = 53,
};

enum : ub4 { kCredRdbms = 1, kCredExt = 2 };
enum : ub4 { kAuth = 0x08, kStmtCache = 0x40 };
// Administrative privileges of OCISessionBegin's mode.
enum : ub4 {
    kSysDba = 0x2,
    kSysOper = 0x4,
    kSysBackup = 0x20000,
    kSysDg = 0x40000,
    kSysKm = 0x80000,
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
    kAttrCharUsed = 285,
    kAttrCharsetForm = 32,
    kAttrCharSize = 286,
    kAttrRowCount = 9,
    kAttrServer = 6,
    kAttrSession = 7,
    kAttrPrefetchRows = 11,
    kAttrUsername = 22,
    kAttrPassword = 23,
    kAttrStmtCacheSize = 176,
    kAttrParamCount = 18,
    kAttrStmtType = 24,
    kAttrParseErrorOffset = 129,
    kAttrRowsFetched = 197,
};

enum : ub2 {
    kSqltChr = 1,
    kSqltNum = 2,
    kSqltInt = 3,
    kSqltFlt = 4,
    kSqltStr = 5,
    kSqltVnu = 6,
    kSqltLng = 8,
    kSqltRid = 11,
    kSqltDat = 12,
    kSqltBFloat = 21,
    kSqltBDouble = 22,
    kSqltBin = 23,
    kSqltLbi = 24,
    kSqltAfc = 96,
    kSqltIbFloat = 100,
    kSqltIbDouble = 101,
    kSqltRdd = 104,
    kSqltClob = 112,
    kSqltBlob = 113,
    kSqltBfile = 114,
    kSqltRset = 116,
};

// Every handle starts with its type; live handles are kept in a registry so
// that a stale or foreign pointer is refused rather than read.
struct Handle {
    explicit Handle(ub4 t) : type(t) {}
    virtual ~Handle() = default;
    ub4 type;
    // The client character set of the environment the handle belongs to.
    ub2 charset = 838;
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

struct Stmt;

struct Server : Handle {
    Server() : Handle(kHtypeServer) {}
    std::string database;
    bool attached = false;
};

struct Session : Handle {
    Session() : Handle(kHtypeSession) {}
    std::string user;
    std::string password;
    bool begun = false;
};

struct SvcCtx : Handle {
    SvcCtx() : Handle(kHtypeSvcCtx) {}
    std::unique_ptr<CEngineConnection> connection;
    std::deque<std::string> output;
    // The output buffer's size as DBMS_OUTPUT.ENABLE set it (-1: unlimited).
    long outputLimit = 20000;
    Server* server = nullptr;
    Session* session = nullptr;
    // Set by OCIBreak while a call is under way: the call fails with
    // ORA-01013 at its next round trip.
    std::atomic<bool> inCall{false};
    std::atomic<bool> broken{false};
    // The session died: the next call answers ORA-03113, later ones 03114.
    bool dead = false;
    bool deathReported = false;
    ub4 cacheSize = 0;
    // Statements released to the session's statement cache, by text.
    std::vector<std::pair<std::string, Stmt*>> cache;
    // The server and session of a context made by OCILogon2.
    std::unique_ptr<Server> ownServer;
    std::unique_ptr<Session> ownSession;
};

// A LOB locator: the value it points at, as the client reads it (bytes of
// the client's character set for a CLOB, raw bytes for a BLOB).
struct Lob : Handle {
    explicit Lob(ub4 type) : Handle(type) {}
    std::string value;
    bool binary = false;
    bool set = false;
    // Made by OCILobCreateTemporary and not yet freed.
    bool temporary = false;
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
    // A PL/SQL array bind: room for `maxArray` elements, `current` of them
    // in use.
    ub4 maxArray = 0;
    ub4* current = nullptr;
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
    SvcCtx* context = nullptr;
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
    // Cursor expressions of the select list: position and query.
    std::vector<std::pair<std::size_t, std::string>> cursorColumns;
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
constexpr ub2 kUtf8Charset = 873;
// True for the client character sets the stand-in speaks.
bool IsClientCharset(ub2 id);
// The client character set of the call under way: that of the handle the
// call works on (UseCharsetOf), each environment keeping its own.
ub2 ClientCharset();
void UseCharsetOf(const Handle& handle);
// Text between the client's character set and the engine's CP932. Into the
// engine, a character CP932 lacks becomes "?"; out of it, the escape \uXXXX
// (four hex digits) becomes that character when the client speaks AL32UTF8,
// so that tests can hold characters only a Unicode server holds.
std::string FromClient(const std::string& text);
std::string ToClient(const std::string& cp932);
// The byte offset in the client's text of CP932 byte `offset` of `cp932`.
ub2 ClientOffset(const std::string& cp932, int offset);

// Statement type of a text by its first word (OCI_STMT_* numbers).
ub2 StatementType(const std::string& sql);

// One round trip to the server on `context`: counted, delayed by the knob,
// and failed (kError, `error` set) when a break arrived or the session is
// dead.
sword RoundTrip(SvcCtx& context, Error& error);
// A call under way on `context`, for OCIBreak.
struct InCall {
    explicit InCall(SvcCtx& c) : context(c) { context.inCall = true; }
    ~InCall() {
        context.inCall = false;
        context.broken = false;
    }
    SvcCtx& context;
};
// NUMBER values in the external form SQLT_VNU (22 bytes) and as text;
// TextToVnu is false for a text that is not a number.
std::string VnuToText(const unsigned char* vnu);
bool TextToVnu(const std::string& text, unsigned char* vnu);

// Counts a statement found in a session's statement cache.
void NoteCacheHit();
// The numeric value of a knob; 0 when unset.
long Knob(const char* name);
// The text of a knob; "" when unset.
std::string KnobText(const char* name);

}  // namespace fakeoci

extern "C" int OCIHandleFree(void* pointer, std::uint32_t type);
