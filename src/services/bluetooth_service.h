#pragma once
// Bluetooth headphones connecting, with their battery levels.
//
// When a headphone-class device connects the service calls `onDevice` twice: at once
// without battery levels, and again once the levels have been read from the system's
// Bluetooth report (tried 1.5 s after the connection and, failing that, 2.5 s after the
// first try). The application turns each call into the device HUD. Connections within 3 s
// of `start()` are ignored: those are the devices already connected as the system starts.
//
// Connections and the report come from the platform's Bluetooth backend; the report is read
// on the platform's utility queue, never on the main thread, and a read that takes longer
// than `reportTimeLimit` counts as finding nothing. Main thread only.

#include "platform/clock.h"
#include "platform/platform.h"
#include "platform/published.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// Pictures of the device models for the device HUD. Linux ships none, so there is never a
// picture for any kind and callers draw the kind's symbol instead.
struct DeviceArtwork {
    static std::optional<std::filesystem::path> image(AudioDeviceInfo::Kind) { return std::nullopt; }
};

class BluetoothService final : public ObservableObject {
public:
    // Uses the Bluetooth backend and the utility queue of the installed platform.
    BluetoothService();
    BluetoothService(platform::BluetoothDevices* devices, platform::SerialQueue* reportQueue);
    ~BluetoothService() override;

    // Called with each report of a connected headphone-class device.
    std::function<void(const AudioDeviceInfo&)> onDevice;
    // Start of the quiet period: connections within 3 s of it are ignored.
    Date startedAt = platform::Clock::shared().date();

    // Restarts the quiet period and begins listening for connections.
    void start();

    // The model family a device name stands for (AirPods Max before Pro before plain AirPods;
    // anything else is headphones).
    static AudioDeviceInfo::Kind kind(std::string_view name);

    // The connected headphones' charge for the lock screen, handed to `done` on the main
    // thread: the lower bud of the first audio device reporting either bud, else the first
    // audio device's single battery; none when no audio device reports a level or the report
    // cannot be read in time. Uses the installed platform.
    static void connectedHeadphonesBattery(std::function<void(std::optional<std::int64_t>)> done);

    // The levels of the first device in `report` (the shape of platform/bluetooth_devices.h)
    // whose address is `address` (none matches an empty one) or whose name is exactly
    // `name`; none when the report cannot be read, no device matches, or the first match
    // reports no level at all.
    static std::optional<BatteryLevels> parseBattery(std::string_view report, std::string_view address,
                                                     std::string_view name);
    // The charge `connectedHeadphonesBattery` finds in `report`.
    static std::optional<std::int64_t> headphonesBattery(std::string_view report);

    // A device address in the one form compared: upper case, colon-separated.
    static std::string normalizedAddress(std::string_view address);

    static constexpr double quietPeriod = 3.0;
    static constexpr double reportTimeLimit = 10.0;
    // The waits before each battery reading after a connection.
    static constexpr double followUpDelays[] = {1.5, 2.5};

private:
    struct FollowUp;

    void deviceConnected(const platform::BluetoothDevice& device);
    void scheduleReading(const std::shared_ptr<FollowUp>& followUp);
    void finish(const FollowUp* followUp);

    platform::BluetoothDevices* devices_ = nullptr;
    platform::SerialQueue* reportQueue_ = nullptr;
    std::vector<std::shared_ptr<FollowUp>> followUps_;
    Subscription connectNotification_;
};

}  // namespace quorlix
