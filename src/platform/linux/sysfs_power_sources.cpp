#include "platform/linux/sysfs_power_sources.h"

#include "platform/linux/udev_monitor.h"
#include "platform/main_queue.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <optional>
#include <string>

namespace quorlix::platform {

namespace fs = std::filesystem;

namespace {

// The first line of a sysfs attribute, without surrounding white space.
std::optional<std::string> attribute(const fs::path& supply, const char* name) {
    std::ifstream in(supply / name);
    std::string line;
    if (!in || !std::getline(in, line)) return std::nullopt;
    const auto first = line.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return std::string();
    const auto last = line.find_last_not_of(" \t\r\n");
    return line.substr(first, last - first + 1);
}

std::optional<std::int64_t> number(const fs::path& supply, const char* name) {
    const std::optional<std::string> text = attribute(supply, name);
    if (!text) return std::nullopt;
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
    if (error != std::errc() || end != text->data() + text->size()) return std::nullopt;
    return value;
}

// A peripheral's own supply (a mouse's battery, a phone charging over USB) is not the
// machine's.
bool belongsToMachine(const fs::path& supply) { return attribute(supply, "scope").value_or("") != "Device"; }

// A status that says the battery is on a charger, when the tree has no charger of its own:
// charging, full, or held below full ("Not charging").
bool onCharger(const std::string& status) {
    return status == "Charging" || status == "Full" || status == "Not charging";
}

// The battery's charge and the charge it holds when full, in one unit: per cent from
// "capacity", else the energy or charge counters.
std::optional<std::pair<std::int64_t, std::int64_t>> charge(const fs::path& supply) {
    if (const auto capacity = number(supply, "capacity")) return std::pair{*capacity, std::int64_t{100}};
    for (const auto& [now, full] :
         {std::pair{"energy_now", "energy_full"}, std::pair{"charge_now", "charge_full"}}) {
        const auto current = number(supply, now);
        const auto max = number(supply, full);
        if (current && max) return std::pair{*current, *max};
    }
    return std::nullopt;
}

PowerSourceDescription describeBattery(const fs::path& supply, std::optional<bool> chargerOnline) {
    PowerSourceDescription d;
    d["Type"] = std::string("InternalBattery");
    if (const auto c = charge(supply)) {
        d["Current Capacity"] = c->first;
        d["Max Capacity"] = c->second;
    }
    const std::string status = attribute(supply, "status").value_or("");
    d["Is Charging"] = status == "Charging";
    const bool plugged = chargerOnline.value_or(onCharger(status));
    d["Power Source State"] = std::string(plugged ? "AC Power" : "Battery Power");
    return d;
}

// What one of several batteries holds, in microwatt-hours (a charge counter is turned into
// energy with the battery's design voltage); nothing when it cannot tell.
std::optional<std::pair<std::int64_t, std::int64_t>> energy(const fs::path& supply) {
    const auto now = number(supply, "energy_now");
    const auto full = number(supply, "energy_full");
    if (now && full) return std::pair{*now, *full};
    const auto chargeNow = number(supply, "charge_now");
    const auto chargeFull = number(supply, "charge_full");
    const auto volts = number(supply, "voltage_min_design");
    if (!chargeNow || !chargeFull || !volts) return std::nullopt;
    // µAh × µV is 10^-12 Wh: a million of them make one µWh.
    const auto microwattHours = [&](std::int64_t charge) {
        return static_cast<std::int64_t>(static_cast<double>(charge) * static_cast<double>(*volts) / 1e6);
    };
    return std::pair{microwattHours(*chargeNow), microwattHours(*chargeFull)};
}

// Several batteries as the desktop shows them, one battery: the energy they hold over the
// energy they hold when full, charging when any of them charges. Batteries that cannot tell
// their energy are averaged by their charge in per cent instead.
PowerSourceDescription describeBatteries(const std::vector<fs::path>& batteries,
                                         std::optional<bool> chargerOnline) {
    std::int64_t now = 0;
    std::int64_t full = 0;
    bool allEnergy = true;
    bool charging = false;
    bool plugged = false;
    double percentSum = 0;
    int percentCount = 0;
    for (const fs::path& battery : batteries) {
        const std::string status = attribute(battery, "status").value_or("");
        charging = charging || status == "Charging";
        plugged = plugged || onCharger(status);
        if (const auto e = energy(battery)) {
            now += e->first;
            full += e->second;
        } else {
            allEnergy = false;
        }
        if (const auto c = charge(battery); c && c->second > 0) {
            percentSum += 100.0 * static_cast<double>(c->first) / static_cast<double>(c->second);
            ++percentCount;
        }
    }
    PowerSourceDescription d;
    d["Type"] = std::string("InternalBattery");
    if (allEnergy && full > 0) {
        d["Current Capacity"] = now;
        d["Max Capacity"] = full;
    } else if (percentCount > 0) {
        d["Current Capacity"] = static_cast<std::int64_t>(std::llround(percentSum / percentCount));
        d["Max Capacity"] = std::int64_t{100};
    }
    d["Is Charging"] = charging;
    d["Power Source State"] = std::string(chargerOnline.value_or(plugged) ? "AC Power" : "Battery Power");
    return d;
}

}  // namespace

SysfsPowerSources::SysfsPowerSources(fs::path root) : root_(std::move(root)) {}

SysfsPowerSources::~SysfsPowerSources() = default;

std::vector<PowerSourceDescription> SysfsPowerSources::sources() {
    std::error_code ec;
    std::vector<fs::path> supplies;
    for (const auto& entry : fs::directory_iterator(root_, ec)) supplies.push_back(entry.path());
    std::sort(supplies.begin(), supplies.end());

    std::optional<bool> chargerOnline;
    std::vector<fs::path> batteries;
    for (const fs::path& supply : supplies) {
        const std::string type = attribute(supply, "type").value_or("");
        if (!belongsToMachine(supply)) continue;
        if (type == "Mains" || type == "USB") {
            chargerOnline = chargerOnline.value_or(false) || number(supply, "online").value_or(0) == 1;
        } else if (type == "Battery" && attribute(supply, "present").value_or("1") != "0") {
            batteries.push_back(supply);
        }
    }
    if (batteries.empty()) return {};
    if (batteries.size() == 1) return {describeBattery(batteries.front(), chargerOnline)};
    return {describeBatteries(batteries, chargerOnline)};
}

Subscription SysfsPowerSources::observeChanges(std::function<void()> handler) {
    if (!udev_) udev_ = std::make_unique<UdevMonitor>("power_supply", [this] { changes_.emit(); });
    if (!poll_) schedulePoll();
    return changes_.connect(std::move(handler));
}

void SysfsPowerSources::schedulePoll() {
    // Counting sleep too: the first reading after a wake is not a minute away.
    poll_ = MainQueue::shared().afterUptime(pollInterval, [this] {
        schedulePoll();
        changes_.emit();
    });
}

}  // namespace quorlix::platform
