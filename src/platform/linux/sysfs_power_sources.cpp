#include "platform/linux/sysfs_power_sources.h"

#include "platform/linux/udev_monitor.h"
#include "platform/main_queue.h"

#include <algorithm>
#include <charconv>
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

PowerSourceDescription describeBattery(const fs::path& supply, std::optional<bool> chargerOnline) {
    PowerSourceDescription d;
    d["Type"] = std::string("InternalBattery");
    if (const auto capacity = number(supply, "capacity")) {
        d["Current Capacity"] = *capacity;
        d["Max Capacity"] = std::int64_t{100};
    } else {
        for (const auto& [now, full] :
             {std::pair{"energy_now", "energy_full"}, std::pair{"charge_now", "charge_full"}}) {
            const auto current = number(supply, now);
            const auto max = number(supply, full);
            if (!current || !max) continue;
            d["Current Capacity"] = *current;
            d["Max Capacity"] = *max;
            break;
        }
    }
    const std::string status = attribute(supply, "status").value_or("");
    d["Is Charging"] = status == "Charging";
    // Without a charger of its own in the tree, a battery that is charging, full or held
    // below full ("Not charging") is on a charger.
    const bool plugged =
        chargerOnline.value_or(status == "Charging" || status == "Full" || status == "Not charging");
    d["Power Source State"] = std::string(plugged ? "AC Power" : "Battery Power");
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
    std::vector<PowerSourceDescription> out;
    for (const fs::path& battery : batteries) out.push_back(describeBattery(battery, chargerOnline));
    return out;
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
