#include "ui/progress_frames.h"

void ProgressCounterBegin(ProgressCounter& counter, uint32_t total) {
    counter.total = total;
    counter.done = 0;
    counter.frame = 0;
}

bool ProgressCounterAdvance(ProgressCounter& counter, uint32_t count, uint32_t* frameToShow) {
    counter.done += count;
    // Nothing to measure against: a transfer of nothing has no frames.
    if (counter.total == 0) {
        return false;
    }
    // 32-bit arithmetic on purpose: the product wraps as the shift it stands for.
    const uint32_t index = (counter.done * ProgressFrameCount) / counter.total;
    if (index == counter.frame) {
        return false;
    }
    counter.frame = index;
    // A finished transfer lands one past the last frame, and a device that sends
    // more than it announced goes further still; both show the fully wiped icon.
    *frameToShow = index < ProgressFrameCount ? index : ProgressFrameCount - 1;
    return true;
}
