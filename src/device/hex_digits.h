#pragma once
#include <cstdint>
#include <span>
#include <string>

// Lower-case hex, two digits a byte.
inline std::string HexDigits(std::span<const uint8_t> bytes) {
    static constexpr char Digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (uint8_t byte : bytes) {
        text += Digits[byte >> 4];
        text += Digits[byte & 0x0F];
    }
    return text;
}
