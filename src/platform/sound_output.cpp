#include "platform/sound_output.h"

#include "platform/silent_output.h"

namespace orvik {

std::unique_ptr<AudioOutput> MakeSoundOutput(const char*) { return std::make_unique<SilentOutput>(); }

}  // namespace orvik
