#include "services/weather_service.h"

namespace quorlix {

namespace {
bool between(int code, int low, int high) { return code >= low && code <= high; }
}  // namespace

// Without a location source and an HTTP client there is no place to find and nothing to
// fetch; the weather backend fills these in.
void WeatherService::start() {}
void WeatherService::reloadLocation() {}
void WeatherService::refresh() {}

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
