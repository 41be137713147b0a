#pragma once
// The weather where the user is: current conditions, today's high and low, the next hours.
//
// The application calls `start()` while the weather is enabled, cancels `timer` when it is
// switched off, and calls `reloadLocation()` or `refresh()` when the city or the unit
// changes. The weather page, its badge and the lock screen read the published values.
//
// The place and the forecast come from the location and HTTP backends; until they are
// attached nothing is fetched and the published values keep their initial state. Main thread
// only.

#include "platform/published.h"
#include "platform/work_item.h"

#include <optional>
#include <string>
#include <vector>

namespace quorlix {

// One hour of the forecast.
struct HourForecast {
    // The hour exactly as the forecast gives it (local date and time to the minute).
    std::string id;
    // The hour for display ("3 p. m.").
    std::string label;
    double temperature = 0;
    // WMO weather code.
    int code = 0;
    bool isDay = true;

    friend bool operator==(const HourForecast&, const HourForecast&) = default;
};

class WeatherService final : public ObservableObject {
public:
    // The next hours, at most 6.
    Published<std::vector<HourForecast>> hours{this, {}};
    // In the unit that was asked for.
    Published<std::optional<double>> temperature{this, std::nullopt};
    Published<int> weatherCode{this, 0};
    Published<bool> isDay{this, true};
    Published<std::optional<double>> high{this, std::nullopt};
    Published<std::optional<double>> low{this, std::nullopt};
    // The geocoded city; none while the device's location is used.
    Published<std::optional<std::string>> place{this, std::nullopt};
    Published<bool> locationDenied{this, false};

    // The pending tick of the 30-minute reload; cancelling it stops the reloads.
    platform::WorkItem timer;

    // Starts the reload timer and finds the place.
    void start();
    // Finds the place again (the typed city, else the device's location) and refreshes.
    void reloadLocation();
    // Fetches the forecast again for the current place and unit.
    void refresh();

    // The Spanish text of the current weather code ("Despejado" ... "Tormenta", "—").
    std::string summary() const { return summary(weatherCode); }
    static std::string summary(int code);
    // The symbol name of a weather code, by day or by night.
    static std::string symbol(int code, bool isDay);
};

}  // namespace quorlix
