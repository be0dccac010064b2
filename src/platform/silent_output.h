#pragma once
#include <atomic>

#include "platform/services.h"

namespace orvik {

// An output without a device: each play waits out the image's length,
// calling `idle` meanwhile, so a repeated tone never spins the CPU.
class SilentOutput final : public AudioOutput {
public:
    void play(const std::vector<uint8_t>& image, const std::function<void()>& idle) override;
    void setLevels(uint16_t, uint16_t) override {}
    void cancel() override { cancelled_ = true; }

private:
    std::atomic<bool> cancelled_{false};
};

// Waits `milliseconds`, calling `idle` about every 5 ms, until the time is up
// or `cancelled` is set. Shared by every output that has to wait.
void WaitCallingIdle(long long milliseconds, const std::function<void()>& idle, const std::atomic<bool>& cancelled);

// The playing time of an image of `bytes` bytes in Orvik's format.
long long ImageMilliseconds(std::size_t bytes);

}  // namespace orvik
