#include "engine/sqlite/CTypedText.h"

#include <functional>

#include "engine/sqlite/CSqlScanner.h"
#include "engine/sqlite/CSqliteName.h"
#include "text/Cp932.h"

namespace {

thread_local CTypedText::Scope* t_innermost = nullptr;

bool Kept(CSqlScanner::Kind kind) {
    return kind == CSqlScanner::Kind::String || kind == CSqlScanner::Kind::QuotedName;
}

}  // namespace

bool CTypedText::NeedsUpper(std::string_view text) {
    for (char c : text)
        if ((c >= 'a' && c <= 'z') || static_cast<unsigned char>(c) >= 0x80) return true;
    return false;
}

std::string CTypedText::UpperWords(std::string_view text) {
    if (!NeedsUpper(text)) return std::string(text);
    std::string spelled;
    if (CSqliteName::SpellNames(text, spelled)) return UpperWords(spelled);
    std::string out = cp932::ToUpper(text);
    for (const CSqlScanner::Token& token : CSqlScanner::Tokenize(text))
        if (Kept(token.kind)) out.replace(token.begin, token.length, text.substr(token.begin, token.length));
    return out;
}

CTypedText::Scope::Scope(std::string_view upper, std::string_view typed)
    : m_upper(upper), m_typed(typed), m_outer(t_innermost) {
    // Note: the upper-case text has its quoted names spelled; so has the
    // typed one the scope reads pieces of, byte for byte.
    if (CSqliteName::SpellNames(typed, m_spelled)) m_typed = m_spelled;
    t_innermost = this;
}

CTypedText::Scope::~Scope() { t_innermost = m_outer; }

std::string CTypedText::Typed(std::string_view piece) {
    for (const Scope* scope = t_innermost; scope != nullptr; scope = scope->m_outer) {
        if (scope->m_typed.size() != scope->m_upper.size()) continue;
        const char* begin = scope->m_upper.data();
        const char* end = begin + scope->m_upper.size();
        std::size_t at = std::string_view::npos;
        if (std::less_equal<const char*>()(begin, piece.data()) &&
            std::less_equal<const char*>()(piece.data() + piece.size(), end))
            at = static_cast<std::size_t>(piece.data() - begin);
        else
            at = scope->m_upper.find(piece);
        if (at != std::string_view::npos) return std::string(scope->m_typed.substr(at, piece.size()));
    }
    return std::string(piece);
}
