#include "text/win/text_blocks.h"

#include <cstring>

#include "text/convert.h"

namespace {
// Blocks are fixed and shareable so that the clipboard can take them.
constexpr UINT TextBlockFlags = GMEM_DDESHARE;

// A fresh block of `size` bytes, locked. Null (and nothing left allocated) on failure.
HGLOBAL AllocateLocked(SIZE_T size, uint8_t** bytes) {
    HGLOBAL block = GlobalAlloc(TextBlockFlags, size);
    if (!block) return nullptr;
    *bytes = static_cast<uint8_t*>(GlobalLock(block));
    if (!*bytes) {
        GlobalFree(block);
        return nullptr;
    }
    return block;
}

// The clipboard's text comes from any program and may lack its terminating
// zero: measure only within the block, as if a zero followed its last byte.
uint32_t BoundedTextLength(const uint8_t* text, SIZE_T blockSize) {
    const SIZE_T limit = blockSize < MAXDWORD ? blockSize : MAXDWORD;
    const void* zero = std::memchr(text, 0, limit);
    const SIZE_T n = zero ? static_cast<SIZE_T>(static_cast<const uint8_t*>(zero) - text) : limit;
    return static_cast<uint32_t>(n);
}
}  // namespace

bool ToDeviceText(HGLOBAL* block, uint32_t* length) {
    const auto* pc = static_cast<const uint8_t*>(GlobalLock(*block));
    if (!pc) return false;
    const uint32_t n = BoundedTextLength(pc, GlobalSize(*block));

    // A device text is never longer than its PC text; keep at least one byte so
    // that an empty text still gets a real block.
    uint8_t* device = nullptr;
    HGLOBAL output = AllocateLocked(n ? n : 1, &device);
    if (!output) {
        GlobalUnlock(*block);
        return false;
    }
    const uint32_t count = PcToDevice(pc, n, device);
    GlobalUnlock(*block);  // the input belongs to the clipboard: never freed here
    GlobalUnlock(output);
    *block = output;
    *length = count;
    return true;
}

bool ToPcText(HGLOBAL* block, uint32_t length) {
    if (length == 0) {
        GlobalFree(*block);
        *block = nullptr;
        return true;
    }
    auto* device = static_cast<const uint8_t*>(GlobalLock(*block));
    if (!device) return false;
    // A count larger than the block would walk past its end; only the bytes
    // the block really holds can be text.
    const SIZE_T blockSize = GlobalSize(*block);
    if (length > blockSize) length = static_cast<uint32_t>(blockSize);
    const uint64_t size = PcTextSize(device, length);
    uint8_t* pc = nullptr;
    HGLOBAL output = size <= MAXDWORD ? AllocateLocked(static_cast<SIZE_T>(size), &pc) : nullptr;
    if (!output) {
        GlobalUnlock(*block);
        return false;
    }
    DeviceToPc(device, length, pc);
    GlobalUnlock(output);
    GlobalUnlock(*block);
    GlobalFree(*block);
    *block = output;
    return true;
}
