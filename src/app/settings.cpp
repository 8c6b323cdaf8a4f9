#include "app/settings.h"

#include <cstring>
#include <span>

// The registry is the program's only configuration. Every key is reached one
// level at a time and created where missing, so that a first start on a
// machine leaves the whole path behind for the next one.

char PortName[PortNameSize];
uint32_t AutoUploadFlag;
uint32_t AppendFlag;
uint32_t DisclosedFlag;
HKEY MachineSettingsKey;
HKEY UserSettingsKey;

namespace {

constexpr const char* InfraredEnumLevels[] = {"Enum", "Infrared", "COM", "ROOT&INFRARED&0000"};
constexpr const char* SettingsLevels[] = {"Software", "ORVEX", "GetUtil", "v3.0"};

constexpr const char* PortNameValue = "PortName";
constexpr const char* ProgPathValue = "ProgPath";
constexpr const char* ComPortSelValue = "ComPortSel";

constexpr DWORD ProgPathSize = 256;
constexpr uint32_t ComPortSelDefault = 1;
constexpr uint32_t ComPortSelHighest = 5;
constexpr uint32_t AutoUploadDefault = 0;
constexpr uint32_t AutoUploadHighest = 1;
constexpr uint32_t OptionDefault = 0;

// Opens (creating where needed) one level below `parent`. Null on failure.
HKEY OpenLevel(HKEY parent, const char* name) {
    HKEY child = nullptr;
    const LONG status = RegCreateKeyExA(parent, name, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                        KEY_ALL_ACCESS, nullptr, &child, nullptr);
    return status == ERROR_SUCCESS ? child : nullptr;
}

// Walks `levels` down from `root`, closing each level once the next is open.
// A level that cannot be opened ends the walk: the key is then not available.
HKEY OpenKeyPath(HKEY root, std::span<const char* const> levels) {
    HKEY current = root;
    for (const char* level : levels) {
        HKEY next = OpenLevel(current, level);
        if (current != root) RegCloseKey(current);
        if (!next) return nullptr;
        current = next;
    }
    return current;
}

// A 32-bit number as the registry holds it. False when the read fails or the
// value is not a REG_DWORD; the data is then not to be trusted.
bool ReadNumber(HKEY key, const char* name, uint32_t* number) {
    uint32_t data = 0;
    DWORD type = 0;
    DWORD size = sizeof data;
    const LONG status =
        RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size);
    if (status != ERROR_SUCCESS || type != REG_DWORD) return false;
    *number = data;
    return true;
}

void WriteNumber(HKEY key, const char* name, uint32_t number) {
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
}

// The port name is used as a C string when the port is opened, so a name
// whose bytes carry no terminator (it filled the buffer exactly, or was stored
// as raw bytes) is no name at all rather than one that runs off its buffer.
void LoadPortName(HKEY enumKey) {
    char name[PortNameSize] = {};
    DWORD size = sizeof name;
    const LONG status =
        RegQueryValueExA(enumKey, PortNameValue, nullptr, nullptr, reinterpret_cast<BYTE*>(name), &size);
    if (status != ERROR_SUCCESS) return;
    if (!std::memchr(name, 0, size)) return;
    std::memcpy(PortName, name, sizeof name);
}

// Nothing reads ProgPath back; it only records where the program was started
// from the first time, so a readable one is never touched.
void CheckProgPath(HKEY machineKey) {
    char path[ProgPathSize];
    DWORD type = 0;
    DWORD size = sizeof path;
    const LONG status =
        RegQueryValueExA(machineKey, ProgPathValue, nullptr, &type, reinterpret_cast<BYTE*>(path), &size);
    if (status == ERROR_SUCCESS && type == REG_SZ) return;
    const char* commandLine = GetCommandLineA();
    RegSetValueExA(machineKey, ProgPathValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(commandLine),
                   static_cast<DWORD>(lstrlenA(commandLine)) + 1);
}

void CheckComPortSel(HKEY machineKey) {
    uint32_t selection = 0;
    if (ReadNumber(machineKey, ComPortSelValue, &selection) && selection <= ComPortSelHighest) return;
    WriteNumber(machineKey, ComPortSelValue, ComPortSelDefault);
}

// Any number is a valid flag here: nonzero simply means on.
uint32_t LoadFlag(HKEY userKey, const char* name) {
    uint32_t flag = OptionDefault;
    return ReadNumber(userKey, name, &flag) ? flag : OptionDefault;
}

void LoadAutoUpload(HKEY userKey) {
    uint32_t flag = 0;
    if (ReadNumber(userKey, AutoUploadFlagValue, &flag) && flag <= AutoUploadHighest) {
        AutoUploadFlag = flag;
        return;
    }
    AutoUploadFlag = AutoUploadDefault;
    WriteNumber(userKey, AutoUploadFlagValue, AutoUploadFlag);
}

void LoadMachineSettings() {
    MachineSettingsKey = OpenKeyPath(HKEY_LOCAL_MACHINE, SettingsLevels);
    if (!MachineSettingsKey) return;
    CheckProgPath(MachineSettingsKey);
    CheckComPortSel(MachineSettingsKey);
}

void LoadUserSettings() {
    UserSettingsKey = OpenKeyPath(HKEY_CURRENT_USER, SettingsLevels);
    if (!UserSettingsKey) return;
    DisclosedFlag = LoadFlag(UserSettingsKey, DisclosedFlagValue);
    AppendFlag = LoadFlag(UserSettingsKey, AppendFlagValue);
    LoadAutoUpload(UserSettingsKey);
}

// The enumeration key is needed only for this one read.
void LoadInfraredPort() {
    HKEY enumKey = OpenKeyPath(HKEY_LOCAL_MACHINE, InfraredEnumLevels);
    if (!enumKey) return;
    LoadPortName(enumKey);
    RegCloseKey(enumKey);
}

}  // namespace

void LoadSettings() {
    // Start from the initial state, so that a key that cannot be opened leaves
    // its options at their defaults even if settings were loaded before.
    CloseSettings();
    PortName[0] = '\0';
    DisclosedFlag = AppendFlag = AutoUploadFlag = OptionDefault;

    LoadInfraredPort();
    LoadMachineSettings();
    LoadUserSettings();
}

void CloseSettings() {
    if (MachineSettingsKey) RegCloseKey(MachineSettingsKey);
    MachineSettingsKey = nullptr;
    if (UserSettingsKey) RegCloseKey(UserSettingsKey);
    UserSettingsKey = nullptr;
}

void StoreOption(const char* valueName, uint32_t value) {
    if (!UserSettingsKey) return;
    WriteNumber(UserSettingsKey, valueName, value);
}
