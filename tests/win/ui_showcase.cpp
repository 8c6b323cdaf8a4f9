// ui_showcase full|full-collapsed|compact [seconds [note:TEXT|busy:TEXT]]:
// opens one of the windows with the program's own classes and keeps it up for
// a while, so that a screenshot of it can be taken under Xvfb. note:TEXT shows
// TEXT as a note on the status line, busy:TEXT beside the progress bar as a
// transfer does. Not a test; nothing is checked.
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <cstring>

#include "settings/win/store/settings_store.h"
#include "app/startup.h"
#include "controller/main_window.h"
#include "controller/session.h"
#include "controller/window_state.h"
#include "res/resource_ids.h"

int main(int argc, char** argv) {
    const char* which = argc > 1 ? argv[1] : "compact";
    const DWORD seconds = argc > 2 ? static_cast<DWORD>(std::atoi(argv[2])) : 5;
    AppInstance = GetModuleHandleA(nullptr);
    InitCommonControls();
    RegisterWindowClasses(AppInstance);
    const bool full = std::strncmp(which, "full", 4) == 0;
    DisclosedFlag = std::strcmp(which, "full-collapsed") == 0 ? 0 : 1;
    HWND window = CreateDialogParamA(AppInstance,
                                     MAKEINTRESOURCEA(full ? IDD_FULL_WINDOW : IDD_COMPACT_WINDOW),
                                     nullptr, reinterpret_cast<DLGPROC>(MainWindowProc), 0);
    if (!window) return 1;
    KillTimer(window, PollTimer);  // no device to look for
    PollTimer = 0;
    const char* line = argc > 3 ? argv[3] : "";
    if (std::strncmp(line, "note:", 5) == 0) {
        ShowStatusNote(window, line + 5);
    } else if (std::strncmp(line, "busy:", 5) == 0) {
        ShowProgressBar(window, true);
        SendDlgItemMessageA(window, IDC_PROGRESS, PBM_SETPOS, 40, 0);
        SetStatusLine(window, line + 5);
    }
    const DWORD end = GetTickCount() + seconds * 1000;
    while (GetTickCount() < end) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(20);
    }
    return 0;
}
