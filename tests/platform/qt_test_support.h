#pragma once
// Helpers for tests of the Qt backends: one application object per process and waiting on
// Qt's event loop.

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>

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

// Runs Qt's event loop until `done()` holds or `milliseconds` pass; answers `done()`.
template <class Pred>
bool waitUntil(Pred done, int milliseconds = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > milliseconds) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

}  // namespace quorlix::testing
