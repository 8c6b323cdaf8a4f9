#include "device/text_forms.h"

#include <array>

#include "text/charset_tables.h"
#include "text/convert.h"

namespace {

constexpr uint8_t Cr = 0x0D;
constexpr uint8_t Lf = 0x0A;
constexpr uint8_t Space = 0x20;
constexpr uint8_t FirstHighByte = 0x80;
constexpr char32_t NoCharacter = 0;

// Code page 1252's bytes 0x80..0x9F as Unicode; the five unassigned bytes are
// NoCharacter. From 0xA0 on the code page is Latin-1, the same numbers.
constexpr std::array<char32_t, 32> Cp1252Specials = {
    0x20AC, NoCharacter, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, NoCharacter, 0x017D, NoCharacter,
    NoCharacter, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, NoCharacter, 0x017E, 0x0178};
constexpr uint8_t SpecialsStart = 0x80;
constexpr uint8_t Latin1Start = 0xA0;
// The device's codes 0..7 are letters, not controls: a PC control character
// there would come back as an accented letter, so it counts as unmappable.
constexpr char32_t FirstPassedControl = 0x08;

char32_t Cp1252ToUnicode(uint8_t byte) {
    if (byte >= SpecialsStart && byte < Latin1Start) return Cp1252Specials[byte - SpecialsStart];
    return byte;
}

// The code page 1252 byte of a character, or none.
bool UnicodeToCp1252(char32_t character, uint8_t* byte) {
    if (character < SpecialsStart || (character >= Latin1Start && character <= 0xFF)) {
        *byte = static_cast<uint8_t>(character);
        return true;
    }
    for (size_t i = 0; i < Cp1252Specials.size(); ++i) {
        if (Cp1252Specials[i] != NoCharacter && Cp1252Specials[i] == character) {
            *byte = static_cast<uint8_t>(SpecialsStart + i);
            return true;
        }
    }
    return false;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// One UTF-8 sequence at `text[*at]`, strictly: no overlong forms, no
// surrogates, nothing above U+10FFFF. False on anything else.
bool DecodeUtf8(std::span<const uint8_t> text, size_t* at, char32_t* character) {
    const uint8_t lead = text[*at];
    size_t extra = 0;
    char32_t value = 0;
    char32_t least = 0;
    if (lead < 0x80) {
        *character = lead;
        ++*at;
        return true;
    } else if ((lead & 0xE0) == 0xC0) {
        extra = 1, value = lead & 0x1F, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2, value = lead & 0x0F, least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3, value = lead & 0x07, least = 0x10000;
    } else {
        return false;
    }
    if (text.size() - *at <= extra) return false;
    for (size_t i = 1; i <= extra; ++i) {
        const uint8_t next = text[*at + i];
        if ((next & 0xC0) != 0x80) return false;
        value = (value << 6) | (next & 0x3F);
    }
    if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
    *character = value;
    *at += extra + 1;
    return true;
}

// Builds device text character by character, folding the three kinds of
// PC line end into the device's one.
class DeviceTextBuilder {
public:
    void Add(char32_t character) {
        const bool lfAfterCr = character == Lf && lastWasCr_;
        lastWasCr_ = character == Cr;
        if (lfAfterCr) return;
        if (character == Cr || character == Lf) {
            result_.bytes.push_back(Cr);
            return;
        }
        uint8_t pc = 0;
        if (character < FirstPassedControl || !UnicodeToCp1252(character, &pc)) {
            Replace();
            return;
        }
        if (pc < FirstHighByte) {
            result_.bytes.push_back(pc);
            return;
        }
        const uint8_t device = PcToDeviceTable[pc - FirstHighByte];
        // The table's space stands for "no such character", unless it was one.
        if (device == Space) {
            Replace();
            return;
        }
        result_.bytes.push_back(device);
    }
    DeviceTextResult Take() { return std::move(result_); }

private:
    void Replace() {
        result_.bytes.push_back(Space);
        ++result_.replaced;
    }
    DeviceTextResult result_;
    bool lastWasCr_ = false;
};

constexpr std::array<uint8_t, 3> Utf8Bom = {0xEF, 0xBB, 0xBF};

}  // namespace

std::string DeviceToCp1252(std::span<const uint8_t> device, LineEnd lineEnd) {
    // The shared conversion makes every device CR a CR LF.
    std::vector<uint8_t> pc(PcTextSize(device.data(), static_cast<uint32_t>(device.size())));
    DeviceToPc(device.data(), static_cast<uint32_t>(device.size()), pc.data());
    pc.pop_back();  // its terminating zero
    std::string out;
    out.reserve(pc.size());
    for (size_t i = 0; i < pc.size(); ++i) {
        const bool isLineEnd = pc[i] == Cr && i + 1 < pc.size() && pc[i + 1] == Lf;
        if (isLineEnd && lineEnd == LineEnd::Lf) continue;
        out += static_cast<char>(pc[i]);
    }
    return out;
}

std::string DeviceToUtf8(std::span<const uint8_t> device, LineEnd lineEnd) {
    const std::string pc = DeviceToCp1252(device, lineEnd);
    std::string out;
    out.reserve(pc.size() * 2);
    for (char byte : pc) AppendUtf8(out, Cp1252ToUnicode(static_cast<uint8_t>(byte)));
    return out;
}

DeviceTextResult Utf8ToDevice(std::span<const uint8_t> text) {
    size_t at = 0;
    if (text.size() >= Utf8Bom.size() && std::equal(Utf8Bom.begin(), Utf8Bom.end(), text.begin())) {
        at = Utf8Bom.size();
    }
    DeviceTextBuilder builder;
    while (at < text.size()) {
        char32_t character = 0;
        if (!DecodeUtf8(text, &at, &character)) {
            DeviceTextResult invalid;
            invalid.valid = false;
            invalid.invalidOffset = at;
            return invalid;
        }
        builder.Add(character);
    }
    return builder.Take();
}

DeviceTextResult Cp1252ToDevice(std::span<const uint8_t> text) {
    DeviceTextBuilder builder;
    for (uint8_t byte : text) {
        const char32_t character = Cp1252ToUnicode(byte);
        // An unassigned byte is still one character the device cannot show.
        builder.Add(character == NoCharacter ? 0xFFFD : character);
    }
    return builder.Take();
}
