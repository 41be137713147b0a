#pragma once
// The device's approximate location, asked for once at a time.
//
// The weather asks `authorizationStatus()` first: it asks for permission while nothing is
// decided, and for one location once it is allowed. Answers arrive later through the
// signals, on the main thread: a location (`locationsUpdated`), a failure with its reason
// (`failed`), or a changed permission (`authorizationChanged`, after which the status
// tells the new one).
//
// On Linux the location comes from the desktop's location service (GeoClue through Qt);
// a desktop without one, or one that refuses this application, counts as denied.
//
// Main thread only.

#include "platform/published.h"

#include <string>
#include <vector>

namespace quorlix::platform {

enum class LocationAuthorization { notDetermined, restricted, denied, authorized };

struct Coordinate {
    double latitude = 0;
    double longitude = 0;

    friend bool operator==(const Coordinate&, const Coordinate&) = default;
};

class LocationManager {
public:
    virtual ~LocationManager() = default;

    Signal<> authorizationChanged;
    // Oldest first; the last one is the newest.
    Signal<std::vector<Coordinate>> locationsUpdated;
    // Why no location came, as text for the log.
    Signal<std::string> failed;

    virtual LocationAuthorization authorizationStatus() const = 0;
    // How close the location needs to be; a coarse one comes sooner and says less.
    virtual void setDesiredAccuracy(double meters) = 0;
    // Asks the user for permission; the answer comes through `authorizationChanged`.
    virtual void requestWhenInUseAuthorization() = 0;
    // Asks for one location; the answer comes through `locationsUpdated` or `failed`.
    virtual void requestLocation() = 0;
};

}  // namespace quorlix::platform
