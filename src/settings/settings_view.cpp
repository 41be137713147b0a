#include "settings/settings_view.h"

#include "services/media_key_interceptor.h"
#include "settings/accessory_timer_calendar_panes.h"
#include "settings/agents_pane.h"
#include "settings/focus_pane.h"
#include "settings/general_pane.h"
#include "settings/lock_screen_pane.h"
#include "settings/media_pane.h"
#include "settings/privacy_pane.h"
#include "settings/setting_rows.h"
#include "settings/settings_search.h"
#include "settings/tray_volume_battery_panes.h"
#include "settings/updates_pane.h"
#include "settings/weather_pane.h"
#include "ui/ui.h"

namespace quorlix {

using namespace ui;

namespace {

View hairline() {
    return Rectangle().fill(Color::white.opacity(0.07)).frame({.height = 1, .maxWidth = infinity});
}

View row(SettingsSelection* selection, SettingsSection section) {
    return View(SidebarRow{section, selection->section.get() == section})
        .onTapGesture(1, [selection, section] { selection->section = section; })
        .id(std::string("row:") + std::string(rawValue(section)));
}

View groupEntry(SettingsSelection* selection, const SettingsSectionGroup& group, const std::string& query) {
    const auto passing = searchSections(group.sections, query);
    if (passing.empty()) return View();
    Views items;
    if (group.header) {
        items.push_back(hairline().padding(EdgeInsets{6, 6, 0, 6}));
        items.push_back(Text(std::string(*group.header))
                            .font(Font::system(11, FontWeight::semibold))
                            .foregroundStyle(Color::white.opacity(0.38))
                            .padding(EdgeInsets{8, 10, 3, 10})
                            .id(std::string("header:") + std::string(*group.header)));
    }
    items.push_back(ForEach(
        passing, [](SettingsSection s) { return static_cast<int>(s); },
        [selection](SettingsSection s) { return row(selection, s); }));
    return Group(std::move(items));
}

}  // namespace

View SidebarRow::body(Context& ctx) const {
    auto hovering = ctx.state<bool>(false);
    const View tile = ZStack({
                                 RoundedRectangle(7, RoundedCornerStyle::continuous)
                                     .fill(Color::white.opacity(selected ? 0.20 : 0.11)),
                                 RoundedRectangle(7, RoundedCornerStyle::continuous)
                                     .strokeBorder(Color::white.opacity(0.08), 0.5),
                                 symbolBounce(Symbol(std::string(symbol(section)))
                                                  .font(Font::system(12, FontWeight::semibold))
                                                  .foregroundStyle(Color::white),
                                              selected),
                             })
                          .frame({.width = 24, .height = 24});
    const double fill = selected ? 0.13 : (hovering.get() ? 0.05 : 0);
    return HStack({.alignment = VerticalAlignment::center, .spacing = 10},
                  {
                      tile,
                      Text(std::string(title(section)))
                          .font(Font::system(13.5, FontWeight::semibold))
                          .foregroundStyle(Color::white.opacity(selected ? 1.0 : 0.88))
                          .lineLimit(1)
                          .minimumScaleFactor(0.9),
                      Spacer(),
                  })
        .padding(Edges::horizontal, 7)
        .frame({.height = 34})
        .background(RoundedRectangle(10, RoundedCornerStyle::continuous).fill(Color::white.opacity(fill)))
        .contentShape(Rectangle())
        .onHover([hovering](bool inside) { hovering = inside; })
        .animation(Animation::easeOut(0.15), hovering.get())
        .animation(Animation::easeOut(0.15), selected);
}

View SearchField::body(Context& ctx) const {
    auto focused = ctx.state<bool>(false);
    const bool on = focused.get();
    Views items{
        Symbol("magnifyingglass")
            .font(Font::system(11.5, FontWeight::medium))
            .foregroundStyle(Color::white.opacity(0.5)),
        TextField("Buscar", text, {.plain = true, .focused = focused.binding()})
            .font(Font::system(13))
            .foregroundStyle(Color::white)
            .id("search.field"),
    };
    if (!text.get().empty())
        items.push_back(
            Button(Symbol("xmark.circle.fill").foregroundStyle(Color::white.opacity(0.4)), [binding = text] {
                binding.set("");
            }).id("search.clear"));
    return HStack({.alignment = VerticalAlignment::center, .spacing = 6}, std::move(items))
        .padding(Edges::horizontal, 10)
        .frame({.height = 30})
        // The ring lies under the field and its clear button, so it never takes their clicks.
        .background(ZStack({
            Capsule(RoundedCornerStyle::continuous).fill(Color::white.opacity(on ? 0.12 : 0.08)),
            Capsule(RoundedCornerStyle::continuous)
                .strokeBorder(on ? Color::quorlixAccent.opacity(0.7) : Color::clear, 1.5),
        }))
        .animation(Animation::easeOut(0.15), on);
}

View GlassBackground::body(Context&) const { return Color::sRGB(0.11, 0.11, 0.125, 0.94); }

View SettingsView::pane(SettingsSection section) {
    switch (section) {
        case SettingsSection::general: return GeneralPane{};
        case SettingsSection::media: return MediaPane{};
        case SettingsSection::tray: return TrayPane{};
        case SettingsSection::agents: return AgentsPane{};
        case SettingsSection::volume: return VolumePane{&MediaKeyInterceptor::shared()};
        case SettingsSection::battery: return BatteryPane{};
        case SettingsSection::focus: return FocusPane{};
        case SettingsSection::weather: return WeatherPane{};
        case SettingsSection::lockScreen: return LockScreenPane{};
        case SettingsSection::calendar: return CalendarPane{};
        case SettingsSection::timer: return TimerPane{};
        case SettingsSection::accessories: return AccessoriesPane{};
        case SettingsSection::privacy: return PrivacyPane{};
        case SettingsSection::updates: return UpdatesPane{};
    }
    return PaneHeader{section};
}

View SettingsView::body(Context& ctx) const {
    ctx.observe(*selection);
    auto query = ctx.state<std::string>(initialQuery);
    const SettingsSection current = selection->section.get();
    const std::string q = query.get();

    Views groups;
    for (const auto& group : SettingsSections::groups()) groups.push_back(groupEntry(selection, group, q));
    const auto foot = searchSections(SettingsSections::footer(), q);

    const View sidebar =
        VStack({.alignment = HorizontalAlignment::leading, .spacing = 0},
               {
                   Color::clear.frame({.height = 44}),
                   View(SearchField{query.binding()}).padding(EdgeInsets{0, 12, 10, 12}),
                   ScrollView(
                       {.showsIndicators = false},
                       VStack({.alignment = HorizontalAlignment::leading, .spacing = 2}, std::move(groups))
                           .padding(Edges::horizontal, 10)),
                   Spacer(0),
                   hairline().padding(EdgeInsets{0, 16, 8, 16}),
                   VStack({.alignment = HorizontalAlignment::center, .spacing = 2},
                          {ForEach(
                              foot, [](SettingsSection s) { return static_cast<int>(s); },
                              [this](SettingsSection s) { return row(selection, s); })})
                       .padding(EdgeInsets{0, 10, 12, 10}),
               })
            .frame({.width = sidebarWidth})
            .frame({.maxHeight = infinity})
            .background(Color::black.opacity(0.14))
            .overlay(Rectangle().fill(Color::white.opacity(0.07)).frame({.width = 1}), Alignment::trailing);

    const View paneArea =
        ScrollView({}, pane(current)
                           .id("pane.content")
                           .padding(EdgeInsets{34, 22, 28, 22})
                           .frame({.maxWidth = infinity, .alignment = Alignment::leading})
                           // The whole pane scrolls under the pointer, gaps between its blocks too.
                           .contentShape(Rectangle())
                           .transition(AnyTransition::asymmetric(
                               AnyTransition::opacity().combined(AnyTransition::offset(0, 8)),
                               AnyTransition::opacity())))
            .id(std::string("pane:") + std::string(rawValue(current)));

    return HStack({.alignment = VerticalAlignment::center, .spacing = 0}, {sidebar, paneArea})
        .background(GlassBackground{})
        .animation(Animation::easeOut(0.2), current)
        .frame({.width = width, .height = height})
        .colorScheme(ColorScheme::dark)
        .tint(Color::quorlixAccent);
}

}  // namespace quorlix
