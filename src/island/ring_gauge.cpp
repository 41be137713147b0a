#include "island/ring_gauge.h"

#include "ui/shape.h"
#include "ui/views.h"

namespace quorlix {

ui::Color ringColor(int percent) { return percent > 20 ? ui::Color::green : ui::Color::red; }

ui::View RingGauge::makeView() const {
    using namespace ui;
    View arc = Circle()
                   .trim(0, progress)
                   .stroke(color, StrokeStyle{.lineWidth = lineWidth, .lineCap = LineCap::round})
                   .rotationEffect(Angle::degrees(-90));
    if (glows) arc = arc.shadow(color.opacity(0.5), 3);
    return ZStack({
        Circle().stroke(Color::white.opacity(trackOpacity), StrokeStyle{.lineWidth = lineWidth}),
        arc,
    });
}

}  // namespace quorlix
