#include "fakes/thread_gate.h"
#include "fakes/virtual_time.h"
#include "fakes/wait_for.h"
#include "platform/detached_workers.h"
#include "platform/published.h"
#include "platform/serial_queue.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <future>
#include <memory>
#include <thread>

#include <string>
#include <vector>

namespace quorlix {
namespace {

using fakes::VirtualTime;
using platform::MainQueue;
using platform::WorkItem;

TEST(MainQueue, RunsJobsInDueOrderThenPostingOrder) {
    VirtualTime time;
    std::vector<std::string> ran;
    auto& q = MainQueue::shared();
    auto late = q.after(2.0, [&] { ran.push_back("2.0"); });
    auto early = q.after(0.5, [&] { ran.push_back("0.5a"); });
    auto sameTime = q.after(0.5, [&] { ran.push_back("0.5b"); });
    q.post([&] { ran.push_back("post"); });

    time.advance(0.49);
    EXPECT_EQ(ran, std::vector<std::string>{"post"});
    time.advance(0.01);
    EXPECT_EQ(ran, (std::vector<std::string>{"post", "0.5a", "0.5b"}));
    time.advance(10);
    EXPECT_EQ(ran.back(), "2.0");
    EXPECT_EQ(ran.size(), 4u);
}

TEST(MainQueue, JobsSeeTheClockAtTheirDueTimeAndNestedWorkRunsInTheSameWindow) {
    VirtualTime time;
    const double start = time.now();
    std::vector<double> seen;
    WorkItem inner;
    auto outer = MainQueue::shared().after(1.0, [&] {
        seen.push_back(time.now() - start);
        inner = MainQueue::shared().after(0.7, [&] { seen.push_back(time.now() - start); });
    });
    time.advance(2.0);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_NEAR(seen[0], 1.0, 1e-9);
    EXPECT_NEAR(seen[1], 1.7, 1e-9);
    EXPECT_NEAR(time.now() - start, 2.0, 1e-9);
}

TEST(MainQueue, CancellingOrReplacingOrDroppingTheHandleStopsTheWork) {
    VirtualTime time;
    int fired = 0;
    WorkItem a = MainQueue::shared().after(1, [&] { fired += 1; });
    a.cancel();
    WorkItem b = MainQueue::shared().after(1, [&] { fired += 10; });
    b = MainQueue::shared().after(1, [&] { fired += 100; });  // replaces: the first is cancelled
    {
        WorkItem c = MainQueue::shared().after(1, [&] { fired += 1000; });
    }
    MainQueue::shared().after(1, [&] { fired += 10000; }).detach();
    EXPECT_TRUE(b.isPending());
    time.advance(1);
    EXPECT_EQ(fired, 10100);
    EXPECT_FALSE(b.isPending());
}

TEST(MainQueue, AJobMayCancelItselfOrALaterJob) {
    VirtualTime time;
    int fired = 0;
    WorkItem later = MainQueue::shared().after(2, [&] { ++fired; });
    WorkItem self;
    self = MainQueue::shared().after(1, [&] {
        self.cancel();
        later.cancel();
        ++fired;
    });
    time.advance(5);
    EXPECT_EQ(fired, 1);
}

TEST(MainQueue, NegativeAndNaNDelaysRunAtOnce) {
    VirtualTime time;
    int fired = 0;
    auto a = MainQueue::shared().after(-3, [&] { ++fired; });
    auto b = MainQueue::shared().after(std::nan(""), [&] { ++fired; });
    time.runPending();
    EXPECT_EQ(fired, 2);
}

TEST(Published, NotifiesBeforeStoringInSubscriptionOrderEvenForEqualValues) {
    ObservableObject owner;
    Published<int> value{&owner, 1};
    std::vector<std::string> events;
    Subscription w =
        owner.objectWillChange.connect([&] { events.push_back("will:" + std::to_string(value.get())); });
    Subscription a = value.sink(
        [&](int v) { events.push_back("a:" + std::to_string(v) + "/" + std::to_string(value.get())); });
    Subscription b = value.subscribe([&](int v) { events.push_back("b:" + std::to_string(v)); });
    value = 2;
    value = 2;
    EXPECT_EQ(events, (std::vector<std::string>{"b:1", "will:1", "a:2/1", "b:2", "will:2", "a:2/2", "b:2"}));
}

TEST(Published, EndedSubscriptionsHearNothingAndMayEndDuringDelivery) {
    Published<int> value{0};
    int aCount = 0, bCount = 0;
    Subscription b;
    Subscription a = value.sink([&](int) {
        ++aCount;
        b.cancel();  // b must not be called in this delivery
    });
    b = value.sink([&](int) { ++bCount; });
    value = 1;
    EXPECT_EQ(aCount, 1);
    EXPECT_EQ(bCount, 0);
    a = Subscription();
    value = 2;
    EXPECT_EQ(aCount, 1);
}

TEST(Published, SubscriptionMayOutliveThePublisher) {
    Subscription s;
    {
        Published<int> value{0};
        s = value.sink([](int) {});
    }
    s.cancel();  // must not touch freed memory (ASan would say)
    SUCCEED();
}

using fakes::Gate;
using fakes::pump;

// A job for the serial queue that waits at `gate`, then gives `value`.
std::function<int()> gated(const Gate& gate, int value) {
    return [wait = gate.waiter(), value] {
        wait();
        return value;
    };
}

TEST(SerialQueue, RunsJobsInOrderAndDeliversOnTheMainQueue) {
    VirtualTime time;
    platform::ThreadSerialQueue queue;
    std::vector<int> results;
    for (int i = 0; i < 20; ++i) {
        queue.run<int>([i] { return i * i; },
                       [&](std::optional<int> r) { results.push_back(r.value_or(-1)); });
    }
    // Results arrive only through the main queue, and in order.
    ASSERT_TRUE(testing::waitFor([&] { return results.size() >= 20; }, {}, [&] { pump(time); }));
    ASSERT_EQ(results.size(), 20u);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(results[i], i * i);
}

TEST(SerialQueue, AJobPastItsTimeLimitYieldsNothingAndLaterJobsStillRun) {
    VirtualTime time;
    std::vector<std::optional<int>> results;
    platform::ThreadSerialQueue queue;
    Gate gate;
    queue.run<int>(
        gated(gate, 1), [&](std::optional<int> r) { results.push_back(r); }, 3.0);
    queue.run<int>([] { return 2; }, [&](std::optional<int> r) { results.push_back(r); }, 3.0);

    // The first job's limit is armed once it starts; then its deadline passes on the
    // virtual clock while the second job still waits behind it.
    ASSERT_TRUE(testing::waitFor([&] { return time.queue.nextDueIn() >= 0; }, {}, [&] { pump(time); }));
    time.advance(3.0);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0], std::nullopt);

    gate.open();
    ASSERT_TRUE(testing::waitFor([&] { return results.size() >= 2; }, {}, [&] { pump(time); }));
    ASSERT_EQ(results.size(), 2u);  // the late result of the first job was dropped
    EXPECT_EQ(results[1], 2);
}

TEST(SerialQueue, AMainQueueThatGoesWithTheAnswerAndTheLimitUnrunFreesThem) {
    auto token = std::make_shared<int>(0);
    const std::weak_ptr<int> watched = token;
    {
        platform::ThreadSerialQueue queue;
        VirtualTime time;
        Gate gate;
        queue.run<int>(
            gated(gate, 1), [token = std::move(token)](std::optional<int>) {}, 3.0);
        // The limit is armed, then the answer waits beside it on the main queue.
        ASSERT_TRUE(testing::waitFor([&] { return time.queue.nextDueIn() > 0; }, {}, [&] { pump(time); }));
        gate.open();
        ASSERT_TRUE(testing::waitFor([&] { return time.queue.scheduledCount() == 2; }));
    }
    EXPECT_TRUE(watched.expired()) << "the answer and its limit keep each other";
}

// A job held in the kernel, in a read from a pipe nobody writes to, until the test writes.
class StuckRead {
public:
    StuckRead() { started_ = ::pipe(fds_) == 0; }
    ~StuckRead() {
        release();
        ::close(fds_[0]);
    }
    bool ready() const { return started_; }
    void release() {
        if (fds_[1] < 0) return;
        ::close(fds_[1]);  // the read returns, with nothing
        fds_[1] = -1;
    }
    // Reads; says it is reading, then that it is done.
    void read(std::atomic<int>& stage) const {
        stage = 1;
        char byte;
        [[maybe_unused]] const auto n = ::read(fds_[0], &byte, 1);
        stage = 2;
    }

private:
    int fds_[2] = {-1, -1};
    bool started_ = false;
};

TEST(DetachedWorkers, AJobStuckInTheKernelHoldsBackNeitherTheOthersNorTheirEnd) {
    VirtualTime time;
    StuckRead stuck;
    ASSERT_TRUE(stuck.ready());
    Gate gate;
    std::atomic<int> stuckStage{0}, gatedStage{0};
    std::vector<int> delivered;
    // Each held by one job and what it hands over: gone once the job and its result are.
    auto stuckToken = std::make_shared<int>(0), gatedToken = std::make_shared<int>(0),
         waitingToken = std::make_shared<int>(0);
    const std::weak_ptr<int> stuckDone = stuckToken, gatedDone = gatedToken, waitingDone = waitingToken;
    {
        platform::DetachedWorkers workers(2, &time.queue);
        workers.async([&, token = std::move(stuckToken)]() -> std::function<void()> {
            stuck.read(stuckStage);
            return [&, token] { delivered.push_back(0); };
        });
        // The others come, in order, while the first stays in the kernel.
        for (int i = 1; i <= 5; ++i)
            workers.async([&, i]() -> std::function<void()> { return [&, i] { delivered.push_back(i); }; });
        ASSERT_TRUE(testing::waitFor([&] { return delivered.size() == 5; }, {}, [&] { pump(time); }));
        EXPECT_EQ(delivered, (std::vector<int>{1, 2, 3, 4, 5}));

        // Both threads held, a job waits for one.
        workers.async([&, open = gate.waiter(), token = std::move(gatedToken)]() -> std::function<void()> {
            gatedStage = 1;
            open();
            gatedStage = 2;
            return [&, token] { delivered.push_back(6); };
        });
        ASSERT_TRUE(testing::waitFor([&] { return gatedStage == 1 && stuckStage == 1; }));
        workers.async([&, token = std::move(waitingToken)]() -> std::function<void()> {
            return [&] { delivered.push_back(7); };
        });
    }
    // The workers went at once, two of their jobs still running; the waiting one went unrun.
    EXPECT_TRUE(waitingDone.expired());
    EXPECT_EQ(stuckStage, 1);
    EXPECT_EQ(gatedStage, 1);

    // Let out later, the running jobs' results are dropped, never delivered.
    gate.open();
    stuck.release();
    ASSERT_TRUE(testing::waitFor([&] { return stuckDone.expired() && gatedDone.expired(); }));
    time.runPending();
    EXPECT_EQ(delivered.size(), 5u);
}

}  // namespace
}  // namespace quorlix

namespace quorlix {
namespace {

TEST(MainQueue, UptimeWaitsKeepCountingWhileTheMachineSleeps) {
    fakes::VirtualTime time;
    std::vector<std::string> ran;
    auto countdown = platform::MainQueue::shared().afterUptime(60, [&] { ran.push_back("countdown"); });
    auto animation = platform::MainQueue::shared().after(60, [&] { ran.push_back("animation"); });
    time.advance(20);
    time.suspend(30);  // asleep: monotonic time stands still
    EXPECT_TRUE(ran.empty());
    time.advance(10);  // 60 s of uptime, 30 s of monotonic time
    EXPECT_EQ(ran, std::vector<std::string>{"countdown"});
    time.advance(30);
    EXPECT_EQ(ran, (std::vector<std::string>{"countdown", "animation"}));
}

TEST(MainQueue, AnUptimeWaitThatFallsDueDuringSleepRunsOnWaking) {
    fakes::VirtualTime time;
    int fired = 0;
    auto a = platform::MainQueue::shared().afterUptime(5, [&] { ++fired; });
    auto b = platform::MainQueue::shared().afterUptime(50, [&] { ++fired; });
    time.suspend(600);
    EXPECT_EQ(fired, 2);
}

}  // namespace
}  // namespace quorlix
