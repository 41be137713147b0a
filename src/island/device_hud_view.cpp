#include "island/device_hud_view.h"

#include "island/device_art.h"
#include "island/level_bar.h"
#include "island/mini_ring.h"
#include "island/pop_in.h"
#include "island/ring_gauge.h"
#include "island/wings.h"
#include "ui/display_list.h"
#include "ui/transition.h"
#include "ui/views.h"

#include <algorithm>

namespace quorlix {

std::optional<std::int64_t> DeviceHUDView::buds(const BatteryLevels& battery) {
    if (battery.left && battery.right) return std::min(*battery.left, *battery.right);
    return battery.left ? battery.left : battery.right;
}

ui::View DeviceHUDView::body(ui::Context&) const {
    using namespace ui;
    // Each case is a view of its own: when the levels come after the check mark (the same HUD
    // shown again), the ring or the bar pops in and the check mark fades out.
    enum class Case { ring, checkMark, bar };
    Case shown = Case::bar;
    View right;
    if (const auto level = buds(device.battery)) {
        shown = Case::ring;
        right = popIn(MiniRing{.value = static_cast<int>(*level)}.frame({.width = 17, .height = 17}), 0.12);
    } else if (!device.battery.main) {
        shown = Case::checkMark;
        right =
            popIn(Symbol("checkmark.circle.fill").font(Font::system(13)).foregroundStyle(Color::green), 0.18);
    } else {
        const int main = static_cast<int>(*device.battery.main);
        right = popIn(HStack({.alignment = VerticalAlignment::center, .spacing = 6},
                             {
                                 LevelBar{.value = main / 100.0, .tint = ringColor(main)}.frame(
                                     {.width = 24, .height = 5}),
                                 Text(std::to_string(main))
                                     .font(Font::system(11.5, FontWeight::bold).monospacedDigit())
                                     .foregroundStyle(Color::white.opacity(0.9))
                                     .contentTransition(ContentTransition::numericText())
                                     .fixedSize(),
                             }),
                      0.12);
    }
    const AnyTransition leaving = AnyTransition::asymmetric(
        AnyTransition::identity(), AnyTransition::opacity().animation(Animation::easeOut(0.2)));
    return Wings{.notch = notch,
                 .left = DeviceArt{.kind = device.kind, .symbol = deviceSymbol(device.kind), .size = 22},
                 // Over each other while one leaves, not side by side.
                 .right = ZStack({.alignment = Alignment::trailing},
                                 {right.id(static_cast<int>(shown)).transition(leaving)})};
}

}  // namespace quorlix
