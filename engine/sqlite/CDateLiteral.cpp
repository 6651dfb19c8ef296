#include "engine/sqlite/CDateLiteral.h"

#include "engine/sqlite/CSqlEmitter.h"

int CDateLiteral::Read(std::string_view body, bool timestamp, CDateTime& value) {
    std::size_t fraction = body.find('.');
    int nanos = 0;
    if (timestamp && fraction != std::string_view::npos) {
        std::string_view digits = body.substr(fraction + 1);
        bool ok = !digits.empty() && digits.size() <= 9;
        for (std::size_t k = 0; ok && k < 9; ++k) {
            char c = k < digits.size() ? digits[k] : '0';
            ok = c >= '0' && c <= '9';
            if (ok) nanos = nanos * 10 + (c - '0');
        }
        if (!ok) return 1861;
        body = body.substr(0, fraction);
    }
    bool shapeOk = timestamp ? body.size() >= 10 : body.size() == 10;
    if (!shapeOk || !CDateFormat::ParseStored(body, value) || !CDateFormat::IsValid(value)) return 1861;
    value.nanos = nanos;
    return 0;
}

std::string CDateLiteral::Stored(std::string_view literal, bool timestamp, int& code) {
    code = 0;
    if (literal.size() < 2 || (timestamp && !CSqlEmitter::LiteralZone(literal).empty())) return {};
    CDateTime value;
    code = Read(literal.substr(1, literal.size() - 2), timestamp, value);
    return code == 0 ? CDateFormat::ToStored(value) : std::string();
}
