#pragma once
#include <windows.h>

#include "device/pc_files.h"

// Asks the user for a folder, `title` on the chooser; empty when the user
// cancels. Today's folder chooser of the shell, with its address bar, search
// and recent places; the old tree of folders only where the system cannot
// create that one.
PcPath ChooseFolder(HWND owner, const wchar_t* title);
