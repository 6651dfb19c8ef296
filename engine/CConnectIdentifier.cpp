#include "engine/CConnectIdentifier.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "text/Cp932.h"

namespace {

std::string_view Trimmed(std::string_view text) {
    const std::size_t begin = text.find_first_not_of(" \t\r\n");
    if (begin == std::string_view::npos) return {};
    const std::size_t end = text.find_last_not_of(" \t\r\n");
    return text.substr(begin, end - begin + 1);
}

bool IsHostByte(char c) {
    const auto u = static_cast<unsigned char>(c);
    return std::isalnum(u) || c == '.' || c == '-' || c == '_' || c == ':' || c == '[' || c == ']';
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Each top-level entry's names ("A, B = (...)"), comments skipped.
template <typename Visit>
void ForEachEntryName(std::string_view text, Visit visit) {
    int depth = 0;
    std::string pending;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char c = text[at];
        if (c == '#') {
            const std::size_t end = text.find('\n', at);
            at = end == std::string_view::npos ? text.size() : end;
            continue;
        }
        if (c == '(') ++depth;
        if (c == ')' && depth > 0) --depth;
        if (depth > 0 || c == '(' || c == ')') continue;
        if (c == '=' || c == ',') {
            if (!Trimmed(pending).empty()) visit(Trimmed(pending));
            pending.clear();
            continue;
        }
        pending += c;
    }
}

}  // namespace

bool CConnectIdentifier::IsServerForm(std::string_view identifier) {
    const std::string_view text = Trimmed(identifier);
    if (text.starts_with("//") || text.starts_with("(")) return true;
    // host[:port]/service: a host made of name bytes, then "/" and more.
    const std::size_t slash = text.find('/');
    if (slash == std::string_view::npos || slash == 0 || slash + 1 >= text.size()) return false;
    for (std::size_t k = 0; k < slash; ++k)
        if (!IsHostByte(text[k])) return false;
    return true;
}

std::string CConnectIdentifier::TnsNamesPath() {
    if (const char* admin = std::getenv("TNS_ADMIN"); admin != nullptr && *admin != '\0')
        return std::string(admin) + "/tnsnames.ora";
    if (const char* home = std::getenv("ORACLE_HOME"); home != nullptr && *home != '\0')
        return std::string(home) + "/network/admin/tnsnames.ora";
    return {};
}

bool CConnectIdentifier::DefinesName(std::string_view tnsNames, std::string_view name) {
    const std::string wanted = cp932::ToUpper(Trimmed(name));
    if (wanted.empty()) return false;
    bool found = false;
    ForEachEntryName(tnsNames, [&](std::string_view entry) {
        if (cp932::ToUpper(entry) == wanted) found = true;
    });
    return found;
}

CConnectIdentifier::Route CConnectIdentifier::RouteOf(std::string_view identifier) {
    if (IsServerForm(identifier)) return Route::Server;
    if (Trimmed(identifier).empty()) return Route::Embedded;
    const std::string path = TnsNamesPath();
    if (path.empty()) return Route::Embedded;
    return DefinesName(ReadFile(path), identifier) ? Route::Server : Route::Embedded;
}
