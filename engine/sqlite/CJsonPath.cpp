#include "engine/sqlite/CJsonPath.h"

#include <cctype>

namespace {

bool IsKeyByte(char c) {
    const auto u = static_cast<unsigned char>(c);
    return std::isalnum(u) || c == '_' || c == '$' || u >= 0x80;
}

bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

// The mode word before the path, if any ("lax $.a", "strict $.a").
CJsonPath::Mode TakeMode(std::string_view& path) {
    static constexpr struct {
        std::string_view word;
        CJsonPath::Mode mode;
    } kModes[] = {{"lax ", CJsonPath::Mode::Lax},
                  {"LAX ", CJsonPath::Mode::Lax},
                  {"strict ", CJsonPath::Mode::Strict},
                  {"STRICT ", CJsonPath::Mode::Strict}};
    for (const auto& mode : kModes) {
        if (!path.starts_with(mode.word)) continue;
        path = Trimmed(path.substr(mode.word.size()));
        return mode.mode;
    }
    return CJsonPath::Mode::Default;
}

}  // namespace

// A member's name: letters, digits, "_" and "$", or quoted.
bool CJsonPath::Name(std::string_view path, Encoding encoding, std::size_t& at, std::string& name) {
    if (at < path.size() && path[at] == '"') {
        const std::size_t close = path.find('"', at + 1);
        if (close == std::string_view::npos) return false;
        name = std::string(path.substr(at + 1, close - at - 1));
        at = close + 1;
        return true;
    }
    const std::size_t start = at;
    while (at < path.size() && IsKeyByte(path[at])) {
        // Note: a double-byte character's trail byte may look like "[" or "\\".
        const bool pair = encoding == Encoding::Cp932 && IsLeadByte(static_cast<unsigned char>(path[at]));
        at += pair ? 2 : 1;
    }
    at = at > path.size() ? path.size() : at;
    name = std::string(path.substr(start, at - start));
    return at > start;
}

bool CJsonPath::Bracket(std::string_view path, std::size_t& at, Step& step) {
    const std::size_t close = path.find(']', at);
    if (close == std::string_view::npos) return false;
    const std::string_view inside = Trimmed(path.substr(at + 1, close - at - 1));
    step.text = "[" + std::string(inside) + "]";
    at = close + 1;
    if (inside == "*") {
        step.kind = Kind::AnyElement;
        return true;
    }
    if (inside.empty()) return false;
    if (inside.find_first_not_of("0123456789") == std::string_view::npos) {
        step.kind = Kind::Element;
        // Note: a position beyond any array's stays beyond it.
        constexpr std::size_t kBeyond = static_cast<std::size_t>(1) << 48;
        step.index = 0;
        for (char c : inside)
            step.index =
                step.index >= kBeyond ? kBeyond : step.index * 10 + static_cast<std::size_t>(c - '0');
        return true;
    }
    if (inside.find(',') != std::string_view::npos || inside.find(" to ") != std::string_view::npos) {
        step.kind = Kind::Range;
        return true;
    }
    step.kind = Kind::Last;
    return inside.starts_with("last");
}

// A step after ".": a member, any member, a descendant, or an item method.
bool CJsonPath::Dotted(std::string_view path, Encoding encoding, std::size_t& at, Step& step) {
    ++at;
    if (at < path.size() && path[at] == '.') {
        step.kind = Kind::Descendants;
        step.text = "..";
        at = path.size();
        return true;
    }
    if (at < path.size() && path[at] == '*') {
        step.kind = Kind::AnyMember;
        step.text = ".*";
        ++at;
        return true;
    }
    const bool quoted = at < path.size() && path[at] == '"';
    if (!Name(path, encoding, at, step.name)) return false;
    if (!quoted && at < path.size() && path[at] == '(') {
        const std::size_t close = path.find(')', at);
        step.kind = Kind::Method;
        step.text = step.name + "()";
        at = close == std::string_view::npos ? path.size() : close + 1;
    }
    return true;
}

bool CJsonPath::Read(std::string_view path, Encoding encoding, Mode& mode, std::vector<Step>& steps) {
    path = Trimmed(path);
    mode = TakeMode(path);
    if (path.empty() || path[0] != '$') return false;
    std::size_t at = 1;
    while (at < path.size()) {
        Step step;
        if (path[at] == '?') {
            step.kind = Kind::Filter;
            step.text = std::string(path.substr(at));
            at = path.size();
        } else if (path[at] == '[') {
            if (!Bracket(path, at, step)) return false;
        } else if (path[at] != '.' || !Dotted(path, encoding, at, step)) {
            return false;
        }
        steps.push_back(std::move(step));
    }
    return true;
}
