// Any bytes, of any length, through both conversions over plain byte arrays.
// Each output buffer is exactly as large as the conversion says it needs, so a
// byte written past it stops the run.
//
// Input layout:
//   byte 0  bit 0: end the text with a zero byte (as clipboard text has)
//   rest    the text, read as PC text and as device text
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "text/convert.h"

namespace {

constexpr uint8_t CarriageReturn = 0x0D;
constexpr uint8_t LineFeed = 0x0A;
constexpr uint8_t Space = 0x20;
constexpr uint8_t WithTerminator = 0x01;

void Check(bool condition) {
    if (!condition) std::abort();
}

// A CR LF pair becomes a single CR; every other byte stays one byte.
void CheckPcToDevice(const std::vector<uint8_t>& pc) {
    const uint32_t n = static_cast<uint32_t>(pc.size());
    uint32_t pairs = 0;
    for (uint32_t i = 0; i + 1 < n; ++i) pairs += pc[i] == CarriageReturn && pc[i + 1] == LineFeed;
    std::vector<uint8_t> device(n);
    Check(PcToDevice(pc.data(), n, device.data()) == n - pairs);
}

// Device text goes to the PC with CR LF line ends and a zero, and comes back
// whole: same length, and every code the PC can show is the code it was.
void CheckDeviceToPcAndBack(const std::vector<uint8_t>& device) {
    const uint32_t n = static_cast<uint32_t>(device.size());
    const uint64_t size = PcTextSize(device.data(), n);
    Check(size == uint64_t{n} + CountCarriageReturns(device.data(), n) + 1);
    std::vector<uint8_t> pc(size);
    DeviceToPc(device.data(), n, pc.data());
    Check(pc.back() == 0);

    const uint32_t pcLength = static_cast<uint32_t>(size - 1);
    std::vector<uint8_t> back(pcLength);
    Check(PcToDevice(pc.data(), pcLength, back.data()) == n);
    uint32_t at = 0;
    for (uint32_t i = 0; i < n; ++i) {
        if (device[i] == CarriageReturn) Check(pc[at] == CarriageReturn && pc[at + 1] == LineFeed);
        // A space on the PC side is also where the device code has no counterpart.
        if (pc[at] != Space) Check(back[i] == device[i]);
        at += device[i] == CarriageReturn ? 2 : 1;
    }
    Check(at == pcLength);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    std::vector<uint8_t> text(data + 1, data + size);
    if (data[0] & WithTerminator) text.push_back(0);
    CheckPcToDevice(text);
    CheckDeviceToPcAndBack(text);
    return 0;
}
