#include "engine/oci/COciLibrary.h"

#include <cstdlib>
#include <mutex>
#include <vector>

#include "text/Encoding.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace {

#ifdef _WIN32
constexpr const char* kDefaultName = "oci.dll";
void* OpenFile(const std::string& path) { return reinterpret_cast<void*>(LoadLibraryA(path.c_str())); }
void* Symbol(void* handle, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}
void CloseFile(void* handle) { FreeLibrary(static_cast<HMODULE>(handle)); }
std::string LastLoadError() { return "error " + std::to_string(GetLastError()); }
#else
constexpr const char* kDefaultName = "libclntsh.so";
void* OpenFile(const std::string& path) { return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL); }
void* Symbol(void* handle, const char* name) { return dlsym(handle, name); }
void CloseFile(void* handle) { dlclose(handle); }
std::string LastLoadError() {
    const char* text = dlerror();
    return text != nullptr ? text : "";
}
#endif

// The files to try, in order.
std::vector<std::string> Candidates() {
    if (const char* named = std::getenv("TARVEX_OCI_LIBRARY"); named != nullptr && *named != '\0')
        return {named};
    std::vector<std::string> files{kDefaultName};
    if (const char* home = std::getenv("ORACLE_HOME"); home != nullptr && *home != '\0')
        files.push_back(std::string(home) + "/lib/" + kDefaultName);
    return files;
}

std::string Joined(const std::vector<std::string>& names) {
    std::string text;
    for (const auto& name : names) text += (text.empty() ? "" : ", ") + name;
    return text;
}

template <typename Fn>
bool Take(void* handle, const char* name, Fn& slot, std::string& missing) {
    slot = reinterpret_cast<Fn>(Symbol(handle, name));
    if (slot == nullptr && missing.empty()) missing = name;
    return slot != nullptr;
}

std::mutex g_mutex;
const COciLibrary* g_library = nullptr;

}  // namespace

bool COciLibrary::Resolve(void* handle, std::string& missing) {
    oci::Api& a = m_api;
    Take(handle, "OCIEnvCreate", a.EnvCreate, missing);
    Take(handle, "OCIEnvNlsCreate", a.EnvNlsCreate, missing);
    Take(handle, "OCINlsCharSetNameToId", a.NlsCharSetNameToId, missing);
    Take(handle, "OCIHandleAlloc", a.HandleAlloc, missing);
    Take(handle, "OCIHandleFree", a.HandleFree, missing);
    Take(handle, "OCIErrorGet", a.ErrorGet, missing);
    Take(handle, "OCIAttrGet", a.AttrGet, missing);
    Take(handle, "OCIAttrSet", a.AttrSet, missing);
    Take(handle, "OCILogon2", a.Logon2, missing);
    Take(handle, "OCILogoff", a.Logoff, missing);
    Take(handle, "OCIStmtPrepare", a.StmtPrepare, missing);
    Take(handle, "OCIStmtExecute", a.StmtExecute, missing);
    Take(handle, "OCIStmtFetch2", a.StmtFetch2, missing);
    Take(handle, "OCIBindByName", a.BindByName, missing);
    Take(handle, "OCIDefineByPos", a.DefineByPos, missing);
    Take(handle, "OCIParamGet", a.ParamGet, missing);
    Take(handle, "OCIDescriptorFree", a.DescriptorFree, missing);
    Take(handle, "OCIDescriptorAlloc", a.DescriptorAlloc, missing);
    Take(handle, "OCILobRead2", a.LobRead2, missing);
    Take(handle, "OCILobFileGetName", a.LobFileGetName, missing);
    Take(handle, "OCILobCreateTemporary", a.LobCreateTemporary, missing);
    Take(handle, "OCILobWrite2", a.LobWrite2, missing);
    Take(handle, "OCILobFreeTemporary", a.LobFreeTemporary, missing);
    Take(handle, "OCITransCommit", a.TransCommit, missing);
    Take(handle, "OCITransRollback", a.TransRollback, missing);
    Take(handle, "OCIBreak", a.Break, missing);
    Take(handle, "OCIReset", a.Reset, missing);
    Take(handle, "OCIServerAttach", a.ServerAttach, missing);
    Take(handle, "OCIServerDetach", a.ServerDetach, missing);
    Take(handle, "OCISessionBegin", a.SessionBegin, missing);
    Take(handle, "OCISessionEnd", a.SessionEnd, missing);
    Take(handle, "OCIPasswordChange", a.PasswordChange, missing);
    Take(handle, "OCIStmtPrepare2", a.StmtPrepare2, missing);
    Take(handle, "OCIStmtRelease", a.StmtRelease, missing);
    return missing.empty();
}

const COciLibrary* COciLibrary::Load(CEngineError& error) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_library != nullptr) return g_library;
    const std::vector<std::string> candidates = Candidates();
    std::string reasons;
    for (const auto& path : candidates) {
        void* handle = OpenFile(path);
        if (handle == nullptr) {
            reasons += (reasons.empty() ? "" : "; ") + LastLoadError();
            continue;
        }
        auto* library = new COciLibrary();
        std::string missing;
        if (!library->Resolve(handle, missing)) {
            delete library;
            CloseFile(handle);
            error.Set(encoding::Utf8ToCp932("Oracle クライアント・ライブラリ " + path + " は古すぎます (" +
                                            missing +
                                            " がありません)。Oracle Instant Client 11.2 以降を"
                                            "インストールしてください。"));
            return nullptr;
        }
        // Note: the library stays loaded for the life of the process, as the
        // client's own threads and the environment need it.
        library->m_path = path;
        g_library = library;
        return g_library;
    }
    error.Set(encoding::Utf8ToCp932(
        "Oracle クライアント・ライブラリをロードできません (探したもの: " + Joined(candidates) +
        ")。サーバーに接続するには Oracle Instant Client をインストールして LD_LIBRARY_PATH (Windows では "
        "PATH) に加えるか、環境変数 TARVEX_OCI_LIBRARY にライブラリのパスを指定してください。詳細: " +
        reasons));
    return nullptr;
}
