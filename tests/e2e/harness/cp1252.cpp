#include "harness/cp1252.h"

#include <array>
#include <cstdint>

namespace e2e {

namespace {
constexpr char32_t Unassigned = 0xFFFD;
// 0x80..0x9F: the only part of code page 1252 that differs from Latin-1.
constexpr std::array<char32_t, 32> HighControls = {
    0x20AC, Unassigned, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, Unassigned, 0x017D, Unassigned,
    Unassigned, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, Unassigned, 0x017E, 0x0178,
};
constexpr uint8_t HighControlsFirst = 0x80;
constexpr uint8_t Latin1First = 0xA0;

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}
}  // namespace

std::string Cp1252ToUtf8(std::string_view text) {
    std::string out;
    for (char ch : text) {
        auto b = static_cast<uint8_t>(ch);
        if (b >= HighControlsFirst && b < Latin1First) AppendUtf8(out, HighControls[b - HighControlsFirst]);
        else AppendUtf8(out, b);
    }
    return out;
}

}  // namespace e2e
