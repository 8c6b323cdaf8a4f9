#pragma once
#include <windows.h>
#include "ui/window_icons.h"

extern HINSTANCE AppInstance;
extern HWND HelperWindow;

// Loads the icons, registers the three window classes (once per process) and
// creates the hidden helper window. Returns the helper window, or null.
HWND RegisterWindowClasses(HINSTANCE instance);

// The whole program: start-up, message loop, exit code.
int RunGlimmerly(HINSTANCE instance);
