#include "controller/paste.h"

#include <iterator>

#include "controller/session.h"
#include "res/resource_ids.h"

namespace {

// The text is code page 1252 whatever the system's own code page is. Naming a
// locale whose ANSI code page is 1252 lets the clipboard turn it into the same
// Unicode characters for applications that paste Unicode.
constexpr LCID TextLocale = MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT);

// GetAsyncKeyState sets the top bit while the key is down.
constexpr SHORT KeyDownBit = static_cast<SHORT>(0x8000);

InputSender SendInputCall = SendInput;

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

bool TypePasteKeys() {
    std::array<BYTE, std::size(PasteModifiers)> held = {};
    size_t heldCount = 0;
    for (const ModifierKey& key : PasteModifiers) {
        if (GetAsyncKeyState(key.virtualKey) & KeyDownBit) held[heldCount++] = key.virtualKey;
    }
    PasteInputs paste = BuildPasteInputs(std::span<const BYTE>(held.data(), heldCount));
    // Fewer events inserted than given means the system refused the rest
    // (another desktop, a blocked input): the paste did not happen.
    return SendInputCall(paste.count, paste.events.data(), sizeof(INPUT)) == paste.count;
}

void SetInputSender(InputSender sender) {
    SendInputCall = sender != nullptr ? sender : SendInput;
}
