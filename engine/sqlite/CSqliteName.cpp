#include "engine/sqlite/CSqliteName.h"

#include <vector>

#include "engine/sqlite/CSqlScanner.h"
#include "text/Cp932.h"

namespace {

bool IsLower(char c) { return c >= 'a' && c <= 'z'; }
bool IsUpper(char c) { return c >= 'A' && c <= 'Z'; }

// The quoted names of `text`, each with its quotes.
std::vector<CSqlScanner::Token> QuotedNames(std::string_view text) {
    std::vector<CSqlScanner::Token> names;
    if (text.find('"') == std::string_view::npos) return names;
    for (const CSqlScanner::Token& token : CSqlScanner::Tokenize(text))
        if (token.kind == CSqlScanner::Kind::QuotedName && token.length >= 2) names.push_back(token);
    return names;
}

// `text` with the inside of each quoted name replaced by `change` of it.
template <typename Change>
std::string EachQuotedName(std::string_view text, const std::vector<CSqlScanner::Token>& names,
                           Change change) {
    std::string out;
    std::size_t from = 0;
    for (const CSqlScanner::Token& token : names) {
        out.append(text.substr(from, token.begin + 1 - from));
        out += change(text.substr(token.begin + 1, token.length - 2));
        from = token.begin + token.length - 1;
    }
    out.append(text.substr(from));
    return out;
}

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
    if (!Reserved(spelling)) {
        name.assign(spelling);
        return false;
    }
    std::string out;
    out.reserve(spelling.size());
    for (std::size_t at = 0; at < spelling.size();) {
        const std::size_t length = cp932::CharLength(spelling, at);
        if (spelling[at] == kMark && at + 1 < spelling.size() && IsUpper(spelling[at + 1])) {
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

bool CSqliteName::Reserved(std::string_view name) {
    for (std::size_t at = 0; at < name.size(); at += cp932::CharLength(name, at))
        if (name[at] == kMark && at + 1 < name.size() && IsUpper(name[at + 1])) return true;
    return false;
}

std::string CSqliteName::Quoted(std::string_view name) {
    std::string out = "\"";
    for (char c : Spelling(name)) {
        out += c;
        if (c == '"') out += c;
    }
    return out + "\"";
}

bool CSqliteName::SpellNames(std::string_view text, std::string& out) {
    auto names = QuotedNames(text);
    bool changes = false;
    for (const auto& token : names)
        changes = changes || !IsPlain(text.substr(token.begin + 1, token.length - 2));
    if (!changes) return false;
    out = EachQuotedName(text, names, [](std::string_view name) { return Spelling(name); });
    return true;
}

std::size_t CSqliteName::ReservedAt(std::string_view text) {
    for (const auto& token : QuotedNames(text))
        if (Reserved(text.substr(token.begin + 1, token.length - 2))) return token.begin;
    return std::string_view::npos;
}

std::size_t CSqliteName::TypedOffset(std::string_view typed, std::size_t offset) {
    std::size_t grown = 0;
    for (const auto& token : QuotedNames(typed)) {
        std::string_view name = typed.substr(token.begin + 1, token.length - 2);
        const std::size_t added = Spelling(name).size() - name.size();
        // Note: a byte inside a spelled name is placed at the name.
        if (offset < token.begin + grown + token.length + added)
            return offset < token.begin + grown ? offset - grown : token.begin;
        grown += added;
    }
    return offset - grown;
}

std::string CSqliteName::UnspellNames(std::string_view text) {
    auto names = QuotedNames(text);
    if (names.empty()) return std::string(text);
    return EachQuotedName(text, names, [](std::string_view name) { return NameOf(name); });
}

std::string CSqliteName::Heading(std::string_view heading) {
    if (heading.find(kMark) == std::string_view::npos) return std::string(heading);
    return heading.find('"') != std::string_view::npos ? UnspellNames(heading) : NameOf(heading);
}
