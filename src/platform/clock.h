#pragma once
// Time sources. Everything that measures or waits reads time through `Clock::shared()`, so
// tests can run on a manual clock.
//
// - `now()`: monotonic seconds; stops while the machine sleeps (scheduling, animation).
// - `uptime()`: monotonic seconds that keep counting through suspend (a timer's end, the
//   delayed hide of a paused track), like CLOCK_BOOTTIME.
// - `date()`: the wall-clock date.

#include <compare>

namespace quorlix {

using TimeInterval = double;

// A point in wall-clock time, as seconds since 1970-01-01 00:00:00 UTC.
struct Date {
    double secondsSince1970 = 0;

    Date() = default;
    explicit constexpr Date(double s) : secondsSince1970(s) {}

    TimeInterval timeIntervalSince(Date other) const { return secondsSince1970 - other.secondsSince1970; }
    // Seconds since the platform's reference date, 1 January 2001, 00:00 UTC.
    TimeInterval timeIntervalSinceReferenceDate() const { return secondsSince1970 - 978307200; }
    Date addingTimeInterval(TimeInterval t) const { return Date(secondsSince1970 + t); }
    friend auto operator<=>(const Date&, const Date&) = default;
};

namespace platform {

class Clock {
public:
    virtual ~Clock() = default;
    virtual double now() const = 0;
    virtual double uptime() const = 0;
    virtual Date date() const = 0;

    static Clock& shared();
    static void install(Clock* clock);
};

// The machine's own clocks.
class SystemClock final : public Clock {
public:
    double now() const override;
    double uptime() const override;
    Date date() const override;
};

}  // namespace platform
}  // namespace quorlix
