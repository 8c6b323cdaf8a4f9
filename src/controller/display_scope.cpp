#include "controller/display_scope.h"

#include "controller/window_state.h"

DisplayScope::DisplayScope(HWND window, WithProgress bar)
    : window_(window), bar_(bar), savedCursor_(SetCursor(LoadCursorA(nullptr, IDC_WAIT))) {
    if (bar_ == WithProgress::Yes) ShowProgressBar(window_, true);
}

DisplayScope::~DisplayScope() {
    if (bar_ == WithProgress::Yes) ShowProgressBar(window_, false);
    SetCursor(savedCursor_);
}
