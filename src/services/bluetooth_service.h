#pragma once
// Bluetooth headphones connecting, with their battery levels.
//
// When a headphone-class device connects the service calls `onDevice` twice: at once
// without battery levels, and again once the levels have been read. The application turns
// each call into the device HUD.
//
// Device connections and the battery report come from the Bluetooth backend; until one is
// attached no connection is ever seen. Main thread only.

#include "platform/clock.h"
#include "platform/published.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quorlix {

// Battery charge of each part of a device, in whole per cent; absent when the device does
// not report that part (or before the levels have been read).
struct BatteryLevels {
    std::optional<std::int64_t> left;
    std::optional<std::int64_t> right;
    std::optional<std::int64_t> caseLevel;
    std::optional<std::int64_t> main;

    // A level for at least one of the buds or the case, the parts the device detail shows.
    bool hasPartLevels() const { return left || right || caseLevel; }

    friend bool operator==(const BatteryLevels&, const BatteryLevels&) = default;
};

// A connected Bluetooth audio device.
struct AudioDeviceInfo {
    // Model family, derived from the name.
    enum class Kind { airpods, airpodsPro, airpodsMax, headphones };

    // The device's name, or "Audífonos" when it reports none.
    std::string name;
    Kind kind = Kind::headphones;
    BatteryLevels battery;

    friend bool operator==(const AudioDeviceInfo&, const AudioDeviceInfo&) = default;
};

class BluetoothService final : public ObservableObject {
public:
    // Called with each report of a connected headphone-class device.
    std::function<void(const AudioDeviceInfo&)> onDevice;
    // Start of the quiet period: connections within 3 s of it are ignored.
    Date startedAt = platform::Clock::shared().date();

    // Restarts the quiet period and begins listening for connections.
    void start();

    // The model family a device name stands for (AirPods Max before Pro before plain AirPods;
    // anything else is headphones).
    static AudioDeviceInfo::Kind kind(std::string_view name);
};

}  // namespace quorlix
