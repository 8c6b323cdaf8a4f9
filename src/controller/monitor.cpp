#include "controller/monitor.h"

#include "controller/clipboard_preview.h"
#include "controller/port_choice.h"
#include "controller/session.h"
#include "controller/window_state.h"
#include "controller/window_position.h"
#include "controller/window_switch.h"
#include "controller/window_texts.h"
#include "link/exchange.h"
#include "link/hello.h"
#include "link/protocol.h"
#include "link/retrieve.h"
#include "link/win/serial_port.h"
#include "res/resource_ids.h"
#include "settings/win/store/settings_store.h"
#include "ui/disclosure.h"
#include "ui/progress_display.h"
#include "ui/recolour.h"

namespace {

// Gives the device a moment between the last poll and the closing of the port.
constexpr DWORD ClosingPauseMs = 1500;

// The name PortHandle was opened under. The user's choice can be read by
// others first (the Port submenu shows it as it opens), so the tick compares
// the port in use with the choice rather than waiting to see the change itself.
char OpenedPortName[PortNameSize] = "";

// The file list shows the device's files by their numbers, 1 to 8.
void FillFileList(HWND window) {
    char label[] = "1";
    for (uint32_t index = 0; index < FileCount; ++index) {
        label[0] = static_cast<char>('1' + index);
        SendDlgItemMessageA(window, IDC_FILE_LIST, CB_INSERTSTRING, index,
                            reinterpret_cast<LPARAM>(label));
    }
    SendDlgItemMessageA(window, IDC_FILE_LIST, CB_SETCURSEL, 0, 0);
}

// The module whose resources the window was made from, which holds the status
// bitmaps too.
HINSTANCE InstanceOf(HWND window) {
    return reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
}

void SelectListedFile(HWND window) {
    SendDlgItemMessageA(window, IDC_FILE_LIST, CB_SETCURSEL, CurrentFile, 0);
}

// A connected device answers the current-file query on every tick; the first
// tick it does not counts as the device gone.
void PollConnectedDevice(HWND window) {
    EnableWindow(GetDlgItem(window, IDC_SEND), ClipboardTextFlag != 0);
    SerialBytePort port(PortHandle);
    if (QueryCurrentFile(port, &CurrentFile) == ResultOk) {
        SelectListedFile(window);
    } else {
        ApplyLossSteps(window);
        ShowPortHint(window);  // a note about the last transfer goes with the device
    }
}

bool PortInUseIsChosenOne() {
    return lstrcmpiA(OpenedPortName, PortName) == 0;
}

// While searching, the port stays open between ticks: a silent device gets the
// hello again on the same handle. A hello that the port itself fails is another
// matter: the handle is dead (an unplugged USB adapter leaves it so for good),
// so it is closed, and the next tick opens the port afresh and finds the
// adapter once it is back.
void LookForDevice(HWND window) {
    // The user may have chosen another port meanwhile (the window menu, a
    // second copy with /port, or the registry by hand).
    RefreshPortName();
    if (!PortInUseIsChosenOne()) ClosePort();
    ShowPortHint(window);
    if (PortHandle == INVALID_HANDLE_VALUE) {
        PortHandle = OpenDevicePort(PortName);
        if (PortHandle == INVALID_HANDLE_VALUE) {
            return;
        }
        lstrcpynA(OpenedPortName, PortName, PortNameSize);
    }
    SelectListedFile(window);
    SerialBytePort port(PortHandle);
    const HelloOutcome hello = DetectDevice(port);
    if (hello == HelloOutcome::PortFailed) {
        ClosePort();
        return;
    }
    if (hello != HelloOutcome::DeviceFound) {
        return;
    }
    uint32_t length = 0;
    ShowConnectedState(window);
    RetrieveFile(port, nullptr, nullptr, 0, &length);  // a failed query reads as empty
    if (length == 0) {
        EnableWindow(GetDlgItem(window, IDC_RETRIEVE), FALSE);
    }
    if (QueryCurrentFile(port, &CurrentFile) != ResultOk) {
        return;  // shown connected, but without a known file nothing is fetched
    }
    SelectListedFile(window);
    if (AutoUploadFlag == AutoUploadOn) {
        // Posted, not called: the retrieve runs after this tick has let go of
        // the mutex, and before the next tick.
        PostMessageA(window, WM_COMMAND, IDC_RETRIEVE, 0);
    }
}

}  // namespace

LRESULT OnInitDialog(HWND window) {
    MainWindow = window;
    FillFileList(window);
    SetStatusText(window, TextNotFound);
    SendDlgItemMessageA(window, IDC_AUTO_RETRIEVE, BM_SETCHECK, AutoUploadFlag, 0);
    SendDlgItemMessageA(window, IDC_APPEND, BM_SETCHECK,
                        AppendFlag != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
    RefreshStatusPictures(InstanceOf(window), window);
    ShowStatusPicture(window, IDC_PICTURE_WAVES_SEARCHING);
    UseClassicProgressBar(window);
    PollTimer = SetTimer(window, PollTimerId, PollPeriodMs, nullptr);
    PreviewClipboard(window);
    EnableTransferControls(window, FALSE);
    ApplyStoredDisclosure(window, &DisclosedFlag);
    ShowPortHint(window);
    return TRUE;
}

LRESULT OnTimer(HWND window, WPARAM wParam, LPARAM lParam) {
    // A command is half done (its message box runs this loop): hands off the port.
    if (BusyFlag != 0) {
        return DefWindowProcA(window, WM_TIMER, wParam, lParam);
    }
    WaitForSingleObject(InstanceMutex, INFINITE);
    if (ConnectedFlag != 0) {
        PollConnectedDevice(window);
        ReleaseMutex(InstanceMutex);
        return TRUE;
    }
    LookForDevice(window);
    ReleaseMutex(InstanceMutex);
    return DefWindowProcA(window, WM_TIMER, wParam, lParam);
}

namespace {

bool StopPolling(HWND window) {
    if (PollTimer == 0) return false;
    KillTimer(window, PollTimer);
    PollTimer = 0;
    return true;
}

void CloseSession(HWND window) {
    ClosePort();
    StoreWindowPosition(window);
    StoreOption(DisclosedFlagValue, DisclosedFlag);
    StoreOption(AppendFlagValue, AppendFlag);
}

}  // namespace

LRESULT OnDestroy(HWND window, WPARAM wParam, LPARAM lParam) {
    // Only the window is replaced: the session goes on in its successor.
    if (WindowSwitchUnderWay()) return DefWindowProcA(window, WM_DESTROY, wParam, lParam);
    if (StopPolling(window)) Sleep(ClosingPauseMs);
    CloseSession(window);
    PostQuitMessage(0);
    return DefWindowProcA(window, WM_DESTROY, wParam, lParam);
}

// A transfer holds the session end up: cut off, the keyboard could be left in
// write mode. The user sees Glimmerly named as the program that waits, and can
// stop the transfer with Esc.
LRESULT OnQueryEndSession() {
    return BusyFlag != 0 ? FALSE : TRUE;
}

// Windows ends the process after this without WM_DESTROY, so what closing
// stores is stored now. No pause: the session end does not wait for it.
LRESULT OnEndSession(HWND window, WPARAM ending) {
    if (ending) {
        StopPolling(window);
        CloseSession(window);
    }
    return 0;
}

LRESULT OnSysColorChange(HWND window, WPARAM wParam, LPARAM lParam) {
    RefreshStatusPictures(InstanceOf(window), window);
    return DefWindowProcA(window, WM_SYSCOLORCHANGE, wParam, lParam);
}
