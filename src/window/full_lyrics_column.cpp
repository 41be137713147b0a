#include "window/full_lyrics_column.h"

#include "foundation/app_settings.h"
#include "services/now_playing_service.h"
#include "ui/animation.h"
#include "ui/color.h"
#include "ui/context.h"
#include "ui/timeline.h"
#include "ui/transition.h"
#include "ui/views.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

namespace quorlix {

namespace {

using namespace ui;

// The playback position the lyrics follow runs this far ahead, seconds, so a line lights
// as it is heard.
constexpr double lead = 0.3;

// What a line without words shows.
const std::string note = "♪";

View line(const std::string& text, bool current, double progress, double fontSize) {
    const auto label = [&](const Color& color) {
        // The text face has no "♪": the symbol font's note stands in for it.
        const View glyph = text == note ? View(Symbol("music.note")) : View(Text(text));
        return glyph.font(Font::system(fontSize, FontWeight::heavy))
            .lineLimit(1)
            .minimumScaleFactor(0.6)
            .foregroundStyle(color);
    };
    View view = label(Color::white.opacity(current ? 0.45 : 1));
    if (current) {
        // The sung part bright, the rest dim, with a soft edge between them.
        const Gradient fill(std::vector<GradientStop>{{Color::black, 0},
                                                      {Color::black, std::max(progress - 0.04, 0.0)},
                                                      {Color::clear, std::min(progress + 0.04, 1.0)}});
        view =
            view.overlay(
                    label(Color::white).mask(LinearGradient(fill, UnitPoint::leading, UnitPoint::trailing)))
                .shadow(Color::white.opacity(0.55), 14);
    }
    return view.frame({.maxWidth = infinity, .alignment = Alignment::leading})
        .shadow(Color::black.opacity(0.25), 6, 0, 2);
}

}  // namespace

double FullLyricsColumn::progress(const std::vector<LyricLine>& lines, int index, double time) {
    const int count = static_cast<int>(lines.size());
    if (index < 0 || index >= count) return 0;
    const double start = lines[static_cast<std::size_t>(index)].time;
    const double end = index + 1 < count ? lines[static_cast<std::size_t>(index) + 1].time : start + 4;
    const double fraction = (time - start) / std::max(end - start, 0.1);
    return std::isfinite(fraction) ? std::clamp(fraction, 0.0, 1.0) : 0;
}

View FullLyricsColumn::body(Context& ctx) const {
    NowPlayingService& nowPlaying = ctx.object<NowPlayingService>();
    LyricsService& lyrics = ctx.object<LyricsService>();
    AppSettings& settings = ctx.object<AppSettings>();
    const double spacing = lineSpacing;
    const double size = fontSize;
    return TimelineView(
        TimelineSchedule::animation(1.0 / 30, !nowPlaying.isPlaying.get()),
        [&nowPlaying, &lyrics, &settings, spacing, size](const TimelineContext& entry) {
            const double t = nowPlaying.position(entry.date) + lead + settings.lyricsOffset.get();
            const std::vector<LyricLine>& lines = lyrics.lines.get();
            const int count = static_cast<int>(lines.size());
            const auto found = lyrics.index(t);
            // Before the first line none is current.
            const int c = found ? static_cast<int>(*found) : -1;
            std::vector<int> window;
            for (int i = std::max(c - 3, 0); i <= std::max(std::min(c + 4, count - 1), 0); ++i)
                window.push_back(i);

            const Animation spring = Animation::spring(0.62, 0.82);
            const View column = ForEach(
                window, [](int i) { return i; },
                [&](int i) {
                    const int d = i - c;
                    const int away = std::abs(d);
                    const std::string& text =
                        i < count ? lines[static_cast<std::size_t>(i)].text : std::string();
                    const double opacity = away == 0 ? 1.0 : away == 1 ? 0.32 : away == 2 ? 0.18 : 0.08;
                    return line(text.empty() ? note : text, d == 0, d == 0 ? progress(lines, i, t) : 0, size)
                        .opacity(opacity)
                        .blur(d == 0 ? 0 : std::min(0.9 * away, 3.0))
                        .scaleEffect(d == 0 ? 1.12 : 1.0, UnitPoint::leading)
                        .offset(0, d * spacing + (d >= 1 ? 0.12 * spacing : 0))
                        // Lines further down follow later.
                        .animation(spring.delay(0.045 * std::max(d + 1, 0)), c)
                        .transition(AnyTransition::asymmetric(
                            AnyTransition::opacity().combined(AnyTransition::offset(0, 0.6 * spacing)),
                            AnyTransition::opacity().combined(AnyTransition::offset(0, -0.4 * spacing))));
                });
            return ZStack({.alignment = Alignment::leading}, {column})
                .frame({.maxWidth = infinity, .maxHeight = infinity, .alignment = Alignment::leading})
                .animation(spring, c);
        });
}

}  // namespace quorlix
