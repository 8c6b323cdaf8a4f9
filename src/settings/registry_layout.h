#pragma once
// Where Glimmerly keeps what it knows about the PC in the registry: the keys,
// each as the levels below its root, and the names of their values. Both
// programs read these names from here, so that the command line finds the
// port exactly where the window program stores it.

// Below HKEY_LOCAL_MACHINE: where an infrared driver records its COM port.
inline constexpr const char* InfraredEnumLevels[] = {"Enum", "Infrared", "COM", "ROOT&INFRARED&0000"};

// Below HKEY_LOCAL_MACHINE (bookkeeping) and HKEY_CURRENT_USER (the user's own
// choices): the same levels under both roots.
inline constexpr const char* SettingsLevels[] = {"Software", "ORVEX", "GetUtil", "v3.0"};

// The port's name: the driver's under the enumeration key, the user's own
// under the user settings key.
inline constexpr const char* PortNameValue = "PortName";

// Under the machine settings key; nothing reads them back.
inline constexpr const char* ProgPathValue = "ProgPath";
inline constexpr const char* ComPortSelValue = "ComPortSel";

// The options under the user settings key.
inline constexpr const char* DisclosedFlagValue = "DisclosedFlag";
inline constexpr const char* AppendFlagValue = "AppendFlag";
inline constexpr const char* AutoUploadFlagValue = "AutoUploadFlag";
inline constexpr const char* FullWindowValue = "FullWindow";
// Where the user left the window: its top left corner in screen coordinates,
// REG_DWORD read as signed (a monitor left of or above the main one has
// negative coordinates).
inline constexpr const char* WindowLeftValue = "WindowLeft";
inline constexpr const char* WindowTopValue = "WindowTop";

// Below HKEY_CURRENT_USER: what Windows starts when the user signs in, one
// value per program, each a command line.
inline constexpr const wchar_t* RunKeyPath = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const wchar_t* RunValueName = L"Glimmerly";
