#pragma once
// Work that may block in the kernel for good: reading a file the user chose, which may sit on
// a network mount that no longer answers. Each job runs on a thread of its own, up to `limit`
// at once, so one that hangs holds none of the others back; the rest wait their turn, in
// order. Nothing ever waits for these threads: destroying the workers drops the jobs not
// started and returns at once, whatever the running ones are doing.
//
// A job runs off the main thread and returns the work that hands its result over (or
// nothing); that work is posted to the main queue only while the workers live, so a job that
// ends late is simply dropped. A job must therefore own all it uses: it may outlive the
// workers, the main queue and whoever asked for it.
//
//     workers.async([path, weak] {
//         auto image = decode(path);            // off the main thread, may hang
//         return [weak, image] { ... };          // on the main thread, if still wanted
//     });
//
// Main thread only.

#include <functional>
#include <memory>

namespace quorlix::platform {

class MainQueue;

class DetachedWorkers {
public:
    using Job = std::function<std::function<void()>()>;

    // Results go to `main`; when null, to the shared main queue installed when a job is added.
    explicit DetachedWorkers(int limit, MainQueue* main = nullptr);
    ~DetachedWorkers();
    DetachedWorkers(const DetachedWorkers&) = delete;
    DetachedWorkers& operator=(const DetachedWorkers&) = delete;

    void async(Job job);

private:
    struct State;
    std::shared_ptr<State> state_;
};

}  // namespace quorlix::platform
