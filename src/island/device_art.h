#pragma once
// The picture of a Bluetooth audio device in the device HUDs. Linux has no pictures of device
// models (`DeviceArtwork::image` gives none), so it is always the kind's symbol: a white
// `PodsGlyph` at 0.68 of `size`, swinging in when the accessory style is realistic and plain
// when it is flat. `style` absent means the `accessoryStyle` setting.
//
//     DeviceArt{.kind = device.kind, .symbol = deviceSymbol(device.kind), .size = 22}

#include "foundation/app_settings.h"
#include "services/bluetooth_service.h"
#include "ui/view.h"

#include <optional>
#include <string>

namespace quorlix {

// The symbol drawn for a device kind: "airpods", "airpodspro", "airpodsmax", "headphones".
std::string deviceSymbol(AudioDeviceInfo::Kind kind);

struct DeviceArt : ui::ViewModifiers<DeviceArt> {
    AudioDeviceInfo::Kind kind = AudioDeviceInfo::Kind::headphones;
    std::string symbol;
    // Side of the picture, points.
    double size = 22;
    std::optional<AccessoryStyle> style;

    ui::View body(ui::Context& ctx) const;
};

}  // namespace quorlix
