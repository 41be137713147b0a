#pragma once
// Helpers for tests of the Qt backends: one application object per process and waiting on
// Qt's event loop.

#include "fakes/wait_for.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <utility>
#include <vector>

namespace quorlix::testing {

// The process's application object, created on first use (offscreen in tests) and kept; one
// that can host widgets, as the panels are.
inline QCoreApplication& qtApplication() {
    if (auto* existing = QCoreApplication::instance()) return *existing;
    static int argc = 1;
    static char name[] = "quorlix-test";
    static char* argv[] = {name, nullptr};
    return *new QApplication(argc, argv);
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
