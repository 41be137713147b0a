#pragma once
// The main queue on Qt's event loop: posts are queued events, delays are precise single-shot
// timers (uptime waits: boot-clock timer descriptors). Nothing runs and no timer exists while nothing is scheduled.

#include "platform/main_queue.h"

#include <QObject>

namespace quorlix::platform {

class QtMainQueue final : public MainQueue {
public:
    QtMainQueue();
    ~QtMainQueue() override;

protected:
    void schedule(double seconds, std::shared_ptr<Job> job) override;
    // A timerfd on CLOCK_BOOTTIME, watched by the event loop.
    void scheduleUptime(double seconds, std::shared_ptr<Job> job) override;

private:
    QObject* receiver_;
};

}  // namespace quorlix::platform
