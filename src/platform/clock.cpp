#include "platform/clock.h"

#include <ctime>

namespace quorlix::platform {

namespace {
SystemClock systemClock;
Clock* installedClock = &systemClock;

double read(clockid_t id) {
    timespec ts{};
    clock_gettime(id, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}
}  // namespace

double SystemClock::now() const { return read(CLOCK_MONOTONIC); }
double SystemClock::uptime() const { return read(CLOCK_BOOTTIME); }
Date SystemClock::date() const { return Date(read(CLOCK_REALTIME)); }

Clock& Clock::shared() { return *installedClock; }
void Clock::install(Clock* clock) { installedClock = clock ? clock : &systemClock; }

}  // namespace quorlix::platform
