#include "island/island_mode.h"

#include "foundation/app_settings.h"
#include "island/island_layout.h"
#include "island/island_state.h"
#include "services/agent_service.h"
#include "services/hud_center.h"
#include "services/timer_service.h"

namespace quorlix {

namespace {

void refreshLayoutFlags(const IslandModeSources& sources) {
    IslandLayout::wideAgent = sources.agents.working->size() > 1;
    const auto& current = sources.hud.current.get();
    const auto* device = current ? current->get<AudioDeviceInfo>() : nullptr;
    IslandLayout::wideDevice =
        device && !device->battery.left && !device->battery.right && device->battery.main;
}

IslandMode hudMode(const HUDContent& content, bool deviceDetail) {
    switch (content.kind()) {
        case HUDContent::Case::alert: {
            const auto& alert = *content.get<IslandAlert>();
            if (alert.compact) return IslandMode::alertCompact;
            return alert.wide ? IslandMode::alertWide : IslandMode::alert;
        }
        case HUDContent::Case::volume: return IslandMode::volume;
        case HUDContent::Case::brightness: return IslandMode::brightness;
        case HUDContent::Case::battery: return IslandMode::battery;
        case HUDContent::Case::device: return deviceDetail ? IslandMode::deviceDetail : IslandMode::device;
        case HUDContent::Case::output: return IslandMode::output;
    }
    return IslandMode::idle;
}

IslandMode closedMode(const IslandModeSources& sources) {
    if (const auto& current = sources.hud.current.get()) return hudMode(*current, sources.hud.deviceDetail);
    const auto& settings = AppSettings::shared();
    if (settings.agentAlerts.get() && sources.agents.primary()) return IslandMode::agent;
    if (sources.timer.isActive()) return IslandMode::timer;
    if (sources.liveVisible && settings.liveActivity.get() && settings.mediaEnabled.get())
        return IslandMode::live;
    return IslandMode::idle;
}

}  // namespace

IslandMode islandMode(const IslandState& state, const IslandModeSources& sources) {
    refreshLayoutFlags(sources);
    if (state.expanded) return IslandMode::expanded;
    return closedMode(sources);
}

IslandMode collapsedIslandMode(const IslandModeSources& sources) {
    refreshLayoutFlags(sources);
    return closedMode(sources);
}

}  // namespace quorlix
