#pragma once
#include <windows.h>
#include <cstdint>

#include "link/port_name.h"
#include "settings/registry_layout.h"

// The window program's settings in the registry: the infrared driver's port
// name (read only), the user's own port, and the options under the machine and
// user settings keys. Read, checked and repaired once at start-up; the two
// settings keys stay open until CloseSettings. Unlike the read-only face, this
// store creates its keys where they are missing and writes its repairs.

extern char PortName[PortNameSize];        // the port in use; empty when none is known
extern char DriverPortName[PortNameSize];  // the infrared driver's port; empty when none

extern uint32_t AutoUploadFlag;
extern uint32_t AppendFlag;
extern uint32_t DisclosedFlag;
extern uint32_t FullWindowFlag;  // 1: the full window opens at start-up; else the compact one

// The window's top left corner as the user last left it, in screen coordinates.
struct WindowPosition {
    bool known;  // false until a position has been stored
    int32_t left;
    int32_t top;
};
extern WindowPosition SavedWindowPosition;

extern HKEY MachineSettingsKey;  // null while not open
extern HKEY UserSettingsKey;     // null while not open

void LoadSettings();
void CloseSettings();

// Stores a 32-bit option under the user settings key, when it is open.
void StoreOption(const char* valueName, uint32_t value);

// The user's own port beats the driver's. Re-reads the user's value (cheap)
// and sets PortName; true when the port in use changed.
bool RefreshPortName();

// Whether the port in use is the user's own choice rather than the driver's.
bool UserPortChosen();

// Stores `name` as the user's port, or removes the user's value (null), and
// sets PortName. When the user's key cannot be written, the choice still holds
// for this run. True when the port in use changed.
bool ChooseUserPort(const char* name);

// Remembers the window last chosen.
void StoreFullWindow(uint32_t full);

// Remembers where the window is, for its successor and the next start.
void SaveWindowPosition(int32_t left, int32_t top);
