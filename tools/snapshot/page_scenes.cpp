// The expanded island's weather, calendar, timer and tray pages, each on the island's black
// in the page area of a 343-point island (the default) or of a 600-point one.

#include "island/calendar_page.h"
#include "island/live_preview.h"
#include "island/timer_page.h"
#include "island/tray_panel.h"
#include "island/weather_badge.h"
#include "island/weather_page.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "services/calendar_service.h"
#include "services/timer_service.h"
#include "services/tray_store.h"
#include "services/weather_service.h"
#include "snapshot/scene.h"
#include "ui/ui.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quorlix::snapshot {

namespace {

using namespace ui;

// The page area of the compact island (343 points wide, under the notch) and of the wide one.
constexpr Size compactPage{303, 122};
constexpr Size widePage{556, 120};

// `page` in the page area of an expanded island `width` points wide, on the island's black.
View onIsland(View page, double width) {
    // The pages' width rules read the island's width.
    LivePreview::shared().width = width;
    const Size area = width < 560 ? compactPage : widePage;
    return page.frame({.width = area.width, .height = area.height})
        .padding(20)
        .background(RoundedRectangle(30, RoundedCornerStyle::continuous).fill(Color::black))
        .colorScheme(ColorScheme::dark);
}

Size canvas(double width) { return {(width < 560 ? compactPage : widePage).width + 60, 182}; }

// Pictures drawn here, so the scenes need no icon theme.
platform::Image picture(int w, int h, const std::function<std::array<std::uint8_t, 4>(int x, int y)>& pixel) {
    std::vector<std::uint8_t> rgba;
    rgba.reserve(static_cast<std::size_t>(w * h * 4));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const auto p = pixel(x, y);
            rgba.insert(rgba.end(), p.begin(), p.end());
        }
    return *platform::Image::fromRGBA(w, h, std::move(rgba));
}

// A page with a coloured band, as a file manager's document icon.
platform::Image documentIcon(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return picture(64, 64, [=](int x, int y) -> std::array<std::uint8_t, 4> {
        if (x < 12 || x > 51 || y < 4 || y > 59) return {0, 0, 0, 0};
        if (y > 38 && y < 50) return {r, g, b, 255};
        return {236, 238, 242, 255};
    });
}

// A landscape, as the thumbnail of a photograph.
platform::Image photo() {
    return picture(200, 150, [](int x, int y) -> std::array<std::uint8_t, 4> {
        if (y > 95 + 12 * std::sin(x / 25.0)) return {58, 110, 60, 255};
        return {static_cast<std::uint8_t>(120 + y / 2), static_cast<std::uint8_t>(170 + y / 3), 235, 255};
    });
}

// Icons by file extension and thumbnails of photographs, answered at once.
class SceneWorkspace final : public platform::Workspace {
public:
    Subscription onApplicationTerminated(std::function<void(const std::optional<std::string>&)>) override {
        return {};
    }
    bool isRunning(const std::string&) const override { return false; }
    std::optional<platform::RunningApplication> frontmostApplication() const override { return std::nullopt; }
    std::optional<std::string> applicationLocation(const std::string&) const override { return std::nullopt; }
    void openApplication(const std::string&) override {}
    std::optional<platform::Image> icon(const std::string&) const override { return std::nullopt; }
    std::optional<platform::Image> fileIcon(const std::string& path) const override {
        if (path.ends_with(".pdf")) return documentIcon(220, 60, 50);
        if (path.ends_with(".xlsx")) return documentIcon(40, 150, 80);
        return documentIcon(70, 120, 220);
    }
    void openFile(const std::string&) override {}
    void activateFileViewerSelecting(const std::vector<std::string>&) override {}
    void openURL(const std::string&) override {}
    platform::WorkItem thumbnail(const std::string& path, Size, double,
                                 std::function<void(std::optional<platform::Image>)> done) override {
        done(path.ends_with(".jpg") ? std::optional(photo()) : std::nullopt);
        return {};
    }
};

void installWorkspace() {
    static SceneWorkspace workspace;
    platform::Platform p = platform::installed();
    p.workspace = &workspace;
    platform::install(p);
}

// --- Weather

WeatherService& weather(const std::string& state) {
    static std::map<std::string, std::unique_ptr<WeatherService>> all;
    auto& w = all[state];
    if (w) return *w;
    w = std::make_unique<WeatherService>(WeatherService::Configuration{});
    if (state == "denied") w->locationDenied = true;
    if (state != "full") return *w;
    w->place = "Ciudad de México";
    w->temperature = 21.5;
    w->weatherCode = 2;
    w->high = 24.2;
    w->low = 11.6;
    std::vector<HourForecast> hours;
    const std::vector<std::pair<int, double>> next{{2, 22.4},  {3, 23.1}, {61, 19.6},
                                                   {63, 17.2}, {2, 15.8}, {0, 14.1}};
    for (std::size_t i = 0; i < next.size(); ++i) {
        const int hour = 15 + static_cast<int>(i);
        hours.push_back({"2026-05-14T" + std::to_string(hour) + ":00", std::to_string(hour - 12) + " p. m.",
                         next[i].second, next[i].first, hour < 20});
    }
    w->hours = hours;
    return *w;
}

View weatherPage(const std::string& state, double width) {
    return onIsland(View(WeatherPage{}).environmentObject(weather(state)), width);
}

const Scene weatherLoading{"weather-page-loading", canvas(343), [] { return weatherPage("loading", 343); }};
const Scene weatherDenied{"weather-page-denied", canvas(343), [] { return weatherPage("denied", 343); }};
const Scene weatherCompact{"weather-page-343", canvas(343), [] { return weatherPage("full", 343); }};
const Scene weatherWide{"weather-page-600", canvas(600), [] { return weatherPage("full", 600); }};
const Scene weatherBadge{"weather-badge", {120, 50}, [] {
                             return View(WeatherBadge{})
                                 .environmentObject(weather("full"))
                                 .padding(Edges::horizontal, 16)
                                 .padding(Edges::vertical, 10)
                                 .background(Capsule().fill(Color::black));
                         }};

// --- Calendar

CalendarService& calendar(const std::string& state) {
    static std::map<std::string, std::unique_ptr<CalendarService>> all;
    auto& c = all[state];
    if (c) return *c;
    c = std::make_unique<CalendarService>(nullptr, nullptr);
    if (state == "ask") return *c;
    c->access = state == "refused" ? CalendarService::Access::denied : CalendarService::Access::granted;
    if (state != "list") return *c;
    const Date now = platform::Clock::shared().date();
    const auto event = [&](std::string id, std::string title, double minutes, RGBA color,
                           std::optional<std::string> location) {
        const Date start = now.addingTimeInterval(minutes * 60);
        return UpcomingEvent{std::move(id), std::move(title),   start, start.addingTimeInterval(3600), false,
                             color,         std::move(location)};
    };
    c->events = std::vector<UpcomingEvent>{
        event("a", "Revisión de diseño", -12, {1, 0.58, 0, 1}, "Sala Tlaloc"),
        event("b", "Llamada con Lucía", 45, CalendarService::defaultColor, std::nullopt),
        event("c", "Entrega del informe trimestral", 150, {0.2, 0.78, 0.35, 1}, "Oficina central, piso 4"),
        event("d", "Cena con la familia Ortega", 320, {0.69, 0.32, 0.87, 1}, ""),
    };
    return *c;
}

View calendarPage(const std::string& state, double width) {
    return onIsland(View(CalendarPage{}).environmentObject(calendar(state)), width);
}

const Scene calendarAsk{"calendar-page-ask", canvas(343), [] { return calendarPage("ask", 343); }};
const Scene calendarRefused{"calendar-page-refused", canvas(343),
                            [] { return calendarPage("refused", 343); }};
const Scene calendarNothing{"calendar-page-nothing-left", canvas(343),
                            [] { return calendarPage("none", 343); }};
const Scene calendarCompact{"calendar-page-343", canvas(343), [] { return calendarPage("list", 343); }};
const Scene calendarWide{"calendar-page-600", canvas(600), [] { return calendarPage("list", 600); }};

// --- Timer (scenes are drawn at the date 0, and settle 3 s later)

TimerService& timer(const std::string& state) {
    static std::map<std::string, std::unique_ptr<TimerService>> all;
    auto& t = all[state];
    if (t) return *t;
    t = std::make_unique<TimerService>();
    if (state == "running") {
        t->total = 300;
        t->endDate = Date(272.4);
    } else if (state == "paused") {
        t->total = 600;
        t->pausedRemaining = 412;
    } else if (state == "hours") {
        t->total = 5400;
        t->pausedRemaining = 3725;
    }
    return *t;
}

View timerPage(const std::string& state) {
    return onIsland(View(TimerPage{}).environmentObject(timer(state)), 343);
}

const Scene timerIdle{"timer-page-idle", canvas(343), [] { return timerPage("idle"); }};
const Scene timerRunning{"timer-page-running", canvas(343), [] { return timerPage("running"); }};
const Scene timerPaused{"timer-page-paused", canvas(343), [] { return timerPage("paused"); }};
const Scene timerHours{"timer-page-over-an-hour", canvas(343), [] { return timerPage("hours"); }};

// --- Tray

TrayStore& tray(const std::string& state) {
    static std::map<std::string, std::unique_ptr<TrayStore>> all;
    auto& t = all[state];
    if (t) return *t;
    t = std::make_unique<TrayStore>();
    std::vector<std::string> names;
    if (state == "files")
        names = {"Atardecer en Oaxaca.jpg", "Presupuesto 2026.xlsx", "Contrato firmado.pdf"};
    if (state == "long")
        names = {"Presentación final del proyecto de investigación (versión revisada por el comité).pdf",
                 "Fotografía_del_equipo_completo_en_la_reunión_anual_de_Monterrey.jpg", "notas.txt"};
    std::vector<TrayItem> items;
    for (const auto& name : names) items.push_back({name, "/home/ana/Documentos/" + name});
    t->items = items;
    return *t;
}

View trayPanel(const std::string& state, bool targeted) {
    installWorkspace();
    return onIsland(View(TrayPanel{.isTargeted = targeted}).environmentObject(tray(state)), 343);
}

const Scene trayEmpty{"tray-panel-empty", canvas(343), [] { return trayPanel("empty", false); }};
const Scene trayTargeted{"tray-panel-targeted", canvas(343), [] { return trayPanel("empty", true); }};
const Scene trayLong{"tray-panel-long-names", canvas(343), [] { return trayPanel("long", false); }};
const Scene trayListTargeted{"tray-panel-list-targeted", canvas(343),
                             [] { return trayPanel("files", true); }};
// The pointer on the second file.
const Scene trayHovered{"tray-panel-hovered", canvas(343), [] { return trayPanel("files", false); },
                        Point{30 + 6 + 88 + 6 + 44, 100}};

}  // namespace

}  // namespace quorlix::snapshot
