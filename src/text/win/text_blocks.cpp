#include "text/win/text_blocks.h"

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
}  // namespace

bool ToDeviceText(HGLOBAL* block, uint32_t* length) {
    const auto* pc = static_cast<const uint8_t*>(GlobalLock(*block));
    if (!pc) return false;
    const uint32_t n = static_cast<uint32_t>(lstrlenA(reinterpret_cast<const char*>(pc)));

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
