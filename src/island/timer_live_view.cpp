#include "island/timer_live_view.h"

#include "island/wings.h"
#include "services/timer_service.h"
#include "ui/animation.h"
#include "ui/context.h"
#include "ui/display_list.h"
#include "ui/timeline.h"
#include "ui/views.h"

namespace quorlix {

ui::View TimerLiveView::body(ui::Context& ctx) const {
    using namespace ui;
    const TimerService& timer = ctx.object<TimerService>();
    const bool running = timer.isRunning();
    const Size notchSize = notch;
    return TimelineView(TimelineSchedule::animation(1.0, !running), [&timer, running, notchSize](
                                                                        const TimelineContext& entry) {
        const Date d = entry.date;
        const View ring =
            ZStack({
                       Circle().stroke(Color::white.opacity(0.18), StrokeStyle{.lineWidth = 2.5}),
                       Circle()
                           .trim(0, 1 - timer.progress(d))
                           .stroke(Color::orange, StrokeStyle{.lineWidth = 2.5, .lineCap = LineCap::round})
                           .rotationEffect(Angle::degrees(-90)),
                   })
                .frame({.width = 16, .height = 16})
                // Fills the second between two entries.
                .animation(Animation::linear(1.0), d.secondsSince1970);
        return Wings{
            .notch = notchSize,
            .left = ring,
            .right = Text(TimerService::format(timer.remaining(d)))
                         .font(Font::system(13, FontWeight::semibold, FontDesign::rounded).monospacedDigit())
                         .foregroundStyle(running ? Color::orange : Color::white.opacity(0.6))
                         .contentTransition(ContentTransition::numericText(true))};
    });
}

}  // namespace quorlix
