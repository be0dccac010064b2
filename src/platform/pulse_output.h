#pragma once
// Sound through the PulseAudio server (or PipeWire's Pulse service).
#include <atomic>
#include <memory>
#include <string>

#include "platform/services.h"

namespace orvik {

// Plays each image on the default output through one playback stream that
// stays open between tones, so a repeated tone follows its predecessor with
// only tens of milliseconds of silence. Every frame of every image is heard,
// in place, on PulseAudio and on PipeWire's Pulse service alike. The stream
// is corked from start-up until the first tone and again a second after the
// last one, so the server mixes nothing for an idle program and the device
// can sleep. The connection runs on libpulse's own thread; the calling
// thread only waits, in the play's PlaybackWait, woken by that thread when
// the tone has played, failed or been cancelled.
//
// The mixer sees the application `applicationName` with the icon "org.orvik.Orvik"
// and the media role "production".
//
// Without a reachable server (none running, refused, gone mid-tone) every
// play waits out the tone's length silently and reports nothing; the next
// play tries to connect again, never for longer than a short timeout, and
// the server is never started on the program's behalf.
class PulseOutput final : public AudioOutput {
public:
    // Starts connecting at once (without waiting), so the first tone sounds
    // without delay. `applicationName` is what the server's mixer shows.
    explicit PulseOutput(const std::string& applicationName);
    ~PulseOutput() override;
    PulseOutput(const PulseOutput&) = delete;
    PulseOutput& operator=(const PulseOutput&) = delete;

    // An image that is not exactly Orvik's WAVE format plays nothing and
    // returns at once.
    void play(const WaveImage& image, PlaybackWait& wait) override;
    // Samples go to the device as sample × level / 65535, nearest integer.
    void setLevels(uint16_t left, uint16_t right) override;
    void cancel() override;

private:
    struct Connection;
    std::atomic<uint32_t> levels_{0xFFFFFFFFu};  // left in the low, right in the high half
    std::atomic<bool> cancelled_{false};
    std::unique_ptr<Connection> connection_;  // last: it refers to cancelled_
};

}  // namespace orvik
