#pragma once

// Values: the code point of one UTF-8 character, as SQLite hands text over.
#include <cstdint>
#include <string_view>

// `character` holds the character's bytes (1 to 4, as its lead byte tells).
inline std::uint32_t Utf8CodePoint(std::string_view character) {
    auto byte = [&](std::size_t k) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(character[k]));
    };
    switch (character.size()) {
        case 0:
            return 0;
        case 1:
            return byte(0);
        case 2:
            return (byte(0) & 0x1F) << 6 | (byte(1) & 0x3F);
        case 3:
            return (byte(0) & 0x0F) << 12 | (byte(1) & 0x3F) << 6 | (byte(2) & 0x3F);
        default:
            return (byte(0) & 0x07) << 18 | (byte(1) & 0x3F) << 12 | (byte(2) & 0x3F) << 6 | (byte(3) & 0x3F);
    }
}
