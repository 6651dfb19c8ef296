#pragma once

#include <string>
#include <string_view>
#include <vector>

// The BREAK and COMPUTE settings of a console.
class CBreakSet {
public:
    enum class Function { Sum, Avg, Count, Min, Max, Number, Std, Variance };

    struct Break {
        std::string column;  // upper case; "REPORT" or "ROW" for those
        int skip = 0;
        bool skipPage = false;
        bool noDuplicates = true;
    };

    struct Computed {
        Function function;
        std::string label;
    };

    struct Compute {
        std::vector<Computed> functions;
        std::vector<std::string> of;  // upper case
        std::string on;               // upper case; "REPORT" for the end
    };

    // BREAK with the text after the command word: "" lists the breaks;
    // otherwise they replace the ones set. The answering lines.
    std::vector<std::string> SetBreaks(std::string_view arguments);
    // COMPUTE likewise; a COMPUTE of the same columns on the same break
    // replaces the earlier one.
    std::vector<std::string> SetCompute(std::string_view arguments);
    void ClearBreaks() { m_breaks.clear(); }
    void ClearComputes() { m_computes.clear(); }

    const std::vector<Break>& Breaks() const { return m_breaks; }
    const std::vector<Compute>& Computes() const { return m_computes; }
    bool IsEmpty() const { return m_breaks.empty() && m_computes.empty(); }

    static const char* FunctionName(Function function);

private:
    std::vector<Break> m_breaks;
    std::vector<Compute> m_computes;

    // Adds `compute`, or replaces the one of the same columns on the same break.
    void Store(const Compute& compute);
    std::vector<std::string> ListBreaks() const;
    std::vector<std::string> ListComputes() const;
};
