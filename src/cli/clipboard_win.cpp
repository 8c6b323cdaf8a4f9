#include <windows.h>

#include <cstring>

#include "cli/clipboard.h"
#include "device/utf16.h"
#include "keys/win/paste_keys.h"

namespace {

// Another program may hold the clipboard for a moment (a clipboard manager
// copies what we put there); a few tries get past it.
constexpr int OpenTries = 10;
constexpr DWORD OpenRetryMs = 50;

// GetAsyncKeyState sets the top bit while the key is down.
constexpr SHORT KeyDownBit = static_cast<SHORT>(0x8000);

// The clipboard needs an owner window: emptying it without one leaves it
// ownerless, and the system documents that SetClipboardData then fails. A
// message-only window serves for the life of the process.
HWND ClipboardOwner() {
    static HWND owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    return owner;
}

bool OpenWithRetries() {
    for (int attempt = 0; attempt < OpenTries; ++attempt) {
        if (OpenClipboard(ClipboardOwner())) return true;
        Sleep(OpenRetryMs);
    }
    return false;
}

HGLOBAL UnicodeBlock(const std::wstring& text) {
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (block == nullptr) return nullptr;
    void* memory = GlobalLock(block);
    if (memory == nullptr) {
        GlobalFree(block);
        return nullptr;
    }
    std::memcpy(memory, text.c_str(), bytes);
    GlobalUnlock(block);
    return block;
}

}  // namespace

bool ClipboardReachable(std::string*) { return true; }
bool PasteKeyTypable(std::string*) { return true; }

bool PlaceOnClipboard(const std::string& utf8, std::string* failure) {
    HGLOBAL block = UnicodeBlock(Utf16FromUtf8(utf8));
    if (block == nullptr) {
        *failure = "out of memory for the clipboard";
        return false;
    }
    if (!OpenWithRetries()) {
        GlobalFree(block);
        *failure = "the clipboard is held by another program";
        return false;
    }
    const bool placed = EmptyClipboard() && SetClipboardData(CF_UNICODETEXT, block) != nullptr;
    CloseClipboard();
    if (!placed) {
        GlobalFree(block);
        *failure = "the clipboard did not take the text";
    }
    return placed;
}

// The window program's own paste: held modifiers let go inside it, all in one
// SendInput call so that nothing typed meanwhile falls between its keys.
bool TypePasteKey(std::string* failure) {
    std::array<BYTE, std::size(PasteModifiers)> held = {};
    size_t heldCount = 0;
    for (const ModifierKey& key : PasteModifiers) {
        if (GetAsyncKeyState(key.virtualKey) & KeyDownBit) held[heldCount++] = key.virtualKey;
    }
    PasteInputs paste = BuildPasteInputs(std::span<const BYTE>(held.data(), heldCount));
    if (SendInput(paste.count, paste.events.data(), sizeof(INPUT)) == paste.count) return true;
    // A window of a program running with higher rights refuses our keys.
    *failure = "the paste key could not be typed into the focused window";
    return false;
}
