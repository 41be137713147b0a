#include "fakes/virtual_time.h"

namespace quorlix::fakes {

void ManualMainQueue::schedule(double seconds, std::shared_ptr<platform::Job> job) {
    std::lock_guard lock(mutex_);
    jobs_.emplace(std::make_pair(clock_.now() + seconds, sequence_++), std::move(job));
}

void ManualMainQueue::scheduleUptime(double seconds, std::shared_ptr<platform::Job> job) {
    std::lock_guard lock(mutex_);
    uptimeJobs_.emplace(std::make_pair(clock_.uptime() + seconds, sequence_++), std::move(job));
}

void ManualMainQueue::advance(double seconds) {
    const double end = clock_.now() + seconds;
    for (;;) {
        std::shared_ptr<platform::Job> job;
        {
            std::lock_guard lock(mutex_);
            // Uptime runs ahead of the monotonic clock by the time spent asleep; while time
            // advances, both move together.
            const double sleepOffset = clock_.uptime() - clock_.now();
            Jobs* from = nullptr;
            double due = 0;
            std::uint64_t order = 0;
            if (!jobs_.empty()) {
                from = &jobs_;
                due = jobs_.begin()->first.first;
                order = jobs_.begin()->first.second;
            }
            if (!uptimeJobs_.empty()) {
                const double u = uptimeJobs_.begin()->first.first - sleepOffset;
                const std::uint64_t o = uptimeJobs_.begin()->first.second;
                if (!from || u < due || (u == due && o < order)) {
                    from = &uptimeJobs_;
                    due = u;
                }
            }
            if (!from || due > end + 1e-9) break;
            if (due > clock_.now()) clock_.setNow(due);
            job = std::move(from->begin()->second);
            from->erase(from->begin());
        }
        job->run();
    }
    clock_.setNow(end);
}

void ManualMainQueue::suspend(double seconds) {
    clock_.suspend(seconds);
    for (;;) {
        std::shared_ptr<platform::Job> job;
        {
            std::lock_guard lock(mutex_);
            auto first = uptimeJobs_.begin();
            if (first == uptimeJobs_.end() || first->first.first > clock_.uptime() + 1e-9) break;
            job = std::move(first->second);
            uptimeJobs_.erase(first);
        }
        job->run();
    }
}

std::size_t ManualMainQueue::scheduledCount() const {
    std::lock_guard lock(mutex_);
    return jobs_.size() + uptimeJobs_.size();
}

double ManualMainQueue::nextDueIn() const {
    std::lock_guard lock(mutex_);
    double next = -1;
    for (const auto& [key, job] : jobs_) {
        if (!job->cancelled) {
            next = key.first - clock_.now();
            break;
        }
    }
    for (const auto& [key, job] : uptimeJobs_) {
        if (!job->cancelled) {
            const double in = key.first - clock_.uptime();
            if (next < 0 || in < next) next = in;
            break;
        }
    }
    return next;
}

VirtualTime::VirtualTime()
    : previousClock_(&platform::Clock::shared()), previousQueue_(platform::MainQueue::installed()) {
    platform::Clock::install(&clock);
    platform::MainQueue::install(&queue);
}

VirtualTime::~VirtualTime() {
    platform::Clock::install(previousClock_);
    platform::MainQueue::install(previousQueue_);
}

}  // namespace quorlix::fakes
