#include "controller/main_window.h"

#include "controller/clipboard_preview.h"
#include "controller/commands.h"
#include "controller/monitor.h"
#include "controller/session.h"
#include "controller/window_menu.h"
#include "controller/window_position.h"
#include "res/resource_ids.h"

namespace {

// Commands are matched on the whole wParam, notification code included, so a
// focus or double-click notification of the same control is not taken for a click.
constexpr WPARAM CommandSend = MAKEWPARAM(IDC_SEND, BN_CLICKED);
constexpr WPARAM CommandRetrieve = MAKEWPARAM(IDC_RETRIEVE, BN_CLICKED);
constexpr WPARAM CommandAutoRetrieve = MAKEWPARAM(IDC_AUTO_RETRIEVE, BN_CLICKED);
constexpr WPARAM CommandAppend = MAKEWPARAM(IDC_APPEND, BN_CLICKED);
constexpr WPARAM CommandFileChosen = MAKEWPARAM(IDC_FILE_LIST, CBN_SELCHANGE);

LRESULT OnCommand(HWND window, WPARAM wParam, LPARAM lParam) {
    switch (wParam) {
    case CommandSend:
        return SendCommand(window);
    case CommandRetrieve:
        return RetrieveCommand(window);
    case CommandAutoRetrieve:
        return AutoRetrieveOptionCommand(window);
    case CommandAppend:
        return AppendOptionCommand(window);
    case CommandFileChosen:
        return FileSwitchCommand(window);
    default:
        // A submenu of the window menu may report its choice as a command.
        if (HIWORD(wParam) == 0 && OnWindowMenuCommand(window, static_cast<UINT>(wParam))) return TRUE;
        return DefWindowProcA(window, WM_COMMAND, wParam, lParam);
    }
}

LRESULT OnSysCommand(HWND window, WPARAM wParam, LPARAM lParam) {
    if (OnWindowMenuCommand(window, static_cast<UINT>(wParam))) return 0;
    return DefWindowProcA(window, WM_SYSCOMMAND, wParam, lParam);
}

LRESULT OnInitMenuPopup(HWND window, WPARAM wParam, LPARAM lParam) {
    OnInitWindowMenu(window, reinterpret_cast<HMENU>(wParam), HIWORD(lParam));
    return DefWindowProcA(window, WM_INITMENUPOPUP, wParam, lParam);
}

LRESULT OnActivateApp(HWND window) {
    RefreshClipboardPreview(window);
    return TRUE;
}

}  // namespace

// Also the dialog procedure: since it never hands anything to the dialog
// manager's default procedure, the dialog manager never calls it a second time.
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        InstallWindowMenu(window);
        PlaceAtStoredPosition(window);
        return OnInitDialog(window);
    case WM_TIMER:
        return OnTimer(window, wParam, lParam);
    case WM_COMMAND:
        return OnCommand(window, wParam, lParam);
    case WM_SYSCOMMAND:
        return OnSysCommand(window, wParam, lParam);
    case WM_INITMENUPOPUP:
        return OnInitMenuPopup(window, wParam, lParam);
    case WM_ACTIVATEAPP:
        return OnActivateApp(window);
    case WM_SYSCOLORCHANGE:
        return OnSysColorChange(window, wParam, lParam);
    case WM_DESTROY:
        return OnDestroy(window, wParam, lParam);
    case WM_QUERYENDSESSION:
        return OnQueryEndSession();
    case WM_ENDSESSION:
        return OnEndSession(window, wParam);
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

// The hidden helper window exists before the main window and sees every change
// of the active application too; it only keeps the preview current.
LRESULT CALLBACK HelperWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_ACTIVATEAPP) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    if (MainWindow != nullptr) {
        RefreshClipboardPreview(window);
    }
    return 0;
}
