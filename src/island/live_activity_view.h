#pragma once
// The resting now-playing activity beside the notch: a small artwork thumbnail on the left
// and the five-bar equalizer in the track's colour on the right. A new artwork image slides in
// from the side of the latest track swipe while the old one leaves the other way (they only
// fade and scale before any swipe). The now-playing service is an environment object.
//
//     LiveActivityView{.notch = notch, .swipe = state.trackSwipe}

#include "platform/geometry.h"
#include "platform/image.h"
#include "ui/view.h"

#include <cstdint>
#include <optional>

namespace quorlix {

struct LiveActivityView : ui::ViewModifiers<LiveActivityView> {
    Size notch;
    // The latest track swipe: +1 next, -1 previous, 0 before any.
    int swipe = 0;

    // The identity of an artwork: its image object (its pixels), not what it shows; 0 for none.
    static std::uint64_t artworkID(const std::optional<platform::Image>& artwork);

    ui::View body(ui::Context& ctx) const;
};

}  // namespace quorlix
