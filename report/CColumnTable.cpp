#include "report/CColumnTable.h"

#include "report/ReportMessages.h"
#include "report/ReportText.h"
#include "text/Cp932.h"

namespace {

using Settings = CColumnSettings;

struct JustifyWord {
    const char* word;
    std::size_t abbreviation;
    Settings::Justify justify;
};

constexpr JustifyWord kJustifyWords[] = {
    {"LEFT", 1, Settings::Justify::Left},
    {"CENTER", 1, Settings::Justify::Center},
    {"CENTRE", 1, Settings::Justify::Center},
    {"RIGHT", 1, Settings::Justify::Right},
};

// An option: its word, the shortest abbreviation, whether a value follows,
// and what it does ("" or the line refusing it).
struct ColumnOption {
    const char* word;
    std::size_t abbreviation;
    bool takesValue;
    std::string (*apply)(Settings&, const std::string& value);
};

std::string SetJustify(Settings& s, const std::string& typed) {
    const std::string value = cp932::ToUpperAscii(typed);
    for (const auto& row : kJustifyWords) {
        if (!reporttext::IsAbbreviation(value, row.word, row.abbreviation)) continue;
        s.justify = row.justify;
        return {};
    }
    return ReportText(ReportMessage::ColumnUnknownOption, "JUSTIFY " + value);
}

const ColumnOption kOptions[] = {
    {"FORMAT", 3, true,
     [](Settings& s, const std::string& v) { return s.SetFormat(cp932::ToUpperAscii(v)); }},
    {"HEADING", 3, true,
     [](Settings& s, const std::string& v) {
         s.heading = v;
         return std::string();
     }},
    {"JUSTIFY", 3, true, SetJustify},
    {"NULL", 3, true,
     [](Settings& s, const std::string& v) {
         s.nullText = v;
         return std::string();
     }},
    {"NOPRINT", 5, false,
     [](Settings& s, const std::string&) {
         s.noPrint = true;
         return std::string();
     }},
    {"PRINT", 3, false,
     [](Settings& s, const std::string&) {
         s.noPrint = false;
         return std::string();
     }},
    {"NEW_VALUE", 5, true,
     [](Settings& s, const std::string& v) {
         s.newValue = cp932::ToUpperAscii(v);
         return std::string();
     }},
    {"OLD_VALUE", 5, true,
     [](Settings& s, const std::string& v) {
         s.oldValue = cp932::ToUpperAscii(v);
         return std::string();
     }},
    {"WRAPPED", 3, false,
     [](Settings& s, const std::string&) {
         s.fold = Settings::Fold::Wrapped;
         return std::string();
     }},
    {"WORD_WRAPPED", 3, false,
     [](Settings& s, const std::string&) {
         s.fold = Settings::Fold::WordWrapped;
         return std::string();
     }},
    {"TRUNCATED", 3, false,
     [](Settings& s, const std::string&) {
         s.fold = Settings::Fold::Truncated;
         return std::string();
     }},
    {"ON", 2, false,
     [](Settings& s, const std::string&) {
         s.on = true;
         return std::string();
     }},
    {"OFF", 3, false,
     [](Settings& s, const std::string&) {
         s.on = false;
         return std::string();
     }},
    {"CLEAR", 3, false,
     [](Settings& s, const std::string&) {
         s = Settings();
         return std::string();
     }},
    {"ALIAS", 3, true,
     [](Settings& s, const std::string& v) {
         s.alias = cp932::ToUpperAscii(v);
         return std::string();
     }},
};

const ColumnOption* FindOption(const std::string& word) {
    for (const auto& row : kOptions)
        if (reporttext::IsAbbreviation(word, row.word, row.abbreviation)) return &row;
    return nullptr;
}

}  // namespace

CColumnSettings* CColumnTable::FindEntry(std::string_view key) {
    for (auto& [name, settings] : m_columns)
        if (name == key) return &settings;
    return nullptr;
}

const CColumnSettings* CColumnTable::Find(std::string_view name) const {
    const std::string key = cp932::ToUpperAscii(name);
    const CColumnSettings* byAlias = nullptr;
    for (const auto& [entry, settings] : m_columns) {
        if (!settings.on) continue;
        if (entry == key) return &settings;
        if (byAlias == nullptr && settings.alias == key) byAlias = &settings;
    }
    return byAlias;
}

std::string CColumnTable::ApplyOptions(const std::vector<std::string>& words, const std::vector<bool>& quoted,
                                       std::size_t from, const std::string& name, CColumnSettings& settings) {
    for (std::size_t k = from; k < words.size(); ++k) {
        const std::string word = quoted[k] ? words[k] : cp932::ToUpperAscii(words[k]);
        if (reporttext::IsAbbreviation(word, "LIKE", 3)) {
            if (k + 1 >= words.size()) return ReportText(ReportMessage::ColumnMissingValue, "LIKE");
            const std::string otherName = cp932::ToUpperAscii(words[++k]);
            const CColumnSettings* other = FindEntry(otherName);
            if (other == nullptr) return ReportText(ReportMessage::ColumnNotDefined, otherName);
            const std::string keepAlias = settings.alias;
            settings = *other;
            settings.alias = keepAlias;
            continue;
        }
        const ColumnOption* option = quoted[k] ? nullptr : FindOption(word);
        if (option == nullptr) return ReportText(ReportMessage::ColumnUnknownOption, word);
        std::string value;
        if (option->takesValue) {
            if (k + 1 >= words.size()) return ReportText(ReportMessage::ColumnMissingValue, option->word);
            value = words[++k];
        }
        const std::string refused = option->apply(settings, value);
        if (!refused.empty()) return refused;
    }
    (void)name;
    return {};
}

std::vector<std::string> CColumnTable::Command(std::string_view arguments) {
    std::vector<bool> quoted;
    const std::vector<std::string> words = reporttext::Words(arguments, &quoted);
    if (words.empty()) {
        std::vector<std::string> lines;
        for (const auto& [name, settings] : m_columns) {
            if (!lines.empty()) lines.emplace_back();
            for (auto& line : settings.Describe(name)) lines.push_back(std::move(line));
        }
        return lines;
    }
    const std::string name = cp932::ToUpperAscii(words[0]);
    CColumnSettings* existing = FindEntry(name);
    if (words.size() == 1) {
        if (existing == nullptr) return {ReportText(ReportMessage::ColumnNotDefined, name)};
        return existing->Describe(name);
    }
    // Note: the options apply all or nothing, so a refused option leaves the
    // column as it was.
    CColumnSettings settings = existing != nullptr ? *existing : CColumnSettings();
    const std::string refused = ApplyOptions(words, quoted, 1, name, settings);
    if (!refused.empty()) return {refused};
    if (existing != nullptr)
        *existing = std::move(settings);
    else
        m_columns.emplace_back(name, std::move(settings));
    return {};
}
