#include "platform/detached_workers.h"

#include "platform/main_queue.h"

#include <deque>
#include <mutex>
#include <system_error>
#include <thread>

namespace quorlix::platform {

// Shared with the threads, which may outlive the workers: the queue of jobs and whether
// results are still wanted.
struct DetachedWorkers::State {
    std::mutex mutex;
    std::deque<Job> jobs;
    MainQueue* main = nullptr;  // where results go
    MainQueue* given = nullptr;
    bool gone = false;  // the workers are: nothing more is run or handed over
    int limit = 1;
    int running = 0;

    // A thread's life: jobs while there are any, then it ends.
    static void work(const std::shared_ptr<State>& state) {
        for (;;) {
            Job job;
            {
                std::lock_guard lock(state->mutex);
                if (state->gone || state->jobs.empty()) {
                    --state->running;
                    return;
                }
                job = std::move(state->jobs.front());
                state->jobs.pop_front();
            }
            std::function<void()> handOver = job();
            job = nullptr;
            // Posted under the lock, which the workers' end takes: the main queue outlives them.
            std::lock_guard lock(state->mutex);
            if (!state->gone && handOver) state->main->post(std::move(handOver));
        }
    }
};

DetachedWorkers::DetachedWorkers(int limit, MainQueue* main) : state_(std::make_shared<State>()) {
    state_->given = main;
    state_->limit = limit > 0 ? limit : 1;
}

DetachedWorkers::~DetachedWorkers() {
    std::deque<Job> dropped;
    std::lock_guard lock(state_->mutex);
    state_->gone = true;
    dropped.swap(state_->jobs);
}

void DetachedWorkers::async(Job job) {
    std::lock_guard lock(state_->mutex);
    // The shared queue as it is when asked: the workers may be made before one is installed.
    state_->main = state_->given ? state_->given : &MainQueue::shared();
    state_->jobs.push_back(std::move(job));
    if (state_->running >= state_->limit) return;
    try {
        std::thread([state = state_] { State::work(state); }).detach();
        ++state_->running;
    } catch (const std::system_error&) {
        // No thread to be had now: the job waits for one that is running, or the next call.
    }
}

}  // namespace quorlix::platform
