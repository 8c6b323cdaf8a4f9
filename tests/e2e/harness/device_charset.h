#pragma once
// The keyboard's side of the text: its codes for the characters it shares
// with the PC, so a test can write a file as the keyboard stores it and know
// what must land on the PC.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace e2e {

struct SharedCharacter {
    uint8_t code;      // the keyboard's byte
    const char* utf8;  // the character it stands for
};
inline constexpr size_t SharedCharacterCount = 71;

const std::array<SharedCharacter, SharedCharacterCount>& SharedCharacters();

// UTF-8 text (LF line ends) as the keyboard stores it: ASCII as it is, the
// shared characters by their codes, each LF as a single CR. nullopt when the
// text holds a character the keyboard has no code for.
std::optional<std::vector<uint8_t>> EncodeForDevice(std::string_view utf8);

// The same UTF-8 text as the PC must show it: LF becomes CR LF.
std::string PcTextOf(std::string_view utf8);

}  // namespace e2e
