#pragma once
#include <windows.h>

// Esc stops a transfer of the window. No message is dispatched while a
// transfer holds the thread, so the key cannot arrive as a message: the link
// asks at each block boundary, and the key's state is read then. Only while
// the main window is the foreground window, so that Esc pressed in another
// application never stops anything.
//
// One object spans one transfer: it forgets any earlier stop request and lets
// Esc set a new one until it goes.
class EscStopsTransfer {
public:
    EscStopsTransfer();
    ~EscStopsTransfer();
    EscStopsTransfer(const EscStopsTransfer&) = delete;
    EscStopsTransfer& operator=(const EscStopsTransfer&) = delete;
};

// The key-state call: GetAsyncKeyState, unless a test puts a stand-in here to
// press Esc at a chosen boundary; null puts the system's call back.
using KeyStateCall = SHORT(WINAPI*)(int virtualKey);
void SetKeyStateCall(KeyStateCall call);
