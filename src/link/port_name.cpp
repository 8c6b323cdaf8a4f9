#include "link/port_name.h"

#include <cstring>

namespace {

constexpr std::string_view ComPrefix = "COM";
constexpr uint32_t HighestComPort = 256;
// Enough digits for 256; more (after leading zeros) is no port of ours.
constexpr size_t MostSignificantDigits = 3;

bool SamePrefixAnyCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != prefix[i]) return false;
    }
    return true;
}

}  // namespace

// The name is later used as a C string to open the port, so bytes with no
// terminator among them are no name at all rather than one that runs off its
// buffer; and a read that reported more bytes than the buffer holds failed.
bool UsablePortName(PortNameType rule, uint32_t valueType, const uint8_t* data, uint32_t size,
                    char (&name)[PortNameSize]) {
    name[0] = '\0';
    if (rule == PortNameType::TextOnly && valueType != RegistryTextType) return false;
    if (data == nullptr || size == 0 || size > PortNameSize) return false;
    const void* end = std::memchr(data, 0, size);
    if (end == nullptr) return false;
    const size_t length = static_cast<size_t>(static_cast<const uint8_t*>(end) - data);
    if (length == 0) return false;
    std::memcpy(name, data, length);
    name[length] = '\0';
    return true;
}

uint32_t ComPortNumber(std::string_view name) {
    if (!SamePrefixAnyCase(name, ComPrefix)) return 0;
    std::string_view digits = name.substr(ComPrefix.size());
    if (digits.empty()) return 0;
    while (digits.size() > 1 && digits.front() == '0') digits.remove_prefix(1);
    if (digits.size() > MostSignificantDigits) return 0;
    uint32_t number = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return 0;
        number = number * 10 + static_cast<uint32_t>(c - '0');
    }
    return number <= HighestComPort ? number : 0;
}

bool FormatComPortName(uint32_t number, char (&name)[PortNameSize]) {
    name[0] = '\0';
    if (number == 0 || number > HighestComPort) return false;
    char digits[4] = {};
    int count = 0;
    for (uint32_t rest = number; rest != 0; rest /= 10) digits[count++] = static_cast<char>('0' + rest % 10);
    size_t at = 0;
    for (char c : ComPrefix) name[at++] = c;
    while (count > 0) name[at++] = digits[--count];
    name[at] = '\0';
    return true;
}
