#include "engine/sqlite/CSpelledNumber.h"

#include <cctype>

namespace {

constexpr std::string_view kUnits[] = {"ZERO",    "ONE",     "TWO",       "THREE",    "FOUR",
                                       "FIVE",    "SIX",     "SEVEN",     "EIGHT",    "NINE",
                                       "TEN",     "ELEVEN",  "TWELVE",    "THIRTEEN", "FOURTEEN",
                                       "FIFTEEN", "SIXTEEN", "SEVENTEEN", "EIGHTEEN", "NINETEEN"};
constexpr std::string_view kTens[] = {"",      "",      "TWENTY",  "THIRTY", "FORTY",
                                      "FIFTY", "SIXTY", "SEVENTY", "EIGHTY", "NINETY"};

// 1 to 999.
std::string Hundreds(long long value) {
    std::string out;
    if (value >= 100) {
        out = std::string(kUnits[value / 100]) + " HUNDRED";
        value %= 100;
        if (value == 0) return out;
        out += ' ';
    }
    if (value < 20) return out + std::string(kUnits[value]);
    out += kTens[value / 10];
    if (value % 10 != 0) out += "-" + std::string(kUnits[value % 10]);
    return out;
}

// The ordinal of one number word ("ONE" → "FIRST", "TWENTY" → "TWENTIETH").
std::string OrdinalWord(std::string_view word) {
    static constexpr struct {
        std::string_view cardinal;
        std::string_view ordinal;
    } kIrregular[] = {{"ONE", "FIRST"},    {"TWO", "SECOND"}, {"THREE", "THIRD"},   {"FIVE", "FIFTH"},
                      {"EIGHT", "EIGHTH"}, {"NINE", "NINTH"}, {"TWELVE", "TWELFTH"}};
    for (const auto& row : kIrregular)
        if (row.cardinal == word) return std::string(row.ordinal);
    if (!word.empty() && word.back() == 'Y') return std::string(word.substr(0, word.size() - 1)) + "IETH";
    return std::string(word) + "TH";
}

}  // namespace

std::string CSpelledNumber::Cardinal(long long value) {
    if (value < 0) return "MINUS " + Cardinal(-value);
    if (value == 0) return "ZERO";
    static constexpr struct {
        long long size;
        std::string_view name;
    } kScales[] = {{1000000000LL, "BILLION"}, {1000000LL, "MILLION"}, {1000LL, "THOUSAND"}};
    std::string out;
    for (const auto& scale : kScales) {
        if (value < scale.size) continue;
        out += (out.empty() ? "" : " ") + Cardinal(value / scale.size) + " " + std::string(scale.name);
        value %= scale.size;
    }
    if (value > 0) out += (out.empty() ? "" : " ") + Hundreds(value);
    return out;
}

std::string CSpelledNumber::Ordinal(long long value) {
    std::string words = Cardinal(value);
    const std::size_t last = words.find_last_of(" -");
    const std::size_t start = last == std::string::npos ? 0 : last + 1;
    return words.substr(0, start) + OrdinalWord(std::string_view(words).substr(start));
}

std::string_view CSpelledNumber::Suffix(long long value) {
    const long long last2 = (value < 0 ? -value : value) % 100;
    if (last2 >= 11 && last2 <= 13) return "TH";
    switch (last2 % 10) {
        case 1:
            return "ST";
        case 2:
            return "ND";
        case 3:
            return "RD";
        default:
            return "TH";
    }
}

std::string CSpelledNumber::Year(int year) {
    // Note: a year is said in pairs of digits ("NINETEEN NINETY-EIGHT"), but
    // for the first ten years of a thousand and whole hundreds ("TWO
    // THOUSAND FIVE", "NINETEEN HUNDRED").
    const int high = year / 100;
    const int low = year % 100;
    if (high == 0 || (high % 10 == 0 && low < 10)) return Cardinal(year);
    if (low == 0) return Cardinal(high) + " HUNDRED";
    return Cardinal(high) + " " + Cardinal(low);
}

std::string CSpelledNumber::Cased(std::string text, std::string_view written) {
    auto isLower = [](char c) { return c >= 'a' && c <= 'z'; };
    const bool firstLower = !written.empty() && isLower(written[0]);
    const bool secondLower = written.size() > 1 && isLower(written[1]);
    if (!firstLower && !secondLower) return text;
    bool wordStart = true;
    for (char& c : text) {
        const bool letter = std::isalpha(static_cast<unsigned char>(c)) != 0;
        if (letter && !(wordStart && !firstLower))
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        wordStart = !letter;
    }
    return text;
}
