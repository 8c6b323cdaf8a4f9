#pragma once
#include <windows.h>

#include "device/pc_files.h"

// The window menu's whole-device commands: every file of the keyboard into a
// new dated folder inside one the user picks, and a backup's files back to the
// keyboard. Each runs to its end inside one WM_COMMAND (or WM_SYSCOMMAND)
// message, holds the busy section like the other transfers so the poll keeps
// off the port, and always ends with a message box, since the user asked.
LRESULT BackupAllFilesCommand(HWND window);
LRESULT RestoreFilesCommand(HWND window);

// The work after the folder chooser: a new dated backup folder inside
// `parent`, or a restore from `folder` after the user's confirmation.
LRESULT BackupIntoFolder(HWND window, const PcPath& parent);
LRESULT RestoreFromFolder(HWND window, const PcPath& folder);
