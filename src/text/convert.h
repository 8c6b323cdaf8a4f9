#pragma once
#include <cstdint>

// The device keeps text in its own 8-bit character set with single CR line
// ends; the PC side is code page 1252 with CR LF. These work over plain byte
// arrays; text_blocks.h wraps them around global memory blocks.

// PC text (n bytes, no terminator needed) to device text. Writes at most n
// bytes to `out` (a CR LF pair becomes one CR) and returns how many.
uint32_t PcToDevice(const uint8_t* pc, uint32_t n, uint8_t* out);

// Number of CR bytes among the first n bytes of device text.
uint32_t CountCarriageReturns(const uint8_t* device, uint32_t n);

// Size of the PC text block for n device bytes: one LF per CR, and the zero.
uint64_t PcTextSize(const uint8_t* device, uint32_t n);

// Device text to zero-terminated PC text. `out` must hold PcTextSize(device, n) bytes.
void DeviceToPc(const uint8_t* device, uint32_t n, uint8_t* out);
