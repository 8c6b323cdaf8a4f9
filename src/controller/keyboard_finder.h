#pragma once
#include <windows.h>

// "Find the keyboard...": only ever on the user's word, since it sends the
// hello to whatever else is on the machine's serial ports.
void FindKeyboardCommand(HWND window);
