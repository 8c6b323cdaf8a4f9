#pragma once
// The few system types and global-memory calls that the memory-block
// conversions use, so that the fuzzer can run them on the host. The calls are
// implemented by global_memory.cpp over exactly sized heap blocks, where the
// address sanitizer sees any byte read or written past a block.
#include <cstddef>
#include <cstdint>

using BOOL = int;
using UINT = unsigned int;
using DWORD = std::uint32_t;
using SIZE_T = std::size_t;
using HGLOBAL = void*;
using HANDLE = void*;

inline constexpr DWORD MAXDWORD = 0xFFFFFFFFu;
inline constexpr UINT GMEM_DDESHARE = 0x2000;

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
void* GlobalLock(HGLOBAL block);
BOOL GlobalUnlock(HGLOBAL block);
SIZE_T GlobalSize(HGLOBAL block);
HGLOBAL GlobalFree(HGLOBAL block);
