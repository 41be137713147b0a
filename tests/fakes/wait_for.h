#pragma once
// Waiting in a test for the state its next step needs. `waitFor` looks at a condition until it
// holds, running between two looks what must run meanwhile: the test's own event loop, or a
// short pause while the work goes on in other processes. It gives up when a peer the test
// started (an X server, a bus, a daemon, the application itself) has ended, or once
// `waitBudget` has passed, and then says why: how each peer stands and the end of its log.
//
//     ASSERT_TRUE(waitFor([&] { return window().has_value(); }, {&display, &quorlix}))
//         << "no settings window";
//
// Besides the peers a wait is given, every wait watches those registered with `WatchedPeer`:
// the test's bus, X server and sound server register themselves, so any wait of a test that
// runs on them stops, and says why, once one has died.
//
// The budget is long on purpose: a wait returns as soon as its state holds, so it costs
// nothing when things go fast, and a machine running many sanitized tests at once is slow.
// Tests never order their steps by sleeping, and never fail for being slow.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace quorlix::testing {

inline constexpr std::chrono::seconds waitBudget{60};

// A program a test runs beside the code it tests, as a wait sees it.
class Peer {
public:
    virtual ~Peer() = default;
    // Whether the program still runs.
    virtual bool running() = 0;
    // What it is, how it stands or how it ended, and the end of what it wrote.
    virtual std::string report() = 0;
};

// Registers `peer` with every wait for the object's life.
class WatchedPeer {
public:
    explicit WatchedPeer(Peer* peer) : peer_(peer) {
        const std::lock_guard lock(mutex());
        all().push_back(peer_);
    }
    ~WatchedPeer() {
        const std::lock_guard lock(mutex());
        std::erase(all(), peer_);
    }
    WatchedPeer(const WatchedPeer&) = delete;
    WatchedPeer& operator=(const WatchedPeer&) = delete;

    // The peers registered now, after `given`.
    static std::vector<Peer*> with(std::vector<Peer*> given) {
        const std::lock_guard lock(mutex());
        for (Peer* peer : all())
            if (std::find(given.begin(), given.end(), peer) == given.end()) given.push_back(peer);
        return given;
    }

private:
    static std::mutex& mutex() {
        static std::mutex m;
        return m;
    }
    static std::vector<Peer*>& all() {
        static std::vector<Peer*> peers;
        return peers;
    }
    Peer* peer_;
};

// Between two looks when the test has no event loop of its own to run.
inline void shortPause() { std::this_thread::sleep_for(std::chrono::milliseconds(10)); }

template <class Condition, class Pump = void (*)()>
::testing::AssertionResult waitFor(Condition&& condition, const std::vector<Peer*>& peers = {},
                                   Pump&& pump = shortPause) {
    const auto end = std::chrono::steady_clock::now() + waitBudget;
    for (;;) {
        if (condition()) return ::testing::AssertionSuccess();
        const std::vector<Peer*> watched = WatchedPeer::with(peers);
        for (Peer* peer : watched) {
            if (peer->running()) continue;
            // What it did before it ended may be the state itself.
            if (condition()) return ::testing::AssertionSuccess();
            return ::testing::AssertionFailure()
                   << "a peer ended while the test waited on it: " << peer->report();
        }
        if (std::chrono::steady_clock::now() > end) {
            auto failure = ::testing::AssertionFailure()
                           << "the state did not come within " << waitBudget.count() << " s";
            for (Peer* peer : watched) failure << "\n" << peer->report();
            return failure;
        }
        pump();
    }
}

}  // namespace quorlix::testing
