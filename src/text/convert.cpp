#include "text/convert.h"

#include "text/charset_tables.h"

namespace {
constexpr uint8_t CarriageReturn = 0x0D;
constexpr uint8_t LineFeed = 0x0A;
constexpr uint8_t FirstUpperHalf = 0x80;
constexpr uint8_t FirstSharedCode = 0x08;  // 0x08..0x7F mean the same on both sides
}  // namespace

uint32_t PcToDevice(const uint8_t* pc, uint32_t n, uint8_t* out) {
    uint32_t count = 0;
    for (uint32_t i = 0; i < n; ++i) {
        const uint8_t b = pc[i];
        if (b >= FirstUpperHalf) {
            out[count++] = PcToDeviceTable[b - FirstUpperHalf];
            continue;
        }
        out[count++] = b;
        // The device ends a line with a single CR: drop the LF of a CR LF pair only.
        if (b == CarriageReturn && i + 1 < n && pc[i + 1] == LineFeed) ++i;
    }
    return count;
}

uint32_t CountCarriageReturns(const uint8_t* device, uint32_t n) {
    uint32_t count = 0;
    for (uint32_t i = 0; i < n; ++i) count += device[i] == CarriageReturn;
    return count;
}

uint64_t PcTextSize(const uint8_t* device, uint32_t n) {
    return uint64_t{n} + CountCarriageReturns(device, n) + 1;
}

void DeviceToPc(const uint8_t* device, uint32_t n, uint8_t* out) {
    // Walked by count: device code 0x00 is a letter (ç), not the end of the text.
    for (uint32_t i = 0; i < n; ++i) {
        const uint8_t b = device[i];
        if (b >= FirstUpperHalf) {
            *out++ = DeviceToPcTable[b - FirstUpperHalf];
        } else if (b < FirstSharedCode) {
            *out++ = DeviceLowTable[b];
        } else {
            *out++ = b;
        }
        if (b == CarriageReturn) *out++ = LineFeed;
    }
    *out = 0;
}
