#include "platform/pulse_output.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <mutex>
#include <span>

#include "core/audio_format.h"
#include "core/levels.h"
#include "core/wave.h"
#include "core/wave_check.h"

namespace orvik {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr pa_sample_spec Format{PA_SAMPLE_S16LE, SampleRate, ChannelCount};

// How much of a tone the server holds ahead of what is heard. The tone
// sounds from the first frame written whatever the target; the target
// decides how long the machine may stall before the stream runs dry and
// silence is heard inside the tone: a virtual machine's CPU left
// unscheduled for 60 to 130 ms, as on shared CI runners, or a desktop
// swapping. At 40 ms, four of five 6 s tones had such a hole on a 2-core
// runner under PulseAudio, and on PipeWire every other few tones after a
// pause lost a period to it; at 250 ms none did. On PulseAudio repetitions
// then follow each other one block of the sink apart (23 ms on the tests'
// pipe sink, 10 ms at 40 ms).
constexpr uint32_t TargetBytes = SampleRate / 4 * BytesPerFrame;

// PipeWire runs its whole graph at the period a Pulse client's requests
// imply. Left to itself it would derive that period from the target: a
// quarter of it, rounded down to a power of two, which at 40 ms is 256
// frames (5.8 ms) and at 250 ms, with the latency adjusted, so long a period
// that repetitions come 115 ms apart. At 256 frames a server thread a few
// milliseconds late drops whole periods from the middle of the tone, as on
// a busy laptop, and every other program's sound runs at that period too
// while a tone plays. So on PipeWire the output asks for 1024 frames at a
// time and for requests in step with the graph ("early requests"), which
// makes the period the request size whatever the target: the graph runs at
// its usual desktop period of about 23 ms, and repetitions are about 68 ms
// apart. PulseAudio keeps its default request size and adjusted latency: a
// larger request has it report a drain a little before the tone's last
// frame has been heard.
constexpr uint32_t PipeWireRequestBytes = 1024 * BytesPerFrame;

bool IsPipeWire(const pa_server_info* info) {
    return info && info->server_name && std::strstr(info->server_name, "PipeWire") != nullptr;
}

// How long a play waits for the server to accept the connection and the
// stream. A local server answers in a few milliseconds; anything slower is
// treated as no server for this tone.
constexpr auto ConnectTimeout = milliseconds(300);

// How long past the tone's own length a play waits for the server to report
// the stream drained before it gives the server up as hung.
constexpr auto DrainGrace = milliseconds(500);

// How long the stream stays running after a tone. Within it a repetition or
// the next click starts at once; after it the stream is corked, so the
// server stops mixing silence for it and the device may go to sleep while
// the window sits open for hours.
constexpr pa_usec_t RestDelayUsec = 1000 * PA_USEC_PER_MSEC;

// What the desktop's mixer shows for the program and its stream: the
// application id names the installed menu entry and icon too.
constexpr const char* ApplicationId = "org.orvik.Orvik";
constexpr const char* IconName = ApplicationId;
constexpr const char* StreamName = "Ton";
// A tone the user plays to tune an instrument or train the ear: "production"
// keeps it out of the roles (music, video) that desktop policies duck or
// pause for a call or a notification.
constexpr const char* MediaRole = "production";

}  // namespace

// Everything that talks to libpulse. The pa_* objects and the fields marked
// "loop lock" belong to the threaded main loop and are touched only with its
// lock held; the calling thread takes that lock for short, non-blocking
// steps only and does all of its waiting in the play's PlaybackWait.
struct PulseOutput::Connection {
    enum class State { Down, Connecting, Ready, Failed };
    enum class Outcome { Played, Failed, Cancelled };

    Connection(std::string applicationName, const std::atomic<bool>& cancelFlag)
        : name(std::move(applicationName)), cancelled(cancelFlag) {
        loop = pa_threaded_mainloop_new();
        if (loop && pa_threaded_mainloop_start(loop) < 0) {
            pa_threaded_mainloop_free(loop);
            loop = nullptr;
        }
        if (!loop) {
            state = State::Failed;
            return;
        }
        pa_threaded_mainloop_lock(loop);
        connectLocked();
        pa_threaded_mainloop_unlock(loop);
    }

    ~Connection() {
        if (!loop) return;
        pa_threaded_mainloop_lock(loop);
        teardownLocked();
        pa_threaded_mainloop_unlock(loop);
        pa_threaded_mainloop_stop(loop);
        pa_threaded_mainloop_free(loop);
    }

    // Spends the time in `wait` until `done` holds, the play is cancelled or
    // the deadline passes; true when `done` held. Every change `done` or a
    // cancel could depend on wakes the wait (wakeWaiter).
    template <typename Done>
    bool waitUntil(Done done, Clock::time_point deadline, PlaybackWait& wait) {
        {
            std::lock_guard lock(mutex);
            waiter = &wait;
        }
        wait.until([&] { return done() || cancelled.load(); }, deadline);
        {
            std::lock_guard lock(mutex);
            waiter = nullptr;
        }
        return done();
    }

    // From any thread: what a waiting play looks at has changed.
    void wakeWaiter() {
        std::lock_guard lock(mutex);
        if (waiter) waiter->wake();
    }

    // A ready stream, connecting first when there is none. False when the
    // server could not be reached within the timeout.
    bool ensureReady(PlaybackWait& wait) {
        if (!loop) return false;
        pa_threaded_mainloop_lock(loop);
        if (state == State::Down || state == State::Failed) {
            teardownLocked();
            connectLocked();
        }
        pa_threaded_mainloop_unlock(loop);

        const auto settled = [this] { return state == State::Ready || state == State::Failed; };
        waitUntil(settled, Clock::now() + ConnectTimeout, wait);
        if (state == State::Ready) return true;
        if (!cancelled) {
            // Refused or too slow: drop this attempt, the next play starts a new one.
            pa_threaded_mainloop_lock(loop);
            if (state != State::Ready) teardownLocked();
            pa_threaded_mainloop_unlock(loop);
        }
        return state == State::Ready;
    }

    // Writes `frames` to the stream and waits until the server reports them
    // played out.
    Outcome playFrames(std::span<const uint8_t> frames, uint16_t left, uint16_t right, Clock::time_point deadline,
                       PlaybackWait& wait) {
        pa_threaded_mainloop_lock(loop);
        if (state != State::Ready) {
            pa_threaded_mainloop_unlock(loop);
            return Outcome::Failed;
        }
        cancelRestLocked();
        job = frames;
        jobLeft = left;
        jobRight = right;
        written = 0;
        jobDone = false;
        jobFailed = false;
        jobActive = true;
        writeLocked();
        // The first frames are already with the server, so the tone starts
        // with the first period the stream runs.
        if (corked && state == State::Ready) setCorkedLocked(false);
        pa_threaded_mainloop_unlock(loop);

        waitUntil([this] { return jobDone || jobFailed; }, deadline, wait);

        pa_threaded_mainloop_lock(loop);
        // Neither drained nor failed nor cancelled in time: the server has
        // stopped answering, which counts as failed.
        const Outcome outcome = jobDone     ? Outcome::Played
                                : jobFailed ? Outcome::Failed
                                : cancelled ? Outcome::Cancelled
                                            : Outcome::Failed;
        jobActive = false;
        job = {};
        if (drain) {
            pa_operation_cancel(drain);
            pa_operation_unref(drain);
            drain = nullptr;
        }
        if (outcome == Outcome::Cancelled && stream) {
            // Drop what is still buffered so the tone stops now.
            if (pa_operation* flush = pa_stream_flush(stream, nullptr, nullptr)) pa_operation_unref(flush);
        }
        if (outcome == Outcome::Failed)
            teardownLocked();
        else
            scheduleRestLocked();
        pa_threaded_mainloop_unlock(loop);
        return outcome;
    }

    // ---- on the loop thread, or with the loop lock held ----

    void connectLocked() {
        pa_proplist* props = pa_proplist_new();
        pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, name.c_str());
        pa_proplist_sets(props, PA_PROP_APPLICATION_ID, ApplicationId);
        pa_proplist_sets(props, PA_PROP_APPLICATION_ICON_NAME, IconName);
        pa_proplist_sets(props, PA_PROP_MEDIA_ROLE, MediaRole);
        context = pa_context_new_with_proplist(pa_threaded_mainloop_get_api(loop), name.c_str(), props);
        pa_proplist_free(props);
        if (!context) {
            state = State::Failed;
            return;
        }
        pa_context_set_state_callback(context, &Connection::onContextState, this);
        state = State::Connecting;
        // Never start a server: without one the program stays silent.
        if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) failLocked();
    }

    // Which server answers decides the request size; the stream opens once
    // it has said.
    void askServerLocked() {
        pa_operation* op = pa_context_get_server_info(context, &Connection::onServerInfo, this);
        if (op)
            pa_operation_unref(op);
        else
            failLocked();
    }

    void openStreamLocked(bool pipeWire) {
        pa_channel_map map;
        pa_channel_map_init_stereo(&map);
        pa_proplist* props = pa_proplist_new();
        pa_proplist_sets(props, PA_PROP_MEDIA_ROLE, MediaRole);
        pa_proplist_sets(props, PA_PROP_MEDIA_ICON_NAME, IconName);
        stream = pa_stream_new_with_proplist(context, StreamName, &Format, &map, props);
        pa_proplist_free(props);
        if (!stream) {
            failLocked();
            return;
        }
        pa_stream_set_state_callback(stream, &Connection::onStreamState, this);
        pa_stream_set_write_callback(stream, &Connection::onWritable, this);
        // Corked until the first tone: an idle program holds no running
        // stream, so the device can sleep from start-up on.
        corked = true;
        pa_buffer_attr attr;
        attr.maxlength = static_cast<uint32_t>(-1);
        attr.tlength = TargetBytes;
        attr.prebuf = static_cast<uint32_t>(-1);
        attr.minreq = pipeWire ? PipeWireRequestBytes : static_cast<uint32_t>(-1);
        attr.fragsize = static_cast<uint32_t>(-1);
        if (pa_stream_connect_playback(
                stream, nullptr, &attr,
                static_cast<pa_stream_flags_t>((pipeWire ? PA_STREAM_EARLY_REQUESTS : PA_STREAM_ADJUST_LATENCY) |
                                               PA_STREAM_START_CORKED),
                nullptr, nullptr) < 0)
            failLocked();
    }

    void teardownLocked() {
        cancelRestLocked();
        if (drain) {
            pa_operation_cancel(drain);
            pa_operation_unref(drain);
            drain = nullptr;
        }
        if (stream) {
            pa_stream_set_state_callback(stream, nullptr, nullptr);
            pa_stream_set_write_callback(stream, nullptr, nullptr);
            pa_stream_disconnect(stream);
            pa_stream_unref(stream);
            stream = nullptr;
        }
        if (context) {
            pa_context_set_state_callback(context, nullptr, nullptr);
            pa_context_disconnect(context);
            pa_context_unref(context);
            context = nullptr;
        }
        state = State::Down;
    }

    void failLocked() {
        state = State::Failed;
        if (jobActive) jobFailed = true;
        wakeWaiter();
    }

    // Feeds as much of the tone as the server takes now; once all of it is
    // written, asks for the drain that tells when the last frame has played.
    void writeLocked() {
        if (!jobActive || drain || jobDone || jobFailed || !stream) return;
        while (written < job.size()) {
            const std::size_t writable = pa_stream_writable_size(stream);
            if (writable == static_cast<std::size_t>(-1)) {
                failLocked();
                return;
            }
            std::size_t n = std::min(writable, job.size() - written);
            n -= n % BytesPerFrame;
            if (n == 0) return;
            // Scaled straight into the server's buffer, piece by piece: the
            // levelled tone never exists as a whole, however long it is.
            void* buffer = nullptr;
            if (pa_stream_begin_write(stream, &buffer, &n) < 0 || !buffer) {
                failLocked();
                return;
            }
            n -= n % BytesPerFrame;
            if (n == 0) {
                pa_stream_cancel_write(stream);
                return;
            }
            ScaleFrames(job.subspan(written, n), jobLeft, jobRight, static_cast<uint8_t*>(buffer));
            // A tone's first frames go where the server reads next. Between
            // tones the stream sat drained; PipeWire's Pulse service lets
            // its read position run on past the written end meanwhile, and
            // frames written at the old end would land behind it, unheard.
            // (PulseAudio keeps the two together, so this changes nothing
            // there.)
            const pa_seek_mode_t seek = written == 0 ? PA_SEEK_RELATIVE_ON_READ : PA_SEEK_RELATIVE;
            if (pa_stream_write(stream, buffer, n, nullptr, 0, seek) < 0) {
                failLocked();
                return;
            }
            written += n;
        }
        if (written == job.size()) {
            drain = pa_stream_drain(stream, &Connection::onDrained, this);
            if (!drain) failLocked();
        }
    }

    void setCorkedLocked(bool cork) {
        if (!stream) return;
        if (pa_operation* op = pa_stream_cork(stream, cork ? 1 : 0, nullptr, nullptr)) pa_operation_unref(op);
        corked = cork;
    }

    void scheduleRestLocked() {
        cancelRestLocked();
        if (!context || corked) return;
        restTimer = pa_context_rttime_new(context, pa_rtclock_now() + RestDelayUsec, &Connection::onRest, this);
    }

    void cancelRestLocked() {
        if (!restTimer) return;
        pa_threaded_mainloop_get_api(loop)->time_free(restTimer);
        restTimer = nullptr;
    }

    static void onRest(pa_mainloop_api* api, pa_time_event* e, const struct timeval*, void* userdata) {
        auto* self = static_cast<Connection*>(userdata);
        api->time_free(e);
        self->restTimer = nullptr;
        if (!self->jobActive) self->setCorkedLocked(true);
    }

    static void onContextState(pa_context* c, void* userdata) {
        auto* self = static_cast<Connection*>(userdata);
        switch (pa_context_get_state(c)) {
            case PA_CONTEXT_READY:
                if (!self->stream) self->askServerLocked();
                break;
            case PA_CONTEXT_FAILED:
            case PA_CONTEXT_TERMINATED:
                self->failLocked();
                break;
            default:
                break;
        }
    }

    static void onServerInfo(pa_context* c, const pa_server_info* info, void* userdata) {
        auto* self = static_cast<Connection*>(userdata);
        // A context torn down meanwhile has no stream to open.
        if (self->context != c || self->stream || pa_context_get_state(c) != PA_CONTEXT_READY) return;
        self->openStreamLocked(IsPipeWire(info));
    }

    static void onStreamState(pa_stream* s, void* userdata) {
        auto* self = static_cast<Connection*>(userdata);
        switch (pa_stream_get_state(s)) {
            case PA_STREAM_READY: {
                self->state = State::Ready;
                self->wakeWaiter();
                break;
            }
            case PA_STREAM_FAILED:
            case PA_STREAM_TERMINATED:
                self->failLocked();
                break;
            default:
                break;
        }
    }

    static void onWritable(pa_stream*, std::size_t, void* userdata) {
        static_cast<Connection*>(userdata)->writeLocked();
    }

    static void onDrained(pa_stream*, int success, void* userdata) {
        auto* self = static_cast<Connection*>(userdata);
        if (self->drain) {
            pa_operation_unref(self->drain);
            self->drain = nullptr;
        }
        if (success)
            self->jobDone = true;
        else
            self->jobFailed = true;
        self->wakeWaiter();
    }

    const std::string name;
    const std::atomic<bool>& cancelled;

    pa_threaded_mainloop* loop = nullptr;
    pa_context* context = nullptr;       // loop lock
    pa_stream* stream = nullptr;         // loop lock
    pa_operation* drain = nullptr;       // loop lock
    pa_time_event* restTimer = nullptr;  // loop lock: corks the stream once the program rests
    bool corked = true;                  // loop lock

    // The tone being written (loop lock).
    std::span<const uint8_t> job;
    uint16_t jobLeft = 65535, jobRight = 65535;
    std::size_t written = 0;
    bool jobActive = false;

    // Read by the waiting thread without the loop lock; each change is
    // followed by a wake of the play waiting on it.
    std::atomic<State> state{State::Down};
    std::atomic<bool> jobDone{false};
    std::atomic<bool> jobFailed{false};
    std::mutex mutex;                // guards `waiter`
    PlaybackWait* waiter = nullptr;  // the wait of the play in progress
};

PulseOutput::PulseOutput(const std::string& applicationName)
    : connection_(std::make_unique<Connection>(applicationName, cancelled_)) {}

PulseOutput::~PulseOutput() = default;

void PulseOutput::play(const WaveImage& image, PlaybackWait& wait) {
    cancelled_ = false;
    const auto start = Clock::now();
    const auto frames = WaveFrameData(image);
    if (!frames || frames->empty()) return;

    const long long length = ImageMilliseconds(image.size());
    const uint32_t levels = levels_;
    const auto left = static_cast<uint16_t>(levels & 0xFFFF), right = static_cast<uint16_t>(levels >> 16);

    if (connection_->ensureReady(wait)) {
        const auto deadline = Clock::now() + milliseconds(length) + DrainGrace;
        if (connection_->playFrames(*frames, left, right, deadline, wait) == Connection::Outcome::Cancelled) return;
    }
    if (cancelled_) return;
    // A play lasts its tone at least. Played: the server answers a drain once
    // it has passed the last frames on to the device, which with the long
    // target can be a block of the device before they are heard. No server,
    // or it failed mid-tone: the tone's time is kept without sound.
    connection_->waitUntil([] { return false; }, start + milliseconds(length), wait);
}

void PulseOutput::setLevels(uint16_t left, uint16_t right) { levels_ = static_cast<uint32_t>(right) << 16 | left; }

void PulseOutput::cancel() {
    cancelled_ = true;
    connection_->wakeWaiter();
}

}  // namespace orvik
