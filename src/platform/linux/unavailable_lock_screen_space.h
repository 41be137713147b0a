#pragma once
// The layer above the lock screen on Linux: there is none. Nothing may draw over a screen
// locker, and the desktops offer no way to.

#include "platform/lock_screen_space.h"

namespace quorlix::platform {

class UnavailableLockScreenSpace final : public LockScreenSpace {
public:
    bool create() override { return false; }
    void add(PanelWindow&) override {}
};

}  // namespace quorlix::platform
