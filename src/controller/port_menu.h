#pragma once
#include <windows.h>

// The "Port" submenu: the ports Windows lists, the driver's port and the
// keyboard finder, the port in use ticked.
HMENU CreatePortMenu();
void FillPortMenu(HMENU menu, bool busy);
// True when `id` is one of the submenu's and was handled.
bool PortMenuCommand(HWND window, UINT id);
