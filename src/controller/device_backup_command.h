#pragma once
#include <windows.h>

// The window menu's whole-device commands: every file of the keyboard into a
// new dated folder inside one the user picks, and a backup's files back to the
// keyboard. Each runs to its end inside one WM_COMMAND (or WM_SYSCOMMAND)
// message, holds the busy section like the other transfers so the poll keeps
// off the port, and always ends with a message box, since the user asked.
LRESULT BackupAllFilesCommand(HWND window);
LRESULT RestoreFilesCommand(HWND window);
