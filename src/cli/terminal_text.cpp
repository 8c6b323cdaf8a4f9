#include "cli/terminal_text.h"

#include <cstdint>
#include <cstdio>

namespace {

constexpr uint8_t Delete = 0x7F;
constexpr uint8_t FirstPrintable = 0x20;
// U+0080..U+009F, C1 controls, are C2 80..C2 9F in UTF-8.
constexpr uint8_t C1Lead = 0xC2;
constexpr uint8_t C1Last = 0x9F;

void Escape(std::string& out, uint8_t byte) {
    char text[5];
    std::snprintf(text, sizeof text, "\\x%02x", byte);
    out += text;
}

// The length of the well-formed UTF-8 sequence at `at`, or 0.
size_t SequenceLength(std::string_view text, size_t at) {
    const uint8_t lead = static_cast<uint8_t>(text[at]);
    size_t length = 0;
    if (lead >= 0xC2 && lead <= 0xDF) length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4) length = 4;
    if (length == 0 || at + length > text.size()) return 0;
    for (size_t i = 1; i < length; ++i) {
        if ((static_cast<uint8_t>(text[at + i]) & 0xC0) != 0x80) return 0;
    }
    const uint8_t second = static_cast<uint8_t>(text[at + 1]);
    // Overlong forms, surrogates and values above U+10FFFF.
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) || (lead == 0xF0 && second < 0x90) ||
        (lead == 0xF4 && second > 0x8F)) {
        return 0;
    }
    return length;
}

}  // namespace

std::string Printable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        const uint8_t byte = static_cast<uint8_t>(text[at]);
        if (byte < 0x80) {
            if (byte < FirstPrintable || byte == Delete) Escape(out, byte);
            else out += static_cast<char>(byte);
            ++at;
            continue;
        }
        const size_t length = SequenceLength(text, at);
        if (length == 0) {
            Escape(out, byte);
            ++at;
        } else if (byte == C1Lead && static_cast<uint8_t>(text[at + 1]) <= C1Last) {
            Escape(out, byte);
            Escape(out, static_cast<uint8_t>(text[at + 1]));
            at += 2;
        } else {
            out.append(text, at, length);
            at += length;
        }
    }
    return out;
}
