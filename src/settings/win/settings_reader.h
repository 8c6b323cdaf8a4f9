#pragma once
#include <windows.h>

#include <cstdint>
#include <span>

#include "link/port_name.h"

// The read-only face of the settings. Keys are opened with query rights alone
// (KEY_QUERY_VALUE); nothing is ever created or written, so a reader needs no
// more access than a look at the values takes and cannot disturb the window
// program's keys. The command line uses nothing else of the settings; the
// window program's store reads its values through the same calls.

// Opens the key `levels` below `root` to read its values. Null when a level is
// missing or may not be read.
HKEY OpenKeyToQuery(HKEY root, std::span<const char* const> levels);

// A REG_DWORD value. False, with `number` untouched, when the read fails or the
// value has another type: its data is then not to be trusted.
bool QueryNumber(HKEY key, const char* name, uint32_t* number);

// The key's port name value, read into a buffer of the name's size and judged
// by UsablePortName. False, with `name` empty, when it is no usable name.
bool QueryPortName(HKEY key, PortNameType rule, char (&name)[PortNameSize]);

// The port the window program would use: the user's own under the user
// settings key, else the one the infrared driver records. Both keys are opened
// for the read and closed again. False, with `name` empty, when neither names
// a port.
bool ReadStoredPortInUse(char (&name)[PortNameSize]);
