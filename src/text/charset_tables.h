#pragma once
#include <array>
#include <cstdint>

// Device code 0x80 + i -> code page 1252 byte.
extern const std::array<uint8_t, 128> DeviceToPcTable;
// Device code 0..7 -> code page 1252 byte.
extern const std::array<uint8_t, 8> DeviceLowTable;
// Code page 1252 byte 0x80 + i -> device code.
extern const std::array<uint8_t, 128> PcToDeviceTable;
