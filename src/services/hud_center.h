#pragma once
// The one arbiter of transient HUDs.
//
// Services never draw HUDs: the application hands each event to `show` as a `HUDContent`,
// and the centre decides whether it replaces what is shown, how long it stays and when a
// Bluetooth device's HUD grows to its battery detail. Every island observes `current` and
// `deviceDetail`, so all islands show the same HUD at the same time.
//
//  - An alert or battery HUD is protected for its own duration: volume, output and
//    brightness HUDs arriving meanwhile are dropped.
//  - Every accepted HUD restarts the hide clock with its own duration.
//  - A device HUD with bud or case levels grows to the detail after 0.7 s (at once when the
//    same device is shown again) and shrinks back max(duration - 1.6, 1.5) s later.
//
// The waits run on `platform::MainQueue` and are held in members, so a superseded hide or
// detail step never writes, and none outlives the centre. Main thread only.

#include "platform/published.h"
#include "platform/work_item.h"
#include "services/battery_service.h"
#include "services/bluetooth_service.h"
#include "services/volume_service.h"

#include <optional>
#include <string>
#include <variant>

namespace quorlix {

// An alert HUD.
struct IslandAlert {
    // Colour of the icon and accents; the colours themselves belong to the alert view.
    enum class Tint { white, orange, green, red, accent, calendar, focus, dim };

    // Symbol name of the icon.
    std::string symbol;
    std::string text;
    Tint tint = Tint::white;
    // A second, smaller line.
    std::optional<std::string> detail;
    // The wide alert layout.
    bool wide = false;
    // The compact alert layout; wins over `wide`.
    bool compact = false;

    friend bool operator==(const IslandAlert&, const IslandAlert&) = default;
};

// The payload of a HUD. Equal when the same case holds equal payloads.
struct HUDContent {
    enum class Case { alert, volume, device, battery, output, brightness };

    struct Volume {
        float level = 0;  // 0...1
        bool muted = false;
        friend bool operator==(const Volume&, const Volume&) = default;
    };
    struct Brightness {
        float level = 0;  // 0...1
        friend bool operator==(const Brightness&, const Brightness&) = default;
    };

    // In the order of `Case`.
    using Payload =
        std::variant<IslandAlert, Volume, AudioDeviceInfo, BatteryService::Snapshot, AudioOutput, Brightness>;
    Payload payload;

    static HUDContent alert(IslandAlert value) { return {std::move(value)}; }
    static HUDContent volume(float level, bool muted) { return {Volume{level, muted}}; }
    static HUDContent device(AudioDeviceInfo info) { return {std::move(info)}; }
    static HUDContent battery(BatteryService::Snapshot snapshot) { return {snapshot}; }
    static HUDContent output(AudioOutput value) { return {std::move(value)}; }
    static HUDContent brightness(float level) { return {Brightness{level}}; }

    Case kind() const { return static_cast<Case>(payload.index()); }
    // The payload when it is a `T` (`IslandAlert`, `AudioDeviceInfo`, ...), else null.
    template <class T>
    const T* get() const {
        return std::get_if<T>(&payload);
    }

    friend bool operator==(const HUDContent&, const HUDContent&) = default;
};

class HUDCenter final : public ObservableObject {
public:
    // The HUD shown now.
    Published<std::optional<HUDContent>> current{this, std::nullopt};
    // The device HUD shows its per-part battery detail.
    Published<bool> deviceDetail{this, false};

    // Shows `content` for `duration` seconds (negative counts as 0), unless a protected HUD
    // drops it.
    void show(const HUDContent& content, double duration);

    // How long a device HUD stays compact before its detail grows.
    static constexpr double detailDelay = 0.7;

private:
    void scheduleDetail(const HUDContent& content, double duration, bool keepOpen);

    platform::WorkItem hideTask;
    platform::WorkItem detailTask;
    // Monotonic time until which an alert or battery HUD may not be displaced.
    double protectedUntil = -1e300;
};

}  // namespace quorlix
