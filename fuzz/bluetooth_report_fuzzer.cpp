// The Bluetooth report (the devices with their battery levels), read for a device by its
// address or name, and for the connected headphones.

#include "fuzz_support.h"
#include "services/bluetooth_service.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quorlix;
    const auto [report, name] = fuzzing::halves(fuzzing::text(data, size));
    BluetoothService::parseBattery(report, BluetoothService::normalizedAddress(name), name);
    BluetoothService::parseBattery(report, "", name);
    BluetoothService::headphonesBattery(report);
    BluetoothService::kind(name);
    return 0;
}
