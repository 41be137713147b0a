#pragma once
// Turns what a Linux session tells of its lock into lock and unlock notices.
//
// The sources: logind's Lock and Unlock requests to the session, the session's LockedHint
// (set by lockers that keep it), the desktop's screen saver turning active and inactive, and
// screen-locker windows on X11. Each source's lock counts as a lock and its unlock as an
// unlock; repeats are passed on (the listener ignores them).
//
// A locker started for logind's Lock request may set no hint and no screen-saver state, and
// quit without an Unlock request when the user unlocks. So, while locked with no other source
// of state, the first locker window shown after the lock stands for the lock, and its going
// away counts as the unlock.
//
// Main thread only.

#include <cstdint>
#include <functional>
#include <optional>

namespace quorlix::platform {

class SessionLockState {
public:
    explicit SessionLockState(std::function<void(bool locked)> notify) : notify_(std::move(notify)) {}

    void lockRequested();
    void unlockRequested();
    void lockedHintChanged(bool hint);
    void screenSaverChanged(bool active);
    void lockerShown(std::uint32_t window);
    void lockerGone(std::uint32_t window);


private:
    void lock();
    void unlock();
    // The hint or the screen saver changed to `locked`.
    void stateChanged(bool locked);

    std::function<void(bool)> notify_;
    bool locked_ = false;
    bool lockedHint_ = false;
    bool screenSaverActive_ = false;
    // After a lock with no other source of state: waiting for the locker's window, then
    // following it.
    bool awaitingLocker_ = false;
    std::optional<std::uint32_t> locker_;
};

}  // namespace quorlix::platform
