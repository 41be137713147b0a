#include "island/music_panel.h"

#include "foundation/app_settings.h"
#include "island/artwork_view.h"
#include "island/compact_player.h"
#include "island/controls_row.h"
#include "island/display_color.h"
#include "island/island_button_style.h"
#include "island/island_layout.h"
#include "island/island_state.h"
#include "island/lyrics_view.h"
#include "island/progress_row.h"
#include "services/now_playing_service.h"
#include "ui/animation.h"
#include "ui/context.h"
#include "ui/transaction.h"
#include "ui/views.h"

#include <algorithm>
#include <string>

namespace quorlix {

namespace {

using namespace ui;

// The disabled and the nothing-playing pages: a symbol over a few lines, centred.
View notice(const std::string& symbol, Views lines) {
    lines.insert(lines.begin(), Symbol(symbol)
                                    .font(Font::system(22, FontWeight::medium))
                                    .foregroundStyle(Color::white.opacity(0.35)));
    return VStack({.alignment = HorizontalAlignment::center, .spacing = 6}, std::move(lines))
        .frame({.maxWidth = infinity, .maxHeight = infinity});
}

}  // namespace

double MusicPanel::artworkSide(double bodyHeight, bool tallBody) {
    return std::max(44.0, bodyHeight - (tallBody ? 62 : 50));
}

void MusicPanel::toggleOutputs(IslandState& island) {
    withAnimation(Animation::spring(0.3, 0.82, 0),
                  [&] { island.outputMenuOpen = !island.outputMenuOpen.get(); });
}

View MusicPanel::body(Context& ctx) const {
    NowPlayingService& nowPlaying = ctx.object<NowPlayingService>();
    const AppSettings& settings = ctx.object<AppSettings>();
    IslandState& island = ctx.object<IslandState>();
    const auto onOutput = [&island] { toggleOutputs(island); };

    if (!settings.mediaEnabled.get())
        return notice("play.slash.fill", {Text("El reproductor está desactivado")
                                              .font(Font::system(12, FontWeight::medium))
                                              .foregroundStyle(Color::white.opacity(0.6))});
    const auto& track = nowPlaying.track.get();
    if (!track)
        return notice("music.note", {
                                        Text("Nada sonando")
                                            .font(Font::system(13, FontWeight::semibold))
                                            .foregroundStyle(Color::white.opacity(0.8)),
                                        Text("Pon algo en tu reproductor o navegador")
                                            .font(Font::system(11))
                                            .foregroundStyle(Color::white.opacity(0.45)),
                                    });
    if (!IslandLayout::isWideExpanded()) return CompactPlayer{.track = *track, .onOutput = onOutput};

    const bool tall = IslandLayout::tallBody();
    const double side = artworkSide(IslandLayout::expandedBodyHeight(), tall);
    const View artwork =
        Button(ArtworkView{.image = nowPlaying.artwork.get(), .size = side, .radius = 0.17 * side}.shadow(
                   displayColor(nowPlaying).opacity(0.35), 14, 0, 4),
               [&nowPlaying] { nowPlaying.openPlayer(); })
            .buttonStyle(IslandButtonStyle{})
            .help(track->source == PlayerSource::music ? "Abrir el reproductor" : "Abrir Spotify");

    // The album is not shown.
    const View column =
        VStack({.alignment = HorizontalAlignment::leading, .spacing = 0},
               {
                   Text(track->title)
                       .font(Font::system(tall ? 15 : 12, FontWeight::semibold))
                       .foregroundStyle(Color::white)
                       .lineLimit(1),
                   Text(track->artist)
                       .font(Font::system(tall ? 13 : 10.4))
                       .foregroundStyle(Color::white.opacity(0.55))
                       .lineLimit(1)
                       .padding(Edge::top, tall ? 2 : 0),
                   Spacer(tall ? 8 : 4),
                   ProgressRow{.duration = track->duration},
                   ControlsRow{.onOutput = onOutput, .roundOutput = false, .canopy = false}.padding(
                       Edge::top, tall ? 10 : 2),
               })
            .frame({.width = 200})
            .frame({.maxHeight = infinity});

    const View lyrics = settings.lyricsEnabled.get()
                            ? LyricsView{}.frame({.maxWidth = infinity, .maxHeight = infinity})
                            : View(Spacer(0));
    return HStack({.alignment = VerticalAlignment::center, .spacing = 18}, {artwork, column, lyrics});
}

}  // namespace quorlix
