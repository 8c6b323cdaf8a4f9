#include "global_memory.h"

#include <cstdlib>
#include <cstring>
#include <map>

namespace {

struct Block {
    uint8_t* bytes = nullptr;
    size_t size = 0;
    uint32_t locks = 0;
    bool discarded = false;
};

std::map<HGLOBAL, Block> Live;
uint32_t CallsToFailure = 0;
bool Failed = false;
uintptr_t NextHandle = 0x1000;

// The handle is a number of our own, never the address of the bytes, so code
// that took a handle for a pointer would fail at once.
HGLOBAL NewHandle() {
    NextHandle += 16;
    return reinterpret_cast<HGLOBAL>(NextHandle);
}

bool PlannedFailure() {
    if (CallsToFailure == 0) return false;
    if (--CallsToFailure != 0) return false;
    Failed = true;
    return true;
}

Block* Find(HGLOBAL handle) {
    auto found = Live.find(handle);
    return found == Live.end() ? nullptr : &found->second;
}

// A call on a handle that was freed or never made is a fault of the caller.
Block& Existing(HGLOBAL handle) {
    Block* block = Find(handle);
    if (!block) std::abort();
    return *block;
}

}  // namespace

HGLOBAL GlobalAlloc(UINT, SIZE_T bytes) {
    if (PlannedFailure()) return nullptr;
    Block block;
    block.size = bytes;
    block.bytes = new uint8_t[bytes];  // even 0 bytes: a pointer the sanitizer guards
    HGLOBAL handle = NewHandle();
    Live[handle] = block;
    return handle;
}

void* GlobalLock(HGLOBAL handle) {
    if (!handle) return nullptr;
    Block& block = Existing(handle);
    if (block.discarded || PlannedFailure()) return nullptr;
    ++block.locks;
    return block.bytes;
}

BOOL GlobalUnlock(HGLOBAL handle) {
    Block& block = Existing(handle);
    if (block.locks == 0) std::abort();  // unlocking what was never locked
    --block.locks;
    return block.locks != 0;
}

SIZE_T GlobalSize(HGLOBAL handle) {
    if (!handle) return 0;
    Block& block = Existing(handle);
    return block.discarded ? 0 : block.size;
}

HGLOBAL GlobalFree(HGLOBAL handle) {
    if (!handle) return nullptr;
    Block& block = Existing(handle);
    delete[] block.bytes;
    Live.erase(handle);
    return nullptr;
}

namespace host_memory {

void Reset(uint32_t failAt) {
    FreeAll();
    CallsToFailure = failAt;
    Failed = false;
}

bool FailureHappened() { return Failed; }

HGLOBAL DiscardedBlock() {
    HGLOBAL handle = NewHandle();
    Block block;
    block.discarded = true;
    Live[handle] = block;
    return handle;
}

HGLOBAL Copy(const uint8_t* bytes, size_t size) {
    const uint32_t saved = CallsToFailure;
    CallsToFailure = 0;
    HGLOBAL handle = GlobalAlloc(GMEM_DDESHARE, size);
    CallsToFailure = saved;
    if (size) std::memcpy(Existing(handle).bytes, bytes, size);
    return handle;
}

size_t LiveBlocks() { return Live.size(); }
bool IsLive(HGLOBAL handle) { return Find(handle) != nullptr; }
uint32_t LockCount(HGLOBAL handle) { return Existing(handle).locks; }
const uint8_t* Bytes(HGLOBAL handle) { return Existing(handle).bytes; }

void FreeAll() {
    for (auto& [handle, block] : Live) delete[] block.bytes;
    Live.clear();
}

}  // namespace host_memory
