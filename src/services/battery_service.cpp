#include "services/battery_service.h"

#include <algorithm>
#include <cmath>

namespace quorlix {

namespace {

using platform::PowerSourceDescription;

template <class T>
std::optional<T> value(const PowerSourceDescription& description, const char* key) {
    const auto it = description.find(key);
    if (it == description.end()) return std::nullopt;
    if (const T* v = std::get_if<T>(&it->second)) return *v;
    return std::nullopt;
}

bool isInternalBattery(const PowerSourceDescription& description) {
    return value<std::string>(description, "Type") == "InternalBattery";
}

std::int64_t percent(std::int64_t current, std::int64_t max) {
    // A capacity past full or below empty is a reading fault; the level stays a percentage.
    if (max < 1) return std::clamp<std::int64_t>(current, 0, 100);
    const double level = static_cast<double>(current) / static_cast<double>(max) * 100.0;
    return static_cast<std::int64_t>(std::round(std::clamp(level, 0.0, 100.0)));
}

}  // namespace

BatteryService::BatteryService() : BatteryService(platform::installed().powerSources) {}

BatteryService::BatteryService(platform::PowerSources* sources) : sources_(sources) {}

std::optional<BatteryService::Snapshot> BatteryService::read(
    const std::vector<PowerSourceDescription>& sources) {
    const auto battery = std::find_if(sources.begin(), sources.end(), isInternalBattery);
    if (battery == sources.end()) return std::nullopt;
    Snapshot s;
    s.level = percent(value<std::int64_t>(*battery, "Current Capacity").value_or(0),
                      value<std::int64_t>(*battery, "Max Capacity").value_or(100));
    s.charging = value<bool>(*battery, "Is Charging").value_or(false);
    s.pluggedIn = value<std::string>(*battery, "Power Source State") == "AC Power";
    return s;
}

std::optional<BatteryService::Snapshot> BatteryService::readNow() const {
    if (!sources_) return std::nullopt;
    return read(sources_->sources());
}

void BatteryService::start() {
    snapshot = readNow();
    if (sources_) source_ = sources_->observeChanges([this] { changed(); });
}

void BatteryService::changed() {
    const std::optional<Snapshot> old = snapshot.get();
    const std::optional<Snapshot> now = readNow();
    if (!now) return;
    snapshot = now;
    const bool powerChanged = old && now->pluggedIn != old->pluggedIn;
    if (!old || now->level != old->level || powerChanged) {
        if (onLevelChange) onLevelChange(*now);
    }
    if (powerChanged && onPowerChange) onPowerChange(*now);
}

}  // namespace quorlix
