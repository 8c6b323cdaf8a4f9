#include "controller/paste.h"

#include <iterator>

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

// A held Shift would make the paste Ctrl+Shift+V, a held right Alt AltGr+V,
// either another shortcut in the focused application, and a lone Alt or
// Windows key released later would open a menu bar or the Start menu. So each
// held one is let go inside the paste, after Ctrl is down.
struct ModifierKey {
    BYTE virtualKey;
    BYTE scanCode;
    bool extended;
};
constexpr ModifierKey Modifiers[] = {
    {VK_LSHIFT, 0x2A, false}, {VK_RSHIFT, 0x36, false}, {VK_LMENU, 0x38, false},
    {VK_RMENU, 0x38, true},   {VK_LWIN, 0x5B, true},    {VK_RWIN, 0x5C, true},
};
static_assert(std::size(Modifiers) + 4 == MaxPasteInputs);

// GetAsyncKeyState sets the top bit while the key is down.
constexpr SHORT KeyDownBit = static_cast<SHORT>(0x8000);

InputSender SendInputCall = SendInput;

INPUT KeyEvent(BYTE virtualKey, BYTE scanCode, DWORD flags) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = scanCode;
    input.ki.dwFlags = flags;
    return input;
}

bool IsHeld(std::span<const BYTE> heldKeys, BYTE virtualKey) {
    for (BYTE key : heldKeys) {
        if (key == virtualKey) return true;
    }
    return false;
}

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

PasteInputs BuildPasteInputs(std::span<const BYTE> heldKeys) {
    PasteInputs paste = {};
    auto add = [&paste](INPUT input) { paste.events[paste.count++] = input; };
    add(KeyEvent(VK_CONTROL, ControlScanCode, 0));
    for (const ModifierKey& key : Modifiers) {
        if (IsHeld(heldKeys, key.virtualKey)) {
            add(KeyEvent(key.virtualKey, key.scanCode,
                         KEYEVENTF_KEYUP | (key.extended ? KEYEVENTF_EXTENDEDKEY : 0)));
        }
    }
    add(KeyEvent(LetterV, LetterVScanCode, 0));
    add(KeyEvent(LetterV, LetterVScanCode, KEYEVENTF_KEYUP));
    add(KeyEvent(VK_CONTROL, ControlScanCode, KEYEVENTF_KEYUP));
    return paste;
}

bool TypePasteKeys() {
    std::array<BYTE, std::size(Modifiers)> held = {};
    size_t heldCount = 0;
    for (const ModifierKey& key : Modifiers) {
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
