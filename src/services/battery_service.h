#pragma once
// The machine's internal battery: charge, charging, charger connected.
//
// The application starts the service, then sets two callbacks: `onPowerChange` becomes the
// charger HUD and `onLevelChange` the low-battery alert. Views observe `snapshot`. A machine
// without an internal battery never has a snapshot.
//
// Power sources are read by the power-source backend; until one is attached the service
// reads nothing, as on a machine without a battery. Main thread only.

#include "platform/published.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace quorlix {

class BatteryService final : public ObservableObject {
public:
    // The battery state, the one battery type of the whole system.
    struct Snapshot {
        // Charge in whole per cent.
        std::int64_t level = 0;
        // The battery is taking charge.
        bool charging = false;
        // An adapter is connected, whether or not the battery is charging.
        bool pluggedIn = false;

        friend bool operator==(const Snapshot&, const Snapshot&) = default;
    };

    // The last successful reading.
    Published<std::optional<Snapshot>> snapshot{this, std::nullopt};
    // On the adapter being connected or disconnected.
    std::function<void(const Snapshot&)> onPowerChange;
    // On the first reading after none, and whenever the level or the adapter state changes.
    std::function<void(const Snapshot&)> onLevelChange;

    // Publishes the first reading without calling back, then follows power-source changes.
    void start();
};

}  // namespace quorlix
