#include "platform/tone_wait.h"

#include <chrono>
#include <thread>

namespace orvik {

void WaitCallingIdle(long long milliseconds, const std::function<void()>& idle, const std::atomic<bool>& cancelled) {
    using clock = std::chrono::steady_clock;
    const auto end = clock::now() + std::chrono::milliseconds(milliseconds);
    while (!cancelled) {
        if (idle) idle();
        const auto now = clock::now();
        if (now >= end) break;
        std::this_thread::sleep_for(std::min<clock::duration>(end - now, std::chrono::milliseconds(5)));
    }
}

}  // namespace orvik
