#pragma once
// A serial queue: jobs run one at a time, in the order they were added, off the main thread.
// It stands for a serial dispatch queue (every script sent to another application runs on
// one). Results go back to the main thread with `MainQueue::post`.
//
// `run` adds a job whose result reaches the main thread; with a time limit, a job that has
// not finished in time (counted from when it starts) yields nothing (`std::nullopt`), and its
// late result is dropped.

#include "platform/main_queue.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace quorlix::platform {

class SerialQueue {
public:
    virtual ~SerialQueue() = default;
    // Adds a job; thread-safe.
    virtual void async(std::function<void()> job) = 0;

    // Runs `work` on this queue and hands its result to `done` on the main thread, or
    // `std::nullopt` when `timeLimit` (seconds, > 0) passes first after it started.
    template <class T>
    void run(std::function<T()> work, std::function<void(std::optional<T>)> done, double timeLimit = 0);
};

// A real queue with its own worker thread. The destructor finishes the job under way, drops
// the rest and joins the thread.
class ThreadSerialQueue final : public SerialQueue {
public:
    ThreadSerialQueue();
    ~ThreadSerialQueue() override;
    void async(std::function<void()> job) override;

private:
    void loop();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> jobs_;
    bool stopping_ = false;
    std::thread worker_;
};

template <class T>
void SerialQueue::run(std::function<T()> work, std::function<void(std::optional<T>)> done, double timeLimit) {
    // Whichever comes first on the main thread, the result or the deadline, answers; the
    // other finds `answered` set and does nothing.
    struct Pending {
        bool answered = false;
        std::function<void(std::optional<T>)> done;
        WorkItem deadline;
    };
    auto pending = std::make_shared<Pending>();
    pending->done = std::move(done);
    MainQueue* main = &MainQueue::shared();
    async([work = std::move(work), pending, main, timeLimit]() mutable {
        // The limit counts from when the job starts, not while it waits behind others.
        if (timeLimit > 0) {
            main->post([pending, main, timeLimit] {
                if (pending->answered) return;
                // Weakly: the deadline is held by `pending`, and a main queue that drops the
                // work unrun would otherwise leave the two holding each other.
                pending->deadline = main->after(timeLimit, [weak = std::weak_ptr<Pending>(pending)] {
                    const auto waiting = weak.lock();
                    if (!waiting || waiting->answered) return;
                    waiting->answered = true;
                    waiting->done(std::nullopt);
                });
            });
        }
        std::optional<T> result = work();
        main->post([pending, result = std::move(result)]() mutable {
            if (pending->answered) return;
            pending->answered = true;
            pending->deadline.cancel();
            pending->done(std::move(result));
        });
    });
}

}  // namespace quorlix::platform
