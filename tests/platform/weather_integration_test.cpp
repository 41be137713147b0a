// The weather service over the real HTTP client, against a local server that plays the
// forecast and place search services: the exact requests, how replies are read, and that a
// late reply never overwrites a newer one.

#include "foundation/app_settings.h"
#include "services/weather_service.h"

#include "local_http_server.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace quorlix::testing {
namespace {

using platform::LocationAuthorization;

// The real client, counting the requests it was asked to make and the answers it has handed
// on (once counted, the answer's handler has run).
class CountingHttpClient final : public platform::HttpClient {
public:
    explicit CountingHttpClient(platform::HttpClient& inner) : inner_(inner) {}
    int asked = 0;
    int answered = 0;
    platform::HttpTask get(platform::HttpRequest request,
                           std::function<void(platform::HttpResult)> done) override {
        ++asked;
        return inner_.get(std::move(request), [this, done = std::move(done)](platform::HttpResult result) {
            ++answered;
            done(std::move(result));
        });
    }
    platform::HttpTask download(platform::HttpDownloadRequest request,
                                std::function<void(platform::HttpDownloadResult)> done) override {
        return inner_.download(std::move(request), std::move(done));
    }

private:
    platform::HttpClient& inner_;
};

// Runs with the process locale set to `name` (Qt sets the user's locale at start-up).
class ScopedLocale {
public:
    explicit ScopedLocale(const char* name) : saved_(std::setlocale(LC_ALL, nullptr)) {
        active_ = std::setlocale(LC_ALL, name) != nullptr;
    }
    ~ScopedLocale() { std::setlocale(LC_ALL, saved_.c_str()); }
    bool active() const { return active_; }

private:
    std::string saved_;
    bool active_ = false;
};

// Mexico City's forecast: seven hours from 12:00, 21.5° now, 25.1° to 11°.
const std::string forecast = R"({
  "latitude": 19.42, "longitude": -99.13, "timezone": "America/Mexico_City",
  "current": {"time": "2027-01-15T12:00", "temperature_2m": 21.5, "weather_code": 2, "is_day": 1},
  "daily": {"time": ["2027-01-15"], "temperature_2m_max": [25.1], "temperature_2m_min": [11]},
  "hourly": {
    "time": ["2027-01-15T12:00", "2027-01-15T13:00", "2027-01-15T14:00", "2027-01-15T15:00",
             "2027-01-15T16:00", "2027-01-15T17:00", "2027-01-15T18:00"],
    "temperature_2m": [21.5, 22.0, 23.4, 24.0, 23.1, 21.0, 19.2],
    "weather_code": [2, 2, 3, 61, 65, 80, 0],
    "is_day": [1, 1, 1, 1, 1, 1, 0]
  }
})";

const std::string searchPath = "/v1/search";
const std::string forecastPath = "/v1/forecast";
const std::string fixedItems =
    "&current=temperature_2m%2Cweather_code%2Cis_day&daily=temperature_2m_max%2Ctemperature_2m_min"
    "&hourly=temperature_2m%2Cweather_code%2Cis_day&forecast_hours=7&forecast_days=1&timezone=auto";

class WeatherIntegrationTest : public LocalServerTest {
protected:
    void SetUp() override {
        LocalServerTest::SetUp();
        location.status = LocationAuthorization::authorized;
        server.replies["/v1/forecast"] = {200, QByteArray::fromStdString(forecast)};
    }
    AppSettings& settings() { return AppSettings::shared(); }
    std::string target(std::size_t index) const { return server.requests.at(index).target.toStdString(); }
    ::testing::AssertionResult waitForRequests(std::size_t count) {
        return waitUntil([&] { return server.requests.size() >= count; });
    }
    ::testing::AssertionResult waitForAnswers(int count) {
        return waitUntil([&] { return counting.answered >= count; });
    }
    // The device's location is used and arrives at once.
    void locateAt(double latitude, double longitude) {
        weather.reloadLocation();
        location.deliver(latitude, longitude);
    }

    CountingHttpClient counting{http};
    fakes::FakeLocationManager location;
    WeatherService weather{{&counting, &location, server.base(), server.base()}};
};

TEST_F(WeatherIntegrationTest, ForecastRequestIsByteExactWhateverTheLocale) {
    {
        ScopedLocale spanish("es_ES.UTF-8");
        ASSERT_TRUE(spanish.active()) << "the es_ES.UTF-8 locale is not installed";
        ASSERT_STREQ(std::localeconv()->decimal_point, ",");
        locateAt(19.4326, -99.1332);
    }
    ASSERT_TRUE(waitForRequests(1));
    EXPECT_EQ(target(0),
              forecastPath + "?latitude=19.43&longitude=-99.13" + fixedItems + "&temperature_unit=celsius");

    settings().useFahrenheit = true;
    weather.refresh();
    ASSERT_TRUE(waitForRequests(2));
    EXPECT_EQ(target(1), forecastPath + "?latitude=19.43&longitude=-99.13" + fixedItems +
                             "&temperature_unit=fahrenheit");
}

TEST_F(WeatherIntegrationTest, ForecastIsReadIntoTheCurrentValuesAndSixHours) {
    locateAt(19.4326, -99.1332);
    ASSERT_TRUE(waitUntil([&] { return weather.temperature->has_value(); }));
    EXPECT_EQ(weather.temperature.get(), 21.5);
    EXPECT_EQ(weather.weatherCode.get(), 2);
    EXPECT_TRUE(weather.isDay.get());
    EXPECT_EQ(weather.high.get(), 25.1);
    EXPECT_EQ(weather.low.get(), 11.0);
    EXPECT_EQ(weather.summary(), "Parcialmente nublado");
    EXPECT_FALSE(weather.place->has_value());

    const std::vector<HourForecast> expected{
        {"2027-01-15T13:00", "1 p.\u00a0m.", 22.0, 2, true},
        {"2027-01-15T14:00", "2 p.\u00a0m.", 23.4, 3, true},
        {"2027-01-15T15:00", "3 p.\u00a0m.", 24.0, 61, true},
        {"2027-01-15T16:00", "4 p.\u00a0m.", 23.1, 65, true},
        {"2027-01-15T17:00", "5 p.\u00a0m.", 21.0, 80, true},
        {"2027-01-15T18:00", "6 p.\u00a0m.", 19.2, 0, false},
    };
    EXPECT_EQ(weather.hours.get(), expected);
}

TEST_F(WeatherIntegrationTest, HourlyGapsAndUnreadableTimes) {
    // An unreadable time keeps its text; an hour without a weather code is dropped without
    // ending the list; an hour without a day flag counts as day; three times give two hours.
    server.replies["/v1/forecast"].body = R"({
      "current": {"temperature_2m": 3, "weather_code": 71, "is_day": 0},
      "daily": {"temperature_2m_max": [], "temperature_2m_min": [-2.5]},
      "hourly": {"time": ["2027-01-15T00:00", "mañana", "2027-01-15T02:00", "2027-01-15T03:00",
                          "2027-01-15T04:00", "2027-01-15T05:00", "2027-01-15T06:00", "2027-01-15T07:00"],
                 "temperature_2m": [3, 2, 1, 0, -1, -2, -3, -4],
                 "weather_code": [71, 71, 73, 75],
                 "is_day": [0, 0, 0]}
    })";
    locateAt(-33.45, -70.66);
    ASSERT_TRUE(waitUntil([&] { return weather.temperature->has_value(); }));
    EXPECT_FALSE(weather.isDay.get());
    EXPECT_FALSE(weather.high->has_value()) << "no maximum in the reply";
    EXPECT_EQ(weather.low.get(), -2.5);
    const std::vector<HourForecast> expected{
        {"mañana", "mañana", 2, 71, false},
        {"2027-01-15T02:00", "2 a.\u00a0m.", 1, 73, false},
        {"2027-01-15T03:00", "3 a.\u00a0m.", 0, 75, true},
    };
    EXPECT_EQ(weather.hours.get(), expected);

    server.replies["/v1/forecast"].body = R"({
      "current": {"temperature_2m": 4, "weather_code": 3, "is_day": 1},
      "daily": {"temperature_2m_max": [9], "temperature_2m_min": [1]},
      "hourly": {"time": ["2027-01-15T08:00", "2027-01-15T09:00", "2027-01-15T10:00"],
                 "temperature_2m": [4, 5, 6], "weather_code": [3, 3, 3], "is_day": [1, 1, 1]}
    })";
    weather.refresh();
    ASSERT_TRUE(waitUntil([&] { return weather.hours->size() == 2; }));
    EXPECT_EQ(weather.hours.get()[0].id, "2027-01-15T09:00");
}

TEST_F(WeatherIntegrationTest, ReplyWithoutHourlyEmptiesTheHoursAndUnreadableOnesChangeNothing) {
    locateAt(19.43, -99.13);
    ASSERT_TRUE(waitUntil([&] { return weather.hours->size() == 6; }));

    server.replies["/v1/forecast"].body =
        R"({"current": {"temperature_2m": 18, "weather_code": 0, "is_day": 1},
      "daily": {"temperature_2m_max": [20], "temperature_2m_min": [10]}})";
    weather.refresh();
    ASSERT_TRUE(waitUntil([&] { return weather.hours->empty(); }));
    EXPECT_EQ(weather.temperature.get(), 18.0);
    EXPECT_EQ(weather.high.get(), 20.0);

    // A missing key, a wrong type, or no JSON at all: nothing is published.
    for (const char* body : {R"({"current": {"temperature_2m": 30, "weather_code": 0},
                                "daily": {"temperature_2m_max": [31], "temperature_2m_min": [1]}})",
                             R"({"current": {"temperature_2m": "30", "weather_code": 0, "is_day": 1},
                                "daily": {"temperature_2m_max": [31], "temperature_2m_min": [1]}})",
                             R"({"current": {"temperature_2m": 30, "weather_code": 0, "is_day": 1},
                                "daily": {"temperature_2m_max": [31], "temperature_2m_min": [1]},
                                "hourly": {"time": ["2027-01-15T08:00"]}})",
                             "<html>"}) {
        server.replies["/v1/forecast"].body = body;
        const int before = counting.answered;
        weather.refresh();
        ASSERT_TRUE(waitForAnswers(before + 1));
        EXPECT_EQ(weather.temperature.get(), 18.0) << body;
    }

    // The status is not looked at: a readable body is a reply.
    server.replies["/v1/forecast"] = {500,
                                      R"({"current": {"temperature_2m": 7, "weather_code": 45, "is_day": 1},
      "daily": {"temperature_2m_max": [8], "temperature_2m_min": [2]}})"};
    weather.refresh();
    ASSERT_TRUE(waitUntil([&] { return weather.temperature.get() == 7.0; }));
}

TEST_F(WeatherIntegrationTest, TypedCityIsTrimmedEncodedAndFound) {
    server.replies["/v1/search"] = {
        200, R"({"results": [{"id": 1, "name": "San José", "latitude": 9.9281, "longitude": -84.0907},
                             {"name": "San José de Cúcuta", "latitude": 7.89, "longitude": -72.5}]})"};
    // Spaces, tabs and a no-break space around it go; "&", "+", "=" and "#" stay in the name.
    settings().weatherCity = " \tSan José & Co+1=#2\u00a0\t";
    weather.reloadLocation();
    ASSERT_TRUE(waitForRequests(2));
    EXPECT_EQ(target(0), searchPath + "?name=San%20Jos%C3%A9%20%26%20Co%2B1%3D%232&count=1&language=es");
    EXPECT_EQ(target(1),
              forecastPath + "?latitude=9.93&longitude=-84.09" + fixedItems + "&temperature_unit=celsius");
    ASSERT_TRUE(waitUntil([&] { return weather.temperature->has_value(); }));
    EXPECT_EQ(weather.place.get(), "San José") << "the name the service gave, not the one typed";
    EXPECT_EQ(location.locationRequests, 0) << "a typed city never asks for the device's location";
}

TEST_F(WeatherIntegrationTest, UnknownCityLeavesNoPlaceToRefresh) {
    for (const char* body : {R"({"generationtime_ms": 0.5})", R"({"results": []})"}) {
        server.replies["/v1/search"] = {200, body};
        settings().weatherCity = "Ningunaparte";
        const int before = counting.answered;
        weather.reloadLocation();
        ASSERT_TRUE(waitForAnswers(before + 1));
    }
    weather.refresh();  // a change of unit, say
    EXPECT_EQ(counting.asked, 2) << "only the two searches: no place, no forecast";
    EXPECT_FALSE(weather.place->has_value());
}

TEST_F(WeatherIntegrationTest, LateForecastForTheOldUnitIsDropped) {
    server.replies["/v1/forecast"].held = true;
    locateAt(19.43, -99.13);
    settings().useFahrenheit = true;
    weather.refresh();
    ASSERT_TRUE(waitUntil([&] { return server.heldCount() == 2; }));
    const auto reply = [](int temperature) {
        return QByteArray::fromStdString(
            R"({"current": {"temperature_2m": )" + std::to_string(temperature) +
            R"(, "weather_code": 0, "is_day": 1}, "daily": {"temperature_2m_max": [1], "temperature_2m_min": [0]}})");
    };
    server.release(1, reply(71));  // the Fahrenheit reply comes first
    ASSERT_TRUE(waitForAnswers(1));
    EXPECT_EQ(weather.temperature.get(), 71.0);
    server.release(0, reply(22));  // then the Celsius one, late
    ASSERT_TRUE(waitForAnswers(2));
    EXPECT_EQ(weather.temperature.get(), 71.0);
}

TEST_F(WeatherIntegrationTest, LateSearchForThePreviousCityIsDropped) {
    server.replies["/v1/search"] = {200, {}, "application/json", false, true};
    settings().weatherCity = "Lima";
    weather.reloadLocation();
    settings().weatherCity = "Quito";
    weather.reloadLocation();
    ASSERT_TRUE(waitUntil([&] { return server.heldCount() == 2; }));

    server.release(1, R"({"results": [{"name": "Quito", "latitude": -0.2299, "longitude": -78.5249}]})");
    ASSERT_TRUE(waitUntil([&] { return weather.temperature->has_value(); }));
    server.release(0, R"({"results": [{"name": "Lima", "latitude": -12.0432, "longitude": -77.0282}]})");
    ASSERT_TRUE(waitForAnswers(3));
    EXPECT_EQ(weather.place.get(), "Quito");
    EXPECT_EQ(counting.asked, 3) << "two searches and the forecast for Quito only";
    ASSERT_EQ(server.requests.size(), 3u);
    EXPECT_EQ(target(2),
              forecastPath + "?latitude=-0.23&longitude=-78.52" + fixedItems + "&temperature_unit=celsius");

    // Clearing the city hands over to the device's location; a search still on its way is
    // dropped with the city.
    settings().weatherCity = "Cusco";
    weather.reloadLocation();
    ASSERT_TRUE(waitUntil([&] { return server.heldCount() == 3; }));
    settings().weatherCity = "";
    weather.reloadLocation();
    server.release(2, R"({"results": [{"name": "Cusco", "latitude": -13.5, "longitude": -71.97}]})");
    ASSERT_TRUE(waitForAnswers(4));
    EXPECT_FALSE(weather.place->has_value());
    EXPECT_EQ(location.locationRequests, 1);
}

}  // namespace
}  // namespace quorlix::testing
