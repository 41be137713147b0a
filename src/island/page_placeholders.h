#pragma once
// The expanded island's weather, tray, calendar and timer pages and the header's weather
// badge, as they stand until their own views are built: each page shows its tab's symbol and
// title, and the badge shows nothing.

#include "ui/view.h"

namespace quorlix {

struct WeatherPage : ui::ViewModifiers<WeatherPage> {
    ui::View body(ui::Context& ctx) const;
};

struct TrayPanel : ui::ViewModifiers<TrayPanel> {
    // A file drag hovers over the island.
    bool isTargeted = false;

    ui::View body(ui::Context& ctx) const;
};

struct CalendarPage : ui::ViewModifiers<CalendarPage> {
    ui::View body(ui::Context& ctx) const;
};

struct TimerPage : ui::ViewModifiers<TimerPage> {
    ui::View body(ui::Context& ctx) const;
};

struct WeatherBadge : ui::ViewModifiers<WeatherBadge> {
    ui::View body(ui::Context& ctx) const;
};

}  // namespace quorlix
