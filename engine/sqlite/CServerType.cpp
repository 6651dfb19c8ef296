#include "engine/sqlite/CServerType.h"

#include <cstdlib>
#include <vector>

#include "engine/EngineTypes.h"

namespace {

// A number of the declaration and the word it follows.
struct Argument {
    std::string word;
    long value = 0;
};

struct Declaration {
    std::string words;  // upper case, joined by one blank
    std::vector<Argument> arguments;
};

Declaration Read(std::string_view text) {
    Declaration out;
    std::string word;
    std::string last;
    auto endWord = [&] {
        if (word.empty()) return;
        out.words += (out.words.empty() ? "" : " ") + word;
        last = word;
        word.clear();
    };
    for (std::size_t k = 0; k < text.size(); ++k) {
        char c = text[k];
        // Note: a digit within a word is the word's (NVARCHAR2).
        if (c >= '0' && c <= '9' && word.empty()) {
            char* end = nullptr;
            long value = std::strtol(text.data() + k, &end, 10);
            endWord();
            out.arguments.push_back({last, value});
            k = static_cast<std::size_t>(end - text.data()) - 1;
        } else if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
            word += static_cast<char>(c >= 'a' ? c - 'a' + 'A' : c);
        } else {
            endWord();
        }
    }
    endWord();
    return out;
}

// The `index`th number that follows `word`; `fallback` when there is none.
long ArgumentOf(const Declaration& d, std::string_view word, std::size_t index, long fallback) {
    std::size_t seen = 0;
    for (const Argument& argument : d.arguments)
        if (argument.word == word && seen++ == index) return argument.value;
    return fallback;
}

constexpr long kDefaultLeading = 2;
constexpr long kDefaultFraction = 6;
constexpr long kUrowidSize = 4000;

void Interval(const Declaration& d, bool days, CServerType::Shape& out) {
    if (!days) {
        // INTERVAL YEAR(p) TO MONTH; SQLite's form puts p after MONTH.
        long leading = ArgumentOf(d, "YEAR", 0, ArgumentOf(d, "MONTH", 0, kDefaultLeading));
        out.name = "INTERVAL YEAR(" + std::to_string(leading) + ") TO MONTH";
        out.serverType = servertype::kIntervalYm;
        out.length = 5;
        out.precision = static_cast<int>(leading);
        out.scale = 0;
        out.width = leading + 4;
        return;
    }
    // Note: SQLite's form carries both numbers after SECOND, the leading first.
    long leading = ArgumentOf(d, "DAY", 0, kDefaultLeading);
    long fraction = ArgumentOf(d, "SECOND", 0, kDefaultFraction);
    if (ArgumentOf(d, "SECOND", 1, -1) >= 0) {
        leading = fraction;
        fraction = ArgumentOf(d, "SECOND", 1, kDefaultFraction);
    }
    out.name = "INTERVAL DAY(" + std::to_string(leading) + ") TO SECOND(" + std::to_string(fraction) + ")";
    out.serverType = servertype::kIntervalDs;
    out.length = 11;
    out.precision = static_cast<int>(leading);
    out.scale = static_cast<int>(fraction);
    out.width = leading + 10 + (fraction > 0 ? fraction + 1 : 0);
}

}  // namespace

bool CServerType::Describe(std::string_view declared, Shape& out) {
    const Declaration d = Read(declared);
    out = Shape{};
    if (d.words == "INTERVAL YEAR TO MONTH" || d.words == "INTERVAL DAY TO SECOND") {
        Interval(d, d.words == "INTERVAL DAY TO SECOND", out);
        return true;
    }
    const long first = d.arguments.empty() ? -1 : d.arguments[0].value;
    if (d.words == "ROWID") {
        out = {"ROWID", servertype::kRowid, 10, -1, -1, 18, 0, false};
    } else if (d.words == "UROWID") {
        long size = first > 0 ? first : kUrowidSize;
        out = {"UROWID", servertype::kUrowid, size, -1, -1, size, 0, false};
    } else if (d.words == "BINARY FLOAT") {
        out = {"BINARY_FLOAT", servertype::kBinaryFloat, 4, -1, -1, 0, 0, false};
    } else if (d.words == "BINARY DOUBLE") {
        out = {"BINARY_DOUBLE", servertype::kBinaryDouble, 8, -1, -1, 0, 0, false};
    } else if (d.words == "LONG RAW") {
        out = {"LONG RAW", servertype::kLongRaw, 0, -1, -1, 0, 0, false};
    } else if (d.words == "NCHAR" || d.words == "NVARCHAR2") {
        // Note: the national character set is AL16UTF16, two bytes a character.
        long characters = first > 0 ? first : 1;
        bool fixed = d.words == "NCHAR";
        out = {d.words,
               fixed ? servertype::kChar : servertype::kVarchar2,
               2 * characters,
               -1,
               -1,
               2 * characters,
               characters,
               true};
    } else if (d.words == "FLOAT") {
        out = {"FLOAT", servertype::kNumber, 22, static_cast<int>(first > 0 ? first : 126), -1, 0, 0, false};
    } else if (d.words == "REAL" || d.words == "DOUBLE PRECISION") {
        // The ANSI names of FLOAT(63) and FLOAT(126).
        out = {"FLOAT", servertype::kNumber, 22, d.words == "REAL" ? 63 : 126, -1, 0, 0, false};
    } else {
        return false;
    }
    return true;
}
