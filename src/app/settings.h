#pragma once
#include <windows.h>
#include <cstdint>

// Settings kept in the registry: the infrared port's name (read only), and the
// options under the machine and user settings keys. Read, checked and repaired
// once at start-up; the two settings keys stay open until CloseSettings.

inline constexpr uint32_t PortNameSize = 10;
extern char PortName[PortNameSize];  // empty when the registry holds no usable name

extern uint32_t AutoUploadFlag;
extern uint32_t AppendFlag;
extern uint32_t DisclosedFlag;

// Names of the options' values under the user settings key.
inline constexpr const char* DisclosedFlagValue = "DisclosedFlag";
inline constexpr const char* AppendFlagValue = "AppendFlag";
inline constexpr const char* AutoUploadFlagValue = "AutoUploadFlag";

extern HKEY MachineSettingsKey;  // null while not open
extern HKEY UserSettingsKey;     // null while not open

void LoadSettings();
void CloseSettings();

// Stores a 32-bit option under the user settings key, when it is open.
void StoreOption(const char* valueName, uint32_t value);
