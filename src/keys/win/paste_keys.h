#pragma once
#include <windows.h>

#include <array>
#include <iterator>
#include <span>

// The key events of the paste, one sequence for every program that types it,
// so that the window and the command line paste exactly alike.

// A held Shift would make the paste Ctrl+Shift+V, a held right Alt AltGr+V,
// either another shortcut in the focused application, and a lone Alt or
// Windows key released later would open a menu bar or the Start menu. So each
// held one is let go inside the paste, after Ctrl is down.
struct ModifierKey {
    BYTE virtualKey;
    BYTE scanCode;
    bool extended;
};
inline constexpr ModifierKey PasteModifiers[] = {
    {VK_LSHIFT, 0x2A, false}, {VK_RSHIFT, 0x36, false}, {VK_LMENU, 0x38, false},
    {VK_RMENU, 0x38, true},   {VK_LWIN, 0x5B, true},    {VK_RWIN, 0x5C, true},
};

// Ctrl down and up, V down and up, and a key-up for each of the six modifier
// keys that might be held.
constexpr size_t MaxPasteInputs = 10;
static_assert(std::size(PasteModifiers) + 4 == MaxPasteInputs);

struct PasteInputs {
    std::array<INPUT, MaxPasteInputs> events;
    UINT count;
};

// The key events of the paste: Ctrl down, a key-up for each held Shift, Alt or
// Windows key among `heldKeys` (virtual keys of the left and right keys), then
// V down, V up and Ctrl up. Keys in `heldKeys` that are none of those are
// ignored.
PasteInputs BuildPasteInputs(std::span<const BYTE> heldKeys);
