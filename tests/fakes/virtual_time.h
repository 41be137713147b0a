#pragma once
// Virtual time for tests: one manual clock and a main queue that runs jobs only when the
// test advances time. `advance(2.9)` runs, in due order, every job that falls due within the
// next 2.9 s, moving the clock to each job's due time first, so work scheduled by a job that
// also falls inside the window runs too. `suspend(30)` is the machine sleeping for 30 s: the
// monotonic clock stands still, uptime and the wall date move on, and waits on uptime that
// fall due run.

#include "platform/clock.h"
#include "platform/main_queue.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <utility>

namespace quorlix::fakes {

class ManualClock final : public platform::Clock {
public:
    double now() const override { return now_; }
    double uptime() const override { return now_ + suspended_; }
    Date date() const override { return Date(wallStart_ + now_ + suspended_); }

    void setNow(double t) { now_ = t; }
    // The machine sleeps: wall time and uptime move on, the monotonic clock does not.
    void suspend(double seconds) { suspended_ += seconds; }
    void setWallStart(double secondsSince1970) { wallStart_ = secondsSince1970; }

private:
    double now_ = 1000;
    double suspended_ = 0;
    double wallStart_ = 1'800'000'000;  // 2027-01-15
};

class ManualMainQueue final : public platform::MainQueue {
public:
    explicit ManualMainQueue(ManualClock& clock) : clock_(clock) {}

    // Runs what is due now (posts included), including work those jobs post for now.
    void runPending() { advance(0); }
    void advance(double seconds);
    void suspend(double seconds);
    // Jobs waiting, cancelled ones included until their time comes.
    std::size_t scheduledCount() const;
    // Seconds until the next live job, or a negative number when none is waiting.
    double nextDueIn() const;

protected:
    void schedule(double seconds, std::shared_ptr<platform::Job> job) override;
    void scheduleUptime(double seconds, std::shared_ptr<platform::Job> job) override;

private:
    ManualClock& clock_;
    mutable std::mutex mutex_;
    // (due time, sequence) orders jobs with equal due times by posting order.
    using Jobs = std::map<std::pair<double, std::uint64_t>, std::shared_ptr<platform::Job>>;
    // Keyed by monotonic due time.
    Jobs jobs_;
    // Keyed by uptime due time.
    Jobs uptimeJobs_;
    std::uint64_t sequence_ = 0;
};

// Installs a manual clock and queue for the life of the object, and puts back the clock and
// queue it found: whatever was made before it (a benchmark program's shared world) keeps a
// queue to post to.
class VirtualTime {
public:
    VirtualTime();
    ~VirtualTime();
    VirtualTime(const VirtualTime&) = delete;
    VirtualTime& operator=(const VirtualTime&) = delete;
    ManualClock clock;
    ManualMainQueue queue{clock};

    void advance(double seconds) { queue.advance(seconds); }
    void suspend(double seconds) { queue.suspend(seconds); }
    void runPending() { queue.runPending(); }
    double now() const { return clock.now(); }

private:
    platform::Clock* previousClock_;
    platform::MainQueue* previousQueue_;
};

}  // namespace quorlix::fakes
