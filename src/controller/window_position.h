#pragma once
#include <windows.h>

// The window stays where the user put it: across the switch between the two
// windows and from one start to the next.

// Stores the window's normal position (a minimised window's restored place,
// never its icon's). When the window closes, when the session ends, and
// before a switch, so that the successor opens in the same place.
void StoreWindowPosition(HWND window);

// At WM_INITDIALOG: moves the window, which the template has centred, to the
// stored position, unless the window would touch no monitor there (one since
// unplugged, or a smaller desktop); then it stays centred.
void PlaceAtStoredPosition(HWND window);
