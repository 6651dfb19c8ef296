#include "engine/sqlite/CDatabaseLocation.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "text/Cp932.h"
#include "text/Encoding.h"

namespace {

constexpr std::size_t kMaxNameLength = 100;
constexpr const char* kDefaultFile = "default.db";

// Single-byte characters a database name may not hold (besides controls).
constexpr std::string_view kForbidden = "/\\:*?\"<>|";

std::string Trim(const std::string& text) {
    std::size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos) return {};
    std::size_t end = text.find_last_not_of(" \t");
    return text.substr(begin, end - begin + 1);
}

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

// Note: written here in UTF-8 for reading; the engine's text is CP932.
std::string Japanese(const char* utf8) { return encoding::Utf8ToCp932(utf8); }

std::string EnvOrEmpty(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

}  // namespace

std::string CDatabaseLocation::DataDirectory() {
    std::string home = EnvOrEmpty("TARVEX_HOME");
    if (!home.empty()) return home;
    std::string xdg = EnvOrEmpty("XDG_DATA_HOME");
    if (!xdg.empty()) return xdg + "/tarvex";
    std::string user = EnvOrEmpty("HOME");
    if (!user.empty()) return user + "/.local/share/tarvex";
    return {};
}

std::string CDatabaseLocation::CheckName(const std::string& name) {
    if (name.size() > kMaxNameLength)
        return Japanese("データベース名 ") + Quoted(name) + Japanese(" が長すぎます (最大 ") +
               std::to_string(kMaxNameLength) + Japanese(" バイト)。");
    std::string utf8;
    if (!encoding::Cp932ToUtf8Strict(name, utf8))
        return Japanese("データベース名が Shift-JIS として正しくありません。");
    for (std::size_t i = 0; i < name.size(); i += cp932::CharLength(name, i)) {
        if (cp932::CharLength(name, i) == 2) continue;
        auto c = static_cast<unsigned char>(name[i]);
        if (c < 0x20 || c == 0x7F)
            return Japanese("データベース名 ") + Quoted(name) + Japanese(" に制御文字があります。");
        if (kForbidden.find(static_cast<char>(c)) != std::string_view::npos)
            return Japanese("データベース名 ") + Quoted(name) + Japanese(" に使えない文字 '") +
                   std::string(1, name[i]) + Japanese("' があります。");
    }
    if (name.front() == '.' || name.find("..") != std::string::npos)
        return Japanese("データベース名 ") + Quoted(name) +
               Japanese(" は '.' で始めることも \"..\" を含むこともできません。");
    return {};
}

std::string CDatabaseLocation::FileName(const std::string& name) {
    if (name.empty()) return kDefaultFile;
    std::string lower = cp932::ToUpper(name);
    for (std::size_t i = 0; i < lower.size(); i += cp932::CharLength(lower, i)) {
        char& c = lower[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return encoding::Cp932ToUtf8(lower) + ".db";
}

bool CDatabaseLocation::Resolve(const std::string& name, std::string& path, std::string& error) {
    std::string trimmed = Trim(name);
    if (trimmed.empty() && !name.empty()) {
        error = Japanese("データベース名が空です。");
        return false;
    }
    if (!trimmed.empty()) {
        error = CheckName(trimmed);
        if (!error.empty()) return false;
    }
    std::string directory = DataDirectory();
    if (directory.empty()) {
        error = Japanese("データ・ディレクトリがありません。TARVEX_HOME を設定してください。");
        return false;
    }
    std::error_code ec;
    std::filesystem::create_directories(directory, ec);
    if (ec || !std::filesystem::is_directory(directory, ec)) {
        // Note: the system's reason stays out; its text is English.
        error = Japanese("データ・ディレクトリ ") + Quoted(encoding::Utf8ToCp932(directory)) +
                Japanese(" を作成できません。");
        return false;
    }
    path = directory + "/" + FileName(trimmed);
    return true;
}
