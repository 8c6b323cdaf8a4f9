#pragma once
#include <windows.h>

// Starting Glimmerly when the user signs in, through the user's own Run key:
// no administrator rights, and the user can see and remove it like any other.

// Whether the Run value names this executable (quoted or not, in any letter case).
bool StartsWithWindows();

// Writes the Run value with this executable's quoted path, or removes it. The
// system's error code on failure, ERROR_SUCCESS when done; removing a value
// that is not there is done.
LONG SetStartWithWindows(bool start);

// Whether the command line `command` starts the program at `path`: the quoted
// program of the command, or, unquoted, the whole command or its part before
// the first space.
bool RunCommandStarts(const wchar_t* command, const wchar_t* path);
