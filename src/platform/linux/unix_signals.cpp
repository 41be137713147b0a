#include "platform/linux/unix_signals.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QThread>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <csignal>

namespace quorlix::platform {

namespace {
int signalPipe[2] = {-1, -1};
// A signal read before the event loop ran (a backend waiting on the loop during start-up):
// quitting then would be forgotten once the loop starts.
bool requestedEarly = false;

void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto n = ::write(signalPipe[1], &byte, 1);
}
}  // namespace

void quitOnTerminationSignals() {
    if (signalPipe[0] >= 0) return;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) return;
    ::fcntl(signalPipe[1], F_SETFL, O_NONBLOCK);

    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, [] {
        char buf[16];
        [[maybe_unused]] const auto n = ::read(signalPipe[0], buf, sizeof buf);
        if (QThread::currentThread()->loopLevel() == 0)
            requestedEarly = true;
        else
            QCoreApplication::quit();
    });

    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    // SIGHUP too: the terminal that started us closed, or the session ended, and what the
    // settings' writer still holds must reach the disk as at any quit.
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
}

bool terminationRequested() { return requestedEarly; }

}  // namespace quorlix::platform
