#include "services/weather_service.h"

#include "foundation/app_settings.h"
#include "foundation/quorlix_config.h"
#include "platform/key_log.h"
#include "platform/number_text.h"
#include "platform/platform.h"
#include "platform/url_query.h"
#include "services/date_text.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <limits>

namespace quorlix {

using platform::LocationAuthorization;

namespace {

using Json = nlohmann::json;

// The hourly part of a forecast, lists side by side.
struct Hourly {
    std::vector<std::string> time;
    std::vector<double> temperature;
    std::vector<int> code;
    std::vector<int> isDay;
};

struct Place {
    std::string name;
    platform::Coordinate coordinate;
};

// The forecast covers the current hour and the six after it; the current one is skipped.
constexpr int forecastHours = 7;
constexpr const char* hourFormat = "yyyy-MM-dd'T'HH:mm";

bool between(int code, int low, int high) { return code >= low && code <= high; }

// --- reading the replies -------------------------------------------------------------------
// Every listed key is required and typed: a missing key or a value of another type makes
// the whole reply unreadable. Unknown keys are ignored.

const Json* member(const Json& object, const char* key) {
    if (!object.is_object()) return nullptr;
    const auto it = object.find(key);
    return it == object.end() ? nullptr : &*it;
}

std::optional<double> number(const Json* value) {
    if (!value || !value->is_number()) return std::nullopt;
    const double d = value->get<double>();
    if (!std::isfinite(d)) return std::nullopt;
    return d;
}

// A whole number that fits an int; a whole value written with a point ("3.0") counts too.
std::optional<int> integer(const Json* value) {
    if (!value || !value->is_number()) return std::nullopt;
    if (value->is_number_unsigned()) {
        const auto u = value->get<std::uint64_t>();
        if (u > static_cast<std::uint64_t>(std::numeric_limits<int>::max())) return std::nullopt;
        return static_cast<int>(u);
    }
    if (value->is_number_integer()) {
        const auto i = value->get<std::int64_t>();
        if (i < std::numeric_limits<int>::min() || i > std::numeric_limits<int>::max()) return std::nullopt;
        return static_cast<int>(i);
    }
    const double d = value->get<double>();
    if (d != std::floor(d) || d < std::numeric_limits<int>::min() || d > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(d);
}

std::optional<std::string> text(const Json* value) {
    if (!value || !value->is_string()) return std::nullopt;
    return value->get<std::string>();
}

template <class T, class Read>
std::optional<std::vector<T>> list(const Json* value, Read read) {
    if (!value || !value->is_array()) return std::nullopt;
    std::vector<T> out;
    out.reserve(value->size());
    for (const auto& element : *value) {
        auto item = read(&element);
        if (!item) return std::nullopt;
        out.push_back(std::move(*item));
    }
    return out;
}

bool absent(const Json* value) { return !value || value->is_null(); }

std::optional<Json> parse(const std::string& body) {
    Json json = Json::parse(body, nullptr, false);
    if (json.is_discarded()) return std::nullopt;
    return json;
}

// The first place a search found; nothing when it found none or the reply is unreadable.
std::optional<Place> firstPlace(const std::string& body) {
    const auto json = parse(body);
    if (!json || !json->is_object()) return std::nullopt;
    const Json* results = member(*json, "results");
    if (absent(results)) return std::nullopt;
    const auto places = list<Place>(results, [](const Json* p) -> std::optional<Place> {
        const auto name = text(member(*p, "name"));
        const auto latitude = number(member(*p, "latitude"));
        const auto longitude = number(member(*p, "longitude"));
        if (!name || !latitude || !longitude) return std::nullopt;
        return Place{*name, {*latitude, *longitude}};
    });
    if (!places || places->empty()) return std::nullopt;
    return places->front();
}

std::optional<Hourly> readHourly(const Json* value) {
    if (!value || !value->is_object()) return std::nullopt;
    auto time = list<std::string>(member(*value, "time"), text);
    auto temperature = list<double>(member(*value, "temperature_2m"), number);
    auto code = list<int>(member(*value, "weather_code"), integer);
    auto isDay = list<int>(member(*value, "is_day"), integer);
    if (!time || !temperature || !code || !isDay) return std::nullopt;
    return Hourly{std::move(*time), std::move(*temperature), std::move(*code), std::move(*isDay)};
}

// The hours after the current one, at most six. An hour whose temperature or code is
// missing is left out; a missing day flag counts as day.
std::vector<HourForecast> hoursFrom(const std::optional<Hourly>& hourly) {
    std::vector<HourForecast> out;
    if (!hourly) return out;
    const auto count = std::min<std::size_t>(hourly->time.size(), forecastHours);
    for (std::size_t i = 1; i < count; ++i) {
        if (i >= hourly->temperature.size() || i >= hourly->code.size()) continue;
        const std::string& time = hourly->time[i];
        const auto date = parseDate(time, hourFormat);
        out.push_back({time, date ? formatDate(*date, "h a", "es_MX", true) : time, hourly->temperature[i],
                       hourly->code[i], i >= hourly->isDay.size() || hourly->isDay[i] == 1});
    }
    return out;
}

// `text` without the blanks at either end: tabs and the space separators, not line breaks.
std::string trimmedBlanks(const std::string& text) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto length = static_cast<std::int32_t>(text.size());
    auto blank = [](UChar32 c) { return c == '\t' || u_charType(c) == U_SPACE_SEPARATOR; };
    std::int32_t begin = 0;
    while (begin < length) {
        std::int32_t next = begin;
        UChar32 c;
        U8_NEXT(bytes, next, length, c);
        if (!blank(c)) break;
        begin = next;
    }
    std::int32_t end = length;
    while (end > begin) {
        std::int32_t previous = end;
        UChar32 c;
        U8_PREV(bytes, begin, previous, c);
        if (!blank(c)) break;
        end = previous;
    }
    return text.substr(static_cast<std::size_t>(begin), static_cast<std::size_t>(end - begin));
}

std::string typedCity() { return trimmedBlanks(AppSettings::shared().weatherCity.get()); }

bool isDenied(LocationAuthorization status) {
    return status == LocationAuthorization::restricted || status == LocationAuthorization::denied;
}

}  // namespace

struct WeatherService::Forecast {
    double temperature = 0;
    int code = 0;
    int isDay = 1;
    std::vector<double> max;
    std::vector<double> min;
    std::optional<Hourly> hourly;

    static std::optional<Forecast> decode(const std::string& body) {
        const auto json = parse(body);
        if (!json || !json->is_object()) return std::nullopt;
        const Json* current = member(*json, "current");
        const Json* daily = member(*json, "daily");
        if (!current || !current->is_object() || !daily || !daily->is_object()) return std::nullopt;
        const auto temperature = number(member(*current, "temperature_2m"));
        const auto code = integer(member(*current, "weather_code"));
        const auto isDay = integer(member(*current, "is_day"));
        auto max = list<double>(member(*daily, "temperature_2m_max"), number);
        auto min = list<double>(member(*daily, "temperature_2m_min"), number);
        if (!temperature || !code || !isDay || !max || !min) return std::nullopt;
        Forecast forecast{*temperature, *code, *isDay, std::move(*max), std::move(*min), std::nullopt};
        if (const Json* hourly = member(*json, "hourly"); !absent(hourly)) {
            forecast.hourly = readHourly(hourly);
            if (!forecast.hourly) return std::nullopt;
        }
        return forecast;
    }
};

WeatherService::WeatherService()
    : WeatherService(Configuration{platform::installed().httpClient, platform::installed().location,
                                   QuorlixConfig::forecastHost(), QuorlixConfig::geocodingHost()}) {}

WeatherService::WeatherService(Configuration configuration) : configuration_(std::move(configuration)) {
    // Listening from the start, so a location asked for before `start()` is not lost.
    auto* location = configuration_.location;
    if (!location) return;
    authorizationSubscription_ = location->authorizationChanged.connect([this] { authorizationChanged(); });
    locationSubscription_ = location->locationsUpdated.connect(
        [this](const std::vector<platform::Coordinate>& locations) { locationsUpdated(locations); });
    failureSubscription_ = location->failed.connect(
        [](const std::string& reason) { KeyLog::system("Quorlix: ubicación no disponible: " + reason); });
}

void WeatherService::start() {
    if (auto* location = configuration_.location) location->setDesiredAccuracy(locationAccuracy);
    scheduleTick();
    reloadLocation();
}

void WeatherService::scheduleTick() {
    // Half an hour of the user's time: a night asleep reloads at wake.
    timer = platform::MainQueue::shared().afterUptime(refreshInterval, [this] {
        scheduleTick();
        reloadLocation();
    });
}

void WeatherService::reloadLocation() {
    coordinate_.reset();
    // Whatever is still on its way belongs to the place being replaced.
    ++placeRequest_;
    ++forecastRequest_;
    const std::string city = typedCity();
    if (!city.empty()) {
        geocode(city);
        return;
    }
    place = std::nullopt;
    auto* location = configuration_.location;
    const auto status = location ? location->authorizationStatus() : LocationAuthorization::denied;
    locationDenied = isDenied(status);
    if (!location) return;
    if (status == LocationAuthorization::notDetermined) {
        location->requestWhenInUseAuthorization();
    } else if (!locationDenied) {
        location->requestLocation();
    }
}

void WeatherService::geocode(const std::string& city) {
    if (!configuration_.http) return;
    platform::HttpRequest request;
    request.url = platform::addressWithQuery(configuration_.geocodingHost, "/v1/search",
                                             {{"name", city}, {"count", "1"}, {"language", "es"}});
    configuration_.http
        ->get(std::move(request),
              lifetime_.guard([this, ticket = placeRequest_](platform::HttpResult result) {
                  if (ticket != placeRequest_ || !result.response) return;
                  const auto found = firstPlace(result.response->body);
                  if (!found) return;
                  coordinate_ = found->coordinate;
                  place = found->name;
                  refresh();
              }))
        .detach();
}

void WeatherService::refresh() {
    if (!coordinate_ || !configuration_.http) return;
    const bool fahrenheit = AppSettings::shared().useFahrenheit.get();
    platform::HttpRequest request;
    request.url =
        platform::addressWithQuery(configuration_.forecastHost, "/v1/forecast",
                                   {
                                       {"latitude", platform::formatNumber(coordinate_->latitude, 2)},
                                       {"longitude", platform::formatNumber(coordinate_->longitude, 2)},
                                       {"current", "temperature_2m,weather_code,is_day"},
                                       {"daily", "temperature_2m_max,temperature_2m_min"},
                                       {"hourly", "temperature_2m,weather_code,is_day"},
                                       {"forecast_hours", "7"},
                                       {"forecast_days", "1"},
                                       {"timezone", "auto"},
                                       {"temperature_unit", fahrenheit ? "fahrenheit" : "celsius"},
                                   });
    configuration_.http
        ->get(std::move(request),
              lifetime_.guard([this, ticket = ++forecastRequest_](platform::HttpResult result) {
                  if (ticket != forecastRequest_ || !result.response) return;
                  if (const auto forecast = Forecast::decode(result.response->body)) apply(*forecast);
              }))
        .detach();
}

void WeatherService::apply(const Forecast& forecast) {
    temperature = forecast.temperature;
    weatherCode = forecast.code;
    isDay = forecast.isDay == 1;
    high = forecast.max.empty() ? std::nullopt : std::optional<double>(forecast.max.front());
    low = forecast.min.empty() ? std::nullopt : std::optional<double>(forecast.min.front());
    hours = hoursFrom(forecast.hourly);
}

void WeatherService::authorizationChanged() {
    if (!typedCity().empty()) return;
    const auto status = configuration_.location->authorizationStatus();
    locationDenied = isDenied(status);
    if (status != LocationAuthorization::notDetermined && !locationDenied)
        configuration_.location->requestLocation();
}

void WeatherService::locationsUpdated(const std::vector<platform::Coordinate>& locations) {
    if (locations.empty() || !typedCity().empty()) return;
    coordinate_ = locations.back();
    refresh();
}

std::string WeatherService::summary(int code) {
    if (code == 0) return "Despejado";
    if (code == 1) return "Mayormente despejado";
    if (code == 2) return "Parcialmente nublado";
    if (code == 3) return "Nublado";
    if (code == 45 || code == 48) return "Neblina";
    if (between(code, 51, 57)) return "Llovizna";
    if (between(code, 61, 67) || code == 80 || code == 81 || code == 82) return "Lluvia";
    if (between(code, 71, 77) || code == 85 || code == 86) return "Nieve";
    if (between(code, 95, 99)) return "Tormenta";
    return "\u2014";
}

std::string WeatherService::symbol(int code, bool isDay) {
    if (code == 0) return isDay ? "sun.max.fill" : "moon.stars.fill";
    if (code == 1 || code == 2) return isDay ? "cloud.sun.fill" : "cloud.moon.fill";
    if (code == 3) return "cloud.fill";
    if (code == 45 || code == 48) return "cloud.fog.fill";
    if (between(code, 51, 57)) return "cloud.drizzle.fill";
    if (code == 65 || code == 82) return "cloud.heavyrain.fill";
    if (between(code, 61, 64) || code == 66 || code == 67 || code == 80 || code == 81)
        return "cloud.rain.fill";
    if (between(code, 71, 77) || code == 85 || code == 86) return "cloud.snow.fill";
    if (between(code, 95, 99)) return "cloud.bolt.rain.fill";
    return "cloud.fill";
}

}  // namespace quorlix
