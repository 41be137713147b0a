#include "island/device_art.h"

#include "island/pods_glyph.h"

namespace quorlix {

std::string deviceSymbol(AudioDeviceInfo::Kind kind) {
    switch (kind) {
        case AudioDeviceInfo::Kind::airpods: return "airpods";
        case AudioDeviceInfo::Kind::airpodsPro: return "airpodspro";
        case AudioDeviceInfo::Kind::airpodsMax: return "airpodsmax";
        case AudioDeviceInfo::Kind::headphones: return "headphones";
    }
    return "headphones";
}

ui::View DeviceArt::body(ui::Context&) const {
    // Read from the shared store at each render, as the battery glyph's look is.
    const AccessoryStyle effective = style.value_or(AppSettings::shared().accessoryStyle.get());
    return PodsGlyph{.symbol = symbol,
                     .size = size * 0.68,
                     .tint = ui::Color::white,
                     .wobble = effective == AccessoryStyle::realistic,
                     .flat = effective == AccessoryStyle::flat};
}

}  // namespace quorlix
