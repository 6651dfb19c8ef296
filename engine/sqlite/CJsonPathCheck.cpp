#include "engine/sqlite/CJsonPathCheck.h"

#include <vector>

#include "text/Encoding.h"

namespace {

// `step` (UTF-8) named, with the path's own text `detail` (CP932) after it.
CJsonPathCheck::Verdict Refused(std::string_view step, std::string_view detail = {}) {
    std::string what = encoding::Utf8ToCp932("JSON パス式の" + std::string(step));
    if (!detail.empty()) what += " " + std::string(detail);
    return {CJsonPathCheck::Outcome::Refused, what};
}

}  // namespace

CJsonPathCheck::Verdict CJsonPathCheck::Step(const CJsonPath::Step& step, Reads reads) {
    using Kind = CJsonPath::Kind;
    // Note: the steps no path reads, each with the name it is refused by.
    static constexpr struct {
        Kind kind;
        const char* name;
    } kRefused[] = {{Kind::Filter, "フィルタ式"},
                    {Kind::Method, "項目メソッド"},
                    {Kind::Range, "配列の範囲"},
                    {Kind::Last, "配列の位置"},
                    {Kind::Descendants, "子孫のステップ"}};
    for (const auto& refused : kRefused)
        if (step.kind == refused.kind) return Refused(refused.name, step.text);
    const bool wildcard = step.kind == Kind::AnyMember || step.kind == Kind::AnyElement;
    if (wildcard && reads == Reads::One) return Refused("ワイルドカード", step.text);
    return {};
}

CJsonPathCheck::Verdict CJsonPathCheck::Check(std::string_view path, Reads reads) {
    CJsonPath::Mode mode = CJsonPath::Mode::Default;
    std::vector<CJsonPath::Step> steps;
    const bool read = CJsonPath::Read(path, CJsonPath::Encoding::Cp932, mode, steps);
    if (mode == CJsonPath::Mode::Strict) return Refused("STRICT モード");
    // Note: the steps up to a fault are judged first, as the text is read.
    for (const CJsonPath::Step& step : steps)
        if (Verdict verdict = Step(step, reads); verdict.outcome != Outcome::Read) return verdict;
    if (!read) return {Outcome::Malformed, {}};
    return {};
}
