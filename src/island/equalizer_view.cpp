#include "island/equalizer_view.h"

#include "ui/shape.h"
#include "ui/timeline.h"
#include "ui/views.h"

#include <cmath>
#include <numbers>

namespace quorlix {

const std::vector<EqualizerView::Bar>& EqualizerView::nowPlayingBars() {
    static const std::vector<Bar> bars{
        {0.25, 0.6, 0.44}, {0.45, 0.9, 0.33}, {0.55, 1.0, 0.38}, {0.4, 0.85, 0.29}, {0.2, 0.55, 0.41}};
    return bars;
}

double EqualizerView::level(const Bar& bar, double seconds) {
    return bar.low + (bar.high - bar.low) * (1 - std::cos(seconds * std::numbers::pi / bar.speed)) / 2;
}

ui::View EqualizerView::body(ui::Context&) const {
    using namespace ui;
    return TimelineView(TimelineSchedule::animation(1.0 / 30, !playing), [fill = color, bars = bars](
                                                                             const TimelineContext& entry) {
        const double t = entry.date.timeIntervalSinceReferenceDate();
        return GeometryReader([fill, bars, t](const GeometryProxy& proxy) {
            const double h = proxy.size().height;
            return HStack({.alignment = VerticalAlignment::center, .spacing = 1.6},
                          {ForEach(static_cast<int>(bars.size()),
                                   [&](int i) {
                                       const Bar& bar = bars[static_cast<std::size_t>(i)];
                                       return Capsule(RoundedCornerStyle::continuous)
                                           .fill(fill)
                                           .frame({.width = 2, .height = h * level(bar, t)});
                                   })})
                .frame({.maxWidth = infinity, .maxHeight = infinity});
        });
    });
}

}  // namespace quorlix
