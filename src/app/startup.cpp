#include "app/startup.h"

#include <commctrl.h>

#include "app/settings.h"
#include "controller/main_window.h"
#include "controller/session.h"
#include "res/resource_ids.h"

HINSTANCE AppInstance;

namespace {

// Its name being taken is how a second copy knows that one already runs.
constexpr const char* InstanceMutexName = "Quillatron Get Utility Mutex";

constexpr int ExitNoWindowClasses = 0;
constexpr int ExitNormal = 1;  // also a second copy, and any other failure

constexpr uint32_t AutoUploadOn = 1;

// Created owned, so that the controller's own waits on it return at once.
bool TakeInstanceMutex() {
    InstanceMutex = CreateMutexA(nullptr, TRUE, InstanceMutexName);
    return InstanceMutex && GetLastError() != ERROR_ALREADY_EXISTS;
}

// The main window procedure is the class procedure and the dialog procedure
// both; it never hands messages to the dialog manager's default procedure.
HWND CreateMainWindow() {
    return CreateDialogParamA(AppInstance, MAKEINTRESOURCEA(IDD_COMPACT_WINDOW), nullptr,
                              reinterpret_cast<DLGPROC>(MainWindowProc), 0);
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
    // Before the single-instance check: a second copy repairs the settings too.
    LoadSettings();
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
