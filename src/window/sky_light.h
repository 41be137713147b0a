#pragma once
// The bridge to the window system's layer above its lock screen: created once, on first use,
// it moves lock-screen windows into that layer. Where the system offers none (always on
// Linux) the bridge is unavailable: moving does nothing, and one line in the system log says
// so, at the first use.
//
//     SkyLight::shared().moveToLockScreen(window);
//
// Main thread only.

#include "platform/lock_screen_space.h"
#include "platform/panel_window.h"

#include <string_view>

namespace quorlix {

class SkyLight {
public:
    static constexpr std::string_view unavailableMessage =
        "Quorlix: SkyLight no disponible; sin pantalla de bloqueo";

    // Built on the installed platform's lock-screen space at the first call.
    static SkyLight& shared();
    // Whether `shared()` has built the bridge yet.
    static bool exists();
    // Drops the bridge so the next `shared()` builds a new one (tests only).
    static void resetShared();

    bool isAvailable() const { return space_ != nullptr; }
    void moveToLockScreen(platform::PanelWindow& window);

private:
    explicit SkyLight(platform::LockScreenSpace* space);

    // None when unavailable.
    platform::LockScreenSpace* space_ = nullptr;
};

}  // namespace quorlix
