#pragma once
#include <windows.h>
#include <cstdint>

// Both conversions take the caller's block handle variable and leave a new
// GMEM_DDESHARE block in it. They return false, with the handle variable and
// *length untouched and nothing allocated, when a block cannot be allocated or locked.

// PC text (zero-terminated, code page 1252) to device text of *length bytes.
// The input block is left alive: it usually belongs to the clipboard. Text that
// lacks its terminating zero ends where its block ends.
bool ToDeviceText(HGLOBAL* block, uint32_t* length);

// The first `length` bytes of device text to zero-terminated PC text. The input
// block is freed. With length 0 the input block is freed and *block becomes null.
// A length beyond the input block's size is cut to that size.
bool ToPcText(HGLOBAL* block, uint32_t length);
