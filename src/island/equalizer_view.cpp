#include "island/equalizer_view.h"

#include "ui/shape.h"
#include "ui/timeline.h"
#include "ui/views.h"

#include <cmath>
#include <numbers>

namespace quorlix {

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
