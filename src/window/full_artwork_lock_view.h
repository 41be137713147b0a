#pragma once
// The full-screen lock view: the playing track's artwork large and centred over a blurred,
// saturated copy of itself, the clock above it, a compact player card below it, on request
// the synced lyrics beside it, and two round buttons in the top-left corner (settings and
// lyrics). Clicking the artwork collapses the view into a lighter layout (the backdrop
// fades, the info row replaces the clock, the artwork shrinks into the card's artwork slot)
// and clicking it again expands it; every change between layouts moves with one spring.
//
//     FullArtworkLockView{.sample = sample, .info = &info}   // fills the screen's window
//
// The hosting window hands down the now-playing, lyrics, volume, weather and battery
// services, the settings and the lock-screen info. Main thread only.

#include "services/track.h"
#include "ui/view.h"
#include "window/lock_screen_info.h"

#include <optional>

namespace quorlix {

struct FullArtworkLockView : ui::ViewModifiers<FullArtworkLockView> {
    // Shown while nothing plays (the developer preview's track).
    std::optional<Track> sample;
    LockScreenInfo* info = nullptr;
    // The layout the view starts in: the lock screen starts expanded, the lyrics not asked for.
    bool showingLyrics = false;
    bool collapsed = false;

    ui::View body(ui::Context& ctx) const;
};

}  // namespace quorlix
