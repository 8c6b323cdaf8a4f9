#pragma once
// Control over the host stand-in for the global memory calls.
#include <cstddef>
#include <cstdint>

#include <windows.h>

namespace host_memory {

// Starts afresh: no block alive, the `failAt`-th allocation or lock from now
// on fails (0: none does).
void Reset(uint32_t failAt);
// True once the planned failure has happened.
bool FailureHappened();
// A block that reads as discarded: it exists, has size 0 and cannot be locked.
HGLOBAL DiscardedBlock();
HGLOBAL Copy(const uint8_t* bytes, size_t size);

size_t LiveBlocks();
bool IsLive(HGLOBAL block);
uint32_t LockCount(HGLOBAL block);
// The bytes of a live block, without locking it.
const uint8_t* Bytes(HGLOBAL block);
// Frees every block still alive.
void FreeAll();

}  // namespace host_memory
