#pragma once
// The battery HUD of a power change: a charge symbol and a word on the left ("Cargando",
// "Cargada" or "Batería"), the percentage and a battery glyph on the right, green while the
// charger is connected, red at 20 percent or less unplugged, else white. A connected charger
// makes the symbol swell and glow three times (up, down, up) when the HUD appears, and it
// stays glowing. The glyph's look is the `batteryStyle` setting, read at each render.
//
//     BatteryHUDView{.snapshot = {.level = 78, .charging = true, .pluggedIn = true}, .notch = notch}

#include "platform/geometry.h"
#include "services/battery_service.h"
#include "ui/color.h"
#include "ui/view.h"

#include <string>

namespace quorlix {

struct BatteryHUDView : ui::ViewModifiers<BatteryHUDView> {
    // Only `level` and `pluggedIn` count: a charger that holds the charge still shows it.
    BatteryService::Snapshot snapshot;
    Size notch;

    static ui::Color stateColor(const BatteryService::Snapshot& snapshot);
    static std::string word(const BatteryService::Snapshot& snapshot);

    ui::View body(ui::Context& ctx) const;
};

}  // namespace quorlix
