#pragma once
// The services the window needs from the desktop, each behind a small
// interface so tests hand the window fakes and never touch the real sound
// server, home folder, desktop or program folder.
#include <QString>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "core/wave_image.h"

namespace orvik {

// How the thread that plays spends the wait for a tone's end. The window's
// thread goes on handling its events (painting, a close) and otherwise
// sleeps; a tool's thread simply sleeps. Nothing polls: the sound output
// calls wake() whenever what `done` looks at may have changed.
class PlaybackWait {
public:
    using Clock = std::chrono::steady_clock;
    virtual ~PlaybackWait() = default;
    // Returns once `done()` holds or `deadline` has passed. `done` is
    // evaluated on the waiting thread only: at the start and after wakes.
    virtual void until(const std::function<bool()>& done, Clock::time_point deadline) = 0;
    // Callable from any thread, at any time, cheaply.
    virtual void wake() = 0;
};

// Plays finished WAVE images (the format Orvik writes) on the default output.
class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    // Plays every frame of `image` and returns when the last one has been
    // heard, spending the time in `wait`, which must not start another play.
    virtual void play(const WaveImage& image, PlaybackWait& wait) = 0;
    // Levels 0..65535 per channel, applied to the samples from the next play on.
    virtual void setLevels(uint16_t left, uint16_t right) = 0;
    // Makes a play in progress return as soon as possible (the window closes).
    virtual void cancel() = 0;
};

// Where the program lives and where the user's desktop is.
class Environment {
public:
    virtual ~Environment() = default;
    // Full path of the running executable.
    virtual QString programPath() const = 0;
    // The user's desktop folder, or nothing when there is none.
    virtual std::optional<QString> desktopFolder() const = 0;
};

// Starts another program on its own, never waiting for it.
class ProgramLauncher {
public:
    virtual ~ProgramLauncher() = default;
    // True when the process was started. No shell, no search path.
    virtual bool start(const QString& program, const QString& workingDirectory) = 0;
};

// The program's message boxes: title, one OK button, centred on the screen.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // A plain message, no icon. Returns when the user has confirmed it.
    virtual void message(const QString& text) = 0;
    // The error box: an error icon. `text` already carries its final period.
    virtual void error(const QString& text) = 0;
};

struct Platform {
    AudioOutput& audio;
    Environment& environment;
    ProgramLauncher& launcher;
    MessageBoxes& boxes;
};

}  // namespace orvik
