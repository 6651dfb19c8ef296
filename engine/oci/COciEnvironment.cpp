#include "engine/oci/COciEnvironment.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>

#include "text/Cp932.h"
#include "text/Encoding.h"

namespace {

constexpr const char* kCharset = "AL32UTF8";
constexpr const char* kDefaultNlsLang = "JAPANESE_JAPAN.AL32UTF8";
// The geta mark, shown for a character CP932 lacks.
constexpr const char kGeta[] = "\x81\xAC";

// Characters that JIS-minded clients store where CP932 has its own
// code points for the same glyph: shown as CP932's, not as missing.
struct SameGlyph {
    const char* utf8;
    const char* cp932;
};

constexpr SameGlyph kSameGlyphs[] = {
    {"\xE3\x80\x9C", "\x81\x60"},  // WAVE DASH
    {"\xE2\x80\x96", "\x81\x61"},  // DOUBLE VERTICAL LINE
    {"\xE2\x88\x92", "\x81\x7C"},  // MINUS SIGN
    {"\xC2\xA2", "\x81\x91"},      // CENT SIGN
    {"\xC2\xA3", "\x81\x92"},      // POUND SIGN
    {"\xC2\xAC", "\x81\xCA"},      // NOT SIGN
    {"\xE2\x80\x94", "\x81\x5C"},  // EM DASH
};

std::size_t Utf8Length(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xF0) return 4;
    if (lead >= 0xE0) return 3;
    return lead >= 0xC0 ? 2 : 1;
}

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
    std::size_t replaced = 0;
    error.Set(FromServer(text, replaced));
    error.code = code;
}

std::string COciEnvironment::ToServer(std::string_view cp932) {
    return encoding::IsAscii(cp932) ? std::string(cp932) : encoding::Cp932ToUtf8(cp932);
}

std::string COciEnvironment::FromServer(std::string_view utf8, std::size_t& replaced) {
    std::string out;
    AppendFromServer(utf8, out, replaced);
    return out;
}

void COciEnvironment::AppendFromServer(std::string_view utf8, std::string& out, std::size_t& replaced) {
    if (encoding::IsAscii(utf8)) {
        out += utf8;
        return;
    }
    std::string whole;
    if (encoding::Utf8ToCp932Strict(utf8, whole)) {
        out += whole;
        return;
    }
    std::string one;
    for (std::size_t at = 0; at < utf8.size();) {
        const std::size_t length =
            std::min(Utf8Length(static_cast<unsigned char>(utf8[at])), utf8.size() - at);
        const std::string_view character = utf8.substr(at, length);
        at += length;
        if (encoding::Utf8ToCp932Strict(character, one)) {
            out += one;
            continue;
        }
        const SameGlyph* same = nullptr;
        for (const auto& row : kSameGlyphs)
            if (character == row.utf8) same = &row;
        if (same != nullptr) {
            out += same->cp932;
            continue;
        }
        out += kGeta;
        ++replaced;
    }
}

int COciEnvironment::ServerOffsetToCp932(const std::string& cp932, unsigned offset) {
    return static_cast<int>(std::min(encoding::Utf8OffsetToCp932(cp932, offset), cp932.size()));
}
