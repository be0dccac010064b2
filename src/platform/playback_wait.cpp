#include "platform/playback_wait.h"

#include <QEventLoop>
#include <QMetaObject>
#include <QTimer>
#include <algorithm>

namespace orvik {

void SleepingWait::until(const std::function<bool()>& done, Clock::time_point deadline) {
    std::unique_lock lock(mutex_);
    woken_.wait_until(lock, deadline, [&] { return done(); });
}

void SleepingWait::wake() {
    // Taking the lock orders this wake after a waiter's last look at `done`,
    // so it cannot fall between that look and the waiter's sleep.
    { std::lock_guard lock(mutex_); }
    woken_.notify_all();
}

EventLoopWait::EventLoopWait() = default;
EventLoopWait::~EventLoopWait() = default;

void EventLoopWait::until(const std::function<bool()>& done, Clock::time_point deadline) {
    QEventLoop loop;
    QTimer timeUp;
    timeUp.setSingleShot(true);
    timeUp.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timeUp, &QTimer::timeout, &loop, &QEventLoop::quit);
    waiting_.push_back({&loop, &done});
    // Whatever leaves this wait (an exception from an event handled in it
    // included) takes it off the list before the loop is gone.
    struct Unlist {
        std::vector<Waiting>& list;
        QEventLoop* loop;
        ~Unlist() {
            list.erase(std::remove_if(list.begin(), list.end(), [&](const Waiting& w) { return w.loop == loop; }),
                       list.end());
        }
    } unlist{waiting_, &loop};
    for (;;) {
        if (done()) return;
        const auto left = deadline - Clock::now();
        if (left <= Clock::duration::zero()) return;
        // Rounded up, so the loop does not end a little early and spin.
        const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
        timeUp.start(static_cast<int>(std::min<long long>(ms, 24LL * 3600 * 1000)));
        // A wake queued before this point is delivered inside the loop.
        loop.exec();
    }
}

void EventLoopWait::wake() {
    QMetaObject::invokeMethod(
        &receiver_, [this] { endFinished(); }, Qt::QueuedConnection);
}

void EventLoopWait::endFinished() {
    for (const Waiting& w : waiting_)
        if ((*w.done)()) w.loop->quit();
}

}  // namespace orvik
