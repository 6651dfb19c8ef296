#include "engine/sqlite/CSqlRewrite.h"

void CSqlRewrite::Replace(std::size_t begin, std::size_t length, std::string_view with) {
    m_edits.push_back(Edit{begin, length, std::string(with)});
}

std::string CSqlRewrite::Text() const {
    std::string out;
    out.reserve(m_original.size() + 16);
    std::size_t at = 0;
    for (const Edit& edit : m_edits) {
        out.append(m_original, at, edit.begin - at);
        out += edit.with;
        at = edit.begin + edit.length;
    }
    out.append(m_original, at, std::string::npos);
    return out;
}

std::size_t CSqlRewrite::MapBack(std::size_t offset) const {
    // delta = (rewritten position) - (original position) before the edit.
    long long delta = 0;
    for (const Edit& edit : m_edits) {
        auto newStart = static_cast<long long>(edit.begin) + delta;
        auto pos = static_cast<long long>(offset);
        if (pos < newStart) return static_cast<std::size_t>(pos - delta);
        if (pos < newStart + static_cast<long long>(edit.with.size())) return edit.begin;
        delta += static_cast<long long>(edit.with.size()) - static_cast<long long>(edit.length);
    }
    return static_cast<std::size_t>(static_cast<long long>(offset) - delta);
}
