#include "harness/device_charset.h"

#include <array>

namespace e2e {

namespace {
// The keyboard's codes for the letters and signs it shares with code page
// 1252, each with its character in UTF-8. Kept apart from the program's own
// tables so that the whole-program tests check them, not repeat them.
constexpr std::array<SharedCharacter, SharedCharacterCount> Shared = {{
    {0x00, "ç"},
    {0x01, "ü"},
    {0x02, "Ö"},
    {0x03, "œ"},
    {0x04, "Œ"},
    {0x05, "æ"},
    {0x06, "Á"},
    {0x07, "À"},
    {0x80, "Û"},
    {0x81, "Ù"},
    {0x82, "Ú"},
    {0x83, "Ü"},
    {0x84, "û"},
    {0x85, "ù"},
    {0x86, "ú"},
    {0x87, "Ô"},
    {0x88, "Ò"},
    {0x89, "Ó"},
    {0x8A, "º"},
    {0x8B, "ô"},
    {0x8C, "ò"},
    {0x8D, "ó"},
    {0x8E, "ö"},
    {0x8F, "¿"},
    {0x90, "Ê"},
    {0x91, "È"},
    {0x92, "É"},
    {0x93, "Ë"},
    {0x94, "ê"},
    {0x95, "è"},
    {0x96, "é"},
    {0x97, "ë"},
    {0x98, "Å"},
    {0x99, "Ä"},
    {0x9A, "å"},
    {0x9B, "â"},
    {0x9C, "à"},
    {0x9D, "á"},
    {0x9E, "ä"},
    {0xA0, "ª"},
    {0xA1, "î"},
    {0xA2, "ì"},
    {0xA3, "í"},
    {0xA4, "ï"},
    {0xA5, "¡"},
    {0xA6, "Ñ"},
    {0xA7, "ñ"},
    {0xAF, "Æ"},
    {0xB0, "§"},
    {0xB7, "£"},
    {0xBC, "¶"},
    {0xBD, "½"},
    {0xC0, "ø"},
    {0xC3, "ß"},
    {0xC4, "Ç"},
    {0xC6, "¤"},
    {0xC8, "µ"},
    {0xC9, "Ø"},
    {0xCB, "Ã"},
    {0xCC, "¢"},
    {0xCD, "ã"},
    {0xCE, "Õ"},
    {0xCF, "õ"},
    {0xD0, "·"},
    {0xD1, "¨"},
    {0xD2, "°"},
    {0xD6, "÷"},
    {0xDA, "¥"},
    {0xDC, "®"},
    {0xDD, "©"},
    {0xDE, "™"},
}};

constexpr uint8_t DeviceLineEnd = 0x0D;

// Length of the UTF-8 sequence that starts with `lead`.
size_t Utf8Length(unsigned char lead) {
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) return 2;
    if ((lead & 0xF0) == 0xE0) return 3;
    return 4;
}
}  // namespace

const std::array<SharedCharacter, SharedCharacterCount>& SharedCharacters() { return Shared; }

std::optional<std::vector<uint8_t>> EncodeForDevice(std::string_view utf8) {
    std::vector<uint8_t> device;
    for (size_t i = 0; i < utf8.size();) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c == '\n') {
            device.push_back(DeviceLineEnd);
            ++i;
            continue;
        }
        if (c < 0x80) {
            device.push_back(c);
            ++i;
            continue;
        }
        std::string_view seq = utf8.substr(i, Utf8Length(c));
        bool found = false;
        for (const auto& s : Shared) {
            if (seq == s.utf8) {
                device.push_back(s.code);
                found = true;
                break;
            }
        }
        if (!found) return std::nullopt;
        i += seq.size();
    }
    return device;
}

std::string PcTextOf(std::string_view utf8) {
    std::string out;
    for (char c : utf8) {
        if (c == '\n') out += "\r\n";
        else out += c;
    }
    return out;
}

}  // namespace e2e
