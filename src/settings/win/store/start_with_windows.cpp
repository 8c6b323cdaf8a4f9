#include "settings/win/store/start_with_windows.h"

#include "settings/registry_layout.h"

namespace {

// A path with its quotes and terminator, and then some: a longer value cannot
// name this executable anyway.
constexpr DWORD CommandSize = 1024;
constexpr wchar_t Quote = L'"';

// Room for the quotes around the path.
constexpr DWORD LongestPath = CommandSize - 3;

// This executable's full path; false when it does not fit in a command with
// its quotes, since a cut path would start nothing.
bool ThisExecutable(wchar_t (&path)[CommandSize]) {
    const DWORD length = GetModuleFileNameW(nullptr, path, CommandSize);
    return length != 0 && length <= LongestPath;
}

bool ReadRunCommand(wchar_t (&command)[CommandSize]) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, RunKeyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    DWORD type = 0;
    DWORD size = sizeof command - sizeof command[0];  // room kept for a terminator of our own
    const LONG status = RegQueryValueExW(key, RunValueName, nullptr, &type, reinterpret_cast<BYTE*>(command), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
    command[size / sizeof command[0]] = L'\0';
    if (type == REG_SZ) return true;
    wchar_t expanded[CommandSize];
    const DWORD length = ExpandEnvironmentStringsW(command, expanded, CommandSize);
    if (length == 0 || length > CommandSize) return false;
    lstrcpynW(command, expanded, CommandSize);
    return true;
}

// `text` up to `end` against `path`, in any letter case.
bool SamePath(const wchar_t* text, const wchar_t* end, const wchar_t* path) {
    wchar_t part[CommandSize];
    const int length = static_cast<int>(end - text);
    if (length <= 0 || length >= static_cast<int>(CommandSize)) return false;
    lstrcpynW(part, text, length + 1);
    return lstrcmpiW(part, path) == 0;
}

const wchar_t* Find(const wchar_t* text, wchar_t c) {
    while (*text != L'\0' && *text != c) ++text;
    return text;
}

LONG WriteRunValue(HKEY key) {
    wchar_t path[CommandSize];
    if (!ThisExecutable(path)) return ERROR_FILENAME_EXCED_RANGE;
    wchar_t command[CommandSize];
    const int length = lstrlenW(path);
    command[0] = Quote;
    lstrcpynW(command + 1, path, length + 1);
    command[length + 1] = Quote;
    command[length + 2] = L'\0';
    return RegSetValueExW(key, RunValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(command),
                          static_cast<DWORD>(length + 3) * sizeof command[0]);
}

LONG DeleteRunValue(HKEY key) {
    const LONG status = RegDeleteValueW(key, RunValueName);
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

}  // namespace

bool RunCommandStarts(const wchar_t* command, const wchar_t* path) {
    while (*command == L' ') ++command;
    if (*command == Quote) {
        const wchar_t* closing = Find(command + 1, Quote);
        return *closing == Quote && SamePath(command + 1, closing, path);
    }
    const wchar_t* end = command + lstrlenW(command);
    while (end > command && end[-1] == L' ') --end;
    return SamePath(command, end, path) || SamePath(command, Find(command, L' '), path);
}

bool StartsWithWindows() {
    wchar_t path[CommandSize];
    wchar_t command[CommandSize];
    return ThisExecutable(path) && ReadRunCommand(command) && RunCommandStarts(command, path);
}

LONG SetStartWithWindows(bool start) {
    HKEY key = nullptr;
    const LONG opened = RegCreateKeyExW(HKEY_CURRENT_USER, RunKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                        KEY_SET_VALUE, nullptr, &key, nullptr);
    if (opened != ERROR_SUCCESS) return opened;
    const LONG status = start ? WriteRunValue(key) : DeleteRunValue(key);
    RegCloseKey(key);
    return status;
}
