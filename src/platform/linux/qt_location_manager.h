#pragma once
// The device's location through Qt Positioning, which asks the desktop's location service
// (GeoClue).
//
// There is no permission to ask for up front: without a location source, or once the
// source has refused this application, access counts as denied for the rest of the run
// (the weather then asks for a city); otherwise it counts as allowed. A refusal is told
// through `authorizationChanged`; any other failure through `failed`. The desktop's source
// (Qt's positioning plugins) is looked for when the location is first asked about, not at
// start-up.

#include "platform/location_manager.h"

#include <memory>

class QGeoPositionInfoSource;

namespace quorlix::platform {

class QtLocationManager final : public LocationManager {
public:
    static constexpr int requestTimeoutMilliseconds = 60000;
    // The name the location service knows this application by.
    static constexpr const char* desktopId = "com.halvik.quorlix";

    // The desktop's default source, when it has one.
    QtLocationManager();
    // `source`, owned; none means no source.
    explicit QtLocationManager(std::unique_ptr<QGeoPositionInfoSource> source);
    ~QtLocationManager() override;

    LocationAuthorization authorizationStatus() const override;
    void setDesiredAccuracy(double meters) override;
    void requestWhenInUseAuthorization() override;
    void requestLocation() override;

private:
    // The source, looked for on first use; null when there is none.
    QGeoPositionInfoSource* source() const;
    void adopt(std::unique_ptr<QGeoPositionInfoSource> source);

    mutable std::unique_ptr<QGeoPositionInfoSource> source_;
    mutable bool looked_ = false;
    bool refused_ = false;
};

}  // namespace quorlix::platform
