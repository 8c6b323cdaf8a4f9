#pragma once
#include <windows.h>

// The commands of the main window. Each runs to its end inside one WM_COMMAND
// message and returns the message's result.

// Retrieve and paste the device's current file (the button, or posted by the
// monitor when the device arrives).
LRESULT RetrieveCommand(HWND window);

// Send the clipboard's text into the device's current file.
LRESULT SendCommand(HWND window);

// The user picked another device file in the list.
LRESULT FileSwitchCommand(HWND window);

// The automatic-retrieve check box.
LRESULT AutoRetrieveOptionCommand(HWND window);

// The append check box, which does not toggle itself.
LRESULT AppendOptionCommand(HWND window);
