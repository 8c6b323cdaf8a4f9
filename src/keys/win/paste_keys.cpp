#include "keys/win/paste_keys.h"

namespace {

// Scan codes of the keys the paste is typed with.
constexpr BYTE ControlScanCode = 0x1D;
constexpr BYTE LetterVScanCode = 0x2F;
constexpr BYTE LetterV = 'V';

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

}  // namespace

PasteInputs BuildPasteInputs(std::span<const BYTE> heldKeys) {
    PasteInputs paste = {};
    auto add = [&paste](INPUT input) { paste.events[paste.count++] = input; };
    add(KeyEvent(VK_CONTROL, ControlScanCode, 0));
    for (const ModifierKey& key : PasteModifiers) {
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
