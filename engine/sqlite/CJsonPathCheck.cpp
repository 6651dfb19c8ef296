#include "engine/sqlite/CJsonPathCheck.h"

#include <cctype>

#include "text/Encoding.h"

namespace {

bool IsKeyByte(char c) {
    const auto u = static_cast<unsigned char>(c);
    return std::isalnum(u) || c == '_' || c == '$' || u >= 0x80;
}

// `step` (UTF-8) named, with the path's own text `detail` (CP932) after it.
CJsonPathCheck::Verdict Refused(std::string_view step, std::string_view detail = {}) {
    std::string what = encoding::Utf8ToCp932("JSON パス式の" + std::string(step));
    if (!detail.empty()) what += " " + std::string(detail);
    return {CJsonPathCheck::Outcome::Refused, what};
}

CJsonPathCheck::Verdict Malformed() { return {CJsonPathCheck::Outcome::Malformed, {}}; }

}  // namespace

// A member's name: letters, digits, "_" and "$", or quoted.
bool CJsonPathCheck::Member(std::string_view path, std::size_t& at) {
    if (at < path.size() && path[at] == '"') {
        const std::size_t close = path.find('"', at + 1);
        if (close == std::string_view::npos) return false;
        at = close + 1;
        return true;
    }
    const std::size_t start = at;
    while (at < path.size() && IsKeyByte(path[at])) {
        const auto lead = static_cast<unsigned char>(path[at]);
        // Note: a double-byte character's trail byte may look like "[" or "\\".
        at += (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC) ? 2 : 1;
    }
    at = at > path.size() ? path.size() : at;
    return at > start;
}

CJsonPathCheck::Verdict CJsonPathCheck::Bracket(std::string_view path, std::size_t& at, Reads reads) {
    const std::size_t close = path.find(']', at);
    if (close == std::string_view::npos) return Malformed();
    std::string_view inside = path.substr(at + 1, close - at - 1);
    while (!inside.empty() && inside.front() == ' ') inside.remove_prefix(1);
    while (!inside.empty() && inside.back() == ' ') inside.remove_suffix(1);
    at = close + 1;
    if (inside == "*") return reads != Reads::One ? Verdict{} : Refused("ワイルドカード", "[*]");
    if (inside.empty()) return Malformed();
    bool digits = true;
    for (char c : inside) digits = digits && std::isdigit(static_cast<unsigned char>(c));
    if (digits) return {};
    if (inside.find(',') != std::string_view::npos || inside.find(" to ") != std::string_view::npos)
        return Refused("配列の範囲", "[" + std::string(inside) + "]");
    if (inside.starts_with("last")) return Refused("配列の位置", "[" + std::string(inside) + "]");
    return Malformed();
}

CJsonPathCheck::Verdict CJsonPathCheck::Check(std::string_view path, Reads reads) {
    while (!path.empty() && path.front() == ' ') path.remove_prefix(1);
    while (!path.empty() && path.back() == ' ') path.remove_suffix(1);
    if (path.starts_with("strict ") || path.starts_with("STRICT ")) return Refused("STRICT モード");
    if (path.starts_with("lax ") || path.starts_with("LAX ")) return Refused("LAX の指定");
    if (path.empty() || path[0] != '$') return Malformed();
    std::size_t at = 1;
    while (at < path.size()) {
        if (path[at] == '?') return Refused("フィルタ式", path.substr(at));
        if (path[at] == '[') {
            const std::size_t open = at;
            Verdict verdict = Bracket(path, at, reads);
            // Note: the rows of a path are the elements of its last array.
            if (verdict.outcome == Outcome::Read && reads == Reads::Rows && at < path.size() &&
                path.substr(open, at - open).find('*') != std::string_view::npos)
                return Refused("ワイルドカード", "[*]");
            if (verdict.outcome != Outcome::Read) return verdict;
            continue;
        }
        if (path[at] != '.') return Malformed();
        ++at;
        if (at < path.size() && path[at] == '.') return Refused("子孫のステップ", "..");
        if (at < path.size() && path[at] == '*') {
            if (reads != Reads::Many) return Refused("ワイルドカード", ".*");
            ++at;
            continue;
        }
        const std::size_t name = at;
        if (!Member(path, at)) return Malformed();
        if (at < path.size() && path[at] == '(')
            return Refused("項目メソッド", std::string(path.substr(name, at - name)) + "()");
    }
    return {};
}
