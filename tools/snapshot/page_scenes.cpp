// The expanded island on its weather, calendar, timer and tray pages, over a notch, 343 points
// wide (the default) or 600; and the header's weather badge alone.

#include "island/weather_badge.h"
#include "platform/clock.h"
#include "snapshot/island_world.h"
#include "snapshot/scene.h"
#include "ui/ui.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quorlix::snapshot {

namespace {

using namespace ui;

constexpr Size panel = expandedPanel;

// --- Weather

// "loading" (no reply yet), "denied" (no place) or "full".
void setWeather(WeatherService& w, const std::string& state) {
    if (state == "denied") w.locationDenied = true;
    if (state != "full") return;
    w.place = "Ciudad de México";
    w.temperature = 21.5;
    w.weatherCode = 2;
    w.high = 24.2;
    w.low = 11.6;
    std::vector<HourForecast> hours;
    const std::vector<std::pair<int, double>> next{{2, 22.4},  {3, 23.1}, {61, 19.6},
                                                   {63, 17.2}, {2, 15.8}, {0, 14.1}};
    for (std::size_t i = 0; i < next.size(); ++i) {
        const int hour = 15 + static_cast<int>(i);
        hours.push_back({"2026-05-14T" + std::to_string(hour) + ":00", std::to_string(hour - 12) + " p. m.",
                         next[i].second, next[i].first, hour < 20});
    }
    w.hours = hours;
}

View weatherPage(const std::string& state, double width) {
    return expandedIsland(width, IslandTab::weather,
                          [state](IslandWorld& w) { setWeather(w.weather, state); });
}

const Scene weatherLoading{"weather-page-loading", panel, [] { return weatherPage("loading", 343); }};
const Scene weatherDenied{"weather-page-denied", panel, [] { return weatherPage("denied", 343); }};
const Scene weatherCompact{"weather-page-343", panel, [] { return weatherPage("full", 343); }};
const Scene weatherWide{"weather-page-600", panel, [] { return weatherPage("full", 600); }};
const Scene weatherBadge{"weather-badge", {120, 50}, [] {
                             IslandWorld& world = IslandWorld::shared();
                             world.reset();
                             setWeather(world.weather, "full");
                             return world.withObjects(View(WeatherBadge{}))
                                 .padding(Edges::horizontal, 16)
                                 .padding(Edges::vertical, 10)
                                 .background(Capsule().fill(Color::black));
                         }};

// --- Calendar

// "ask" (access not asked for yet), "refused", "none" (nothing left today) or "list".
void setCalendar(CalendarService& c, const std::string& state) {
    if (state == "ask") return;
    c.access = state == "refused" ? CalendarService::Access::denied : CalendarService::Access::granted;
    if (state != "list") return;
    const Date now = platform::Clock::shared().date();
    const auto event = [&](std::string id, std::string title, double minutes, RGBA color,
                           std::optional<std::string> location) {
        const Date start = now.addingTimeInterval(minutes * 60);
        return UpcomingEvent{std::move(id), std::move(title),   start, start.addingTimeInterval(3600), false,
                             color,         std::move(location)};
    };
    c.events = std::vector<UpcomingEvent>{
        event("a", "Revisión de diseño", -12, {1, 0.58, 0, 1}, "Sala Tlaloc"),
        event("b", "Llamada con Lucía", 45, CalendarService::defaultColor, std::nullopt),
        event("c", "Entrega del informe trimestral", 150, {0.2, 0.78, 0.35, 1}, "Oficina central, piso 4"),
        event("d", "Cena con la familia Ortega", 320, {0.69, 0.32, 0.87, 1}, ""),
    };
}

View calendarPage(const std::string& state, double width) {
    return expandedIsland(width, IslandTab::calendar,
                          [state](IslandWorld& w) { setCalendar(w.calendar, state); });
}

const Scene calendarAsk{"calendar-page-ask", panel, [] { return calendarPage("ask", 343); }};
const Scene calendarRefused{"calendar-page-refused", panel, [] { return calendarPage("refused", 343); }};
const Scene calendarNothing{"calendar-page-nothing-left", panel, [] { return calendarPage("none", 343); }};
const Scene calendarCompact{"calendar-page-343", panel, [] { return calendarPage("list", 343); }};
const Scene calendarWide{"calendar-page-600", panel, [] { return calendarPage("list", 600); }};

// --- Timer (scenes are drawn at the date 0, and settle 3 s later)

// "idle", "running", "paused" or "hours" (paused over an hour).
View timerPage(const std::string& state) {
    return expandedIsland(343, IslandTab::timer, [state](IslandWorld& w) {
        TimerService& t = w.timer;
        if (state == "running") {
            t.total = 300;
            t.endDate = Date(272.4);
        } else if (state == "paused") {
            t.total = 600;
            t.pausedRemaining = 412;
        } else if (state == "hours") {
            t.total = 5400;
            t.pausedRemaining = 3725;
        }
    });
}

const Scene timerIdle{"timer-page-idle", panel, [] { return timerPage("idle"); }};
const Scene timerRunning{"timer-page-running", panel, [] { return timerPage("running"); }};
const Scene timerPaused{"timer-page-paused", panel, [] { return timerPage("paused"); }};
const Scene timerHours{"timer-page-over-an-hour", panel, [] { return timerPage("hours"); }};

// --- Tray

// "empty", "files" or "long" (long names).
View trayPanel(const std::string& state) {
    return expandedIsland(343, IslandTab::tray, [state](IslandWorld& w) {
        std::vector<std::string> names;
        if (state == "files")
            names = {"Atardecer en Oaxaca.jpg", "Presupuesto 2026.xlsx", "Contrato firmado.pdf"};
        if (state == "long")
            names = {"Presentación final del proyecto de investigación (versión revisada por el comité).pdf",
                     "Fotografía_del_equipo_completo_en_la_reunión_anual_de_Monterrey.jpg", "notas.txt"};
        std::vector<TrayItem> items;
        for (const auto& name : names) items.push_back({name, "/home/ana/Documentos/" + name});
        w.tray.items = items;
    });
}

// On the 343-point island: a file drag over the page, and the pointer on the second file.
constexpr Scene::Pointer fileDrag{{340, 120}, true};
constexpr Scene::Pointer onSecondFile{{333, 110}};

const Scene trayEmpty{"tray-panel-empty", panel, [] { return trayPanel("empty"); }};
const Scene trayTargeted{"tray-panel-targeted", panel, [] { return trayPanel("empty"); }, fileDrag};
const Scene trayLong{"tray-panel-long-names", panel, [] { return trayPanel("long"); }};
const Scene trayListTargeted{"tray-panel-list-targeted", panel, [] { return trayPanel("files"); }, fileDrag};
const Scene trayHovered{"tray-panel-hovered", panel, [] { return trayPanel("files"); }, onSecondFile};

}  // namespace

}  // namespace quorlix::snapshot
