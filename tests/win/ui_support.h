#pragma once
// Real windows from the program's own templates and classes, for the tests of
// the status pictures, the progress display and the disclosure control.
#include <windows.h>

#include <string>

#include "res/resource_ids.h"

namespace ui_test {

// Once per process: the module handle, the common controls, the program's icons
// and window classes.
void PrepareProgram();

// Opens template `templateId` as start-up would, with the given disclosure
// setting, and makes it the session's main window. Stops the poll timer, so the
// window never goes looking for a device during a test.
HWND OpenMainWindow(int templateId, uint32_t disclosed = 1);
void CloseMainWindow(HWND window);

// Dispatches whatever is waiting (paints, posted messages), never WM_QUIT.
void PumpMessages();

// A control's place in the main window's client area.
RECT PlaceOf(HWND window, int controlId);
// A rectangle in dialog units turned into the window's pixels.
RECT DialogUnits(HWND window, int x, int y, int w, int h);
std::string TextOf(HWND control);
std::string ClassOf(HWND control);

}  // namespace ui_test
