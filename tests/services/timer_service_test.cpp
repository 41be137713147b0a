#include "services/timer_service.h"

#include "fakes/fake_platform.h"

#include <gtest/gtest.h>

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
    bool idleAtFinish = false;
    timer.onFinish = [&] {
        ++finishes;
        idleAtFinish = !timer.isActive() && timer.total.get() == 0;
    };
    timer.start(0.5);
    advance(30);
    EXPECT_EQ(finishes, 1);
    EXPECT_TRUE(idleAtFinish);
    advance(60);
    EXPECT_EQ(finishes, 1);
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
