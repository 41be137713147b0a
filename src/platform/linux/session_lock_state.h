#pragma once
// Turns what a Linux session tells of its lock into lock and unlock notices.
//
// What locks: the session's LockedHint (set by the desktops that keep it), and what carries
// out logind's Lock request to the session. The request alone is no lock: it is told only
// once something confirms it (the hint, a screen saver turning active, a locker's window),
// all of which follow a real lock within moments, and a request that nothing confirms
// within `confirmSeconds` passes unseen and unheard. The desktop's screen saver turning
// active is no lock on its own either (an idle blank on a desktop whose automatic lock is off
// or delayed), and its interfaces tell no lock state; it counts only as what carried out a
// Lock request, and then its going inactive ends the lock.
//
// A locker started for logind's Lock request may set no hint and no screen-saver state, and
// quit without an Unlock request when the user unlocks. So, while a Lock request waits, the
// first locker window shown stands for the lock, and its going away counts as the unlock.
//
// Each notice tells a change: locked, then unlocked. Main thread only.

#include "platform/screen_lock_notifications.h"
#include "platform/work_item.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace quorlix::platform {

class SessionLockState {
public:
    // How long a Lock request waits for something to carry it out.
    static constexpr double confirmSeconds = 5;

    explicit SessionLockState(std::function<void(ScreenLockNotice)> notify) : notify_(std::move(notify)) {}

    void lockRequested();
    void unlockRequested();
    void lockedHintChanged(bool hint);
    void screenSaverChanged(bool active);
    void lockerShown(std::uint32_t window);
    void lockerGone(std::uint32_t window);

    bool isLocked() const { return keeper_ != Keeper::none; }
    // A Lock request waits for something to carry it out.
    bool isLockRequested() const { return requested_.isPending(); }
    // What has been heard of the hint and the screen saver, and the locker window that keeps
    // the lock, if one does.
    bool lockedHint() const { return lockedHint_; }
    bool isScreenSaverActive() const { return screenSaverActive_; }
    std::optional<std::uint32_t> lockerWindow() const { return locker_; }

private:
    // What keeps the lock, and so ends it.
    enum class Keeper { none, hint, screenSaver, locker };

    // Locked, kept by `keeper`; told only when it was not locked yet.
    void lock(Keeper keeper);
    void unlock();

    std::function<void(ScreenLockNotice)> notify_;
    Keeper keeper_ = Keeper::none;
    bool lockedHint_ = false;
    bool screenSaverActive_ = false;
    std::optional<std::uint32_t> locker_;
    // A Lock request's wait for what carries it out.
    WorkItem requested_;
};

}  // namespace quorlix::platform
