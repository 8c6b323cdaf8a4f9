#include "link/stop_request.h"

#include <atomic>

namespace {

// Lock-free atomics are safe to touch from a signal handler.
std::atomic<bool> stopRequested{false};
std::atomic<StopPoll> stopPoll{nullptr};
static_assert(std::atomic<bool>::is_always_lock_free);

}  // namespace

void RequestStop() noexcept { stopRequested.store(true); }

bool StopRequested() noexcept {
    if (stopRequested.load()) return true;
    const StopPoll poll = stopPoll.load();
    if (poll != nullptr && poll()) RequestStop();
    return stopRequested.load();
}

void ClearStopRequest() noexcept { stopRequested.store(false); }

void SetStopPoll(StopPoll poll) noexcept { stopPoll.store(poll); }
