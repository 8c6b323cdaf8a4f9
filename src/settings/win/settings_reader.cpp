#include "settings/win/settings_reader.h"

#include "settings/port_in_use.h"
#include "settings/registry_layout.h"

namespace {

// Room for the longest key path of the layout with its separators.
constexpr size_t KeyPathSize = 128;
constexpr char LevelSeparator = '\\';

// The levels joined into one path, so that the key opens in one call and no
// parent level is held open on the way.
bool JoinLevels(std::span<const char* const> levels, char (&path)[KeyPathSize]) {
    size_t at = 0;
    auto put = [&](char c) {
        if (at + 1 >= KeyPathSize) return false;  // keep room for the terminator
        path[at++] = c;
        return true;
    };
    for (const char* level : levels) {
        if (at != 0 && !put(LevelSeparator)) return false;
        for (const char* c = level; *c != '\0'; ++c)
            if (!put(*c)) return false;
    }
    path[at] = '\0';
    return true;
}

// One key's port name, opened only for this read.
void ReadPortNameAt(HKEY root, std::span<const char* const> levels, PortNameType rule,
                    char (&name)[PortNameSize]) {
    name[0] = '\0';
    HKEY key = OpenKeyToQuery(root, levels);
    if (!key) return;
    QueryPortName(key, rule, name);
    RegCloseKey(key);
}

}  // namespace

HKEY OpenKeyToQuery(HKEY root, std::span<const char* const> levels) {
    char path[KeyPathSize];
    if (!JoinLevels(levels, path)) return nullptr;
    HKEY key = nullptr;
    return RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS ? key : nullptr;
}

bool QueryNumber(HKEY key, const char* name, uint32_t* number) {
    uint32_t data = 0;
    DWORD type = 0;
    DWORD size = sizeof data;
    const LONG status = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size);
    if (status != ERROR_SUCCESS || type != REG_DWORD) return false;
    *number = data;
    return true;
}

// A value longer than the buffer fails the read itself, which counts as no name.
bool QueryPortName(HKEY key, PortNameType rule, char (&name)[PortNameSize]) {
    uint8_t data[PortNameSize] = {};
    DWORD type = 0;
    DWORD size = sizeof data;
    const LONG status = RegQueryValueExA(key, PortNameValue, nullptr, &type, data, &size);
    if (status != ERROR_SUCCESS) {
        name[0] = '\0';
        return false;
    }
    return UsablePortName(rule, type, data, size, name);
}

// The driver's value is taken whatever its type, the user's only as text: the
// same rules as the window program's start-up.
bool ReadStoredPortInUse(char (&name)[PortNameSize]) {
    char user[PortNameSize];
    char driver[PortNameSize];
    ReadPortNameAt(HKEY_CURRENT_USER, SettingsLevels, PortNameType::TextOnly, user);
    ReadPortNameAt(HKEY_LOCAL_MACHINE, InfraredEnumLevels, PortNameType::Any, driver);
    lstrcpynA(name, PortInUse(user, driver), PortNameSize);
    return name[0] != '\0';
}
