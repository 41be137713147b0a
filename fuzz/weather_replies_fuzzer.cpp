// Replies of the weather service, through the service itself: the place search, then the
// forecast (the input's two halves, cut at its first NUL byte).

#include "foundation/app_settings.h"
#include "fuzz_support.h"
#include "services/weather_service.h"

namespace {

constexpr const char* lima = R"({"results": [{"name": "Lima", "latitude": -12.04, "longitude": -77.03}]})";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quorlix;
    auto& fake = fuzzing::fakePlatform();
    static WeatherService& weather = []() -> WeatherService& {
        AppSettings::shared().weatherCity = "Lima";
        static WeatherService service;
        return service;
    }();
    const auto [search, forecast] = fuzzing::halves(fuzzing::text(data, size));
    auto& http = fake.httpClient;
    http.requests.clear();
    weather.reloadLocation();
    if (http.requests.size() == 1) http.respond(0, 200, std::string(search));
    // A search that found nothing usable asks for no forecast: find the place for it then.
    if (http.requests.size() == 1) {
        weather.reloadLocation();
        if (http.requests.size() == 2) http.respond(1, 200, lima);
    }
    if (!http.requests.empty() && !http.requests.back().answered)
        http.respond(http.requests.size() - 1, 200, std::string(forecast));
    weather.summary();
    return 0;
}
