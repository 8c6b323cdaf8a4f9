#pragma once
#include <chrono>
#include <cstdint>

#include "link/progress.h"

// A progress bar on standard error: bytes, rate and time left, redrawn in place
// a few times a second. The caller makes one only when standard error is a
// terminal, so logs and pipes get nothing extra.
class ProgressBar final : public ProgressSink {
public:
    ~ProgressBar() override { Finish(); }
    void ProgressBegin(uint32_t total) override;
    void ProgressAdvance(uint32_t count) override;
    // Ends the bar's line, if one was drawn.
    void Finish();

private:
    using Clock = std::chrono::steady_clock;
    void Draw();

    uint32_t total_ = 0;
    uint32_t done_ = 0;
    Clock::time_point start_{};
    Clock::time_point lastDrawn_{};
    bool drawn_ = false;
};
