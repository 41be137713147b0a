#include "platform/linux/peer_calls.h"

#include <QCoreApplication>
#include <QDBusPendingCallWatcher>
#include <QEventLoop>
#include <QThread>

namespace quorlix::platform {

namespace {
QDBusMessage cutShort(const QDBusMessage& message) {
    return message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.NoReply"),
                                    QStringLiteral("the application is quitting"));
}
}  // namespace

QDBusMessage PeerCalls::call(QDBusConnection bus, const QDBusMessage& message, int timeoutMs) {
    const auto* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread()) {
        if (std::lock_guard lock(mutex_); stopped_) return cutShort(message);
        return bus.call(message, QDBus::Block, timeoutMs);
    }
    QEventLoop loop;
    {
        std::lock_guard lock(mutex_);
        if (stopped_) return cutShort(message);
        waiting_.insert(&loop);
    }
    // The reply comes to this thread's own event loop, which `stop()` may end first.
    QDBusPendingCallWatcher watcher(bus.asyncCall(message, timeoutMs));
    QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
    if (!watcher.isFinished()) loop.exec(QEventLoop::ExcludeUserInputEvents);
    {
        std::lock_guard lock(mutex_);
        waiting_.erase(&loop);
    }
    return watcher.isFinished() ? watcher.reply() : cutShort(message);
}

QDBusMessage callPeer(PeerCalls* calls, QDBusConnection bus, const QDBusMessage& message, int timeoutMs) {
    return calls ? calls->call(std::move(bus), message, timeoutMs)
                 : bus.call(message, QDBus::Block, timeoutMs);
}

void PeerCalls::stop() {
    std::lock_guard lock(mutex_);
    stopped_ = true;
    // Queued: each loop ends on its own thread, even one that has not started yet.
    for (QEventLoop* loop : waiting_)
        QMetaObject::invokeMethod(loop, &QEventLoop::quit, Qt::QueuedConnection);
}

}  // namespace quorlix::platform
