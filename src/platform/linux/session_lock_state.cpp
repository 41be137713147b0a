#include "platform/linux/session_lock_state.h"

namespace quorlix::platform {

void SessionLockState::lock() {
    locked_ = true;
    notify_(true);
}

void SessionLockState::unlock() {
    locked_ = false;
    awaitingLocker_ = false;
    locker_.reset();
    notify_(false);
}

void SessionLockState::lockRequested() {
    // A lock already in the hint or the screen saver ends with them.
    awaitingLocker_ = !lockedHint_ && !screenSaverActive_;
    locker_.reset();
    lock();
}

void SessionLockState::unlockRequested() { unlock(); }

void SessionLockState::lockedHintChanged(bool hint) {
    lockedHint_ = hint;
    stateChanged(hint);
}

void SessionLockState::screenSaverChanged(bool active) {
    screenSaverActive_ = active;
    stateChanged(active);
}

void SessionLockState::stateChanged(bool locked) {
    if (!locked) {
        unlock();
        return;
    }
    // The source that keeps the state ends the lock, not a locker window.
    awaitingLocker_ = false;
    locker_.reset();
    lock();
}

void SessionLockState::lockerShown(std::uint32_t window) {
    if (!locked_ || !awaitingLocker_ || locker_) return;
    locker_ = window;
}

void SessionLockState::lockerGone(std::uint32_t window) {
    if (locker_ != window) return;
    unlock();
}

}  // namespace quorlix::platform
