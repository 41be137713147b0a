#include "fakes/fake_widgets.h"

namespace quorlix::fakes {

void FakeLocationManager::setStatus(platform::LocationAuthorization newStatus) {
    status = newStatus;
    authorizationChanged.emit();
}

void FakeLocationManager::deliver(double latitude, double longitude) {
    locationsUpdated.emit({platform::Coordinate{latitude, longitude}});
}

void FakeCalendarStore::answer(bool granted) {
    auto pending = std::move(accessRequests);
    accessRequests.clear();
    for (auto& done : pending) done(granted);
}

std::vector<platform::CalendarEvent> FakeCalendarStore::events(Date start, Date end) const {
    spans.emplace_back(start, end);
    std::vector<platform::CalendarEvent> out;
    for (const auto& event : all) {
        if (event.end > start && event.start < end) out.push_back(event);
    }
    return out;
}

void FakeItemProvider::complete(bool failed) {
    auto done = std::move(pending_);
    pending_ = nullptr;
    if (done) done(failed ? std::nullopt : url_);
}

}  // namespace quorlix::fakes
