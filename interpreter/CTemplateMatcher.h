#pragma once

#include <string>
#include <vector>

#include "text/CScriptLines.h"

// Tells whether the lines of a statement, joined with line feeds, fit any
// of a list of Scan patterns, without rescanning what it has already seen:
// each pattern's match is carried forward as lines arrive, so a statement
// of n bytes costs O(n) per pattern over all its lines.
class CTemplateMatcher {
public:
    explicit CTemplateMatcher(const CScriptLines& patterns);

    void Clear();
    void Append(const std::string& line);
    // True when the lines appended since Clear fit at least one pattern,
    // exactly as CSQLProcessor::Scan would decide on their joined text.
    bool AnyFits() const { return m_anyFits; }

private:
    enum class State { Running, Fits, Dead };
    struct Progress {
        std::size_t i = 0;       // position in the pattern
        std::size_t j = 0;       // position in the text
        std::size_t search = 0;  // where the search for a field's literal resumes
        State state = State::Running;
    };

    void Advance(const std::string& pattern, Progress& progress) const;

    CScriptLines m_patterns;
    std::vector<Progress> m_progress;
    std::string m_text;
    bool m_anyFits = false;
    bool m_empty = true;
};
