#include <cstdint>

#include "controller/busy_section.h"
#include "controller/clipboard_preview.h"
#include "controller/commands.h"
#include "controller/display_scope.h"
#include "controller/report.h"
#include "controller/session.h"
#include "controller/window_state.h"
#include "controller/window_texts.h"
#include "link/hello.h"
#include "link/send_text.h"
#include "link/win/serial_port.h"
#include "res/resource_ids.h"
#include "settings/win/store/settings_store.h"
#include "text/win/text_blocks.h"
#include "ui/progress_display.h"
#include "ui/window_icons.h"

namespace {

// The clipboard's CF_TEXT block, or null when it holds no text. A format can
// be announced and still come back without data; that is no text either.
HANDLE ClipboardTextBlock() {
    if (!IsClipboardFormatAvailable(CF_TEXT) && !IsClipboardFormatAvailable(CF_OEMTEXT)) {
        return nullptr;
    }
    return GetClipboardData(CF_TEXT);
}

ResultCode TransferText(const uint8_t* text, uint32_t* portError) {
    SerialBytePort port(PortHandle);
    WindowProgress progress(MainWindow, ProgressIcons);
    DrainInput(port);
    const ResultCode result =
        SendText(port, progress, text, TransferLength, AppendFlag != 0, SendLimit);
    *portError = port.FailedCallError();
    return result;
}

void ShowSendStarted(HWND window) {
    SetStatusLine(window, TextSending);
    SetWindowTitle(window, TextSending);
}

// Whatever the outcome the file now may hold text, so the retrieve is offered
// again; but not after a reported port failure, whose disconnected state stays.
void OfferRetrieveAgain(HWND window) {
    if (ConnectedFlag != 0) {
        EnableWindow(GetDlgItem(window, IDC_RETRIEVE), TRUE);
    }
}

void ShowSendEnded(HWND window) {
    SetStatusLine(window, TextEmpty);
    if (ConnectedFlag != 0) {
        ShowConnectedTitle(window);
    }
}

// The wait cursor and the bar stay up until the outcome has been told.
void SendWithProgress(HWND window, const uint8_t* text) {
    const DisplayScope display(window, WithProgress::Yes);
    ShowSendStarted(window);
    uint32_t portError = 0;
    const ResultCode result = TransferText(text, &portError);
    ReportResult(result, portError);
    OfferRetrieveAgain(window);
}

void SendDeviceText(HWND window, HGLOBAL deviceText) {
    const auto* text = static_cast<const uint8_t*>(GlobalLock(deviceText));
    if (text == nullptr) {
        ShowWarning(TextOutOfMemory);
        return;
    }
    // Without the device's own word on its room, the file's capacity bounds the send.
    SendLimit = SendLimitForFile(CurrentFile);
    SendWithProgress(window, text);
    ShowSendEnded(window);
    GlobalUnlock(deviceText);
}

// Runs with the clipboard open, so the text cannot change under the transfer.
void SendClipboardText(HWND window) {
    HGLOBAL deviceText = ClipboardTextBlock();
    if (deviceText == nullptr) {
        ShowWarning(TextNothingToSend);
        return;
    }
    // The clipboard's block stays the clipboard's; the conversion makes our own.
    if (!ToDeviceText(&deviceText, &TransferLength)) {
        ShowWarning(TextOutOfMemory);
        return;
    }
    SendDeviceText(window, deviceText);
    GlobalFree(deviceText);
}

}  // namespace

LRESULT SendCommand(HWND window) {
    if (ConnectedFlag == 0) {
        ShowWarning(TextNoKeyboard);
        return TRUE;
    }
    // The clipboard is closed before the mutex goes, and the mutex before the flag.
    const BusyScope busy(BusyRelease::MutexFirst);
    if (OpenClipboard(window)) {
        SendClipboardText(window);
        CloseClipboard();
    }
    return TRUE;
}
