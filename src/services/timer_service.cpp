#include "services/timer_service.h"

#include "platform/main_queue.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace quorlix {

namespace {
Date now() { return platform::Clock::shared().date(); }
}  // namespace

void TimerService::start(double minutes) {
    // An endless or undefined length has no end to wait for.
    if (!std::isfinite(minutes * 60)) return;
    total = minutes * 60;
    pausedRemaining = std::nullopt;
    endDate = now().addingTimeInterval(total);
    scheduleFinish();
}

void TimerService::pause() {
    if (!isRunning()) return;
    pausedRemaining = remaining(now());
    endDate = std::nullopt;
    finishTask.cancel();
}

void TimerService::resume() {
    if (!pausedRemaining->has_value()) return;
    const double left = pausedRemaining->value();
    endDate = now().addingTimeInterval(left);
    pausedRemaining = std::nullopt;
    scheduleFinish();
}

void TimerService::addMinute() {
    if (!isActive()) return;
    total = total + 60;
    if (isRunning()) {
        endDate = endDate->value().addingTimeInterval(60);
        scheduleFinish();
    } else {
        pausedRemaining = pausedRemaining->value() + 60;
    }
}

void TimerService::cancel() {
    finishTask.cancel();
    endDate = std::nullopt;
    pausedRemaining = std::nullopt;
    total = 0;
}

double TimerService::remaining(Date date) const {
    if (endDate->has_value()) return std::max(endDate->value().timeIntervalSince(date), 0.0);
    if (pausedRemaining->has_value()) return pausedRemaining->value();
    return 0;
}

double TimerService::progress(Date date) const {
    if (total <= 0) return 0;
    return 1 - remaining(date) / total;
}

std::string TimerService::format(double seconds) {
    // What is left is never negative; past a century the text would make no sense anyway.
    constexpr double longest = 100.0 * 365 * 24 * 3600;
    const auto s =
        static_cast<long long>(std::ceil(std::clamp(std::isnan(seconds) ? 0.0 : seconds, 0.0, longest)));
    char text[32];
    if (s < 3600) {
        std::snprintf(text, sizeof text, "%lld:%02lld", s / 60, s % 60);
    } else {
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", s / 3600, (s % 3600) / 60, s % 60);
    }
    return text;
}

void TimerService::scheduleFinish() {
    // The finish lives in a member, so it dies with the service. Resetting first means the
    // callback finds the timer idle. The wait counts through sleep, as the end date does.
    finishTask = platform::MainQueue::shared().afterUptime(remaining(now()), [this] {
        cancel();
        if (onFinish) onFinish();
    });
}

}  // namespace quorlix
