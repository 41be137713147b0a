#pragma once
// D-Bus calls that a worker thread must wait on (a script's calls to a player, the Bluetooth
// report), which the quit cuts short: the queues those threads run on are joined when the
// application ends, and a peer that owns its name but never answers would hold the quit for
// the whole time limit of each call.
//
//     PeerCalls calls;                                  // owned by the platform
//     const QDBusMessage reply = calls.call(bus, message, 3000);   // on a worker thread
//     calls.stop();                                     // at quit, from the main thread
//
// A call made on a worker thread waits in an event loop of that thread for its reply or its
// time limit, whichever comes first, or until `stop()`; one made on the main thread waits
// plainly (an event loop there would run everything else meanwhile).

#include <QDBusConnection>
#include <QDBusMessage>

#include <mutex>
#include <set>

class QEventLoop;

namespace quorlix::platform {

class PeerCalls {
public:
    // The reply to `message`, or an error message when none came within `timeoutMs`, or the
    // wait was cut short, or `stop()` had been called. Any thread.
    QDBusMessage call(QDBusConnection bus, const QDBusMessage& message, int timeoutMs);
    // Ends the waits under way and refuses every later call. Any thread.
    void stop();

private:
    std::mutex mutex_;
    bool stopped_ = false;
    std::set<QEventLoop*> waiting_;
};

// `calls->call(...)`, or a plain wait for a backend given none (tests).
QDBusMessage callPeer(PeerCalls* calls, QDBusConnection bus, const QDBusMessage& message, int timeoutMs);

}  // namespace quorlix::platform
