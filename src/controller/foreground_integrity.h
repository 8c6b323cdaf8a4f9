#pragma once
#include <windows.h>

// Windows drops keys typed into a process of a higher integrity level than
// the typing one (an application run as administrator), without a word to
// either. So before the paste is typed, the levels are compared.

// True when the foreground window belongs to a process whose integrity level
// is not above this process's own. False when there is no foreground window,
// or when either level cannot be read: a paste that might vanish is not typed.
bool ForegroundTakesTypedKeys();

// Reads the integrity level (its RID, e.g. SECURITY_MANDATORY_MEDIUM_RID) of
// the process that owns `foreground`. Tests put a stand-in here to play an
// elevated or unreadable target; null puts the system's query back.
using ForegroundLevelQuery = bool (*)(HWND foreground, DWORD* level);
void SetForegroundLevelQuery(ForegroundLevelQuery query);
