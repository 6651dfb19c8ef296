#include "text/CScriptLines.h"

std::string CScriptLines::Join() const {
    std::string out;
    std::size_t total = 0;
    for (const auto& line : *this) total += line.size() + 1;
    out.reserve(total);
    for (std::size_t i = 0; i < size(); ++i) {
        if (i > 0) out += '\n';
        out += (*this)[i];
    }
    return out;
}
