#include "report/CBreakSet.h"

#include <algorithm>

#include "report/ReportMessages.h"
#include "report/ReportText.h"
#include "text/Cp932.h"

namespace {

using reporttext::IsAbbreviation;

struct FunctionRow {
    const char* word;
    std::size_t abbreviation;
    CBreakSet::Function function;
    const char* label;  // the default label, as the server's console prints it
};

constexpr FunctionRow kFunctions[] = {
    {"SUM", 3, CBreakSet::Function::Sum, "sum"},
    {"AVG", 3, CBreakSet::Function::Avg, "avg"},
    {"COUNT", 3, CBreakSet::Function::Count, "count"},
    {"MINIMUM", 3, CBreakSet::Function::Min, "minimum"},
    {"MAXIMUM", 3, CBreakSet::Function::Max, "maximum"},
    {"NUMBER", 3, CBreakSet::Function::Number, "number"},
    {"STD", 3, CBreakSet::Function::Std, "std"},
    {"VARIANCE", 3, CBreakSet::Function::Variance, "variance"},
};

const FunctionRow* FindFunction(const std::string& word) {
    for (const auto& row : kFunctions)
        if (IsAbbreviation(word, row.word, row.abbreviation)) return &row;
    return nullptr;
}

std::string Upper(const std::string& word, bool quoted) { return quoted ? word : cp932::ToUpperAscii(word); }

}  // namespace

const char* CBreakSet::FunctionName(Function function) {
    for (const auto& row : kFunctions)
        if (row.function == function) return row.label;
    return "";
}

std::vector<std::string> CBreakSet::SetBreaks(std::string_view arguments) {
    std::vector<bool> quoted;
    const auto words = reporttext::Words(arguments, &quoted);
    if (words.empty()) return ListBreaks();
    std::vector<Break> breaks;
    const std::vector<std::string> usage{ReportText(ReportMessage::BreakUsage)};
    for (std::size_t k = 0; k < words.size(); ++k) {
        const std::string word = Upper(words[k], quoted[k]);
        if (word == "ON") {
            if (k + 1 >= words.size()) return usage;
            Break next;
            next.column = Upper(words[k + 1], quoted[k + 1]);
            if (IsAbbreviation(next.column, "REPORT", 3)) next.column = "REPORT";
            breaks.push_back(next);
            ++k;
        } else if (breaks.empty()) {
            return usage;
        } else if (IsAbbreviation(word, "SKIP", 2)) {
            if (k + 1 >= words.size()) return usage;
            ++k;
            const std::string amount = Upper(words[k], quoted[k]);
            if (amount == "PAGE") {
                breaks.back().skipPage = true;
            } else if (!reporttext::ParseInt(amount, 0, 999, breaks.back().skip)) {
                return usage;
            }
        } else if (IsAbbreviation(word, "NODUPLICATES", 5)) {
            breaks.back().noDuplicates = true;
        } else if (IsAbbreviation(word, "DUPLICATES", 3)) {
            breaks.back().noDuplicates = false;
        } else {
            return usage;
        }
    }
    m_breaks = std::move(breaks);
    return {};
}

namespace {

// The order Oracle consoles print computed figures in, whatever the order
// they were named in.
constexpr CBreakSet::Function kPrintOrder[] = {
    CBreakSet::Function::Avg, CBreakSet::Function::Count,    CBreakSet::Function::Min,
    CBreakSet::Function::Max, CBreakSet::Function::Number,   CBreakSet::Function::Sum,
    CBreakSet::Function::Std, CBreakSet::Function::Variance,
};

int PrintRank(CBreakSet::Function function) {
    return static_cast<int>(std::find(std::begin(kPrintOrder), std::end(kPrintOrder), function) -
                            std::begin(kPrintOrder));
}

// Sorts the functions into print order; a function named twice keeps its
// first label.
void InPrintOrder(std::vector<CBreakSet::Computed>& functions) {
    std::stable_sort(functions.begin(), functions.end(), [](const auto& a, const auto& b) {
        return PrintRank(a.function) < PrintRank(b.function);
    });
    functions.erase(std::unique(functions.begin(), functions.end(),
                                [](const auto& a, const auto& b) { return a.function == b.function; }),
                    functions.end());
}

}  // namespace

std::vector<std::string> CBreakSet::SetCompute(std::string_view arguments) {
    std::vector<bool> quoted;
    const auto words = reporttext::Words(arguments, &quoted);
    if (words.empty()) return ListComputes();
    const std::vector<std::string> usage{ReportText(ReportMessage::ComputeUsage)};
    Compute compute;
    std::size_t k = 0;
    for (; k < words.size(); ++k) {
        const std::string word = Upper(words[k], quoted[k]);
        if (word == "OF") break;
        if (IsAbbreviation(word, "LABEL", 3)) {
            if (compute.functions.empty() || k + 1 >= words.size()) return usage;
            compute.functions.back().label = words[++k];
            continue;
        }
        const FunctionRow* row = quoted[k] ? nullptr : FindFunction(word);
        if (row == nullptr) return usage;
        compute.functions.push_back({row->function, row->label});
    }
    if (compute.functions.empty() || k >= words.size()) return usage;
    InPrintOrder(compute.functions);
    for (++k; k < words.size(); ++k) {
        const std::string word = Upper(words[k], quoted[k]);
        if (word == "ON") break;
        compute.of.push_back(word);
    }
    if (compute.of.empty() || k + 1 >= words.size()) return usage;
    // Note: ON may name several breaks; each gets the same figures.
    for (++k; k < words.size(); ++k) {
        compute.on = Upper(words[k], quoted[k]);
        if (IsAbbreviation(compute.on, "REPORT", 3)) compute.on = "REPORT";
        Store(compute);
    }
    return {};
}

void CBreakSet::Store(const Compute& compute) {
    for (auto& existing : m_computes) {
        if (existing.on != compute.on || existing.of != compute.of) continue;
        existing = compute;
        return;
    }
    m_computes.push_back(compute);
}

std::vector<std::string> CBreakSet::ListBreaks() const {
    if (m_breaks.empty()) return {ReportText(ReportMessage::BreakNone)};
    std::string line = "BREAK";
    for (const auto& rule : m_breaks) {
        line += " ON " + rule.column;
        if (rule.skipPage) line += " SKIP PAGE";
        if (rule.skip > 0) line += " SKIP " + std::to_string(rule.skip);
        if (rule.column != "REPORT" && rule.column != "ROW")
            line += rule.noDuplicates ? " NODUPLICATES" : " DUPLICATES";
    }
    return {line};
}

std::vector<std::string> CBreakSet::ListComputes() const {
    if (m_computes.empty()) return {ReportText(ReportMessage::ComputeNone)};
    std::vector<std::string> lines;
    for (const auto& compute : m_computes) {
        std::string line = "COMPUTE";
        for (const auto& f : compute.functions)
            line += std::string(" ") + FunctionName(f.function) + " LABEL " + reporttext::Quoted(f.label);
        line += " OF";
        for (const auto& column : compute.of) line += " " + column;
        line += " ON " + compute.on;
        lines.push_back(std::move(line));
    }
    return lines;
}
