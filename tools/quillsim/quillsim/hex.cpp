#include "quillsim/hex.h"

namespace quillsim {

namespace {
constexpr char Digits[] = "0123456789ABCDEF";
constexpr int NotHex = -1;
constexpr std::string_view SampleSentence = "The quick brown fox jumps over the lazy dog.\r";

int Nibble(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return NotHex;
}
}  // namespace

std::string ToHex(const std::vector<uint8_t>& bytes) {
    std::string text;
    text.reserve(bytes.size() * 2);
    for (uint8_t b : bytes) {
        text += Digits[b >> 4];
        text += Digits[b & 0x0F];
    }
    return text;
}

bool FromHex(std::string_view text, std::vector<uint8_t>& bytes) {
    if (text.size() % 2 != 0) return false;
    std::vector<uint8_t> parsed;
    parsed.reserve(text.size() / 2);
    for (size_t i = 0; i < text.size(); i += 2) {
        int high = Nibble(text[i]), low = Nibble(text[i + 1]);
        if (high == NotHex || low == NotHex) return false;
        parsed.push_back(uint8_t(high << 4 | low));
    }
    bytes = std::move(parsed);
    return true;
}

std::vector<uint8_t> SampleText(uint32_t count) {
    std::vector<uint8_t> text(count);
    for (uint32_t i = 0; i < count; ++i) text[i] = uint8_t(SampleSentence[i % SampleSentence.size()]);
    return text;
}


}  // namespace quillsim
