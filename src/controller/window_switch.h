#pragma once
#include <windows.h>

// The main window from either template, served by the main window procedure.
HWND CreateMainWindowFrom(HINSTANCE instance, int templateId);

// Whether the window is the full one (it has the send button).
bool IsFullWindow(HWND window);

// Replaces the main window with the other template in place: the connection,
// the port, the current file and the settings carry over, and the new window
// shows the state as it is. Does nothing while a command runs.
void SwitchWindowCommand(HWND window);

// True while the old window is being destroyed by a switch: its WM_DESTROY
// then leaves the port, the timer pause and the message loop alone.
bool WindowSwitchUnderWay();
