#include "text/Encoding.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <stdexcept>

#include "text/Cp932.h"

namespace encoding {
bool IsAscii(std::string_view text) {
    // Eight bytes at a time: any high bit is a byte of 0x80 or more.
    std::size_t at = 0;
    for (; at + 8 <= text.size(); at += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, text.data() + at, sizeof word);
        if ((word & 0x8080808080808080ULL) != 0) return false;
    }
    for (; at < text.size(); ++at)
        if (static_cast<unsigned char>(text[at]) >= 0x80) return false;
    return true;
}

namespace {

// One converter per direction and thread, opened on first use.
class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {
        if (m_cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv: CP932 is not available");
    }
    ~Converter() { iconv_close(m_cd); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Appends to `out` as much as it can convert; on a bad or unconvertible sequence it calls
    // onError(in, left) which must advance past it (returning false stops).
    template <typename OnError>
    bool Run(std::string_view input, std::string& out, OnError onError) {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        out.reserve(out.size() + input.size() * 3 / 2 + 8);
        char* in = const_cast<char*>(input.data());
        size_t left = input.size();
        char buffer[4096];
        while (left > 0) {
            char* dst = buffer;
            size_t room = sizeof buffer;
            size_t rc = iconv(m_cd, &in, &left, &dst, &room);
            out.append(buffer, static_cast<size_t>(dst - buffer));
            if (rc != static_cast<size_t>(-1)) continue;
            if (errno == E2BIG) continue;
            if (!onError(in, left, out)) return false;
        }
        return true;
    }

private:
    iconv_t m_cd;
};

Converter& ToUtf8() {
    thread_local Converter c("UTF-8", "CP932");
    return c;
}
Converter& FromUtf8() {
    thread_local Converter c("CP932", "UTF-8");
    return c;
}

std::size_t Utf8SequenceLength(unsigned char c) {
    if (c < 0x80) return 1;
    if ((c & 0xE0) == 0xC0) return 2;
    if ((c & 0xF0) == 0xE0) return 3;
    if ((c & 0xF8) == 0xF0) return 4;
    return 1;
}

}  // namespace

std::string Cp932ToUtf8(std::string_view cp932) {
    std::string out;
    AppendCp932ToUtf8(cp932, out);
    return out;
}

void AppendCp932ToUtf8(std::string_view cp932, std::string& out) {
    if (IsAscii(cp932)) {
        out.append(cp932);
        return;
    }
    ToUtf8().Run(cp932, out, [](char*& in, size_t& left, std::string& o) {
        o += "\xEF\xBF\xBD";
        ++in;
        --left;
        return true;
    });
}

bool IsCp932(std::string_view cp932) {
    if (IsAscii(cp932)) return true;
    std::string scratch;
    return Cp932ToUtf8Strict(cp932, scratch);
}

bool Cp932ToUtf8Strict(std::string_view cp932, std::string& out) {
    if (IsAscii(cp932)) {
        out.assign(cp932);
        return true;
    }
    out.clear();
    return ToUtf8().Run(cp932, out, [](char*&, size_t&, std::string&) { return false; });
}

std::string Utf8ToCp932(std::string_view utf8, char replacement) {
    if (IsAscii(utf8)) return std::string(utf8);
    std::string out;
    FromUtf8().Run(utf8, out, [replacement](char*& in, size_t& left, std::string& o) {
        size_t n = Utf8SequenceLength(static_cast<unsigned char>(*in));
        if (n > left) n = left;
        o += replacement;
        in += n;
        left -= n;
        return true;
    });
    return out;
}

bool Utf8ToCp932Strict(std::string_view utf8, std::string& out) {
    if (IsAscii(utf8)) {
        out.assign(utf8);
        return true;
    }
    out.clear();
    return FromUtf8().Run(utf8, out, [](char*&, size_t&, std::string&) { return false; });
}

std::size_t Utf8OffsetToCp932(std::string_view cp932, std::size_t utf8Offset) {
    std::size_t utf8Pos = 0;
    std::size_t i = 0;
    while (i < cp932.size() && utf8Pos < utf8Offset) {
        std::size_t n = cp932::CharLength(cp932, i);
        utf8Pos += Cp932ToUtf8(cp932.substr(i, n)).size();
        i += n;
    }
    if (utf8Pos < utf8Offset) i += utf8Offset - utf8Pos;
    return i;
}

void AppendUtf8(char32_t code, std::string& out) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

}  // namespace encoding
