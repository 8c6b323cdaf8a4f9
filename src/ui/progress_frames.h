#pragma once
#include <cstdint>

// The arithmetic behind the animated caption icon, kept apart from the window.
// Each transfer starts at frame 0; the icon changes only when the frame index
// changes. Indices past the last frame show the last frame.
inline constexpr uint32_t ProgressFrameCount = 32;

struct ProgressCounter {
    uint32_t total = 0;
    uint32_t done = 0;
    uint32_t frame = 0;
};

void ProgressCounterBegin(ProgressCounter& counter, uint32_t total);

// Adds `count` bytes. Returns true when the icon must change, with the frame to
// show (0..31) in *frameToShow. Never divides by a total of 0.
bool ProgressCounterAdvance(ProgressCounter& counter, uint32_t count, uint32_t* frameToShow);
