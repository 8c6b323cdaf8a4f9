#pragma once
#include <windows.h>
#include <cstdint>

// The connection monitor: sets the window up, watches the device on the poll
// timer, and shuts down with the window.
LRESULT OnInitDialog(HWND window);
LRESULT OnTimer(HWND window, WPARAM wParam, LPARAM lParam);
LRESULT OnDestroy(HWND window, WPARAM wParam, LPARAM lParam);
LRESULT OnQueryEndSession();
LRESULT OnEndSession(HWND window, WPARAM ending);
LRESULT OnSysColorChange(HWND window, WPARAM wParam, LPARAM lParam);

// Only this exact value starts the automatic retrieve: the full window's
// check box can leave it at 2 (indeterminate), which must not.
inline constexpr uint32_t AutoUploadOn = 1;
