#include "controller/clipboard_preview.h"

#include <cstring>

#include "controller/session.h"
#include "res/resource_ids.h"

namespace {

bool ClipboardAnnouncesText() {
    return IsClipboardFormatAvailable(CF_TEXT) || IsClipboardFormatAvailable(CF_OEMTEXT);
}

// Another program wrote this block; a text without its terminating zero would
// make the edit control read past the block's end.
bool HoldsTerminatedText(HANDLE data, const char* text) {
    return std::memchr(text, 0, GlobalSize(data)) != nullptr;
}

// A format can be announced and still come back without data (a delayed
// rendering that failed, or an owner that went away); that counts as no text.
// A text without its zero is still text the send can take (it reads only up to
// the block's end), so the flag is raised; only the preview leaves it out.
void ShowClipboardText() {
    HANDLE data = GetClipboardData(CF_TEXT);
    if (data == nullptr) {
        return;
    }
    const char* text = static_cast<const char*>(GlobalLock(data));
    if (text == nullptr) {
        return;
    }
    ClipboardTextFlag = 1;
    if (HoldsTerminatedText(data, text)) {
        SetDlgItemTextA(MainWindow, IDC_PREVIEW, text);
    }
    GlobalUnlock(data);
}

}  // namespace

void PreviewClipboard(HWND owner) {
    if (!OpenClipboard(owner)) {
        return;
    }
    if (ClipboardAnnouncesText()) {
        ShowClipboardText();
    }
    CloseClipboard();
}

void RefreshClipboardPreview(HWND owner) {
    ClipboardTextFlag = 0;
    PreviewClipboard(owner);
}
