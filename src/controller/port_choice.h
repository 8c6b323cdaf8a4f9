#pragma once
#include <windows.h>

// The status line while no port is known at all tells the user where to choose one.
inline constexpr const char* TextNoPortChosen = "No port chosen: right-click the title bar to choose one.";

// Shows the hint on the status line 1008 while PortName is empty, and empties
// the line once a port is known. Touches the line only when that changes.
void ShowPortHint(HWND window);

// The user chose a port (a name) or the driver's port again (null): stores the
// choice and, when the port in use changes, drops the device and the open
// port, so that the next tick searches on the new one.
void ApplyPortChoice(HWND window, const char* name);

// Drops the device if connected, then closes the port: searching state.
void ReleaseOwnPort(HWND window);
