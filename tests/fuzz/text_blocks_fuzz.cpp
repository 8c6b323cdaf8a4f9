// The memory-block conversions with any block: any bytes, with or without a
// terminating zero, any length asked for, a null or discarded block, and any
// one allocation or lock failing. Whatever happens, the caller's handle and
// length are either replaced by a good result or left untouched, and no block
// is lost, freed twice or left locked.
//
// Input layout:
//   byte 0     bit 0: which conversion (0 to the device, 1 to the PC)
//              bits 1-2: the input (0, 3: a block of the bytes; 1: null; 2: discarded)
//              bits 3-7: which allocation or lock fails, counted from 1 (0: none)
//   bytes 1-4  the length handed to the conversion to the PC, little-endian
//   rest       the block's bytes
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "global_memory.h"
#include "text/convert.h"
#include "text/win/text_blocks.h"

namespace {

constexpr size_t HeaderSize = 5;
constexpr uint32_t UntouchedLength = 0xA5A5A5A5;

enum InputKind { BlockOfBytes, NullBlock, DiscardedBlock, AlsoBlockOfBytes };

void Check(bool condition) {
    if (!condition) std::abort();
}

struct Case {
    bool toPc;
    InputKind kind;
    uint32_t failAt;
    uint32_t length;
    const uint8_t* bytes;
    size_t size;
};

HGLOBAL MakeInput(const Case& c) {
    switch (c.kind) {
    case NullBlock: return nullptr;
    case DiscardedBlock: return host_memory::DiscardedBlock();
    default: return host_memory::Copy(c.bytes, c.size);
    }
}

// A failure leaves everything as it was: the same handle, no new block, the
// input alive (unless it was none) and unlocked.
void CheckUntouched(HGLOBAL input, HGLOBAL block) {
    Check(block == input);
    Check(host_memory::LiveBlocks() == (input ? 1u : 0u));
    if (input) Check(host_memory::LockCount(input) == 0);
}

void RunToDevice(const Case& c, HGLOBAL input) {
    HGLOBAL block = input;
    uint32_t length = UntouchedLength;
    const bool done = ToDeviceText(&block, &length);
    const bool readable = c.kind == BlockOfBytes || c.kind == AlsoBlockOfBytes;
    Check(done == (readable && !host_memory::FailureHappened()));
    if (!done) {
        Check(length == UntouchedLength);
        CheckUntouched(input, block);
        return;
    }
    // The text ends at its first zero, or with its block.
    const void* zero = std::memchr(c.bytes, 0, c.size);
    const size_t textLength = zero ? static_cast<const uint8_t*>(zero) - c.bytes : c.size;
    std::vector<uint8_t> expected(textLength);
    expected.resize(PcToDevice(c.bytes, static_cast<uint32_t>(textLength), expected.data()));
    Check(block != input && host_memory::IsLive(input) && host_memory::LiveBlocks() == 2);
    Check(host_memory::LockCount(input) == 0 && host_memory::LockCount(block) == 0);
    Check(std::memcmp(host_memory::Bytes(input), c.bytes, c.size) == 0);
    Check(length == expected.size() && GlobalSize(block) >= length);
    Check(length == 0 || std::memcmp(host_memory::Bytes(block), expected.data(), length) == 0);
}

void RunToPc(const Case& c, HGLOBAL input) {
    HGLOBAL block = input;
    const bool done = ToPcText(&block, c.length);
    // Length 0 only frees the input, whatever it is.
    const bool readable = c.kind == BlockOfBytes || c.kind == AlsoBlockOfBytes || c.length == 0;
    Check(done == (readable && !host_memory::FailureHappened()));
    if (!done) {
        CheckUntouched(input, block);
        return;
    }
    if (c.length == 0) {
        Check(block == nullptr && host_memory::LiveBlocks() == 0);
        return;
    }
    const uint32_t n = static_cast<uint32_t>(c.length < c.size ? c.length : c.size);
    std::vector<uint8_t> expected(PcTextSize(c.bytes, n));
    DeviceToPc(c.bytes, n, expected.data());
    Check(!host_memory::IsLive(input) && host_memory::LiveBlocks() == 1);
    Check(host_memory::LockCount(block) == 0 && GlobalSize(block) == expected.size());
    Check(std::memcmp(host_memory::Bytes(block), expected.data(), expected.size()) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < HeaderSize) return 0;
    Case c;
    c.toPc = data[0] & 1;
    c.kind = static_cast<InputKind>((data[0] >> 1) & 3);
    c.failAt = data[0] >> 3;
    std::memcpy(&c.length, data + 1, sizeof c.length);
    c.bytes = data + HeaderSize;
    c.size = size - HeaderSize;

    host_memory::Reset(c.failAt);
    HGLOBAL input = MakeInput(c);
    if (c.toPc)
        RunToPc(c, input);
    else
        RunToDevice(c, input);
    host_memory::FreeAll();
    return 0;
}
