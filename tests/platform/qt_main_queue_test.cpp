#include "platform/linux/qt_main_queue.h"

#include "fakes/wait_for.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace quorlix::platform {
namespace {

TEST(QtMainQueue, RunsPostsInOrderDelaysOnTimeAndSkipsCancelledWork) {
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    QtMainQueue queue;
    std::vector<std::string> ran;
    QElapsedTimer clock;
    clock.start();
    qint64 delayedAt = -1;

    auto delayed = queue.after(0.05, [&] {
        delayedAt = clock.elapsed();
        ran.push_back("delayed");
    });
    auto cancelled = queue.after(0.01, [&] { ran.push_back("cancelled"); });
    cancelled.cancel();
    queue.post([&] { ran.push_back("first"); });
    // From another thread: still runs on this one, after the earlier post.
    std::thread([&] { queue.post([&] { ran.push_back("from thread"); }); }).join();
    queue.after(0.1, [] { QCoreApplication::quit(); }).detach();
    // A guard against a queue that never runs its work, far past any wait.
    QTimer::singleShot(std::chrono::milliseconds(testing::waitBudget), [] { QCoreApplication::exit(1); });

    ASSERT_EQ(QCoreApplication::exec(), 0);
    EXPECT_EQ(ran, (std::vector<std::string>{"first", "from thread", "delayed"}));
    EXPECT_GE(delayedAt, 50);
}

}  // namespace
}  // namespace quorlix::platform

namespace quorlix::platform {
namespace {

TEST(QtMainQueue, UptimeWaitsFireOnTheEventLoop) {
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    QtMainQueue queue;
    QElapsedTimer clock;
    clock.start();
    qint64 firedAt = -1;
    auto cancelled = queue.afterUptime(0.02, [] { QCoreApplication::exit(2); });
    cancelled.cancel();
    auto wait = queue.afterUptime(0.06, [&] {
        firedAt = clock.elapsed();
        QCoreApplication::quit();
    });
    QTimer::singleShot(std::chrono::milliseconds(testing::waitBudget), [] { QCoreApplication::exit(1); });
    ASSERT_EQ(QCoreApplication::exec(), 0);
    EXPECT_GE(firedAt, 60);
}

}  // namespace
}  // namespace quorlix::platform
