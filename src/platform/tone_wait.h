#pragma once
// Keeping a tone's time without a device: while no sound server is
// reachable, a play still lasts as long as its tone, without spinning.
#include <atomic>
#include <cstddef>
#include <functional>

namespace orvik {

// Waits `milliseconds`, calling `idle` about every 5 ms, until the time is up
// or `cancelled` is set.
void WaitCallingIdle(long long milliseconds, const std::function<void()>& idle, const std::atomic<bool>& cancelled);

}  // namespace orvik
