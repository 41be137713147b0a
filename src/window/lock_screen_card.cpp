#include "window/lock_screen_card.h"

#include "foundation/app_settings.h"
#include "island/artwork_view.h"
#include "island/equalizer_view.h"
#include "island/island_button_style.h"
#include "island/marquee_text.h"
#include "island/output_picker.h"
#include "island/progress_row.h"
#include "island/scrub_bar.h"
#include "services/now_playing_service.h"
#include "services/volume_service.h"
#include "ui/animation.h"
#include "ui/color.h"
#include "ui/context.h"
#include "ui/display_list.h"
#include "ui/interaction.h"
#include "ui/lifecycle.h"
#include "ui/shape.h"
#include "ui/timeline.h"
#include "ui/transaction.h"
#include "ui/transition.h"
#include "ui/views.h"
#include "window/liquid_glass.h"

#include <algorithm>
#include <string>

namespace quorlix {

namespace {

using namespace ui;

// The elapsed and remaining time around the seek bar, a tick a second while music plays
// and none while it is paused. During a drag on the bar both times follow the finger.
struct LockScreenProgress {
    double duration = 0;

    View body(Context& ctx) const {
        NowPlayingService& nowPlaying = ctx.object<NowPlayingService>();
        const auto scrubTime = ctx.state<std::optional<double>>(std::nullopt);
        const double length = duration;
        return TimelineView(
            TimelineSchedule::animation(1.0, !nowPlaying.isPlaying.get()),
            [&nowPlaying, scrubTime, length](const TimelineContext& entry) {
                const double t = scrubTime.get() ? *scrubTime.get() : nowPlaying.position(entry.date);
                return HStack(
                           {.alignment = VerticalAlignment::center, .spacing = 8},
                           {
                               Text(ProgressRow::format(t)),
                               ScrubBar{.position = t,
                                        .duration = length,
                                        .height = 6,
                                        .onScrub = [scrubTime](std::optional<double> s) { scrubTime = s; }},
                               Text(std::string("-").append(ProgressRow::format(std::max(length - t, 0.0)))),
                           })
                    .font(Font::system(10, FontWeight::semibold).monospacedDigit())
                    .foregroundStyle(Color::white.opacity(0.6));
            });
    }
};

// One button of the control row: white, or half-transparent white while its `active` flag
// is off or it is dimmed.
View control(const std::string& symbol, double size, FontWeight weight, std::optional<bool> active, bool dim,
             std::function<void()> action) {
    const bool bright = active.value_or(true) && !dim;
    return Button(Symbol(symbol)
                      .font(Font::system(size, weight))
                      .foregroundStyle(bright ? Color::white : Color::white.opacity(0.5))
                      .contentTransition(ContentTransition::symbolReplace())
                      .frame({.width = 40, .height = 30}),
                  std::move(action))
        .buttonStyle(IslandButtonStyle{});
}

View leftControl(LeftButtonAction setting, NowPlayingService& nowPlaying) {
    NowPlayingService* player = &nowPlaying;
    const auto shuffle = [&] {
        return control("shuffle", 18, FontWeight::semibold, nowPlaying.shuffling.get(), false,
                       [player] { player->toggleShuffle(); });
    };
    switch (setting) {
        case LeftButtonAction::favorite:
            // A player without favourites gets the shuffle button instead.
            if (!nowPlaying.canFavorite()) return shuffle();
            return control(nowPlaying.favorited.get() ? "heart.fill" : "heart", 18, FontWeight::semibold,
                           std::nullopt, false, [player] { player->toggleFavorite(); });
        case LeftButtonAction::shuffle: return shuffle();
        case LeftButtonAction::repeatMode:
            return control("repeat", 18, FontWeight::semibold, nowPlaying.repeating.get(), false,
                           [player] { player->toggleRepeat(); });
        case LeftButtonAction::none: break;
    }
    // An empty slot keeps the row's spread.
    return Color::clear.frame({.width = 40, .height = 30});
}

View titles(const Track& track, HorizontalAlignment alignment) {
    return VStack({.alignment = alignment, .spacing = 3},
                  {
                      MarqueeText{.text = track.title,
                                  .font = Font::system(14, FontWeight::semibold),
                                  .centered = alignment == HorizontalAlignment::center},
                      Text(track.artist)
                          .font(Font::system(13.5, FontWeight::medium))
                          .foregroundStyle(Color::white.opacity(0.8))
                          .lineLimit(1),
                  });
}

View equalizer(bool playing) {
    return If(playing, EqualizerView{.color = Color::white.opacity(0.8),
                                     .playing = true,
                                     .bars = EqualizerView::nowPlayingBars()}
                           .frame({.width = 22, .height = 12}));
}

// The output chooser the card turns into; done, it turns back.
View outputChooser(const State<bool>& choosing) {
    return liquidGlass(OutputPicker{.done = [choosing] { choosing = false; }}
                           .padding(Edges::horizontal, 12)
                           .padding(Edges::vertical, 10),
                       24)
        .padding(4)
        .frame({.maxWidth = infinity, .maxHeight = infinity})
        .transition(AnyTransition::opacity());
}

// The artwork (or its place) beside the titles, or the titles centred, with the equalizer.
View cardHeader(const LockScreenCard& card, const Track& track, NowPlayingService& nowPlaying, bool playing) {
    if (card.showArtwork) {
        const View artwork =
            card.artworkPlaceholder
                ? Color::clear.frame({.width = 60, .height = 60})
                : View(ArtworkView{.image = nowPlaying.artwork.get(), .size = 60, .radius = 12})
                      .shadow(Color::black.opacity(0.3), 6, 0, 3);
        return HStack({.alignment = VerticalAlignment::center, .spacing = 21},
                      {artwork, titles(track, HorizontalAlignment::leading), Spacer(4), equalizer(playing)})
            .padding(Edges::horizontal, 18)
            .padding(Edge::top, 18);
    }
    return ZStack({.alignment = Alignment::topTrailing},
                  {
                      titles(track, HorizontalAlignment::center)
                          .frame({.maxWidth = infinity})
                          .padding(Edges::horizontal, 44),
                      equalizer(playing).padding(Edge::top, 6),
                  })
        .padding(Edges::horizontal, 18)
        .padding(Edge::top, 16);
}

// The left button, previous, play or pause, next and the output button, which opens the
// chooser.
View controlRow(NowPlayingService& nowPlaying, LeftButtonAction left,
                const std::optional<AudioOutput>& output, bool playing, const State<bool>& choosing) {
    NowPlayingService* player = &nowPlaying;
    return HStack(
        {.alignment = VerticalAlignment::center, .spacing = 0},
        {
            leftControl(left, nowPlaying),
            Spacer(0),
            control("backward.fill", 17, FontWeight::semibold, std::nullopt, false,
                    [player] { player->send("previous track"); }),
            Spacer(0),
            control(playing ? "pause.fill" : "play.fill", 28, FontWeight::semibold, std::nullopt, false,
                    [player] { player->togglePlayPause(); }),
            Spacer(0),
            control("forward.fill", 17, FontWeight::semibold, std::nullopt, false,
                    [player] { player->send("next track"); }),
            Spacer(0),
            control(output ? output->symbol() : "hifispeaker.fill", 20, FontWeight::regular, std::nullopt,
                    true, [choosing] { withAnimation(Animation::easeOut(0.2), [&] { choosing = true; }); }),
        });
}

}  // namespace

View LockScreenCard::body(Context& ctx) const {
    NowPlayingService& nowPlaying = ctx.object<NowPlayingService>();
    AppSettings& settings = ctx.object<AppSettings>();
    VolumeService& volume = ctx.object<VolumeService>();
    const auto choosing = ctx.state<bool>(choosingOutput);

    View chooser;
    View card;
    std::optional<Track> track = nowPlaying.track.get();
    if (!track) track = sample;
    if (choosing) {
        chooser = outputChooser(choosing);
    } else if (track) {
        const bool playing = nowPlaying.isPlaying.get();
        const View controls =
            controlRow(nowPlaying, settings.leftButton.get(), volume.currentOutput.get(), playing, choosing);
        card =
            liquidGlass(
                VStack(
                    {.alignment = HorizontalAlignment::center, .spacing = 0},
                    {
                        cardHeader(*this, *track, nowPlaying, playing),
                        Spacer(6),
                        View(LockScreenProgress{.duration = track->duration}).padding(Edges::horizontal, 27),
                        Spacer(6),
                        controls.padding(Edges::horizontal, 17).padding(Edge::bottom, showArtwork ? 24 : 18),
                    })
                    .foregroundStyle(Color::white)
                    .shadow(Color::black.opacity(0.18), 3, 0, 1),
                26)
                .padding(4)
                .frame({.maxWidth = infinity, .maxHeight = infinity});
    }
    const auto told = onChoosingOutput;
    // Two branches, so the chooser and the card come and go as different views.
    return If(choosing, chooser, card).onChange(choosing.get(), [told](bool open) {
        if (told) told(open);
    });
}

}  // namespace quorlix
