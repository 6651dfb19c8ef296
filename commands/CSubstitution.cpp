#include "commands/CSubstitution.h"

#include "interpreter/TextParse.h"
#include "text/Cp932.h"

namespace {

// The end of the name that starts at `from`.
// Note: a name is single-byte only, so Japanese text written right after a
// reference ("&1件") is not taken into its name.
std::size_t NameEnd(std::string_view text, std::size_t from) {
    std::size_t at = from;
    while (at < text.size()) {
        const unsigned char c = static_cast<unsigned char>(text[at]);
        if (c >= 0x80 || !textparse::IsWordByte(c)) break;
        ++at;
    }
    return at;
}

}  // namespace

bool CSubstitution::Find(std::string_view text, const Rules& rules, const Resolver& resolve,
                         std::vector<Edit>& edits, std::string* missing) {
    edits.clear();
    if (rules.prefix == 0) return true;
    std::size_t growth = 0;
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (rules.escape != 0 && c == rules.escape && i + 1 < text.size() && text[i + 1] == rules.prefix) {
            edits.push_back({i, 1, std::string()});
            i += 2;
            continue;
        }
        if (c != rules.prefix) {
            i += cp932::CharLength(text, i);
            continue;
        }
        const bool keep = i + 1 < text.size() && text[i + 1] == rules.prefix;
        const std::size_t nameStart = i + (keep ? 2 : 1);
        const std::size_t nameEnd = NameEnd(text, nameStart);
        if (nameEnd == nameStart) {
            i = nameStart;
            continue;
        }
        std::size_t end = nameEnd;
        if (rules.concat != 0 && end < text.size() && text[end] == rules.concat) ++end;
        const std::string name(text.substr(nameStart, nameEnd - nameStart));
        std::string value;
        if (!resolve(name, keep, value)) {
            if (missing == nullptr) {
                i = end;
                continue;
            }
            *missing = name;
            return false;
        }
        growth += value.size();
        // Note: past the bound the remaining references stay as typed.
        if (growth > kMaxGrowth) return true;
        edits.push_back({i, end - i, std::move(value)});
        i = end;
    }
    return true;
}

std::string CSubstitution::Apply(std::string_view text, const std::vector<Edit>& edits) {
    std::string out;
    std::size_t from = 0;
    for (const auto& edit : edits) {
        out.append(text.substr(from, edit.start - from));
        out += edit.value;
        from = edit.start + edit.length;
    }
    out.append(text.substr(std::min(from, text.size())));
    return out;
}
