#pragma once

#include <cstddef>
#include <cstdint>

// The parts of Oracle's C client interface (OCI) this engine calls, declared
// from the public OCI documentation. No client file is needed to build;
// the entry points are looked up in the client library at run time.
// Handles are opaque; as the documentation names them, in the global scope.
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

namespace oci {

using ::OCIBind;
using ::OCIDefine;
using ::OCIEnv;
using ::OCIError;
using ::OCILobLocator;
using ::OCIServer;
using ::OCISession;
using ::OCISnapshot;
using ::OCIStmt;
using ::OCISvcCtx;

using ub1 = std::uint8_t;
using sb1 = std::int8_t;
using ub2 = std::uint16_t;
using sb2 = std::int16_t;
using ub4 = std::uint32_t;
using sb4 = std::int32_t;
using sword = int;
using OraText = unsigned char;
using boolean = int;
using OCIDuration = ub2;

// Return codes.
constexpr sword OCI_SUCCESS = 0;
constexpr sword OCI_SUCCESS_WITH_INFO = 1;
constexpr sword OCI_NO_DATA = 100;
constexpr sword OCI_ERROR = -1;
constexpr sword OCI_INVALID_HANDLE = -2;

// Modes.
constexpr ub4 OCI_DEFAULT = 0x00000000;
constexpr ub4 OCI_THREADED = 0x00000001;
constexpr ub4 OCI_DESCRIBE_ONLY = 0x00000010;
constexpr ub4 OCI_COMMIT_ON_SUCCESS = 0x00000020;
constexpr ub4 OCI_NTV_SYNTAX = 1;
constexpr ub2 OCI_FETCH_NEXT = 0x02;
constexpr ub4 OCI_AUTH = 0x00000008;
constexpr ub4 OCI_STMT_CACHE = 0x00000040;

// Credentials and administrative privileges of a session.
constexpr ub4 OCI_CRED_RDBMS = 1;
constexpr ub4 OCI_CRED_EXT = 2;
constexpr ub4 OCI_SYSDBA = 0x00000002;
constexpr ub4 OCI_SYSOPER = 0x00000004;
constexpr ub4 OCI_SYSBKP = 0x00020000;
constexpr ub4 OCI_SYSDGD = 0x00040000;
constexpr ub4 OCI_SYSKMT = 0x00080000;

// Handle and descriptor types.
constexpr ub4 OCI_HTYPE_ENV = 1;
constexpr ub4 OCI_HTYPE_ERROR = 2;
constexpr ub4 OCI_HTYPE_SVCCTX = 3;
constexpr ub4 OCI_HTYPE_STMT = 4;
constexpr ub4 OCI_HTYPE_SERVER = 8;
constexpr ub4 OCI_HTYPE_SESSION = 9;
constexpr ub4 OCI_DTYPE_LOB = 50;
constexpr ub4 OCI_DTYPE_FILE = 56;
constexpr ub4 OCI_DTYPE_PARAM = 53;
constexpr ub1 OCI_ONE_PIECE = 0;
constexpr ub1 SQLCS_IMPLICIT = 1;

// Temporary LOBs: their type and how long they live.
constexpr ub1 OCI_TEMP_BLOB = 1;
constexpr ub1 OCI_TEMP_CLOB = 2;
constexpr OCIDuration OCI_DURATION_SESSION = 10;

// Attributes.
constexpr ub4 OCI_ATTR_DATA_SIZE = 1;
constexpr ub4 OCI_ATTR_DATA_TYPE = 2;
constexpr ub4 OCI_ATTR_NAME = 4;
constexpr ub4 OCI_ATTR_PRECISION = 5;
constexpr ub4 OCI_ATTR_SCALE = 6;
constexpr ub4 OCI_ATTR_SERVER = 6;
constexpr ub4 OCI_ATTR_SESSION = 7;
constexpr ub4 OCI_ATTR_IS_NULL = 7;
constexpr ub4 OCI_ATTR_CHAR_USED = 285;
constexpr ub4 OCI_ATTR_CHARSET_FORM = 32;
// OCI_ATTR_CHARSET_FORM of NCHAR and NVARCHAR2.
constexpr ub1 SQLCS_NCHAR = 2;
constexpr ub4 OCI_ATTR_CHAR_SIZE = 286;
constexpr ub4 OCI_ATTR_TYPE_NAME = 8;
constexpr ub4 OCI_ATTR_ROW_COUNT = 9;
constexpr ub4 OCI_ATTR_PREFETCH_ROWS = 11;
constexpr ub4 OCI_ATTR_PARAM_COUNT = 18;
constexpr ub4 OCI_ATTR_USERNAME = 22;
constexpr ub4 OCI_ATTR_PASSWORD = 23;
constexpr ub4 OCI_ATTR_STMT_TYPE = 24;
constexpr ub4 OCI_ATTR_STMTCACHESIZE = 176;
constexpr ub4 OCI_ATTR_PARSE_ERROR_OFFSET = 129;
constexpr ub4 OCI_ATTR_ROWS_FETCHED = 197;

// Statement types (OCI_ATTR_STMT_TYPE).
constexpr ub2 OCI_STMT_SELECT = 1;
constexpr ub2 OCI_STMT_UPDATE = 2;
constexpr ub2 OCI_STMT_DELETE = 3;
constexpr ub2 OCI_STMT_INSERT = 4;
constexpr ub2 OCI_STMT_CREATE = 5;
constexpr ub2 OCI_STMT_DROP = 6;
constexpr ub2 OCI_STMT_ALTER = 7;
constexpr ub2 OCI_STMT_BEGIN = 8;
constexpr ub2 OCI_STMT_DECLARE = 9;
constexpr ub2 OCI_STMT_CALL = 10;
constexpr ub2 OCI_STMT_MERGE = 16;

// External data types.
constexpr ub2 SQLT_CHR = 1;
constexpr ub2 SQLT_NUM = 2;
constexpr ub2 SQLT_FLT = 4;
constexpr ub2 SQLT_STR = 5;
constexpr ub2 SQLT_VNU = 6;
constexpr ub2 SQLT_LNG = 8;
constexpr ub2 SQLT_RID = 11;
constexpr ub2 SQLT_DAT = 12;
// Native IEEE values: a C float and a C double.
constexpr ub2 SQLT_BFLOAT = 21;
constexpr ub2 SQLT_BDOUBLE = 22;
constexpr ub2 SQLT_BIN = 23;
constexpr ub2 SQLT_LBI = 24;
constexpr ub2 SQLT_AFC = 96;
constexpr ub2 SQLT_IBFLOAT = 100;
constexpr ub2 SQLT_IBDOUBLE = 101;
constexpr ub2 SQLT_RDD = 104;
constexpr ub2 SQLT_CLOB = 112;
constexpr ub2 SQLT_BLOB = 113;
constexpr ub2 SQLT_BFILEE = 114;
constexpr ub2 SQLT_RSET = 116;

// Server errors this engine tells apart.
constexpr sb4 kCompiledWithErrors = 24344;
constexpr sb4 kValueTruncated = 1406;
constexpr sb4 kCancelled = 1013;
constexpr sb4 kPasswordExpired = 28001;

// The entry points, as their documented signatures.
using OCIEnvCreateFn = sword (*)(OCIEnv**, ub4, void*, void* (*)(void*, std::size_t),
                                 void* (*)(void*, void*, std::size_t), void (*)(void*, void*), std::size_t,
                                 void**);
using OCIEnvNlsCreateFn = sword (*)(OCIEnv**, ub4, void*, void* (*)(void*, std::size_t),
                                    void* (*)(void*, void*, std::size_t), void (*)(void*, void*), std::size_t,
                                    void**, ub2, ub2);
using OCINlsCharSetNameToIdFn = ub2 (*)(void*, const OraText*);
using OCIHandleAllocFn = sword (*)(const void*, void**, ub4, std::size_t, void**);
using OCIHandleFreeFn = sword (*)(void*, ub4);
using OCIErrorGetFn = sword (*)(void*, ub4, OraText*, sb4*, OraText*, ub4, ub4);
using OCIAttrGetFn = sword (*)(const void*, ub4, void*, ub4*, ub4, OCIError*);
using OCIAttrSetFn = sword (*)(void*, ub4, void*, ub4, ub4, OCIError*);
using OCILogon2Fn = sword (*)(OCIEnv*, OCIError*, OCISvcCtx**, const OraText*, ub4, const OraText*, ub4,
                              const OraText*, ub4, ub4);
using OCILogoffFn = sword (*)(OCISvcCtx*, OCIError*);
using OCIStmtPrepareFn = sword (*)(OCIStmt*, OCIError*, const OraText*, ub4, ub4, ub4);
using OCIStmtExecuteFn = sword (*)(OCISvcCtx*, OCIStmt*, OCIError*, ub4, ub4, const OCISnapshot*,
                                   OCISnapshot*, ub4);
using OCIStmtFetch2Fn = sword (*)(OCIStmt*, OCIError*, ub4, ub2, sb4, ub4);
using OCIBindByNameFn = sword (*)(OCIStmt*, OCIBind**, OCIError*, const OraText*, sb4, void*, sb4, ub2, void*,
                                  ub2*, ub2*, ub4, ub4*, ub4);
using OCIDefineByPosFn = sword (*)(OCIStmt*, OCIDefine**, OCIError*, ub4, void*, sb4, ub2, void*, ub2*, ub2*,
                                   ub4);
using OCIParamGetFn = sword (*)(const void*, ub4, OCIError*, void**, ub4);
using OCIDescriptorFreeFn = sword (*)(void*, ub4);
using OCIDescriptorAllocFn = sword (*)(const void*, void**, ub4, std::size_t, void**);
using OCILobRead2Fn = sword (*)(OCISvcCtx*, OCIError*, OCILobLocator*, std::uint64_t*, std::uint64_t*,
                                std::uint64_t, void*, std::uint64_t, ub1, void*,
                                sb4 (*)(void*, const void*, std::uint64_t, ub1, void**, std::uint64_t*), ub2,
                                ub1);
using OCILobCreateTemporaryFn = sword (*)(OCISvcCtx*, OCIError*, OCILobLocator*, ub2, ub1, ub1, boolean,
                                          OCIDuration);
using OCILobWrite2Fn = sword (*)(OCISvcCtx*, OCIError*, OCILobLocator*, std::uint64_t*, std::uint64_t*,
                                 std::uint64_t, void*, std::uint64_t, ub1, void*,
                                 sb4 (*)(void*, void*, std::uint64_t*, ub1*, void**, std::uint64_t*), ub2,
                                 ub1);
using OCILobFreeTemporaryFn = sword (*)(OCISvcCtx*, OCIError*, OCILobLocator*);
using OCILobFileGetNameFn = sword (*)(OCIEnv*, OCIError*, const OCILobLocator*, OraText*, ub2*, OraText*,
                                      ub2*);
using OCITransCommitFn = sword (*)(OCISvcCtx*, OCIError*, ub4);
using OCITransRollbackFn = sword (*)(OCISvcCtx*, OCIError*, ub4);
using OCIBreakFn = sword (*)(void*, OCIError*);
using OCIResetFn = sword (*)(void*, OCIError*);
using OCIServerAttachFn = sword (*)(OCIServer*, OCIError*, const OraText*, sb4, ub4);
using OCIServerDetachFn = sword (*)(OCIServer*, OCIError*, ub4);
using OCISessionBeginFn = sword (*)(OCISvcCtx*, OCIError*, OCISession*, ub4, ub4);
using OCISessionEndFn = sword (*)(OCISvcCtx*, OCIError*, OCISession*, ub4);
using OCIPasswordChangeFn = sword (*)(OCISvcCtx*, OCIError*, const OraText*, ub4, const OraText*, ub4,
                                      const OraText*, ub4, ub4);
using OCIStmtPrepare2Fn = sword (*)(OCISvcCtx*, OCIStmt**, OCIError*, const OraText*, ub4, const OraText*,
                                    ub4, ub4, ub4);
using OCIStmtReleaseFn = sword (*)(OCIStmt*, OCIError*, const OraText*, ub4, ub4);

// The table of entry points resolved from the client library.
struct Api {
    OCIEnvCreateFn EnvCreate = nullptr;
    OCIEnvNlsCreateFn EnvNlsCreate = nullptr;
    OCINlsCharSetNameToIdFn NlsCharSetNameToId = nullptr;
    OCIHandleAllocFn HandleAlloc = nullptr;
    OCIHandleFreeFn HandleFree = nullptr;
    OCIErrorGetFn ErrorGet = nullptr;
    OCIAttrGetFn AttrGet = nullptr;
    OCIAttrSetFn AttrSet = nullptr;
    OCILogon2Fn Logon2 = nullptr;
    OCILogoffFn Logoff = nullptr;
    OCIStmtPrepareFn StmtPrepare = nullptr;
    OCIStmtExecuteFn StmtExecute = nullptr;
    OCIStmtFetch2Fn StmtFetch2 = nullptr;
    OCIBindByNameFn BindByName = nullptr;
    OCIDefineByPosFn DefineByPos = nullptr;
    OCIParamGetFn ParamGet = nullptr;
    OCIDescriptorFreeFn DescriptorFree = nullptr;
    OCIDescriptorAllocFn DescriptorAlloc = nullptr;
    OCILobRead2Fn LobRead2 = nullptr;
    OCILobFileGetNameFn LobFileGetName = nullptr;
    OCILobCreateTemporaryFn LobCreateTemporary = nullptr;
    OCILobWrite2Fn LobWrite2 = nullptr;
    OCILobFreeTemporaryFn LobFreeTemporary = nullptr;
    OCITransCommitFn TransCommit = nullptr;
    OCITransRollbackFn TransRollback = nullptr;
    OCIBreakFn Break = nullptr;
    OCIResetFn Reset = nullptr;
    OCIServerAttachFn ServerAttach = nullptr;
    OCIServerDetachFn ServerDetach = nullptr;
    OCISessionBeginFn SessionBegin = nullptr;
    OCISessionEndFn SessionEnd = nullptr;
    OCIPasswordChangeFn PasswordChange = nullptr;
    OCIStmtPrepare2Fn StmtPrepare2 = nullptr;
    OCIStmtReleaseFn StmtRelease = nullptr;
};

}  // namespace oci
