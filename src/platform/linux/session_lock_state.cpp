#include "platform/linux/session_lock_state.h"

#include "platform/main_queue.h"

namespace quorlix::platform {

void SessionLockState::lock(Keeper keeper) {
    const bool wasLocked = isLocked();
    unconfirmed_.cancel();
    keeper_ = keeper;
    if (!wasLocked) notify_(ScreenLockNotice::locked);
}

void SessionLockState::end(ScreenLockNotice notice) {
    if (!isLocked()) return;
    unconfirmed_.cancel();
    keeper_ = Keeper::none;
    locker_.reset();
    notify_(notice);
}

void SessionLockState::lockRequested() {
    // A lock already in the hint or the screen saver ends with them.
    if (lockedHint_) return lock(Keeper::hint);
    if (screenSaverActive_) return lock(Keeper::screenSaver);
    if (isLocked()) return;
    lock(Keeper::request);
    unconfirmed_ = MainQueue::shared().after(confirmSeconds, [this] {
        if (keeper_ == Keeper::request) end(ScreenLockNotice::lockNotCarriedOut);
    });
}

void SessionLockState::unlockRequested() { end(ScreenLockNotice::unlocked); }

void SessionLockState::lockedHintChanged(bool hint) {
    lockedHint_ = hint;
    if (hint)
        lock(Keeper::hint);
    else if (keeper_ == Keeper::hint)
        end(ScreenLockNotice::unlocked);
}

void SessionLockState::screenSaverChanged(bool active) {
    screenSaverActive_ = active;
    // A blank alone is no lock; a screen saver that carried out a Lock request keeps it.
    if (active && keeper_ == Keeper::request) lock(Keeper::screenSaver);
    if (!active && keeper_ == Keeper::screenSaver) end(ScreenLockNotice::unlocked);
}

void SessionLockState::lockerShown(std::uint32_t window) {
    if (keeper_ != Keeper::request) return;
    locker_ = window;
    lock(Keeper::locker);
}

void SessionLockState::lockerGone(std::uint32_t window) {
    if (keeper_ == Keeper::locker && locker_ == window) end(ScreenLockNotice::unlocked);
}

}  // namespace quorlix::platform
