#pragma once
#include <cstdint>
#include <string_view>

// Port names as the registry and the command line give them. Portable, so
// that every rule here can be fuzzed and tested without Windows.

// Room for a port name with its terminator: "COM" and up to six more characters.
inline constexpr uint32_t PortNameSize = 10;

// The registry's type number of a zero-terminated text value.
inline constexpr uint32_t RegistryTextType = 1;

// Whether a value's type matters: the infrared driver's value is read whatever
// its type, the user's own value only as text.
enum class PortNameType { Any, TextOnly };

// Takes a registry value as read into a PortNameSize buffer: `size` is the
// number of bytes the read reported. Usable when the bytes fit the buffer,
// hold a terminator and name at least one character (and, for TextOnly, the
// type is text). Fills `name` with the terminated name and returns true;
// otherwise leaves `name` empty and returns false.
bool UsablePortName(PortNameType rule, uint32_t valueType, const uint8_t* data, uint32_t size,
                    char (&name)[PortNameSize]);

// The number n of a name "COMn" (any case, n written with 1 to 3 digits after
// any leading zeros), 1 to 256; 0 for any other name.
uint32_t ComPortNumber(std::string_view name);

// Writes "COMn" for a port number from 1 to 256, without leading zeros.
// False, with `name` empty, for any other number.
bool FormatComPortName(uint32_t number, char (&name)[PortNameSize]);
