#include "controller/port_choice.h"

#include "controller/session.h"
#include "controller/window_state.h"
#include "res/resource_ids.h"
#include "settings/win/store/settings_store.h"

namespace {

constexpr int LongestStatusLine = 128;

}  // namespace

void ShowPortHint(HWND window) {
    const bool hint = PortName[0] == '\0';
    const char* wanted = hint ? TextNoPortChosen : "";
    char shown[LongestStatusLine] = "";
    GetDlgItemTextA(window, IDC_STATUS_LINE, shown, sizeof shown);
    if (lstrcmpA(shown, wanted) == 0) return;
    if (hint) {
        ShowStatusNote(window, wanted);
    } else {
        SetStatusLine(window, wanted);
    }
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
