#include "interpreter/CTemplateIndex.h"

#include "interpreter/TextParse.h"

namespace {

// The byte a pattern's match must begin with, or -1 when it begins with a
// field ("%s") or a blank, or is empty.
int AnchorOf(std::string_view pattern) {
    if (pattern.empty() || pattern[0] == ' ' || textparse::IsFieldAt(pattern, 0)) return -1;
    return static_cast<unsigned char>(pattern[0]);
}

}  // namespace

CTemplateIndex::CTemplateIndex(const CScriptLines& patterns) {
    for (std::size_t k = 0; k < patterns.size(); ++k) {
        const int anchor = AnchorOf(patterns[k]);
        const int number = static_cast<int>(k);
        m_anchored.push_back(anchor >= 0);
        if (anchor >= 0) {
            m_byFirst[static_cast<std::size_t>(anchor)].push_back(number);
            continue;
        }
        m_unanchored.push_back(number);
        for (auto& candidates : m_byFirst) candidates.push_back(number);
    }
}

const std::vector<int>& CTemplateIndex::Candidates(std::string_view text) const {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return m_unanchored;
    return m_byFirst[static_cast<unsigned char>(text[first])];
}
