#include "platform/linux/qt_main_queue.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include <sys/timerfd.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>

namespace quorlix::platform {

QtMainQueue::QtMainQueue() : receiver_(new QObject()) {}

QtMainQueue::~QtMainQueue() { delete receiver_; }

void QtMainQueue::schedule(double seconds, std::shared_ptr<Job> job) {
    if (seconds <= 0) {
        // Thread-safe: queued onto the receiver's (main) thread.
        QMetaObject::invokeMethod(receiver_, [job] { job->run(); }, Qt::QueuedConnection);
        return;
    }
    const auto ms = static_cast<int>(std::min(std::ceil(seconds * 1000.0), 2147483647.0));
    // Delays are asked for on the main thread only, so a cancel may free the timer (and what
    // the work holds) at once rather than when it would have been due.
    auto* timer = new QTimer(receiver_);
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    const QPointer<QTimer> wait(timer);
    job->release = [wait] { delete wait.data(); };
    QObject::connect(timer, &QTimer::timeout, receiver_, [timer, job] {
        timer->deleteLater();
        job->release = nullptr;
        job->run();
    });
    timer->start(ms);
}

}  // namespace quorlix::platform

namespace quorlix::platform {

void QtMainQueue::scheduleUptime(double seconds, std::shared_ptr<Job> job) {
    const int fd = ::timerfd_create(CLOCK_BOOTTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (fd < 0) {
        // No boot-clock timers here: a wait that stops during sleep is the best we have.
        schedule(seconds, std::move(job));
        return;
    }
    itimerspec due{};
    const double whole = std::floor(seconds);
    due.it_value.tv_sec = static_cast<time_t>(whole);
    due.it_value.tv_nsec = static_cast<long>((seconds - whole) * 1e9);
    if (due.it_value.tv_sec == 0 && due.it_value.tv_nsec == 0) due.it_value.tv_nsec = 1;
    if (::timerfd_settime(fd, 0, &due, nullptr) != 0) {
        ::close(fd);
        schedule(seconds, std::move(job));
        return;
    }
    // The wait owns its descriptor: it goes when the wait fires, is cancelled, or the queue goes.
    auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, receiver_);
    QObject::connect(notifier, &QObject::destroyed, [fd] { ::close(fd); });
    const QPointer<QSocketNotifier> wait(notifier);
    // Never called from this notifier's own signal: firing drops the release before the job runs.
    job->release = [wait] { delete wait.data(); };
    QObject::connect(notifier, &QSocketNotifier::activated, receiver_, [notifier, fd, job] {
        std::uint64_t expirations = 0;
        [[maybe_unused]] const auto n = ::read(fd, &expirations, sizeof expirations);
        notifier->setEnabled(false);
        notifier->deleteLater();
        job->release = nullptr;
        job->run();
    });
}

}  // namespace quorlix::platform
