#include "island/island_content.h"

#include "foundation/app_settings.h"
#include "island/calendar_page.h"
#include "island/island_state.h"
#include "island/timer_page.h"
#include "island/tray_drop.h"
#include "island/tray_panel.h"
#include "island/weather_page.h"
#include "island/wings.h"
#include "services/hud_center.h"
#include "services/tray_store.h"
#include "ui/context.h"
#include "ui/views.h"

#include <cmath>
#include <string>

namespace quorlix {

namespace {

using namespace ui;

std::string percent(double fraction) {
    return std::to_string(static_cast<int>(std::lround(fraction * 100))) + "%";
}

View glyph(const std::string& name) {
    return Symbol(name).font(Font::system(13, FontWeight::semibold)).foregroundStyle(Color::white);
}

View value(const std::string& text) {
    return Text(text).font(Font::system(12, FontWeight::semibold)).lineLimit(1).foregroundStyle(Color::white);
}

View beside(Size notch, View left, View right = View()) {
    return Wings{.notch = notch, .left = std::move(left), .right = std::move(right)};
}

std::string deviceSymbol(AudioDeviceInfo::Kind kind) {
    switch (kind) {
        case AudioDeviceInfo::Kind::airpods: return "airpods";
        case AudioDeviceInfo::Kind::airpodsPro: return "airpodspro";
        case AudioDeviceInfo::Kind::airpodsMax: return "airpodsmax";
        case AudioDeviceInfo::Kind::headphones: return "headphones";
    }
    return "headphones";
}

View hudContent(IslandMode m, const HUDContent& content, Size notch) {
    if (const auto* alert = content.get<IslandAlert>();
        alert && (m == IslandMode::alert || m == IslandMode::alertWide || m == IslandMode::alertCompact))
        return beside(notch, glyph(alert->symbol), value(alert->text));
    if (const auto* volume = content.get<HUDContent::Volume>(); volume && m == IslandMode::volume)
        return beside(notch, glyph(volume->muted ? "speaker.slash.fill" : "speaker.wave.2.fill"),
                      value(percent(volume->level)));
    if (const auto* brightness = content.get<HUDContent::Brightness>();
        brightness && m == IslandMode::brightness)
        return beside(notch, glyph("sun.max.fill"), value(percent(brightness->level)));
    if (const auto* battery = content.get<BatteryService::Snapshot>(); battery && m == IslandMode::battery)
        return beside(notch, glyph(battery->pluggedIn ? "bolt.fill" : "battery.75percent"),
                      value(std::to_string(battery->level) + "%"));
    if (const auto* device = content.get<AudioDeviceInfo>();
        device && (m == IslandMode::device || m == IslandMode::deviceDetail))
        return VStack({.alignment = HorizontalAlignment::center, .spacing = 0},
                      {beside(notch, glyph(deviceSymbol(device->kind))),
                       If(m == IslandMode::deviceDetail, value(device->name).frame({.height = 84}))});
    if (const auto* output = content.get<AudioOutput>(); output && m == IslandMode::output)
        return beside(notch, glyph(output->symbol()), value(output->shortName()));
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
        case IslandMode::live: return beside(notch, glyph("music.note"));
        case IslandMode::timer: return beside(notch, glyph("timer"));
        case IslandMode::agent: return beside(notch, glyph("sparkles"));
        case IslandMode::expanded: return ExpandedStandIn{&state, notch};
        default: break;
    }
    const auto& current = hud.current.get();
    return current ? hudContent(m, *current, notch) : View();
}

}  // namespace quorlix
