#include "controller/paste.h"

#include "controller/session.h"
#include "res/resource_ids.h"

namespace {

// The text is code page 1252 whatever the system's own code page is. Naming a
// locale whose ANSI code page is 1252 lets the clipboard turn it into the same
// Unicode characters for applications that paste Unicode.
constexpr LCID TextLocale = MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT);

// Scan codes of the keys the paste is typed with.
constexpr BYTE ControlScanCode = 0x1D;
constexpr BYTE LetterVScanCode = 0x2F;
constexpr BYTE LetterV = 'V';

// Best effort: without it the clipboard still holds the text, read with the
// system's code page as before.
void AddTextLocale() {
    HGLOBAL localeBlock = GlobalAlloc(GMEM_MOVEABLE, sizeof(LCID));
    if (localeBlock == nullptr) {
        return;
    }
    auto* locale = static_cast<LCID*>(GlobalLock(localeBlock));
    if (locale == nullptr) {
        GlobalFree(localeBlock);
        return;
    }
    *locale = TextLocale;
    GlobalUnlock(localeBlock);
    if (SetClipboardData(CF_LOCALE, localeBlock) == nullptr) {
        GlobalFree(localeBlock);
    }
}

}  // namespace

void ShowTextInPreview(HWND window, HGLOBAL block) {
    const char* text = static_cast<const char*>(GlobalLock(block));
    if (text != nullptr) {
        SetDlgItemTextA(window, IDC_PREVIEW, text);
        GlobalUnlock(block);
    }
}

// The window opens the clipboard as its owner: emptying a clipboard opened
// without an owner window leaves it ownerless, and the system documents that
// SetClipboardData then fails.
bool PlaceTextOnClipboard(HWND window, HGLOBAL block) {
    if (!OpenClipboard(window)) {
        return false;
    }
    bool accepted = false;
    if (EmptyClipboard() && SetClipboardData(CF_TEXT, block) != nullptr) {
        accepted = true;
        ClipboardTextFlag = 1;
        EnableWindow(GetDlgItem(window, IDC_SEND), TRUE);
        AddTextLocale();
    }
    CloseClipboard();
    return accepted;
}

void TypePasteKeys() {
    keybd_event(VK_CONTROL, ControlScanCode, 0, 0);
    keybd_event(LetterV, LetterVScanCode, 0, 0);
    keybd_event(LetterV, LetterVScanCode, KEYEVENTF_KEYUP, 0);
    keybd_event(VK_CONTROL, ControlScanCode, KEYEVENTF_KEYUP, 0);
}
