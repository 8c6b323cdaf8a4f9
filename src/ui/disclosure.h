#pragma once
#include <windows.h>
#include <cstdint>

// Window procedure of "DisclosureClass": the triangle that shows and hides the
// full window's options panel.
LRESULT CALLBACK DisclosureProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam);

// Moves one control of the main window vertically by the two deltas (pixels).
void ShiftControl(HWND mainWindow, int controlId, int topDelta, int bottomDelta);

// Makes the full window's options panel follow the stored setting
// *disclosedFlag when the window opens: the template starts expanded, so a
// stored 0 collapses it (without changing the flag). The triangle keeps the
// pointer and toggles the flag on every click, so the flag must outlive the
// window. Does nothing in a window without the triangle.
void ApplyStoredDisclosure(HWND mainWindow, uint32_t* disclosedFlag);
