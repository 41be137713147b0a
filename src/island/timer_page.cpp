#include "island/timer_page.h"

#include "island/island_button_style.h"
#include "services/timer_service.h"
#include "ui/animation.h"
#include "ui/context.h"
#include "ui/display_list.h"
#include "ui/timeline.h"
#include "ui/views.h"

#include <functional>
#include <optional>
#include <string>

namespace quorlix {

namespace {

using namespace ui;

View presetButton(TimerService& timer, double minutes) {
    const View label =
        VStack({.alignment = HorizontalAlignment::center, .spacing = 1},
               {
                   Text(std::to_string(static_cast<long long>(minutes)))
                       .font(Font::system(17, FontWeight::semibold, FontDesign::rounded)),
                   Text("min").font(Font::system(9.5, FontWeight::medium)).opacity(0.6),
               })
            .foregroundStyle(Color::white)
            .frame({.maxWidth = infinity})
            .padding(Edges::vertical, 8)
            .background(
                RoundedRectangle(12, RoundedCornerStyle::continuous).fill(Color::white.opacity(0.09)));
    return Button(label, [&timer, minutes] { timer.start(minutes); }).buttonStyle(IslandButtonStyle{});
}

View idleLayout(TimerService& timer) {
    return VStack({.alignment = HorizontalAlignment::leading, .spacing = 10},
                  {
                      HStack({.spacing = 5},
                             {
                                 Symbol("timer"),
                                 Text("Temporizador"),
                             })
                          .font(Font::system(12, FontWeight::semibold))
                          .foregroundStyle(Color::white.opacity(0.7)),
                      HStack({.alignment = VerticalAlignment::center, .spacing = 7},
                             {ForEach(
                                 TimerPage::presets, [](double m) { return m; },
                                 [&timer](double m) { return presetButton(timer, m); })}),
                  });
}

View pill(const std::string& symbol, const std::optional<std::string>& label, const Color& tint,
          std::function<void()> action) {
    const View content =
        HStack(
            {.spacing = 4},
            {
                Symbol(symbol).font(Font::system(11, FontWeight::bold)),
                If(label.has_value(), Text(label.value_or("")).font(Font::system(11, FontWeight::semibold))),
            })
            .foregroundStyle(tint)
            .padding(Edges::horizontal, 11)
            .frame({.height = 26})
            .background(Capsule(RoundedCornerStyle::continuous).fill(tint.opacity(0.16)));
    return Button(content, std::move(action)).buttonStyle(IslandButtonStyle{});
}

View ring(double left, bool running, Date date) {
    return ZStack({
                      Circle().stroke(Color::white.opacity(0.12), 5),
                      Circle()
                          .trim(0, left)
                          .stroke(Color::orange, StrokeStyle{.lineWidth = 5, .lineCap = LineCap::round})
                          .rotationEffect(Angle::degrees(-90))
                          .animation(Animation::linear(1), date),
                      Symbol(running ? "timer" : "pause.fill")
                          .font(Font::system(15, FontWeight::semibold))
                          .foregroundStyle(Color::orange),
                  })
        .frame({.width = 58, .height = 58});
}

View activeLayout(TimerService& timer) {
    const bool running = timer.isRunning();
    return TimelineView(TimelineSchedule::animation(1.0, !running), [&timer,
                                                                     running](const TimelineContext& entry) {
        const Date d = entry.date;
        return HStack(
            {.alignment = VerticalAlignment::center, .spacing = 18},
            {
                ring(1 - timer.progress(d), running, d),
                VStack(
                    {.alignment = HorizontalAlignment::leading, .spacing = 8},
                    {
                        Text(TimerService::format(timer.remaining(d)))
                            .font(
                                Font::system(30, FontWeight::semibold, FontDesign::rounded).monospacedDigit())
                            .foregroundStyle(Color::white)
                            .contentTransition(ContentTransition::numericText(true)),
                        HStack({.spacing = 8},
                               {
                                   pill(running ? "pause.fill" : "play.fill", std::nullopt, Color::orange,
                                        [&timer] { timer.isRunning() ? timer.pause() : timer.resume(); }),
                                   pill("plus", "1 min", Color::white, [&timer] { timer.addMinute(); }),
                                   pill("xmark", std::nullopt, Color::white, [&timer] { timer.cancel(); }),
                               }),
                    }),
                Spacer(),
            });
    });
}

}  // namespace

View TimerPage::body(Context& ctx) const {
    TimerService& timer = ctx.object<TimerService>();
    return If(timer.isActive(), activeLayout(timer), idleLayout(timer))
        .frame({.maxWidth = infinity, .maxHeight = infinity});
}

}  // namespace quorlix
