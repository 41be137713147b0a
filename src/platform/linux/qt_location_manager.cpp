#include "platform/linux/qt_location_manager.h"

#include <QGeoCoordinate>
#include <QGeoPositionInfo>
#include <QGeoPositionInfoSource>
#include <QVariantMap>

namespace quorlix::platform {

namespace {

std::unique_ptr<QGeoPositionInfoSource> defaultSource() {
    QVariantMap parameters;
    parameters.insert(QStringLiteral("desktopId"), QString::fromLatin1(QtLocationManager::desktopId));
    return std::unique_ptr<QGeoPositionInfoSource>(
        QGeoPositionInfoSource::createDefaultSource(parameters, nullptr));
}

std::string describe(QGeoPositionInfoSource::Error error) {
    switch (error) {
        case QGeoPositionInfoSource::ClosedError: return "la fuente de ubicación se cerró";
        case QGeoPositionInfoSource::UpdateTimeoutError: return "se agotó el tiempo de espera";
        default: return "error desconocido de la fuente de ubicación";
    }
}

}  // namespace

QtLocationManager::QtLocationManager() = default;

QtLocationManager::QtLocationManager(std::unique_ptr<QGeoPositionInfoSource> source) {
    looked_ = true;
    adopt(std::move(source));
}

QGeoPositionInfoSource* QtLocationManager::source() const {
    if (!looked_) {
        looked_ = true;
        const_cast<QtLocationManager*>(this)->adopt(defaultSource());
    }
    return source_.get();
}

void QtLocationManager::adopt(std::unique_ptr<QGeoPositionInfoSource> source) {
    source_ = std::move(source);
    if (!source_) return;
    // The source is the context: its connections end with it, before this object's signals.
    QObject::connect(source_.get(), &QGeoPositionInfoSource::positionUpdated, source_.get(),
                     [this](const QGeoPositionInfo& info) {
                         const QGeoCoordinate c = info.coordinate();
                         if (!c.isValid()) {
                             failed.emit("la posición recibida no es válida");
                             return;
                         }
                         locationsUpdated.emit({Coordinate{c.latitude(), c.longitude()}});
                     });
    QObject::connect(source_.get(), &QGeoPositionInfoSource::errorOccurred, source_.get(),
                     [this](QGeoPositionInfoSource::Error error) {
                         if (error == QGeoPositionInfoSource::NoError) return;
                         if (error != QGeoPositionInfoSource::AccessError) {
                             failed.emit(describe(error));
                             return;
                         }
                         if (refused_) return;
                         refused_ = true;
                         authorizationChanged.emit();
                     });
}

QtLocationManager::~QtLocationManager() = default;

LocationAuthorization QtLocationManager::authorizationStatus() const {
    return !source() || refused_ ? LocationAuthorization::denied : LocationAuthorization::authorized;
}

void QtLocationManager::setDesiredAccuracy(double meters) {
    if (!source()) return;
    // Kilometres are what a network-based guess gives; closer needs satellites.
    source_->setPreferredPositioningMethods(meters >= 1000
                                                ? QGeoPositionInfoSource::NonSatellitePositioningMethods
                                                : QGeoPositionInfoSource::AllPositioningMethods);
}

// The location service asks the user itself, when the first location is asked for.
void QtLocationManager::requestWhenInUseAuthorization() {}

void QtLocationManager::requestLocation() {
    if (!source() || refused_) return;
    source_->requestUpdate(requestTimeoutMilliseconds);
}

}  // namespace quorlix::platform
