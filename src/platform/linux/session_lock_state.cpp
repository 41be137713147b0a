#include "platform/linux/session_lock_state.h"

#include "platform/main_queue.h"

namespace quorlix::platform {

void SessionLockState::lock(Keeper keeper) {
    const bool wasLocked = isLocked();
    requested_.cancel();
    keeper_ = keeper;
    if (!wasLocked) notify_(ScreenLockNotice::locked);
}

void SessionLockState::unlock() {
    requested_.cancel();
    if (!isLocked()) return;
    keeper_ = Keeper::none;
    locker_.reset();
    notify_(ScreenLockNotice::unlocked);
}

void SessionLockState::lockRequested() {
    // A lock already in the hint or the screen saver ends with them.
    if (lockedHint_) return lock(Keeper::hint);
    if (screenSaverActive_) return lock(Keeper::screenSaver);
    if (isLocked() || isLockRequested()) return;
    // Nothing is told yet: a request nothing carries out simply lapses.
    requested_ = MainQueue::shared().after(confirmSeconds, [] {});
}

void SessionLockState::unlockRequested() { unlock(); }

void SessionLockState::lockedHintChanged(bool hint) {
    lockedHint_ = hint;
    if (hint)
        lock(Keeper::hint);
    else if (keeper_ == Keeper::hint)
        unlock();
}

void SessionLockState::screenSaverChanged(bool active) {
    screenSaverActive_ = active;
    // A blank alone is no lock; a screen saver that carried out a Lock request keeps it.
    if (active && isLockRequested()) lock(Keeper::screenSaver);
    if (!active && keeper_ == Keeper::screenSaver) unlock();
}

void SessionLockState::lockerShown(std::uint32_t window) {
    if (!isLockRequested()) return;
    locker_ = window;
    lock(Keeper::locker);
}

void SessionLockState::lockerGone(std::uint32_t window) {
    if (keeper_ == Keeper::locker && locker_ == window) unlock();
}

}  // namespace quorlix::platform
