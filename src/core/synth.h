#pragma once
// Tone synthesis and playback: sine partials, chords of up to eight of them,
// the finished WAVE image of a tone, and the loop that plays it while the
// sustain box ("Aushalten") is ticked.
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "core/wave_image.h"

namespace orvik {

// Frequencies f1 to f8 in hertz, or phase arguments a1 to a8; the first zero
// ends the list.
using Partials = std::array<double, 8>;

// The 16-bit value of one partial (peak 4000) for the phase argument a:
// x = pi × a / 22050, v = sin(x) × 32000 / 8, every step in extended
// precision, v rounded to the nearest integer (halfway to even).
// An infinite argument raises "Gleitkommaüberlauf", a NaN "Ungültige
// Gleitkommaoperation".
int16_t SineSample(double a);

// The sum of SineSample(a1) … SineSample(am), where am is the last argument
// before the first zero. An argument equal to its predecessor reuses the
// predecessor's value instead of computing the sine again.
int16_t ChordSample(const Partials& a);
int16_t ChordSample(double a1, double a2, double a3, double a4, double a5, double a6, double a7, double a8);

// The finished image of a tone of `duration` units of 10 ms: the 44-byte
// header and duration × 441 frames, frame i holding
// ChordSample(i × f1, …, i × f8) in both channels, each product formed in
// extended precision and rounded to double. Built in one buffer of its final
// size. Raises "Integerüberlauf" for a duration whose sizes do not fit,
// "Gleitkommaüberlauf" when a frequency is infinite or a phase would be,
// "Ungültige Gleitkommaoperation" for a NaN frequency; all of these before
// any buffer exists. std::bad_alloc passes on with nothing left behind.
WaveImage MakeToneImage(uint32_t duration, const Partials& f);

// What the playback loop needs from the window and the audio layer.
struct PlaybackOps {
    std::function<void(const WaveImage& image)> playImage;  // plays the image to its end
    std::function<void()> processMessages;                  // runs pending window messages (may re-enter PlayTone)
    std::function<bool()> sustained;                        // is "Aushalten" ticked now
};

// Builds the tone's image, then plays it, lets pending messages run, and
// plays it again for as long as the sustain box is ticked. Any failure of
// MakeToneImage happens before anything is played.
void PlayTone(const PlaybackOps& ops, uint32_t duration, const Partials& f);

// PlayTone with f in all eight places: one sine per frame, peak 32000.
void PlayFrequency(const PlaybackOps& ops, uint32_t duration, double f);

}  // namespace orvik
