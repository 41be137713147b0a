#include "services/bluetooth_service.h"

#include "services/text_match.h"

namespace quorlix {

void BluetoothService::start() {
    startedAt = platform::Clock::shared().date();
    // Connections are delivered by the Bluetooth backend once it is attached.
}

AudioDeviceInfo::Kind BluetoothService::kind(std::string_view name) {
    const std::string lower = asciiLowercased(name);
    if (lower.find("airpods max") != std::string::npos) return AudioDeviceInfo::Kind::airpodsMax;
    if (lower.find("airpods pro") != std::string::npos) return AudioDeviceInfo::Kind::airpodsPro;
    if (lower.find("airpods") != std::string::npos) return AudioDeviceInfo::Kind::airpods;
    return AudioDeviceInfo::Kind::headphones;
}

}  // namespace quorlix
