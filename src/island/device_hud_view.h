#pragma once
// The HUD of a Bluetooth audio device that connects: its picture on the left and, on the
// right, the lower bud's battery ring, or a bar with the number for a single battery, or a
// green check mark while no level is known.
//
//     DeviceHUDView{.device = info, .notch = notch}

#include "platform/geometry.h"
#include "services/bluetooth_service.h"
#include "ui/view.h"

#include <cstdint>
#include <optional>

namespace quorlix {

struct DeviceHUDView : ui::ViewModifiers<DeviceHUDView> {
    AudioDeviceInfo device;
    Size notch;

    // The lower of the buds' levels that are known; none when neither is.
    static std::optional<std::int64_t> buds(const BatteryLevels& battery);

    ui::View body(ui::Context& ctx) const;
};

}  // namespace quorlix
