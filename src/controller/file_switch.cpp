#include <cstdint>

#include "controller/busy_section.h"
#include "controller/commands.h"
#include "controller/display_scope.h"
#include "controller/file_switch.h"
#include "controller/report.h"
#include "controller/session.h"
#include "controller/window_state.h"
#include "controller/window_texts.h"
#include "link/exchange.h"
#include "link/hello.h"
#include "link/protocol.h"
#include "link/retrieve.h"
#include "link/win/serial_port.h"
#include "res/resource_ids.h"

// The selection's result is the one reported, so its port error is taken before
// the length query, which fails too on a dead port, can note its own.
ResultCode SwitchDeviceFile(BytePort& port, uint32_t index, uint32_t* length, uint32_t* portError) {
    DrainInput(port);
    port.NoteFailedCall(0);  // a failed drain is not the selection's failure
    const ResultCode result = SelectFile(port, index);
    *portError = port.FailedCallError();
    RetrieveFile(port, nullptr, nullptr, 0, length);
    return result;
}

LRESULT FileSwitchCommand(HWND window) {
    if (ConnectedFlag == 0) {
        SendDlgItemMessageA(window, IDC_FILE_LIST, CB_SETCURSEL, 0, 0);
        return TRUE;
    }
    // A list without a selection answers CB_ERR; that names no device file.
    const LRESULT selection = SendDlgItemMessageA(window, IDC_FILE_LIST, CB_GETCURSEL, 0, 0);
    if (selection < 0 || selection >= static_cast<LRESULT>(FileCount)) {
        SendDlgItemMessageA(window, IDC_FILE_LIST, CB_SETCURSEL, CurrentFile, 0);
        return TRUE;
    }
    const BusyScope busy;
    CurrentFile = static_cast<uint32_t>(selection);
    // The switch is quick: a wait cursor, but no progress bar.
    const DisplayScope display(window, WithProgress::No);
    SetStatusLine(window, TextSwitching);

    uint32_t length = 0;
    uint32_t portError = 0;
    SerialBytePort port(PortHandle);
    const ResultCode result = SwitchDeviceFile(port, CurrentFile, &length, &portError);
    ReportResult(result, portError);
    EnableWindow(GetDlgItem(window, IDC_RETRIEVE), length != 0);
    SetStatusLine(window, TextEmpty);
    return TRUE;
}
