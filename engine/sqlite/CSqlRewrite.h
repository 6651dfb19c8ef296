#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// A statement text with replacements, remembering where every byte came
// from so that an error position in the rewritten text maps back to the
// text the user typed.
class CSqlRewrite {
public:
    explicit CSqlRewrite(std::string_view original) : m_original(original) {}

    // Replaces `length` bytes at `begin` of the original text. Replacements
    // must be added in increasing, non-overlapping order.
    void Replace(std::size_t begin, std::size_t length, std::string_view with);

    std::string Text() const;
    // Offset in the original text of the byte at `offset` of Text(); a byte
    // inside a replacement maps to the start of what it replaced.
    std::size_t MapBack(std::size_t offset) const;

private:
    struct Edit {
        std::size_t begin;
        std::size_t length;
        std::string with;
    };
    std::string m_original;
    std::vector<Edit> m_edits;
};
