#include "commands/CDefineCommand.h"

#include "interpreter/CSqlLexer.h"
#include "text/Cp932.h"

namespace {

// How much substitution may add to a statement.
constexpr std::size_t kMaxSubstitutedGrowth = 16 * 1024 * 1024;

}  // namespace

CScriptLines CDefineCommand::Run(CCommandContext&, const CCommandArgs& args) {
    return Define(args.Arg(0), args.Arg(1));
}

CScriptLines CDefineCommand::Define(const std::string& name, const std::string& value) {
    m_defines.SetAt(name, value);
    return {};
}

// Note: quoted text keeps its case, and a reference is found whatever its
// case (an &name inside quotes is still replaced); positions do not move
// with the upper-casing, only with the values put in.
std::string CDefineCommand::Substitute(const std::string& statement, bool upper) const {
    std::string text = upper ? CSqlLexer::UpperOutsideQuotes(statement) : statement;
    const std::size_t limit = text.size() + kMaxSubstitutedGrowth;
    CScriptLines names;
    m_defines.GetKeys(names);
    for (const auto& name : names) {
        const std::string reference = "&" + name;
        const std::string value = m_defines.Lookup(name);
        const std::string search = cp932::ToUpper(text);
        std::string out;
        std::size_t from = 0;
        for (std::size_t at = search.find(reference); at != std::string::npos;
             at = search.find(reference, from)) {
            // Note: values that name each other can double the text with
            // every row; past the limit the remaining references stay as
            // typed.
            const std::size_t grown =
                out.size() + (at - from) + value.size() + (text.size() - at - reference.size());
            if (grown > limit) break;
            out.append(text, from, at - from);
            out += value;
            from = at + reference.size();
        }
        out.append(text, from, std::string::npos);
        text = std::move(out);
    }
    return text;
}
