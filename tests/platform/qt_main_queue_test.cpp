#include "platform/linux/qt_main_queue.h"

#include "qt_test_support.h"

#include <QElapsedTimer>

#include <dirent.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

// On the process's one application object, as the program runs: an application object of a
// test's own would take the kept one's place, and once gone leave its event dispatcher behind,
// still firing the timers of earlier tests into objects since freed.

namespace quorlix::platform {
namespace {
// Its own names: the test program is compiled a few files at a time as one unit.
namespace qt_main_queue_test {

TEST(QtMainQueue, RunsPostsInOrderDelaysOnTimeAndSkipsCancelledWork) {
    testing::qtApplication();
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
    // Past every other due time; work still pending when the queue goes never runs.
    bool done = false;
    queue.after(0.1, [&] { done = true; }).detach();

    ASSERT_TRUE(testing::waitUntil([&] { return done; }));
    EXPECT_EQ(ran, (std::vector<std::string>{"first", "from thread", "delayed"}));
    EXPECT_GE(delayedAt, 50);
}

int openDescriptors() {
    int count = 0;
    if (DIR* dir = ::opendir("/proc/self/fd")) {
        while (::readdir(dir)) ++count;
        ::closedir(dir);
    }
    return count;
}

// Both kinds of wait fire on the event loop once due. A countdown paused and resumed, a hide put
// off again and again: each cancelled wait never runs and gives its timer (a descriptor for
// uptime waits) and what its work holds back at once, so a flood of them cannot use up the
// process's descriptors or memory.
TEST(QtMainQueue, WaitsFireWhenDueAndCancelledOnesGiveTheirTimersBackAtOnce) {
    testing::qtApplication();
    QtMainQueue queue;
    using Schedule = WorkItem (QtMainQueue::*)(double, std::function<void()>);
    for (const Schedule schedule : {Schedule(&MainQueue::after), Schedule(&MainQueue::afterUptime)}) {
        const int before = openDescriptors();
        const auto held = std::make_shared<int>(0);
        int ran = 0;
        WorkItem wait;
        for (int i = 0; i < 3000; ++i) wait = (queue.*schedule)(3600, [&ran, held] { ++ran; });
        wait.cancel();
        EXPECT_LT(openDescriptors(), before + 10);
        EXPECT_EQ(held.use_count(), 1);
        QElapsedTimer clock;
        clock.start();
        qint64 firedAt = -1;
        wait = (queue.*schedule)(0.03, [&ran, &firedAt, &clock, held] {
            ++ran;
            firedAt = clock.elapsed();
        });
        ASSERT_TRUE(testing::waitUntil([&] { return ran > 0; }));
        EXPECT_EQ(ran, 1);
        EXPECT_GE(firedAt, 30);
        // Cancelled after it fired: nothing is given back twice.
        wait.cancel();
        EXPECT_LT(openDescriptors(), before + 10);
    }
}

}  // namespace qt_main_queue_test
}  // namespace
}  // namespace quorlix::platform
