#pragma once
// The two ways a play's wait is spent: asleep on a condition (tools, tests)
// or in a nested event loop of the window's thread, which wakes only for
// its own events, the sound output's reports and the deadline.
#include <QObject>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "platform/services.h"

class QEventLoop;

namespace orvik {

// Sleeps on a condition variable until woken or the deadline passes.
class SleepingWait final : public PlaybackWait {
public:
    void until(const std::function<bool()>& done, Clock::time_point deadline) override;
    void wake() override;

private:
    std::mutex mutex_;
    std::condition_variable woken_;
};

// Runs a nested event loop on the thread that waits (the window's), so the
// window paints and answers the desktop during a tone; between events the
// thread sleeps. wake(), from the sound output's thread, is a queued call
// into this thread that ends the loop once `done` holds.
//
// Waits may nest (an event handled during one may play again); each ends
// on its own `done`, innermost first, as the event loops they run in must.
class EventLoopWait final : public PlaybackWait {
public:
    EventLoopWait();
    ~EventLoopWait() override;
    EventLoopWait(const EventLoopWait&) = delete;
    EventLoopWait& operator=(const EventLoopWait&) = delete;

    void until(const std::function<bool()>& done, Clock::time_point deadline) override;
    void wake() override;

private:
    struct Waiting {
        QEventLoop* loop;
        const std::function<bool()>* done;
    };
    void endFinished();

    QObject receiver_;  // lives in the waiting thread; queued wakes go to it
    std::vector<Waiting> waiting_;
};

}  // namespace orvik
