#include "fakes/virtual_time.h"

namespace quorlix::fakes {

void ManualMainQueue::schedule(double seconds, std::shared_ptr<platform::Job> job) {
    std::lock_guard lock(mutex_);
    jobs_.emplace(std::make_pair(clock_.now() + seconds, sequence_++), std::move(job));
}

void ManualMainQueue::advance(double seconds) {
    const double end = clock_.now() + seconds;
    for (;;) {
        std::shared_ptr<platform::Job> job;
        {
            std::lock_guard lock(mutex_);
            auto first = jobs_.begin();
            if (first == jobs_.end() || first->first.first > end + 1e-9) break;
            if (first->first.first > clock_.now()) clock_.setNow(first->first.first);
            job = std::move(first->second);
            jobs_.erase(first);
        }
        job->run();
    }
    clock_.setNow(end);
}

std::size_t ManualMainQueue::scheduledCount() const {
    std::lock_guard lock(mutex_);
    return jobs_.size();
}

double ManualMainQueue::nextDueIn() const {
    std::lock_guard lock(mutex_);
    for (const auto& [key, job] : jobs_) {
        if (!job->cancelled) return key.first - clock_.now();
    }
    return -1;
}

VirtualTime::VirtualTime() {
    platform::Clock::install(&clock);
    platform::MainQueue::install(&queue);
}

VirtualTime::~VirtualTime() {
    platform::Clock::install(nullptr);
    platform::MainQueue::install(nullptr);
}

}  // namespace quorlix::fakes
