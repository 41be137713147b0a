#pragma once
// Holding work on other threads until the test lets it go. A job waits at the gate until the
// test opens it; the gate opens however the test ends, so a thread it holds is never left
// waiting (made after what runs those threads, it goes first, and they can be joined).
//
//     Gate gate;
//     queue.async([wait = gate.waiter()] { wait(); ... });
//     ... look at what holds meanwhile ...
//     gate.open();
//
// `pump` runs what the threads have handed to the manual main queue so far, then gives them a
// moment: what a wait on their work runs between two looks.

#include "fakes/virtual_time.h"
#include "fakes/wait_for.h"

#include <atomic>
#include <functional>
#include <future>

namespace quorlix::fakes {

class Gate {
public:
    Gate() = default;
    Gate(const Gate&) = delete;
    Gate& operator=(const Gate&) = delete;
    ~Gate() { open(); }

    void open() {
        if (!opened_.exchange(true)) opening_.set_value();
    }
    // Waits until the gate opens; it may outlive the gate.
    std::function<void()> waiter() const {
        return [open = open_] { open.wait(); };
    }

private:
    std::atomic<bool> opened_{false};
    std::promise<void> opening_;
    std::shared_future<void> open_ = opening_.get_future().share();
};

inline void pump(VirtualTime& time) {
    time.runPending();
    testing::shortPause();
}

}  // namespace quorlix::fakes
