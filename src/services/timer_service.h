#pragma once
// The one countdown timer.
//
// The service does not tick: it keeps the moment the countdown ends, and readers compute
// what is left for the moment they draw. One pending finish per countdown resets the
// service to idle and then calls `onFinish`, so observers already see idle when it runs.
//
//     idle --start--> running --pause--> paused --resume--> running
//     running or paused --cancel--> idle;  running --end--> idle, then onFinish
//
// Main thread only.

#include "platform/clock.h"
#include "platform/published.h"
#include "platform/work_item.h"

#include <functional>
#include <optional>
#include <string>

namespace quorlix {

class TimerService final : public ObservableObject {
public:
    // While running: when the countdown reaches zero.
    Published<std::optional<Date>> endDate{this, std::nullopt};
    // While paused: the seconds that were left at the pause.
    Published<std::optional<double>> pausedRemaining{this, std::nullopt};
    // Full length of the current countdown in seconds, added minutes included; 0 when idle.
    Published<double> total{this, 0};

    // When a countdown runs out, after the service is idle again.
    std::function<void()> onFinish;

    // A running or paused countdown.
    bool isActive() const { return endDate->has_value() || pausedRemaining->has_value(); }
    bool isRunning() const { return endDate->has_value(); }

    // Starts a countdown of `minutes` from any state, replacing the current one. A length
    // that is not a finite number is ignored.
    void start(double minutes);
    void pause();
    void resume();
    // One more minute for an active countdown.
    void addMinute();
    void cancel();

    // Seconds left at `date`: never below 0 while running, the kept remainder while paused,
    // 0 when idle.
    double remaining(Date date) const;
    // Elapsed fraction 1 - remaining / total; 0 when the total is 0.
    double progress(Date date) const;

    // Seconds rounded up, as "m:ss" under an hour, else "h:mm:ss"; a negative or undefined
    // value reads as 0.
    static std::string format(double seconds);

private:
    void scheduleFinish();

    platform::WorkItem finishTask;
};

}  // namespace quorlix
