#include "window/full_artwork_lock_view.h"

#include "foundation/app_actions.h"
#include "foundation/app_settings.h"
#include "island/artwork_view.h"
#include "island/island_button_style.h"
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

    const std::optional<Track> track = sample;
    LockScreenInfo* lockInfo = info;
    const std::optional<platform::Image> artwork = nowPlaying.artwork.get();
    const RGBA accent = nowPlaying.displayColor();
    const Color tint(accent.red, accent.green, accent.blue, accent.opacity);
    const bool lyricsAvailable = canShowLyrics(lyrics);
    const bool folded = isCollapsed;
    const bool lyricsVisible = showing && lyricsAvailable && !folded;
    const bool artworkHidden = folded && choosing;
    LyricsService* lyricsService = &lyrics;

    return GeometryReader([=](const GeometryProxy& proxy) {
               const double W = proxy.size().width, H = proxy.size().height;
               const double S = 0.43 * H;
               const double top = 0.29 * H;
               const double centreX = lyricsVisible ? 0.286 * W : 0.5 * W;
               const Point expandedCentre{centreX, top + S / 2};
               const Point collapsedCentre{0.5 * W - 117.5, 0.7 * H - 40.5};
               const Point artworkCentre = folded ? collapsedCentre : expandedCentre;
               const double side = folded ? 60 : S;

               const View header =
                   If(folded,
                      View(LockScreenInfoRow{.info = lockInfo})
                          .frame({.width = 420, .height = 40})
                          .position(0.5 * W, 0.28 * H)
                          .transition(AnyTransition::opacity().combined(AnyTransition::offset(0, -8))),
                      View(LockClock{.height = H, .tint = tint})
                          .frame({.width = W})
                          .position(0.5 * W, 0.16 * H)
                          .transition(AnyTransition::opacity()));

               const View card =
                   If(folded,
                      View(LockScreenCard{.sample = track,
                                          .showArtwork = true,
                                          .artworkPlaceholder = true,
                                          .onChoosingOutput =
                                              [choosing](bool open) {
                                                  withAnimation(Animation::easeOut(0.2),
                                                                [&] { choosing = open; });
                                              }})
                          .frame({.width = 339, .height = 185})
                          .position(0.5 * W, 0.7 * H)
                          .transition(AnyTransition::opacity()),
                      View(LockScreenCard{.sample = track, .showArtwork = false, .artworkPlaceholder = false})
                          .frame({.width = 339, .height = 144})
                          .position(centreX, top + S + 0.038 * H + 72)
                          .transition(AnyTransition::opacity()));

               const View artworkButton =
                   Button(View(ArtworkView{.image = artwork, .size = side, .radius = folded ? 12 : 0.035 * S})
                              .shadow(Color::black.opacity(folded ? 0.3 : 0.4), folded ? 6 : 30, 0,
                                      folded ? 3 : 14),
                          [showing, isCollapsed] {
                              withAnimation(spring, [&] {
                                  isCollapsed = !isCollapsed.get();
                                  if (isCollapsed) showing = false;
                              });
                          })
                       .buttonStyle(IslandButtonStyle{})
                       .position(artworkCentre.x, artworkCentre.y)
                       // Under the open output chooser the small artwork neither shows nor takes clicks.
                       .opacity(artworkHidden ? 0 : 1)
                       .disabled(artworkHidden);

               const double columnWidth = std::min(0.44 * W, 760.0);
               const View lyricsColumn =
                   If(lyricsVisible,
                      View(FullLyricsColumn{.lineSpacing = 0.097 * H, .fontSize = std::max(0.041 * H, 30.0)})
                          .frame({.width = columnWidth, .height = S + 144, .alignment = Alignment::leading})
                          .position(0.508 * W + columnWidth / 2, 0.02 * H + 0.29 * H + (144 + S) / 2)
                          .transition(AnyTransition::opacity().combined(AnyTransition::offset(30, 0))));

               const View cornerButtons = If(
                   !folded,
                   VStack({.alignment = HorizontalAlignment::center, .spacing = 10},
                          {
                              cornerButton("gearshape.fill", "Ajustes", false,
                                           [] { AppActions::openSettingsSection(SettingsSection::general); }),
                              // Asked afresh at the click: the lyrics may have come or gone.
                              cornerButton("quote.bubble.fill", "Letra", lyricsVisible,
                                           [showing, lyricsService] {
                                               if (!canShowLyrics(*lyricsService)) return;
                                               withAnimation(spring, [&] { showing = !showing.get(); });
                                           })
                                  .opacity(lyricsAvailable ? 1 : 0.45),
                          })
                       .padding(Edge::leading, 35)
                       .padding(Edge::top, 35)
                       .transition(AnyTransition::opacity()));

               return ZStack({.alignment = Alignment::topLeading},
                             {
                                 backdropLayer(artwork, *backdrop.get(), {W, H}).opacity(folded ? 0 : 1),
                                 header,
                                 card,
                                 artworkButton,
                                 lyricsColumn,
                                 cornerButtons,
                             })
                   .animation(spring, lyricsVisible)
                   .animation(spring, folded);
           })
        .ignoresSafeArea();
}

}  // namespace quorlix
