#pragma once
#include <windows.h>

#include "ui/progress_frames.h"

// The program's small window icons, loaded once at start-up from the program's
// own resources and kept until the process ends.
extern HICON MainIcon;       // small caption icon while no device is connected
extern HICON LargeMainIcon;  // the window's large icon: taskbar and Alt+Tab
extern HICON ConnectedIcon;  // small caption icon while a device is connected
extern HICON ProgressIcons[ProgressFrameCount];  // the transfer animation, one icon a frame

// Loads the icons drawn for the display's DPI from `instance`. The main and
// the connected icon are loaded only while still missing; the frames each time.
void LoadWindowIcons(HINSTANCE instance);
