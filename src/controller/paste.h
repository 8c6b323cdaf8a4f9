#pragma once
#include <windows.h>

#include "keys/win/paste_keys.h"

// Shows the PC text of `block` in the preview edit 105.
void ShowTextInPreview(HWND window, HGLOBAL block);

// Replaces the clipboard's contents with the PC text of `block`. Returns true
// when the clipboard took the block (it owns it from then on); false leaves the
// block with the caller.
bool PlaceTextOnClipboard(HWND window, HGLOBAL block);

// Types exactly Ctrl+V into whatever window has the keyboard focus, in one
// SendInput call so that nothing typed meanwhile falls between its keys.
// False when the system inserted fewer events than it was given.
bool TypePasteKeys();

// The call the keys go through: SendInput, unless a test puts a stand-in
// here to play a refusing system; null puts SendInput back.
using InputSender = UINT(WINAPI*)(UINT count, LPINPUT inputs, int size);
void SetInputSender(InputSender sender);
