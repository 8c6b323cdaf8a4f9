#pragma once
// Waiting on a condition with a generous bound, never a fixed sleep: the
// program polls every three seconds and Wine's timing varies with the load.
#include <chrono>
#include <thread>

namespace e2e {

inline constexpr auto WaitPoll = std::chrono::milliseconds(150);

// True as soon as `condition()` holds; false once `bound` has passed without it.
template <typename Condition>
bool WaitUntil(std::chrono::milliseconds bound, Condition condition) {
    auto deadline = std::chrono::steady_clock::now() + bound;
    for (;;) {
        if (condition()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(WaitPoll);
    }
}

}  // namespace e2e
