// The weather service's choice of place, its reload timer and its code tables, on the fake
// platform. The requests and replies themselves run against a local server in
// tests/platform/weather_integration_test.cpp.

#include "services/weather_service.h"
#include "platform/atomic_file.h"
#include "platform/key_log.h"

#include "fakes/fake_platform.h"
#include "foundation/app_settings.h"

#include <gtest/gtest.h>

#include <memory>

namespace quorlix {
namespace {

using platform::LocationAuthorization;

class WeatherPlaceTest : public ::testing::Test {
protected:
    fakes::FakePlatform fake;
    fakes::FakeLocationManager& location = fake.location;
    std::unique_ptr<WeatherService> weather = std::make_unique<WeatherService>();

    AppSettings& settings() { return AppSettings::shared(); }
    std::size_t requests() const { return fake.httpClient.requests.size(); }
    std::string url(std::size_t index) const { return fake.httpClient.requests.at(index).request.url; }
    bool isSearch(std::size_t index) const {
        return url(index).starts_with("https://geocoding-api.open-meteo.com/v1/search?");
    }
    bool isForecast(std::size_t index) const {
        return url(index).starts_with("https://api.open-meteo.com/v1/forecast?");
    }
};

TEST_F(WeatherPlaceTest, BlankCityUsesTheDeviceLocation) {
    location.status = LocationAuthorization::authorized;
    settings().weatherCity = " \t ";
    weather->reloadLocation();
    EXPECT_EQ(location.locationRequests, 1);
    EXPECT_EQ(requests(), 0u);
    EXPECT_FALSE(weather->locationDenied.get());

    location.locationsUpdated.emit({});  // an empty list says nothing
    EXPECT_EQ(requests(), 0u);
    location.locationsUpdated.emit({{10, 10}, {19.4326, -99.1332}});
    ASSERT_EQ(requests(), 1u);
    EXPECT_TRUE(isForecast(0));
    EXPECT_NE(url(0).find("?latitude=19.43&longitude=-99.13&"), std::string::npos) << "the newest location";
}

TEST_F(WeatherPlaceTest, UndecidedAccessIsAskedForAndAGrantBringsALocation) {
    weather->start();
    EXPECT_EQ(location.accuracy, 3000);
    EXPECT_EQ(location.authorizationRequests, 1);
    EXPECT_EQ(location.locationRequests, 0);
    EXPECT_FALSE(weather->locationDenied.get());

    location.setStatus(LocationAuthorization::authorized);
    EXPECT_EQ(location.locationRequests, 1);
    EXPECT_EQ(location.authorizationRequests, 1) << "the callback never asks itself";
}

TEST_F(WeatherPlaceTest, DeniedOrRestrictedAccessSetsLocationDenied) {
    for (const auto status : {LocationAuthorization::denied, LocationAuthorization::restricted}) {
        location.status = status;
        weather->reloadLocation();
        EXPECT_TRUE(weather->locationDenied.get());
        EXPECT_EQ(location.locationRequests, 0);
        EXPECT_EQ(location.authorizationRequests, 0);
    }

    // Access granted later, in the system's settings.
    weather->start();
    location.setStatus(LocationAuthorization::authorized);
    EXPECT_FALSE(weather->locationDenied.get());
    EXPECT_EQ(location.locationRequests, 1);
    location.setStatus(LocationAuthorization::denied);
    EXPECT_TRUE(weather->locationDenied.get());
}

TEST_F(WeatherPlaceTest, LocationCallbacksAreIgnoredWhileACityIsSet) {
    location.status = LocationAuthorization::denied;
    weather->start();
    ASSERT_TRUE(weather->locationDenied.get());

    settings().weatherCity = "Lima";
    weather->reloadLocation();
    ASSERT_EQ(requests(), 1u);
    EXPECT_TRUE(isSearch(0));

    location.setStatus(LocationAuthorization::authorized);
    location.deliver(19.43, -99.13);
    EXPECT_TRUE(weather->locationDenied.get()) << "keeps the value it had when the city was set";
    EXPECT_EQ(location.locationRequests, 0);
    EXPECT_EQ(requests(), 1u) << "the device's location is dropped";
    EXPECT_FALSE(weather->place->has_value()) << "unchanged until the search answers";
}

TEST_F(WeatherPlaceTest, ClearingTheCityDropsThePlace) {
    settings().weatherCity = "Lima";
    weather->reloadLocation();
    fake.httpClient.respond(0, 200,
                            R"({"results": [{"name": "Lima", "latitude": -12.04, "longitude": -77.03}]})");
    ASSERT_EQ(weather->place.get(), "Lima");
    ASSERT_EQ(requests(), 2u);

    location.status = LocationAuthorization::authorized;
    settings().weatherCity = "";
    weather->reloadLocation();
    EXPECT_FALSE(weather->place->has_value());
    EXPECT_EQ(location.locationRequests, 1);
    weather->refresh();  // the place is being found again: nothing to fetch yet
    EXPECT_EQ(requests(), 2u);
}

TEST_F(WeatherPlaceTest, ReloadsEveryHalfHourUntilTheTimerIsDropped) {
    location.status = LocationAuthorization::authorized;
    weather->start();
    EXPECT_EQ(location.locationRequests, 1);
    fake.time.advance(1799);
    EXPECT_EQ(location.locationRequests, 1);
    fake.time.advance(1);
    EXPECT_EQ(location.locationRequests, 2);
    fake.time.advance(1800);
    EXPECT_EQ(location.locationRequests, 3);

    weather->timer.cancel();  // the weather was switched off
    fake.time.advance(7200);
    EXPECT_EQ(location.locationRequests, 3);
}

TEST_F(WeatherPlaceTest, TheHalfHourCountsTimeAsleep) {
    location.status = LocationAuthorization::authorized;
    weather->start();
    fake.time.advance(600);
    fake.time.suspend(8 * 3600);  // a night asleep
    EXPECT_EQ(location.locationRequests, 2) << "reloaded at wake";
    fake.time.advance(1799);
    EXPECT_EQ(location.locationRequests, 2);
    fake.time.advance(1);
    EXPECT_EQ(location.locationRequests, 3);
}

TEST_F(WeatherPlaceTest, LocationFailureIsLoggedAsText) {
    weather->start();
    ::testing::internal::CaptureStderr();
    location.failed.emit("sin señal al 100%s\n");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "Quorlix: ubicación no disponible: sin señal al 100%s \n");
    EXPECT_FALSE(platform::readFile(KeyLog::path())) << "the system log's line, not the file's";
}

TEST_F(WeatherPlaceTest, RepliesAfterTheServiceIsGoneAreDropped) {
    settings().weatherCity = "Lima";
    weather->reloadLocation();
    weather.reset();
    fake.httpClient.respond(0, 200,
                            R"({"results": [{"name": "Lima", "latitude": -12.04, "longitude": -77.03}]})");
    EXPECT_EQ(requests(), 1u);
}

TEST(WeatherServiceTest, CodeTables) {
    struct Row {
        int code;
        std::string summary, day, night;
    };
    const std::vector<Row> rows{
        {0, "Despejado", "sun.max.fill", "moon.stars.fill"},
        {2, "Parcialmente nublado", "cloud.sun.fill", "cloud.moon.fill"},
        {3, "Nublado", "cloud.fill", "cloud.fill"},
        {48, "Neblina", "cloud.fog.fill", "cloud.fog.fill"},
        {57, "Llovizna", "cloud.drizzle.fill", "cloud.drizzle.fill"},
        {65, "Lluvia", "cloud.heavyrain.fill", "cloud.heavyrain.fill"},
        {67, "Lluvia", "cloud.rain.fill", "cloud.rain.fill"},
        {81, "Lluvia", "cloud.rain.fill", "cloud.rain.fill"},
        {82, "Lluvia", "cloud.heavyrain.fill", "cloud.heavyrain.fill"},
        {86, "Nieve", "cloud.snow.fill", "cloud.snow.fill"},
        {99, "Tormenta", "cloud.bolt.rain.fill", "cloud.bolt.rain.fill"},
        {58, "\u2014", "cloud.fill", "cloud.fill"},
        {100, "\u2014", "cloud.fill", "cloud.fill"},
        {-1, "\u2014", "cloud.fill", "cloud.fill"},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(WeatherService::summary(r.code), r.summary) << r.code;
        EXPECT_EQ(WeatherService::symbol(r.code, true), r.day) << r.code;
        EXPECT_EQ(WeatherService::symbol(r.code, false), r.night) << r.code;
    }
}

}  // namespace
}  // namespace quorlix
