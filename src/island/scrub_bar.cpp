#include "island/scrub_bar.h"

#include "island/level_bar.h"
#include "services/now_playing_service.h"
#include "ui/animation.h"
#include "ui/context.h"
#include "ui/interaction.h"
#include "ui/shape.h"
#include "ui/views.h"

#include <algorithm>

namespace quorlix {

double ScrubBar::fraction(double x, double width) {
    // A degenerate bar (a point wide or less) reads the raw position.
    return std::clamp(x / std::max(width, 1.0), 0.0, 1.0);
}

ui::View ScrubBar::body(ui::Context& ctx) const {
    using namespace ui;
    NowPlayingService& nowPlaying = ctx.object<NowPlayingService>();
    const auto dragValue = ctx.state<std::optional<double>>(std::nullopt);
    const auto hovering = ctx.state<bool>(false);

    const double frac = dragValue.get() ? *dragValue.get() : duration > 0 ? position / duration : 0;
    const bool active = hovering || dragValue.get().has_value();
    const double length = duration;
    const double thickness = active ? height + 2.5 : height;
    const auto scrub = onScrub;

    return GeometryReader([=, &nowPlaying](const GeometryProxy& proxy) {
               const double width = proxy.size().width;
               return LevelBar{.value = frac, .tint = Color::white}
                   .frame({.height = thickness})
                   .frame({.maxHeight = infinity})
                   // The whole reader takes the drag, not only the thin bar.
                   .contentShape(Rectangle())
                   .gesture(DragGesture{.minimumDistance = 3}
                                .onChanged([=](const DragValue& v) {
                                    const double f = fraction(v.location.x, width);
                                    dragValue = f;
                                    if (scrub) scrub(f * length);
                                })
                                .onEnded([=, &nowPlaying](const DragValue& v) {
                                    const double f = fraction(v.location.x, width);
                                    nowPlaying.seek(f * length);
                                    dragValue = std::nullopt;
                                    if (scrub) scrub(std::nullopt);
                                }));
           })
        .frame({.height = height + 10})
        .onHover([hovering](bool inside) { hovering = inside; })
        .animation(Animation::spring(0.25, 0.8), active)
        .disabled(duration <= 0);
}

}  // namespace quorlix
