// Synthesis speed: frames per second of finished tone images. The window
// builds the whole image before the tone starts, so this time is the delay
// between a click and the sound. Real time, since the frames are shared out
// among threads.
#include <benchmark/benchmark.h>

#include "core/synth.h"
#include "core/wave.h"

namespace {

void ReportFrames(benchmark::State& state, uint32_t duration) {
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * duration * orvik::FramesPerUnit);
}

// The image PlayFrequency plays: one frequency in all eight places.
void BM_ToneImage(benchmark::State& state) {
    const auto duration = static_cast<uint32_t>(state.range(0));
    orvik::Partials f;
    f.fill(440.0);
    for (auto _ : state) {
        auto image = orvik::MakeToneImage(duration, f);
        benchmark::DoNotOptimize(image.data());
        benchmark::ClobberMemory();
    }
    ReportFrames(state, duration);
}
BENCHMARK(BM_ToneImage)->Arg(100)->Arg(500)->Unit(benchmark::kMicrosecond)->UseRealTime();
// The longest tone there is, 3 h 23 min: a 2 GB image, built whole before it
// sounds, so its memory (had uncleared, in huge pages) weighs as much as
// the sines.
BENCHMARK(BM_ToneImage)->Arg(1217394)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// Eight distinct partials: eight sines per frame.
void BM_ChordImage(benchmark::State& state) {
    const auto duration = static_cast<uint32_t>(state.range(0));
    const orvik::Partials f{261.63, 329.63, 392.0, 523.25, 659.26, 784.0, 1046.5, 1318.5};
    for (auto _ : state) {
        auto image = orvik::MakeToneImage(duration, f);
        benchmark::DoNotOptimize(image.data());
        benchmark::ClobberMemory();
    }
    ReportFrames(state, duration);
}
BENCHMARK(BM_ChordImage)->Arg(100)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
