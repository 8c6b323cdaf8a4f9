#include "controller/window_position.h"

#include "settings/win/store/settings_store.h"

namespace {

// A minimised window's own rectangle is its icon's, so its restored place
// comes from the placement. That counts from the work area of the primary
// monitor (the taskbar left or on top moves it) rather than from the screen.
bool NormalRect(HWND window, RECT* rect) {
    if (!IsIconic(window)) return GetWindowRect(window, rect) != FALSE;
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(window, &placement)) return false;
    *rect = placement.rcNormalPosition;
    MONITORINFO primary = {};
    primary.cbSize = sizeof primary;
    if (GetMonitorInfoA(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &primary)) {
        OffsetRect(rect, primary.rcWork.left - primary.rcMonitor.left, primary.rcWork.top - primary.rcMonitor.top);
    }
    return true;
}

}  // namespace

void StoreWindowPosition(HWND window) {
    RECT rect = {};
    if (!NormalRect(window, &rect)) return;
    SaveWindowPosition(rect.left, rect.top);
}

void PlaceAtStoredPosition(HWND window) {
    if (!SavedWindowPosition.known) return;
    RECT rect = {};
    GetWindowRect(window, &rect);
    OffsetRect(&rect, SavedWindowPosition.left - rect.left, SavedWindowPosition.top - rect.top);
    if (MonitorFromRect(&rect, MONITOR_DEFAULTTONULL) == nullptr) return;
    SetWindowPos(window, nullptr, rect.left, rect.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
