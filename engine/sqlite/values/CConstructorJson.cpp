#include "engine/sqlite/values/CConstructorJson.h"

#include <cstdio>

namespace {

// Objects hold one another by value, never in a cycle; a deeper text is no
// constructor the engine wrote.
constexpr int kDeepest = 64;

bool IsNameChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '$' || c == '#' || c == '"' || c == '.' || static_cast<unsigned char>(c) >= 0x80;
}

bool IsBareChar(char c) { return (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'E'; }

void AppendEscaped(std::string& json, char c) {
    if (c == '"' || c == '\\') {
        json += '\\';
        json += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
        json += escaped;
    } else {
        json += c;
    }
}

}  // namespace

bool CConstructorJson::ToJson(std::string_view text, std::string& json) {
    std::string made;
    std::size_t at = 0;
    SkipBlanks(text, at);
    if (!Constructor(text, at, made, 0)) return false;
    SkipBlanks(text, at);
    if (at != text.size()) return false;
    json = std::move(made);
    return true;
}

void CConstructorJson::SkipBlanks(std::string_view text, std::size_t& at) {
    while (at < text.size() && (text[at] == ' ' || text[at] == '\n' || text[at] == '\t' || text[at] == '\r'))
        ++at;
}

bool CConstructorJson::Constructor(std::string_view text, std::size_t& at, std::string& json, int depth) {
    if (depth > kDeepest) return false;
    std::size_t begin = at;
    while (at < text.size() && IsNameChar(text[at])) ++at;
    if (at == begin || at >= text.size() || text[at] != '(') return false;
    ++at;
    json += '[';
    SkipBlanks(text, at);
    if (at < text.size() && text[at] == ')') {
        ++at;
        json += ']';
        return true;
    }
    for (bool first = true;; first = false) {
        if (!first) json += ',';
        SkipBlanks(text, at);
        if (!Value(text, at, json, depth)) return false;
        SkipBlanks(text, at);
        if (at >= text.size()) return false;
        if (text[at++] == ')') break;
        if (text[at - 1] != ',') return false;
    }
    json += ']';
    return true;
}

bool CConstructorJson::Value(std::string_view text, std::size_t& at, std::string& json, int depth) {
    if (at >= text.size()) return false;
    if (text[at] == '\'') return Quoted(text, at, json);
    if (text.compare(at, 4, "NULL") == 0 && (at + 4 >= text.size() || !IsNameChar(text[at + 4]))) {
        at += 4;
        json += "null";
        return true;
    }
    std::size_t begin = at;
    while (at < text.size() && IsBareChar(text[at])) ++at;
    // Note: a number is kept as its digits, as the engine keeps an attribute's number.
    if (at > begin && (at >= text.size() || text[at] == ',' || text[at] == ')' || text[at] == ' ')) {
        json += '"';
        json.append(text.substr(begin, at - begin));
        json += '"';
        return true;
    }
    at = begin;
    return Constructor(text, at, json, depth + 1);
}

bool CConstructorJson::Quoted(std::string_view text, std::size_t& at, std::string& json) {
    json += '"';
    for (++at; at < text.size(); ++at) {
        if (text[at] == '\'') {
            if (at + 1 < text.size() && text[at + 1] == '\'') {
                json += '\'';
                ++at;
                continue;
            }
            ++at;
            json += '"';
            return true;
        }
        AppendEscaped(json, text[at]);
    }
    return false;
}
