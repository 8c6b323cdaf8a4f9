#include "app/startup.h"

#include <commctrl.h>

#include "app/command_line.h"
#include "controller/main_window.h"
#include "controller/session.h"
#include "controller/window_switch.h"
#include "res/resource_ids.h"
#include "settings/win/store/settings_store.h"

HINSTANCE AppInstance;

namespace {

// Its name being taken is how a second copy knows that one already runs.
constexpr const char* InstanceMutexName = "Quillatron Get Utility Mutex";

constexpr int ExitNoWindowClasses = 0;
constexpr int ExitNormal = 1;  // also a second copy, and any other failure
constexpr int ExitBadCommandLine = 2;

constexpr const char* CaptionStartup = "Glimmerly";

constexpr uint32_t AutoUploadOn = 1;

// Created owned, so that the controller's own waits on it return at once.
bool TakeInstanceMutex() {
    InstanceMutex = CreateMutexA(nullptr, TRUE, InstanceMutexName);
    return InstanceMutex && GetLastError() != ERROR_ALREADY_EXISTS;
}

// The main window procedure is the class procedure and the dialog procedure
// both; it never hands messages to the dialog manager's default procedure.
HWND CreateMainWindow() {
    return CreateMainWindowFrom(AppInstance, FullWindowFlag == 1 ? IDD_FULL_WINDOW : IDD_COMPACT_WINDOW);
}

// Stored right after the settings are read, so that a second copy started only
// to make a choice leaves it behind for the running copy and the next start.
void StoreChoices(const CommandLineChoices& choices) {
    if (choices.port == PortChoice::Named) ChooseUserPort(choices.portName);
    if (choices.port == PortChoice::Automatic) ChooseUserPort(nullptr);
    if (choices.window != WindowChoice::Unchanged) StoreFullWindow(choices.window == WindowChoice::Full ? 1 : 0);
}

// Without IsDialogMessage: Tab, Enter and Esc have no dialog meaning here.
void RunMessageLoop() {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

}  // namespace

int RunGlimmerly(HINSTANCE instance) {
    AppInstance = instance;
    // A transfer holds the one thread for up to half a minute; without this the
    // system swaps the window for a frozen ghost that hides its progress.
    DisableProcessWindowsGhosting();
    const CommandLineChoices choices = ParseCommandLine(GetCommandLineA());
    if (choices.port == PortChoice::Invalid) {
        // Before anything is read or written: a mistyped port stores nothing.
        MessageBoxA(nullptr, TextPortUsage, CaptionStartup, MB_OK | MB_ICONERROR);
        return ExitBadCommandLine;
    }
    // Before the single-instance check: a second copy repairs the settings too.
    LoadSettings();
    StoreChoices(choices);
    if (!RegisterWindowClasses(AppInstance)) return ExitNoWindowClasses;
    InitCommonControls();

    if (TakeInstanceMutex()) {
        // The program always starts with the automatic retrieve on; the stored
        // value is left as it is.
        AutoUploadFlag = AutoUploadOn;
        MainWindow = CreateMainWindow();
        if (MainWindow) RunMessageLoop();
    }
    CloseSettings();
    return ExitNormal;
}
