#include "engine/sqlite/values/CTextLimit.h"

namespace {

thread_local long t_limit = CTextLimit::kSql;

}  // namespace

long CTextLimit::Bytes() { return t_limit; }

bool CTextLimit::Fits(std::string_view text) {
    // Note: no character takes more bytes in CP932 than in UTF-8.
    return static_cast<long>(text.size()) <= t_limit || Cp932Bytes(text) <= t_limit;
}

long CTextLimit::Cp932Bytes(std::string_view text) {
    long bytes = 0;
    for (std::size_t k = 0; k < text.size(); ++k) {
        auto byte = static_cast<unsigned char>(text[k]);
        if ((byte & 0xC0) == 0x80) continue;
        // ASCII and half-width katakana (U+FF61..U+FF9F: EF BD A1..EF BE 9F)
        // take one byte, the rest two.
        bool halfWidth = byte == 0xEF && k + 2 < text.size() &&
                         ((static_cast<unsigned char>(text[k + 1]) == 0xBD &&
                           static_cast<unsigned char>(text[k + 2]) >= 0xA1) ||
                          (static_cast<unsigned char>(text[k + 1]) == 0xBE &&
                           static_cast<unsigned char>(text[k + 2]) <= 0x9F));
        bytes += byte < 0x80 || halfWidth ? 1 : 2;
    }
    return bytes;
}

CTextLimit::Scope::Scope(long bytes) : m_saved(t_limit) { t_limit = bytes; }

CTextLimit::Scope::~Scope() { t_limit = m_saved; }
