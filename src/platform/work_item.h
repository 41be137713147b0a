#pragma once
// A handle on one piece of deferred work posted to a queue.
//
// Destroying or reassigning the handle cancels the work, so deferred work held in a member of
// the object it calls back into can never reach that object after it is gone:
//
//     class Island {
//         platform::WorkItem collapseWork;  // cancelled with the island
//         void scheduleCollapse() {
//             collapseWork = platform::MainQueue::shared().after(0.18, [this] { collapse(); });
//         }
//     };
//
// Assigning a new item cancels the one it replaces, which is the "cancel and replace" rule of
// every delayed hide and collapse. `detach()` lets the work run without a handle.

#include <atomic>
#include <functional>
#include <memory>

namespace quorlix::platform {

// The shared state of one scheduled job. Queues keep it until the job runs or is dropped.
struct Job {
    std::function<void()> body;
    std::atomic<bool> cancelled{false};
    std::atomic<bool> finished{false};
    // Set by a queue that holds something for the wait (a timer descriptor): given back at
    // once when the work is cancelled, rather than when it would have been due. Only for
    // work cancelled on the thread the queue serves.
    std::function<void()> release;

    explicit Job(std::function<void()> fn) : body(std::move(fn)) {}
    // Runs the body once, unless cancelled. Queues call this on the thread they serve.
    void run();
    void cancel();
};

class WorkItem {
public:
    WorkItem() = default;
    explicit WorkItem(std::shared_ptr<Job> job) : job_(std::move(job)) {}
    WorkItem(const WorkItem&) = delete;
    WorkItem& operator=(const WorkItem&) = delete;
    WorkItem(WorkItem&& other) noexcept = default;
    WorkItem& operator=(WorkItem&& other) noexcept {
        if (this != &other) {
            cancel();
            job_ = std::move(other.job_);
        }
        return *this;
    }
    ~WorkItem() { cancel(); }

    void cancel() {
        if (job_) job_->cancel();
        job_.reset();
    }
    // Lets the work run even though this handle goes away.
    void detach() { job_.reset(); }
    // True while the work is scheduled and neither run nor cancelled.
    bool isPending() const { return job_ && !job_->cancelled && !job_->finished; }
    explicit operator bool() const { return isPending(); }

private:
    std::shared_ptr<Job> job_;
};

}  // namespace quorlix::platform
