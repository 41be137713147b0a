#include "island/compact_player.h"

#include "island/artwork_view.h"
#include "island/controls_row.h"
#include "island/display_color.h"
#include "island/equalizer_view.h"
#include "island/island_button_style.h"
#include "island/island_layout.h"
#include "island/marquee_text.h"
#include "island/player_timeline.h"
#include "island/progress_row.h"
#include "island/scrub_bar.h"
#include "services/now_playing_service.h"
#include "ui/context.h"
#include "ui/views.h"

namespace quorlix {

ui::View CompactPlayer::body(ui::Context& ctx) const {
    using namespace ui;
    NowPlayingService& nowPlaying = ctx.object<NowPlayingService>();
    const double s = IslandLayout::scale();
    const Color tint = displayColor(nowPlaying);
    const double length = track.duration;

    const View top = HStack(
        {.alignment = VerticalAlignment::center, .spacing = 16},
        {
            Button(ArtworkView{.image = nowPlaying.artwork.get(), .size = 56 * s, .radius = 12 * s}.shadow(
                       tint.opacity(0.35), 8, 0, 2),
                   [&nowPlaying] { nowPlaying.openPlayer(); })
                .buttonStyle(IslandButtonStyle{}),
            VStack({.alignment = HorizontalAlignment::leading, .spacing = 1},
                   {
                       MarqueeText{.text = track.title, .font = Font::system(13.5 * s, FontWeight::semibold)}
                           .foregroundStyle(Color::white),
                       Text(track.artist)
                           .font(Font::system(12 * s, FontWeight::medium))
                           .foregroundStyle(Color::white.opacity(0.45))
                           .lineLimit(1),
                   })
                .padding(Edge::top, 21 * s),
            Spacer(4),
            If(nowPlaying.isPlaying.get(),
               EqualizerView{.color = tint, .playing = true, .bars = EqualizerView::nowPlayingBars()}
                   .frame({.width = 22, .height = 12})
                   .padding(Edge::top, 20 * s)),
        });

    const View times = playerTimeline(ctx, [length, s](double t, const ScrubAction& onScrub) {
        return HStack({.alignment = VerticalAlignment::center, .spacing = 11},
                      {
                          Text(ProgressRow::format(t)),
                          ScrubBar{.position = t, .duration = length, .height = 5.5, .onScrub = onScrub},
                          // The whole length, not what remains.
                          Text(ProgressRow::format(length)),
                      })
            .font(Font::system(9.5 * s, FontWeight::semibold).monospacedDigit())
            .foregroundStyle(Color::white.opacity(0.5));
    });

    return VStack({.alignment = HorizontalAlignment::center, .spacing = 0},
                  {
                      top,
                      Spacer(6),
                      times,
                      Spacer(6),
                      ControlsRow{.onOutput = onOutput, .roundOutput = false, .canopy = true}.padding(
                          Edges::horizontal, 2),
                  })
        .frame({.maxWidth = infinity, .maxHeight = infinity});
}

}  // namespace quorlix
