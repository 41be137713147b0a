#pragma once
// Fakes of the lock screen's platform: lock notices the test sends, and a layer above the
// lock screen that exists or not.

#include "platform/lock_screen_space.h"
#include "platform/screen_lock_notifications.h"

#include <vector>

namespace quorlix::fakes {

class FakeScreenLockNotifications final : public platform::ScreenLockNotifications {
public:
    using Notice = platform::ScreenLockNotice;

    Subscription observe(std::function<void(Notice)> handler) override {
        return notices_.connect(std::move(handler));
    }
    void lock() { notices_.emit(Notice::locked); }
    void unlock() { notices_.emit(Notice::unlocked); }
    std::size_t observerCount() const { return notices_.subscriberCount(); }

private:
    Signal<Notice> notices_;
};

class FakeLockScreenSpace final : public platform::LockScreenSpace {
public:
    // Unavailable, as on Linux, unless a test says otherwise.
    bool available = false;
    int createCalls = 0;
    std::vector<platform::PanelWindow*> added;

    bool create() override {
        ++createCalls;
        return available;
    }
    void add(platform::PanelWindow& window) override { added.push_back(&window); }
};

}  // namespace quorlix::fakes
