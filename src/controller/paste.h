#pragma once
#include <windows.h>

// Shows the PC text of `block` in the preview edit 105.
void ShowTextInPreview(HWND window, HGLOBAL block);

// Replaces the clipboard's contents with the PC text of `block`. Returns true
// when the clipboard took the block (it owns it from then on); false leaves the
// block with the caller.
bool PlaceTextOnClipboard(HWND window, HGLOBAL block);

// Types Ctrl+V into whatever window has the keyboard focus.
void TypePasteKeys();
