#pragma once
// The main thread's queue: everything that touches the system's state runs here.
//
// It stands for the platform's main-thread dispatch, run-loop timers and main-actor tasks
// with sleeps. `post` may be called from any thread; `after` only from the main thread.
// Jobs posted with the same or earlier due time run in the order they were posted.
//
// The Qt backend runs jobs on the application's event loop; tests use a manual queue on
// virtual time, so a 4.5 s hide is tested instantly and exactly.

#include "platform/work_item.h"

#include <functional>

namespace quorlix::platform {

class MainQueue {
public:
    virtual ~MainQueue() = default;

    // Runs `fn` on the main thread soon, after work already posted. Thread-safe.
    void post(std::function<void()> fn);
    // Like `post`, with a handle that can cancel the work before it runs.
    [[nodiscard]] WorkItem async(std::function<void()> fn);
    // Runs `fn` on the main thread once `seconds` have passed (negative counts as 0).
    // The wait stops while the machine sleeps.
    [[nodiscard]] WorkItem after(double seconds, std::function<void()> fn);
    // Like `after`, but the wait keeps counting while the machine sleeps (`Clock::uptime`):
    // a countdown's end, a hide promised "so many seconds after the pause".
    [[nodiscard]] WorkItem afterUptime(double seconds, std::function<void()> fn);

    // The process-wide queue, installed at start-up (see platform.h).
    static MainQueue& shared();
    // The installed queue, or null before one is.
    static MainQueue* installed();
    static void install(MainQueue* queue);

protected:
    // Runs `job` after `seconds` (>= 0). `seconds` is 0 for posts, which may come from
    // any thread.
    virtual void schedule(double seconds, std::shared_ptr<Job> job) = 0;
    // Runs `job` after `seconds` (> 0) of uptime. Main thread only.
    virtual void scheduleUptime(double seconds, std::shared_ptr<Job> job) = 0;
};

}  // namespace quorlix::platform
