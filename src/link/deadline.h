#pragma once
#include <cstdint>
#include "link/byte_port.h"

// A time limit on a wait for the device, measured with the port's own clock.
//
// A read cannot be cut short once started, so a limit is kept by never starting
// a read that could outlast it: before each read the caller asks whether the
// read's whole total timeout still fits. An operation that keeps to that ends
// within its limit whatever the device sends (or does not send).
class Deadline {
public:
    // A port's clock may move in steps (the system's tick count advances every
    // 10 to 16 ms), so the time taken can be up to one step more than it reads.
    static constexpr uint32_t ClockStepMs = 16;

    Deadline(BytePort& port, uint32_t limitMs) : port_(port), startMs_(port.NowMs()), limitMs_(limitMs) {}

    // Measures the limit afresh from now.
    void Restart() { startMs_ = port_.NowMs(); }

    uint32_t ElapsedMs() const { return port_.NowMs() - startMs_; }

    // True when a read of `size` bytes would end by the limit even if it waits
    // out its total timeout.
    bool ReadFits(uint32_t size) const {
        const uint32_t elapsed = ElapsedMs() + ClockStepMs;
        return elapsed <= limitMs_ && LongestReadMs(size) <= limitMs_ - elapsed;
    }

private:
    BytePort& port_;
    uint32_t startMs_;
    uint32_t limitMs_;
};
