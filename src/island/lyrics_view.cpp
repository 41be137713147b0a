#include "island/lyrics_view.h"

#include "foundation/app_settings.h"
#include "island/display_color.h"
#include "services/lyrics_service.h"
#include "services/now_playing_service.h"
#include "ui/animation.h"
#include "ui/context.h"
#include "ui/progress_view.h"
#include "ui/timeline.h"
#include "ui/transition.h"
#include "ui/views.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace quorlix {

namespace {

using namespace ui;

View message(const std::string& text) {
    return Text(text)
        .font(Font::system(12, FontWeight::medium))
        .foregroundStyle(Color::white.opacity(0.4))
        .frame({.maxWidth = infinity, .maxHeight = infinity});
}

// The lines before, at and after `index` (none: before the first line).
View linesAround(const std::vector<LyricLine>& lines, std::optional<std::size_t> index, const Color& tint) {
    const auto text = [&](std::size_t i) { return i < lines.size() ? lines[i].text : std::string(); };
    const std::string previous = index && *index > 0 ? text(*index - 1) : std::string();
    const std::string current = index ? text(*index) : std::string();
    const std::string next = index ? text(*index + 1) : text(0);

    const auto small = [](const std::string& line, double opacity) {
        return Text(line)
            .font(Font::system(12, FontWeight::medium))
            .foregroundStyle(Color::white.opacity(opacity))
            .lineLimit(1);
    };
    const int key = index ? static_cast<int>(*index) : -1;
    return ZStack({VStack({.alignment = HorizontalAlignment::leading, .spacing = 8},
                          {
                              small(previous, 0.25),
                              Text(current.empty() ? "♪" : current)
                                  .font(Font::system(17, FontWeight::bold))
                                  .foregroundStyle(tint)
                                  .lineLimit(2)
                                  .minimumScaleFactor(0.75)
                                  .fixedSize(false, true),
                              small(next, 0.4),
                          })
                       .frame({.maxWidth = infinity, .maxHeight = infinity, .alignment = Alignment::leading})
                       // A new line replaces the whole block: it rises in as the old one fades.
                       .id(key)
                       .transition(AnyTransition::asymmetric(
                           AnyTransition::move(Edge::bottom).combined(AnyTransition::opacity()),
                           AnyTransition::opacity()))})
        .animation(Animation::easeOut(0.3), key);
}

}  // namespace

View LyricsView::body(Context& ctx) const {
    const NowPlayingService& nowPlaying = ctx.object<NowPlayingService>();
    const LyricsService& lyrics = ctx.object<LyricsService>();
    const AppSettings& settings = ctx.object<AppSettings>();
    switch (lyrics.status.get()) {
        case LyricsService::Status::idle:
        case LyricsService::Status::notFound: return message("Sin letra para esta canción");
        case LyricsService::Status::loading: return ProgressView{.controlSize = ControlSize::small};
        case LyricsService::Status::instrumental: return message("♪ Instrumental");
        case LyricsService::Status::unsynced: return message("Esta letra no está sincronizada");
        case LyricsService::Status::found: break;
    }
    const double offset = settings.lyricsOffset.get();
    const Color tint = displayColor(nowPlaying);
    return TimelineView(TimelineSchedule::animation(0.25, !nowPlaying.isPlaying.get()),
                        [&nowPlaying, &lyrics, offset, tint](const TimelineContext& entry) {
                            const double t = nowPlaying.position(entry.date) + lead + offset;
                            return linesAround(lyrics.lines.get(), lyrics.index(t), tint);
                        });
}

}  // namespace quorlix
