#pragma once
#include <windows.h>

// The window procedure of "OrvexDlgClass", also handed to the dialog manager as
// the dialog procedure. Serves both the compact and the full template.
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The hidden helper window's procedure: refreshes the clipboard preview when
// the active application changes.
LRESULT CALLBACK HelperWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
