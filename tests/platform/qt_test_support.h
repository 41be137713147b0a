#pragma once
// Helpers for tests of the Qt backends: one application object per process and waiting on
// Qt's event loop.

#include "fakes/wait_for.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

namespace quorlix::testing {

// The process's application object, created on first use (offscreen in tests) and kept; one
// that can host widgets, as the panels are. A test never makes one of its own: it would take
// the kept one's place, and once destroyed leave the kept one's event dispatcher running
// unseen, where the timers of earlier tests fire into objects already freed. Asked for after
// that happened, this stops the run and says so rather than making a second one.
inline QCoreApplication& qtApplication() {
    static QCoreApplication* kept = nullptr;
    if (auto* existing = QCoreApplication::instance()) return *existing;
    if (kept) {
        std::fputs("qtApplication(): a test destroyed an application object of its own; use this one\n",
                   stderr);
        std::abort();
    }
    static int argc = 1;
    static char name[] = "quorlix-test";
    static char* argv[] = {name, nullptr};
    kept = new QApplication(argc, argv);
    return *kept;
}

// Makes sure the application object exists before the members declared after it (Qt
// objects made without one do not work).
struct QtApplicationMember {
    QtApplicationMember() { qtApplication(); }
};

// Runs Qt's event loop until an event comes, or 10 ms at most, then handles every event
// ready by then.
inline void runEventLoop() {
    if (!QCoreApplication::instance()) return shortPause();
    QTimer wake;
    wake.start(10);
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

// Runs Qt's event loop until `done()` holds (see fakes/wait_for.h): it fails once one of
// `peers` has ended, or after the wait's budget.
template <class Pred>
::testing::AssertionResult waitUntil(Pred&& done, const std::vector<Peer*>& peers = {}) {
    return waitFor(std::forward<Pred>(done), peers, runEventLoop);
}

// Runs the event loop for `milliseconds`, for checking that nothing more happens where no
// later event can show it.
inline void settle(int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) runEventLoop();
}

}  // namespace quorlix::testing
