#pragma once
// The machine's internal battery: charge, charging, charger connected.
//
// The application starts the service, then sets two callbacks: `onPowerChange` becomes the
// charger HUD and `onLevelChange` the low-battery alert. Views observe `snapshot`. A machine
// without an internal battery never has a snapshot.
//
// Power sources come from the platform's power-source backend; without one the service
// reads nothing, as on a machine without a battery. Main thread only.

#include "platform/platform.h"
#include "platform/published.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace quorlix {

class BatteryService final : public ObservableObject {
public:
    // The battery state, the one battery type of the whole system.
    struct Snapshot {
        // Charge in whole per cent, 0...100.
        std::int64_t level = 0;
        // The battery is taking charge.
        bool charging = false;
        // An adapter is connected, whether or not the battery is charging.
        bool pluggedIn = false;

        friend bool operator==(const Snapshot&, const Snapshot&) = default;
    };

    // Reads the power sources of the installed platform.
    BatteryService();
    explicit BatteryService(platform::PowerSources* sources);

    // The last successful reading.
    Published<std::optional<Snapshot>> snapshot{this, std::nullopt};
    // On the adapter being connected or disconnected.
    std::function<void(const Snapshot&)> onPowerChange;
    // On the first reading after none, and whenever the level or the adapter state changes.
    std::function<void(const Snapshot&)> onLevelChange;

    // Publishes the first reading without calling back, then follows power-source changes.
    void start();

    // The first internal battery among `sources`, or none when there is none. Missing or
    // mistyped values fall back to defaults (no charge out of 100, not charging, unplugged).
    static std::optional<Snapshot> read(const std::vector<platform::PowerSourceDescription>& sources);

private:
    void changed();
    std::optional<Snapshot> readNow() const;

    platform::PowerSources* sources_ = nullptr;
    // Last, so that it ends before anything its handler touches goes away.
    Subscription source_;
};

}  // namespace quorlix
