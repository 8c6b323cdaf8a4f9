#include "controller/window_menu.h"

#include "controller/device_backup_command.h"
#include "controller/port_menu.h"
#include "controller/session.h"
#include "controller/window_switch.h"
#include "settings/win/store/start_with_windows.h"

namespace {

constexpr const char* TextPortMenu = "Port";
constexpr const char* TextToFullWindow = "Full window";
constexpr const char* TextToCompactWindow = "Compact window";
constexpr const char* TextBackUpAllFiles = "Back up all files...";
constexpr const char* TextRestoreFiles = "Restore files...";
constexpr const char* TextStartWithWindows = "Start with Windows";
constexpr const char* CaptionStartWithWindows = "Glimmerly";
constexpr const char* TextRunValueRefused =
    "Windows did not let Glimmerly change whether it starts with Windows (system error %lu).";
constexpr int LongestMessage = 128;

// One row per item of ours on the window menu: its id, its text in this
// window, what it does, whether it waits while a command runs, and, for an
// item with a tick, whether it is ticked now.
struct WindowMenuItem {
    UINT id;
    const char* (*text)(HWND window);
    void (*run)(HWND window);
    bool greyedWhileBusy;
    bool (*ticked)();
};

const char* SwitchWindowText(HWND window) {
    return IsFullWindow(window) ? TextToCompactWindow : TextToFullWindow;
}

const char* BackUpText(HWND) { return TextBackUpAllFiles; }
const char* RestoreText(HWND) { return TextRestoreFiles; }
void BackUp(HWND window) { BackupAllFilesCommand(window); }
void Restore(HWND window) { RestoreFilesCommand(window); }
const char* StartWithWindowsText(HWND) { return TextStartWithWindows; }

// The tick is read afresh from the Run value each time the menu opens, so it
// shows what Windows will do, whoever changed the value.
void ToggleStartWithWindows(HWND window) {
    const LONG status = SetStartWithWindows(!StartsWithWindows());
    if (status == ERROR_SUCCESS) return;
    char message[LongestMessage];
    wsprintfA(message, TextRunValueRefused, static_cast<unsigned long>(status));
    MessageBoxA(window, message, CaptionStartWithWindows, MB_OK | MB_ICONWARNING);
}

constexpr WindowMenuItem WindowMenuItems[] = {
    {IdSwitchWindow, SwitchWindowText, SwitchWindowCommand, true, nullptr},
    {IdBackUpAllFiles, BackUpText, BackUp, true, nullptr},
    {IdRestoreFiles, RestoreText, Restore, true, nullptr},
    {IdStartWithWindows, StartWithWindowsText, ToggleStartWithWindows, false, StartsWithWindows},
};

// The Port submenu of the current main window (each window has its own menu).
HMENU PortMenu = nullptr;

}  // namespace

void InstallWindowMenu(HWND window) {
    HMENU menu = GetSystemMenu(window, FALSE);
    if (menu == nullptr) return;
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    PortMenu = CreatePortMenu();
    if (PortMenu != nullptr) {
        AppendMenuA(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(PortMenu), TextPortMenu);
    }
    for (const WindowMenuItem& item : WindowMenuItems) {
        AppendMenuA(menu, MF_STRING, item.id, item.text(window));
    }
}

void OnInitWindowMenu(HWND /*window*/, HMENU menu, BOOL isWindowMenu) {
    const bool busy = BusyFlag != 0;
    if (menu == PortMenu) {
        FillPortMenu(menu, busy);
        return;
    }
    if (!isWindowMenu) return;
    for (const WindowMenuItem& item : WindowMenuItems) {
        const bool greyed = busy && item.greyedWhileBusy;
        EnableMenuItem(menu, item.id, MF_BYCOMMAND | (greyed ? MF_GRAYED : MF_ENABLED));
        if (item.ticked) CheckMenuItem(menu, item.id, MF_BYCOMMAND | (item.ticked() ? MF_CHECKED : MF_UNCHECKED));
    }
}

bool OnWindowMenuCommand(HWND window, UINT id) {
    id &= WindowMenuIdMask;
    for (const WindowMenuItem& item : WindowMenuItems) {
        if (item.id != id) continue;
        if (!(BusyFlag != 0 && item.greyedWhileBusy)) item.run(window);
        return true;
    }
    if (BusyFlag != 0 && id >= IdPortFirst && id <= IdFindKeyboard) return true;
    return PortMenuCommand(window, id);
}
