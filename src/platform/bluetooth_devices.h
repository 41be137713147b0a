#pragma once
// Bluetooth devices: their connections, and the system's report on the connected ones.
//
// The report is JSON text of this shape (keys beyond these may be present):
//
//   {"SPBluetoothDataType": [
//       {"device_connected": [
//           {"<device name>": {"device_address": "A4:C3:F0:11:22:33",
//                              "device_majorClass": "4",
//                              "device_batteryLevelLeft": "80%",
//                              "device_batteryLevelRight": "75%",
//                              "device_batteryLevelCase": "40%",
//                              "device_batteryLevelMain": "90%"}},
//           ...]}]}
//
// "device_majorClass" is the device's Bluetooth major class as decimal text (4 is audio and
// video); each battery level is present only when the device reports that part.
//
// The Linux backend asks BlueZ over the system bus.

#include "platform/published.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace quorlix::platform {

struct BluetoothDevice {
    // None when the device reports no name.
    std::optional<std::string> name;
    // As the system writes it ("a4-c3-f0-11-22-33" or "A4:C3:F0:11:22:33"); none when unknown.
    std::optional<std::string> address;
    // The Bluetooth major device class; 4 is audio and video.
    std::uint32_t deviceClassMajor = 0;

    static constexpr std::uint32_t audioVideoClass = 4;
};

class BluetoothDevices {
public:
    virtual ~BluetoothDevices() = default;

    // Calls `handler` on the main thread with each device that connects, until the
    // subscription ends. An inactive subscription when connections cannot be followed.
    [[nodiscard]] virtual Subscription observeConnections(
        std::function<void(const BluetoothDevice&)> handler) = 0;

    // The report on the connected devices (shape above), or none when it cannot be made.
    // Blocks for as long as the system takes to answer (each backend bounds that): call it
    // off the main thread. Thread-safe.
    virtual std::optional<std::string> report() = 0;
};

}  // namespace quorlix::platform
