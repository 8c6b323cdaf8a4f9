#include "settings/win/store/settings_store.h"

#include <span>

#include "settings/port_in_use.h"
#include "settings/win/settings_reader.h"

// The registry is the program's only configuration. Every key is reached one
// level at a time and created where missing, so that a first start on a
// machine leaves the whole path behind for the next one.

char PortName[PortNameSize];
char DriverPortName[PortNameSize];
uint32_t AutoUploadFlag;
uint32_t AppendFlag;
uint32_t DisclosedFlag;
uint32_t FullWindowFlag;
WindowPosition SavedWindowPosition;
HKEY MachineSettingsKey;
HKEY UserSettingsKey;

namespace {

constexpr DWORD ProgPathSize = 256;
constexpr uint32_t ComPortSelDefault = 1;
constexpr uint32_t ComPortSelHighest = 5;
constexpr uint32_t AutoUploadDefault = 0;
constexpr uint32_t AutoUploadHighest = 1;
constexpr uint32_t OptionDefault = 0;
constexpr uint32_t FullWindowHighest = 1;

// A choice of port made this run that the user's key could not keep.
enum class UnsavedPortChoice { None, Named, Automatic };
UnsavedPortChoice UnsavedChoice = UnsavedPortChoice::None;
char UnsavedPortName[PortNameSize];

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

void WriteNumber(HKEY key, const char* name, uint32_t number) {
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
}

bool ReadUserPortName(char (&name)[PortNameSize]) {
    if (UnsavedChoice == UnsavedPortChoice::Named) {
        lstrcpynA(name, UnsavedPortName, PortNameSize);
        return name[0] != '\0';
    }
    if (UnsavedChoice == UnsavedPortChoice::Automatic || !UserSettingsKey) {
        name[0] = '\0';
        return false;
    }
    return QueryPortName(UserSettingsKey, PortNameType::TextOnly, name);
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
    if (QueryNumber(machineKey, ComPortSelValue, &selection) && selection <= ComPortSelHighest) return;
    WriteNumber(machineKey, ComPortSelValue, ComPortSelDefault);
}

// Any number is a valid flag here: nonzero simply means on.
uint32_t LoadFlag(HKEY userKey, const char* name) {
    uint32_t flag = OptionDefault;
    return QueryNumber(userKey, name, &flag) ? flag : OptionDefault;
}

void LoadAutoUpload(HKEY userKey) {
    uint32_t flag = 0;
    if (QueryNumber(userKey, AutoUploadFlagValue, &flag) && flag <= AutoUploadHighest) {
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

// Anything but a stored 0 or 1 means the compact window; nothing is repaired,
// since the value is written whenever the user chooses a window.
uint32_t LoadFullWindow(HKEY userKey) {
    uint32_t flag = OptionDefault;
    return QueryNumber(userKey, FullWindowValue, &flag) && flag <= FullWindowHighest ? flag : OptionDefault;
}

// Both halves or nothing: a corner with one coordinate missing is no place.
WindowPosition LoadWindowPosition(HKEY userKey) {
    uint32_t left = 0, top = 0;
    if (!QueryNumber(userKey, WindowLeftValue, &left) || !QueryNumber(userKey, WindowTopValue, &top)) return {};
    return {true, static_cast<int32_t>(left), static_cast<int32_t>(top)};
}

void LoadUserSettings() {
    UserSettingsKey = OpenKeyPath(HKEY_CURRENT_USER, SettingsLevels);
    if (!UserSettingsKey) return;
    DisclosedFlag = LoadFlag(UserSettingsKey, DisclosedFlagValue);
    AppendFlag = LoadFlag(UserSettingsKey, AppendFlagValue);
    LoadAutoUpload(UserSettingsKey);
    FullWindowFlag = LoadFullWindow(UserSettingsKey);
    SavedWindowPosition = LoadWindowPosition(UserSettingsKey);
}

// The enumeration key is needed only for this one read.
void LoadInfraredPort() {
    HKEY enumKey = OpenKeyPath(HKEY_LOCAL_MACHINE, InfraredEnumLevels);
    if (!enumKey) return;
    QueryPortName(enumKey, PortNameType::Any, DriverPortName);
    RegCloseKey(enumKey);
}

}  // namespace

void LoadSettings() {
    // Start from the initial state, so that a key that cannot be opened leaves
    // its options at their defaults even if settings were loaded before.
    CloseSettings();
    PortName[0] = DriverPortName[0] = '\0';
    UnsavedChoice = UnsavedPortChoice::None;
    DisclosedFlag = AppendFlag = AutoUploadFlag = FullWindowFlag = OptionDefault;
    SavedWindowPosition = {};

    LoadInfraredPort();
    LoadMachineSettings();
    LoadUserSettings();
    RefreshPortName();
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

bool RefreshPortName() {
    char user[PortNameSize];
    ReadUserPortName(user);
    const char* chosen = PortInUse(user, DriverPortName);
    if (lstrcmpA(chosen, PortName) == 0) return false;
    lstrcpynA(PortName, chosen, PortNameSize);
    return true;
}

bool UserPortChosen() {
    char chosen[PortNameSize];
    return ReadUserPortName(chosen);
}

bool ChooseUserPort(const char* name) {
    LONG status = ERROR_INVALID_HANDLE;
    if (UserSettingsKey && name) {
        status = RegSetValueExA(UserSettingsKey, PortNameValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(name),
                                static_cast<DWORD>(lstrlenA(name)) + 1);
    } else if (UserSettingsKey) {
        status = RegDeleteValueA(UserSettingsKey, PortNameValue);
        if (status == ERROR_FILE_NOT_FOUND) status = ERROR_SUCCESS;
    }
    if (status == ERROR_SUCCESS) {
        UnsavedChoice = UnsavedPortChoice::None;
    } else {
        UnsavedChoice = name ? UnsavedPortChoice::Named : UnsavedPortChoice::Automatic;
        lstrcpynA(UnsavedPortName, name ? name : "", PortNameSize);
    }
    return RefreshPortName();
}

void StoreFullWindow(uint32_t full) {
    FullWindowFlag = full;
    StoreOption(FullWindowValue, full);
}

void SaveWindowPosition(int32_t left, int32_t top) {
    SavedWindowPosition = {true, left, top};
    StoreOption(WindowLeftValue, static_cast<uint32_t>(left));
    StoreOption(WindowTopValue, static_cast<uint32_t>(top));
}
