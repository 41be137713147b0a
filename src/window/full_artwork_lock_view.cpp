#include "window/full_artwork_lock_view.h"

#include "foundation/app_actions.h"
#include "foundation/app_settings.h"
#include "island/artwork_view.h"
#include "island/island_button_style.h"
#include "services/artwork.h"
#include "services/lyrics_service.h"
#include "services/now_playing_service.h"
#include "ui/animation.h"
#include "ui/color.h"
#include "ui/context.h"
#include "ui/interaction.h"
#include "ui/transaction.h"
#include "ui/transition.h"
#include "ui/views.h"
#include "window/artwork_backdrop.h"
#include "window/full_lyrics_column.h"
#include "window/liquid_glass.h"
#include "window/lock_clock.h"
#include "window/lock_screen_card.h"
#include "window/lock_screen_info_row.h"

#include <algorithm>
#include <memory>

namespace quorlix {

namespace {

using namespace ui;

const Animation spring = Animation::spring(0.6, 0.86, 0);

bool canShowLyrics(const LyricsService& lyrics) {
    const AppSettings& settings = AppSettings::shared();
    return settings.mediaEnabled.get() && settings.lyricsEnabled.get() &&
           lyrics.status.get() == LyricsService::Status::found;
}

View cornerButton(const std::string& symbol, const std::string& help, bool active,
                  std::function<void()> action) {
    return Button(liquidGlass(Symbol(symbol)
                                  .font(Font::system(14, FontWeight::semibold))
                                  .foregroundStyle(Color::white.opacity(active ? 1 : 0.85))
                                  .frame({.width = 42, .height = 42}),
                              21),
                  std::move(action))
        .buttonStyle(IslandButtonStyle{})
        .help(help);
}

// Behind everything: the blurred artwork, or, without one, a veil the lock screen shows
// through.
View backdropLayer(const std::optional<platform::Image>& artwork, ArtworkBackdrop& backdrop, Size size) {
    if (!artwork) return Color::black.opacity(0.35);
    View blurred;
    if (const auto& picture = backdrop.picture(*artwork, size))
        blurred = Image(*picture).resizable().frame({.width = size.width, .height = size.height});
    return ZStack({Color::black, blurred, Color::black.opacity(0.22)})
        .frame({.maxWidth = infinity, .maxHeight = infinity})
        .clipped()
        .transition(AnyTransition::opacity());
}

// The measures the pieces are placed by in a window of W by H: the large artwork is a square
// of side S whose top edge is `top` from the window's, centred on `centreX` (moved left when
// the lyrics show). The artwork is decoded no larger than S (at the screen's scale) needs.
struct LockFrame {
    double W, H, S, top, centreX;

    LockFrame(Size size, bool lyricsVisible)
        : W(size.width),
          H(size.height),
          S(Artwork::lockViewShare * H),
          top(0.29 * H),
          centreX(lyricsVisible ? 0.286 * W : 0.5 * W) {}
};

// The pieces of the view, from what one render read.
struct LockPieces {
    std::optional<Track> track;
    LockScreenInfo* info;
    std::optional<platform::Image> artwork;
    Color tint;
    bool folded, lyricsVisible, lyricsAvailable, artworkHidden;
    State<bool> showing, isCollapsed, choosing;
    LyricsService* lyrics;
    std::shared_ptr<ArtworkBackdrop> backdrop;

    View layered(Size size) const {
        const LockFrame f(size, lyricsVisible);
        return ZStack({.alignment = Alignment::topLeading},
                      {
                          backdropLayer(artwork, *backdrop, {f.W, f.H}).opacity(folded ? 0 : 1),
                          header(f),
                          card(f),
                          artworkButton(f),
                          lyricsColumn(f),
                          cornerButtons(),
                      })
            .animation(spring, lyricsVisible)
            .animation(spring, folded);
    }

    // The clock, or folded the row of weather, battery and headphones.
    View header(const LockFrame& f) const {
        return If(folded,
                  View(LockScreenInfoRow{.info = info})
                      .frame({.width = 420, .height = 40})
                      .position(0.5 * f.W, 0.28 * f.H)
                      .transition(AnyTransition::opacity().combined(AnyTransition::offset(0, -8))),
                  View(LockClock{.height = f.H, .tint = tint})
                      .frame({.width = f.W})
                      .position(0.5 * f.W, 0.16 * f.H)
                      .transition(AnyTransition::opacity()));
    }

    View card(const LockFrame& f) const {
        return If(folded,
                  View(LockScreenCard{.sample = track,
                                      .showArtwork = true,
                                      .artworkPlaceholder = true,
                                      .onChoosingOutput =
                                          [choosing = choosing](bool open) {
                                              withAnimation(Animation::easeOut(0.2),
                                                            [&] { choosing = open; });
                                          }})
                      .frame({.width = 339, .height = 185})
                      .position(0.5 * f.W, 0.7 * f.H)
                      .transition(AnyTransition::opacity()),
                  View(LockScreenCard{.sample = track, .showArtwork = false, .artworkPlaceholder = false})
                      .frame({.width = 339, .height = 144})
                      .position(f.centreX, f.top + f.S + 0.038 * f.H + 72)
                      .transition(AnyTransition::opacity()));
    }

    // The artwork, large, or folded small above the card; a click folds or unfolds the view.
    View artworkButton(const LockFrame& f) const {
        const Point expandedCentre{f.centreX, f.top + f.S / 2};
        const Point collapsedCentre{0.5 * f.W - 117.5, 0.7 * f.H - 40.5};
        const Point centre = folded ? collapsedCentre : expandedCentre;
        const double side = folded ? 60 : f.S;
        return Button(
                   View(ArtworkView{.image = artwork, .size = side, .radius = folded ? 12 : 0.035 * f.S})
                       .shadow(Color::black.opacity(folded ? 0.3 : 0.4), folded ? 6 : 30, 0, folded ? 3 : 14),
                   [showing = showing, isCollapsed = isCollapsed] {
                       withAnimation(spring, [&] {
                           isCollapsed = !isCollapsed.get();
                           if (isCollapsed) showing = false;
                       });
                   })
            .buttonStyle(IslandButtonStyle{})
            .position(centre.x, centre.y)
            // Under the open output chooser the small artwork neither shows nor takes clicks.
            .opacity(artworkHidden ? 0 : 1)
            .disabled(artworkHidden);
    }

    View lyricsColumn(const LockFrame& f) const {
        const double columnWidth = std::min(0.44 * f.W, 760.0);
        return If(lyricsVisible,
                  View(FullLyricsColumn{.lineSpacing = 0.097 * f.H, .fontSize = std::max(0.041 * f.H, 30.0)})
                      .frame({.width = columnWidth, .height = f.S + 144, .alignment = Alignment::leading})
                      .position(0.508 * f.W + columnWidth / 2, 0.02 * f.H + 0.29 * f.H + (144 + f.S) / 2)
                      .transition(AnyTransition::opacity().combined(AnyTransition::offset(30, 0))));
    }

    // Settings and the lyrics' switch, in the top left corner.
    View cornerButtons() const {
        return If(!folded,
                  VStack({.alignment = HorizontalAlignment::center, .spacing = 10},
                         {
                             cornerButton("gearshape.fill", "Ajustes", false,
                                          [] { AppActions::openSettingsSection(SettingsSection::general); }),
                             // Asked afresh at the click: the lyrics may have come or gone.
                             cornerButton("quote.bubble.fill", "Letra", lyricsVisible,
                                          [showing = showing, lyrics = lyrics] {
                                              if (!canShowLyrics(*lyrics)) return;
                                              withAnimation(spring, [&] { showing = !showing.get(); });
                                          })
                                 .opacity(lyricsAvailable ? 1 : 0.45),
                         })
                      .padding(Edge::leading, 35)
                      .padding(Edge::top, 35)
                      .transition(AnyTransition::opacity()));
    }
};

}  // namespace

View FullArtworkLockView::body(Context& ctx) const {
    NowPlayingService& nowPlaying = ctx.object<NowPlayingService>();
    LyricsService& lyrics = ctx.object<LyricsService>();
    ctx.observe(AppSettings::shared());
    const auto showing = ctx.state<bool>(showingLyrics);
    const auto isCollapsed = ctx.state<bool>(collapsed);
    const auto choosing = ctx.state<bool>(false);
    // The blurred backdrop, made again only for another artwork or screen size.
    const auto backdrop = ctx.state<std::shared_ptr<ArtworkBackdrop>>(std::make_shared<ArtworkBackdrop>());

    const RGBA accent = nowPlaying.displayColor();
    const bool lyricsAvailable = canShowLyrics(lyrics);
    const bool folded = isCollapsed;
    const LockPieces pieces{
        .track = sample,
        .info = info,
        .artwork = nowPlaying.artwork.get(),
        .tint = Color(accent.red, accent.green, accent.blue, accent.opacity),
        .folded = folded,
        .lyricsVisible = showing && lyricsAvailable && !folded,
        .lyricsAvailable = lyricsAvailable,
        .artworkHidden = folded && choosing,
        .showing = showing,
        .isCollapsed = isCollapsed,
        .choosing = choosing,
        .lyrics = &lyrics,
        .backdrop = backdrop.get(),
    };
    return GeometryReader([pieces](const GeometryProxy& proxy) { return pieces.layered(proxy.size()); })
        .ignoresSafeArea();
}

}  // namespace quorlix
