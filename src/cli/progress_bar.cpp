#include "cli/progress_bar.h"

#include <cstdio>
#include <string>

#include "cli/platform.h"

namespace {

constexpr int BarWidth = 30;
constexpr auto RedrawEvery = std::chrono::milliseconds(200);
constexpr int SecondsPerMinute = 60;

std::string MinutesAndSeconds(double seconds) {
    const long whole = static_cast<long>(seconds + 0.5);
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld", whole / SecondsPerMinute, whole % SecondsPerMinute);
    return text;
}

}  // namespace

void ProgressBar::ProgressBegin(uint32_t total) {
    total_ = total;
    done_ = 0;
    start_ = Clock::now();
    Draw();
}

void ProgressBar::ProgressAdvance(uint32_t count) {
    done_ += count;
    if (Clock::now() - lastDrawn_ >= RedrawEvery || done_ >= total_) Draw();
}

void ProgressBar::Draw() {
    lastDrawn_ = Clock::now();
    const double elapsed = std::chrono::duration<double>(lastDrawn_ - start_).count();
    const double rate = elapsed > 0 ? done_ / elapsed : 0;
    const int filled = total_ == 0 ? BarWidth : static_cast<int>(int64_t{BarWidth} * done_ / total_);
    const std::string left = rate > 0 && done_ < total_ ? MinutesAndSeconds((total_ - done_) / rate) + " left" : "";
    char line[160];
    std::snprintf(line, sizeof line, "\r[%s%s] %u/%u bytes  %.0f B/s  %s   ",
                  std::string(static_cast<size_t>(filled), '#').c_str(),
                  std::string(static_cast<size_t>(BarWidth - filled), ' ').c_str(), done_, total_, rate,
                  left.c_str());
    WriteStderr(line);
    drawn_ = true;
}

void ProgressBar::Finish() {
    if (!drawn_) return;
    WriteStderr("\n");
    drawn_ = false;
}
