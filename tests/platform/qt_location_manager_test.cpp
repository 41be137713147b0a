// The Qt location backend over a scripted position source: locations, failures and a refusal,
// and how the weather reads a refusal.

#include "platform/linux/qt_location_manager.h"
#include "fakes/fake_platform.h"
#include "foundation/app_settings.h"
#include "services/weather_service.h"

#include "qt_test_support.h"

#include <QDateTime>
#include <QGeoCoordinate>
#include <QGeoPositionInfo>
#include <QGeoPositionInfoSource>

#include <gtest/gtest.h>

namespace quorlix::testing {
namespace {

using platform::LocationAuthorization;

// A source the test answers for: it counts requests and emits what the test tells it to.
class ScriptedSource final : public QGeoPositionInfoSource {
public:
    ScriptedSource() : QGeoPositionInfoSource(nullptr) {}
    int requests = 0;
    int lastTimeout = -1;

    QGeoPositionInfo lastKnownPosition(bool) const override { return {}; }
    PositioningMethods supportedPositioningMethods() const override { return AllPositioningMethods; }
    int minimumUpdateInterval() const override { return 1000; }
    Error error() const override { return NoError; }
    void startUpdates() override {}
    void stopUpdates() override {}
    void requestUpdate(int timeout) override {
        ++requests;
        lastTimeout = timeout;
    }
};

class QtLocationManagerTest : public ::testing::Test {
protected:
    QtLocationManagerTest() {
        auto owned = std::make_unique<ScriptedSource>();
        source = owned.get();
        manager = std::make_unique<platform::QtLocationManager>(std::move(owned));
        subscriptions.push_back(
            manager->locationsUpdated.connect([this](const std::vector<platform::Coordinate>& list) {
                locations.insert(locations.end(), list.begin(), list.end());
            }));
        subscriptions.push_back(
            manager->failed.connect([this](const std::string& reason) { failures.push_back(reason); }));
        subscriptions.push_back(manager->authorizationChanged.connect([this] { ++authorizationChanges; }));
    }

    QtApplicationMember application;
    fakes::FakePlatform fake;
    ScriptedSource* source = nullptr;
    std::unique_ptr<platform::QtLocationManager> manager;
    std::vector<Subscription> subscriptions;
    std::vector<platform::Coordinate> locations;
    std::vector<std::string> failures;
    int authorizationChanges = 0;
};

TEST_F(QtLocationManagerTest, OneRequestBringsOneLocation) {
    EXPECT_EQ(manager->authorizationStatus(), LocationAuthorization::authorized);
    manager->setDesiredAccuracy(3000);
    EXPECT_EQ(source->preferredPositioningMethods(), QGeoPositionInfoSource::NonSatellitePositioningMethods);
    manager->requestLocation();
    EXPECT_EQ(source->requests, 1);
    EXPECT_GT(source->lastTimeout, 0);

    source->positionUpdated(
        QGeoPositionInfo(QGeoCoordinate(19.4326, -99.1332), QDateTime::currentDateTimeUtc()));
    EXPECT_EQ(locations, (std::vector<platform::Coordinate>{{19.4326, -99.1332}}));
    source->positionUpdated(QGeoPositionInfo());
    EXPECT_EQ(locations.size(), 1u);
    EXPECT_EQ(failures.size(), 1u) << "a position without a coordinate is a failure";
}

TEST_F(QtLocationManagerTest, FailuresAreToldAndARefusalDeniesForTheRun) {
    source->errorOccurred(QGeoPositionInfoSource::UpdateTimeoutError);
    EXPECT_EQ(failures, std::vector<std::string>{"se agotó el tiempo de espera"});
    EXPECT_EQ(manager->authorizationStatus(), LocationAuthorization::authorized);

    source->errorOccurred(QGeoPositionInfoSource::AccessError);
    source->errorOccurred(QGeoPositionInfoSource::AccessError);
    EXPECT_EQ(authorizationChanges, 1);
    EXPECT_EQ(manager->authorizationStatus(), LocationAuthorization::denied);
    manager->requestLocation();
    EXPECT_EQ(source->requests, 0);
}

TEST_F(QtLocationManagerTest, WithoutASourceAccessIsDenied) {
    platform::QtLocationManager none(nullptr);
    EXPECT_EQ(none.authorizationStatus(), LocationAuthorization::denied);
    none.setDesiredAccuracy(3000);
    none.requestLocation();
    none.requestWhenInUseAuthorization();
}

TEST_F(QtLocationManagerTest, WeatherAsksForACityOnceRefused) {
    WeatherService weather({&fake.httpClient, manager.get(), "https://forecast.test", "https://search.test"});
    weather.start();
    EXPECT_EQ(source->requests, 1);
    EXPECT_FALSE(weather.locationDenied.get());

    source->errorOccurred(QGeoPositionInfoSource::AccessError);
    EXPECT_TRUE(weather.locationDenied.get());
    weather.reloadLocation();
    EXPECT_EQ(source->requests, 1);
    EXPECT_TRUE(weather.locationDenied.get());
}

}  // namespace
}  // namespace quorlix::testing
