#include "services/timer_service.h"

#include "fakes/fake_platform.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace quorlix {
namespace {

class TimerServiceTest : public ::testing::Test {
protected:
    fakes::FakePlatform fake;
    TimerService timer;
    int finishes = 0;

    void SetUp() override {
        timer.onFinish = [this] { ++finishes; };
    }
    Date now() const { return fake.time.clock.date(); }
    void advance(double seconds) { fake.time.advance(seconds); }
};

TEST(TimerServiceFormatTest, RoundsUpAndSwitchesToHours) {
    EXPECT_EQ(TimerService::format(0), "0:00");
    EXPECT_EQ(TimerService::format(59.2), "1:00");
    EXPECT_EQ(TimerService::format(61), "1:01");
    EXPECT_EQ(TimerService::format(600), "10:00");
    EXPECT_EQ(TimerService::format(3599.4), "1:00:00");
    EXPECT_EQ(TimerService::format(3661), "1:01:01");
}

TEST_F(TimerServiceTest, NewServiceIsIdle) {
    EXPECT_FALSE(timer.isActive());
    EXPECT_FALSE(timer.isRunning());
    EXPECT_EQ(timer.remaining(now()), 0);
    EXPECT_EQ(timer.progress(now()), 0);
}

TEST_F(TimerServiceTest, RunningCountdownArithmetic) {
    const Date t = now();
    timer.start(1);
    EXPECT_EQ(timer.total.get(), 60);
    EXPECT_EQ(timer.endDate.get(), t.addingTimeInterval(60));
    EXPECT_TRUE(timer.isRunning());
    EXPECT_EQ(timer.remaining(t.addingTimeInterval(15)), 45);
    EXPECT_EQ(timer.progress(t.addingTimeInterval(15)), 0.25);
    EXPECT_EQ(timer.remaining(t.addingTimeInterval(90)), 0);
}

TEST_F(TimerServiceTest, PauseResumeAndAddMinute) {
    timer.start(1);
    advance(20);
    timer.pause();
    EXPECT_EQ(timer.pausedRemaining.get(), 40);
    EXPECT_FALSE(timer.endDate->has_value());
    EXPECT_TRUE(timer.isActive());
    EXPECT_FALSE(timer.isRunning());
    EXPECT_EQ(timer.remaining(now().addingTimeInterval(1000)), 40);

    timer.addMinute();
    EXPECT_EQ(timer.pausedRemaining.get(), 100);
    EXPECT_EQ(timer.total.get(), 120);
    advance(600);
    EXPECT_EQ(finishes, 0) << "a paused countdown never finishes";

    timer.resume();
    EXPECT_EQ(timer.endDate.get(), now().addingTimeInterval(100));
    EXPECT_FALSE(timer.pausedRemaining->has_value());
    advance(99);
    EXPECT_EQ(finishes, 0);
    advance(1);
    EXPECT_EQ(finishes, 1);
}

TEST_F(TimerServiceTest, AddMinuteWhileRunningMovesTheEnd) {
    timer.start(1);
    advance(30);
    timer.addMinute();
    advance(31);
    EXPECT_EQ(finishes, 0);
    advance(59);
    EXPECT_EQ(finishes, 1);
}

TEST_F(TimerServiceTest, IdleOperationsChangeNothing) {
    timer.addMinute();
    timer.pause();
    timer.resume();
    EXPECT_FALSE(timer.isActive());
    EXPECT_EQ(timer.total.get(), 0);
}

TEST_F(TimerServiceTest, ObserversSeeIdleBeforeOnFinishRunsOnce) {
    std::vector<std::string> seen;
    const Subscription ends = timer.endDate.sink([&](const std::optional<Date>& end) {
        if (!end) seen.push_back("endDate cleared");
    });
    const Subscription totals = timer.total.sink([&](double total) {
        if (total == 0) seen.push_back("total 0");
    });
    timer.onFinish = [&] {
        ++finishes;
        seen.push_back(timer.isActive() ? "finish while active" : "finish while idle");
    };
    timer.start(0.5);
    advance(29.9);
    EXPECT_TRUE(seen.empty());
    advance(0.1);
    EXPECT_EQ(seen, (std::vector<std::string>{"endDate cleared", "total 0", "finish while idle"}));
    advance(600);
    EXPECT_EQ(finishes, 1);
}

TEST_F(TimerServiceTest, CountdownEndsOnTheClockThatCountsThroughSleep) {
    // 60 s of countdown: 10 s awake, 30 s asleep, then 20 s awake.
    timer.start(1);
    advance(10);
    fake.time.suspend(30);
    EXPECT_EQ(finishes, 0);
    EXPECT_EQ(timer.remaining(now()), 20) << "the end date moved on with the sleep too";
    advance(19.9);
    EXPECT_EQ(finishes, 0);
    advance(0.1);
    EXPECT_EQ(finishes, 1);

    // A countdown that runs out during the sleep ends as the machine wakes.
    timer.start(1);
    fake.time.suspend(90);
    EXPECT_EQ(finishes, 2);
    EXPECT_FALSE(timer.isActive());
}

TEST_F(TimerServiceTest, LengthThatIsNotAFiniteNumberIsIgnored) {
    timer.start(2);
    timer.start(std::numeric_limits<double>::infinity());
    timer.start(std::numeric_limits<double>::quiet_NaN());
    timer.start(1e308);  // finite, but not once made seconds
    EXPECT_EQ(timer.total.get(), 120);
    advance(120);
    EXPECT_EQ(finishes, 1);
    EXPECT_EQ(TimerService::format(std::numeric_limits<double>::quiet_NaN()), "0:00");
}

TEST_F(TimerServiceTest, RestartReplacesAndCancelStops) {
    timer.start(1);
    advance(30);
    timer.start(2);
    advance(60);
    EXPECT_EQ(finishes, 0) << "the replaced countdown's end is gone";
    advance(60);
    EXPECT_EQ(finishes, 1);

    timer.start(1);
    advance(30);
    timer.cancel();
    advance(60);
    EXPECT_EQ(finishes, 1);
    EXPECT_FALSE(timer.isActive());
}

}  // namespace
}  // namespace quorlix
