#include "island/battery_hud_view.h"

#include "foundation/app_settings.h"
#include "island/battery_glyph.h"
#include "island/pop_in.h"
#include "island/wings.h"
#include "ui/animation.h"
#include "ui/context.h"
#include "ui/display_list.h"
#include "ui/lifecycle.h"
#include "ui/views.h"

namespace quorlix {

ui::Color BatteryHUDView::stateColor(const BatteryService::Snapshot& snapshot) {
    if (snapshot.pluggedIn) return ui::Color::green;
    return snapshot.level > 20 ? ui::Color::white : ui::Color::red;
}

std::string BatteryHUDView::word(const BatteryService::Snapshot& snapshot) {
    if (!snapshot.pluggedIn) return "Batería";
    return snapshot.level > 99 ? "Cargada" : "Cargando";
}

ui::View BatteryHUDView::body(ui::Context& ctx) const {
    using namespace ui;
    const auto pulse = ctx.state<bool>(false);
    const bool plugged = snapshot.pluggedIn;
    const int level = static_cast<int>(snapshot.level);
    const Color color = stateColor(snapshot);

    const View symbol = Symbol(plugged ? "bolt.fill" : "battery.75percent")
                            .font(Font::system(11, FontWeight::bold))
                            .foregroundStyle(color)
                            .shadow(color.opacity(pulse ? 0.8 : 0.2), pulse ? 6 : 2)
                            .scaleEffect(pulse ? 1.12 : 1)
                            // Three runs that end swollen; the animation goes with `pulse` alone,
                            // so the pop-ins keep their own.
                            .animation(Animation::easeInOut(0.7).repeatCount(3, true), pulse.get());
    const View left = HStack({.alignment = VerticalAlignment::center, .spacing = 4},
                             {
                                 popIn(symbol, 0),
                                 popIn(Text(word(snapshot))
                                           .font(Font::system(11, FontWeight::semibold))
                                           .foregroundStyle(color)
                                           .lineLimit(1)
                                           .fixedSize(),
                                       0.08),
                             })
                          .onAppear([pulse, plugged] {
                              if (plugged) pulse = true;
                          });

    const View right = HStack({.alignment = VerticalAlignment::center, .spacing = 5},
                              {
                                  Text(std::to_string(level) + "%")
                                      .font(Font::system(11, FontWeight::bold).monospacedDigit())
                                      .foregroundStyle(Color::white.opacity(0.9))
                                      .contentTransition(ContentTransition::numericText())
                                      .lineLimit(1)
                                      .fixedSize(),
                                  BatteryGlyph{.level = level,
                                               .color = color,
                                               .style = AppSettings::shared().batteryStyle.get(),
                                               .charging = plugged && level < 100}
                                      .frame({.width = 24, .height = 11}),
                              });

    return Wings{.notch = notch, .edge = 10, .inner = 4, .left = left, .right = popIn(right, 0.12)};
}

}  // namespace quorlix
