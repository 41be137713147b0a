#include "platform/linux/qt_main_queue.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QTimer>

#include <cmath>

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
    QTimer::singleShot(ms, Qt::PreciseTimer, receiver_, [job] { job->run(); });
}

}  // namespace quorlix::platform
