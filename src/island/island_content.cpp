#include "island/island_content.h"

#include "island/agent_live_view.h"
#include "island/alert_hud_view.h"
#include "island/battery_hud_view.h"
#include "island/brightness_hud_view.h"
#include "island/device_detail_view.h"
#include "island/device_hud_view.h"
#include "island/expanded_view.h"
#include "island/island_state.h"
#include "island/live_activity_view.h"
#include "island/output_hud_view.h"
#include "island/timer_live_view.h"
#include "island/volume_hud_view.h"
#include "services/hud_center.h"
#include "ui/views.h"

#include <string>

namespace quorlix {

namespace {

using namespace ui;

View hudContent(IslandMode m, const HUDContent& content, Size notch) {
    switch (m) {
        case IslandMode::alert:
        case IslandMode::alertWide:
        case IslandMode::alertCompact:
            if (const auto* alert = content.get<IslandAlert>())
                return AlertHUDView{.alert = *alert, .notch = notch};
            break;
        case IslandMode::volume:
            if (const auto* volume = content.get<HUDContent::Volume>())
                return VolumeHUDView{.level = volume->level, .muted = volume->muted, .notch = notch};
            break;
        case IslandMode::brightness:
            if (const auto* brightness = content.get<HUDContent::Brightness>())
                return BrightnessHUDView{.level = brightness->level, .notch = notch};
            break;
        case IslandMode::battery:
            if (const auto* battery = content.get<BatteryService::Snapshot>())
                return BatteryHUDView{.snapshot = *battery, .notch = notch};
            break;
        case IslandMode::device:
        case IslandMode::deviceDetail:
            if (const auto* device = content.get<AudioDeviceInfo>()) {
                if (m == IslandMode::deviceDetail) return DeviceDetailView{.device = *device, .notch = notch};
                return DeviceHUDView{.device = *device, .notch = notch};
            }
            break;
        case IslandMode::output:
            if (const auto* output = content.get<AudioOutput>())
                return OutputHUDView{.output = *output, .notch = notch};
            break;
        default: break;
    }
    return View();
}

}  // namespace

View islandContent(IslandMode m, const HUDCenter& hud, IslandState& state, Size notch) {
    switch (m) {
        case IslandMode::idle: return Color::clear;
        case IslandMode::live: return LiveActivityView{.notch = notch, .swipe = state.trackSwipe};
        case IslandMode::timer: return TimerLiveView{.notch = notch};
        case IslandMode::agent: return AgentLiveView{.notch = notch};
        case IslandMode::expanded: return ExpandedView(state, notch);
        default: break;
    }
    const auto& current = hud.current.get();
    return current ? hudContent(m, *current, notch) : View();
}

}  // namespace quorlix
