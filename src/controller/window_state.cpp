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

// The status line's own width, kept on the control while a note widens it.
constexpr const char* TemplateWidthProperty = "GlimmerlyTemplateWidth";

RECT ChildRect(HWND window, HWND child) {
    RECT rect = {};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void SetWidth(HWND control, int width, int height) {
    SetWindowPos(control, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The status line is sized for a command's short texts beside the progress
// bar; a note is longer and shows only while the bar is hidden, so the line
// then reaches as far as the bar does.
void FitStatusLine(HWND window, bool wide) {
    HWND line = GetDlgItem(window, IDC_STATUS_LINE);
    HWND bar = GetDlgItem(window, IDC_PROGRESS);
    if (line == nullptr || bar == nullptr) return;
    const RECT lineRect = ChildRect(window, line);
    const int height = lineRect.bottom - lineRect.top;
    const auto saved = reinterpret_cast<INT_PTR>(GetPropA(line, TemplateWidthProperty));
    if (wide && saved == 0) {
        SetPropA(line, TemplateWidthProperty, reinterpret_cast<HANDLE>(INT_PTR{lineRect.right - lineRect.left}));
        SetWidth(line, ChildRect(window, bar).right - lineRect.left, height);
    } else if (!wide && saved != 0) {
        RemovePropA(line, TemplateWidthProperty);
        SetWidth(line, static_cast<int>(saved), height);
    }
}

void SetLineText(HWND window, const char* text) {
    SendDlgItemMessageA(window, IDC_STATUS_LINE, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

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
    FitStatusLine(window, false);
    SetLineText(window, text);
}

void ShowStatusNote(HWND window, const char* text) {
    FitStatusLine(window, true);
    SetLineText(window, text);
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
