#include "controller/esc_stop.h"

#include "controller/session.h"
#include "link/stop_request.h"

namespace {

// The top bit is set while the key is down. The low bit ("pressed since the
// last call") is not used: it would carry a press made in another application.
constexpr SHORT KeyDownBit = static_cast<SHORT>(0x8000);

KeyStateCall KeyState = GetAsyncKeyState;

bool EscPressedInMainWindow() {
    return GetForegroundWindow() == MainWindow && (KeyState(VK_ESCAPE) & KeyDownBit) != 0;
}

}  // namespace

EscStopsTransfer::EscStopsTransfer() {
    ClearStopRequest();
    SetStopPoll(EscPressedInMainWindow);
}

EscStopsTransfer::~EscStopsTransfer() { SetStopPoll(nullptr); }

void SetKeyStateCall(KeyStateCall call) {
    KeyState = call != nullptr ? call : GetAsyncKeyState;
}
