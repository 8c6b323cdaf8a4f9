#pragma once
#include <algorithm>
#include <cstdint>

#include "link/progress.h"

// One file's share of a transfer that covers several files: the caller begins
// the whole range once, and each file's own Begin is swallowed so that the bar
// runs once over everything. Advances are held to the file's share, so bytes a
// last block brings beyond a file's length cannot push the bar past its end.
class ProgressSpan final : public ProgressSink {
public:
    ProgressSpan(ProgressSink* whole, uint32_t share) : whole_(whole), left_(share) {}
    void ProgressBegin(uint32_t) override {}
    void ProgressAdvance(uint32_t count) override {
        const uint32_t counted = std::min(count, left_);
        left_ -= counted;
        if (whole_ != nullptr && counted != 0) whole_->ProgressAdvance(counted);
    }

private:
    ProgressSink* whole_;
    uint32_t left_;
};
