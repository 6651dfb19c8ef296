#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "interpreter/CTemplateIndex.h"
#include "text/CScriptLines.h"

// Tells whether the lines of a statement, joined with line feeds, fit any
// of a list of Scan patterns, without rescanning what it has already seen:
// each pattern's match is carried forward as lines arrive, so a statement
// of n bytes costs O(n) per pattern over all its lines. Only the patterns
// that may begin as the text does are followed at all, and only when asked:
// lines wait until AnyFits, so a statement that ends at its ";" costs none
// of it.
class CTemplateMatcher {
public:
    explicit CTemplateMatcher(const CScriptLines& patterns);

    void Clear();
    void Append(const std::string& line);
    // True when the lines appended since Clear fit at least one pattern,
    // exactly as CSQLProcessor::Scan would decide on their joined text.
    bool AnyFits();

private:
    enum class State { Running, Fits, Dead };
    struct Progress {
        std::size_t i = 0;       // position in the pattern
        std::size_t j = 0;       // position in the text
        std::size_t search = 0;  // where the search for a field's literal resumes
        State state = State::Running;
    };

    // Follows the patterns over one line, as it arrived.
    void Take(std::string_view line);
    void Advance(std::string_view pattern, Progress& progress) const;
    // Once the text has a byte that is not a blank: the patterns that may
    // begin as it does join the run, from their start.
    void Begin();

    CScriptLines m_patterns;
    CTemplateIndex m_index;
    std::vector<Progress> m_progress;
    // Numbers of the patterns still Running that are followed.
    std::vector<int> m_running;
    std::string m_text;
    // Lines not yet taken, one after another, and the length of each.
    std::string m_pending;
    std::vector<std::size_t> m_pendingLengths;
    bool m_anyFits = false;
    bool m_empty = true;
    bool m_begun = false;
};
