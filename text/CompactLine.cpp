#include "text/CompactLine.h"

namespace compactline {
namespace {

void AppendCount(std::string& encoded, std::size_t count) {
    encoded += '\0';
    do {
        const auto low = static_cast<unsigned char>(count & 0x7F);
        count >>= 7;
        encoded += static_cast<char>(count != 0 ? (low | 0x80) : low);
    } while (count != 0);
}

// Reads the length after the NUL at `at`; `at` moves past it. A length cut
// off at the end of the line reads as what was read.
std::size_t ReadCount(std::string_view encoded, std::size_t& at) {
    std::size_t count = 0;
    int shift = 0;
    for (++at; at < encoded.size() && shift < 63; shift += 7) {
        const auto byte = static_cast<unsigned char>(encoded[at++]);
        count |= static_cast<std::size_t>(byte & 0x7F) << shift;
        if ((byte & 0x80) == 0) break;
    }
    return count;
}

template <typename Visit>
void Walk(std::string_view encoded, Visit visit) {
    std::size_t at = 0;
    while (at < encoded.size()) {
        const std::size_t nul = encoded.find('\0', at);
        const std::size_t end = nul == std::string_view::npos ? encoded.size() : nul;
        visit(encoded.substr(at, end - at), std::size_t{0});
        if (nul == std::string_view::npos) return;
        at = nul;
        const std::size_t count = ReadCount(encoded, at);
        if (count == 0)
            visit(std::string_view("\0", 1), std::size_t{0});
        else
            visit(std::string_view(), count);
    }
}

// Note: a plain loop; find_first_of searches its set once per byte.
std::size_t FindBlankOrNul(std::string_view text, std::size_t at) {
    for (; at < text.size(); ++at)
        if (text[at] == ' ' || text[at] == '\0') return at;
    return std::string_view::npos;
}

}  // namespace

void AppendBlanks(std::string& encoded, std::size_t count) {
    if (count < kMinRun)
        encoded.append(count, ' ');
    else
        AppendCount(encoded, count);
}

void AppendText(std::string& encoded, std::string_view text) {
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t next = FindBlankOrNul(text, at);
        if (next == std::string_view::npos) {
            encoded.append(text.substr(at));
            return;
        }
        encoded.append(text.substr(at, next - at));
        if (text[next] == '\0') {
            AppendCount(encoded, 0);
            at = next + 1;
            continue;
        }
        std::size_t run = text.find_first_not_of(' ', next);
        if (run == std::string_view::npos) run = text.size();
        AppendBlanks(encoded, run - next);
        at = run;
    }
}

std::string Encode(std::string_view plain) {
    std::string encoded;
    AppendText(encoded, plain);
    return encoded;
}

void EncodeInPlace(std::string& line) {
    bool plain = line.find('\0') == std::string::npos;
    for (std::size_t at = line.find(' '); plain && at != std::string::npos; at = line.find(' ', at)) {
        const std::size_t run = line.find_first_not_of(' ', at);
        plain = (run == std::string::npos ? line.size() : run) - at < kMinRun;
        at = run;
    }
    if (!plain) line = Encode(line);
}

std::string Decode(std::string_view encoded) {
    std::string plain;
    plain.reserve(DecodedSize(encoded));
    AppendDecoded(encoded, plain);
    return plain;
}

void AppendDecoded(std::string_view encoded, std::string& plain) {
    Walk(encoded, [&](std::string_view text, std::size_t blanks) {
        plain.append(text);
        plain.append(blanks, ' ');
    });
}

std::size_t DecodedSize(std::string_view encoded) {
    std::size_t size = 0;
    Walk(encoded, [&](std::string_view text, std::size_t blanks) { size += text.size() + blanks; });
    return size;
}

}  // namespace compactline
