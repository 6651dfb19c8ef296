#pragma once

#include <array>
#include <string_view>
#include <vector>

#include "text/CScriptLines.h"

// Which Scan patterns may fit a text, told by the text's first byte that is
// not a blank: a pattern that begins with a literal byte fits only a text
// whose first non-blank byte is that byte. Patterns that begin with a field
// or a blank are candidates for every text.
class CTemplateIndex {
public:
    explicit CTemplateIndex(const CScriptLines& patterns);

    // Numbers of the patterns that may fit `text`, ascending.
    const std::vector<int>& Candidates(std::string_view text) const;
    // True when pattern `number` begins with a literal byte.
    bool IsAnchored(int number) const { return m_anchored[static_cast<std::size_t>(number)]; }

private:
    std::array<std::vector<int>, 256> m_byFirst;
    std::vector<int> m_unanchored;
    std::vector<bool> m_anchored;
};
