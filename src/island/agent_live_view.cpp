#include "island/agent_live_view.h"

#include "island/model_color.h"
#include "island/wings.h"
#include "services/agent_service.h"
#include "ui/context.h"
#include "ui/display_list.h"
#include "ui/timeline.h"
#include "ui/views.h"

#include <cmath>
#include <string>

namespace quorlix {

namespace {

// A full turn of the sparkle, seconds.
constexpr double sparklePeriod = 2.4;

}  // namespace

double AgentLiveView::sparkleAngle(double seconds) {
    double phase = std::fmod(seconds, sparklePeriod);
    if (phase < 0) phase += sparklePeriod;
    return phase / sparklePeriod * 360;
}

ui::View AgentLiveView::body(ui::Context& ctx) const {
    using namespace ui;
    const AgentService& agents = ctx.object<AgentService>();
    const auto primary = agents.primary();
    if (!primary) return EmptyView();

    const Color color = viewColor(quorlix::tint(primary->kind));
    const std::size_t count = agents.working->size();
    const Date since = primary->since;
    const Size notchSize = notch;

    // One entry a second, on the whole seconds of the agent's run, so the text turns as each
    // second passes.
    return TimelineView(TimelineSchedule::periodic(since, 1.0), [color, count, since,
                                                                 notchSize](const TimelineContext& entry) {
        const View sparkle =
            TimelineView(TimelineSchedule::animation(1.0 / 30), [color](const TimelineContext& frame) {
                return Symbol("sparkle")
                    .font(Font::system(13, FontWeight::bold))
                    .foregroundStyle(color)
                    .shadow(color.opacity(0.7), 4)
                    .rotationEffect(
                        Angle::degrees(sparkleAngle(frame.date.timeIntervalSinceReferenceDate())));
            });
        Views right;
        if (count >= 2)
            right.push_back(Text(std::to_string(count))
                                .font(Font::system(10, FontWeight::bold))
                                .foregroundStyle(Color::black)
                                .padding(Edges::horizontal, 5)
                                .background(Capsule(RoundedCornerStyle::continuous).fill(color)));
        right.push_back(Text(AgentService::format(entry.date.timeIntervalSince(since)))
                            .font(Font::system(12, FontWeight::semibold).monospacedDigit())
                            .foregroundStyle(Color::white.opacity(0.85))
                            .lineLimit(1)
                            .fixedSize()
                            .contentTransition(ContentTransition::numericText()));
        return Wings{
            .notch = notchSize,
            .left = sparkle,
            .right = HStack({.alignment = VerticalAlignment::center, .spacing = 5}, std::move(right))};
    });
}

}  // namespace quorlix
