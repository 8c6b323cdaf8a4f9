// Feeds arbitrary registry values and command lines to the rules that turn
// them into a port name: whatever is stored or typed, the name that comes out
// is terminated, fits its buffer and is a name the rules allow.
//
// Input layout:
//   byte 0     the value's registry type (0 to 255; 1 is text)
//   byte 1     the size the read reports (may exceed what follows)
//   rest       the value's bytes, and the same bytes as a command line
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "app/command_line.h"
#include "link/port_name.h"

namespace {

constexpr size_t HeaderSize = 2;

void Require(bool condition) {
    if (!condition) std::abort();
}

// Canary bytes after the name catch a write past its end.
struct GuardedName {
    char name[PortNameSize];
    uint8_t canary[8];
};
constexpr uint8_t CanaryByte = 0xA5;

void CheckName(const GuardedName& guarded, bool usable) {
    for (uint8_t b : guarded.canary) Require(b == CanaryByte);
    const void* end = std::memchr(guarded.name, 0, PortNameSize);
    Require(end != nullptr);
    Require((std::strlen(guarded.name) > 0) == usable);
}

void CheckRegistryValue(uint32_t type, const uint8_t* data, uint32_t reported) {
    for (PortNameType rule : {PortNameType::Any, PortNameType::TextOnly}) {
        GuardedName guarded;
        std::memset(&guarded, CanaryByte, sizeof guarded);
        const bool usable = UsablePortName(rule, type, data, reported, guarded.name);
        CheckName(guarded, usable);
        if (usable) {
            Require(reported <= PortNameSize);
            Require(std::memcmp(guarded.name, data, std::strlen(guarded.name)) == 0);
        }
        if (rule == PortNameType::TextOnly && type != RegistryTextType) Require(!usable);
    }
}

// Whatever the command line says, a port it names is one the program can store.
void CheckCommandLine(std::string_view line) {
    const CommandLineChoices choices = ParseCommandLine(line);
    Require(std::memchr(choices.portName, 0, PortNameSize) != nullptr);
    if (choices.port == PortChoice::Named) {
        const uint32_t number = ComPortNumber(choices.portName);
        Require(number >= 1 && number <= 256);
        char again[PortNameSize];
        Require(FormatComPortName(number, again) && std::strcmp(again, choices.portName) == 0);
    } else {
        Require(choices.portName[0] == '\0');
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < HeaderSize) return 0;
    const uint32_t type = data[0];
    const uint8_t* value = data + HeaderSize;
    const size_t valueSize = size - HeaderSize;
    // A read never reports more bytes than it delivered into a buffer this size.
    uint8_t buffer[PortNameSize + 2] = {};
    const uint32_t copied = static_cast<uint32_t>(valueSize < sizeof buffer ? valueSize : sizeof buffer);
    std::memcpy(buffer, value, copied);
    uint32_t reported = data[1];
    if (reported > copied) reported = copied;
    CheckRegistryValue(type, buffer, reported);
    CheckRegistryValue(type, buffer, copied);
    CheckCommandLine(std::string_view(reinterpret_cast<const char*>(value), valueSize));
    return 0;
}
