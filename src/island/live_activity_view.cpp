#include "island/live_activity_view.h"

#include "island/artwork_view.h"
#include "island/equalizer_view.h"
#include "island/model_color.h"
#include "island/wings.h"
#include "services/now_playing_service.h"
#include "ui/animation.h"
#include "ui/context.h"
#include "ui/transition.h"
#include "ui/views.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace quorlix {

std::uint64_t LiveActivityView::artworkID(const std::optional<platform::Image>& artwork) {
    if (!artwork || !artwork->pixels) return 0;
    return std::hash<const void*>{}(artwork->pixels.get());
}

ui::View LiveActivityView::body(ui::Context& ctx) const {
    using namespace ui;
    const auto& nowPlaying = ctx.object<NowPlayingService>();
    const bool small = isSmallNotch(notch);
    const std::uint64_t id = artworkID(nowPlaying.artwork);
    const double shift = 10.0 * swipe;

    const View thumbnail =
        ZStack({ArtworkView{.image = nowPlaying.artwork,
                            .size = std::min(notch.height - 9, 20.0),
                            .radius = small ? 4.0 : 5.0}
                    .id(id)
                    .transition(AnyTransition::asymmetric(AnyTransition::offset(-shift, 0)
                                                              .combined(AnyTransition::opacity())
                                                              .combined(AnyTransition::scale(0.6)),
                                                          AnyTransition::offset(shift, 0)
                                                              .combined(AnyTransition::opacity())
                                                              .combined(AnyTransition::scale(0.6))))})
            .animation(Animation::spring(0.38, 0.78, 0), id);

    const View equalizer = EqualizerView{.color = viewColor(nowPlaying.displayColor()),
                                         .playing = nowPlaying.isPlaying,
                                         .bars = EqualizerView::nowPlayingBars()}
                               .frame({.width = 17, .height = std::round(notch.height * 0.36)});

    return Wings{
        .notch = notch, .edge = small ? 5.0 : 6.0, .inner = 2, .left = thumbnail, .right = equalizer};
}

}  // namespace quorlix
