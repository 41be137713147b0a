#include "island/expanded_view.h"

#include "foundation/app_actions.h"
#include "foundation/app_settings.h"
#include "island/calendar_page.h"
#include "island/island_button_style.h"
#include "island/island_layout.h"
#include "island/island_state.h"
#include "island/music_panel.h"
#include "island/timer_page.h"
#include "island/tray_drop.h"
#include "island/tray_panel.h"
#include "island/weather_badge.h"
#include "island/weather_page.h"
#include "platform/platform.h"
#include "services/tray_store.h"
#include "ui/animation.h"
#include "ui/context.h"
#include "ui/transaction.h"
#include "ui/transition.h"
#include "ui/views.h"

#include <string>

namespace quorlix {

namespace {

using namespace ui;

View page(IslandTab tab, bool dropTargeted) {
    switch (tab) {
        case IslandTab::music: return MusicPanel{};
        case IslandTab::weather: return WeatherPage{};
        case IslandTab::tray: return TrayPanel{.isTargeted = dropTargeted};
        case IslandTab::calendar: return CalendarPage{};
        case IslandTab::timer: return TimerPage{};
    }
    return View();
}

View tabButton(IslandTab tab, bool selected, IslandState& state) {
    const View label =
        Symbol(std::string(symbol(tab)))
            .font(Font::system(11, FontWeight::semibold))
            .foregroundStyle(Color::white.opacity(selected ? 1 : 0.45))
            .frame({.width = 30, .height = 20})
            .background(
                Capsule(RoundedCornerStyle::continuous).fill(Color::white.opacity(selected ? 0.16 : 0)));
    // The highlight and the colours cross-fade.
    return Button(label, [&state, tab] { withAnimation(Animation::easeOut(0.2), [&] { state.tab = tab; }); })
        .buttonStyle(IslandButtonStyle{})
        .help(std::string(title(tab)));
}

void openSettings() { AppActions::openSettingsSection(SettingsSection::general); }

// As the status menu's "Salir de Quorlix".
void quit() {
    if (platform::StatusBar* bar = platform::installed().statusBar)
        bar->performStandardAction(platform::StandardAction::terminate);
}

}  // namespace

View ExpandedView::body(Context& ctx) const {
    IslandState& island = *state;
    ctx.observe(island);
    TrayStore& tray = ctx.object<TrayStore>();
    const AppSettings& settings = ctx.object<AppSettings>();
    const auto dropTargeted = ctx.state<bool>(false);
    const IslandTab tab = shownTab(island.tab.get());
    const bool music = tab == IslandTab::music;

    View content;
    if (IslandLayout::isWideExpanded()) {
        const View header = HStack(
            {.spacing = 0},
            {
                HStack({.spacing = 4}, {ForEach(
                                           visibleTabs(), [](IslandTab t) { return static_cast<int>(t); },
                                           [&](IslandTab t) { return tabButton(t, t == tab, island); })}),
                // Keeps the notch, and 12 points on each side of it, free of controls.
                Spacer(notch.width + 24),
                HStack({.spacing = 12},
                       {
                           If(settings.weatherEnabled.get(), WeatherBadge{}),
                           Button(Symbol("gearshape.fill")
                                      .font(Font::system(11, FontWeight::semibold))
                                      .foregroundStyle(Color::white.opacity(0.45)),
                                  openSettings)
                               .buttonStyle(IslandButtonStyle{})
                               .help("Ajustes"),
                       }),
            });
        content = VStack(
            {.alignment = HorizontalAlignment::center, .spacing = 0},
            {
                header.frame({.height = notch.height}).padding(Edges::horizontal, 18),
                page(tab, dropTargeted.get())
                    .frame({.maxWidth = infinity, .maxHeight = infinity})
                    .padding(EdgeInsets{.top = 8,
                                        .leading = 22,
                                        .bottom = IslandLayout::expandedBodyHeight() < 150 ? 12.0 : 20.0,
                                        .trailing = 22}),
            });
    } else {
        // The page alone; the others start below the notch.
        content =
            ZStack({.alignment = Alignment::bottom},
                   {page(tab, dropTargeted.get())
                        .frame({.maxWidth = infinity, .maxHeight = infinity, .alignment = Alignment::top})
                        .padding(EdgeInsets{.top = music ? 19 : notch.height + 2,
                                            .leading = music ? 18.0 : 20.0,
                                            .bottom = 16,
                                            .trailing = music ? 18.0 : 20.0})
                        .id(static_cast<int>(tab))
                        .transition(AnyTransition::asymmetric(
                            AnyTransition::offset(24, 0).combined(AnyTransition::opacity()),
                            AnyTransition::opacity()))})
                .animation(Animation::spring(0.35, 0.85, 0), tab);
    }

    return trayDropTarget(content, dropTargeted, island, tray, settings)
        .contextMenu({
            MenuItem::button("Ajustes…", openSettings),
            MenuItem::divider(),
            MenuItem::button("Salir de Quorlix", quit),
        });
}

}  // namespace quorlix
