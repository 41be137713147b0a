#pragma once
// Fakes of the widgets' platform layers: a location source and a calendar store that tests
// drive by hand, and a dropped item.

#include "platform/calendar_store.h"
#include "platform/item_provider.h"
#include "platform/location_manager.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quorlix::fakes {

class FakeLocationManager final : public platform::LocationManager {
public:
    platform::LocationAuthorization status = platform::LocationAuthorization::notDetermined;
    std::optional<double> accuracy;
    int authorizationRequests = 0;
    int locationRequests = 0;

    // The user answers: the status changes and observers hear of it.
    void setStatus(platform::LocationAuthorization newStatus);
    // A location arrives.
    void deliver(double latitude, double longitude);

    platform::LocationAuthorization authorizationStatus() const override { return status; }
    void setDesiredAccuracy(double meters) override { accuracy = meters; }
    void requestWhenInUseAuthorization() override { ++authorizationRequests; }
    void requestLocation() override { ++locationRequests; }
};

class FakeCalendarStore final : public platform::CalendarStore {
public:
    platform::CalendarAuthorization status = platform::CalendarAuthorization::notDetermined;
    // Every event of every calendar, in the store's order.
    std::vector<platform::CalendarEvent> all;
    std::optional<std::string> application;
    // Access requests not answered yet.
    std::vector<std::function<void(bool)>> accessRequests;
    // The spans asked for, in order.
    mutable std::vector<std::pair<Date, Date>> spans;

    // Answers every pending access request.
    void answer(bool granted);
    // Something changed in the calendars.
    void change() { changed.emit(); }

    platform::CalendarAuthorization authorizationStatus() const override { return status; }
    void requestFullAccess(std::function<void(bool granted)> done) override {
        accessRequests.push_back(std::move(done));
    }
    std::vector<platform::CalendarEvent> events(Date start, Date end) const override;
    std::optional<std::string> calendarApplication() const override { return application; }
};

// A dropped item that loads as `url` (nothing: it has no address), completing on the
// thread that calls `complete`.
class FakeItemProvider final : public platform::ItemProvider {
public:
    explicit FakeItemProvider(std::optional<std::string> url) : url_(std::move(url)) {}

    bool canLoadURL() const override { return url_.has_value(); }
    void loadURL(std::function<void(std::optional<std::string>)> done) override {
        pending_ = std::move(done);
    }
    // Completes the load, with `failed` as a load that brings nothing.
    void complete(bool failed = false);

private:
    std::optional<std::string> url_;
    std::function<void(std::optional<std::string>)> pending_;
};

}  // namespace quorlix::fakes
