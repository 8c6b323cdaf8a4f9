#pragma once
#include <windows.h>

#include <array>
#include <span>

// Shows the PC text of `block` in the preview edit 105.
void ShowTextInPreview(HWND window, HGLOBAL block);

// Replaces the clipboard's contents with the PC text of `block`. Returns true
// when the clipboard took the block (it owns it from then on); false leaves the
// block with the caller.
bool PlaceTextOnClipboard(HWND window, HGLOBAL block);

// Ctrl down and up, V down and up, and a key-up for each of the six modifier
// keys that might be held.
constexpr size_t MaxPasteInputs = 10;

struct PasteInputs {
    std::array<INPUT, MaxPasteInputs> events;
    UINT count;
};

// The key events of the paste: Ctrl down, a key-up for each held Shift, Alt or
// Windows key among `heldKeys` (virtual keys of the left and right keys), then
// V down, V up and Ctrl up. Keys in `heldKeys` that are none of those are
// ignored.
PasteInputs BuildPasteInputs(std::span<const BYTE> heldKeys);

// Types exactly Ctrl+V into whatever window has the keyboard focus, in one
// SendInput call so that nothing typed meanwhile falls between its keys.
// False when the system inserted fewer events than it was given.
bool TypePasteKeys();

// The call the keys go through: SendInput, unless a test puts a stand-in
// here to play a refusing system; null puts SendInput back.
using InputSender = UINT(WINAPI*)(UINT count, LPINPUT inputs, int size);
void SetInputSender(InputSender sender);
