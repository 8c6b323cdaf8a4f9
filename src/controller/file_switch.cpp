#include <cstdint>

#include "controller/busy_section.h"
#include "controller/commands.h"
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

namespace {

// Makes the chosen file current and learns its length, so that the retrieve
// is offered only for a file with text. A failed length query reads as empty.
ResultCode SwitchDeviceFile(uint32_t* length) {
    SerialBytePort port(PortHandle);
    DrainInput(port);
    const ResultCode result = SelectFile(port, CurrentFile);
    RetrieveFile(port, nullptr, nullptr, 0, length);
    return result;
}

}  // namespace

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
    EnterBusy();
    CurrentFile = static_cast<uint32_t>(selection);
    HCURSOR savedCursor = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    SetStatusLine(window, TextSwitching);

    uint32_t length = 0;
    const ResultCode result = SwitchDeviceFile(&length);
    ReportResult(result);
    EnableWindow(GetDlgItem(window, IDC_RETRIEVE), length != 0);
    SetStatusLine(window, TextEmpty);
    SetCursor(savedCursor);
    LeaveBusy();
    return TRUE;
}
