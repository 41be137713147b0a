#include "ui/progress_view.h"

#include "ui/shape.h"
#include "ui/timeline.h"
#include "ui/views.h"

#include <cmath>

namespace quorlix::ui {

namespace {

constexpr int spokes = 8;
// One step of the lead spoke, seconds: a turn in 0.8 s.
constexpr double step = 0.1;

}  // namespace

double ProgressView::side(ControlSize size) {
    switch (size) {
        case ControlSize::mini: return 10;
        case ControlSize::small: return 16;
        case ControlSize::regular: return 32;
    }
    return 32;
}

double ProgressView::spokeOpacity(int spoke, int lead) {
    // The spokes behind the lead fade, the one just ahead of it (the last) is dimmest.
    const int behind = ((lead - spoke) % spokes + spokes) % spokes;
    return 1 - 0.7 * behind / (spokes - 1);
}

View ProgressView::body(Context&) const {
    const double s = side(controlSize);
    // Entries on whole steps of the clock, so every frame moves the lead by one spoke.
    return TimelineView(TimelineSchedule::periodic(Date(0), step), [s](const TimelineContext& entry) {
        // Entries stand on whole steps: the nearest one is this entry's.
        const auto lead = static_cast<int>(std::llround(entry.date.secondsSince1970 / step) % spokes);
        return ZStack({ForEach(spokes,
                               [&](int k) {
                                   return Capsule()
                                       .frame({.width = s * 0.1, .height = s * 0.28})
                                       .offset(0, -s * 0.32)
                                       .rotationEffect(Angle::degrees(360.0 * k / spokes))
                                       .opacity(spokeOpacity(k, lead));
                               })})
            .frame({.width = s, .height = s});
    });
}

}  // namespace quorlix::ui
