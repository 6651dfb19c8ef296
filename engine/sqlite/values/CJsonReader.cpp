#include "engine/sqlite/values/CJsonReader.h"

#include <cctype>

#include "text/Encoding.h"

void CJsonReader::Blanks() {
    while (m_at < m_text.size() &&
           (m_text[m_at] == ' ' || m_text[m_at] == '\t' || m_text[m_at] == '\n' || m_text[m_at] == '\r'))
        ++m_at;
}

bool CJsonReader::AtEnd() {
    Blanks();
    return m_at >= m_text.size();
}

char CJsonReader::Peek() {
    Blanks();
    return m_at < m_text.size() ? m_text[m_at] : '\0';
}

bool CJsonReader::Accept(char c) {
    if (Peek() != c) return false;
    ++m_at;
    return true;
}

bool CJsonReader::Value(std::string_view& out) {
    Blanks();
    const std::size_t start = m_at;
    if (!Skip()) return false;
    out = m_text.substr(start, m_at - start);
    return true;
}

bool CJsonReader::String(std::string& out) {
    if (!Accept('"')) return false;
    while (m_at < m_text.size() && m_text[m_at] != '"') {
        char c = m_text[m_at++];
        if (c != '\\') {
            out += c;
            continue;
        }
        if (m_at >= m_text.size()) return false;
        c = m_text[m_at++];
        static constexpr std::string_view kFrom = "\"\\/bfnrt";
        static constexpr std::string_view kTo = "\"\\/\b\f\n\r\t";
        if (std::size_t k = kFrom.find(c); k != std::string_view::npos) {
            out += kTo[k];
            continue;
        }
        if (c != 'u' || !Unicode(out)) return false;
    }
    if (m_at >= m_text.size()) return false;
    ++m_at;
    return true;
}

namespace {

// A number as JSON writes one, or true, false or null.
bool IsAtom(std::string_view atom) {
    if (atom == "true" || atom == "false" || atom == "null") return true;
    std::size_t at = atom.starts_with("-") ? 1 : 0;
    auto digits = [&] {
        const std::size_t start = at;
        while (at < atom.size() && atom[at] >= '0' && atom[at] <= '9') ++at;
        return at > start;
    };
    if (at < atom.size() && atom[at] == '0')
        ++at;
    else if (!digits())
        return false;
    if (at < atom.size() && atom[at] == '.' && (++at, !digits())) return false;
    if (at < atom.size() && (atom[at] == 'e' || atom[at] == 'E')) {
        ++at;
        if (at < atom.size() && (atom[at] == '+' || atom[at] == '-')) ++at;
        if (!digits()) return false;
    }
    return at == atom.size();
}

bool IsBareName(std::string_view name) {
    if (name.empty() || (name[0] >= '0' && name[0] <= '9')) return false;
    for (char c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '$') return false;
    return true;
}

}  // namespace

std::string_view CJsonReader::Word() {
    Blanks();
    const std::size_t start = m_at;
    while (m_at < m_text.size() &&
           std::string_view(",:]} \t\r\n").find(m_text[m_at]) == std::string_view::npos)
        ++m_at;
    return m_text.substr(start, m_at - start);
}

bool CJsonReader::Atom(std::string_view& out) {
    out = Word();
    return IsAtom(out);
}

bool CJsonReader::BareName(std::string_view& out) {
    out = Word();
    return IsBareName(out);
}

bool CJsonReader::Hex(unsigned& out) {
    if (m_at + 4 > m_text.size()) return false;
    out = 0;
    for (int k = 0; k < 4; ++k) {
        const char c = m_text[m_at++];
        const int digit = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : -1;
        if (digit < 0) return false;
        out = out * 16 + static_cast<unsigned>(digit);
    }
    return true;
}

bool CJsonReader::Unicode(std::string& out) {
    unsigned code = 0;
    if (!Hex(code)) return false;
    if (code >= 0xD800 && code < 0xDC00 && m_text.substr(m_at, 2) == "\\u") {
        m_at += 2;
        unsigned low = 0;
        if (!Hex(low)) return false;
        code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
    }
    encoding::AppendUtf8(static_cast<char32_t>(code), out);
    return true;
}

bool CJsonReader::Skip() {
    const char c = Peek();
    if (c == '"') {
        std::string ignored;
        return String(ignored);
    }
    if (c == '{' || c == '[') {
        const char close = c == '{' ? '}' : ']';
        ++m_at;
        if (Accept(close)) return true;
        do {
            if (c == '{') {
                std::string key;
                if (!String(key) || !Accept(':')) return false;
            }
            if (!Skip()) return false;
        } while (Accept(','));
        return Accept(close);
    }
    std::string_view atom;
    return Atom(atom);
}
