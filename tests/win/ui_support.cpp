#include "ui_support.h"

#include <commctrl.h>

#include "settings/win/store/settings_store.h"
#include "app/startup.h"
#include "controller/main_window.h"
#include "controller/session.h"

namespace ui_test {

void PrepareProgram() {
    static bool prepared = false;
    if (prepared) return;
    AppInstance = GetModuleHandleA(nullptr);
    // A port is known, so the status line stays as the template makes it
    // rather than telling the user where to choose one.
    lstrcpynA(PortName, "COM7", PortNameSize);
    InitCommonControls();
    RegisterWindowClasses(AppInstance);
    prepared = true;
}

HWND OpenMainWindow(int templateId, uint32_t disclosed) {
    PrepareProgram();
    DisclosedFlag = disclosed;
    HWND window = CreateDialogParamA(AppInstance, MAKEINTRESOURCEA(templateId), nullptr,
                                     reinterpret_cast<DLGPROC>(MainWindowProc), 0);
    if (window && PollTimer) {
        KillTimer(window, PollTimer);
        PollTimer = 0;
    }
    MainWindow = window;
    PumpMessages();
    return window;
}

void CloseMainWindow(HWND window) {
    if (PollTimer) {
        KillTimer(window, PollTimer);
        PollTimer = 0;
    }
    DestroyWindow(window);
    PumpMessages();
    MainWindow = nullptr;
}

void PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) continue;  // closing a main window posts it
        if (message.message == WM_COMMAND && message.hwnd == MainWindow) continue;  // no retrieve
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

RECT PlaceOf(HWND window, int controlId) {
    RECT place = {};
    GetWindowRect(GetDlgItem(window, controlId), &place);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&place), 2);
    return place;
}

// The dialog manager converts a control's size apart from its place, so the
// right and bottom edges are the converted place plus the converted size.
RECT DialogUnits(HWND window, int x, int y, int w, int h) {
    RECT r = {x, y, w, h};
    MapDialogRect(window, &r);
    return {r.left, r.top, r.left + r.right, r.top + r.bottom};
}

std::string TextOf(HWND control) {
    char text[256] = "";
    GetWindowTextA(control, text, sizeof text);
    return text;
}

std::string ClassOf(HWND control) {
    char name[256] = "";
    GetClassNameA(control, name, sizeof name);
    return name;
}

}  // namespace ui_test
