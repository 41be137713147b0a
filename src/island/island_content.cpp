#include "island/island_content.h"

#include "foundation/app_settings.h"
#include "island/agent_live_view.h"
#include "island/alert_hud_view.h"
#include "island/battery_hud_view.h"
#include "island/brightness_hud_view.h"
#include "island/calendar_page.h"
#include "island/device_detail_view.h"
#include "island/device_hud_view.h"
#include "island/island_state.h"
#include "island/live_activity_view.h"
#include "island/output_hud_view.h"
#include "island/timer_live_view.h"
#include "island/timer_page.h"
#include "island/tray_drop.h"
#include "island/tray_panel.h"
#include "island/volume_hud_view.h"
#include "island/weather_page.h"
#include "services/hud_center.h"
#include "services/tray_store.h"
#include "ui/context.h"
#include "ui/views.h"

#include <string>

namespace quorlix {

namespace {

using namespace ui;

View glyph(const std::string& name) {
    return Symbol(name).font(Font::system(13, FontWeight::semibold)).foregroundStyle(Color::white);
}

View value(const std::string& text) {
    return Text(text).font(Font::system(12, FontWeight::semibold)).lineLimit(1).foregroundStyle(Color::white);
}

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

// The expanded island until its header and music page are built: the selected page below the
// notch (the music page as its symbol and title), and the island's drop target for files.
struct ExpandedStandIn {
    IslandState* state;
    Size notch;

    View page(IslandTab tab, bool dropTargeted) const {
        switch (tab) {
            case IslandTab::weather: return WeatherPage{};
            case IslandTab::tray: return TrayPanel(dropTargeted);
            case IslandTab::calendar: return CalendarPage{};
            case IslandTab::timer: return TimerPage{};
            case IslandTab::music: break;
        }
        return VStack({.spacing = 6}, {glyph(std::string(symbol(tab))), value(std::string(title(tab)))})
            .frame({.maxWidth = infinity, .maxHeight = infinity});
    }

    View body(Context& ctx) const {
        const auto dropTargeted = ctx.state<bool>(false);
        const IslandTab tab = shownTab(state->tab.get());
        return trayDropTarget(
            page(tab, dropTargeted.get())
                .id(static_cast<int>(tab))
                .frame({.maxWidth = infinity, .maxHeight = infinity, .alignment = Alignment::top})
                .padding(Edges::horizontal, 20)
                .padding(Edge::top, notch.height + 2)
                .padding(Edge::bottom, 16),
            dropTargeted, *state, ctx.object<TrayStore>(), ctx.object<AppSettings>());
    }
};

}  // namespace

View islandContent(IslandMode m, const HUDCenter& hud, IslandState& state, Size notch) {
    switch (m) {
        case IslandMode::idle: return Color::clear;
        case IslandMode::live: return LiveActivityView{.notch = notch, .swipe = state.trackSwipe};
        case IslandMode::timer: return TimerLiveView{.notch = notch};
        case IslandMode::agent: return AgentLiveView{.notch = notch};
        case IslandMode::expanded: return ExpandedStandIn{&state, notch};
        default: break;
    }
    const auto& current = hud.current.get();
    return current ? hudContent(m, *current, notch) : View();
}

}  // namespace quorlix
