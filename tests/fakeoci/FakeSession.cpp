// Logon, transactions and break: each session is an embedded connection.
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

#include "FakeOci.h"
#include "engine/CEngineFactory.h"
#include "text/Cp932.h"

using namespace fakeoci;

namespace {

std::string Trim(const std::string& text) {
    const std::size_t begin = text.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos) return {};
    return text.substr(begin, text.find_last_not_of(" \t\r\n") - begin + 1);
}

// The text of `key`=value inside a descriptor, "" when absent.
std::string DescriptorValue(const std::string& upper, const std::string& key) {
    std::size_t at = upper.find(key);
    if (at == std::string::npos) return {};
    at = upper.find('=', at);
    const std::size_t end = upper.find(')', at);
    if (at == std::string::npos || end == std::string::npos) return {};
    return Trim(upper.substr(at + 1, end - at - 1));
}

std::string TnsNamesText() {
    std::string path;
    if (const char* admin = std::getenv("TNS_ADMIN")) path = std::string(admin) + "/tnsnames.ora";
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return cp932::ToUpper(text.str());
}

// Host and service of a connect identifier; false when it cannot be
// resolved.
bool Resolve(const std::string& identifier, std::string& host, std::string& service) {
    std::string text = Trim(identifier);
    const std::string upper = cp932::ToUpper(text);
    if (upper.starts_with("(")) {
        host = DescriptorValue(upper, "HOST");
        service = DescriptorValue(upper, "SERVICE_NAME");
        return !service.empty();
    }
    if (text.starts_with("//")) text = text.substr(2);
    const std::size_t slash = text.find('/');
    if (slash != std::string::npos) {
        host = text.substr(0, text.find_first_of(":/"));
        service = text.substr(slash + 1);
        return !service.empty();
    }
    // A net service name of tnsnames.ora: its entry's descriptor.
    const std::string names = TnsNamesText();
    std::size_t at = names.find(upper);
    while (at != std::string::npos && at > 0 && names[at - 1] != '\n') at = names.find(upper, at + 1);
    if (at == std::string::npos) return false;
    const std::size_t open = names.find('(', at);
    return open != std::string::npos && Resolve(names.substr(open), host, service);
}

bool IsLocalHost(const std::string& host) {
    const std::string upper = cp932::ToUpper(host);
    return upper == "LOCALHOST" || upper == "127.0.0.1";
}

// Users whose expired password was changed in this process.
std::set<std::string>& ChangedPasswords() {
    static std::set<std::string> users;
    return users;
}

struct PrivilegeUser {
    ub4 mode;
    const char* user;
};

// Who a privileged session is, as the server documents it.
constexpr PrivilegeUser kPrivilegeUsers[] = {
    {kSysDba, "SYS"}, {kSysOper, "PUBLIC"}, {kSysBackup, "SYSBACKUP"}, {kSysDg, "SYSDG"}, {kSysKm, "SYSKM"},
};

// The embedded database behind `identifier`, opened for `user` (what USER
// answers); kSuccess or an error.
sword OpenDatabase(const std::string& identifier, const std::string& user, Error& error,
                   std::unique_ptr<CEngineConnection>& out) {
    std::string host;
    std::string name;
    if (!Resolve(identifier, host, name)) {
        error.Set(12154, "ORA-12154: TNS:could not resolve the connect identifier specified");
        return kError;
    }
    if (!IsLocalHost(host)) {
        error.Set(12545, "ORA-12545: Connect failed because target host or object does not exist");
        return kError;
    }
    CEngineError failure;
    out = CEngineFactory::Open(name, failure, user);
    if (out == nullptr) {
        error.Set(12514,
                  "ORA-12514: TNS:listener does not currently know of service requested: " + failure.message);
        return kError;
    }
    return kSuccess;
}

// Checks the credentials and names the session's user; kSuccess,
// kSuccessWithInfo (a warning) or an error.
sword Authenticate(Session& session, ub4 credentials, ub4 mode, const std::string* newPassword,
                   Error& error) {
    if (credentials == kCredExt) {
        session.user = cp932::ToUpper(KnobText("TARVEX_FAKEOCI_OS_USER"));
        if (session.user.empty()) {
            error.Set(1017, "ORA-01017: invalid username/password; logon denied");
            return kError;
        }
    } else if (session.user.empty() || session.password.empty()) {
        error.Set(1017, "ORA-01017: invalid username/password; logon denied");
        return kError;
    }
    for (const auto& row : kPrivilegeUsers)
        if ((mode & row.mode) != 0) session.user = row.user;
    const std::string upperUser = cp932::ToUpper(session.user);
    const std::string expired = cp932::ToUpper(KnobText("TARVEX_FAKEOCI_EXPIRED"));
    if (!expired.empty() && expired == upperUser && ChangedPasswords().count(upperUser) == 0) {
        if (newPassword == nullptr) {
            error.Set(28001, "ORA-28001: the password has expired");
            return kError;
        }
        if (newPassword->empty() || *newPassword == session.password) {
            error.Set(28007, "ORA-28007: the password cannot be reused");
            return kError;
        }
        ChangedPasswords().insert(upperUser);
        session.password = *newPassword;
    }
    const long info = Knob("TARVEX_FAKEOCI_LOGON_INFO");
    if (info == 28002) {
        error.Set(28002, "ORA-28002: the password will expire within 7 days");
        return kSuccessWithInfo;
    }
    return kSuccess;
}

// Begins the session of `context` on its attached server.
sword BeginSession(SvcCtx& context, ub4 credentials, ub4 mode, const std::string* newPassword, Error& error) {
    error.Clear();
    if (context.server == nullptr || !context.server->attached || context.session == nullptr) {
        error.Set(24313, "ORA-24313: user already authenticated");
        return kError;
    }
    if (context.session->begun) {
        error.Set(24313, "ORA-24313: user already authenticated");
        return kError;
    }
    if (sword status = RoundTrip(context, error); status != kSuccess) return status;
    const sword status = Authenticate(*context.session, credentials, mode, newPassword, error);
    if (status != kSuccess && status != kSuccessWithInfo) return status;
    Error opened;
    if (OpenDatabase(context.server->database, cp932::ToUpper(context.session->user), opened,
                     context.connection) != kSuccess) {
        error.Set(opened.code, opened.message);
        return kError;
    }
    context.session->begun = true;
    return status;
}

std::string Bytes(const text* data, ub4 length) {
    return data != nullptr ? std::string(reinterpret_cast<const char*>(data), length) : std::string();
}

}  // namespace

extern "C" {

sword OCILogon2(OCIEnv* envp, OCIError* errorHandle, OCISvcCtx** service, const text* user, ub4 userLength,
                const text* password, ub4 passwordLength, const text* database, ub4 databaseLength, ub4) {
    auto* env = As<Env>(envp, kHtypeEnv);
    auto* error = As<Error>(errorHandle, kHtypeError);
    if (env == nullptr || error == nullptr || service == nullptr) return kInvalidHandle;
    error->Clear();
    if (!IsClientCharset(env->charset)) {
        error->Set(12705, "ORA-12705: Cannot access NLS data files or invalid environment specified");
        return kError;
    }
    auto context = std::make_unique<SvcCtx>();
    context->charset = env->charset;
    auto server = std::make_unique<Server>();
    auto session = std::make_unique<Session>();
    server->database = Bytes(database, databaseLength);
    server->attached = true;
    session->user = Bytes(user, userLength);
    session->password = Bytes(password, passwordLength);
    context->server = server.get();
    context->session = session.get();
    const sword status = BeginSession(*context, kCredRdbms, 0, nullptr, *error);
    if (status != kSuccess && status != kSuccessWithInfo) return status;
    // Note: a logon's own server and session live as long as its context.
    context->ownServer = std::move(server);
    context->ownSession = std::move(session);
    Register(context.get());
    *service = Out<OCISvcCtx>(context.release());
    return status;
}

sword OCILogoff(OCISvcCtx* service, OCIError* errorHandle) {
    auto* context = As<SvcCtx>(service, kHtypeSvcCtx);
    if (context == nullptr || As<Error>(errorHandle, kHtypeError) == nullptr) return kInvalidHandle;
    if (context->connection) context->connection->Rollback();
    return OCIHandleFree(context, kHtypeSvcCtx);
}

sword OCIServerAttach(OCIServer* serverHandle, OCIError* errorHandle, const text* database, sb4 length, ub4) {
    auto* server = As<Server>(serverHandle, kHtypeServer);
    auto* error = As<Error>(errorHandle, kHtypeError);
    if (server == nullptr || error == nullptr) return kInvalidHandle;
    error->Clear();
    server->database = Bytes(database, static_cast<ub4>(std::max(length, 0)));
    std::string host;
    std::string name;
    if (!Resolve(server->database, host, name)) {
        error->Set(12154, "ORA-12154: TNS:could not resolve the connect identifier specified");
        return kError;
    }
    if (!IsLocalHost(host)) {
        error->Set(12545, "ORA-12545: Connect failed because target host or object does not exist");
        return kError;
    }
    server->attached = true;
    return kSuccess;
}

sword OCIServerDetach(OCIServer* serverHandle, OCIError* errorHandle, ub4) {
    auto* server = As<Server>(serverHandle, kHtypeServer);
    if (server == nullptr || As<Error>(errorHandle, kHtypeError) == nullptr) return kInvalidHandle;
    server->attached = false;
    return kSuccess;
}

sword OCISessionBegin(OCISvcCtx* service, OCIError* errorHandle, OCISession* sessionHandle, ub4 credentials,
                      ub4 mode) {
    auto* context = As<SvcCtx>(service, kHtypeSvcCtx);
    auto* error = As<Error>(errorHandle, kHtypeError);
    auto* session = As<Session>(sessionHandle, kHtypeSession);
    if (context == nullptr || error == nullptr || session == nullptr) return kInvalidHandle;
    if (credentials != kCredRdbms && credentials != kCredExt) {
        error->Set(24300, "ORA-24300: bad value for mode");
        return kError;
    }
    if (context->session != session) {
        error->Set(24311, "ORA-24311: session handle not set in service context");
        return kError;
    }
    return BeginSession(*context, credentials, mode, nullptr, *error);
}

sword OCISessionEnd(OCISvcCtx* service, OCIError* errorHandle, OCISession* sessionHandle, ub4) {
    auto* context = As<SvcCtx>(service, kHtypeSvcCtx);
    auto* session = As<Session>(sessionHandle, kHtypeSession);
    if (context == nullptr || As<Error>(errorHandle, kHtypeError) == nullptr || session == nullptr)
        return kInvalidHandle;
    if (context->connection) context->connection->Rollback();
    context->connection.reset();
    session->begun = false;
    return kSuccess;
}

sword OCIPasswordChange(OCISvcCtx* service, OCIError* errorHandle, const text* user, ub4 userLength,
                        const text* oldPassword, ub4 oldLength, const text* newPassword, ub4 newLength,
                        ub4 mode) {
    auto* context = As<SvcCtx>(service, kHtypeSvcCtx);
    auto* error = As<Error>(errorHandle, kHtypeError);
    if (context == nullptr || error == nullptr) return kInvalidHandle;
    if ((mode & kAuth) == 0 || context->session == nullptr) {
        error->Set(24300, "ORA-24300: bad value for mode");
        return kError;
    }
    context->session->user = Bytes(user, userLength);
    context->session->password = Bytes(oldPassword, oldLength);
    const std::string changed = Bytes(newPassword, newLength);
    return BeginSession(*context, kCredRdbms, mode & ~kAuth, &changed, *error);
}

sword OCITransCommit(OCISvcCtx* service, OCIError* errorHandle, ub4) {
    auto* context = As<SvcCtx>(service, kHtypeSvcCtx);
    auto* error = As<Error>(errorHandle, kHtypeError);
    if (context == nullptr || error == nullptr || !context->connection) return kInvalidHandle;
    error->Clear();
    InCall call(*context);
    if (sword status = RoundTrip(*context, *error); status != kSuccess) return status;
    if (!context->connection->Commit()) {
        error->Set(context->connection->LastError().code, context->connection->LastError().message);
        return kError;
    }
    if (Knob("TARVEX_FAKEOCI_COMMIT_INFO") != 0) {
        error->Set(static_cast<sb4>(Knob("TARVEX_FAKEOCI_COMMIT_INFO")),
                   "ORA-" + std::to_string(Knob("TARVEX_FAKEOCI_COMMIT_INFO")) + ": warning on commit");
        return kSuccessWithInfo;
    }
    return kSuccess;
}

sword OCITransRollback(OCISvcCtx* service, OCIError* errorHandle, ub4) {
    auto* context = As<SvcCtx>(service, kHtypeSvcCtx);
    auto* error = As<Error>(errorHandle, kHtypeError);
    if (context == nullptr || error == nullptr || !context->connection) return kInvalidHandle;
    error->Clear();
    InCall call(*context);
    if (sword status = RoundTrip(*context, *error); status != kSuccess) return status;
    if (context->connection->Rollback()) return kSuccess;
    error->Set(context->connection->LastError().code, context->connection->LastError().message);
    return kError;
}

sword OCIBreak(void* service, OCIError* errorHandle) {
    auto* context = As<SvcCtx>(service, kHtypeSvcCtx);
    if (context == nullptr || As<Error>(errorHandle, kHtypeError) == nullptr) return kInvalidHandle;
    // Note: a break with no call under way has nothing to break.
    if (!context->inCall) return kSuccess;
    context->broken = true;
    if (context->connection) context->connection->Cancel();
    return kSuccess;
}

sword OCIReset(void* service, OCIError* errorHandle) {
    auto* context = As<SvcCtx>(service, kHtypeSvcCtx);
    if (context == nullptr || As<Error>(errorHandle, kHtypeError) == nullptr) return kInvalidHandle;
    context->broken = false;
    return kSuccess;
}

sword OCIPing(OCISvcCtx* service, OCIError* errorHandle, ub4) {
    auto* context = As<SvcCtx>(service, kHtypeSvcCtx);
    auto* error = As<Error>(errorHandle, kHtypeError);
    if (context == nullptr || error == nullptr) return kInvalidHandle;
    error->Clear();
    return RoundTrip(*context, *error);
}

}  // extern "C"
