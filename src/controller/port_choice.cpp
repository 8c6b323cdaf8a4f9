#include "controller/port_choice.h"

#include "controller/session.h"
#include "controller/window_state.h"
#include "res/resource_ids.h"
#include "settings/win/store/settings_store.h"

namespace {

constexpr int LongestStatusLine = 128;
// The status line's own width, kept on the control while the hint widens it.
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
// bar; the hint is longer and shows only while no command runs, when the bar
// is hidden, so the line then reaches as far as the bar does.
void FitStatusLine(HWND window, bool hint) {
    HWND line = GetDlgItem(window, IDC_STATUS_LINE);
    HWND bar = GetDlgItem(window, IDC_PROGRESS);
    if (line == nullptr || bar == nullptr) return;
    const RECT lineRect = ChildRect(window, line);
    const int height = lineRect.bottom - lineRect.top;
    const auto saved = reinterpret_cast<INT_PTR>(GetPropA(line, TemplateWidthProperty));
    if (hint && saved == 0) {
        SetPropA(line, TemplateWidthProperty, reinterpret_cast<HANDLE>(INT_PTR{lineRect.right - lineRect.left}));
        SetWidth(line, ChildRect(window, bar).right - lineRect.left, height);
    } else if (!hint && saved != 0) {
        RemovePropA(line, TemplateWidthProperty);
        SetWidth(line, static_cast<int>(saved), height);
    }
}

}  // namespace

void ShowPortHint(HWND window) {
    const bool hint = PortName[0] == '\0';
    const char* wanted = hint ? TextNoPortChosen : "";
    char shown[LongestStatusLine] = "";
    GetDlgItemTextA(window, IDC_STATUS_LINE, shown, sizeof shown);
    if (lstrcmpA(shown, wanted) == 0) return;
    FitStatusLine(window, hint);
    SetStatusLine(window, wanted);
}

void ReleaseOwnPort(HWND window) {
    if (ConnectedFlag != 0) {
        ApplyLossSteps(window);
    } else {
        ClosePort();
    }
}

// A connected device on an unchanged port stays connected: dropping it would
// only bring another automatic retrieve. While searching, the port is opened
// afresh either way, which also picks up an adapter plugged in again.
void ApplyPortChoice(HWND window, const char* name) {
    if (ChooseUserPort(name) || ConnectedFlag == 0) ReleaseOwnPort(window);
    ShowPortHint(window);
}
