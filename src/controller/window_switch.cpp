#include "controller/window_switch.h"

#include "controller/main_window.h"
#include "controller/session.h"
#include "controller/window_position.h"
#include "controller/window_state.h"
#include "controller/window_texts.h"
#include "res/resource_ids.h"
#include "settings/win/store/settings_store.h"

namespace {

constexpr int LongestText = 128;

bool SwitchUnderWay = false;

// What the old window shows that its successor's WM_INITDIALOG cannot know.
struct WindowLook {
    char title[LongestText];
    char statusText[LongestText];
    char statusLine[LongestText];
    int picture;
    bool hasRetrieveButton;
    bool retrieveEnabled;
};

int VisiblePicture(HWND window) {
    for (int id = IDC_PICTURE_CABLE_IDLE; id <= IDC_PICTURE_WAVES_LINKED; ++id) {
        if (IsWindowVisible(GetDlgItem(window, id))) return id;
    }
    return IDC_PICTURE_WAVES_SEARCHING;
}

WindowLook CaptureLook(HWND window) {
    WindowLook look = {};
    GetWindowTextA(window, look.title, sizeof look.title);
    GetDlgItemTextA(window, IDC_STATUS_TEXT, look.statusText, sizeof look.statusText);
    GetDlgItemTextA(window, IDC_STATUS_LINE, look.statusLine, sizeof look.statusLine);
    look.picture = VisiblePicture(window);
    HWND retrieve = GetDlgItem(window, IDC_RETRIEVE);
    look.hasRetrieveButton = retrieve != nullptr;
    look.retrieveEnabled = retrieve != nullptr && IsWindowEnabled(retrieve);
    return look;
}

// A title the program set itself (after a loss or a port failure) carries
// over; the template's own title is the new template's.
bool ProgramSetTitle(const char* title) {
    return lstrcmpA(title, TextSearchingTitle) == 0 || lstrcmpA(title, TextPortFailureTitle) == 0;
}

void ShowLook(HWND window, const WindowLook& look) {
    SendDlgItemMessageA(window, IDC_FILE_LIST, CB_SETCURSEL, CurrentFile, 0);
    if (ConnectedFlag != 0) {
        ShowConnectedState(window);
        EnableWindow(GetDlgItem(window, IDC_SEND), ClipboardTextFlag != 0);
        if (look.hasRetrieveButton) EnableWindow(GetDlgItem(window, IDC_RETRIEVE), look.retrieveEnabled);
    } else {
        ShowStatusPicture(window, look.picture);
        SetStatusText(window, look.statusText);
        if (ProgramSetTitle(look.title)) SetWindowTitle(window, look.title);
    }
    // No command runs during a switch, so whatever the line holds is a note.
    if (look.statusLine[0] != '\0') {
        ShowStatusNote(window, look.statusLine);
    } else {
        SetStatusLine(window, look.statusLine);
    }
}

}  // namespace

HWND CreateMainWindowFrom(HINSTANCE instance, int templateId) {
    return CreateDialogParamA(instance, MAKEINTRESOURCEA(templateId), nullptr,
                              reinterpret_cast<DLGPROC>(MainWindowProc), 0);
}

bool IsFullWindow(HWND window) { return GetDlgItem(window, IDC_SEND) != nullptr; }

void SwitchWindowCommand(HWND window) {
    if (BusyFlag != 0) return;
    const bool toFull = !IsFullWindow(window);
    const WindowLook look = CaptureLook(window);
    const UINT_PTR oldTimer = PollTimer;
    auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));

    StoreWindowPosition(window);  // where the successor opens
    // The new window first, so that the program is never without one and the
    // activation passes straight from the old to the new.
    HWND next = CreateMainWindowFrom(instance, toFull ? IDD_FULL_WINDOW : IDD_COMPACT_WINDOW);
    if (next == nullptr) {
        MainWindow = window;
        PollTimer = oldTimer;
        return;
    }
    ShowLook(next, look);
    StoreFullWindow(toFull ? 1 : 0);

    SwitchUnderWay = true;
    DestroyWindow(window);
    SwitchUnderWay = false;
}

bool WindowSwitchUnderWay() { return SwitchUnderWay; }
