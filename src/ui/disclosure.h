#pragma once
#include <windows.h>

// Window procedure of "DisclosureClass": the triangle that shows and hides the
// full window's options panel.
LRESULT CALLBACK DisclosureProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam);

// Moves one control of the main window vertically by the two deltas (pixels).
void ShiftControl(HWND mainWindow, int controlId, int topDelta, int bottomDelta);
