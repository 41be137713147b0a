#include "services/battery_service.h"

namespace quorlix {

// Without a power-source reader there is nothing to read: the snapshot stays none and no
// callback fires, as on a machine without a battery.
void BatteryService::start() {}

}  // namespace quorlix
