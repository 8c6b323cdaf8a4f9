#include "controller/window_state.h"

#include <array>

#include "controller/session.h"
#include "controller/window_texts.h"
#include "res/resource_ids.h"
#include "ui/window_icons.h"

namespace {

// Stacked on top of each other; the order is the order they are walked in.
constexpr std::array<int, 4> StatusPictures = {
    IDC_PICTURE_CABLE_IDLE, IDC_PICTURE_CABLE_LINKED, IDC_PICTURE_WAVES_SEARCHING,
    IDC_PICTURE_WAVES_LINKED};

constexpr std::array<int, 3> TransferControls = {IDC_SEND, IDC_FILE_LIST, IDC_RETRIEVE};

void SetSmallIcon(HWND window, HICON icon) {
    SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

// The part shared by the two ways of losing the device.
void ShowDisconnected(HWND window, int pictureId, const char* title) {
    ConnectedFlag = 0;
    ShowStatusPicture(window, pictureId);
    EnableTransferControls(window, FALSE);
    ClosePort();
    SetStatusText(window, TextNotFound);
    SetWindowTitle(window, title);
    SetSmallIcon(window, MainIcon);
}

}  // namespace

void ShowStatusPicture(HWND window, int pictureId) {
    for (int id : StatusPictures) {
        ShowWindow(GetDlgItem(window, id), id == pictureId ? SW_SHOW : SW_HIDE);
    }
}

void EnableTransferControls(HWND window, BOOL enable) {
    for (int id : TransferControls) {
        EnableWindow(GetDlgItem(window, id), enable);
    }
}

void SetWindowTitle(HWND window, const char* text) {
    SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

void ShowConnectedTitle(HWND window) {
    SetWindowTitle(window, TextConnectedTitle);
    SetSmallIcon(window, ConnectedIcon);
}

void SetStatusText(HWND window, const char* text) {
    SendDlgItemMessageA(window, IDC_STATUS_TEXT, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

void SetStatusLine(HWND window, const char* text) {
    SendDlgItemMessageA(window, IDC_STATUS_LINE, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

void ShowProgressBar(HWND window, bool visible) {
    ShowWindow(GetDlgItem(window, IDC_PROGRESS), visible ? SW_SHOW : SW_HIDE);
}

void ShowConnectedState(HWND window) {
    ConnectedFlag = 1;
    ShowStatusPicture(window, IDC_PICTURE_WAVES_LINKED);
    EnableTransferControls(window, TRUE);
    SetStatusText(window, TextFound);
    ShowConnectedTitle(window);
}

void ApplyLossSteps(HWND window) {
    ShowDisconnected(window, IDC_PICTURE_WAVES_SEARCHING, TextSearchingTitle);
}

void ApplyPortFailureReset(HWND window) {
    ShowDisconnected(window, IDC_PICTURE_CABLE_IDLE, TextPortFailureTitle);
}

void ClosePort() {
    if (PortHandle != INVALID_HANDLE_VALUE) {
        CloseHandle(PortHandle);
        PortHandle = INVALID_HANDLE_VALUE;
    }
}
