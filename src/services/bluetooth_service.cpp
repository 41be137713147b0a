#include "services/bluetooth_service.h"

#include "platform/main_queue.h"
#include "services/text_match.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>
#include <iterator>
#include <limits>

namespace quorlix {

namespace {

using Json = nlohmann::ordered_json;

constexpr const char* defaultName = "Audífonos";

bool soundsLikeHeadphones(std::string_view name) {
    return containsIgnoringCase(name, "airpods") || containsIgnoringCase(name, "beats");
}

// A whole number written in decimal, with an optional sign, and nothing else.
std::optional<std::int64_t> parseInteger(std::string_view text) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') return std::nullopt;
    }
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// A level written as text: "85%", " 85 % " and "85" all read 85. Anything else is absent.
std::optional<std::int64_t> percentLevel(const Json& properties, const char* key) {
    const auto it = properties.find(key);
    if (it == properties.end() || !it->is_string()) return std::nullopt;
    std::string text;
    for (char c : it->get_ref<const std::string&>())
        if (c != '%') text.push_back(c);
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::nullopt;
    const auto last = text.find_last_not_of(" \t");
    return parseInteger(std::string_view(text).substr(first, last - first + 1));
}

BatteryLevels levelsOf(const Json& properties) {
    return {percentLevel(properties, "device_batteryLevelLeft"),
            percentLevel(properties, "device_batteryLevelRight"),
            percentLevel(properties, "device_batteryLevelCase"),
            percentLevel(properties, "device_batteryLevelMain")};
}

std::string textOf(const Json& properties, const char* key) {
    const auto it = properties.find(key);
    return it != properties.end() && it->is_string() ? it->get<std::string>() : std::string();
}

bool isArrayOfObjects(const Json& value) {
    return value.is_array() &&
           std::all_of(value.begin(), value.end(), [](const Json& v) { return v.is_object(); });
}

// Calls `visit(name, properties)` for each connected device in `report`, in report order,
// until it returns true. False when the report is not of the expected shape.
template <class Visit>
bool forEachDevice(std::string_view report, Visit visit) {
    const Json root = Json::parse(report, nullptr, false);
    if (root.is_discarded() || !root.is_object()) return false;
    const auto sections = root.find("SPBluetoothDataType");
    if (sections == root.end() || !isArrayOfObjects(*sections) || sections->empty()) return false;
    for (const Json& section : *sections) {
        const auto connected = section.find("device_connected");
        if (connected == section.end() || !isArrayOfObjects(*connected)) continue;
        for (const Json& entry : *connected) {
            for (const auto& [name, properties] : entry.items()) {
                if (!properties.is_object()) continue;
                if (visit(name, properties)) return true;
            }
        }
    }
    return true;
}

// Reads the report on `queue` and hands what `parse` finds in it to `done` on the main
// thread; nothing when there is no backend, the report fails or it is late.
template <class T, class Parse>
void readReport(platform::BluetoothDevices* devices, platform::SerialQueue* queue, Parse parse,
                std::function<void(std::optional<T>)> done) {
    if (!devices || !queue) {
        done(std::nullopt);
        return;
    }
    queue->run<std::optional<T>>(
        [devices, parse = std::move(parse)]() -> std::optional<T> {
            const std::optional<std::string> report = devices->report();
            if (!report) return std::nullopt;
            return parse(*report);
        },
        [done = std::move(done)](std::optional<std::optional<T>> result) {
            done(result ? std::move(*result) : std::nullopt);
        },
        BluetoothService::reportTimeLimit);
}

}  // namespace

// One connection's battery follow-up: its device report and the readings still to try.
struct BluetoothService::FollowUp {
    AudioDeviceInfo info;
    std::string address;
    std::string name;
    std::size_t attempt = 0;
    platform::WorkItem wait;
};

BluetoothService::BluetoothService()
    : BluetoothService(platform::installed().bluetoothDevices, platform::installed().utilityQueue) {}

BluetoothService::BluetoothService(platform::BluetoothDevices* devices, platform::SerialQueue* reportQueue)
    : devices_(devices), reportQueue_(reportQueue) {}

BluetoothService::~BluetoothService() = default;

void BluetoothService::start() {
    startedAt = platform::Clock::shared().date();
    if (devices_) {
        connectNotification_ =
            devices_->observeConnections([this](const platform::BluetoothDevice& d) { deviceConnected(d); });
    }
}

AudioDeviceInfo::Kind BluetoothService::kind(std::string_view name) {
    const std::string lower = asciiLowercased(name);
    if (lower.find("airpods max") != std::string::npos) return AudioDeviceInfo::Kind::airpodsMax;
    if (lower.find("airpods pro") != std::string::npos) return AudioDeviceInfo::Kind::airpodsPro;
    if (lower.find("airpods") != std::string::npos) return AudioDeviceInfo::Kind::airpods;
    return AudioDeviceInfo::Kind::headphones;
}

std::string BluetoothService::normalizedAddress(std::string_view address) {
    std::string out(address);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c == '-') c = ':';
    }
    return out;
}

void BluetoothService::deviceConnected(const platform::BluetoothDevice& device) {
    if (platform::Clock::shared().date().timeIntervalSince(startedAt) <= quietPeriod) return;
    const std::string name = device.name && !device.name->empty() ? *device.name : defaultName;
    if (device.deviceClassMajor != platform::BluetoothDevice::audioVideoClass && !soundsLikeHeadphones(name))
        return;

    auto followUp = std::make_shared<FollowUp>();
    followUp->info = AudioDeviceInfo{name, kind(name), BatteryLevels{}};
    followUp->address = normalizedAddress(device.address.value_or(""));
    followUp->name = name;
    followUps_.push_back(followUp);
    const AudioDeviceInfo first = followUp->info;
    scheduleReading(followUp);
    if (onDevice) onDevice(first);
}

void BluetoothService::scheduleReading(const std::shared_ptr<FollowUp>& followUp) {
    const std::weak_ptr<FollowUp> weak = followUp;
    // The waits keep counting while the machine sleeps.
    followUp->wait =
        platform::MainQueue::shared().afterUptime(followUpDelays[followUp->attempt], [this, weak] {
            auto pending = weak.lock();
            if (!pending) return;
            auto parse = [address = pending->address, name = pending->name](std::string_view report) {
                return parseBattery(report, address, name);
            };
            readReport<BatteryLevels>(devices_, reportQueue_, std::move(parse),
                                      [this, weak](std::optional<BatteryLevels> levels) {
                                          // Gone with the service: nothing more to report.
                                          auto f = weak.lock();
                                          if (!f) return;
                                          if (levels) {
                                              AudioDeviceInfo info = f->info;
                                              info.battery = *levels;
                                              finish(f.get());
                                              if (onDevice) onDevice(info);
                                          } else if (++f->attempt < std::size(followUpDelays)) {
                                              scheduleReading(f);
                                          } else {
                                              finish(f.get());
                                          }
                                      });
        });
}

void BluetoothService::finish(const FollowUp* followUp) {
    std::erase_if(followUps_, [followUp](const std::shared_ptr<FollowUp>& f) { return f.get() == followUp; });
}

void BluetoothService::connectedHeadphonesBattery(std::function<void(std::optional<std::int64_t>)> done) {
    const platform::Platform& p = platform::installed();
    readReport<std::int64_t>(p.bluetoothDevices, p.utilityQueue, headphonesBattery, std::move(done));
}

std::optional<BatteryLevels> BluetoothService::parseBattery(std::string_view report, std::string_view address,
                                                            std::string_view name) {
    const std::string wanted = normalizedAddress(address);
    std::optional<BatteryLevels> found;
    forEachDevice(report, [&](const std::string& deviceName, const Json& properties) {
        const bool sameAddress =
            !wanted.empty() && normalizedAddress(textOf(properties, "device_address")) == wanted;
        if (!sameAddress && deviceName != name) return false;
        const BatteryLevels levels = levelsOf(properties);
        if (levels.hasPartLevels() || levels.main) found = levels;
        return true;
    });
    return found;
}

std::optional<std::int64_t> BluetoothService::headphonesBattery(std::string_view report) {
    // Earbuds first, then single-battery headphones; a keyboard or mouse never counts.
    std::optional<std::int64_t> buds;
    std::optional<std::int64_t> single;
    forEachDevice(report, [&](const std::string& name, const Json& properties) {
        const bool audio = soundsLikeHeadphones(name) ||
                           parseInteger(textOf(properties, "device_majorClass")) ==
                               static_cast<std::int64_t>(platform::BluetoothDevice::audioVideoClass);
        if (!audio) return false;
        const BatteryLevels levels = levelsOf(properties);
        if (levels.left || levels.right) {
            constexpr auto none = std::numeric_limits<std::int64_t>::max();
            buds = std::min(levels.left.value_or(none), levels.right.value_or(none));
            return true;
        }
        if (!single && levels.main) single = levels.main;
        return false;
    });
    return buds ? buds : single;
}

}  // namespace quorlix
