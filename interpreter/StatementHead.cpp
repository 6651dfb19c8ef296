#include "interpreter/StatementHead.h"

#include <algorithm>

#include "interpreter/TextParse.h"
#include "text/Cp932.h"

namespace statementhead {
namespace {

constexpr const char* kQualifiers[] = {"EDITIONABLE", "NONEDITIONABLE", "EDITIONING", "FORCE", "NOFORCE"};

struct EndingRow {
    std::string_view first;
    std::string_view second;  // empty: any
    Ending ending;
};

// Read top-down after ObjectWords; the first row that fits decides.
constexpr EndingRow kEndings[] = {
    {"DECLARE", "", Ending::Slash},
    {"BEGIN", "", Ending::Slash},
    {"FUNCTION", "", Ending::Slash},
    {"PROCEDURE", "", Ending::Slash},
    {"PACKAGE", "", Ending::Slash},
    {"TRIGGER", "", Ending::Slash},
    {"TYPE", "BODY", Ending::Slash},
    {"TYPE", "", Ending::SemicolonOrSlash},
    // A query that declares PL/SQL functions of its own holds their ";".
    {"WITH", "FUNCTION", Ending::Slash},
    {"WITH", "PROCEDURE", Ending::Slash},
};

// Rows that read a statement of its own, not the object of a CREATE.
bool StartsStatement(std::string_view word) { return word == "DECLARE" || word == "BEGIN" || word == "WITH"; }

using textparse::IsWordByte;

bool IsQualifier(const std::string& word) {
    return std::any_of(std::begin(kQualifiers), std::end(kQualifiers),
                       [&](const char* q) { return word == q; });
}

// Index of the first object word after CREATE [OR REPLACE]; 0 when the
// statement is no CREATE.
std::size_t ObjectStart(std::span<const std::string> words) {
    if (words.empty() || words[0] != "CREATE") return 0;
    std::size_t at = 1;
    if (words.size() > 2 && words[1] == "OR" && words[2] == "REPLACE") at = 3;
    return at;
}

}  // namespace

std::string_view NextWord(std::string_view code, std::size_t& i) {
    while (i < code.size() && !IsWordByte(static_cast<unsigned char>(code[i]))) ++i;
    const std::size_t start = i;
    while (i < code.size() && IsWordByte(static_cast<unsigned char>(code[i])))
        i += std::max<std::size_t>(cp932::CharLength(code, i), 1);
    return code.substr(start, i - start);
}

std::size_t SkipLabels(std::string_view code, std::size_t i) {
    for (;;) {
        while (i < code.size() && (code[i] == ' ' || code[i] == '\t' || code[i] == '\n' || code[i] == '\r'))
            ++i;
        if (code.substr(i, 2) != "<<") return i;
        const std::size_t close = code.find(">>", i + 2);
        if (close == std::string_view::npos) return i;
        i = close + 2;
    }
}

std::vector<std::string> FirstWords(std::string_view code, std::size_t count) {
    std::vector<std::string> words;
    // Note: a block's labels (<<name>>) come before its first word.
    std::size_t i = SkipLabels(code, 0);
    while (i < code.size() && words.size() < count) {
        const std::string_view word = NextWord(code, i);
        if (!word.empty()) words.push_back(cp932::ToUpper(word));
    }
    return words;
}

std::vector<std::string> ObjectWords(std::span<const std::string> words) {
    const std::size_t start = ObjectStart(words);
    if (start == 0) return {words.begin(), words.end()};
    std::vector<std::string> out;
    for (std::size_t k = start; k < words.size(); ++k)
        if (!(out.empty() && IsQualifier(words[k]))) out.push_back(words[k]);
    return out;
}

Ending EndingOf(std::span<const std::string> words) {
    const bool create = !words.empty() && words[0] == "CREATE";
    const std::vector<std::string> objectWords = create ? ObjectWords(words) : std::vector<std::string>();
    const std::span<const std::string> object = create ? objectWords : words;
    if (object.empty()) return Ending::Semicolon;
    for (const auto& row : kEndings) {
        if (object[0] != row.first) continue;
        if (StartsStatement(row.first) == create) continue;
        if (!row.second.empty() && (object.size() < 2 || object[1] != row.second)) continue;
        return row.ending;
    }
    return Ending::Semicolon;
}

std::string BlankQualifiers(std::string copy) {
    // Note: a block is told by its first word, after its labels.
    const std::size_t unlabelled = SkipLabels(copy, 0);
    std::fill_n(copy.begin(), static_cast<std::ptrdiff_t>(unlabelled), ' ');
    // Note: the copy is upper-cased already, so its words are compared as they stand.
    std::size_t end = 0;
    if (NextWord(copy, end) != "CREATE") return copy;
    const std::vector<std::string> words = FirstWords(copy, 5);
    std::size_t start = ObjectStart(words);
    if (start == 0) return copy;
    // Walk the same words in the copy to find where the qualifier stands.
    std::size_t i = 0;
    for (std::size_t k = 0; k < words.size(); ++k) {
        while (i < copy.size() && !IsWordByte(static_cast<unsigned char>(copy[i]))) ++i;
        if (k >= start && IsQualifier(words[k])) {
            std::fill_n(copy.begin() + static_cast<std::ptrdiff_t>(i), words[k].size(), ' ');
            return copy;
        }
        if (k >= start) return copy;
        i += words[k].size();
    }
    return copy;
}

bool IsSlashLine(std::string_view line) {
    const std::size_t first = line.find_first_not_of(" \t");
    return first != std::string_view::npos && line[first] == '/' &&
           line.find_first_not_of(" \t", first + 1) == std::string_view::npos;
}

}  // namespace statementhead
