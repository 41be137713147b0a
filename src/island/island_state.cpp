#include "island/island_state.h"

#include "foundation/app_settings.h"

#include <algorithm>

namespace quorlix {

std::string_view title(IslandTab tab) {
    switch (tab) {
        case IslandTab::music: return "Música";
        case IslandTab::weather: return "Clima";
        case IslandTab::tray: return "Bandeja";
        case IslandTab::calendar: return "Calendario";
        case IslandTab::timer: return "Temporizador";
    }
    return {};
}

std::string_view symbol(IslandTab tab) {
    switch (tab) {
        case IslandTab::music: return "music.note";
        case IslandTab::weather: return "cloud.sun.fill";
        case IslandTab::tray: return "tray.full.fill";
        case IslandTab::calendar: return "calendar";
        case IslandTab::timer: return "timer";
    }
    return {};
}

std::vector<IslandTab> visibleTabs() {
    const auto& settings = AppSettings::shared();
    std::vector<IslandTab> tabs;
    for (const IslandTab tab : allCases<IslandTab>()) {
        const bool shown = tab == IslandTab::weather    ? settings.weatherEnabled.get()
                           : tab == IslandTab::tray     ? settings.trayEnabled.get()
                           : tab == IslandTab::calendar ? settings.calendarEnabled.get()
                                                        : true;
        if (shown) tabs.push_back(tab);
    }
    return tabs;
}

IslandTab shownTab(IslandTab selected) {
    const auto tabs = visibleTabs();
    return std::find(tabs.begin(), tabs.end(), selected) != tabs.end() ? selected : tabs.front();
}

}  // namespace quorlix
