#pragma once
// The machine's power sources. Each is described by a dictionary of loosely typed values,
// the keys the battery service reads being:
//
//   "Type"                "InternalBattery" for the machine's own battery
//   "Current Capacity"    the charge, in units of "Max Capacity"
//   "Max Capacity"        the charge when full
//   "Is Charging"         the battery is taking charge
//   "Power Source State"  "AC Power" while a charger is connected, "Battery Power" otherwise
//
// A backend may leave a key out or give it another type; readers check every value.
//
// The Linux backend reads /sys/class/power_supply and hears of changes through udev.

#include "platform/published.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <variant>
#include <vector>

namespace quorlix::platform {

using PowerSourceValue = std::variant<std::string, std::int64_t, double, bool>;
using PowerSourceDescription = std::map<std::string, PowerSourceValue>;

class PowerSources {
public:
    virtual ~PowerSources() = default;

    // The description of every power source, in the system's order; empty when there are
    // none or they cannot be read. Main thread.
    virtual std::vector<PowerSourceDescription> sources() = 0;

    // Calls `handler` on the main thread whenever the power sources may have changed, until
    // the subscription ends. An inactive subscription when changes cannot be followed.
    [[nodiscard]] virtual Subscription observeChanges(std::function<void()> handler) = 0;
};

}  // namespace quorlix::platform
