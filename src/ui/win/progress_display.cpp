#include "ui/progress_display.h"

#include <commctrl.h>
#include <uxtheme.h>

#include "res/resource_ids.h"
#include "ui/progress_frames.h"

// The transfer loops run inside the window procedure and do not return to the
// message loop until they end, so every step repaints the window itself.

namespace {

ProgressCounter Counter;

// The bar's range is 16-bit; the transfers never pass more than that.
LPARAM RangeUpTo(uint32_t total) {
    return MAKELPARAM(0, LOWORD(total));
}

}  // namespace

void WindowProgress::ProgressBegin(uint32_t total) {
    ProgressCounterBegin(Counter, total);
    SendDlgItemMessageA(window_, IDC_PROGRESS, PBM_SETRANGE, 0, RangeUpTo(total));
    SendDlgItemMessageA(window_, IDC_PROGRESS, PBM_SETPOS, 0, 0);
    UpdateWindow(window_);
}

void WindowProgress::ProgressAdvance(uint32_t count) {
    uint32_t frame = 0;
    // The caption repaints only when the frame changes, at most 32 times a transfer.
    if (ProgressCounterAdvance(Counter, count, &frame) && frame < ProgressFrameCount)
        SendMessageA(window_, WM_SETICON, ICON_SMALL,
                     reinterpret_cast<LPARAM>(frameIcons_[frame]));
    SendDlgItemMessageA(window_, IDC_PROGRESS, PBM_DELTAPOS, count, 0);
    UpdateWindow(window_);
}

// The themed bar of Common Controls 6 glides towards each new position on a
// timer, and no timer runs while a transfer holds the thread: the bar would
// lag far behind the bytes. Without a theme it draws each position at once.
// The system documents the "empty" name as a blank, L" ", which matches no
// section of any theme.
void UseClassicProgressBar(HWND window) {
    constexpr const wchar_t* NoTheme = L" ";
    SetWindowTheme(GetDlgItem(window, IDC_PROGRESS), NoTheme, NoTheme);
}
