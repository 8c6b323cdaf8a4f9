#pragma once
#include <windows.h>
#include "ui/progress_frames.h"

extern HINSTANCE AppInstance;
extern HICON MainIcon;       // small caption icon while no device is connected
extern HICON LargeMainIcon;  // the window's large icon: taskbar and Alt+Tab
extern HICON ConnectedIcon;  // small caption icon while a device is connected
extern HICON ProgressIcons[ProgressFrameCount];  // the transfer animation, one icon a frame
extern HWND HelperWindow;

// Loads the icons, registers the three window classes (once per process) and
// creates the hidden helper window. Returns the helper window, or null.
HWND RegisterWindowClasses(HINSTANCE instance);

// The whole program: start-up, message loop, exit code.
int RunGlimmerly(HINSTANCE instance);
