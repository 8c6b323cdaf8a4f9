#pragma once
#include <windows.h>
#include "link/progress.h"
#include "ui/progress_frames.h"

// Drives progress bar 1000 and the small caption icon of `window`, one icon of
// `frameIcons` a frame. The window and the icons must outlive the transfer.
class WindowProgress final : public ProgressSink {
public:
    WindowProgress(HWND window, const HICON (&frameIcons)[ProgressFrameCount])
        : window_(window), frameIcons_(frameIcons) {}
    void ProgressBegin(uint32_t total) override;
    void ProgressAdvance(uint32_t count) override;

private:
    HWND window_;
    const HICON* frameIcons_;
};

// Gives progress bar 1000 of `window` the classic look, which shows every
// position as it is set; the rest of the window keeps its theme.
void UseClassicProgressBar(HWND window);
