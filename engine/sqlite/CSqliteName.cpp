#include "engine/sqlite/CSqliteName.h"

#include "text/Cp932.h"

namespace {

bool IsLower(char c) { return c >= 'a' && c <= 'z'; }
bool IsUpper(char c) { return c >= 'A' && c <= 'Z'; }

}  // namespace

bool CSqliteName::IsPlain(std::string_view name) {
    for (std::size_t at = 0; at < name.size(); at += cp932::CharLength(name, at))
        if (IsLower(name[at])) return false;
    return true;
}

std::string CSqliteName::Spelling(std::string_view name) {
    if (IsPlain(name)) return std::string(name);
    std::string out;
    out.reserve(name.size() * 2);
    for (std::size_t at = 0; at < name.size();) {
        const std::size_t length = cp932::CharLength(name, at);
        if (IsLower(name[at])) {
            out += kMark;
            out += static_cast<char>(name[at] - 'a' + 'A');
        } else {
            out.append(name.substr(at, length));
        }
        at += length;
    }
    return out;
}

bool CSqliteName::NameOf(std::string_view spelling, std::string& name) {
    name.assign(spelling);
    std::string out;
    out.reserve(spelling.size());
    for (std::size_t at = 0; at < spelling.size();) {
        const std::size_t length = cp932::CharLength(spelling, at);
        const char c = spelling[at];
        if (IsLower(c)) return false;
        if (c == kMark) {
            if (at + 1 >= spelling.size() || !IsUpper(spelling[at + 1])) return false;
            out += static_cast<char>(spelling[at + 1] - 'A' + 'a');
            at += 2;
            continue;
        }
        out.append(spelling.substr(at, length));
        at += length;
    }
    name = std::move(out);
    return true;
}

std::string CSqliteName::NameOf(std::string_view spelling) {
    std::string name;
    NameOf(spelling, name);
    return name;
}

std::string CSqliteName::Quoted(std::string_view name) {
    std::string out = "\"";
    for (char c : Spelling(name)) {
        out += c;
        if (c == kMark) out += c;
    }
    return out + "\"";
}
