#include "engine/oci/COciEnvironment.h"

#include <cstdlib>
#include <mutex>

#include "text/Cp932.h"
#include "text/Encoding.h"

namespace {

constexpr const char* kCharset = "JA16SJISTILDE";
constexpr const char* kDefaultNlsLang = "JAPANESE_JAPAN.JA16SJISTILDE";

std::mutex g_mutex;
const COciEnvironment* g_environment = nullptr;

oci::ub2 CharsetId(const oci::Api& api) {
    oci::OCIEnv* probe = nullptr;
    if (api.EnvCreate(&probe, oci::OCI_DEFAULT, nullptr, nullptr, nullptr, nullptr, 0, nullptr) !=
        oci::OCI_SUCCESS)
        return 0;
    const oci::ub2 id = api.NlsCharSetNameToId(probe, reinterpret_cast<const oci::OraText*>(kCharset));
    api.HandleFree(probe, oci::OCI_HTYPE_ENV);
    return id;
}

}  // namespace

const COciEnvironment* COciEnvironment::Get(CEngineError& error) {
    const COciLibrary* library = COciLibrary::Load(error);
    if (library == nullptr) return nullptr;
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_environment != nullptr) return g_environment;
#ifndef _WIN32
    // Note: the language comes from NLS_LANG; without one the server speaks
    // Japanese. The character set is fixed below whatever NLS_LANG says.
    setenv("NLS_LANG", kDefaultNlsLang, 0);
#endif
    const oci::Api& api = library->Api();
    const oci::ub2 charset = CharsetId(api);
    oci::OCIEnv* env = nullptr;
    if (charset == 0 || api.EnvNlsCreate(&env, oci::OCI_THREADED, nullptr, nullptr, nullptr, nullptr, 0,
                                         nullptr, charset, charset) != oci::OCI_SUCCESS) {
        error.Set(encoding::Utf8ToCp932("Oracle クライアントの環境を作成できません (文字セット " +
                                        std::string(kCharset) + ", ライブラリ " + library->Path() +
                                        ")。クライアントのインストールを確認してください。"));
        return nullptr;
    }
    g_environment = new COciEnvironment(*library, env);
    return g_environment;
}

void COciEnvironment::ReadError(oci::OCIError* handle, oci::sword status, CEngineError& error) const {
    error.Clear();
    if (status == oci::OCI_INVALID_HANDLE) {
        error.Set(encoding::Utf8ToCp932("Oracle クライアントが無効なハンドルを報告しました。"));
        return;
    }
    unsigned char buffer[4096] = {};
    oci::sb4 code = 0;
    if (Api().ErrorGet(handle, 1, nullptr, &code, buffer, sizeof buffer, oci::OCI_HTYPE_ERROR) !=
        oci::OCI_SUCCESS) {
        error.Set(encoding::Utf8ToCp932("Oracle クライアントがエラーの内容を返しませんでした。"));
        return;
    }
    std::string text(reinterpret_cast<const char*>(buffer));
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    error.Set(text);
    error.code = code;
}

int COciEnvironment::CharOffsetToByte(const std::string& text, unsigned offset) {
    std::size_t at = 0;
    for (unsigned n = 0; n < offset && at < text.size(); ++n) at += cp932::CharLength(text, at);
    return static_cast<int>(at);
}
