#include <cstdint>

#include "controller/busy_section.h"
#include "controller/commands.h"
#include "controller/display_scope.h"
#include "controller/monitor.h"
#include "controller/paste.h"
#include "controller/report.h"
#include "controller/session.h"
#include "controller/window_state.h"
#include "controller/window_texts.h"
#include "link/exchange.h"
#include "link/hello.h"
#include "link/retrieve.h"
#include "link/win/serial_port.h"
#include "res/resource_ids.h"
#include "settings/win/store/settings_store.h"
#include "text/win/text_blocks.h"
#include "ui/progress_display.h"
#include "ui/window_icons.h"

namespace {

// Room for the longest file the device holds, with the transfer's overshoot.
// The link refuses a longer announced length rather than write past it.
constexpr SIZE_T RetrieveBlockSize = 50000;

// Lets the pasting application take the text before the next poll talks to the device.
constexpr DWORD AfterRetrievePauseMs = 2000;

ResultCode TransferFile(uint8_t* text, uint32_t* portError) {
    SerialBytePort port(PortHandle);
    WindowProgress progress(MainWindow, ProgressIcons);
    DrainInput(port);  // stale bytes would be taken for the reply
    const ResultCode result = RetrieveFile(port, &progress, text, RetrieveBlockSize, &TransferLength);
    *portError = port.FailedCallError();
    return result;
}

// The device waits for this after an automatic transfer. A port failure that
// was reported has already closed the port: nothing to tell then.
void SendDoneIfConnected() {
    if (ConnectedFlag != 0) {
        SerialBytePort port(PortHandle);
        SendDoneCommand(port);
    }
}

// A failed retrieve leaves nothing behind that could be pasted by mistake.
void DiscardText(HWND window, HGLOBAL block) {
    GlobalFree(block);
    if (AutoUploadFlag == AutoUploadOn) {
        SendDoneIfConnected();
    }
    SetDlgItemTextA(window, IDC_PREVIEW, TextEmpty);
    if (OpenClipboard(window)) {
        ClipboardTextFlag = 0;
        EmptyClipboard();
        CloseClipboard();
    }
}

// The text reaches the preview and the clipboard, and in automatic mode the
// application that has the keyboard focus.
void DeliverText(HWND window, HGLOBAL block) {
    if (!ToPcText(&block, TransferLength)) {
        GlobalFree(block);
        ShowWarning(TextOutOfMemory);
        return;
    }
    if (block == nullptr) {
        return;  // nothing to show: an empty text never comes back as success
    }
    ShowTextInPreview(window, block);
    if (!PlaceTextOnClipboard(window, block)) {
        GlobalFree(block);
        return;  // nothing to paste, so the device is not told either
    }
    if (AutoUploadFlag == AutoUploadOn && ConnectedFlag != 0) {
        TypePasteKeys();
        SendDoneIfConnected();
    }
}

void ShowTransferStarted(HWND window) {
    SetStatusLine(window, TextRetrieving);
    SetWindowTitle(window, TextRetrieving);
}

// After a reported port failure the window already shows the disconnected
// state; putting the connected title back would claim a device that is gone.
void ShowTransferEnded(HWND window) {
    SetStatusLine(window, TextEmpty);
    if (ConnectedFlag != 0) {
        ShowConnectedTitle(window);
    }
}

// Busy from the first byte to the end of the pause, so the poll keeps off the
// port while the pasting application takes the text. False, with the block
// freed and nothing sent, when the block cannot be locked.
bool RetrieveWhileBusy(HWND window, HGLOBAL block) {
    const BusyScope busy;
    auto* text = static_cast<uint8_t*>(GlobalLock(block));
    if (text == nullptr) {
        GlobalFree(block);
        return false;
    }
    ZeroMemory(text, RetrieveBlockSize);
    const DisplayScope display(window, WithProgress::Yes);
    ShowTransferStarted(window);
    uint32_t portError = 0;
    const ResultCode result = TransferFile(text, &portError);
    GlobalUnlock(block);

    ReportResult(result, portError);
    ShowTransferEnded(window);
    if (result == ResultOk) {
        DeliverText(window, block);
    } else {
        DiscardText(window, block);
    }
    Sleep(AfterRetrievePauseMs);
    return true;
}

}  // namespace

LRESULT RetrieveCommand(HWND window) {
    if (ConnectedFlag == 0) {
        ShowWarning(TextNoKeyboard);
        return TRUE;
    }
    HGLOBAL block = GlobalAlloc(GMEM_DDESHARE, RetrieveBlockSize);
    if (block == nullptr) {
        ShowWarning(TextOutOfMemory);
        return TRUE;
    }
    if (!RetrieveWhileBusy(window, block)) ShowWarning(TextOutOfMemory);
    return TRUE;
}
