// Logon, transactions and break: each session is an embedded connection.
#include <cstdlib>
#include <fstream>
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

}  // namespace

extern "C" {

sword OCILogon2(OCIEnv* envp, OCIError* errorHandle, OCISvcCtx** service, const text* user, ub4 userLength,
                const text* password, ub4 passwordLength, const text* database, ub4 databaseLength, ub4) {
    auto* env = As<Env>(envp, kHtypeEnv);
    auto* error = As<Error>(errorHandle, kHtypeError);
    if (env == nullptr || error == nullptr || service == nullptr) return kInvalidHandle;
    error->Clear();
    if (env->charset != kCp932Charset && env->charset != 832) {
        error->Set(12705, "ORA-12705: Cannot access NLS data files or invalid environment specified");
        return kError;
    }
    if (user == nullptr || password == nullptr || userLength == 0 || passwordLength == 0) {
        error->Set(1017, "ORA-01017: invalid username/password; logon denied");
        return kError;
    }
    const std::string identifier =
        database != nullptr ? std::string(reinterpret_cast<const char*>(database), databaseLength) : "";
    std::string host;
    std::string name;
    if (!Resolve(identifier, host, name)) {
        error->Set(12154, "ORA-12154: TNS:could not resolve the connect identifier specified");
        return kError;
    }
    if (!IsLocalHost(host)) {
        error->Set(12545, "ORA-12545: Connect failed because target host or object does not exist");
        return kError;
    }
    CEngineError failure;
    std::unique_ptr<CEngineConnection> connection =
        CEngineFactory::Open(name, failure, std::string(reinterpret_cast<const char*>(user), userLength));
    if (connection == nullptr) {
        error->Set(12514, "ORA-12514: TNS:listener does not currently know of service requested: " +
                              failure.message);
        return kError;
    }
    auto* context = new SvcCtx();
    context->connection = std::move(connection);
    Register(context);
    *service = Out<OCISvcCtx>(context);
    return kSuccess;
}

sword OCILogoff(OCISvcCtx* service, OCIError* errorHandle) {
    auto* context = As<SvcCtx>(service, kHtypeSvcCtx);
    if (context == nullptr || As<Error>(errorHandle, kHtypeError) == nullptr) return kInvalidHandle;
    context->connection->Rollback();
    Unregister(context);
    delete context;
    return kSuccess;
}

sword OCITransCommit(OCISvcCtx* service, OCIError* errorHandle, ub4) {
    auto* context = As<SvcCtx>(service, kHtypeSvcCtx);
    auto* error = As<Error>(errorHandle, kHtypeError);
    if (context == nullptr || error == nullptr) return kInvalidHandle;
    error->Clear();
    if (context->connection->Commit()) return kSuccess;
    error->Set(context->connection->LastError().code, context->connection->LastError().message);
    return kError;
}

sword OCITransRollback(OCISvcCtx* service, OCIError* errorHandle, ub4) {
    auto* context = As<SvcCtx>(service, kHtypeSvcCtx);
    auto* error = As<Error>(errorHandle, kHtypeError);
    if (context == nullptr || error == nullptr) return kInvalidHandle;
    error->Clear();
    if (context->connection->Rollback()) return kSuccess;
    error->Set(context->connection->LastError().code, context->connection->LastError().message);
    return kError;
}

sword OCIBreak(void* service, OCIError* errorHandle) {
    auto* context = As<SvcCtx>(service, kHtypeSvcCtx);
    if (context == nullptr || As<Error>(errorHandle, kHtypeError) == nullptr) return kInvalidHandle;
    context->connection->Cancel();
    return kSuccess;
}

}  // extern "C"
