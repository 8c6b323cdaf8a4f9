#pragma once
#include <cstdint>

// How a bulk transfer reports its progress. The window implements it with the
// progress bar and the animated caption icon; tests implement it with a recorder.
// A transfer calls Begin once with the number of bytes it will move, then Advance
// with the bytes of each chunk (0 allowed). Advance never follows a Begin(0).
class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    virtual void ProgressBegin(uint32_t total) = 0;
    virtual void ProgressAdvance(uint32_t count) = 0;
};
