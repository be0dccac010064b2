#include "platform/sound_output.h"

#include "platform/pulse_output.h"

namespace orvik {

// PulseOutput waits out each tone silently while no sound server is
// reachable, and sounds again as soon as one is.
std::unique_ptr<AudioOutput> MakeSoundOutput(const char* applicationName) {
    return std::make_unique<PulseOutput>(applicationName);
}

}  // namespace orvik
