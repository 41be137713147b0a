#pragma once
// The weather where the user is: current conditions, today's high and low, the next hours.
//
// The application calls `start()` while the weather is enabled, cancels `timer` when it is
// switched off, and calls `reloadLocation()` when the city changes and `refresh()` when the
// unit does. The weather page, its badge and the lock screen read the published values.
//
// The place is the city typed in the settings, found through the place search, or else the
// device's location. Every search and every forecast request is numbered: only the reply to
// the latest one is applied, so a slow reply for the previous city or unit can never
// overwrite a newer one. Failures are silent; the last values stay until a newer reply.
//
// Main thread only.

#include "platform/http_client.h"
#include "platform/location_manager.h"
#include "platform/published.h"
#include "platform/work_item.h"
#include "services/lifetime.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quorlix {

// One hour of the forecast.
struct HourForecast {
    // The hour exactly as the forecast gives it (local date and time to the minute).
    std::string id;
    // The hour for display ("3 p. m."), or the raw time when it cannot be read.
    std::string label;
    double temperature = 0;
    // WMO weather code.
    int code = 0;
    bool isDay = true;

    friend bool operator==(const HourForecast&, const HourForecast&) = default;
};

class WeatherService final : public ObservableObject {
public:
    static constexpr double refreshInterval = 1800;
    // How close the device's location needs to be, in metres.
    static constexpr double locationAccuracy = 3000;

    struct Configuration {
        platform::HttpClient* http = nullptr;
        platform::LocationManager* location = nullptr;
        // Scheme and host of the forecast and place search services.
        std::string forecastHost;
        std::string geocodingHost;
    };

    // The installed platform's HTTP client and location, and the public services.
    WeatherService();
    explicit WeatherService(Configuration configuration);

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
    // Fetches the forecast again for the current place and unit; nothing without a place.
    void refresh();

    // The Spanish text of the current weather code ("Despejado" ... "Tormenta", "—").
    std::string summary() const { return summary(weatherCode); }
    static std::string summary(int code);
    // The symbol name of a weather code, by day or by night.
    static std::string symbol(int code, bool isDay);

private:
    struct Forecast;

    void scheduleTick();
    void geocode(const std::string& city);
    void apply(const Forecast& forecast);

    void authorizationChanged();
    void locationsUpdated(const std::vector<platform::Coordinate>& locations);

    Configuration configuration_;
    std::optional<platform::Coordinate> coordinate_;
    // Numbers of the latest place search and forecast request.
    std::uint64_t placeRequest_ = 0;
    std::uint64_t forecastRequest_ = 0;
    Subscription authorizationSubscription_;
    Subscription locationSubscription_;
    Subscription failureSubscription_;
    Lifetime lifetime_;
};

}  // namespace quorlix
