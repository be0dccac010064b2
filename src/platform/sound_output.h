#pragma once
#include <memory>

#include "platform/services.h"

namespace orvik {

// The output the program plays through: the sound server when the build has
// one, otherwise a silent output that keeps the tone's timing.
std::unique_ptr<AudioOutput> MakeSoundOutput(const char* applicationName);

}  // namespace orvik
