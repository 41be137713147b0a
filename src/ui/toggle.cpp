#include "ui/toggle.h"

#include "ui/animation.h"
#include "ui/context.h"
#include "ui/environment_keys.h"
#include "ui/views.h"

namespace quorlix::ui {

View Toggle::body(Context& ctx) const {
    const bool on = isOn.get();
    const bool enabled = ctx.environment(env::isEnabled);
    const Color tint = ctx.environment(env::tint).value_or(Color::blue);
    constexpr double inset = 1.5;
    constexpr double knob = height - 2 * inset;
    const double travel = width - knob - 2 * inset;
    return ZStack({.alignment = Alignment::leading},
                  {
                      Capsule().fill(on ? tint : Color::white.opacity(0.22)),
                      Capsule().strokeBorder(Color::black.opacity(on ? 0 : 0.12), 0.5),
                      Circle()
                          .fill(Color::white)
                          .frame({.width = knob, .height = knob})
                          .shadow(Color::black.opacity(0.3), 1, 0, 0.5)
                          .offset(inset + (on ? travel : 0), 0),
                  })
        .frame({.width = width, .height = height})
        .contentShape(Capsule())
        .onTapGesture([binding = isOn] { binding.set(!binding.get()); })
        .animation(Animation::easeOut(0.18), on)
        .opacity(enabled ? 1 : 0.5);
}

}  // namespace quorlix::ui
